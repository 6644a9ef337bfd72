#include "platform/Activation.h"
#include "platform/DirectoryAdo.h"
#include "platform/StoreAdo.h"
#include "platform/emulated/bridge/ServedClasses.h"
#include "platform/emulated/bridge/ServedObject.h"
#include "platform/emulated/db/ServerDb.h"
#include "platform/emulated/directory/DirectoryAdoConnection.h"
#include "platform/emulated/store/StoreAdo.h"

// ADO as the Windows programs use it: one connection class whose provider,
// chosen at Open, is the store's ("ExOLEDB.DataSource") or the
// directory's ("adsDSOobject"), the store's records and fields, and the
// directory's commands, properties and recordsets.
namespace platform::emulated::served {

namespace {

using bridge::Value;

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
    args.Expect(0, 4);
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
    "ADODB.Connection",
    {
        {"Provider",
         [](Connection& c, Args&) { return Value(c.provider); },
         [](Connection& c, Args& args) {
             if (c.State() != 0)
                 throw ComError(ado_error::kObjectOpen,
                                "Operation is not allowed when the object is open.");
             c.provider = args.Text(0);
             return Nothing();
         },
         {}},
        {"Open",
         {},
         {},
         [](Connection& c, Args& args) {
             Open(c, args);
             return Nothing();
         }},
        {"State", [](Connection& c, Args&) { return Value(c.State()); }, {}, {}},
        {"Close",
         {},
         {},
         [](Connection& c, Args&) {
             Close(c);
             return Nothing();
         }},
        {"BeginTrans",
         {},
         {},
         [](Connection& c, Args&) {
             c.Store().BeginTrans();
             return Value(1);
         }},
        {"CommitTrans",
         {},
         {},
         [](Connection& c, Args&) {
             c.Store().CommitTrans();
             return Nothing();
         }},
        {"RollbackTrans",
         {},
         {},
         [](Connection& c, Args&) {
             c.Store().RollbackTrans();
             return Nothing();
         }},
    }};

using StoreField = std::shared_ptr<store::Field>;
const ServedClass<StoreField> kStoreField{"ADODB.Field",
                                          {{"Value",
                                            [](StoreField& f, Args&) { return Value(f->Value()); },
                                            [](StoreField& f, Args& args) {
                                                f->SetValue(args.Any(0));
                                                return Nothing();
                                            },
                                            {}}}};

using StoreFields = std::shared_ptr<store::Fields>;
const ServedClass<StoreFields> kStoreFields{
    "ADODB.Fields",
    {
        {"Count", [](StoreFields& f, Args&) { return Value(f->Count()); }, {}, {}},
        {"Item",
         [](StoreFields& f, Args& args) { return Serve(kStoreField, f->Item(args.Text(0))); },
         {},
         {}},
        {"Update",
         {},
         {},
         [](StoreFields& f, Args&) {
             f->Update();
             return Nothing();
         }},
    }};

using StoreRecord = std::shared_ptr<store::Record>;

void OpenRecord(store::Record& record, Args& args) {
    args.Expect(2, 7);
    store::Connection& connection =
        PayloadOf<Connection>(args.Object(1), "an ADO connection").Store();
    record.Open(args.Text(0), connection, args.Given(2) ? args.Int(2) : store::adModeRead,
                args.Given(3) ? args.Int(3) : store::adFailIfNotExists,
                args.Given(4) ? args.Int(4) : store::adOpenRecordUnspecified,
                args.Given(5) ? args.Text(5) : "", args.Given(6) ? args.Text(6) : "");
}

const ServedClass<StoreRecord> kStoreRecord{
    "ADODB.Record",
    {
        {"Open",
         {},
         {},
         [](StoreRecord& r, Args& args) {
             OpenRecord(*r, args);
             return Nothing();
         }},
        {"State", [](StoreRecord& r, Args&) { return Value(r->State()); }, {}, {}},
        {"Close",
         {},
         {},
         [](StoreRecord& r, Args&) {
             r->Close();
             return Nothing();
         }},
        {"DeleteRecord",
         {},
         {},
         [](StoreRecord& r, Args& args) {
             r->DeleteRecord(args.Given(0) ? args.Text(0) : "", args.Given(1) && args.Bool(1));
             return Nothing();
         }},
        {"Fields",
         [](StoreRecord& r, Args&) { return Serve(kStoreFields, r->GetFields()); },
         {},
         {}},
    }};

using Recordset = std::shared_ptr<directory::Recordset>;
struct RecordsetField {
    Recordset recordset;
    std::string name;
};
const ServedClass<RecordsetField> kRecordsetField{
    "ADODB.RecordsetField",
    {{"Value",
      [](RecordsetField& f, Args&) { return Value(f.recordset->FieldValue(f.name)); },
      {},
      {}}}};
const ServedClass<Recordset> kRecordsetFields{
    "ADODB.RecordsetFields",
    {{"Item",
      [](Recordset& r, Args& args) {
          return Serve(kRecordsetField, RecordsetField{r, args.Text(0)});
      },
      {},
      {}}}};
const ServedClass<Recordset> kRecordset{
    "ADODB.Recordset",
    {
        {"EOF", [](Recordset& r, Args&) { return Value(r->IsEOF()); }, {}, {}},
        {"RecordCount", [](Recordset& r, Args&) { return Value(r->RecordCount()); }, {}, {}},
        {"Fields", [](Recordset& r, Args&) { return Serve(kRecordsetFields, r); }, {}, {}},
        {"MoveNext",
         {},
         {},
         [](Recordset& r, Args&) {
             r->MoveNext();
             return Nothing();
         }},
        {"Close",
         {},
         {},
         [](Recordset& r, Args&) {
             r->Close();
             return Nothing();
         }},
    }};

using Command = std::shared_ptr<directory::Command>;
struct Property {
    Command command;
    std::string name;
};
const ServedClass<Property> kProperty{"ADODB.Property",
                                      {{"Value",
                                        {},
                                        [](Property& p, Args& args) {
                                            p.command->SetProperty(p.name, args.Any(0));
                                            return Nothing();
                                        },
                                        {}}}};
const ServedClass<Command> kProperties{"ADODB.Properties",
                                       {{"Item",
                                         [](Command& c, Args& args) {
                                             return Serve(kProperty, Property{c, args.Text(0)});
                                         },
                                         {},
                                         {}}}};

void SetActiveConnection(directory::Command& command, Args& args) {
    Connection& connection = PayloadOf<Connection>(args.Object(0), "an ADO connection");
    if (!connection.directory)
        ThrowInvalidConnection();
    command.SetActiveConnection(connection.directory);
}

const ServedClass<Command> kCommand{
    "ADODB.Command",
    {
        {"ActiveConnection",
         {},
         [](Command& c, Args& args) {
             SetActiveConnection(*c, args);
             return Nothing();
         },
         {}},
        {"CommandText",
         {},
         [](Command& c, Args& args) {
             c->SetCommandText(args.Text(0));
             return Nothing();
         },
         {}},
        {"Properties", [](Command& c, Args&) { return Serve(kProperties, c); }, {}, {}},
        {"Execute",
         {},
         {},
         [](Command& c, Args& args) {
             args.Expect(0, 3);
             return Serve(kRecordset, c->Execute(args.Given(2) ? args.Int(2) : -1));
         }},
    }};

}  // namespace

std::optional<Value> CreateAdoObject(const std::string& progId) {
    if (text::EqualsNoCase(progId, "ADODB.Connection"))
        return Serve(kConnection, Connection{});
    if (text::EqualsNoCase(progId, "ADODB.Record"))
        return Serve(kStoreRecord, CurrentStore().CreateRecord());
    if (text::EqualsNoCase(progId, "ADODB.Command"))
        return Serve(kCommand, directory::SystemAdo().CreateCommand());
    return std::nullopt;
}

Value ServeEventRecord(std::shared_ptr<store::Record> record) {
    return Serve(kStoreRecord, std::move(record));
}

}  // namespace platform::emulated::served
