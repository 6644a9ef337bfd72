#include <gtest/gtest.h>

#include <sstream>

#include "setup/CommandLine.h"
#include "setup/HeadlessWindow.h"
#include "tests/setup/FakePorts.h"

namespace {

TEST(CommandLineText, ArgumentsAreJoinedBySingleBlanksWithoutTheProgramName) {
    const char* none[] = {"MorvaneSetup"};
    const char* two[] = {"MorvaneSetup", "-b", "now"};
    EXPECT_EQ(setup::CommandLineText(1, none), "");
    EXPECT_EQ(setup::CommandLineText(3, two), "-b now");
}

TEST(HeadlessMessageBox, QuestionsAreAnsweredNoAndNoticesOk) {
    std::ostringstream out;
    setup::HeadlessMessageBox box(out);
    EXPECT_EQ(box.Show("Continue?", 308, "Morvane setup"), setup::forms::kAnswerNo);
    EXPECT_EQ(box.Show("Please select", 64, "Morvane setup"), setup::forms::kAnswerOk);
    EXPECT_EQ(out.str(), "Morvane setup: Continue?\nMorvane setup: Please select\n");
}

TEST(RunHeadless, InteractiveRunShowsCaptionAndLogThenUnloads) {
    setupfakes::FakeWorld world;
    world.machine.wow64 = true;
    world.catalog.AddApplication("Morvane");
    setup::InstallForm form(world.Ports(), "");
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(setup::RunHeadless(form, out, err), 0);
    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(out.str(), "Morvane setup\n[" + world.Now() +
                             "] You can execute Morvane program only on the computer that runs "
                             "Exchange 2003 on Windows 2003 32-bit.\n");
    EXPECT_TRUE(form.Window().IsUnloaded());
}

TEST(RunHeadless, BatchRunEndsByItselfAndPrintsNothing) {
    setupfakes::FakeWorld world;
    world.activation.creatable.insert("Morvane.MorvaneCls");
    world.catalog.AddApplication("Morvane");
    setup::InstallForm form(world.Ports(), "/b");
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(setup::RunHeadless(form, out, err), 0);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "");
    EXPECT_TRUE(form.Window().IsUnloaded());
}

}  // namespace
