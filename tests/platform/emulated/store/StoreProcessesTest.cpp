#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <optional>

#include "platform/ComError.h"
#include "platform/emulated/store/StoreValues.h"
#include "tests/platform/emulated/store/StoreTestSupport.h"

namespace {

using platform::Variant;
using platform::emulated::DeliveredMessage;
using platform::emulated::ServerDb;
using platform::emulated::StoreModel;
using storetest::FakeActivation;
using storetest::StoreFixture;
namespace store = platform::store;
namespace property = platform::emulated::property;

constexpr int kDeliveries = 30;
constexpr int kTransactions = 10;

// What one process does on the shared server: deliveries into a registered
// Inbox (each runs the sink) and items created in ADO transactions.
void Work(const std::string& folder, const std::string& mailboxUrl, const std::string& inboxUrl,
          const std::string& tag) {
    FakeActivation activation;
    activation.AddSink("Test.Sink")->onBegin = [](store::EventInfo& info) {
        auto fields = info.EventRecord()->GetFields();
        fields->Item(std::string(property::kComments))->SetValue(Variant("stamped"));
        fields->Update();
    };
    StoreModel model(platform::emulated::OpenSharedServer(folder), activation);
    platform::emulated::EmulatedStoreAdo ado(folder, activation);
    DeliveredMessage message;
    message.subject = "Same subject everywhere";
    message.scl = 3;
    for (int i = 0; i < kDeliveries; ++i)
        model.Deliver(inboxUrl, message);
    for (int i = 0; i < kTransactions; ++i) {
        auto connection = ado.CreateConnection();
        connection->SetProvider("ExOLEDB.DataSource");
        connection->Open(mailboxUrl, "", "", -1);
        connection->BeginTrans();
        auto record = ado.CreateRecord();
        record->Open(inboxUrl + "/" + tag + std::to_string(i) + ".EML", *connection, 3,
                     store::adCreateOverwrite, store::adDelayFetchFields, "", "");
        record->GetFields()->Item(std::string(property::kSubject))->SetValue(Variant(tag));
        record->GetFields()->Update();
        record->Close();
        connection->CommitTrans();
        connection->Close();
    }
}

// Runs Work; "" when it succeeded, else the store's error (number and
// description) or the kind of failure, never a text that may hold a path.
std::string WorkFailure(const std::string& folder, const std::string& mailboxUrl,
                        const std::string& inboxUrl, const std::string& tag) {
    try {
        Work(folder, mailboxUrl, inboxUrl, tag);
    } catch (const platform::ComError& error) {
        return std::to_string(error.number()) + " " + error.description();
    } catch (const platform::emulated::ServerError&) {
        return "server error";
    }
    return "";
}

TEST(StoreProcesses, TwoProcessesShareOneServerWithoutLockFailures) {
    StoreFixture fixture;
    auto alice = fixture.AddUser("alice@example.com");
    fixture.CreateRegistration(alice.inboxUrl, "Morvane.reg", "onsyncsave", "Test.Sink", "SHALLOW",
                               storetest::kVisibleOnly, "1");
    const std::string folder = fixture.serverFolder();

    pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        std::string failure = WorkFailure(folder, alice.url, alice.inboxUrl, "child");
        if (!failure.empty())
            std::fprintf(stderr, "the other process failed: %s\n", failure.c_str());
        _exit(failure.empty() ? 0 : 1);
    }
    std::string parentFailure = WorkFailure(folder, alice.url, alice.inboxUrl, "parent");
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the other process failed";
    EXPECT_EQ(parentFailure, "");

    // Every delivery of both processes is there, none overwrote another,
    // and the sink ran for each.
    auto items = fixture.model.Items(alice.inboxUrl);
    int delivered = 0;
    int created = 0;
    for (const auto& item : items) {
        Variant subject = item.properties.Get(property::kSubject);
        if (subject == Variant("Same subject everywhere")) {
            ++delivered;
            EXPECT_EQ(item.properties.Get(property::kComments), Variant("stamped")) << item.name;
        } else if (subject == Variant("child") || subject == Variant("parent")) {
            ++created;
        }
    }
    EXPECT_EQ(delivered, 2 * kDeliveries);
    EXPECT_EQ(created, 2 * kTransactions);
}

// Runs body in a process of its own and waits for it; true when it ran
// to its end. The child uses none of the parent's database connections.
bool InOtherProcess(const std::function<void()>& body) {
    const pid_t child = fork();
    if (child == 0) {
        try {
            body();
        } catch (...) {
            _exit(1);
        }
        _exit(0);
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

// What a process keeps between saves (its connections, the registrations,
// faults and sink classes it looked up) never hides what another process
// changed since: the next save sees it.
TEST(StoreProcesses, TheNextSaveSeesWhatAnotherProcessChanged) {
    StoreFixture fixture;
    auto alice = fixture.AddUser("alice@example.com");
    fixture.activation.AddSink("Test.Sink");
    const std::string folder = fixture.serverFolder();
    const std::string item = alice.inboxUrl + "/Morvane.reg";
    DeliveredMessage message;
    message.subject = "Offer";
    auto sinkRuns = [&] {
        const size_t before = fixture.activation.log.size();
        fixture.model.DeliverToInbox(alice.address, message);
        fixture.model.DeliverToInbox(alice.address, message);
        return fixture.activation.log.size() > before;
    };
    ASSERT_FALSE(sinkRuns());

    ASSERT_TRUE(InOtherProcess([&] {
        fixture.CreateRegistration(alice.inboxUrl, "Morvane.reg", "onsyncsave", "Test.Sink",
                                   "SHALLOW", storetest::kVisibleOnly, "1");
    }));
    EXPECT_TRUE(sinkRuns()) << "a registration another process made";

    ASSERT_TRUE(InOtherProcess([&] {
        platform::emulated::PlantedFault fault;
        fault.operation = "event.record";
        fault.number = platform::hresult::E_FAIL;
        platform::emulated::Faults(*platform::emulated::OpenSharedServer(folder)).Plant(fault);
    }));
    std::optional<int32_t> met;
    fixture.activation.AddSink("Test.Sink")->onBegin = [&met](store::EventInfo& info) {
        try {
            info.EventRecord();
        } catch (const platform::ComError& error) {
            met = error.number();
        }
    };
    EXPECT_TRUE(sinkRuns());
    EXPECT_EQ(met, platform::hresult::E_FAIL) << "a fault another process planted";

    // The registration item, opened for writing in the other process.
    auto inItem = [&](const std::function<void(store::Record&)>& change) {
        return InOtherProcess([&] {
            auto connection = fixture.ado.CreateConnection();
            connection->SetProvider("ExOLEDB.DataSource");
            connection->Open(alice.url, "", "", store::adConnectUnspecified);
            auto record = fixture.ado.CreateRecord();
            record->Open(item, *connection, store::adModeReadWrite, store::adFailIfNotExists,
                         store::adOpenRecordUnspecified, "", "");
            change(*record);
        });
    };
    fixture.activation.AddSink("Test.Other");
    ASSERT_TRUE(inItem([](store::Record& record) {
        record.GetFields()
            ->Item(std::string(property::kSinkClass))
            ->SetValue(Variant("Test.Other"));
        record.GetFields()->Update();
    }));
    EXPECT_TRUE(sinkRuns());
    EXPECT_EQ(fixture.activation.log.back().sink, "Test.Other")
        << "a property of the registration another process changed";

    ASSERT_TRUE(inItem([](store::Record& record) { record.DeleteRecord("", false); }));
    EXPECT_FALSE(sinkRuns()) << "a registration another process removed";
}

}  // namespace
