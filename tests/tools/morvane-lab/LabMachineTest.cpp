// machine show/set and catalog list.
#include <gtest/gtest.h>

#include <pwd.h>
#include <unistd.h>

#include "tests/tools/morvane-lab/LabProcess.h"

namespace labtest {
namespace {

std::string AccountName() {
    const passwd* entry = getpwuid(geteuid());
    return entry != nullptr ? entry->pw_name : "";
}

class LabMachineTest : public ::testing::Test {
  protected:
    void SetUp() override { server.Ok({"init", "--server", "MAILHOST", "--domain", "corp.test"}); }
    LabServer server;
};

TEST_F(LabMachineTest, InitMatchesTheMachineToTheServer) {
    nlohmann::json facts = server.Ok({"machine", "show", "--json"}).Json();
    EXPECT_EQ(facts["computer"], "MAILHOST");
    EXPECT_EQ(facts["domain"], "corp.test");
    EXPECT_EQ(facts["gc"], "dc1.corp.test");
    EXPECT_EQ(facts["platform"], 2);
    EXPECT_EQ(facts["major"], 5);
    EXPECT_EQ(facts["minor"], 2);
    EXPECT_EQ(facts["wow64"], false);
    EXPECT_EQ(facts["cluster"], false);
    EXPECT_EQ(facts["user"], AccountName());
    std::string text = server.Ok({"machine", "show"}).out;
    EXPECT_NE(text.find("computer=MAILHOST\n"), std::string::npos) << text;
}

TEST_F(LabMachineTest, SetChangesTheNamedFactsOnly) {
    server.Ok({"machine", "set", "wow64=true", "cluster=true", "minor=0", "user=Administrator"});
    nlohmann::json facts = server.Ok({"machine", "show", "--json"}).Json();
    EXPECT_EQ(facts["wow64"], true);
    EXPECT_EQ(facts["cluster"], true);
    EXPECT_EQ(facts["minor"], 0);
    EXPECT_EQ(facts["user"], "Administrator");
    EXPECT_EQ(facts["major"], 5);
    EXPECT_EQ(facts["computer"], "MAILHOST");
}

TEST_F(LabMachineTest, ARefusedFactChangesNothing) {
    nlohmann::json before = server.Ok({"machine", "show", "--json"}).Json();
    for (auto arguments :
         std::vector<std::vector<std::string>>{{"machine", "set", "major=6", "bogus=1"},
                                               {"machine", "set", "wow64=true", "cluster=maybe"},
                                               {"machine", "set", "minor=1", "platform=3"},
                                               {"machine", "set", "computer=X", "novalue"}}) {
        LabResult result = server.Run(arguments);
        EXPECT_EQ(result.exitCode, 1) << arguments.back();
        ASSERT_EQ(result.ErrorLines().size(), 1u) << result.err;
        EXPECT_NE(result.err.find(arguments.back().substr(0, arguments.back().find('='))),
                  std::string::npos)
            << result.err;
    }
    EXPECT_EQ(server.Ok({"machine", "show", "--json"}).Json(), before);
    EXPECT_EQ(server.Run({"machine", "set"}).exitCode, 2);
}

TEST_F(LabMachineTest, CatalogOfAFreshServerIsEmpty) {
    EXPECT_EQ(server.Ok({"catalog", "list", "--json"}).Json(), nlohmann::json::array());
    EXPECT_EQ(server.Ok({"catalog", "list"}).out, "The COM+ catalog holds no application\n");
}

}  // namespace
}  // namespace labtest
