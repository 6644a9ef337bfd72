#include <gtest/gtest.h>

#include <tuple>

#include "setup/Cluster.h"
#include "setup/InstallForm.h"
#include "setup/basRegistry.h"
#include "setup/basis64bit.h"
#include "setup/modGetWindowsVersion.h"
#include "tests/setup/FakePorts.h"
#include "tests/support/ErrorNumber.h"

using setup::modGetWindowsVersion::GetWindowsVersion;
using setup::modGetWindowsVersion::WindowsVersionName;
using setupfakes::FakeMachine;

namespace {

using testsupport::ErrorNumberOf;

TEST(WindowsVersionTable, EveryRowOfTheTableGivesItsName) {
    const std::vector<std::tuple<uint32_t, uint32_t, uint32_t, std::string>> rows = {
        {1, 4, 0, "Windows 95"},
        {1, 4, 10, "Windows 98"},
        {1, 4, 90, "Windows Millennium"},
        {1, 4, 3, ""},
        {1, 0, 0, "Windows 95"},
        {2, 3, 51, "Windows NT 3.51"},
        {2, 4, 0, "Windows NT 4.0"},
        {2, 4, 7, "Windows NT 4.0"},
        {2, 5, 0, "Windows 2000"},
        {2, 5, 2, "Windows 2003"},
        {2, 5, 1, "Windows XP"},
        {2, 5, 3, "Windows XP"},
        {2, 6, 0, ""},
        {2, 10, 0, ""},
        {2, 2, 0, ""},
        {0, 5, 2, "Failed"},
        {3, 5, 2, "Failed"},
    };
    for (const auto& [platformId, major, minor, name] : rows) {
        EXPECT_EQ(WindowsVersionName(platformId, major, minor), name)
            << platformId << " " << major << "." << minor;
    }
}

TEST(GetWindowsVersion, AsksWithTheAnsiRecordAndNamesServer2003) {
    FakeMachine machine;
    EXPECT_EQ(GetWindowsVersion(machine), "Windows 2003");
    EXPECT_EQ(machine.lastVersionRecordSize, 148u);
    EXPECT_EQ(machine.lastServicePackField, std::string(128, ' '));
}

TEST(GetWindowsVersion, FailedCallOrUnreadableMachineGivesFailed) {
    FakeMachine machine;
    machine.versionCallFails = true;
    EXPECT_EQ(GetWindowsVersion(machine), "Failed");
    FakeMachine unreadable;
    unreadable.unreadable = true;
    EXPECT_EQ(GetWindowsVersion(unreadable), "Failed");
}

TEST(GetWindowsVersion, VistaAndLaterAreUnknown) {
    FakeMachine machine;
    machine.major = 6;
    machine.minor = 1;
    EXPECT_EQ(GetWindowsVersion(machine), "");
}

TEST(Is64bit, TrueOnlyWhenTheFunctionExistsAndReportsWow64) {
    FakeMachine machine;
    machine.wow64 = true;
    EXPECT_TRUE(setup::basis64bit::Is64bit(machine));
    machine.wow64 = false;
    EXPECT_FALSE(setup::basis64bit::Is64bit(machine));
}

TEST(Is64bit, OlderWindowsWithoutTheFunctionIsNot64bitAndTheCallIsNotMade) {
    FakeMachine machine;
    machine.hasIsWow64Process = false;
    machine.wow64 = true;
    EXPECT_FALSE(setup::basis64bit::Is64bit(machine));
    EXPECT_EQ(machine.calls, (std::vector<std::string>{"HasProcedure kernel32!IsWow64Process"}));
}

TEST(Is64bit, FailingCallOrMachineGivesFalse) {
    FakeMachine machine;
    machine.wow64CallFails = true;
    EXPECT_FALSE(setup::basis64bit::Is64bit(machine));
    machine.unreadable = true;
    EXPECT_FALSE(setup::basis64bit::Is64bit(machine));
}

TEST(RegKeyExists, OpenedKeyIsClosedAgainAndCountsAsExisting) {
    FakeMachine machine;
    machine.localMachineKeys.insert("Software\\Vendor");
    EXPECT_TRUE(setup::basRegistry::RegKeyExists(machine, platform::HKEY_LOCAL_MACHINE_VALUE,
                                                 "Software\\Vendor"));
    EXPECT_EQ(machine.calls.back(), "RegCloseKey 4660");
    EXPECT_FALSE(setup::basRegistry::RegKeyExists(machine, platform::HKEY_CURRENT_USER_VALUE,
                                                  "Software\\Vendor"));
    machine.localMachineKeyError = 5;
    EXPECT_FALSE(setup::basRegistry::RegKeyExists(machine, platform::HKEY_LOCAL_MACHINE_VALUE,
                                                  "Software\\Vendor"));
}

// Only the key's absence says "no node"; any other failure is the test's
// own error, for the caller to report.
TEST(IsClusterNode, FollowsTheClusterKeyUnderLocalMachine) {
    FakeMachine machine;
    EXPECT_FALSE(setup::Cluster::IsClusterNode(machine));
    machine.localMachineKeys.insert("Cluster");
    EXPECT_TRUE(setup::Cluster::IsClusterNode(machine));
    machine.localMachineKeyError = 5;
    EXPECT_EQ(ErrorNumberOf([&] { setup::Cluster::IsClusterNode(machine); }), -2147024891);
    machine.localMachineKeyError = 0;
    machine.unreadable = true;
    EXPECT_THROW(setup::Cluster::IsClusterNode(machine), platform::ComError);
}

TEST(TrimNull, CutsAtTheFirstNul) {
    using setup::InstallForm;
    EXPECT_EQ(InstallForm::TrimNull(std::string("abc\0def", 7)), "abc");
    EXPECT_EQ(InstallForm::TrimNull("whole text"), "whole text");
    EXPECT_EQ(InstallForm::TrimNull(""), "");
    EXPECT_EQ(InstallForm::TrimNull(std::string("\0x", 2)), "");
}

struct UserNameTest : ::testing::Test {
    setupfakes::FakeWorld world;
};

TEST_F(UserNameTest, TwentyCharacterNameComesBackWithoutTrailingNul) {
    world.machine.userName = "abcdefghijklmnopqrst";
    setup::InstallForm form(world.Ports(), "");
    const std::string name = form.GetCurrentUserName();
    EXPECT_EQ(name, "abcdefghijklmnopqrst");
    EXPECT_EQ(name.size(), 20u);
}

// A failed call gives its error, never what the buffer held.
TEST_F(UserNameTest, FailedCallGivesItsErrorNotBufferContent) {
    setup::InstallForm form(world.Ports(), "");
    world.machine.userNameError = 1317;
    EXPECT_EQ(ErrorNumberOf([&] { form.GetCurrentUserName(); }), -2147023579);
    world.machine.userNameError = 0;
    world.machine.userName = std::string(300, 'u');
    EXPECT_EQ(ErrorNumberOf([&] { form.GetCurrentUserName(); }), -2147024774);
}

}  // namespace
