// The command line's contract: help, usage errors and run errors each
// report in one line with their own exit code.
#include <gtest/gtest.h>

#include "tests/tools/morvane-lab/LabProcess.h"

namespace labtest {
namespace {

constexpr const char* kErrorPrefix = "morvane-lab: error: ";

void ExpectOneErrorLine(const LabResult& result, int exitCode, const std::string& containing) {
    EXPECT_EQ(result.exitCode, exitCode);
    EXPECT_TRUE(result.out.empty()) << result.out;
    auto lines = result.ErrorLines();
    ASSERT_EQ(lines.size(), 1u) << result.err;
    EXPECT_EQ(lines[0].rfind(kErrorPrefix, 0), 0u) << lines[0];
    EXPECT_NE(lines[0].find(containing), std::string::npos) << lines[0];
}

TEST(LabCommandLine, HelpListsEveryCommandAndSucceeds) {
    LabServer server;
    LabResult result = server.Run({"--help"});
    EXPECT_EQ(result.exitCode, 0);
    for (const char* command : {"init", "store", "mailbox", "deliver", "show", "registrations",
                                "invoke", "regsvr", "fault"}) {
        EXPECT_NE(result.out.find(command), std::string::npos) << command;
    }
}

TEST(LabCommandLine, EverySubcommandHasItsOwnHelp) {
    LabServer server;
    LabResult deliver = server.Run({"deliver", "--help"});
    EXPECT_EQ(deliver.exitCode, 0);
    EXPECT_NE(deliver.out.find("--keywords-text"), std::string::npos);
    LabResult faultAdd = server.Run({"fault", "add", "--help"});
    EXPECT_EQ(faultAdd.exitCode, 0);
    EXPECT_NE(faultAdd.out.find("--hresult"), std::string::npos);
}

TEST(LabCommandLine, UsageErrorsExitWithTwoAndOneLine) {
    LabServer server;
    ExpectOneErrorLine(server.Run({}), 2, "");
    ExpectOneErrorLine(server.Run({"frobnicate"}), 2, "frobnicate");
    ExpectOneErrorLine(server.Run({"store"}), 2, "");
    ExpectOneErrorLine(server.Run({"deliver"}), 2, "ADDRESS");
    ExpectOneErrorLine(server.Run({"deliver", "a@b.test", "--scl", "six"}), 2, "six");
    ExpectOneErrorLine(server.Run({"deliver", "a@b.test", "--scl", "99999999999"}), 2, "");
    ExpectOneErrorLine(
        server.Run({"deliver", "a@b.test", "--keyword", "x", "--keywords-text", "y"}), 2, "");
}

TEST(LabCommandLine, MissingServerIsOneLineAndExitOne) {
    LabServer server;
    for (auto arguments : std::vector<std::vector<std::string>>{{"store", "list"},
                                                                {"mailbox", "list", "--json"},
                                                                {"show", "a@b.test"},
                                                                {"registrations"},
                                                                {"fault", "list"}}) {
        ExpectOneErrorLine(server.Run(arguments), 1, "no emulated server");
    }
}

}  // namespace
}  // namespace labtest
