#include <gtest/gtest.h>

#include "setup/CommandLine.h"
#include "setup/InstallForm.h"
#include "setup/basGlobals.h"
#include "tests/setup/FakePorts.h"

using setup::InstallForm;
using setupfakes::FakeWorld;

namespace {

constexpr const char* kProgId = "Morvane.MorvaneCls";

struct StartupFixture : ::testing::Test {
    FakeWorld world;

    void SetUp() override { setup::basGlobals::sWindowsVersion.clear(); }
    void TearDown() override { setup::basGlobals::sWindowsVersion.clear(); }
    std::unique_ptr<InstallForm> Load(const std::string& commandLine = "") {
        auto form = std::make_unique<InstallForm>(world.Ports(), commandLine);
        form->Form_Load();
        return form;
    }
};

using BatchModeRecognition = StartupFixture;

TEST_F(BatchModeRecognition, SlashCapitalBAndMinusSmallBWithMoreLettersSelectBatchMode) {
    for (const char* line : {"/B", "-bxyz", "-b", "/b anything"}) {
        auto form = Load(line);
        EXPECT_TRUE(form->blnBatchMode) << line;
        EXPECT_EQ(form->Window().Caption(), "Morvane setup - batch mode") << line;
    }
}

TEST_F(BatchModeRecognition, BlankBeforeTheSwitchOrALoneLetterIsNotBatchMode) {
    for (const char* line : {" -b", "b", "", "-", "-c", "--b"}) {
        auto form = Load(line);
        EXPECT_FALSE(form->blnBatchMode) << line;
        EXPECT_EQ(form->Window().Caption(), "Morvane setup") << line;
    }
}

TEST_F(BatchModeRecognition, HelpAndVersionAreTheProgramsOwnOnlyAsTheWholeText) {
    EXPECT_EQ(setup::RequestOf("--help"), setup::ProgramRequest::Help);
    EXPECT_EQ(setup::RequestOf("--version"), setup::ProgramRequest::Version);
    for (const char* line : {"/b --version", "-b --help", "--help ", " --version", "--HELP"}) {
        EXPECT_EQ(setup::RequestOf(line), setup::ProgramRequest::Form) << line;
    }
    EXPECT_TRUE(Load("/b --version")->blnBatchMode);
}

using StartupNames = StartupFixture;

TEST_F(StartupNames, NamesAndUrlsComeFromTheSystemInformation) {
    world.machine.userName = "CORP-admin";
    auto form = Load();
    EXPECT_EQ(form->ShortComputerName, "mail01");
    EXPECT_EQ(form->FolderURL, "http://mail01/exadmin/Corp.Example.com/mbx");
    EXPECT_EQ(form->strSearchRoot, "GC://dc1.corp.example.com");
    EXPECT_EQ(form->sUserName, "CORP-admin");
    EXPECT_EQ(form->ClusterName, "");
    EXPECT_FALSE(form->blnIsClusterNode);
    EXPECT_EQ(setup::basGlobals::sWindowsVersion, "Windows 2003");
}

TEST_F(StartupNames, ClusterKeyMakesTheMachineAClusterNode) {
    world.machine.localMachineKeys.insert("Cluster");
    EXPECT_TRUE(Load()->blnIsClusterNode);
}

// A cluster test that fails for any reason but the key's absence, and an
// account name that cannot be read, leave their fields as start-up began
// them; the run's journal names each, the window says nothing.
TEST_F(StartupNames, FailingMachineProbesAreSkippedStepsOfTheRun) {
    world.machine.localMachineKeys.insert("Cluster");
    world.machine.localMachineKeyError = 5;
    world.machine.userNameError = 1317;
    auto form = Load();
    EXPECT_FALSE(form->blnIsClusterNode);
    EXPECT_EQ(form->sUserName, "");
    const std::string journal = form->BatchLog();
    for (const char* line :
         {"] Cluster membership not tested - ERROR: -2147024891 system error 5\r\n\r\n",
          "] Account name not read - ERROR: -2147023579 system error 1317\r\n\r\n"}) {
        EXPECT_NE(journal.find(line), std::string::npos) << line;
        EXPECT_EQ(form->Log().Text().find(line), std::string::npos) << line;
    }
}

TEST_F(StartupNames, FailingDomainLeavesOnlyTheFolderUrlEmpty) {
    world.systemInfo.faults.Plant("CreateADSystemInfo", platform::hresult::E_FAIL, "no domain");
    world.systemInfo.faults.Plant("GetObject", platform::hresult::E_FAIL, "no catalog");
    auto form = Load();
    EXPECT_EQ(form->FolderURL, "");
    EXPECT_EQ(form->strSearchRoot, "");
    EXPECT_EQ(form->ShortComputerName, "mail01");
    EXPECT_EQ(world.directoryAdo.calls.back(), "Open |||-1");
    // Not in the window; in the run's journal, once a failure.
    EXPECT_EQ(form->Log().Text().find("no domain"), std::string::npos);
    const std::string journal = form->BatchLog();
    for (const char* line : {"] ADSystemInfo object not created - ERROR: -2147467259 no domain\r\n",
                             "] Global catalog not found - ERROR: -2147467259 no catalog\r\n"}) {
        EXPECT_NE(journal.find(line), std::string::npos) << line;
    }
    EXPECT_EQ(journal.find("Domain name"), std::string::npos);
}

TEST_F(StartupNames, ProgressBoxIsPreparedForDrawing) {
    auto form = Load();
    EXPECT_TRUE(form->Picture1.FontBold());
    EXPECT_TRUE(form->Picture1.AutoRedraw());
    EXPECT_EQ(form->Picture1.BackColor(), 0xFFFFFF);
    EXPECT_EQ(form->Picture1.DrawMode(), 10);
    EXPECT_EQ(form->Picture1.FillStyle(), 0);
    EXPECT_EQ(form->Picture1.ForeColor(), 0xFF0000);
}

using PlatformGate = StartupFixture;

TEST_F(PlatformGate, Wow64ProcessGetsTheExactTextAndNoneOfTheLaterSteps) {
    world.machine.wow64 = true;
    auto form = Load();
    EXPECT_EQ(form->Log().Text(),
              "[" + world.Now() +
                  "] You can execute Morvane program only on the computer that runs Exchange "
                  "2003 on Windows 2003 32-bit.");
    EXPECT_EQ(world.directoryAdo.connectionsCreated, 0);
    EXPECT_TRUE(world.activation.created.empty());
    EXPECT_TRUE(world.catalog.calls.empty());
    EXPECT_EQ(form->cnn, nullptr);
    EXPECT_EQ(form->Sink(), nullptr);
}

TEST_F(PlatformGate, EveryOtherWindowsIsRefused) {
    for (auto [major, minor] : {std::pair{5u, 0u}, {5u, 1u}, {6u, 0u}}) {
        FakeWorld other;
        other.machine.major = major;
        other.machine.minor = minor;
        InstallForm form(other.Ports(), "");
        form.Form_Load();
        EXPECT_NE(form.Log().Text().find("You can execute Morvane program only"),
                  std::string::npos);
        EXPECT_EQ(other.directoryAdo.connectionsCreated, 0);
    }
}

using Provisioning = StartupFixture;

TEST_F(Provisioning, UncreatableClassWithoutLibraryRemovesTheApplicationAndLogsNotFound) {
    world.catalog.AddApplication("Morvane");
    world.fileSystem.currentDirectory = "C:\\work";
    auto form = Load();
    EXPECT_TRUE(world.catalog.applications.empty()) << "the broken installation is cleared";
    EXPECT_EQ(form->Log().Text(), "[" + world.Now() +
                                      "] File C:\\work\\Morvane.dll not found. COM+ object "
                                      "installation impossible.\r\n\r\n");
    EXPECT_EQ(form->Sink(), nullptr);
    EXPECT_EQ(world.activation.created, (std::vector<std::string>{kProgId}));
}

TEST_F(Provisioning, CreatableClassAndPresentApplicationChangeNothing) {
    world.activation.creatable.insert(kProgId);
    world.catalog.AddApplication("Morvane");
    auto form = Load();
    EXPECT_NE(form->Sink(), nullptr);
    EXPECT_EQ(form->Log().Text(), "");
    EXPECT_EQ(world.catalog.Names(), (std::vector<std::string>{"Morvane"}));
    for (const auto& call : world.catalog.calls) {
        EXPECT_TRUE(call != "Add" && call != "SaveChanges" && call.rfind("Remove", 0) != 0) << call;
    }
    EXPECT_EQ(
        world.directoryAdo.calls,
        (std::vector<std::string>{"Provider=adsDSOobject", "Open GC://dc1.corp.example.com|||-1"}));
    EXPECT_EQ(form->BatchLog(), "") << "a clean start-up";
}

TEST_F(Provisioning, PresentApplicationWithoutEventSourceGetsOne) {
    world.activation.creatable.insert(kProgId);
    world.catalog.AddApplication("Morvane");
    world.fileSystem.currentDirectory = "C:\\Program Files\\Morvane";
    auto form = Load();
    EXPECT_EQ(world.eventSources.sources,
              (std::map<std::string, std::string>{
                  {"Morvane", "C:\\Program Files\\Morvane\\Morvane.dll|7"}}));
    EXPECT_EQ(form->Log().Text(), "");
}

TEST_F(Provisioning, CreatableClassWithoutApplicationInstallsIt) {
    world.activation.creatable.insert(kProgId);
    world.fileSystem.normalFiles.insert("C:\\Program Files\\Morvane\\Morvane.dll");
    auto form = Load();
    EXPECT_EQ(world.catalog.Names(), (std::vector<std::string>{"Morvane"}));
    EXPECT_EQ(world.activation.created, (std::vector<std::string>{kProgId, kProgId}));
    EXPECT_EQ(form->Log().Text(), "");
}

TEST_F(Provisioning, UncreatableClassWithLibraryReinstallsAndCreatesTheSinkAgain) {
    world.catalog.AddApplication("MORVANE");
    world.fileSystem.normalFiles.insert("C:\\Program Files\\Morvane\\Morvane.dll");
    auto form = Load();
    EXPECT_EQ(world.catalog.Names(), (std::vector<std::string>{"Morvane"}));
    EXPECT_EQ(world.activation.created, (std::vector<std::string>{kProgId, kProgId}));
    // The class stays uncreatable here: nothing can be checked or renewed.
    EXPECT_EQ(form->Log().Text(), "");
    EXPECT_EQ(form->BatchLog(), "[" + world.Now() +
                                    "] Morvane.MorvaneCls object not created - ERROR: -2147221164 "
                                    "Class not registered\r\n\r\n");
}

TEST_F(Provisioning, MissingCurrentDirectorySkipsTheInstallationQuietly) {
    world.fileSystem.faults.Plant("CurrentDirectory", 76, "Path not found");
    auto form = Load();
    EXPECT_EQ(form->Log().Text(), "");
    EXPECT_TRUE(world.catalog.applications.empty());
}

using Unload = StartupFixture;

TEST_F(Unload, ClosingBeforeAnyConnectionWasOpenedEndsNormally) {
    world.directoryAdo.faults.Plant("Open", platform::hresult::E_FAIL, "no catalog");
    auto form = Load();
    ASSERT_NE(form->cnn, nullptr);
    form->Command2.Click();
    EXPECT_TRUE(form->Window().IsUnloaded());
    EXPECT_EQ(form->cnn, nullptr);
    EXPECT_EQ(world.directoryAdo.calls.back(), "Close");
}

TEST_F(Unload, AConnectionThatCouldNotBeCreatedIsSkippedAndStartUpGoesOn) {
    world.directoryAdo.faults.Plant("CreateConnection", platform::hresult::E_FAIL, "no ADO");
    world.activation.creatable.insert(kProgId);
    world.catalog.AddApplication("Morvane");
    auto form = Load();
    EXPECT_EQ(form->cnn, nullptr);
    EXPECT_NE(form->Sink(), nullptr);
    EXPECT_EQ(form->Log().Text(), "");
    form->Command2.Click();
    EXPECT_TRUE(form->Window().IsUnloaded());
}

TEST_F(Unload, UnloadClosesTheConnectionAndReleasesTheSink) {
    world.activation.creatable.insert(kProgId);
    world.catalog.AddApplication("Morvane");
    auto form = Load();
    auto connection = form->cnn;
    form->Window().Unload();
    EXPECT_EQ(connection->State(), 0);
    EXPECT_EQ(form->Sink(), nullptr);
}

TEST_F(Unload, UnloadOfARefusedPlatformHasNothingToClose) {
    world.machine.major = 6;
    auto form = Load();
    form->Form_Unload();
    EXPECT_TRUE(world.directoryAdo.calls.empty());
}

using LinkLabel = StartupFixture;

TEST_F(LinkLabel, ClickOpensTheAddressAndFailureIsIgnored) {
    auto form = Load();
    EXPECT_EQ(form->Label5.Caption(), "http://www.morvane.example/");
    EXPECT_EQ(form->Label5.ToolTipText(), "Click to open http://www.morvane.example/ ");
    form->Label5.UserClick();
    world.shell.fails = true;
    form->Label5.UserClick();
    form->Label5.UserMouseMove();
    EXPECT_EQ(world.shell.calls,
              (std::vector<std::string>{"ShellExecute open|http://www.morvane.example/|||1",
                                        "ShellExecute open|http://www.morvane.example/|||1",
                                        "SetSystemCursor 32649"}));
}

using ErrorLogButton = StartupFixture;

TEST_F(ErrorLogButton, Command3ClearsTheLog) {
    auto form = Load();
    form->Log().AddMessage("x");
    form->Log().UpdateVisibility();
    form->Command3.UserClick();
    EXPECT_EQ(form->Log().Text(), "");
    EXPECT_FALSE(form->txtErr.Visible());
    EXPECT_FALSE(form->Command3.Visible());
}

}  // namespace
