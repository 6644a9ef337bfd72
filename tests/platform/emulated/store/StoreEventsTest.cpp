#include <gtest/gtest.h>

#include <tuple>

#include "platform/ComError.h"
#include "platform/emulated/machine/MachineEventLog.h"
#include "platform/emulated/store/StoreEvents.h"
#include "platform/emulated/store/StoreValues.h"
#include "tests/platform/emulated/store/StoreTestSupport.h"

namespace {

using platform::ComError;
using platform::Variant;
using platform::emulated::DeliveredMessage;
using platform::emulated::MailboxInfo;
using storetest::kVisibleOnly;
using storetest::SinkCall;
using storetest::StoreFixture;
namespace store = platform::store;
namespace property = platform::emulated::property;

constexpr int32_t kBegin = 0x01000000;
constexpr int32_t kCommitted = 0x02000000;
constexpr int32_t kAborted = 0x04000000;
constexpr int32_t kNewItem = 0x1;
constexpr int32_t kCollection = 0x2;
constexpr int32_t kDelivered = 0x8;
constexpr int32_t kHardDelete = 0x20;

DeliveredMessage Message(const std::string& subject, std::optional<int32_t> scl = 5) {
    DeliveredMessage message;
    message.subject = subject;
    message.scl = scl;
    return message;
}

// Sets the message's keywords and comments in the event record, as a
// stamping sink does.
void StampScl(store::EventInfo& info) {
    auto record = info.EventRecord();
    auto fields = record->GetFields();
    std::string scl = fields->Item(std::string(property::kScl))->Value().AppendToEmptyString();
    fields->Item(std::string(property::kKeywords))->SetValue(Variant::StringArray({"SCL=" + scl}));
    fields->Item(std::string(property::kComments))->SetValue(Variant("SCL=" + scl));
    fields->Update();
}

std::vector<SinkCall> CallsOf(const std::vector<SinkCall>& log, const std::string& method) {
    std::vector<SinkCall> calls;
    for (const SinkCall& call : log) {
        if (call.method == method)
            calls.push_back(call);
    }
    return calls;
}

class StoreEvents : public ::testing::Test {
  protected:
    void RegisterInInbox(const MailboxInfo& mailbox, const std::string& sinkClass,
                         const std::string& priority = "1",
                         const std::string& criteria = kVisibleOnly,
                         const std::string& name = "Morvane.reg") {
        fixture.CreateRegistration(mailbox.inboxUrl, name, "onsyncsave", sinkClass, "SHALLOW",
                                   criteria, priority);
    }
    void RegisterStoreWide(const platform::emulated::MailboxStoreInfo& store,
                           const std::string& sinkClass) {
        fixture.CreateRegistration(
            fixture.model.FindMailbox(store.systemMailbox)->url + "/StoreEvents/GlobalEvents",
            "Morvane.reg", "onsyncsave", sinkClass, "ANY", kVisibleOnly, "1");
    }

    // The existing item at url, open for writing through a new connection.
    std::shared_ptr<store::Record> OpenExisting(const MailboxInfo& mailbox,
                                                const std::string& url) {
        auto connection = fixture.ado.CreateConnection();
        connection->SetProvider("ExOLEDB.DataSource");
        connection->Open(mailbox.url, "", "", -1);
        auto record = fixture.ado.CreateRecord();
        record->Open(url, *connection, store::adModeReadWrite, store::adFailIfNotExists, -1, "",
                     "");
        return record;
    }

    StoreFixture fixture;
};

TEST_F(StoreEvents, DeliveryRunsBeginThenCommittedAndKeepsTheSinksChanges) {
    auto alice = fixture.AddUser("alice@example.com");
    auto sink = fixture.activation.AddSink("Test.Sink");
    sink->onBegin = StampScl;
    RegisterInInbox(alice, "Test.Sink");
    fixture.activation.log.clear();

    std::string url = fixture.model.DeliverToInbox(alice.address, Message("Hello", 6));

    auto saves = CallsOf(fixture.activation.log, "OnSyncSave");
    ASSERT_EQ(saves.size(), 2u);
    EXPECT_EQ(saves[0].flags, kBegin | kNewItem | kDelivered);
    EXPECT_EQ(saves[0].flags, 0x01000009);
    EXPECT_EQ(saves[1].flags, kCommitted | kNewItem | kDelivered);
    EXPECT_EQ(saves[0].url, url);
    EXPECT_EQ(url, alice.inboxUrl + "/Hello.EML");

    auto item = fixture.model.ReadItem(url);
    EXPECT_EQ(item.properties.Get(property::kKeywords), Variant::StringArray({"SCL=6"}));
    EXPECT_EQ(item.properties.Get(property::kComments), Variant("SCL=6"));
    EXPECT_EQ(item.properties.Get(property::kScl), Variant(int32_t{6}));
    EXPECT_EQ(item.properties.Get(property::kSubject), Variant("Hello"));
}

TEST_F(StoreEvents, ChangesWithoutUpdateAreNotSaved) {
    auto alice = fixture.AddUser("alice@example.com");
    auto sink = fixture.activation.AddSink("Test.Sink");
    sink->onBegin = [](store::EventInfo& info) {
        info.EventRecord()
            ->GetFields()
            ->Item(std::string(property::kComments))
            ->SetValue(Variant("not updated"));
    };
    RegisterInInbox(alice, "Test.Sink");
    std::string url = fixture.model.DeliverToInbox(alice.address, Message("Hi"));
    EXPECT_FALSE(fixture.model.ReadItem(url).properties.Has(property::kComments));
}

TEST_F(StoreEvents, BeginPhaseSeesTheMessageInFlightNotYetInTheStore) {
    auto alice = fixture.AddUser("alice@example.com");
    auto sink = fixture.activation.AddSink("Test.Sink");
    Variant seenScl;
    size_t itemsDuringBegin = 99;
    sink->onBegin = [&](store::EventInfo& info) {
        seenScl = info.EventRecord()->GetFields()->Item(std::string(property::kScl))->Value();
        itemsDuringBegin = fixture.model.Items(alice.inboxUrl).size();
    };
    RegisterInInbox(alice, "Test.Sink");
    fixture.model.DeliverToInbox(alice.address, Message("Hi", -1));
    EXPECT_EQ(seenScl, Variant(int32_t{-1}));
    EXPECT_EQ(itemsDuringBegin, 1u);  // only the registration item
}

TEST_F(StoreEvents, SinksRunInPriorityOrderAllBeginsBeforeAnyCommit) {
    auto alice = fixture.AddUser("alice@example.com");
    fixture.activation.AddSink("Sink.Late");
    fixture.activation.AddSink("Sink.Early");
    fixture.activation.AddSink("Sink.Default");
    RegisterInInbox(alice, "Sink.Late", "200", kVisibleOnly, "late.reg");
    RegisterInInbox(alice, "Sink.Early", "3", kVisibleOnly, "early.reg");
    fixture.CreateRegistration(alice.inboxUrl, "default.reg", "onsyncsave", "Sink.Default",
                               "SHALLOW", kVisibleOnly, "");
    fixture.activation.log.clear();
    fixture.model.DeliverToInbox(alice.address, Message("Ordered"));

    std::vector<std::pair<std::string, int32_t>> calls;
    for (const SinkCall& call : fixture.activation.log)
        calls.emplace_back(call.sink, call.flags & 0x0F000000);
    std::vector<std::pair<std::string, int32_t>> expected = {
        {"Sink.Early", kBegin},     {"Sink.Late", kBegin},     {"Sink.Default", kBegin},
        {"Sink.Early", kCommitted}, {"Sink.Late", kCommitted}, {"Sink.Default", kCommitted}};
    EXPECT_EQ(calls, expected);
}

TEST_F(StoreEvents, EventMethodMustNameTheSaveEvent) {
    auto alice = fixture.AddUser("alice@example.com");
    fixture.activation.AddSink("Sink.Both");
    fixture.activation.AddSink("Sink.DeleteOnly");
    fixture.CreateRegistration(alice.inboxUrl, "both.reg", "OnSyncDelete, OnSyncSave", "Sink.Both",
                               "SHALLOW", "", "1");
    fixture.CreateRegistration(alice.inboxUrl, "delete.reg", "onsyncdelete", "Sink.DeleteOnly",
                               "SHALLOW", "", "1");
    fixture.activation.log.clear();
    fixture.model.DeliverToInbox(alice.address, Message("x"));
    auto saves = CallsOf(fixture.activation.log, "OnSyncSave");
    ASSERT_EQ(saves.size(), 2u);
    EXPECT_EQ(saves[0].sink, "Sink.Both");
    EXPECT_EQ(saves[1].sink, "Sink.Both");
}

TEST_F(StoreEvents, PerMailboxRegistrationFiresOnlyInItsFolder) {
    auto alice = fixture.AddUser("alice@example.com");
    auto bob = fixture.AddUser("bob@example.com");
    fixture.activation.AddSink("Test.Sink");
    RegisterInInbox(alice, "Test.Sink");
    fixture.model.AddFolder(alice.address, "Inbox/Sub");
    fixture.activation.log.clear();
    fixture.model.DeliverToInbox(bob.address, Message("to bob"));
    fixture.model.Deliver(alice.url + "/Inbox/Sub", Message("to a sub-folder"));
    EXPECT_TRUE(fixture.activation.log.empty());
    fixture.model.DeliverToInbox(alice.address, Message("to alice"));
    EXPECT_EQ(CallsOf(fixture.activation.log, "OnSyncSave").size(), 2u);
}

TEST_F(StoreEvents, StoreWideRegistrationFiresForEveryMailboxOfItsStoreOnly) {
    auto alice = fixture.AddUser("alice@example.com");
    auto hans = fixture.AddUser("hans@example.com", "Posteingang");
    auto second = fixture.model.AddStore("Second Storage Group", "Other Store");
    platform::emulated::NewMailbox carol;
    carol.address = "carol@example.com";
    carol.storageGroup = second.storageGroup;
    carol.storeName = second.name;
    auto carolInfo = fixture.model.AddMailbox(carol);
    fixture.activation.AddSink("Store.Sink");
    RegisterStoreWide(fixture.firstStore, "Store.Sink");
    fixture.activation.log.clear();

    std::string toAlice = fixture.model.DeliverToInbox(alice.address, Message("a"));
    std::string toHans = fixture.model.DeliverToInbox(hans.address, Message("h"));
    fixture.model.AddFolder(alice.address, "Projects/2026");
    std::string deep = fixture.model.Deliver(alice.url + "/Projects/2026", Message("d"));
    fixture.model.DeliverToInbox(carolInfo.address, Message("c"));
    fixture.model.AddFolder(carolInfo.address, "Elsewhere");

    auto begins = CallsOf(fixture.activation.log, "OnSyncSave");
    std::vector<std::string> urls;
    for (const SinkCall& call : begins) {
        if (call.flags & kBegin)
            urls.push_back(call.url);
    }
    // The new folders are saved into their parents, and reached too.
    EXPECT_EQ(urls, (std::vector<std::string>{toAlice, toHans, alice.url + "/Projects",
                                              alice.url + "/Projects/2026", deep}));
}

TEST_F(StoreEvents, HiddenItemsDoNotFireTheCriteriaLimitedRegistration) {
    auto alice = fixture.AddUser("alice@example.com");
    fixture.activation.AddSink("Test.Sink");
    RegisterInInbox(alice, "Test.Sink");
    fixture.activation.log.clear();
    // Another registration item (hidden) saved into the same Inbox.
    RegisterInInbox(alice, "Other.Sink", "1", kVisibleOnly, "other.reg");
    EXPECT_TRUE(CallsOf(fixture.activation.log, "OnSyncSave").empty());
    // A hidden message neither.
    DeliveredMessage hidden = Message("hidden");
    hidden.extra.Set(property::kIsHidden, Variant(true));
    fixture.model.DeliverToInbox(alice.address, hidden);
    EXPECT_TRUE(CallsOf(fixture.activation.log, "OnSyncSave").empty());
    // A registration without criteria fires for hidden items too.
    fixture.CreateRegistration(alice.inboxUrl, "all.reg", "onsyncsave", "Test.Sink", "SHALLOW", "",
                               "1");
    fixture.activation.log.clear();
    fixture.model.DeliverToInbox(alice.address, hidden);
    EXPECT_EQ(CallsOf(fixture.activation.log, "OnSyncSave").size(), 2u);
}

TEST_F(StoreEvents, RegistrationItemCountsAsHiddenEvenWithoutTheProperty) {
    auto alice = fixture.AddUser("alice@example.com");
    fixture.activation.AddSink("Test.Sink");
    RegisterInInbox(alice, "Test.Sink");
    fixture.activation.log.clear();
    auto connection = fixture.ado.CreateConnection();
    connection->SetProvider("ExOLEDB.DataSource");
    connection->Open(alice.url, "", "", -1);
    auto record = fixture.ado.CreateRecord();
    record->Open(alice.inboxUrl + "/bare.reg", *connection, store::adModeReadWrite,
                 store::adCreateOverwrite, store::adDelayFetchFields, "", "");
    record->GetFields()
        ->Item("DAV:contentclass")
        ->SetValue(Variant("urn:content-class:storeeventreg"));
    record->GetFields()->Update();
    EXPECT_TRUE(CallsOf(fixture.activation.log, "OnSyncSave").empty());
    // An ordinary item without the property is visible.
    auto note = fixture.ado.CreateRecord();
    note->Open(alice.inboxUrl + "/note.EML", *connection, store::adModeReadWrite,
               store::adCreateOverwrite, store::adDelayFetchFields, "", "");
    note->GetFields()->Item("DAV:contentclass")->SetValue(Variant("urn:content-class:message"));
    note->GetFields()->Update();
    EXPECT_EQ(CallsOf(fixture.activation.log, "OnSyncSave").size(), 2u);
}

// The store's one report in the machine's event log: its event ID, the
// sink's ProgID and the item.
void ExpectStoreReports(platform::emulated::ServerDb& db, uint32_t eventId,
                        const std::string& sinkClass, const std::string& url) {
    auto entries = platform::emulated::ReadEventLog(db);
    ASSERT_EQ(entries.size(), 1u);
    const platform::EventReport& report = entries[0].report;
    EXPECT_EQ(report.source, "EXOLEDB");
    EXPECT_EQ(report.type, platform::EventType::Error);
    EXPECT_EQ(report.eventId, eventId);
    ASSERT_GE(report.inserts.size(), 2u);
    EXPECT_EQ(report.inserts[0], sinkClass);
    EXPECT_EQ(report.inserts[1], url);
}

TEST_F(StoreEvents, SinkThatCannotBeCreatedIsSkippedAndTheSaveSucceeds) {
    auto alice = fixture.AddUser("alice@example.com");
    fixture.activation.AddSink("Test.Sink");
    RegisterInInbox(alice, "Missing.Sink", "1", kVisibleOnly, "missing.reg");
    RegisterInInbox(alice, "Test.Sink", "2", kVisibleOnly, "present.reg");
    fixture.activation.log.clear();
    std::string url = fixture.model.DeliverToInbox(alice.address, Message("still here"));
    EXPECT_EQ(fixture.model.ReadItem(url).properties.Get(property::kSubject),
              Variant("still here"));
    EXPECT_EQ(CallsOf(fixture.activation.log, "OnSyncSave").size(), 2u);
    ExpectStoreReports(*fixture.db, platform::emulated::store_event_id::kSinkNotCreated,
                       "Missing.Sink", url);
}

// Inside the client's transaction the store holds the server's write lock:
// the store's report, and a sink's own made on the store's thread, wait
// for the transaction's end, committed or rolled back, and are written
// then, not lost.
TEST_F(StoreEvents, ReportsInsideTheClientsTransactionAreWrittenAtItsEnd) {
    auto alice = fixture.AddUser("alice@example.com");
    RegisterInInbox(alice, "Missing.Sink", "1", kVisibleOnly, "missing.reg");
    fixture.activation.AddSink("Sink.Reporter")->onBegin = [this](store::EventInfo&) {
        platform::emulated::EmulatedEventLog log([this] { return fixture.serverFolder(); });
        log.Report({"Sink.Reporter", platform::EventType::Warning, 4, {"reported"}});
    };
    RegisterInInbox(alice, "Sink.Reporter", "2", kVisibleOnly, "reporter.reg");
    for (const bool commit : {true, false}) {
        auto connection = fixture.ado.CreateConnection();
        connection->SetProvider("ExOLEDB.DataSource");
        connection->Open(alice.url, "", "", -1);
        connection->BeginTrans();
        const std::string url = alice.inboxUrl + (commit ? "/kept.EML" : "/dropped.EML");
        auto note = fixture.ado.CreateRecord();
        note->Open(url, *connection, store::adModeReadWrite, store::adCreateOverwrite,
                   store::adDelayFetchFields, "", "");
        note->GetFields()->Item("DAV:contentclass")->SetValue(Variant("urn:content-class:message"));
        note->GetFields()->Update();
        note->Close();
        commit ? connection->CommitTrans() : connection->RollbackTrans();
        auto entries = platform::emulated::ReadEventLog(*fixture.db);
        ASSERT_EQ(entries.size(), commit ? 2u : 4u);
        EXPECT_EQ(entries[entries.size() - 2].report.inserts.at(1), url);
        EXPECT_EQ(entries.back().report.source, "Sink.Reporter");
    }
}

TEST_F(StoreEvents, SinkThatThrowsDoesNotVetoTheSave) {
    auto alice = fixture.AddUser("alice@example.com");
    auto thrower = fixture.activation.AddSink("Sink.Thrower");
    auto stamper = fixture.activation.AddSink("Sink.Stamper");
    thrower->onBegin = [](store::EventInfo&) { throw ComError(-1, "sink failure"); };
    stamper->onBegin = StampScl;
    RegisterInInbox(alice, "Sink.Thrower", "1", kVisibleOnly, "a.reg");
    RegisterInInbox(alice, "Sink.Stamper", "2", kVisibleOnly, "b.reg");
    fixture.activation.log.clear();
    std::string url = fixture.model.DeliverToInbox(alice.address, Message("x", 2));
    EXPECT_EQ(fixture.model.ReadItem(url).properties.Get(property::kComments), Variant("SCL=2"));
    EXPECT_EQ(CallsOf(fixture.activation.log, "OnSyncSave").size(), 4u);
    // Once, although both phases failed.
    ExpectStoreReports(*fixture.db, platform::emulated::store_event_id::kSinkFailed, "Sink.Thrower",
                       url);
}

TEST_F(StoreEvents, DatabaseFailureReachesTheSinkAsAComError) {
    auto alice = fixture.AddUser("alice@example.com");
    auto sink = fixture.activation.AddSink("Test.Sink");
    std::optional<int32_t> recordError;
    std::optional<int32_t> fieldError;
    sink->onBegin = [&](store::EventInfo& info) {
        auto record = info.EventRecord();
        // From here on no fault can be looked up: the server's table is gone.
        fixture.db->Execute("DROP TABLE faults");
        try {
            record->GetFields()->Item(std::string(property::kScl))->Value();
        } catch (const ComError& error) {
            fieldError = error.number();
        }
        try {
            info.EventRecord();
        } catch (const ComError& error) {
            recordError = error.number();
        }
    };
    RegisterInInbox(alice, "Test.Sink");
    fixture.model.DeliverToInbox(alice.address, Message("x"));
    EXPECT_EQ(fieldError, platform::hresult::E_FAIL);
    EXPECT_EQ(recordError, platform::hresult::E_FAIL);
}

TEST_F(StoreEvents, RegistrationItemCallsRegisterWithTheNewItemBit) {
    auto alice = fixture.AddUser("alice@example.com");
    fixture.activation.AddSink("Test.Sink");
    RegisterInInbox(alice, "Test.Sink");
    auto registers = CallsOf(fixture.activation.log, "Register");
    ASSERT_EQ(registers.size(), 1u);
    EXPECT_EQ(registers[0].url, alice.inboxUrl + "/Morvane.reg");
    EXPECT_EQ(registers[0].flags, kNewItem);
    auto items = fixture.model.RegistrationItems();
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].properties.Get(property::kIsHidden), Variant(true));
    EXPECT_EQ(items[0].properties.Get("http://schemas.microsoft.com/exchange/events/Priority"),
              Variant("1"));
}

TEST_F(StoreEvents, RefusedRegistrationIsNotSavedAndOtherSinksSeeTheAbort) {
    auto alice = fixture.AddUser("alice@example.com");
    auto watcher = fixture.activation.AddSink("Sink.Watcher");
    auto refuser = fixture.activation.AddSink("Sink.Refuser");
    refuser->registerResult = 1;
    fixture.CreateRegistration(alice.inboxUrl, "watch.reg", "onsyncsave", "Sink.Watcher", "SHALLOW",
                               "", "1");
    fixture.activation.log.clear();
    EXPECT_THROW(RegisterInInbox(alice, "Sink.Refuser", "1", kVisibleOnly, "refused.reg"),
                 ComError);
    EXPECT_EQ(fixture.model.RegistrationItems().size(), 1u);
    auto saves = CallsOf(fixture.activation.log, "OnSyncSave");
    ASSERT_EQ(saves.size(), 2u);
    EXPECT_EQ(saves[0].flags, kBegin | kNewItem);
    EXPECT_EQ(saves[1].flags, kAborted | kNewItem);
}

TEST_F(StoreEvents, EditOfAnExistingItemIsNeitherNewNorDelivered) {
    auto alice = fixture.AddUser("alice@example.com");
    fixture.activation.AddSink("Test.Sink");
    RegisterInInbox(alice, "Test.Sink");
    std::string url = fixture.model.DeliverToInbox(alice.address, Message("x"));
    fixture.activation.log.clear();

    auto record = OpenExisting(alice, url);
    record->GetFields()->Item(std::string(property::kComments))->SetValue(Variant("edited"));
    record->GetFields()->Update();
    auto saves = CallsOf(fixture.activation.log, "OnSyncSave");
    ASSERT_EQ(saves.size(), 2u);
    EXPECT_EQ(saves[0].flags, kBegin);
    EXPECT_EQ(saves[1].flags, kCommitted);
}

TEST_F(StoreEvents, DisabledOrUnreadableRegistrationsDoNotFire) {
    auto alice = fixture.AddUser("alice@example.com");
    fixture.activation.AddSink("Test.Sink");
    fixture.CreateRegistration(alice.inboxUrl, "broken.reg", "onsyncsave", "Test.Sink", "SHALLOW",
                               "WHERE \"DAV:ishidden\" = ", "1");
    fixture.CreateRegistration(alice.inboxUrl, "any-in-inbox.reg", "onsyncsave", "Test.Sink",
                               "BOGUS", "", "1");
    fixture.activation.log.clear();
    fixture.model.DeliverToInbox(alice.address, Message("x"));
    EXPECT_TRUE(CallsOf(fixture.activation.log, "OnSyncSave").empty());
}

TEST_F(StoreEvents, RegistrationsAreFoundForTheSaveInPriorityOrder) {
    auto alice = fixture.AddUser("alice@example.com");
    RegisterInInbox(alice, "B", "10", "", "b.reg");
    RegisterInInbox(alice, "A", "x", "", "a.reg");
    RegisterInInbox(alice, "C", "-5", "", "c.reg");
    platform::emulated::StoreData data(*fixture.db);
    auto where = data.Resolve(alice.inboxUrl + "/new.EML");
    ASSERT_TRUE(where.has_value());
    platform::emulated::StoredItem item;
    item.name = "new.EML";
    auto found = platform::emulated::FindRegistrations(data, *where, item,
                                                       platform::emulated::SyncEvent::Save);
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0].sinkClass, "C");
    EXPECT_EQ(found[1].sinkClass, "B");
    EXPECT_EQ(found[2].sinkClass, "A");
    EXPECT_EQ(found[2].priority, 65535);
}

// Where a registration reaches, by its scope and the folder it lives in.
// Each row catches a scope that fires too widely or not at all.
TEST_F(StoreEvents, ScopesReachWhereTheStoreHasThem) {
    auto alice = fixture.AddUser("alice@example.com");
    auto bob = fixture.AddUser("bob@example.com");
    fixture.model.AddFolder(alice.address, "Inbox/Sub/Deeper");
    fixture.model.AddFolder(alice.address, "StoreEvents/GlobalEvents");
    auto second = fixture.model.AddStore("Second Storage Group", "Other Store");
    const std::string systemGlobal =
        fixture.model.FindMailbox(fixture.firstStore.systemMailbox)->url +
        "/StoreEvents/GlobalEvents";
    const std::string otherSystem =
        fixture.model.FindMailbox(second.systemMailbox)->url + "/StoreEvents";
    struct Row {
        std::string scope, home, savedIn;
        bool fires;
    };
    const std::vector<Row> rows = {
        {"DEEP", alice.url, alice.url + "/Inbox/Sub/Deeper", true},
        {"DEEP", alice.url, alice.url, true},
        {"DEEP", alice.url, bob.inboxUrl, false},
        {"DEEP", alice.inboxUrl, alice.inboxUrl, false},
        {"DEEP", alice.inboxUrl, alice.url + "/Inbox/Sub", false},
        {"SHALLOW", alice.inboxUrl, alice.inboxUrl, true},
        {" shallow ", alice.inboxUrl, alice.inboxUrl, true},
        {"SHALLOW", alice.inboxUrl, alice.url + "/Inbox/Sub", false},
        {"ANY", systemGlobal, alice.url + "/Inbox/Sub/Deeper", true},
        {"ANY", systemGlobal, otherSystem, false},
        {"ANY", alice.inboxUrl, alice.inboxUrl, false},
        {"ANY", alice.url + "/StoreEvents/GlobalEvents", bob.inboxUrl, false},
        {"EXACT", alice.inboxUrl, alice.inboxUrl, false},
        {"", alice.inboxUrl, alice.inboxUrl, false},
        {"BOGUS", alice.inboxUrl, alice.inboxUrl, false},
    };
    platform::emulated::StoreData data(*fixture.db);
    int n = 0;
    for (const Row& row : rows) {
        const std::string name = "r" + std::to_string(++n) + ".reg";
        fixture.CreateRegistration(row.home, name, "onsyncsave", "S", row.scope, "", "1");
        auto where = data.Resolve(row.savedIn + "/new.EML");
        ASSERT_TRUE(where.has_value()) << row.savedIn;
        platform::emulated::StoredItem item;
        item.name = "new.EML";
        bool fired = false;
        for (const auto& found : platform::emulated::FindRegistrations(
                 data, *where, item, platform::emulated::SyncEvent::Save))
            fired = fired || found.url == row.home + "/" + name;
        EXPECT_EQ(fired, row.fires)
            << "'" << row.scope << "' in " << row.home << ", save in " << row.savedIn;
    }
}

TEST_F(StoreEvents, DisabledRegistrationExistsButNeverFires) {
    auto alice = fixture.AddUser("alice@example.com");
    fixture.activation.AddSink("Test.Sink");
    RegisterInInbox(alice, "Test.Sink");
    auto record = OpenExisting(alice, alice.inboxUrl + "/Morvane.reg");
    record->GetFields()->Item(std::string(property::kEnabled))->SetValue(Variant(false));
    record->GetFields()->Update();
    fixture.activation.log.clear();
    fixture.model.DeliverToInbox(alice.address, Message("x"));
    EXPECT_TRUE(fixture.activation.log.empty());
}

TEST_F(StoreEvents, DeleteRaisesOnSyncDeleteBeginThenCommittedWithTheItemInFlight) {
    auto alice = fixture.AddUser("alice@example.com");
    auto sink = fixture.activation.AddSink("Test.Sink");
    fixture.CreateRegistration(alice.inboxUrl, "delete.reg", "onsyncsave;onsyncdelete", "Test.Sink",
                               "SHALLOW", kVisibleOnly, "1");
    std::string url = fixture.model.DeliverToInbox(alice.address, Message("going"));
    Variant seenSubject;
    bool storedDuringBegin = false;
    sink->onDeleteBegin = [&](store::EventInfo& info) {
        seenSubject =
            info.EventRecord()->GetFields()->Item(std::string(property::kSubject))->Value();
        storedDuringBegin = fixture.model.Items(alice.inboxUrl).size() == 2;
    };
    fixture.activation.log.clear();
    auto record = OpenExisting(alice, url);
    record->DeleteRecord("", false);

    auto deletes = CallsOf(fixture.activation.log, "OnSyncDelete");
    ASSERT_EQ(deletes.size(), 2u);
    EXPECT_EQ(deletes[0].flags, kBegin | kHardDelete);
    EXPECT_EQ(deletes[1].flags, kCommitted | kHardDelete);
    EXPECT_EQ(deletes[0].url, url);
    EXPECT_EQ(seenSubject, Variant("going"));
    EXPECT_TRUE(storedDuringBegin);
    EXPECT_THROW(fixture.model.ReadItem(url), ComError);
    // The model deletes the same way; a save-only registration stays silent.
    url = fixture.model.DeliverToInbox(alice.address, Message("again"));
    RegisterInInbox(alice, "Test.Sink", "2", "", "save-only.reg");
    fixture.activation.log.clear();
    fixture.model.DeleteItem(url);
    EXPECT_EQ(CallsOf(fixture.activation.log, "OnSyncDelete").size(), 2u);
    EXPECT_TRUE(CallsOf(fixture.activation.log, "OnSyncSave").empty());
}

TEST_F(StoreEvents, NewFolderIsSavedIntoItsParentWithTheCollectionBit) {
    auto alice = fixture.AddUser("alice@example.com");
    fixture.activation.AddSink("Inbox.Sink");
    fixture.activation.AddSink("Root.Sink");
    RegisterInInbox(alice, "Inbox.Sink", "1", "", "inbox.reg");
    fixture.CreateRegistration(alice.url, "root.reg", "onsyncsave", "Root.Sink", "DEEP", "", "2");
    fixture.activation.log.clear();
    fixture.model.AddFolder(alice.address, "Inbox/Sub");
    fixture.model.AddFolder(alice.address, "Inbox/Sub");  // there already: no event
    std::vector<std::tuple<std::string, std::string, int32_t>> calls;
    for (const SinkCall& call : fixture.activation.log)
        calls.emplace_back(call.sink, call.url, call.flags);
    const std::string sub = alice.inboxUrl + "/Sub";
    const int32_t bits = kNewItem | kCollection;
    EXPECT_EQ(calls, (std::vector<std::tuple<std::string, std::string, int32_t>>{
                         {"Inbox.Sink", sub, kBegin | bits},
                         {"Root.Sink", sub, kBegin | bits},
                         {"Inbox.Sink", sub, kCommitted | bits},
                         {"Root.Sink", sub, kCommitted | bits}}));
}

}  // namespace
