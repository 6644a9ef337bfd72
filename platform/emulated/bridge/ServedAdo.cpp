#include "platform/Activation.h"
#include "platform/DirectoryAdo.h"
#include "platform/StoreAdo.h"
#include "platform/Text.h"
#include "platform/bridge/BridgeClasses.h"
#include "platform/bridge/ServedObject.h"
#include "platform/emulated/bridge/ServedClasses.h"
#include "platform/emulated/db/ServerDb.h"
#include "platform/emulated/directory/DirectoryAdoConnection.h"
#include "platform/emulated/store/StoreAdo.h"

// ADO as the Windows programs use it: one connection class whose provider,
// chosen at Open, is the store's ("ExOLEDB.DataSource") or the
// directory's ("adsDSOobject"), the store's records and fields, and the
// directory's commands, properties and recordsets.
namespace platform::emulated::served {

namespace {

using bridge::Args;
using bridge::PayloadOf;
using bridge::Serve;
using bridge::ServedClass;
using bridge::Takes;
using bridge::Value;
using enum bridge::MemberKind;

// The store of the server this process works on now: MORVANE_SERVER is read
// at every use, as the activation reads it, so that a process that changes
// its server never writes into the one it began with.
EmulatedStoreAdo CurrentStore() {
    return EmulatedStoreAdo(ServerFolder(), SystemActivation());
}

// ADO error 3709.
[[noreturn]] void ThrowInvalidConnection() {
    throw ComError(hresult::FromUnsigned(0x800A0E7D),
                   "The connection cannot be used to perform this operation. It is either "
                   "closed or invalid in this context.");
}

struct Connection {
    std::string provider = "MSDASQL";
    std::shared_ptr<store::Connection> store;
    std::shared_ptr<directory::Connection> directory;

    bool IsDirectory() const { return text::EqualsNoCase(provider, "adsDSOobject"); }
    int32_t State() const {
        if (store)
            return store->State();
        return directory ? directory->State() : 0;
    }
    store::Connection& Store() const {
        if (!store)
            ThrowInvalidConnection();
        return *store;
    }
};

void Open(Connection& connection, Args& args) {
    if (connection.State() != 0)
        throw ComError(ado_error::kObjectOpen, "Operation is not allowed when the object is open.");
    const std::string source = args.Given(0) ? args.Text(0) : "";
    const std::string user = args.Given(1) ? args.Text(1) : "";
    const std::string password = args.Given(2) ? args.Text(2) : "";
    const int32_t options = args.Given(3) ? args.Int(3) : -1;
    if (connection.IsDirectory()) {
        auto opened = directory::SystemAdo().CreateConnection();
        opened->SetProvider(connection.provider);
        opened->Open(source, user, password, options);
        connection.directory = std::move(opened);
    } else {
        auto opened = CurrentStore().CreateConnection();
        opened->SetProvider(connection.provider);
        opened->Open(source, user, password, options);
        connection.store = std::move(opened);
    }
}

void Close(Connection& connection) {
    if (connection.store)
        connection.store->Close();
    else if (connection.directory)
        connection.directory->Close();
    else
        throw ComError(ado_error::kObjectClosed,
                       "Operation is not allowed when the object is closed.");
    connection.store.reset();
    connection.directory.reset();
}

const ServedClass<Connection> kConnection{
    std::string(bridge::kAdoConnection.progId),
    {
        {Get, "Provider", Takes(0), [](Connection& c) { return c.provider; }},
        {Put, "Provider", Takes(1),
         [](Connection& c, Args& args) {
             if (c.State() != 0)
                 throw ComError(ado_error::kObjectOpen,
                                "Operation is not allowed when the object is open.");
             c.provider = args.Text(0);
         }},
        {Method, "Open", Takes(0, 4), Open},
        {Get, "State", Takes(0), [](Connection& c) { return c.State(); }},
        {Method, "Close", Takes(0), Close},
        {Method, "BeginTrans", Takes(0),
         [](Connection& c) {
             c.Store().BeginTrans();
             return 1;
         }},
        {Method, "CommitTrans", Takes(0), [](Connection& c) { c.Store().CommitTrans(); }},
        {Method, "RollbackTrans", Takes(0), [](Connection& c) { c.Store().RollbackTrans(); }},
    }};

using StoreField = std::shared_ptr<store::Field>;
const ServedClass<StoreField> kStoreField{
    "ADODB.Field",
    {
        {Get, "Value", Takes(0), [](StoreField& f) { return f->Value(); }},
        {Put, "Value", Takes(1), [](StoreField& f, Args& args) { f->SetValue(args.Any(0)); }},
    }};

using StoreFields = std::shared_ptr<store::Fields>;
const ServedClass<StoreFields> kStoreFields{
    "ADODB.Fields",
    {
        {Get, "Count", Takes(0), [](StoreFields& f) { return f->Count(); }},
        {Get, "Item", Takes(1),
         [](StoreFields& f, Args& args) { return Serve(kStoreField, f->Item(args.Text(0))); }},
        {Method, "Update", Takes(0), [](StoreFields& f) { f->Update(); }},
    }};

using StoreRecord = std::shared_ptr<store::Record>;

void OpenRecord(StoreRecord& record, Args& args) {
    store::Connection& connection =
        PayloadOf<Connection>(args.Object(1), "an ADO connection").Store();
    record->Open(args.Text(0), connection, args.Given(2) ? args.Int(2) : store::adModeRead,
                 args.Given(3) ? args.Int(3) : store::adFailIfNotExists,
                 args.Given(4) ? args.Int(4) : store::adOpenRecordUnspecified,
                 args.Given(5) ? args.Text(5) : "", args.Given(6) ? args.Text(6) : "");
}

const ServedClass<StoreRecord> kStoreRecord{
    std::string(bridge::kAdoRecord.progId),
    {
        {Method, "Open", Takes(2, 7), OpenRecord},
        {Get, "State", Takes(0), [](StoreRecord& r) { return r->State(); }},
        {Method, "Close", Takes(0), [](StoreRecord& r) { r->Close(); }},
        {Method, "DeleteRecord", Takes(0, 2),
         [](StoreRecord& r, Args& args) {
             r->DeleteRecord(args.Given(0) ? args.Text(0) : "", args.Given(1) && args.Bool(1));
         }},
        {Get, "Fields", Takes(0),
         [](StoreRecord& r) { return Serve(kStoreFields, r->GetFields()); }},
    }};

using Recordset = std::shared_ptr<directory::Recordset>;
struct RecordsetField {
    Recordset recordset;
    std::string name;
};
const ServedClass<RecordsetField> kRecordsetField{
    "ADODB.RecordsetField",
    {{Get, "Value", Takes(0), [](RecordsetField& f) { return f.recordset->FieldValue(f.name); }}}};
const ServedClass<Recordset> kRecordsetFields{
    "ADODB.RecordsetFields", {{Get, "Item", Takes(1), [](Recordset& r, Args& args) {
                                   return Serve(kRecordsetField, RecordsetField{r, args.Text(0)});
                               }}}};
const ServedClass<Recordset> kRecordset{
    "ADODB.Recordset",
    {
        {Get, "EOF", Takes(0), [](Recordset& r) { return r->IsEOF(); }},
        {Get, "RecordCount", Takes(0), [](Recordset& r) { return r->RecordCount(); }},
        {Get, "Fields", Takes(0), [](Recordset& r) { return Serve(kRecordsetFields, r); }},
        {Method, "MoveNext", Takes(0), [](Recordset& r) { r->MoveNext(); }},
        {Method, "Close", Takes(0), [](Recordset& r) { r->Close(); }},
    }};

using Command = std::shared_ptr<directory::Command>;
struct Property {
    Command command;
    std::string name;
};
const ServedClass<Property> kProperty{"ADODB.Property",
                                      {{Put, "Value", Takes(1), [](Property& p, Args& args) {
                                            p.command->SetProperty(p.name, args.Any(0));
                                        }}}};
const ServedClass<Command> kProperties{"ADODB.Properties",
                                       {{Get, "Item", Takes(1), [](Command& c, Args& args) {
                                             return Serve(kProperty, Property{c, args.Text(0)});
                                         }}}};

void SetActiveConnection(Command& command, Args& args) {
    Connection& connection = PayloadOf<Connection>(args.Object(0), "an ADO connection");
    if (!connection.directory)
        ThrowInvalidConnection();
    command->SetActiveConnection(connection.directory);
}

const ServedClass<Command> kCommand{
    std::string(bridge::kAdoCommand.progId),
    {
        {Put, "ActiveConnection", Takes(1), SetActiveConnection},
        {Put, "CommandText", Takes(1),
         [](Command& c, Args& args) { c->SetCommandText(args.Text(0)); }},
        {Get, "Properties", Takes(0), [](Command& c) { return Serve(kProperties, c); }},
        {Method, "Execute", Takes(0, 3),
         [](Command& c, Args& args) {
             return Serve(kRecordset, c->Execute(args.Given(2) ? args.Int(2) : -1));
         }},
    }};

}  // namespace

Value NewAdoConnection() {
    return Serve(kConnection, Connection{});
}

Value NewAdoRecord() {
    return Serve(kStoreRecord, CurrentStore().CreateRecord());
}

Value NewAdoCommand() {
    return Serve(kCommand, directory::SystemAdo().CreateCommand());
}

Value ServeEventRecord(std::shared_ptr<store::Record> record) {
    return Serve(kStoreRecord, std::move(record));
}

}  // namespace platform::emulated::served
