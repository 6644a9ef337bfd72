// wine: the Windows program gets its arguments as they were given, after a
// loader ($MORVANE_WINE, here a script standing in for Wine) has prepared
// the prefix; its output and exit status are the command's.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>

#include "tests/tools/morvane-lab/LabProcess.h"

namespace labtest {
namespace {

class LabWineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        server.Ok({"init", "--empty"});
        // The Windows build's bridge files, and the program, need only exist.
        for (const char* file : {"MorvaneBridge.dll", "MorvaneWindowsHost.exe", "Program.exe"})
            std::ofstream(server.temp().File(file)).put('\0');
        // The prefix is prepared with "--prepare"; any other run prints its
        // arguments one to a line and exits 3.
        const std::string loader = server.temp().File("wine.sh");
        std::ofstream(loader) << "#!/bin/sh\n[ \"$2\" = --prepare ] && exit 0\nshift\n"
                                 "printf '%s\\n' \"$@\"\nexit 3\n";
        chmod(loader.c_str(), 0700);
        Set("MORVANE_WINE", loader);
        Set("MORVANE_WINDOWS_BIN", server.temp().path());
        Set("MORVANE_WINEPREFIX", server.temp().File("prefix"));
    }
    void TearDown() override {
        for (const char* name : {"MORVANE_WINE", "MORVANE_WINDOWS_BIN", "MORVANE_WINEPREFIX"})
            unsetenv(name);
    }
    static void Set(const char* name, const std::string& value) { setenv(name, value.c_str(), 1); }

    LabServer server;
};

TEST_F(LabWineTest, TheProgramGetsItsArgumentsInTheirOrderOptionsIncluded) {
    const std::string program = server.temp().File("Program.exe");
    LabResult run = server.Run({"wine", program, "MorvaneSetup.exe", "--hold", "taken", "-b"});
    EXPECT_EQ(run.exitCode, 3) << run.err;
    EXPECT_EQ(run.out, "MorvaneSetup.exe\n--hold\ntaken\n-b\n");
}

TEST_F(LabWineTest, WithoutTheWindowsBuildItSaysWhichVariableNamesIt) {
    unsetenv("MORVANE_WINDOWS_BIN");
    LabResult run = server.Run({"wine", server.temp().File("Program.exe")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("MORVANE_WINDOWS_BIN is not set"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace labtest
