// The life of the Windows sink's host under the store's events: a host that
// cannot start, dies in the middle of an event or hangs past its limit
// fails the creation of the sink for that event only. The message is saved
// as delivered, the store stays whole, the next event on the thread starts
// a new host, and no host outlives its thread.
#include <dirent.h>
#include <signal.h>

#include <cctype>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <thread>

#include "platform/emulated/hosting/WindowsHost.h"
#include "platform/emulated/store/StoreValues.h"
#include "tests/acceptance/SinkAcceptance.h"

namespace acceptance {
namespace {

using platform::Variant;
using platform::emulated::DeliveredMessage;
using platform::emulated::WindowsHost;
namespace property = platform::emulated::property;

// The processes this process started that still exist.
std::set<pid_t> ChildProcesses() {
    std::set<pid_t> children;
    DIR* proc = opendir("/proc");
    for (dirent* entry = proc ? readdir(proc) : nullptr; entry; entry = readdir(proc)) {
        if (!std::isdigit(static_cast<unsigned char>(entry->d_name[0])))
            continue;
        std::ifstream stat(std::string("/proc/") + entry->d_name + "/stat");
        std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
        const size_t fields = text.rfind(") ");
        if (fields == std::string::npos)
            continue;
        char state = 0;
        long parent = 0;
        if (std::sscanf(text.c_str() + fields + 2, "%c %ld", &state, &parent) == 2 &&
            parent == getpid())
            children.insert(static_cast<pid_t>(std::atol(entry->d_name)));
    }
    if (proc)
        closedir(proc);
    return children;
}

// Sets an environment variable while it lives.
class ScopedVariable {
  public:
    ScopedVariable(const char* name, const std::string& value) : name_(name) {
        if (const char* previous = std::getenv(name))
            previous_ = previous;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedVariable() {
        if (previous_)
            setenv(name_, previous_->c_str(), 1);
        else
            unsetenv(name_);
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

  private:
    const char* name_;
    std::optional<std::string> previous_;
};

class WindowsHostLife : public SinkAcceptance {
  protected:
    void SetUp() override {
        SinkAcceptance::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        ASSERT_EQ(Create(Place::Inbox), "1");
        before = ChildProcesses();
    }

    // Runs body on a store thread of its own, with a store connection of
    // that thread; the thread's host ends with it.
    template <typename Body>
    void OnAStoreThread(Body body) {
        std::thread thread([&] {
            platform::emulated::StoreModel model(
                platform::emulated::ServerDb::Open(server.folder()), activation);
            body(model);
        });
        thread.join();
        EXPECT_EQ(ChildProcesses(), before) << "a host outlived its thread";
    }

    // Delivers a rated message of that subject; whether the sink stamped it.
    bool DeliverStamped(platform::emulated::StoreModel& model, const std::string& subject) {
        DeliveredMessage message;
        message.subject = subject;
        message.scl = 2;
        message.keywords = Variant::StringArray({"kept"});
        const auto item = model.ReadItem(model.DeliverToInbox("jane@example.com", message));
        if (item.properties.Get(kComments) == Variant("SCL=2") &&
            item.properties.Get(kKeywords) == Variant::StringArray({"kept", "SCL=2"}))
            return true;
        EXPECT_EQ(item.properties.Get(kKeywords), message.keywords) << subject << ": half stamped";
        EXPECT_TRUE(item.properties.Get(kComments).IsEmpty()) << subject << ": half stamped";
        return false;
    }

    // The subjects of the Inbox's messages: the store kept every delivery
    // once, and nothing else.
    std::multiset<std::string> InboxSubjects() {
        std::multiset<std::string> subjects;
        for (const auto& item : store.Items(ItemFolderUrl(Place::Inbox))) {
            if (item.name != kRegName)
                subjects.insert(item.properties.Get(property::kSubject).AsString());
        }
        return subjects;
    }

    static bool Gone(pid_t process) { return !ChildProcesses().count(process); }

    std::set<pid_t> before;
};

struct UnstartableHost {
    std::string what;
    // Prepares a bin folder in folder; returns it.
    std::function<std::string(const std::string& folder)> bin;
};

const std::vector<UnstartableHost> kUnstartableHosts = {
    {"no Windows build", [](const std::string& folder) { return folder + "/none"; }},
    {"a bridge library that is no library",
     [](const std::string& folder) {
         std::filesystem::copy_file(
             std::string(std::getenv("MORVANE_WINDOWS_BIN")) + "/MorvaneWindowsHost.exe",
             folder + "/MorvaneWindowsHost.exe");
         testsupport::WriteFile(folder + "/MorvaneBridge.dll", "not a library");
         return folder;
     }},
};

TEST_P(WindowsHostLife, HostThatCannotStartFailsOnlyTheEventAtHand) {
    for (const UnstartableHost& host : kUnstartableHosts) {
        testsupport::TempFolder folder;
        const std::string bin = host.bin(folder.path());
        OnAStoreThread([&](platform::emulated::StoreModel& model) {
            {
                ScopedVariable broken("MORVANE_WINDOWS_BIN", bin);
                EXPECT_FALSE(DeliverStamped(model, "Unstamped")) << host.what;
            }
            EXPECT_TRUE(DeliverStamped(model, "Stamped")) << host.what << ": no new host";
        });
    }
    EXPECT_EQ(InboxSubjects(),
              std::multiset<std::string>({"Unstamped", "Stamped", "Unstamped", "Stamped"}));
}

TEST_P(WindowsHostLife, HostThatDiesInAnEventLeavesTheMessageSavedAndTheNextEventANewHost) {
    OnAStoreThread([&](platform::emulated::StoreModel& model) {
        EXPECT_TRUE(DeliverStamped(model, "Before"));
        const pid_t first = WindowsHost::ForThisThread()->Process();
        Plant("host.end", "*/During.EML");
        EXPECT_FALSE(DeliverStamped(model, "During"));
        EXPECT_TRUE(FaultsUsedUp());
        EXPECT_TRUE(Gone(first)) << "the host did not end";
        EXPECT_TRUE(DeliverStamped(model, "After"));
        EXPECT_NE(WindowsHost::ForThisThread()->Process(), first);
    });
    EXPECT_EQ(InboxSubjects(), std::multiset<std::string>({"Before", "During", "After"}));
    EXPECT_EQ(Check(Place::Inbox), "1");
}

TEST_P(WindowsHostLife, HostThatHangsPastTheLimitIsEndedAndTheNextEventStartsANewHost) {
    ScopedVariable limit("MORVANE_HOST_CALL_LIMIT_MS", "3000");
    OnAStoreThread([&](platform::emulated::StoreModel& model) {
        EXPECT_TRUE(DeliverStamped(model, "Before"));
        const pid_t first = WindowsHost::ForThisThread()->Process();
        ASSERT_EQ(kill(first, SIGSTOP), 0);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(DeliverStamped(model, "During"));
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30))
            << "the store waited past the host's limit";
        EXPECT_TRUE(Gone(first)) << "the hung host was not ended";
        EXPECT_TRUE(DeliverStamped(model, "After"));
    });
    EXPECT_EQ(InboxSubjects(), std::multiset<std::string>({"Before", "During", "After"}));
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(Windows, WindowsHostLife, ::testing::Values(WindowsSink()));

}  // namespace acceptance
