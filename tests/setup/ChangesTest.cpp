// The registration changes, the controls that prepare them, the display
// format, batch mode's result and the complete uninstall, on fakes.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "common/basIniFile.h"
#include "setup/InstallForm.h"
#include "setup/ListEntry.h"
#include "tests/setup/FakePorts.h"
#include "tests/support/TempFolder.h"

namespace {

using setup::forms::CheckBox;

// The library's object: records every late-bound call with its arguments
// and answers from a script.
class RecordingSink : public platform::ComObject, public platform::Dispatch {
  public:
    std::vector<std::string> calls;              // "Method(arg,&byref,...)"
    std::map<std::string, std::string> results;  // keyed by URL
    std::function<void()> onCall;                // runs at every call

    platform::Dispatch* AsDispatch() override { return this; }
    platform::StoreSyncEvents* AsStoreSyncEvents() override { return nullptr; }
    platform::CreateRegistration* AsCreateRegistration() override { return nullptr; }
    int32_t GetIDOfName(const std::string&) override { return 0; }
    platform::Variant Invoke(const std::string& member,
                             std::vector<platform::DispArg>& args) override {
        std::string call = member + "(";
        for (size_t i = 0; i < args.size(); ++i) {
            call += (i ? "," : "") + std::string(args[i].byRef ? "&" : "") + args[i].value;
        }
        calls.push_back(call + ")");
        if (onCall)
            onCall();
        auto found = results.find(args.at(0).value);
        return platform::Variant(found == results.end() ? std::string("1") : found->second);
    }
};

class SinkActivation : public setupfakes::FakeActivation {
  public:
    std::shared_ptr<RecordingSink> sink = std::make_shared<RecordingSink>();
    bool creatable = true;
    std::vector<std::string> bound;
    std::function<void()> onBound;  // runs when a bound export is called

    std::shared_ptr<platform::ComObject> CreateObject(const std::string& progId) override {
        if (!creatable)
            return FakeActivation::CreateObject(progId);
        return sink;
    }
    std::function<int32_t()> BindExport(const std::string& file, const std::string& name) override {
        return [this, file, name] {
            bound.push_back(file + "!" + name);
            if (onBound)
                onBound();
            return 0;
        };
    }
};

constexpr const char* kUrl = "http://mail01/exadmin/Corp.Example.com/mbx";

class Changes : public ::testing::Test {
  protected:
    void Load(const std::string& commandLine = "") {
        world.catalog.AddApplication("Morvane");
        setup::SetupPorts ports = world.Ports();
        form = std::make_unique<setup::InstallForm>(
            setup::SetupPorts{activation, ports.catalog, ports.machine, ports.systemInfo,
                              ports.directoryAdo, ports.shell, ports.clock, ports.profile,
                              ports.fileSystem, ports.eventSources, ports.messageBox,
                              ports.eventLoop, ports.textMeasure, ports.linkAddress},
            commandLine);
        form->Form_Load();
    }
    static std::string Entry(const std::string& cn, const std::string& address) {
        return "MAIL01 / FIRST STORAGE GROUP / MAILBOX STORE / " + cn + " / " + address + " / " +
               cn;
    }
    static void SelectAll(setup::forms::ListBox& list) {
        for (int i = 0; i < list.ListCount(); ++i)
            list.SetSelected(i, true);
    }
    std::vector<std::string>& Calls() { return activation.sink->calls; }

    setupfakes::FakeWorld world;
    SinkActivation activation;
    std::unique_ptr<setup::InstallForm> form;
};

TEST_F(Changes, ATickWithoutSelectionIsRefusedWithItsMessageAndCleared) {
    Load();
    form->MbxInstList.AddItem(Entry("Ann", "ann@corp.example.com"));
    form->Check3.SetValue(CheckBox::kChecked);
    EXPECT_EQ(form->Check3.Value(), CheckBox::kUnchecked);
    form->Check4.SetValue(CheckBox::kGrayed);
    EXPECT_EQ(form->Check4.Value(), CheckBox::kUnchecked);
    ASSERT_EQ(world.messageBox.shown.size(), 2u);
    EXPECT_EQ(world.messageBox.shown[0],
              "Morvane setup|64|Please select the mailbox(es) for registration");
    EXPECT_EQ(world.messageBox.shown[1],
              "Morvane setup|64|Please select the mailbox(es) for unregistration");
}

TEST_F(Changes, ATickWithASelectionStaysAndUntickingNeverAsks) {
    Load();
    form->SysMbxUninstList.AddItem(Entry("SystemMailbox{1}", "SystemMailbox{1}@corp.example.com"));
    form->SysMbxUninstList.SetSelected(0, true);
    form->Check5.SetValue(CheckBox::kChecked);
    EXPECT_EQ(form->Check5.Value(), CheckBox::kChecked);
    form->SysMbxUninstList.SetSelected(0, false);
    form->Check5.SetValue(CheckBox::kUnchecked);
    EXPECT_TRUE(world.messageBox.shown.empty());
}

TEST_F(Changes, SelectAllTogglesSelectionAndCaptionAndKeepsTheFocusedPosition) {
    Load();
    for (const char* cn : {"Ann", "Bob", "Cid"})
        form->MbxInstList.AddItem(Entry(cn, "x@y"));
    form->MbxInstList.SetListIndex(1);
    form->Command6.Click();
    EXPECT_EQ(form->Command6.Caption(), "Deselect All");
    EXPECT_EQ(form->MbxInstList.SelCount(), 3);
    EXPECT_EQ(form->MbxInstList.ListIndex(), 1);
    form->Command6.Click();
    EXPECT_EQ(form->Command6.Caption(), "Select All");
    EXPECT_EQ(form->MbxInstList.SelCount(), 0);
    EXPECT_EQ(form->MbxInstList.ListIndex(), 1);
    // An empty list still switches the caption.
    form->Command5.Click();
    EXPECT_EQ(form->Command5.Caption(), "Deselect All");
}

TEST_F(Changes, NothingTickedMakesNoCallButClearsTheLogAndResetsCaptions) {
    Load();
    form->Log().AddEntry("[old] entry");
    form->Command7.SetCaption("Deselect All");
    form->Command1.Click();
    EXPECT_TRUE(Calls().empty());
    EXPECT_EQ(form->Log().Text().find("[old] entry"), std::string::npos);
    EXPECT_EQ(form->Command7.Caption(), "Select All");
    EXPECT_EQ(form->Window().MousePointer(), 0);
}

TEST_F(Changes, AllFourTickedRunInTheirOrderWithExactArguments) {
    Load();
    form->SysMbxUninstList.AddItem(Entry("SystemMailbox{A}", "SystemMailbox{A}@c.com"));
    form->SysMbxInstList.AddItem(Entry("SystemMailbox{B}", "SystemMailbox{B}@c.com"));
    form->MbxUninstList.AddItem(Entry("Ann", "ann@c.com"));
    form->MbxInstList.AddItem(Entry("Bob", "bob@c.com"));
    for (auto* list : {&form->SysMbxUninstList, &form->SysMbxInstList, &form->MbxUninstList,
                       &form->MbxInstList}) {
        SelectAll(*list);
    }
    for (auto* box : {&form->Check2, &form->Check3, &form->Check4, &form->Check5}) {
        box->SetValue(CheckBox::kChecked);
    }
    form->Command1.Click();
    const std::string criteria = " WHERE \"DAV:ishidden\" = FALSE";
    EXPECT_EQ(Calls(), (std::vector<std::string>{
                           "RemoveRegItem(&" + std::string(kUrl) +
                               "/SystemMailbox{A}@c.com,&StoreEvents/GlobalEvents,Morvane.reg)",
                           "CreateRegItem(&" + std::string(kUrl) +
                               "/SystemMailbox{B}@c.com,&StoreEvents/GlobalEvents,Morvane.reg,"
                               "onsyncsave,Morvane.MorvaneCls,&ANY," +
                               criteria + ",1)",
                           "RemoveRegItem(&" + std::string(kUrl) + "/ann@c.com,&inbox,Morvane.reg)",
                           "CreateRegItem(&" + std::string(kUrl) +
                               "/bob@c.com,&inbox,Morvane.reg,onsyncsave,Morvane.MorvaneCls,"
                               "&SHALLOW," +
                               criteria + ",1)",
                       }));
}

TEST_F(Changes, OnlySelectedEntriesWithAUsableAddressAreChanged) {
    Load();
    form->MbxInstList.AddItem(Entry("Ann", "ann@c.com"));
    form->MbxInstList.AddItem(Entry("Bob", "bob@c.com"));
    form->MbxInstList.AddItem(Entry("NoAt", "nobody"));
    form->MbxInstList.AddItem(Entry("AtFirst", "@c.com"));
    form->MbxInstList.AddItem("MAIL01 / Dan [*** No HomeMDB ***] /  / dan");
    for (int i : {1, 2, 3, 4})
        form->MbxInstList.SetSelected(i, true);
    form->Check3.SetValue(CheckBox::kChecked);
    form->Command1.Click();
    ASSERT_EQ(Calls().size(), 1u);
    EXPECT_NE(Calls()[0].find("/bob@c.com,"), std::string::npos);
    EXPECT_EQ(form->Log().Text(), "");
}

TEST_F(Changes, OnlyResultsLongerThanTwoCharactersAreLoggedNewestFirst) {
    Load();
    activation.sink->results[std::string(kUrl) + "/ann@c.com"] = "0";
    activation.sink->results[std::string(kUrl) + "/bob@c.com"] = "[t1] bob - ERROR: -1 first";
    activation.sink->results[std::string(kUrl) + "/cid@c.com"] = "[t2] cid - ERROR: -2 second";
    for (const char* name : {"ann", "bob", "cid"}) {
        form->MbxUninstList.AddItem(Entry(name, std::string(name) + "@c.com"));
    }
    SelectAll(form->MbxUninstList);
    form->Check4.SetValue(CheckBox::kChecked);
    form->Command1.Click();
    EXPECT_EQ(Calls().size(), 3u);
    EXPECT_EQ(form->Log().Text().rfind("[t2] cid - ERROR: -2 second\r\n\r\n"
                                       "[t1] bob - ERROR: -1 first\r\n\r\n",
                                       0),
              0u);
}

TEST_F(Changes, MissingComPlusApplicationKeepsTheLogAndMakesNoCall) {
    Load();
    world.catalog.applications.clear();
    form->Log().AddEntry("[old] entry");
    form->MbxInstList.AddItem(Entry("Ann", "ann@c.com"));
    form->MbxInstList.SetSelected(0, true);
    form->Check3.SetValue(CheckBox::kChecked);
    form->Command1.Click();
    EXPECT_TRUE(Calls().empty());
    EXPECT_EQ(form->Log().Text(), "[" + world.Now() +
                                      "] Morvane COM+ application not found. Event "
                                      "(un)registration impossible.\r\n\r\n[old] entry\r\n\r\n");
    EXPECT_EQ(form->Command6.Caption(), "Select All");
    EXPECT_EQ(form->Window().MousePointer(), 0);
}

TEST_F(Changes, WithoutTheLibraryObjectOneEntrySaysSoAndTheRunGoesOn) {
    activation.creatable = false;
    Load();
    world.catalog.AddApplication("Morvane");  // start-up removed it when the class was missing
    form->MbxInstList.AddItem(Entry("Ann", "ann@c.com"));
    form->MbxInstList.AddItem(Entry("Bob", "bob@c.com"));
    SelectAll(form->MbxInstList);
    form->Check3.SetValue(CheckBox::kChecked);
    form->Command1.Click();
    const std::string entry = "[" + world.Now() +
                              "] Morvane.MorvaneCls object not available. Event "
                              "(un)registration impossible.\r\n\r\n";
    EXPECT_EQ(form->Log().Text().find(entry), 0u);
    EXPECT_EQ(form->Log().Text().find(entry, 1), std::string::npos);
    EXPECT_EQ(form->Window().MousePointer(), 0);
}

// Removing first left the mailbox unstamped until it was created again, and
// for good when the run was cut short.
TEST_F(Changes, BatchModeRenewsEveryRegisteredEntryByCreationAlone) {
    Load("-b");
    form->MbxUninstList.AddItem(Entry("Ann", "ann@c.com"));
    form->MbxUninstList.AddItem(Entry("Bob", "bob@c.com"));
    form->MbxUninstList.SetSelected(1, true);
    form->Check4.SetValue(CheckBox::kChecked);
    form->Command1.Click();
    ASSERT_EQ(Calls().size(), 2u);
    EXPECT_EQ(Calls()[0].rfind("CreateRegItem(&" + std::string(kUrl) + "/ann@c.com", 0), 0u);
    EXPECT_EQ(Calls()[1].rfind("CreateRegItem(&" + std::string(kUrl) + "/bob@c.com", 0), 0u);
}

// A batch run that logged anything or skipped a step fails, also when the
// window shows nothing of it; standard error holds the run's whole log,
// newest first, each entry followed by an empty line.
TEST_F(Changes, BatchRunFailsAndWritesTheWholeLogOfTheRun) {
    auto directoryFault = [](const char* operation, int32_t number, const char* description) {
        return [=](setupfakes::FakeWorld& faulty) {
            faulty.directoryAdo.faults.Plant(operation, number, description);
        };
    };
    const struct {
        std::function<void(setupfakes::FakeWorld&)> plant;
        std::vector<std::string> entries;  // newest first, without their time
    } rows[] = {
        {directoryFault("CreateCommand", -2147221164, "Class not registered"),
         {"Mailbox directory query failed - ERROR: -2147221164 Class not registered"}},
        {directoryFault("Execute", -2147217865, "Table does not exist."),
         {"Mailbox directory query failed - ERROR: -2147217865 Table does not exist."}},
        {[](setupfakes::FakeWorld& faulty) { faulty.directoryAdo.noRecords = true; },
         {"Mailbox directory query failed - ERROR: 91 Object variable or With block variable "
          "not set"}},
        // Skipped steps alone: the window's log stays empty.
        {directoryFault("SetActiveConnection", 3001, "Arguments are of the wrong type."),
         {"Directory query connection not set - ERROR: 3001 Arguments are of the wrong type."}},
        {directoryFault("SetCommandText", -2147467259, "no text"),
         {"Directory query text not set - ERROR: -2147467259 no text"}},
        {directoryFault("RecordsetClose", 3704, "closed"),
         {"Mailbox directory query not closed - ERROR: 3704 closed"}},
        // The platform's refusal replaced the window's text, which ends
        // without an empty line; the older entry still stands apart.
        {[](setupfakes::FakeWorld& faulty) {
             faulty.systemInfo.faults.Plant("CreateADSystemInfo", -2147467259, "no domain");
             faulty.machine.wow64 = true;
         },
         {"You can execute Morvane program only on the computer that runs Exchange 2003 on "
          "Windows 2003 32-bit.",
          "ADSystemInfo object not created - ERROR: -2147467259 no domain"}},
    };
    for (const auto& row : rows) {
        world = setupfakes::FakeWorld{};
        row.plant(world);
        Load("-b");
        form->Form_Activate();
        std::ostringstream err;
        std::string expected;
        for (const std::string& entry : row.entries) {
            expected += "[" + world.Now() + "] " + entry + "\r\n\r\n";
        }
        EXPECT_EQ(setup::FinishBatchRun(*form, err), 1) << row.entries.front();
        EXPECT_EQ(err.str(), expected);
    }
}

TEST_F(Changes, BatchRunWritesItsLogAndFailsWhenTheLogIsNotEmpty) {
    Load("/b");
    form->Log().AddEntry("[t] something failed");
    form->Form_Activate();
    EXPECT_TRUE(form->Window().IsUnloaded());
    std::ostringstream err;
    EXPECT_EQ(setup::FinishBatchRun(*form, err), 1);
    EXPECT_NE(err.str().find("[t] something failed\r\n\r\n"), std::string::npos);
}

TEST_F(Changes, UninstallAnsweredNoChangesNothing) {
    Load();
    world.eventSources.calls.clear();  // start-up added the missing source
    world.messageBox.answer = setup::forms::kAnswerNo;
    form->MbxUninstList.AddItem(Entry("Ann", "ann@c.com"));
    form->Command4.Click();
    ASSERT_EQ(world.messageBox.shown.size(), 1u);
    EXPECT_EQ(world.messageBox.shown[0],
              "Morvane setup|308|COM+ application and all event registration items will be "
              "removed.\rAfter that the Morvane setup program will be closed "
              "automatically.\r\rContinue?");
    EXPECT_TRUE(Calls().empty());
    EXPECT_EQ(world.catalog.Names(), std::vector<std::string>{"Morvane"});
    EXPECT_TRUE(world.eventSources.calls.empty());
    EXPECT_TRUE(activation.bound.empty());
    EXPECT_FALSE(form->Window().IsUnloaded());
}

TEST_F(Changes, UninstallAnsweredYesRemovesEverythingInOrderAndCloses) {
    Load();
    world.messageBox.answer = setup::forms::kAnswerYes;
    form->SysMbxUninstList.AddItem(Entry("SystemMailbox{A}", "SystemMailbox{A}@c.com"));
    form->MbxUninstList.AddItem(Entry("Ann", "ann@c.com"));
    form->MbxInstList.AddItem(Entry("Bob", "bob@c.com"));
    form->MbxInstList.SetSelected(0, true);
    form->Check3.SetValue(CheckBox::kChecked);
    world.fileSystem.currentDirectory = "D:\\elsewhere";
    // The stages in their order: every registration while the COM+
    // application still stands, the event source after the application,
    // the library after both, the window's end after the library.
    std::vector<size_t> applicationsAtCalls;
    activation.sink->onCall = [&] { applicationsAtCalls.push_back(world.catalog.Names().size()); };
    size_t applicationsAtUnregister = 99;
    bool unloadedAtUnregister = true;
    world.eventSources.sources["Morvane"] = "C:\\Program Files\\Morvane\\Morvane.dll|7";
    size_t applicationsAtSourceRemoval = 99;
    bool libraryUnregisteredAtSourceRemoval = true;
    world.eventSources.onCall = [&] {
        applicationsAtSourceRemoval = world.catalog.Names().size();
        libraryUnregisteredAtSourceRemoval = !activation.bound.empty();
    };
    activation.onBound = [&] {
        applicationsAtUnregister = world.catalog.Names().size();
        unloadedAtUnregister = form->Window().IsUnloaded();
    };
    form->Command4.Click();
    EXPECT_EQ(applicationsAtCalls, (std::vector<size_t>{1, 1}));
    EXPECT_EQ(applicationsAtUnregister, 0u);
    EXPECT_EQ(applicationsAtSourceRemoval, 0u);
    EXPECT_FALSE(libraryUnregisteredAtSourceRemoval);
    EXPECT_TRUE(world.eventSources.sources.empty());
    EXPECT_FALSE(unloadedAtUnregister);
    ASSERT_EQ(Calls().size(), 2u);
    EXPECT_EQ(Calls()[0].rfind("RemoveRegItem(&" + std::string(kUrl) + "/SystemMailbox{A}", 0), 0u);
    EXPECT_EQ(Calls()[1].rfind("RemoveRegItem(&" + std::string(kUrl) + "/ann@c.com", 0), 0u);
    EXPECT_TRUE(world.catalog.Names().empty());
    EXPECT_EQ(world.fileSystem.currentDirectory, "C:\\Program Files\\Morvane");
    EXPECT_EQ(activation.bound, std::vector<std::string>{
                                    "C:\\Program Files\\Morvane\\Morvane.dll!DllUnregisterServer"});
    EXPECT_TRUE(form->Window().IsUnloaded());
}

TEST(ListEntryAddress, TheNextToLastFieldWhenItHoldsAnAtAfterItsFirstCharacter) {
    using setup::ListEntry::ExtractAddress;
    EXPECT_EQ(ExtractAddress("S / SG / ST / Ann / ann@c.com / ann"), "ann@c.com");
    EXPECT_EQ(ExtractAddress("S / Ann [***DISABLED***] / ann@c.com / ann"), "ann@c.com");
    EXPECT_EQ(ExtractAddress("S / SG / ST / Ann /  / ann"), "");
    EXPECT_EQ(ExtractAddress("a@b / alias"), "a@b");
    EXPECT_EQ(ExtractAddress("a@b"), "a@b");
    EXPECT_EQ(ExtractAddress("S / @c.com / x"), "");
    EXPECT_EQ(ExtractAddress("S / nobody / x"), "");
    EXPECT_EQ(ExtractAddress(""), "");
}

// The display format against a real settings file in the program's folder.
class DisplayFormat : public Changes {
  protected:
    class FolderFileSystem : public setupfakes::FakeFileSystem {
      public:
        std::string JoinPath(const std::string& folder, const std::string& name) override {
            return folder + "/" + name;
        }
    };
    void LoadWithFile() {
        world.catalog.AddApplication("Morvane");
        setup::SetupPorts ports = world.Ports();
        fileSystem.programFolder = folder.path();
        fileSystem.currentDirectory = "/";
        form = std::make_unique<setup::InstallForm>(
            setup::SetupPorts{
                activation, ports.catalog, ports.machine, ports.systemInfo, ports.directoryAdo,
                ports.shell, ports.clock, platform::SystemProfile(), fileSystem, ports.eventSources,
                ports.messageBox, ports.eventLoop, ports.textMeasure, ports.linkAddress},
            "");
        form->Form_Load();
    }
    std::string Stored() {
        return basIniFile::ReadIniString("Morvane Settings", "SCLDisplayFormat", "<none>",
                                         folder.File("Morvane.ini"));
    }
    testsupport::TempFolder folder;
    FolderFileSystem fileSystem;
};

TEST_F(DisplayFormat, NoSettingsFileSelectsOption1AndWritesNothing) {
    LoadWithFile();
    form->Form_Activate();
    EXPECT_TRUE(form->Option1.Value());
    EXPECT_FALSE(form->Option2.Value());
    EXPECT_TRUE(form->Label2.FontBold());
    EXPECT_FALSE(form->Label3.FontBold());
    EXPECT_EQ(Stored(), "<none>");
}

TEST_F(DisplayFormat, StoredBareFormInAnyCaseSelectsOption2AndIsWrittenBack) {
    basIniFile::WriteIniString("Morvane Settings", "SCLDisplayFormat", "<scl value>",
                               folder.File("Morvane.ini"));
    LoadWithFile();
    form->Form_Activate();
    EXPECT_TRUE(form->Option2.Value());
    EXPECT_FALSE(form->Option1.Value());
    EXPECT_TRUE(form->Label3.FontBold());
    EXPECT_TRUE(form->Label9.FontBold());
    EXPECT_FALSE(form->Label2.FontBold());
    EXPECT_FALSE(form->Label8.FontBold());
    EXPECT_EQ(Stored(), "<SCL value>");
}

TEST_F(DisplayFormat, ClickingAnOptionStoresItsCaption) {
    LoadWithFile();
    form->Form_Activate();
    form->Option2.UserClick();
    EXPECT_EQ(Stored(), "<SCL value>");
    form->Option1.UserClick();
    EXPECT_EQ(Stored(), "SCL=<SCL value>");
    EXPECT_TRUE(form->Label8.FontBold());
    EXPECT_FALSE(form->Label9.FontBold());
}

}  // namespace
