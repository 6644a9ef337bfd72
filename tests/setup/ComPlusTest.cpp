#include "setup/ComPlus.h"

#include <gtest/gtest.h>

#include "setup/basGlobals.h"
#include "tests/setup/FakePorts.h"

using namespace setup::ComPlus;
using setupfakes::FakeWorld;

namespace {

struct ComPlusFixture : ::testing::Test {
    FakeWorld world;
    setup::forms::TextBox txtErr{"txtErr"};
    setup::forms::CommandButton command3{"Command3"};
    setup::ErrorLog log{txtErr, command3, world.clock};
    ComPlusPorts ports{world.catalog, world.fileSystem, log, world.eventSources};

    void SetUp() override { setup::basGlobals::sWindowsVersion = "Windows 2003"; }
    void TearDown() override { setup::basGlobals::sWindowsVersion.clear(); }
    std::string Entry(const std::string& verb, int32_t number, const std::string& text) {
        return "[" + world.Now() + "] Attempt to " + verb +
               " Morvane COM+ Application using 'DOMAIN\\admin' account - ERROR: " +
               std::to_string(number) + " " + text + "\r\n\r\n";
    }
};

using ComPlusExists = ComPlusFixture;

TEST_F(ComPlusExists, ApplicationInAnotherLetterCaseCountsAsExisting) {
    world.catalog.AddApplication("System Application");
    world.catalog.AddApplication("MORVANE");
    EXPECT_TRUE(ComPlusAppExists(ports, "Morvane", "DOMAIN\\admin"));
    EXPECT_EQ(log.Text(), "");
}

TEST_F(ComPlusExists, MissingApplicationIsFalseWithoutLogEntry) {
    world.catalog.AddApplication("Other");
    EXPECT_FALSE(ComPlusAppExists(ports, "Morvane", "DOMAIN\\admin"));
    EXPECT_EQ(log.Text(), "");
}

TEST_F(ComPlusExists, CatalogThatCannotBeCreatedLogsOneEntryWithTheSignedNumber) {
    world.catalog.faults.Plant("CreateCatalog", platform::hresult::REGDB_E_CLASSNOTREG,
                               "Class not registered");
    EXPECT_FALSE(ComPlusAppExists(ports, "Morvane", "DOMAIN\\admin"));
    EXPECT_EQ(log.Text(), Entry("check the existence of", -2147221164, "Class not registered"));
}

TEST_F(ComPlusExists, FirstMatchEndsTheSearch) {
    world.catalog.AddApplication("Morvane");
    world.catalog.AddApplication("Later");
    EXPECT_TRUE(ComPlusAppExists(ports, "Morvane", "DOMAIN\\admin"));
    EXPECT_EQ(world.catalog.calls.back(), "Item 0");
}

using ComPlusInstall = ComPlusFixture;

TEST_F(ComPlusInstall, CreatesTheApplicationInstallsTheLibraryAndTheService) {
    world.fileSystem.currentDirectory = "D:\\setup";
    size_t catalogCallsAtSource = 0;
    world.eventSources.onCall = [&] { catalogCallsAtSource = world.catalog.calls.size(); };
    InstallComPlusApp(ports, "Morvane", "DOMAIN\\admin");
    EXPECT_EQ(catalogCallsAtSource, 8u) << "the event source comes after the application";
    ASSERT_EQ(world.catalog.applications.size(), 1u);
    const auto& properties = world.catalog.applications[0].properties;
    EXPECT_EQ(properties.at("Name"), platform::Variant("Morvane"));
    EXPECT_EQ(properties.at("ApplicationAccessChecksEnabled"), platform::Variant(false));
    EXPECT_EQ(properties.at("Identity"), platform::Variant("NT AUTHORITY\\System"));
    EXPECT_EQ(world.catalog.calls,
              (std::vector<std::string>{
                  "CreateCatalog", "GetCollection Applications", "Populate", "Add", "SaveChanges",
                  "InstallComponent Morvane|D:\\setup\\Morvane.dll||", "RefreshComponents",
                  "CreateServiceForApplication Morvane|Morvane|SERVICE_DEMAND_START|"
                  "SERVICE_ERROR_NORMAL||.\\localsystem||false"}));
    EXPECT_EQ(log.Text(), "");
}

TEST_F(ComPlusInstall, NoServiceOnWindows2000ButOnEveryOtherName) {
    setup::basGlobals::sWindowsVersion = "Windows 2000";
    InstallComPlusApp(ports, "Morvane", "DOMAIN\\admin");
    EXPECT_EQ(world.catalog.calls.back(), "RefreshComponents");
    world.catalog.calls.clear();
    setup::basGlobals::sWindowsVersion = "windows 2000";  // case counts
    InstallComPlusApp(ports, "Morvane", "DOMAIN\\admin");
    EXPECT_EQ(world.catalog.calls.back().rfind("CreateServiceForApplication", 0), 0u);
}

TEST_F(ComPlusInstall, FailingInstallComponentLeavesTheSavedApplicationAndLogsOnce) {
    world.catalog.faults.Plant("InstallComponent", platform::hresult::FromUnsigned(0x80110401),
                               "The file does not exist or is not a COM component.");
    InstallComPlusApp(ports, "Morvane", "DOMAIN\\admin");
    EXPECT_EQ(world.catalog.Names(), (std::vector<std::string>{"Morvane"}));
    EXPECT_EQ(world.catalog.calls.back().rfind("InstallComponent", 0), 0u)
        << "steps after the failure must be skipped";
    EXPECT_EQ(log.Text(),
              Entry("install", -2146368511, "The file does not exist or is not a COM component."));
}

using ComPlusUninstall = ComPlusFixture;

TEST_F(ComPlusUninstall, OnlyTheFirstOfTwoMatchingApplicationsIsRemoved) {
    world.catalog.AddApplication("Other");
    world.catalog.AddApplication("morvane");
    world.catalog.AddApplication("Morvane");
    UninstallComPlusApp(ports, "Morvane", "DOMAIN\\admin");
    EXPECT_EQ(world.catalog.Names(), (std::vector<std::string>{"Other", "Morvane"}));
    EXPECT_EQ(world.catalog.calls,
              (std::vector<std::string>{"CreateCatalog", "GetCollection Applications", "Populate",
                                        "Count", "Item 0", "Item 1", "Remove 1", "SaveChanges"}));
}

TEST_F(ComPlusUninstall, NoMatchChangesNothing) {
    world.catalog.AddApplication("Other");
    UninstallComPlusApp(ports, "Morvane", "DOMAIN\\admin");
    EXPECT_EQ(world.catalog.Names(), (std::vector<std::string>{"Other"}));
    EXPECT_EQ(world.catalog.calls.back(), "Item 0");
    EXPECT_EQ(log.Text(), "");
}

TEST_F(ComPlusUninstall, FailingSaveIsLoggedWithItsNumberAndDescription) {
    world.catalog.AddApplication("Morvane");
    world.catalog.faults.Plant("SaveChanges", platform::hresult::E_ACCESSDENIED,
                               "Access is denied.");
    UninstallComPlusApp(ports, "Morvane", "DOMAIN\\admin");
    EXPECT_EQ(log.Text(), Entry("uninstall", -2147024891, "Access is denied."));
    EXPECT_EQ(world.catalog.Names(), (std::vector<std::string>{"Morvane"}));
}

TEST_F(ComPlusUninstall, PositionCounterOverflowsPast32767) {
    for (int i = 0; i < 32769; ++i) {
        world.catalog.applications.emplace_back();
    }
    UninstallComPlusApp(ports, "Morvane", "DOMAIN\\admin");
    EXPECT_EQ(log.Text(), Entry("uninstall", 6, "Overflow"));
    EXPECT_EQ(world.catalog.applications.size(), 32769u);
}

TEST_F(ComPlusUninstall, MatchAtTheLastPossiblePositionIsStillRemoved) {
    for (int i = 0; i < 32767; ++i) {
        world.catalog.applications.emplace_back();
    }
    world.catalog.AddApplication("Morvane");  // position 32767
    UninstallComPlusApp(ports, "Morvane", "DOMAIN\\admin");
    EXPECT_EQ(log.Text(), "");
    EXPECT_EQ(world.catalog.applications.size(), 32767u);
}

using EventSource = ComPlusFixture;

// One installation on a world of its own.
struct Installation {
    FakeWorld world;
    setup::forms::TextBox txtErr{"txtErr"};
    setup::forms::CommandButton command3{"Command3"};
    setup::ErrorLog log{txtErr, command3, world.clock};
    ComPlusPorts ports{world.catalog, world.fileSystem, log, world.eventSources};
};

// With the library as its message file, and only for an application that
// was made: a failing step leaves no source behind.
TEST_F(EventSource, InstallRegistersTheSourceOnlyWhenEveryStepWentWell) {
    for (const char* failing :
         {"", "CreateCatalog", "SaveChanges", "InstallComponent", "CreateServiceForApplication"}) {
        auto run = std::make_unique<Installation>();
        run->world.fileSystem.currentDirectory = "D:\\setup";
        if (*failing != '\0')
            run->world.catalog.faults.Plant(failing, platform::hresult::E_FAIL, "planted");
        InstallComPlusApp(run->ports, "Morvane", "DOMAIN\\admin");
        std::map<std::string, std::string> expected;
        if (*failing == '\0')
            expected["Morvane"] = "D:\\setup\\Morvane.dll|7";
        EXPECT_EQ(run->world.eventSources.sources, expected) << failing;
    }
}

// At start-up, an application without the source (installed before the
// library reported to the event log) gets it; one with it is left as it is.
TEST_F(EventSource, AMissingSourceIsAddedAndAPresentOneLeftAlone) {
    world.fileSystem.currentDirectory = "D:\\setup";
    AddMissingEventSource(ports, "Morvane", "DOMAIN\\admin");
    EXPECT_EQ(world.eventSources.sources,
              (std::map<std::string, std::string>{{"Morvane", "D:\\setup\\Morvane.dll|7"}}));
    world.eventSources.calls.clear();
    AddMissingEventSource(ports, "Morvane", "DOMAIN\\admin");
    EXPECT_EQ(world.eventSources.calls, (std::vector<std::string>{"SourceExists Morvane"}));
    EXPECT_EQ(log.Text(), "");
}

TEST_F(EventSource, FailuresAreLoggedAndTheRestGoesOn) {
    auto sourceEntry = [&](const std::string& verb) {
        return "[" + world.Now() + "] Attempt to " + verb +
               " Morvane event source using 'DOMAIN\\admin' account - ERROR: -2147024891 "
               "Access is denied.\r\n\r\n";
    };
    world.eventSources.faults.Plant("RegisterSource", platform::hresult::E_ACCESSDENIED,
                                    "Access is denied.");
    InstallComPlusApp(ports, "Morvane", "DOMAIN\\admin");
    EXPECT_EQ(world.catalog.Names(), (std::vector<std::string>{"Morvane"}));
    EXPECT_EQ(log.Text(), sourceEntry("register"));
    world.eventSources.faults.Plant("RemoveSource", platform::hresult::E_ACCESSDENIED,
                                    "Access is denied.");
    RemoveEventSource(ports, "Morvane", "DOMAIN\\admin");
    EXPECT_EQ(log.Text(), sourceEntry("remove") + sourceEntry("register"));
    world.eventSources.faults.Plant("SourceExists", platform::hresult::E_ACCESSDENIED,
                                    "Access is denied.");
    AddMissingEventSource(ports, "Morvane", "DOMAIN\\admin");
    EXPECT_EQ(log.Text(),
              sourceEntry("register") + sourceEntry("remove") + sourceEntry("register"));
}

TEST_F(ComPlusFixture, NewestFailureStandsFirst) {
    world.catalog.faults.Plant("Populate", platform::hresult::E_FAIL, "Unspecified error");
    ComPlusAppExists(ports, "Morvane", "DOMAIN\\admin");
    UninstallComPlusApp(ports, "Morvane", "DOMAIN\\admin");
    EXPECT_EQ(log.Text(), Entry("uninstall", -2147467259, "Unspecified error") +
                              Entry("check the existence of", -2147467259, "Unspecified error"));
}

}  // namespace
