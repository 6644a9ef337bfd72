#include "platform/emulated/machine/MachineFacts.h"

#include <gtest/gtest.h>

#include "platform/ComError.h"
#include "platform/emulated/activation/Registry.h"
#include "platform/emulated/db/Faults.h"
#include "setup/Cluster.h"
#include "setup/basis64bit.h"
#include "setup/modGetWindowsVersion.h"
#include "tests/setup/emulated/EmulatedServerFixture.h"

using namespace platform::emulated;

namespace {

using MachineFactsStore = EmulatedServerFixture;

TEST_F(MachineFactsStore, FreshServerIsAWindows2003ServerWithoutNames) {
    const MachineFacts facts = ReadMachineFacts(*db_);
    EXPECT_EQ(facts, MachineFacts{});
    EXPECT_EQ(facts.platformId, 2u);
    EXPECT_EQ(facts.major, 5u);
    EXPECT_EQ(facts.minor, 2u);
}

TEST_F(MachineFactsStore, SetFactsAreReadBackAndShownAsTextAndJson) {
    SetMachineFact(*db_, "platform", "1");
    SetMachineFact(*db_, "minor", "90");
    SetMachineFact(*db_, "wow64", "true");
    SetMachineFact(*db_, "cluster", "true");
    SetMachineFact(*db_, "user", "ad\"min");
    SetMachineFact(*db_, "computer", "MAIL01");
    SetMachineFact(*db_, "domain", "corp.example");
    SetMachineFact(*db_, "gc", "dc1.corp.example");
    const MachineFacts facts = ReadMachineFacts(*db_);
    EXPECT_EQ(MachineFactsJson(facts),
              "{\"platform\":1,\"major\":5,\"minor\":90,\"wow64\":true,\"cluster\":true,"
              "\"user\":\"ad\\\"min\",\"computer\":\"MAIL01\",\"domain\":\"corp.example\","
              "\"gc\":\"dc1.corp.example\"}");
    EXPECT_EQ(MachineFactsText(facts),
              "platform=1\nmajor=5\nminor=90\nwow64=true\ncluster=true\nuser=ad\"min\n"
              "computer=MAIL01\ndomain=corp.example\ngc=dc1.corp.example\n");
}

TEST_F(MachineFactsStore, ClusterFactIsTheRegistryKey) {
    SetMachineFact(*db_, "cluster", "true");
    EXPECT_TRUE(Registry(db_).KeyExists("HKEY_LOCAL_MACHINE", "Cluster"));
    SetMachineFact(*db_, "cluster", "false");
    EXPECT_FALSE(Registry(db_).KeyExists("HKEY_LOCAL_MACHINE", "Cluster"));
    Registry(db_).SetKey("HKEY_LOCAL_MACHINE", "Cluster");
    EXPECT_TRUE(ReadMachineFacts(*db_).cluster);
}

TEST_F(MachineFactsStore, BadKeysAndValuesAreRefusedAndChangeNothing) {
    const std::vector<std::pair<std::string, std::string>> bad = {
        {"platform", "3"}, {"platform", "x"}, {"major", "-1"},   {"minor", "5a"},
        {"wow64", "yes"},  {"cluster", "1"},  {"colour", "red"}, {"major", ""}};
    for (const auto& [key, value] : bad) {
        EXPECT_THROW(SetMachineFact(*db_, key, value), std::invalid_argument)
            << key << "=" << value;
    }
    EXPECT_EQ(ReadMachineFacts(*db_), MachineFacts{});
}

TEST_F(MachineFactsStore, MatchingAServerGivesItsNamesAndTheRunningAccount) {
    MatchMachineToServer(*db_, "MAIL01", "Corp.Example.com");
    const MachineFacts facts = ReadMachineFacts(*db_);
    EXPECT_EQ(facts.computer, "MAIL01");
    EXPECT_EQ(facts.domain, "Corp.Example.com");
    EXPECT_EQ(facts.gc, "dc1.corp.example.com");
    EXPECT_EQ(facts.user, ProcessAccountName());
    EXPECT_FALSE(facts.user.empty());
    EXPECT_FALSE(facts.wow64);
    EXPECT_FALSE(facts.cluster);
    EXPECT_EQ(facts.minor, 2u);
}

using MachinePortOnServer = EmulatedServerFixture;

TEST_F(MachinePortOnServer, ProbesSeeTheStoredFacts) {
    EmulatedMachine machine(ServerFolderFunction());
    EXPECT_EQ(setup::modGetWindowsVersion::GetWindowsVersion(machine), "Windows 2003");
    EXPECT_FALSE(setup::basis64bit::Is64bit(machine));
    EXPECT_FALSE(setup::Cluster::IsClusterNode(machine));
    SetMachineFact(*db_, "wow64", "true");
    SetMachineFact(*db_, "cluster", "true");
    SetMachineFact(*db_, "minor", "0");
    EXPECT_EQ(setup::modGetWindowsVersion::GetWindowsVersion(machine), "Windows 2000");
    EXPECT_FALSE(setup::basis64bit::Is64bit(machine)) << "Windows 2000 has no IsWow64Process";
    SetMachineFact(*db_, "minor", "2");
    EXPECT_TRUE(setup::basis64bit::Is64bit(machine));
    EXPECT_TRUE(setup::Cluster::IsClusterNode(machine));
}

TEST_F(MachinePortOnServer, VersionRecordOfTheWrongSizeFails) {
    EmulatedMachine machine(ServerFolderFunction());
    platform::OsVersionInfo info;
    info.dwOSVersionInfoSize = 156;
    EXPECT_FALSE(machine.GetVersionEx(info));
    EXPECT_EQ(info.dwPlatformId, 0u);
}

TEST_F(MachinePortOnServer, KeyHandlesAreClosedOnceAndUnknownHivesFail) {
    EmulatedMachine machine(ServerFolderFunction());
    Registry(db_).SetKey("HKEY_LOCAL_MACHINE", "Software\\Vendor");
    uint32_t key = 0;
    ASSERT_EQ(machine.RegOpenKey(platform::HKEY_LOCAL_MACHINE_VALUE, "software\\vendor", key), 0);
    EXPECT_EQ(machine.RegCloseKey(key), 0);
    EXPECT_EQ(machine.RegCloseKey(key), platform::ERROR_INVALID_HANDLE_CODE);
    EXPECT_EQ(machine.RegOpenKey(0x12345678, "Cluster", key), platform::ERROR_INVALID_HANDLE_CODE);
    EXPECT_EQ(machine.RegOpenKey(platform::HKEY_LOCAL_MACHINE_VALUE, "Missing", key),
              platform::ERROR_FILE_NOT_FOUND_CODE);
}

TEST_F(MachinePortOnServer, UserNameFollowsTheWin32Contract) {
    EmulatedMachine machine(ServerFolderFunction());
    SetMachineFact(*db_, "user", "administrator");
    std::string buffer(255, '\0');
    uint32_t size = 255;
    ASSERT_EQ(machine.GetUserName(buffer, size), platform::ERROR_SUCCESS_CODE);
    EXPECT_EQ(size, 14u);
    EXPECT_EQ(buffer.substr(0, 14), std::string("administrator\0", 14));
    std::string small(5, '\0');
    uint32_t smallSize = 5;
    EXPECT_EQ(machine.GetUserName(small, smallSize), platform::ERROR_INSUFFICIENT_BUFFER_CODE);
    EXPECT_EQ(smallSize, 14u);
    const platform::ComError error = machine.SystemError(platform::ERROR_INSUFFICIENT_BUFFER_CODE);
    EXPECT_EQ(error.number(), -2147024774);
    EXPECT_EQ(error.description(), "The data area passed to a system call is too small");
}

// A planted failure answers the HRESULT's system error code, which the
// machine then words as planted; an HRESULT of no system error stands as it is.
TEST_F(MachinePortOnServer, PlantedFailuresAnswerTheirCodeWordedAsPlanted) {
    EmulatedMachine machine(ServerFolderFunction());
    Registry(db_).SetKey("HKEY_LOCAL_MACHINE", "Cluster");
    Faults faults(*db_);
    faults.Plant({0, "machine.regopenkey", std::string("HKEY_LOCAL_MACHINE\\\\Cluster"),
                  -2147024891, "Access is denied.", 1});
    faults.Plant({0, "machine.username", {}, -2147467259, "Unspecified error", 1});
    uint32_t key = 0;
    EXPECT_EQ(machine.RegOpenKey(platform::HKEY_LOCAL_MACHINE_VALUE, "Cluster", key), 5);
    EXPECT_EQ(machine.SystemError(5).number(), -2147024891);
    EXPECT_EQ(machine.SystemError(5).description(), "Access is denied.");
    std::string buffer(255, '\0');
    uint32_t size = 255;
    EXPECT_EQ(machine.GetUserName(buffer, size), -2147467259);
    EXPECT_EQ(machine.SystemError(-2147467259).description(), "Unspecified error");
    EXPECT_EQ(machine.RegOpenKey(platform::HKEY_LOCAL_MACHINE_VALUE, "Cluster", key), 0)
        << "planted once";
    EXPECT_EQ(machine.GetUserName(buffer, size), platform::ERROR_SUCCESS_CODE) << "planted once";
    faults.Plant({0, "machine.username", {}, 0, "no number", 1});
    EXPECT_EQ(machine.GetUserName(buffer, size), -2147467259) << "a failure, never success";
}

TEST(MachinePortWithoutServer, MissingServerIsAComErrorAndProbesGiveTheirFailureValues) {
    testsupport::TempFolder folder;
    EmulatedMachine machine([path = folder.File("none")] { return path; });
    platform::OsVersionInfo info;
    info.dwOSVersionInfoSize = platform::OsVersionInfo::kAnsiSize;
    EXPECT_THROW(machine.GetVersionEx(info), platform::ComError);
    EXPECT_EQ(setup::modGetWindowsVersion::GetWindowsVersion(machine), "Failed");
    EXPECT_THROW(setup::Cluster::IsClusterNode(machine), platform::ComError);
}

}  // namespace
