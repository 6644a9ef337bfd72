// The sink installed into the COM+ server application, delivered to on this
// process's store threads: after every event the application's process holds
// nothing of what the platform lent it for the event, also when the event
// fails; a process that dies or hangs in an event fails that event only, and
// the next event starts another. Morvane.so runs in this process: it has no
// application process whose handles could be counted.
#include <signal.h>

#include <cstdlib>

#include "platform/emulated/activation/WindowsHosting.h"
#include "platform/emulated/catalog/CatalogObjects.h"
#include "platform/emulated/hosting/ApplicationProcess.h"
#include "platform/emulated/hosting/ApplicationRecord.h"
#include "tests/acceptance/SinkAcceptance.h"

namespace acceptance {
namespace {

using platform::Variant;
using platform::emulated::DeliveredMessage;

class SinkInApplication : public SinkAcceptance {
  protected:
    void Install() override {
        platform::emulated::EmulatedCatalog catalog(activation);
        auto admin = catalog.CreateCatalog();
        auto applications = admin->GetCollection("Applications");
        applications->Populate();
        applications->Add()->SetValue("Name", "Morvane");
        applications->SaveChanges();
        admin->InstallComponent("Morvane", library, "", "");
    }
    void TearDown() override {
        platform::emulated::SystemWindowsHosting().EndApplications(server.folder());
    }
    bool InOneProcess() const { return GetParam().build == "Windows"; }
    std::shared_ptr<platform::emulated::WindowsHost> Host() {
        return platform::emulated::ApplicationHostOfThisThread(server.folder(), "Morvane");
    }
    // Delivers a rated message of that subject; whether the sink stamped it.
    bool DeliverStamped(const std::string& subject) {
        DeliveredMessage message;
        message.subject = subject;
        message.scl = 5;
        return Deliver(message).properties.Get(kComments) == Variant("SCL=5");
    }
};

TEST_P(SinkInApplication, AfterEveryEventTheApplicationHoldsNothingThePlatformLentIt) {
    ASSERT_EQ(Create(Place::Inbox), "1");
    for (int event = 0; event < 12; ++event) {
        // The second half fails at the keyword write.
        if (event == 6)
            store.faults().Plant({0, "field.write", "*/Failing*", -2147024891, kPlanted, {}});
        const std::string subject = (event < 6 ? "Stamped " : "Failing ") + std::to_string(event);
        EXPECT_EQ(DeliverStamped(subject), event < 6) << subject;
        if (InOneProcess()) {
            EXPECT_EQ(Host()->HandedOutObjects(), 1u)
                << subject << ": more than the platform's root";
        }
    }
}

// A process that ends as a crash would, or stops answering past the call's
// limit, in the begin phase of an event.
enum class Breakdown { Dies, Hangs };

using ApplicationProcessLife = SinkInApplication;

TEST_P(ApplicationProcessLife, ProcessThatDiesOrHangsFailsTheEventAtHandAndTheNextStartsAnother) {
    ASSERT_EQ(Create(Place::Inbox), "1");
    setenv("MORVANE_HOST_CALL_LIMIT_MS", "3000", 1);
    for (const Breakdown breakdown : {Breakdown::Dies, Breakdown::Hangs}) {
        const char* name = breakdown == Breakdown::Dies ? "dies" : "hangs";
        EXPECT_TRUE(DeliverStamped("Before")) << name;
        const pid_t first = Host()->Process();
        if (breakdown == Breakdown::Dies)
            Plant("host.end", "*/During.EML");
        else
            kill(first, SIGSTOP);
        EXPECT_FALSE(DeliverStamped("During")) << name;
        EXPECT_FALSE(platform::emulated::RunningProcess(first))
            << name << ": the process was not ended";
        EXPECT_TRUE(DeliverStamped("After")) << name << ": no new process";
        EXPECT_NE(Host()->Process(), first) << name;
    }
    unsetenv("MORVANE_HOST_CALL_LIMIT_MS");
    EXPECT_EQ(store.Items(ItemFolderUrl(Place::Inbox)).size(), 7u)
        << "six messages and the registration: every message saved";
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(Linux, SinkInApplication, ::testing::Values(LinuxSink()));
INSTANTIATE_TEST_SUITE_P(Windows, SinkInApplication, ::testing::Values(WindowsSink()));
INSTANTIATE_TEST_SUITE_P(Windows, ApplicationProcessLife, ::testing::Values(WindowsSink()));

}  // namespace acceptance
