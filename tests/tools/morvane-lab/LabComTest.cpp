// regsvr, invoke and registrations: classes registered by their own
// libraries, called late-bound. The sink end to end through morvane-lab is
// an acceptance case of both libraries (tests/acceptance).
#include <gtest/gtest.h>

#include "tests/tools/morvane-lab/LabProcess.h"

namespace labtest {
namespace {

constexpr const char* kProbe = "MorvaneTest.Probe";

class LabComTest : public ::testing::Test {
  protected:
    void SetUp() override { server.Ok({"init", "--empty"}); }
    LabServer server;
};

TEST_F(LabComTest, RegsvrRegistersAndUnregistersAClass) {
    EXPECT_EQ(server.Run({"invoke", kProbe, "Echo", "x"}).exitCode, 1);
    LabResult registered = server.Ok({"regsvr", MORVANE_PROBE_LIBRARY});
    EXPECT_NE(registered.out.find("DllRegisterServer"), std::string::npos);
    EXPECT_EQ(server.Ok({"invoke", kProbe, "Echo", "hello world"}).out, "hello world\n");
    server.Ok({"regsvr", "-u", MORVANE_PROBE_LIBRARY});
    LabResult gone = server.Run({"invoke", kProbe, "Echo", "x"});
    EXPECT_EQ(gone.exitCode, 1);
    EXPECT_EQ(gone.err.rfind("morvane-lab: error: -2147221005 ", 0), 0u) << gone.err;
}

TEST_F(LabComTest, RegsvrOfAMissingLibraryFails) {
    LabResult missing = server.Run({"regsvr", server.temp().File("NoSuchLibrary.so")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.ErrorLines().size(), 1u);
}

TEST_F(LabComTest, InvokePrintsTheResultAloneAndPassesArgumentsAsStrings) {
    server.Ok({"regsvr", MORVANE_PROBE_LIBRARY});
    EXPECT_EQ(server.Ok({"invoke", kProbe, "Reverse", "abc"}).out, "1\n");
    EXPECT_EQ(server.Ok({"invoke", kProbe, "echo", ""}).out, "\n");
    EXPECT_EQ(server.Ok({"invoke", kProbe, "Echo", " WHERE \"DAV:ishidden\" = FALSE"}).out,
              " WHERE \"DAV:ishidden\" = FALSE\n");
}

TEST_F(LabComTest, InvokeFailsOnlyWhenTheCallCannotBeMade) {
    server.Ok({"regsvr", MORVANE_PROBE_LIBRARY});
    LabResult refused = server.Run({"invoke", kProbe, "Fail"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.err, "morvane-lab: error: -2147024891 probe refused\n");
    LabResult unknownMember = server.Run({"invoke", kProbe, "NoSuchMethod"});
    EXPECT_EQ(unknownMember.exitCode, 1);
    EXPECT_EQ(unknownMember.err.rfind("morvane-lab: error: -2147352570 ", 0), 0u);
    LabResult unknownClass = server.Run({"invoke", "No.Such.Class", "Echo"});
    EXPECT_EQ(unknownClass.exitCode, 1);
    EXPECT_EQ(unknownClass.err.rfind("morvane-lab: error: -2147221005 ", 0), 0u);
    EXPECT_EQ(server.Run({"invoke", kProbe}).exitCode, 2);
}

TEST_F(LabComTest, RegistrationsIsEmptyOnAFreshServer) {
    EXPECT_EQ(server.Ok({"registrations", "--json"}).Json(), nlohmann::json::array());
}

}  // namespace
}  // namespace labtest
