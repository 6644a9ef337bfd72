#include "platform/emulated/db/Faults.h"

#include <gtest/gtest.h>

#include "platform/ComError.h"
#include "platform/emulated/store/StoreValues.h"
#include "tests/platform/emulated/store/StoreTestSupport.h"

namespace {

using platform::ComError;
using platform::Variant;
using platform::emulated::Faults;
using platform::emulated::PlantedFault;
using platform::emulated::ServerDb;
using storetest::StoreFixture;
namespace store = platform::store;
namespace property = platform::emulated::property;

PlantedFault Fault(const std::string& operation, int32_t number, const std::string& description,
                   std::optional<std::string> pattern = std::nullopt,
                   std::optional<int64_t> times = std::nullopt) {
    PlantedFault fault;
    fault.operation = operation;
    fault.number = number;
    fault.description = description;
    fault.urlPattern = std::move(pattern);
    fault.remaining = times;
    return fault;
}

// The error a call throws; fails the test when it throws none.
template <typename Call>
ComError ErrorOf(Call call) {
    try {
        call();
    } catch (const ComError& error) {
        return error;
    }
    ADD_FAILURE() << "the call did not fail";
    return ComError(0, "");
}

class FaultsTest : public ::testing::Test {
  protected:
    std::shared_ptr<store::Connection> Connect(const std::string& url) {
        auto connection = fixture.ado.CreateConnection();
        connection->SetProvider("ExOLEDB.DataSource");
        connection->Open(url, "", "", -1);
        return connection;
    }
    std::shared_ptr<store::Record> Open(store::Connection& connection, const std::string& url,
                                        int32_t createOptions = store::adFailIfNotExists) {
        auto record = fixture.ado.CreateRecord();
        record->Open(url, connection, store::adModeReadWrite, createOptions, -1, "", "");
        return record;
    }
    void PutItem(store::Connection& connection, const std::string& url) {
        auto record = Open(connection, url, store::adCreateOverwrite);
        record->GetFields()->Item("urn:schemas:httpmail:subject")->SetValue(Variant("x"));
        record->GetFields()->Update();
    }

    StoreFixture fixture;
    Faults& faults = fixture.model.faults();
};

TEST_F(FaultsTest, PlantedFaultsAreListedAndCleared) {
    int64_t first = faults.Plant(Fault("record.open", -2147467259, "Unspecified error"));
    faults.Plant(Fault("field.write", 5, "Access denied", "*/Inbox/*", 2));
    auto listed = faults.List();
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[0].id, first);
    EXPECT_EQ(listed[0].operation, "record.open");
    EXPECT_EQ(listed[0].number, -2147467259);
    EXPECT_EQ(listed[0].description, "Unspecified error");
    EXPECT_FALSE(listed[0].urlPattern.has_value());
    EXPECT_FALSE(listed[0].remaining.has_value());
    EXPECT_EQ(listed[1].urlPattern, "*/Inbox/*");
    EXPECT_EQ(listed[1].remaining, 2);
    faults.Remove(first);
    EXPECT_EQ(faults.List().size(), 1u);
    faults.Clear();
    EXPECT_TRUE(faults.List().empty());
}

TEST_F(FaultsTest, CountedFaultFailsExactlyThatManyTimes) {
    auto alice = fixture.AddUser("alice@example.com");
    faults.Plant(Fault("connection.open", -2147467259, "Unspecified error", std::nullopt, 2));
    for (int i = 0; i < 2; ++i) {
        ComError error = ErrorOf([&] { Connect(alice.url); });
        EXPECT_EQ(error.number(), -2147467259);
        EXPECT_EQ(error.description(), "Unspecified error");
    }
    EXPECT_NO_THROW(Connect(alice.url));
    EXPECT_EQ(faults.List().at(0).remaining, 0);
}

TEST_F(FaultsTest, PatternLimitsTheFaultToMatchingUrls) {
    auto alice = fixture.AddUser("alice@example.com");
    auto connection = Connect(alice.url);
    PutItem(*connection, alice.inboxUrl + "/Morvane.reg");
    PutItem(*connection, alice.inboxUrl + "/other.EML");
    faults.Plant(Fault("record.open", 70, "Permission denied", "*/MORVANE.REG"));
    EXPECT_EQ(ErrorOf([&] { Open(*connection, alice.inboxUrl + "/Morvane.reg"); }).number(), 70);
    EXPECT_NO_THROW(Open(*connection, alice.inboxUrl + "/other.EML"));
}

TEST_F(FaultsTest, EveryStoreOperationCanBeFailed) {
    auto alice = fixture.AddUser("alice@example.com");
    const std::string item = alice.inboxUrl + "/Morvane.reg";
    {
        auto connection = Connect(alice.url);
        PutItem(*connection, item);
    }
    auto connection = Connect(alice.url);
    struct Case {
        std::string operation;
        std::function<void()> call;
    };
    std::vector<Case> cases = {
        {"connection.open", [&] { Connect(alice.url); }},
        {"transaction.begin",
         [&] {
             connection->BeginTrans();
             connection->RollbackTrans();
         }},
        {"record.open", [&] { Open(*connection, item); }},
        {"field.read",
         [&] {
             Open(*connection, item)->GetFields()->Item("urn:schemas:httpmail:subject")->Value();
         }},
        {"field.write",
         [&] { Open(*connection, item)->GetFields()->Item("a")->SetValue(Variant("b")); }},
        {"fields.update", [&] { Open(*connection, item)->GetFields()->Update(); }},
        {"record.delete", [&] { Open(*connection, item)->DeleteRecord("", false); }},
    };
    int32_t number = 100;
    for (const Case& c : cases) {
        faults.Plant(Fault(c.operation, ++number, "planted at " + c.operation, std::nullopt, 1));
        ComError error = ErrorOf(c.call);
        EXPECT_EQ(error.number(), number) << c.operation;
        EXPECT_EQ(error.description(), "planted at " + c.operation);
        EXPECT_NO_THROW(c.call()) << c.operation << " failed a second time";
    }
    // The item survived every failed delete; the last, unfailed one removed it.
    EXPECT_THROW(fixture.model.ReadItem(item), ComError);
}

TEST_F(FaultsTest, FailedCommitLeavesNothingBehind) {
    auto alice = fixture.AddUser("alice@example.com");
    faults.Plant(Fault("transaction.commit", -2147467259, "Unspecified error", std::nullopt, 1));
    {
        auto connection = Connect(alice.url);
        connection->BeginTrans();
        PutItem(*connection, alice.inboxUrl + "/Morvane.reg");
        EXPECT_THROW(connection->CommitTrans(), ComError);
        connection->RollbackTrans();
        connection->Close();
    }
    EXPECT_TRUE(fixture.model.Items(alice.inboxUrl).empty());
    // The one planted use is spent although its transaction was rolled back.
    auto connection = Connect(alice.url);
    connection->BeginTrans();
    PutItem(*connection, alice.inboxUrl + "/Morvane.reg");
    EXPECT_NO_THROW(connection->CommitTrans());
    EXPECT_EQ(fixture.model.Items(alice.inboxUrl).size(), 1u);
}

TEST_F(FaultsTest, CountedUseTakenInsideARolledBackTransactionStaysTaken) {
    auto alice = fixture.AddUser("alice@example.com");
    faults.Plant(Fault("fields.update", 7, "Out of memory", std::nullopt, 1));
    auto connection = Connect(alice.url);
    connection->BeginTrans();
    EXPECT_THROW(PutItem(*connection, alice.inboxUrl + "/a.EML"), ComError);
    connection->RollbackTrans();
    EXPECT_EQ(faults.List().at(0).remaining, 0);
    EXPECT_NO_THROW(PutItem(*connection, alice.inboxUrl + "/a.EML"));
}

TEST_F(FaultsTest, EventRecordFaultReachesTheSink) {
    auto alice = fixture.AddUser("alice@example.com");
    auto sink = fixture.activation.AddSink("Test.Sink");
    std::optional<int32_t> seen;
    sink->onBegin = [&](store::EventInfo& info) {
        try {
            info.EventRecord();
        } catch (const ComError& error) {
            seen = error.number();
        }
    };
    fixture.CreateRegistration(alice.inboxUrl, "Morvane.reg", "onsyncsave", "Test.Sink", "SHALLOW",
                               "", "1");
    faults.Plant(Fault("event.record", 42, "no record", "*.EML"));
    platform::emulated::DeliveredMessage message;
    message.subject = "x";
    std::string url = fixture.model.DeliverToInbox(alice.address, message);
    EXPECT_EQ(seen, 42);
    EXPECT_NO_THROW(fixture.model.ReadItem(url));
}

TEST_F(FaultsTest, FieldReadFaultInsideTheSinkLeavesTheMessageUnchanged) {
    auto alice = fixture.AddUser("alice@example.com");
    auto sink = fixture.activation.AddSink("Test.Sink");
    sink->onBegin = [](store::EventInfo& info) {
        auto fields = info.EventRecord()->GetFields();
        fields->Item(std::string(property::kComments))->SetValue(Variant("stamped"));
        fields->Item(std::string(property::kScl))->Value();  // fails
        fields->Update();
    };
    fixture.CreateRegistration(alice.inboxUrl, "Morvane.reg", "onsyncsave", "Test.Sink", "SHALLOW",
                               "", "1");
    faults.Plant(Fault("field.read", 13, "Type mismatch", "*.EML"));
    platform::emulated::DeliveredMessage message;
    message.subject = "x";
    message.comments = "original";
    std::string url = fixture.model.DeliverToInbox(alice.address, message);
    EXPECT_EQ(fixture.model.ReadItem(url).properties.Get(property::kComments), Variant("original"));
}

TEST_F(FaultsTest, FaultPlantedThroughOneConnectionIsMetThroughAnother) {
    auto alice = fixture.AddUser("alice@example.com");
    {
        auto other = ServerDb::Open(fixture.serverFolder());
        Faults(*other).Plant(Fault("connection.open", 99, "elsewhere", std::nullopt, 1));
    }
    EXPECT_EQ(ErrorOf([&] { Connect(alice.url); }).number(), 99);
}

TEST(FaultPattern, GlobIgnoresCase) {
    using platform::emulated::FaultPatternMatches;
    EXPECT_TRUE(FaultPatternMatches("*/inbox/*", "http://s/exadmin/d/mbx/a/Inbox/x.EML"));
    EXPECT_TRUE(FaultPatternMatches("http://s/*", "HTTP://S/x"));
    EXPECT_FALSE(FaultPatternMatches("*/inbox", "http://s/exadmin/d/mbx/a/Inbox/x.EML"));
    EXPECT_TRUE(FaultPatternMatches("*.re?", "a/Morvane.reg"));
}

}  // namespace
