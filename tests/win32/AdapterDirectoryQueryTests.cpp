// Directory queries through ADO's Command and Recordset against fakes
// created by ProgID.
#include "platform/DirectoryAdo.h"
#include "tests/win32/AdapterTests.h"
#include "tests/win32/Check.h"
#include "tests/win32/FakeClass.h"
#include "tests/win32/FakeStore.h"

using platform::Variant;

namespace {

// Test-only class ids, never shipped.
constexpr CLSID kFakeConnection = {
    0x1B0F6A51, 0x3C2D, 0x4E5F, {0x80, 0x91, 0xA2, 0xB3, 0xC4, 0xD5, 0xE6, 0x21}};
constexpr CLSID kFakeCommand = {
    0x1B0F6A51, 0x3C2D, 0x4E5F, {0x80, 0x91, 0xA2, 0xB3, 0xC4, 0xD5, 0xE6, 0x22}};

constexpr HRESULT kItemNotFound = static_cast<HRESULT>(0x800A0CC1);
using Row = std::map<std::string, Variant>;

struct CommandLog {
    std::vector<std::string> calls;
    IDispatch* activeConnection = nullptr;
};

std::string Text(const fakes::ComVariant& value) {
    return value.ToVariant().AppendToEmptyString();
}

fakes::ComPtr<fakes::FakeObject> MakeRecordset(std::vector<Row> rows) {
    auto position = std::make_shared<size_t>(0);
    auto data = std::make_shared<std::vector<Row>>(std::move(rows));
    auto fields = fakes::FakeObject::Make();
    fields->On("Item", [data, position](fakes::Args& args) {
        std::string name = Text(args.at(0));
        auto field = fakes::FakeObject::Make();
        Row& row = data->at(*position);
        Variant value = row.count(name) ? row[name] : Variant::Null();
        field->On("Value", [value](fakes::Args&) { return fakes::Value(value); });
        return fakes::Object(field.Get());
    });
    auto recordset = fakes::FakeObject::Make();
    recordset->On("EOF", [data, position](fakes::Args&) {
        return fakes::Value(Variant(*position >= data->size()));
    });
    recordset->On("RecordCount", [data](fakes::Args&) {
        return fakes::Value(Variant(static_cast<int32_t>(data->size())));
    });
    recordset->On("Fields", [fields](fakes::Args&) { return fakes::Object(fields.Get()); });
    recordset->On("MoveNext", [position](fakes::Args&) {
        ++*position;
        return fakes::Nothing();
    });
    recordset->On("Close", [](fakes::Args&) { return fakes::Nothing(); });
    return recordset;
}

fakes::ComPtr<fakes::FakeObject> MakeCommand(std::shared_ptr<CommandLog> log) {
    auto properties = fakes::FakeObject::Make();
    properties->On("Item", [log](fakes::Args& args) {
        std::string name = Text(args.at(0));
        if (name != "Page Size" && name != "Chase Referrals")
            throw fakes::Failure{kItemNotFound,
                                 "Item cannot be found in the collection corresponding to the "
                                 "requested name or ordinal."};
        auto property = fakes::FakeObject::Make();
        property->OnPut("Value", [log, name](fakes::Args& value) {
            log->calls.push_back(name + "=" + platform::Describe(value.back().ToVariant()));
        });
        return fakes::Object(property.Get());
    });
    auto command = fakes::FakeObject::Make();
    command->OnPut("ActiveConnection", [log](fakes::Args& args) {
        log->activeConnection = args.back().ToDispatch().Get();
    });
    command->OnPut("CommandText", [log](fakes::Args& args) {
        log->calls.push_back("CommandText=" + Text(args.back()));
    });
    command->On("Properties",
                [properties](fakes::Args&) { return fakes::Object(properties.Get()); });
    command->On("Execute", [log](fakes::Args& args) {
        log->calls.push_back("Execute " + Text(args.at(2)));
        return fakes::Object(MakeRecordset({{{"mail", Variant("ann@example.org")}},
                                            {{"mail", Variant("bob@example.org")}}})
                                 .Get());
    });
    return command;
}

void CommandAndRecordset() {
    auto store = std::make_shared<fakes::StoreData>();
    auto log = std::make_shared<CommandLog>();
    IDispatch* createdConnection = nullptr;
    fakes::FakeClassRegistration connectionClass("ADODB.Connection", kFakeConnection,
                                                 [store, &createdConnection] {
                                                     auto connection = fakes::MakeConnection(store);
                                                     createdConnection = connection.Get();
                                                     return connection;
                                                 });
    fakes::FakeClassRegistration commandClass("ADODB.Command", kFakeCommand,
                                              [log] { return MakeCommand(log); });
    auto& ado = platform::directory::SystemAdo();
    auto connection = ado.CreateConnection();
    auto command = ado.CreateCommand();
    command->SetActiveConnection(connection);
    check::Expect("the command runs on the connection object",
                  log->activeConnection != nullptr && log->activeConnection == createdConnection);
    command->SetCommandText("SELECT mail FROM 'GC://dc1' WHERE mail='*'");
    command->SetProperty("Page Size", Variant(1000));
    command->SetProperty("Chase Referrals", Variant(0x60));
    check::ExpectComError("an unknown property is adErrItemNotFound", -2146825023,
                          [&] { command->SetProperty("No Such Property", Variant(1)); });
    auto records = command->Execute(platform::directory::adCmdUnspecified);
    check::ExpectEqual("RecordCount", 2, records->RecordCount());
    std::string walked;
    while (!records->IsEOF()) {
        walked += records->FieldValue("mail").AsString() + ";";
        check::Expect("an absent attribute reads as null", records->FieldValue("cn").IsNull());
        records->MoveNext();
    }
    records->Close();
    check::ExpectEqual("the walk reads every record in order", "ann@example.org;bob@example.org;",
                       walked);
    std::string calls;
    for (const auto& call : log->calls)
        calls += call + "\n";
    check::ExpectEqual("text, properties and execution reach the command",
                       "CommandText=SELECT mail FROM 'GC://dc1' WHERE mail='*'\n"
                       "Page Size=int(1000)\nChase Referrals=int(96)\nExecute -1\n",
                       calls);
}

}  // namespace

void RunDirectoryQueryTests() {
    check::Group("directory query", CommandAndRecordset);
}
