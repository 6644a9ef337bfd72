// fault add/list/clear.
#include <gtest/gtest.h>

#include "platform/emulated/db/FaultOperations.h"
#include "tests/tools/morvane-lab/LabProcess.h"

namespace labtest {
namespace {

class LabFaultTest : public ::testing::Test {
  protected:
    void SetUp() override { server.Ok({"init", "--empty"}); }
    LabServer server;
};

TEST_F(LabFaultTest, AddStoresEveryFieldAndListShowsThemInOrder) {
    server.Ok({"fault", "add", "record.open", "--url", "*/anna*", "--hresult", "0x80040E19",
               "--description", "not there", "--count", "2"});
    server.Ok({"fault", "add", "fields.update"});
    nlohmann::json faults = server.Ok({"fault", "list", "--json"}).Json();
    ASSERT_EQ(faults.size(), 2u);
    EXPECT_EQ(faults[0]["operation"], "record.open");
    EXPECT_EQ(faults[0]["url"], "*/anna*");
    EXPECT_EQ(faults[0]["hresult"], -2147217895);
    EXPECT_EQ(faults[0]["description"], "not there");
    EXPECT_EQ(faults[0]["remaining"], 2);
    EXPECT_EQ(faults[1]["operation"], "fields.update");
    EXPECT_TRUE(faults[1]["url"].is_null());
    EXPECT_EQ(faults[1]["hresult"], -2147467259);
    EXPECT_EQ(faults[1]["description"], "Unspecified error");
    EXPECT_TRUE(faults[1]["remaining"].is_null());
    EXPECT_LT(faults[0]["id"].get<int64_t>(), faults[1]["id"].get<int64_t>());
    std::string table = server.Ok({"fault", "list"}).out;
    EXPECT_NE(table.find("-2147217895"), std::string::npos) << table;
    EXPECT_NE(table.find("always"), std::string::npos) << table;
}

TEST_F(LabFaultTest, HresultTakesSignedDecimalToo) {
    server.Ok({"fault", "add", "record.open", "--hresult", "-2147024891"});
    server.Ok({"fault", "add", "record.open", "--hresult", "13"});
    nlohmann::json faults = server.Ok({"fault", "list", "--json"}).Json();
    ASSERT_EQ(faults.size(), 2u);
    EXPECT_EQ(faults[0]["hresult"], -2147024891);
    EXPECT_EQ(faults[1]["hresult"], 13);
}

TEST_F(LabFaultTest, BadNumbersAreRefusedAndPlantNothing) {
    for (auto arguments : std::vector<std::vector<std::string>>{
             {"fault", "add", "record.open", "--hresult", "0xZZ"},
             {"fault", "add", "record.open", "--hresult", "0x100000000"},
             {"fault", "add", "record.open", "--hresult", "2147483648"},
             {"fault", "add", "record.open", "--hresult", "12abc"},
             {"fault", "add", "record.open", "--count", "0"}}) {
        LabResult result = server.Run(arguments);
        EXPECT_EQ(result.exitCode, 1) << arguments[4];
        EXPECT_EQ(result.ErrorLines().size(), 1u) << result.err;
    }
    EXPECT_EQ(server.Run({"fault", "add", "record.open", "--count", "many"}).exitCode, 2);
    EXPECT_EQ(server.Ok({"fault", "list", "--json"}).Json(), nlohmann::json::array());
}

// A fault at an operation the server does not have would never fire.
TEST_F(LabFaultTest, UnknownOperationIsRefusedAndHelpListsEveryOperation) {
    LabResult unknown = server.Run({"fault", "add", "directory.query"});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_EQ(unknown.ErrorLines().size(), 1u) << unknown.err;
    const std::string help = server.Ok({"fault", "add", "--help"}).out;
    for (const auto& operation : platform::emulated::kFaultOperations) {
        EXPECT_NE(unknown.err.find(std::string(operation.name)), std::string::npos)
            << operation.name;
        EXPECT_NE(help.find("  " + std::string(operation.name) + " "), std::string::npos)
            << operation.name;
    }
    EXPECT_EQ(server.Ok({"fault", "list", "--json"}).Json(), nlohmann::json::array());
}

TEST_F(LabFaultTest, ClearRemovesEveryFault) {
    server.Ok({"fault", "add", "record.open"});
    server.Ok({"fault", "add", "record.delete"});
    server.Ok({"fault", "clear"});
    EXPECT_EQ(server.Ok({"fault", "list", "--json"}).Json(), nlohmann::json::array());
}

}  // namespace
}  // namespace labtest
