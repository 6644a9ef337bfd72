// Planted store failures at every store call the sink makes while a
// delivered message is saved: the delivery always goes ahead, and the
// message is either stamped completely or stored exactly as delivered.
// Deletes and new folders in registered folders go ahead the same way.
#include <gtest/gtest.h>

#include "platform/ComError.h"
#include "platform/emulated/store/StoreValues.h"
#include "tests/reliability/FaultSweep.h"

namespace reliability {
namespace {

using platform::Variant;
namespace property = platform::emulated::property;

struct Delivery {
    std::string name;
    bool storeWide = false;
    std::optional<std::string> displayFormat;
    platform::emulated::DeliveredMessage message;
    // Keywords and comments of the stamped message; none when the message
    // is not stamped at all.
    std::optional<Variant> stampedKeywords;
    std::optional<std::string> stamp;
};

void ExpectAsDelivered(const platform::emulated::StoredItem& item,
                       const platform::emulated::DeliveredMessage& message) {
    EXPECT_EQ(item.properties.Get(property::kKeywords), message.keywords);
    EXPECT_EQ(item.properties.Get(property::kComments),
              message.comments ? Variant(*message.comments) : Variant());
}

SweepCase SaveCase(const Delivery& delivery) {
    SweepCase sweepCase;
    sweepCase.name = "SaveBegin " + delivery.name;
    sweepCase.prepare = [delivery](SinkServer& server) {
        const auto mailbox = server.AddMailbox("ann@example.com", server.firstStore);
        ASSERT_EQ(delivery.storeWide ? server.RegisterStoreWide(server.firstStore)
                                     : server.RegisterInbox(mailbox.url),
                  "1");
        if (delivery.displayFormat)
            server.WriteDisplayFormat(*delivery.displayFormat);
    };
    sweepCase.run = [delivery](SinkServer& server, platform::store::Ado&) {
        return server.model.DeliverToInbox("ann@example.com", delivery.message);
    };
    sweepCase.verify = [delivery](SinkServer& server, const std::string& url,
                                  const StoreCall* failed, int32_t) {
        const auto item = server.model.ReadItem(url);
        EXPECT_EQ(item.properties.Get(property::kSubject), Variant(delivery.message.subject));
        EXPECT_EQ(item.properties.Get(property::kScl),
                  delivery.message.scl ? Variant(*delivery.message.scl) : Variant());
        EXPECT_GT(server.activation.created(), 0);
        const bool stamped = !failed || failed->phase != "begin";
        if (!stamped || !delivery.stamp) {
            ExpectAsDelivered(item, delivery.message);
            return;
        }
        EXPECT_EQ(item.properties.Get(property::kKeywords), *delivery.stampedKeywords);
        EXPECT_EQ(item.properties.Get(property::kComments), Variant(*delivery.stamp));
    };
    return sweepCase;
}

Delivery RatedIntoInbox() {
    Delivery delivery;
    delivery.name = "of a rated message into a registered Inbox";
    delivery.message.subject = "Offer";
    delivery.message.scl = 6;
    delivery.message.keywords = Variant::StringArray({"Project", "SCL=3", "  ", "6"});
    delivery.message.comments = "from the filter";
    delivery.stampedKeywords = Variant::StringArray({"Project", "6", "SCL=6"});
    delivery.stamp = "SCL=6";
    return delivery;
}

Delivery RatedStoreWideBare() {
    Delivery delivery;
    delivery.name = "of a rated message under a store-wide registration, bare form";
    delivery.storeWide = true;
    delivery.displayFormat = "<SCL value>";
    delivery.message.subject = "Newsletter";
    delivery.message.scl = -1;
    delivery.message.keywords = Variant::StringArray({"-1", "SCL=-1", "Urgent"});
    delivery.stampedKeywords = Variant::StringArray({"SCL=-1", "Urgent", "-1"});
    delivery.stamp = "-1";
    return delivery;
}

Delivery Unrated() {
    Delivery delivery;
    delivery.name = "of an unrated message";
    delivery.message.subject = "Hello";
    delivery.message.keywords = Variant::StringArray({"SCL=4"});
    delivery.message.comments = "kept";
    return delivery;
}

void PrepareRegisteredInbox(SinkServer& server, const std::string& eventMethod) {
    const auto mailbox = server.AddMailbox("ann@example.com", server.firstStore);
    ASSERT_EQ(server.RegisterInbox(mailbox.url, eventMethod), "1");
}

// The delete of a message from an Inbox registered for deletes too: the
// sink only reads the event record, and the delete always goes ahead.
SweepCase DeleteCase() {
    SweepCase sweepCase;
    sweepCase.name = "DeleteBegin of a message in an Inbox registered for deletes";
    sweepCase.prepare = [](SinkServer& server) {
        PrepareRegisteredInbox(server, "onsyncsave;onsyncdelete");
        server.model.DeliverToInbox("ann@example.com", RatedIntoInbox().message);
    };
    sweepCase.run = [](SinkServer& server, platform::store::Ado&) {
        const std::string url = server.model.FindMailbox("ann@example.com")->inboxUrl + "/" +
                                RatedIntoInbox().message.subject + ".EML";
        server.model.DeleteItem(url);
        return url;
    };
    sweepCase.verify = [](SinkServer& server, const std::string& url, const StoreCall*, int32_t) {
        EXPECT_THROW(server.model.ReadItem(url), platform::ComError);
    };
    return sweepCase;
}

// A new folder saved into a registered Inbox: the sink skips collections,
// and the folder is made whatever fails.
SweepCase FolderCase() {
    SweepCase sweepCase;
    sweepCase.name = "SaveBegin of a new folder in a registered Inbox";
    sweepCase.prepare = [](SinkServer& server) { PrepareRegisteredInbox(server, "onsyncsave"); };
    sweepCase.run = [](SinkServer& server, platform::store::Ado&) {
        return server.model.AddFolder("ann@example.com", "Inbox/Projects").url;
    };
    sweepCase.verify = [](SinkServer& server, const std::string& url, const StoreCall*, int32_t) {
        EXPECT_EQ(url, server.model.FindMailbox("ann@example.com")->inboxUrl + "/Projects");
        EXPECT_EQ(server.model.Folders("ann@example.com").size(), 3u);  // root, Inbox, Projects
    };
    return sweepCase;
}

}  // namespace

std::vector<SweepCase> SaveCases() {
    return {SaveCase(RatedIntoInbox()), SaveCase(RatedStoreWideBare()), SaveCase(Unrated()),
            DeleteCase(), FolderCase()};
}

namespace {

TEST(SaveFaultSweep, EveryStoreCallFailingLeavesTheMessageWholeAndDelivered) {
    for (const SweepCase& sweepCase : SaveCases()) {
        const CleanRun clean = RunClean(sweepCase);
        ASSERT_FALSE(clean.calls.empty()) << sweepCase.name;
        for (size_t i = 0; i < clean.calls.size(); ++i) {
            RunFailingAt(sweepCase, clean, i, platform::hresult::E_FAIL, "Unspecified error");
            RunFailingAt(sweepCase, clean, i, platform::hresult::DB_E_NOTFOUND, "Not found");
        }
    }
}

TEST(SaveFaultSweep, CleanRunsMakeTheExpectedStoreCalls) {
    using Ops = std::vector<std::string>;
    const CleanRun rated = RunClean(SaveCase(RatedIntoInbox()));
    EXPECT_EQ(OperationsOf(rated.calls),
              Ops({"event.record", "field.read", "field.read", "field.write", "field.write",
                   "fields.update", "event.record"}));
    EXPECT_EQ(rated.calls.front().phase, "begin");
    EXPECT_EQ(rated.calls.back().phase, "committed");
    EXPECT_EQ(rated.calls.front().url, rated.result);
    EXPECT_EQ(OperationsOf(RunClean(SaveCase(Unrated())).calls),
              Ops({"event.record", "field.read", "event.record"}));
    // Deletes and folders: the record is fetched in each phase, nothing more.
    for (const SweepCase& sweepCase : {DeleteCase(), FolderCase()}) {
        const CleanRun clean = RunClean(sweepCase);
        EXPECT_EQ(OperationsOf(clean.calls), Ops({"event.record", "event.record"}))
            << sweepCase.name;
        ASSERT_EQ(clean.calls.size(), 2u);
        EXPECT_EQ(clean.calls[0].phase, "begin");
        EXPECT_EQ(clean.calls[1].phase, "committed");
        EXPECT_EQ(clean.calls[0].url, clean.result);
    }
}

}  // namespace
}  // namespace reliability
