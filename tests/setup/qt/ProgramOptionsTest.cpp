#include <gtest/gtest.h>

#include "setup/qt/ProgramOptions.h"

using setup::qt::ChooseDisplay;
using setup::qt::DisplayChoice;
using setup::qt::ParseProgramOptions;

namespace {

TEST(ProgramOptions, TheFormSeesTheArgumentsJoinedByBlanks) {
    const auto options = ParseProgramOptions({"-b", "extra", "words"});
    EXPECT_EQ(options.commandLine, "-b extra words");
    EXPECT_EQ(options.screenshotFile, "");
    EXPECT_EQ(options.error, "");
}

TEST(ProgramOptions, ScreenshotAndItsFileAreTakenOutOfTheCommandLine) {
    const auto options = ParseProgramOptions({"--screenshot", "window.png", "/B"});
    EXPECT_EQ(options.screenshotFile, "window.png");
    EXPECT_EQ(options.commandLine, "/B");
    EXPECT_EQ(ParseProgramOptions({"-b", "--screenshot", "w.png"}).commandLine, "-b");
}

TEST(ProgramOptions, ScreenshotWithoutAFileIsAnError) {
    EXPECT_EQ(ParseProgramOptions({"--screenshot"}).error, "--screenshot needs a file name");
    EXPECT_EQ(ParseProgramOptions({"--screenshot", ""}).error, "--screenshot needs a file name");
}

// Only as the whole argument text: any other text goes to the form, which
// takes "/b --version" for batch mode.
TEST(ProgramOptions, HelpAndVersionCountOnlyAsTheWholeArgumentText) {
    EXPECT_TRUE(ParseProgramOptions({"--help"}).help);
    EXPECT_TRUE(ParseProgramOptions({"--version"}).version);
    const std::vector<std::vector<std::string>> others = {
        {"/b", "--version"}, {"-b", "--help"}, {"--help", "x"}, {"--version", ""}};
    for (const auto& arguments : others) {
        const auto options = ParseProgramOptions(arguments);
        EXPECT_FALSE(options.help || options.version) << arguments[0] << " " << arguments[1];
        EXPECT_EQ(options.commandLine, arguments[0] + " " + arguments[1]);
    }
}

TEST(ProgramOptions, NoArgumentsGiveAnEmptyCommandLine) {
    EXPECT_EQ(ParseProgramOptions({}).commandLine, "");
}

TEST(DisplayChoiceRules, ADisplayOrAChosenPlatformShowsTheWindowThere) {
    EXPECT_EQ(ChooseDisplay(true, false, false, false), DisplayChoice::Screen);
    EXPECT_EQ(ChooseDisplay(false, true, false, false), DisplayChoice::Screen);
    EXPECT_EQ(ChooseDisplay(true, false, true, true), DisplayChoice::Screen);
}

TEST(DisplayChoiceRules, WithoutADisplayOnlyRunsThatNeedNoUserGoOffscreen) {
    EXPECT_EQ(ChooseDisplay(false, false, true, false), DisplayChoice::Offscreen);
    EXPECT_EQ(ChooseDisplay(false, false, false, true), DisplayChoice::Offscreen);
    EXPECT_EQ(ChooseDisplay(false, false, false, false), DisplayChoice::None);
}

}  // namespace
