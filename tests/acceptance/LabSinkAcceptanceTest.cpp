// The sink end to end through morvane-lab, for both libraries: regsvr,
// invoke of the registration methods, deliveries, deletes and folders,
// registrations and planted faults. Each morvane-lab process that creates
// the Windows sink starts a host of its own.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/emulated/activation/Registry.h"
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
        server.Ok({"regsvr", library});
    }

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

}  // namespace
}  // namespace labtest
