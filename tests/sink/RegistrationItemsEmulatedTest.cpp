// The registration item methods and the stamping against the emulated
// mail store, through its ADO objects.
#include <gtest/gtest.h>

#include "platform/Clock.h"
#include "platform/emulated/store/StoreValues.h"
#include "sink/LibraryFolder.h"
#include "sink/MorvaneCls.h"
#include "sink/MorvaneModule.h"
#include "tests/platform/emulated/store/StoreTestSupport.h"

namespace {

using platform::Variant;
using platform::emulated::MailboxInfo;
using platform::emulated::PlantedFault;
using Entries = std::vector<std::pair<std::string, Variant>>;

const std::string kNow = "[2026-12-07 05:07:58] ";
const std::string kEvents = "http://schemas.microsoft.com/exchange/events/";
const std::string kRegName = "Morvane.reg";

class EmulatedRegistration : public ::testing::Test {
  protected:
    EmulatedRegistration() { server_.activation.AddSink("Morvane.MorvaneCls"); }

    std::string Create(std::string parent, std::string subFolder = "inbox",
                       std::string scope = "SHALLOW") {
        std::string name = kRegName, method = "onsyncsave", sinkClass = "Morvane.MorvaneCls",
                    criteria = storetest::kVisibleOnly, priority = "1";
        return sink_.CreateRegItem(parent, subFolder, name, method, sinkClass, scope, criteria,
                                   priority);
    }
    std::string Remove(std::string parent, std::string subFolder = "inbox") {
        std::string name = kRegName;
        return sink_.RemoveRegItem(parent, subFolder, name);
    }
    std::string Check(std::string parent, std::string subFolder = "inbox") {
        std::string name = kRegName;
        return sink_.CheckRegItemExists(parent, subFolder, name);
    }

    // The seven registration properties of the item at url, in stored order.
    Entries RegistrationFields(const std::string& url) {
        Entries fields;
        const platform::emulated::StoredItem item = server_.model.ReadItem(url);
        for (const auto& entry : item.properties.entries()) {
            if (entry.first.rfind(kEvents, 0) == 0 || entry.first == "DAV:contentclass" ||
                entry.first == "DAV:ishidden")
                fields.push_back(entry);
        }
        return fields;
    }

    void Plant(const std::string& operation, std::optional<std::string> pattern = std::nullopt) {
        PlantedFault fault;
        fault.operation = operation;
        fault.number = platform::hresult::E_FAIL;
        fault.description = "Unspecified error";
        fault.urlPattern = std::move(pattern);
        fault.remaining = 1;
        server_.model.faults().Plant(fault);
    }

    storetest::StoreFixture server_;
    platform::FixedClock clock_{platform::LocalTime{2026, 12, 7, 5, 7, 58}};
    MorvaneCls sink_{server_.ado, clock_};
};

TEST_F(EmulatedRegistration, CreateCheckRemoveRoundTrip) {
    MailboxInfo ann = server_.AddUser("ann@example.com");
    EXPECT_EQ(Check(ann.url), "0");
    EXPECT_EQ(Create(ann.url), "1");
    EXPECT_EQ(RegistrationFields(ann.inboxUrl + "/" + kRegName),
              Entries({
                  {"DAV:contentclass", Variant("urn:content-class:storeeventreg")},
                  {kEvents + "EventMethod", Variant("onsyncsave")},
                  {kEvents + "SinkClass", Variant("Morvane.MorvaneCls")},
                  {kEvents + "MatchScope", Variant("SHALLOW")},
                  {kEvents + "criteria", Variant(storetest::kVisibleOnly)},
                  {kEvents + "priority", Variant("1")},
                  {"DAV:ishidden", Variant(true)},
              }));
    EXPECT_EQ(Check(ann.url), "1");
    EXPECT_EQ(Create(ann.url), "1");
    EXPECT_EQ(server_.model.RegistrationItems().size(), 1u);
    EXPECT_EQ(Remove(ann.url), "1");
    EXPECT_EQ(Check(ann.url), "0");
    EXPECT_EQ(Remove(ann.url), "0");
    EXPECT_TRUE(server_.model.RegistrationItems().empty());
}

TEST_F(EmulatedRegistration, LocalisedInboxIsUsedByAllThree) {
    MailboxInfo bob = server_.AddUser("bob@example.com", "Posteingang");
    EXPECT_EQ(Create(bob.url, "INBOX"), "1");
    EXPECT_EQ(server_.model.ReadItem(bob.inboxUrl + "/" + kRegName).name, kRegName);
    EXPECT_EQ(Check(bob.url, "Inbox"), "1");
    EXPECT_EQ(Remove(bob.url, "inbox"), "1");
    EXPECT_EQ(Check(bob.url), "0");
}

TEST_F(EmulatedRegistration, RootWithoutFieldsTakesTheItemItself) {
    MailboxInfo cy = server_.AddUser("cy@example.com", "Inbox", false);
    EXPECT_EQ(Create(cy.url), "1");
    EXPECT_EQ(server_.model.ReadItem(cy.url + "/" + kRegName).name, kRegName);
    EXPECT_EQ(Remove(cy.url), "1");
    EXPECT_TRUE(server_.model.RegistrationItems().empty());
}

TEST_F(EmulatedRegistration, StoreWideItemInGlobalEvents) {
    std::string system = server_.model.FindMailbox(server_.firstStore.systemMailbox)->url;
    EXPECT_EQ(Create(system, "StoreEvents/GlobalEvents", "ANY"), "1");
    EXPECT_EQ(Check(system, "StoreEvents/GlobalEvents"), "1");
    EXPECT_EQ(Remove(system, "StoreEvents/GlobalEvents"), "1");
    EXPECT_EQ(Check(system, "StoreEvents/GlobalEvents"), "0");
}

TEST_F(EmulatedRegistration, MissingMailbox) {
    server_.AddUser("ann@example.com");
    const std::string missing = server_.AddUser("x@example.com").url + "-gone";
    EXPECT_EQ(Create(missing).rfind(kNow + missing + " - ERROR: -2147217895 ", 0), 0u)
        << Create(missing);
    EXPECT_EQ(Remove(missing), "0");
    EXPECT_EQ(Check(missing), "0");
}

TEST_F(EmulatedRegistration, FailedCreateLeavesNoItem) {
    MailboxInfo ann = server_.AddUser("ann@example.com");
    for (const char* operation : {"record.open", "field.write", "fields.update",
                                  "transaction.commit", "transaction.begin"}) {
        Plant(operation, "*" + kRegName);
        if (std::string(operation).rfind("transaction", 0) == 0)
            Plant(operation);
        EXPECT_EQ(Create(ann.url), kNow + ann.url + " - ERROR: -2147467259 Unspecified error")
            << operation;
        EXPECT_TRUE(server_.model.RegistrationItems().empty()) << operation;
        server_.model.faults().Clear();
    }
    EXPECT_EQ(Create(ann.url), "1");
}

TEST_F(EmulatedRegistration, ErrorLinesNameTheRightUrl) {
    MailboxInfo bob = server_.AddUser("bob@example.com", "Posteingang");
    EXPECT_EQ(Create(bob.url), "1");
    const std::string tail = " - ERROR: -2147467259 Unspecified error";
    Plant("record.open", "*/Posteingang/" + kRegName);
    EXPECT_EQ(Check(bob.url), kNow + bob.inboxUrl + tail);
    Plant("record.open", "*/Posteingang/" + kRegName);
    EXPECT_EQ(Remove(bob.url), kNow + bob.inboxUrl + "/" + kRegName + tail);
    EXPECT_EQ(Check(bob.url), "1");
}

// A delivered message passes through MorvaneCls in the store's begin phase.
TEST(EmulatedStamping, DeliveredMessageIsStampedInTheStore) {
    storetest::StoreFixture server;
    MailboxInfo ann = server.AddUser("ann@example.com");
    testsupport::WriteFile(server.temp.File("Morvane.ini"),
                           "[Morvane Settings]\r\nSCLDisplayFormat=<SCL value>\r\n");
    SetSettingsFolderOverride(server.temp.path());
    MorvaneCls sink(server.ado);
    auto recording = server.activation.AddSink("Morvane.MorvaneCls");
    recording->onBegin = [&](platform::store::EventInfo& info) {
        sink.OnSyncSave(info, "", server.activation.log.back().flags);
    };
    std::string name = kRegName, method = "onsyncsave", sinkClass = "Morvane.MorvaneCls",
                scope = "SHALLOW", criteria = storetest::kVisibleOnly, priority = "1",
                parent = ann.url, sub = "inbox";
    ASSERT_EQ(sink.CreateRegItem(parent, sub, name, method, sinkClass, scope, criteria, priority),
              "1");

    platform::emulated::DeliveredMessage message;
    message.subject = "Offer";
    message.scl = 7;
    message.keywords = Variant::StringArray({"7", "customer"});
    std::string url = server.model.DeliverToInbox(ann.address, message);
    SetSettingsFolderOverride(std::nullopt);

    auto item = server.model.ReadItem(url);
    namespace property = platform::emulated::property;
    EXPECT_EQ(item.properties.Get(property::kKeywords), Variant::StringArray({"customer", "7"}));
    EXPECT_EQ(item.properties.Get(property::kComments), Variant("7"));
}

}  // namespace
