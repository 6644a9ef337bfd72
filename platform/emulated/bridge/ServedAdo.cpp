#include "platform/Activation.h"
#include "platform/DirectoryAdo.h"
#include "platform/StoreAdo.h"
#include "platform/Text.h"
#include "platform/bridge/BridgeClasses.h"
#include "platform/bridge/ServedObject.h"
#include "platform/emulated/bridge/ServedClasses.h"
#include "platform/emulated/db/ServerDb.h"
#include "platform/emulated/directory/DirectoryAdoConnection.h"
#include "platform/emulated/directory/DirectoryCommand.h"
#include "platform/emulated/store/StoreAdo.h"
#include "platform/emulated/store/StoreRecords.h"

// ADO as the Windows programs use it: one connection class whose provider,
// chosen at Open, is the store's ("ExOLEDB.DataSource") or the
// directory's ("adsDSOobject"), the store's records and fields, and the
// directory's commands, properties and recordsets. The collections take a
// name or a position from 0 as ADO's do, and enumerate by position; a
// recordset's default member is its Fields, a collection's its Item, a
// field's or property's its Value. A recordset's Fields and a field of them
// by name are the same objects for the recordset's life (a field follows
// the current row), as ADO's are, so a Windows program keeps them.
namespace platform::emulated::served {

namespace {

using bridge::Args;
using bridge::kDefaultMember;
using bridge::kEnumerateByPosition;
using bridge::kSameForSameNames;
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

// ADO error 3265.
[[noreturn]] void ThrowItemNotFound() {
    throw ComError(directory::adErrItemNotFound,
                   "Item cannot be found in the collection corresponding to the requested name "
                   "or ordinal.");
}

// The name an ADO collection's Item(index) means: index itself, or the
// name at that position among names().
template <typename Names>
std::string ItemName(Args& args, const Names& names) {
    if (args.Any(0).IsString())
        return args.Text(0);
    const int32_t position = args.Int(0);
    const std::vector<std::string> all = names();
    if (position < 0 || static_cast<size_t>(position) >= all.size())
        ThrowItemNotFound();
    return all[static_cast<size_t>(position)];
}

// The emulated object behind a port's object, for what only the emulated
// server answers (names by position).
template <typename Emulated, typename Port>
Emulated& EmulatedOf(const std::shared_ptr<Port>& object) {
    auto* emulated = dynamic_cast<Emulated*>(object.get());
    if (emulated == nullptr)
        ThrowNotCapable();
    return *emulated;
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

struct StoreField {
    std::shared_ptr<store::Field> field;
    std::string name;
};
const ServedClass<StoreField> kStoreField{
    "ADODB.Field",
    {
        {Get, "Name", Takes(0), [](StoreField& f) { return f.name; }},
        {Get, "Value", Takes(0), [](StoreField& f) { return f.field->Value(); }, kDefaultMember},
        {Put, "Value", Takes(1), [](StoreField& f, Args& args) { f.field->SetValue(args.Any(0)); }},
    }};

using StoreFields = std::shared_ptr<store::Fields>;

Value StoreFieldAt(StoreFields& fields, Args& args) {
    const std::string name = ItemName(args, [&] { return FieldNames(*fields); });
    return Serve(kStoreField, StoreField{fields->Item(name), name});
}

const ServedClass<StoreFields> kStoreFields{
    "ADODB.Fields",
    {
        {Get, "Count", Takes(0), [](StoreFields& f) { return f->Count(); }},
        {Get, "Item", Takes(1), StoreFieldAt, kDefaultMember},
        {Method, "Update", Takes(0), [](StoreFields& f) { f->Update(); }},
        kEnumerateByPosition,
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
    {
        {Get, "Name", Takes(0), [](RecordsetField& f) { return f.name; }},
        {Get, "Value", Takes(0), [](RecordsetField& f) { return f.recordset->FieldValue(f.name); },
         kDefaultMember},
    }};

std::vector<std::string> RecordsetFieldNames(const Recordset& recordset) {
    return EmulatedOf<DirectoryRecordset>(recordset).FieldNames();
}

const ServedClass<Recordset> kRecordsetFields{
    "ADODB.RecordsetFields",
    {
        {Get, "Count", Takes(0),
         [](Recordset& r) { return static_cast<int32_t>(RecordsetFieldNames(r).size()); }},
        {Get, "Item", Takes(1),
         [](Recordset& r, Args& args) {
             const std::string name = ItemName(args, [&] { return RecordsetFieldNames(r); });
             return Serve(kRecordsetField, RecordsetField{r, name});
         },
         kSameForSameNames, kDefaultMember},
        kEnumerateByPosition,
    }};
const ServedClass<Recordset> kRecordset{
    "ADODB.Recordset",
    {
        {Get, "EOF", Takes(0), [](Recordset& r) { return r->IsEOF(); }},
        {Get, "RecordCount", Takes(0), [](Recordset& r) { return r->RecordCount(); }},
        {Get, "Fields", Takes(0), [](Recordset& r) { return Serve(kRecordsetFields, r); },
         kSameForSameNames, kDefaultMember},
        {Method, "MoveNext", Takes(0), [](Recordset& r) { r->MoveNext(); }},
        {Method, "Close", Takes(0), [](Recordset& r) { r->Close(); }},
    }};

using Command = std::shared_ptr<directory::Command>;
struct Property {
    Command command;
    std::string name;
};
const ServedClass<Property> kProperty{
    "ADODB.Property",
    {
        {Get, "Name", Takes(0), [](Property& p) { return p.name; }},
        {Get, "Value", Takes(0),
         [](Property& p) { return EmulatedOf<DirectoryCommand>(p.command).Property(p.name); },
         kDefaultMember},
        {Put, "Value", Takes(1),
         [](Property& p, Args& args) { p.command->SetProperty(p.name, args.Any(0)); }},
    }};

// A property by name keeps the name as the caller wrote it: the provider
// compares names without regard to case.
Value PropertyAt(Command& command, Args& args) {
    const std::string name = ItemName(args, DirectoryCommandPropertyNames);
    if (!IsDirectoryCommandProperty(name))
        ThrowItemNotFound();
    return Serve(kProperty, Property{command, name});
}

const ServedClass<Command> kProperties{
    "ADODB.Properties",
    {
        {Get, "Count", Takes(0),
         [](Command&) { return static_cast<int32_t>(DirectoryCommandPropertyNames().size()); }},
        {Get, "Item", Takes(1), PropertyAt, kDefaultMember},
        kEnumerateByPosition,
    }};

void SetActiveConnection(Command& command, Args& args) {
    Connection& connection = PayloadOf<Connection>(args.Object(0), "an ADO connection");
    if (!connection.directory)
        ThrowInvalidConnection();
    command->SetActiveConnection(connection.directory);
}

// Execute(recordsAffected, parameters, options): a query affects no
// records, and says so as OLE DB does (-1, not known) in recordsAffected.
Value Execute(Command& command, Args& args) {
    Value recordset = Serve(kRecordset, command->Execute(args.Given(2) ? args.Int(2) : -1));
    if (args.Given(0))
        args.Return(0, Value(platform::Variant(-1)));
    return recordset;
}

const ServedClass<Command> kCommand{
    std::string(bridge::kAdoCommand.progId),
    {
        {Put, "ActiveConnection", Takes(1), SetActiveConnection},
        {Put, "CommandText", Takes(1),
         [](Command& c, Args& args) { c->SetCommandText(args.Text(0)); }},
        {Get, "Properties", Takes(0), [](Command& c) { return Serve(kProperties, c); }},
        {Method, "Execute", Takes(0, 3), Execute},
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
