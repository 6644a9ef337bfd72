#pragma once

#include <string>
#include <string_view>

// The operations of the emulated server at which a failure can be planted
// (Faults.h): the one list of their names, with what each is and which
// text a fault's URL pattern is matched against.
namespace platform::emulated {

struct FaultOperation {
    std::string_view name;
    std::string_view part;  // "store", "directory", "catalog", "machine" or "bridge"
    std::string_view what;
};

inline constexpr FaultOperation kFaultOperations[] = {
    {"connection.open", "store", "opening a store connection (URL: the connection string)"},
    {"transaction.begin", "store", "BeginTrans (URL: the connection's URL)"},
    {"transaction.commit", "store", "CommitTrans (URL: the connection's URL)"},
    {"record.open", "store", "opening a record (URL: its source)"},
    {"record.delete", "store", "DeleteRecord (URL: the item)"},
    {"field.read", "store", "reading a field's value (URL: the record's)"},
    {"field.write", "store", "setting a field's value (URL: the record's)"},
    {"fields.update", "store", "Fields.Update (URL: the record's)"},
    {"event.record", "store", "a sink asking for the event record (URL: the item in flight)"},
    {"directory.open", "directory", "opening a directory connection (URL: the search root)"},
    {"directory.property", "directory", "setting a command property (URL: the property's name)"},
    {"directory.execute", "directory", "running a query (URL: its FROM path)"},
    {"directory.recordcount", "directory", "RecordCount (URL: the current record's adspath)"},
    {"directory.eof", "directory", "EOF (URL: the current record's adspath, \"\" at the end)"},
    {"directory.field", "directory", "a field's value (URL: adspath#column)"},
    {"directory.movenext", "directory", "MoveNext (URL: the current record's adspath)"},
    {"directory.stop", "directory",
     "the directory stopping for real before it sends a page of a result (URL: the page's "
     "number, from 1; restart it with \"morvane-lab directory start\")"},
    {"catalog.create", "catalog", "creating the COM+ catalog object"},
    {"catalog.populate", "catalog", "Populate of the Applications collection"},
    {"catalog.remove", "catalog", "Remove of an application (URL: its name)"},
    {"catalog.savechanges", "catalog", "SaveChanges of the Applications collection"},
    {"catalog.installcomponent", "catalog", "InstallComponent (URL: the application's name)"},
    {"catalog.createservice", "catalog",
     "CreateServiceForApplication (URL: the application's name)"},
    {"machine.regopenkey", "machine",
     "RegOpenKeyA: the call answers the HRESULT's system error code (URL: the key, as "
     "HKEY_LOCAL_MACHINE\\Cluster; a pattern writes its backslash twice)"},
    {"machine.username", "machine", "GetUserNameA: the call fails with the HRESULT's code"},
    {"host.end", "bridge",
     "a sink's Windows host ending as in a crash, in the begin phase of a save or delete (URL: "
     "the item in flight)"},
};

bool IsFaultOperation(std::string_view name);

// "connection.open, transaction.begin, ...", in the order of the list.
std::string FaultOperationNames();

}  // namespace platform::emulated
