#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <exception>

#include "platform/ComError.h"
#include "platform/emulated/StoreValues.h"
#include "tests/platform/emulated/StoreTestSupport.h"

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

TEST(StoreProcesses, TwoProcessesShareOneServerWithoutLockFailures) {
    StoreFixture fixture;
    auto alice = fixture.AddUser("alice@example.com");
    fixture.CreateRegistration(alice.inboxUrl, "Morvane.reg", "onsyncsave", "Test.Sink", "SHALLOW",
                               storetest::kVisibleOnly, "1");
    const std::string folder = fixture.serverFolder();

    pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        int code = 0;
        try {
            Work(folder, alice.url, alice.inboxUrl, "child");
        } catch (const std::exception& error) {
            std::fprintf(stderr, "the other process failed: %s\n", error.what());
            code = 1;
        }
        _exit(code);
    }
    std::string parentFailure;
    try {
        Work(folder, alice.url, alice.inboxUrl, "parent");
    } catch (const std::exception& error) {
        parentFailure = error.what();
    }
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

}  // namespace
