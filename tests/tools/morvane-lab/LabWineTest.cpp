// wine: the Windows program gets its arguments as they were given, after a
// loader ($MORVANE_WINE, here a script standing in for Wine) has prepared
// the prefix; its output and exit status are the command's. Without a
// display the program runs through the hidden desktop's launcher.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <optional>

#include "tests/tools/morvane-lab/LabProcess.h"

namespace labtest {
namespace {

class LabWineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        server.Ok({"init", "--empty"});
        // The Windows build's bridge files, and the program, need only exist.
        for (const char* file : {"MorvaneBridge.dll", "MorvaneWindowsHost.exe",
                                 "MorvaneHiddenDesktop.exe", "Program.exe"})
            std::ofstream(server.temp().File(file)).put('\0');
        // The prefix is prepared with "--prepare"; any other run prints the
        // words it was given one to a line and exits 3.
        const std::string loader = server.temp().File("wine.sh");
        std::ofstream(loader) << "#!/bin/sh\n[ \"$2\" = --prepare ] && exit 0\n"
                                 "printf '%s\\n' \"$@\"\nexit 3\n";
        chmod(loader.c_str(), 0700);
        Set("MORVANE_WINE", loader);
        Set("MORVANE_WINDOWS_BIN", server.temp().path());
        Set("MORVANE_WINEPREFIX", server.temp().File("prefix"));
    }
    void TearDown() override {
        for (const char* name : {"MORVANE_WINE", "MORVANE_WINDOWS_BIN", "MORVANE_WINEPREFIX"})
            unsetenv(name);
        if (display_)
            Set("DISPLAY", *display_);
        else
            unsetenv("DISPLAY");
    }
    static void Set(const char* name, const std::string& value) { setenv(name, value.c_str(), 1); }

    LabServer server;
    std::optional<std::string> display_ =
        std::getenv("DISPLAY") ? std::optional<std::string>(std::getenv("DISPLAY")) : std::nullopt;
};

// A file runs by its path, a program of the prefix by its name; without a
// display the launcher gets either, the file as Windows names it.
TEST_F(LabWineTest, TheProgramGetsItsArgumentsInTheirOrderOptionsIncluded) {
    const std::string program = server.temp().File("Program.exe");
    const std::string launcher = server.temp().File("MorvaneHiddenDesktop.exe") + "\n";
    std::string windowsPath = "Z:" + program;
    std::replace(windowsPath.begin(), windowsPath.end(), '/', '\\');
    const struct {
        const char* display;  // nullptr: none
        std::string program;
        std::string words;
    } rows[] = {
        {":99", program, program + "\nMorvaneSetup.exe\n--hold\ntaken\n-b\n"},
        {":99", "cscript.exe", "cscript.exe\nMorvaneSetup.exe\n--hold\ntaken\n-b\n"},
        {nullptr, program, launcher + windowsPath + "\nMorvaneSetup.exe\n--hold\ntaken\n-b\n"},
        {nullptr, "cscript.exe", launcher + "cscript.exe\nMorvaneSetup.exe\n--hold\ntaken\n-b\n"},
    };
    for (const auto& row : rows) {
        if (row.display != nullptr)
            Set("DISPLAY", row.display);
        else
            unsetenv("DISPLAY");
        LabResult run =
            server.Run({"wine", row.program, "MorvaneSetup.exe", "--hold", "taken", "-b"});
        EXPECT_EQ(run.exitCode, 3) << run.err;
        EXPECT_EQ(run.out, row.words);
    }
    LabResult missing = server.Run({"wine", server.temp().File("Missing.exe")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("no such program"), std::string::npos) << missing.err;
}

TEST_F(LabWineTest, WithoutTheWindowsBuildItSaysWhichVariableNamesIt) {
    unsetenv("MORVANE_WINDOWS_BIN");
    LabResult run = server.Run({"wine", server.temp().File("Program.exe")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("MORVANE_WINDOWS_BIN is not set"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace labtest
