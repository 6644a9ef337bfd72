// The sink end to end through morvane-lab, for both libraries: regsvr,
// invoke of the registration methods, deliveries, deletes and folders,
// registrations and planted faults. Each morvane-lab process that creates
// the Windows sink registered on its own starts a host of its own; one
// installed into a COM+ application runs in the application's process.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <thread>

#include "platform/emulated/activation/Registry.h"
#include "platform/emulated/hosting/ApplicationProcess.h"
#include "tests/acceptance/SinkLibraries.h"
#include "tests/tools/morvane-lab/LabProcess.h"

namespace labtest {
namespace {

using acceptance::SinkLibrary;
constexpr const char* kSink = "Morvane.MorvaneCls";
constexpr const char* kCriteria = " WHERE \"DAV:ishidden\" = FALSE";
constexpr const char* kAnna = "anna.berger@morvane.test";
constexpr const char* kAnnaUrl = "http://ex1/exadmin/morvane.test/mbx/anna.berger@morvane.test";

// The sink against the default organisation, through morvane-lab, with
// the library of the parameter as the only one registered. The library is
// a copy in the test's own folder, so its settings file there is the
// test's own.
class LabSinkTest : public ::testing::TestWithParam<SinkLibrary> {
  protected:
    void SetUp() override {
        if (const std::string why = GetParam().Unavailable(); !why.empty())
            GTEST_SKIP() << why;
        server.Ok({"init"});
        std::filesystem::create_directories(server.temp().File("bin"));
        library = server.temp().File("bin/" + GetParam().fileName);
        std::filesystem::copy_file(GetParam().Source(), library);
        Install();
    }
    // The library registered on its own, as regsvr32 does.
    virtual void Install() { server.Ok({"regsvr", library}); }

    void WriteFormat(const std::string& format) {
        testsupport::WriteFile(server.temp().File("bin/Morvane.ini"),
                               "[Morvane Settings]\r\nSCLDisplayFormat=" + format + "\r\n");
    }

    std::string Register(const std::string& mailboxUrl, const std::string& subFolder,
                         const std::string& scope) {
        return server
            .Ok({"invoke", kSink, "CreateRegItem", mailboxUrl, subFolder, "Morvane.reg",
                 "onsyncsave", kSink, scope, kCriteria, "1"})
            .out;
    }

    nlohmann::json Deliver(const std::vector<std::string>& arguments) {
        std::vector<std::string> command{"deliver"};
        command.insert(command.end(), arguments.begin(), arguments.end());
        command.push_back("--json");
        return server.Ok(command).Json();
    }

    LabServer server;
    std::string library;
};

TEST_P(LabSinkTest, RegisteredInboxGetsTheSclStampedInBothFormats) {
    platform::emulated::Registry registry(platform::emulated::ServerDb::Open(server.folder()));
    const auto clsid = registry.FindClsidOfProgId(kSink);
    ASSERT_TRUE(clsid);
    EXPECT_EQ(std::filesystem::path(registry.FindClass(*clsid)->libraryPath).filename(),
              GetParam().fileName)
        << "the server's registry knows the other library";
    EXPECT_EQ(Register(kAnnaUrl, "inbox", "SHALLOW"), "1\n");
    nlohmann::json stamped = Deliver({kAnna, "--scl", "6", "--keyword", "work"});
    EXPECT_EQ(stamped["keywords"], nlohmann::json::array({"work", "SCL=6"}));
    EXPECT_EQ(stamped["comments"], "SCL=6");
    EXPECT_EQ(stamped["scl"], 6);

    WriteFormat("<SCL value>");
    nlohmann::json bare = Deliver({kAnna, "--scl", "6", "--keyword", "SCL=6", "--comments", "x"});
    EXPECT_EQ(bare["keywords"], nlohmann::json::array({"SCL=6", "6"}));
    EXPECT_EQ(bare["comments"], "6");

    WriteFormat("SCL=<SCL value>");
    nlohmann::json prefixed = Deliver({kAnna, "--scl", "-1", "--keywords-text", "loose"});
    EXPECT_EQ(prefixed["keywords"], nlohmann::json::array({"SCL=-1"}));
}

TEST_P(LabSinkTest, UnratedMessagesAndUnregisteredMailboxesStayAsDelivered) {
    EXPECT_EQ(Register(kAnnaUrl, "inbox", "SHALLOW"), "1\n");
    nlohmann::json unrated = Deliver({kAnna, "--keyword", "k", "--comments", "c"});
    EXPECT_EQ(unrated["keywords"], nlohmann::json::array({"k"}));
    EXPECT_EQ(unrated["comments"], "c");
    nlohmann::json elsewhere = Deliver({"ben.okafor@morvane.test", "--scl", "9"});
    EXPECT_TRUE(elsewhere["keywords"].is_null());
    EXPECT_TRUE(elsewhere["comments"].is_null());
}

TEST_P(LabSinkTest, RegistrationsListsTheItemTheSinkWrote) {
    EXPECT_EQ(Register(kAnnaUrl, "INBOX", "SHALLOW"), "1\n");
    nlohmann::json items = server.Ok({"registrations", "--json"}).Json();
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0]["url"], std::string(kAnnaUrl) + "/Inbox/Morvane.reg");
    EXPECT_EQ(items[0]["eventmethod"], "onsyncsave");
    EXPECT_EQ(items[0]["sinkclass"], kSink);
    EXPECT_EQ(items[0]["matchscope"], "SHALLOW");
    EXPECT_EQ(items[0]["criteria"], kCriteria);
    EXPECT_EQ(items[0]["priority"], "1");
    EXPECT_EQ(
        server.Ok({"invoke", kSink, "CheckRegItemExists", kAnnaUrl, "inbox", "Morvane.reg"}).out,
        "1\n");
    EXPECT_EQ(server.Ok({"invoke", kSink, "RemoveRegItem", kAnnaUrl, "inbox", "Morvane.reg"}).out,
              "1\n");
    EXPECT_EQ(server.Ok({"registrations", "--json"}).Json(), nlohmann::json::array());
}

TEST_P(LabSinkTest, LocalisedInboxAndStoreWideRegistrationStampToo) {
    std::string frankUrl = "http://ex1/exadmin/morvane.test/mbx/frank.mueller@morvane.test";
    EXPECT_EQ(Register(frankUrl, "inbox", "SHALLOW"), "1\n");
    nlohmann::json frank = Deliver({"frank.mueller@morvane.test", "--scl", "2"});
    EXPECT_EQ(frank["comments"], "SCL=2");

    std::string archiveSystem;
    for (const auto& store : server.Ok({"store", "list", "--json"}).Json()) {
        if (store["name"] == "Archive Store")
            archiveSystem = store["systemmailbox"];
    }
    ASSERT_FALSE(archiveSystem.empty());
    std::string systemUrl = "http://ex1/exadmin/morvane.test/mbx/" + archiveSystem;
    EXPECT_EQ(Register(systemUrl, "StoreEvents/GlobalEvents", "ANY"), "1\n");
    EXPECT_EQ(Deliver({"irene.novak@morvane.test", "--scl", "4"})["comments"], "SCL=4");
    EXPECT_TRUE(Deliver({"ben.okafor@morvane.test", "--scl", "4"})["comments"].is_null());
}

// The sink asks for the event record in every phase, so a counted fault
// there, used up, shows that the store called it; the change goes ahead.
TEST_P(LabSinkTest, FolderAndDeleteEventsReachTheSinkAndGoAhead) {
    EXPECT_EQ(server
                  .Ok({"invoke", kSink, "CreateRegItem", kAnnaUrl, "inbox", "Morvane.reg",
                       "onsyncsave;onsyncdelete", kSink, "SHALLOW", "", "1"})
                  .out,
              "1\n");
    const std::string inbox = std::string(kAnnaUrl) + "/Inbox";
    server.Ok({"fault", "add", "event.record", "--url", "*/Inbox/Projects", "--count", "2"});
    EXPECT_EQ(server.Ok({"folder", "add", kAnna, "Inbox/Projects"}).out,
              "Added folder " + inbox + "/Projects\n");
    Deliver({kAnna, "--scl", "5", "--subject", "Old news"});
    server.Ok({"fault", "add", "event.record", "--url", "*/Old news.EML", "--count", "2"});
    EXPECT_EQ(server.Ok({"delete", kAnna, "--subject", "Old news"}).out,
              "Deleted " + inbox + "/Old news.EML\n");
    for (const auto& fault : server.Ok({"fault", "list", "--json"}).Json())
        EXPECT_EQ(fault["remaining"], 0) << fault.dump();
    EXPECT_EQ(server.Ok({"show", kAnna, "--json"}).Json(), nlohmann::json::array());
    LabResult gone = server.Run({"delete", kAnna, "--subject", "Old news"});
    EXPECT_EQ(gone.exitCode, 1);
    EXPECT_EQ(gone.ErrorLines().size(), 1u) << gone.err;
}

TEST_P(LabSinkTest, PlantedFaultsReachTheSinkWithoutFailingTheTool) {
    server.Ok({"fault", "add", "record.open", "--count", "1", "--description", "planted"});
    std::string line = Register(kAnnaUrl, "inbox", "SHALLOW");
    EXPECT_EQ(line.rfind("[", 0), 0u) << line;
    EXPECT_NE(line.find("] " + std::string(kAnnaUrl) + " - ERROR: -2147467259 planted"),
              std::string::npos)
        << line;
    EXPECT_EQ(server.Ok({"fault", "list", "--json"}).Json()[0]["remaining"], 0);
    EXPECT_EQ(Register(kAnnaUrl, "inbox", "SHALLOW"), "1\n");

    server.Ok({"fault", "add", "fields.update", "--count", "1"});
    nlohmann::json unstamped = Deliver({kAnna, "--scl", "8"});
    EXPECT_TRUE(unstamped["comments"].is_null()) << unstamped.dump();
    EXPECT_EQ(Deliver({kAnna, "--scl", "8"})["comments"], "SCL=8");
}

// A failing keyword write: every message one process delivers is saved
// unstamped, and the event log holds one entry of that kind for them; a
// clean delivery adds none, another process reports its own first one.
TEST_P(LabSinkTest, FailuresOfOneProcessLeaveOneEventLogEntryOfTheirKind) {
    EXPECT_EQ(Register(kAnnaUrl, "inbox", "SHALLOW"), "1\n");
    EXPECT_EQ(Deliver({kAnna, "--scl", "3"})["comments"], "SCL=3");
    EXPECT_EQ(server.Ok({"eventlog", "--json"}).Json(), nlohmann::json::array());

    server.Ok({"fault", "add", "field.write", "--url", "*/Inbox/*", "--hresult", "0x80070005",
               "--description", "Access is denied."});
    nlohmann::json delivered =
        server.Ok({"deliver", kAnna, "--scl", "6", "--count", "1000", "--json"}).Json();
    ASSERT_EQ(delivered.size(), 1000u);
    for (const nlohmann::json& message : delivered)
        ASSERT_TRUE(message["comments"].is_null()) << message.dump();
    nlohmann::json log = server.Ok({"eventlog", "--json"}).Json();
    ASSERT_EQ(log.size(), 1u) << log.dump();
    EXPECT_EQ(log[0]["source"], "Morvane");
    EXPECT_EQ(log[0]["type"], "Warning");
    EXPECT_EQ(log[0]["eventId"], 4);
    EXPECT_EQ(log[0]["inserts"], nlohmann::json::array({"save, begin", delivered[0]["url"],
                                                        "-2147024891", "Access is denied.", "1"}));
    EXPECT_EQ(log[0]["time"].get<std::string>().size(), 19u) << log[0]["time"];

    Deliver({kAnna, "--scl", "6"});
    EXPECT_EQ(server.Ok({"eventlog", "--json"}).Json().size(), 2u);
    EXPECT_NE(server.Ok({"eventlog"}).out.find("Warning  4 "), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Linux, LabSinkTest, ::testing::Values(acceptance::LinuxSink()));
INSTANTIATE_TEST_SUITE_P(Windows, LabSinkTest, ::testing::Values(acceptance::WindowsSink()));

// The library installed into the COM+ server application "Morvane", as the
// setup program installs it: Morvane.dll runs in the application's one
// process for the whole server, Morvane.so (for speed) in each delivering
// process, which is where the two differ in what a case can see.
class LabApplicationTest : public LabSinkTest {
  protected:
    void Install() override { server.Ok({"catalog", "install", "Morvane", library}); }
    bool InOneProcess() const { return GetParam().build == "Windows"; }
    std::optional<pid_t> ApplicationProcess() const {
        return platform::emulated::RunningApplicationHost(server.folder(), "Morvane");
    }
    // The application's processes seen while body runs.
    template <typename Body>
    std::set<pid_t> ProcessesDuring(Body body) {
        std::set<pid_t> seen;
        std::atomic<bool> done{false};
        std::thread sampler([&] {
            for (; !done; std::this_thread::sleep_for(std::chrono::milliseconds(20))) {
                if (std::optional<pid_t> process = ApplicationProcess())
                    seen.insert(*process);
            }
        });
        body();
        done = true;
        sampler.join();
        return seen;
    }
    // The sink's event log entries by event ID.
    std::map<int, int> SinkEntries() {
        std::map<int, int> entries;
        for (const nlohmann::json& entry : server.Ok({"eventlog", "--json"}).Json()) {
            if (entry["source"] == "Morvane")
                ++entries[entry["eventId"].get<int>()];
        }
        return entries;
    }
};

TEST_P(LabApplicationTest, FourProcessesOfTwoThreadsStampEachMessageOnceInOneApplicationProcess) {
    EXPECT_EQ(Register(kAnnaUrl, "inbox", "SHALLOW"), "1\n");
    const std::optional<pid_t> before = ApplicationProcess();
    const std::vector<std::string> deliver{"deliver", kAnna, "--scl",     "4", "--keyword", "kept",
                                           "--count", "25",  "--threads", "2", "--json"};
    std::vector<LabResult> results;
    const std::set<pid_t> seen =
        ProcessesDuring([&] { results = server.RunAtOnce(std::vector(4, deliver)); });
    std::set<std::string> urls;
    for (const LabResult& result : results) {
        ASSERT_EQ(result.exitCode, 0) << server.Scrub(result.err);
        for (const nlohmann::json& message : result.Json()) {
            EXPECT_EQ(message["keywords"], nlohmann::json::array({"kept", "SCL=4"}));
            urls.insert(message["url"]);
        }
    }
    EXPECT_EQ(urls.size(), 200u);
    if (InOneProcess()) {
        ASSERT_TRUE(before) << "the registration's Register call starts the application";
        EXPECT_EQ(seen, std::set<pid_t>{*before}) << "the application ran in one process";
    } else {
        EXPECT_TRUE(seen.empty() && !before) << "Morvane.so runs in the delivering processes";
    }
}

// The failure reports are the process's: the application's one process
// reports the first failure of each kind once for the whole server.
TEST_P(LabApplicationTest, FailingDeliveriesOfFourProcessesLeaveOneEntryPerKindForTheServer) {
    EXPECT_EQ(Register(kAnnaUrl, "inbox", "SHALLOW"), "1\n");
    server.Ok({"fault", "add", "field.write", "--url", "*/Write*"});
    server.Ok({"fault", "add", "fields.update", "--url", "*/Update*"});
    std::vector<std::vector<std::string>> commands;
    for (const char* subject : {"Write", "Update", "Write", "Update"})
        commands.push_back({"deliver", kAnna, "--scl", "6", "--subject", subject, "--count", "10"});
    for (const LabResult& result : server.RunAtOnce(commands))
        EXPECT_EQ(result.exitCode, 0) << server.Scrub(result.err);
    const int perKind = InOneProcess() ? 1 : 2;
    EXPECT_EQ(SinkEntries(), (std::map<int, int>{{4, perKind}, {5, perKind}}));
}

TEST_P(LabApplicationTest, ProcessEndsWhenShutDownIdleOrRemovedAndTheNextActivationStartsAnother) {
    setenv("MORVANE_COMPLUS_MINUTE_MS", "1500", 1);
    EXPECT_EQ(Register(kAnnaUrl, "inbox", "SHALLOW"), "1\n");
    const std::optional<pid_t> first = ApplicationProcess();
    server.Ok({"catalog", "shutdown", "Morvane"});
    EXPECT_FALSE(ApplicationProcess());
    server.Ok({"catalog", "set", "Morvane", "ShutdownAfter", "1"});
    EXPECT_EQ(Deliver({kAnna, "--scl", "2"})["comments"], "SCL=2");
    const std::optional<pid_t> second = ApplicationProcess();
    EXPECT_EQ(second.has_value(), InOneProcess());
    EXPECT_TRUE(!second || second != first);
    for (int waited = 0; ApplicationProcess() && waited < 100; ++waited)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(ApplicationProcess()) << "a minute idle, and the process stays";
    EXPECT_EQ(Deliver({kAnna, "--scl", "3"})["comments"], "SCL=3");
    EXPECT_EQ(ApplicationProcess().has_value(), InOneProcess());
    server.Ok({"catalog", "remove", "Morvane"});
    EXPECT_FALSE(ApplicationProcess());
    EXPECT_TRUE(Deliver({kAnna, "--scl", "4"})["comments"].is_null());
    unsetenv("MORVANE_COMPLUS_MINUTE_MS");
}

INSTANTIATE_TEST_SUITE_P(Linux, LabApplicationTest, ::testing::Values(acceptance::LinuxSink()));
INSTANTIATE_TEST_SUITE_P(Windows, LabApplicationTest, ::testing::Values(acceptance::WindowsSink()));

}  // namespace
}  // namespace labtest
