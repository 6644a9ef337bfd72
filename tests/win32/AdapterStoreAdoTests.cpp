// The store ADO adapter against fake ADO objects created by ProgID, and the
// event information object of a sink.
#include "platform/StoreAdo.h"
#include "platform/win32/AdoStore.h"
#include "tests/win32/AdapterTests.h"
#include "tests/win32/Check.h"
#include "tests/win32/FakeAdoClasses.h"

using platform::Variant;
namespace store = platform::store;

namespace {

const std::string kMailbox = "http://srv/exadmin/example.org/mbx/ann@example.org";

void ConnectionAndRecord() {
    fakes::FakeAdo ado;
    check::Expect("fake ADO classes are registered", ado.Registered());
    auto connection = store::SystemAdo().CreateConnection();
    connection->SetProvider("ExOLEDB.DataSource");
    connection->Open(kMailbox, "", "", store::adConnectUnspecified);
    check::ExpectEqual("an open connection has state 1", 1, connection->State());
    connection->BeginTrans();

    auto record = store::SystemAdo().CreateRecord();
    check::ExpectComError(
        "a missing item fails with DB_E_NOTFOUND", -2147217895,
        [&] {
            record->Open(kMailbox + "/Inbox/x", *connection, store::adModeReadWrite,
                         store::adFailIfNotExists, store::adOpenRecordUnspecified, "", "");
        },
        "The object was not found.");
    record->Open(kMailbox + "/Inbox/Morvane.reg", *connection, store::adModeReadWrite,
                 store::adCreateOverwrite, store::adDelayFetchFields, "", "");
    check::ExpectEqual("a created record is open", 1, record->State());
    auto fields = record->GetFields();
    fields->Item("DAV:ishidden")->SetValue(Variant(true));
    fields->Item("urn:x:list")->SetValue(Variant(Variant::Array{Variant("a"), Variant("b")}));
    fields->Update();
    const auto& item = ado.store()->items[kMailbox + "/Inbox/Morvane.reg"];
    check::Expect("a boolean field reaches the store", item.at("DAV:ishidden") == Variant(true));
    check::Expect("an array field reaches the store",
                  item.at("urn:x:list") == Variant(Variant::Array{Variant("a"), Variant("b")}));
    check::ExpectEqual("the fields collection counts the item's fields", 2, fields->Count());
    check::Expect(
        "a field reads back its value",
        fields->Item("urn:x:list")->Value() == Variant(Variant::Array{Variant("a"), Variant("b")}));
    check::Expect("an unset field reads as empty", fields->Item("urn:x:none")->Value().IsEmpty());

    record->DeleteRecord("", false);
    check::Expect("DeleteRecord removes the open item",
                  ado.store()->items.count(kMailbox + "/Inbox/Morvane.reg") == 0);
    record->Close();
    check::ExpectEqual("a closed record has state 0", 0, record->State());
    connection->CommitTrans();
    connection->Close();
    check::ExpectEqual("a closed connection has state 0", 0, connection->State());
    check::ExpectEqual("provider, connect and transaction reach ADO in order",
                       "Provider ExOLEDB.DataSource|Connect " + kMailbox + "|BeginTrans",
                       ado.store()->log[0] + "|" + ado.store()->log[1] + "|" + ado.store()->log[2]);
}

void EventInformation() {
    auto data = std::make_shared<fakes::StoreData>();
    data->items[kMailbox + "/Inbox/m1.eml"]["urn:x:scl"] = Variant(6);
    auto info = fakes::MakeEventInfo(fakes::MakeOpenRecord(data, kMailbox + "/Inbox/m1.eml"));
    auto eventInfo = platform::win32::WrapEventInfo(info.Get());
    auto record = eventInfo->EventRecord();
    check::Expect("the event record reads the item's fields",
                  record->GetFields()->Item("urn:x:scl")->Value() == Variant(6));
    check::Expect("the wrapper hands back the store's object",
                  platform::win32::EventInfoObject(*eventInfo) == info.Get());

    auto plain = fakes::FakeObject::Make();
    auto without = platform::win32::WrapEventInfo(plain.Get());
    check::ExpectComError("an object without IExStoreDispEventInfo is E_NOINTERFACE",
                          static_cast<int32_t>(E_NOINTERFACE), [&] { without->EventRecord(); });
    auto none = platform::win32::WrapEventInfo(nullptr);
    check::ExpectComError(
        "no event information is 'Object required'", 424, [&] { none->EventRecord(); },
        "Object required");
}

}  // namespace

void RunStoreAdoTests() {
    check::Group("store ADO", ConnectionAndRecord);
    check::Group("event information", EventInformation);
}
