#include <gtest/gtest.h>

#include <filesystem>

#include "platform/emulated/activation/Activation.h"
#include "platform/emulated/catalog/CatalogObjects.h"
#include "platform/emulated/directory/DirectoryAdoConnection.h"
#include "platform/emulated/directory/SystemInfoObjects.h"
#include "platform/emulated/machine/MachineEventLog.h"
#include "platform/emulated/machine/MachineFacts.h"
#include "setup/InstallForm.h"
#include "setup/basGlobals.h"
#include "tests/setup/FakePorts.h"
#include "tests/setup/emulated/EmulatedServerFixture.h"

using namespace platform::emulated;

namespace {

// Files as on Linux, in a folder of the test.
class LinuxFiles : public setupfakes::FakeFileSystem {
  public:
    std::string JoinPath(const std::string& folder, const std::string& name) override {
        return folder + "/" + name;
    }
    std::string LibraryFileName(const std::string& baseName) override { return baseName + ".so"; }
    bool NormalFileExists(const std::string& path) override {
        return std::filesystem::is_regular_file(path);
    }
};

// Start-up of the setup window on an emulated server whose machine facts
// were matched to the server, with every platform port but the window's.
class StartupOnServer : public EmulatedServerFixture {
  protected:
    void SetUp() override {
        EmulatedServerFixture::SetUp();
        MatchMachineToServer(*db_, "MAIL01", "Corp.Example.com");
        activation_ = std::make_unique<EmulatedActivation>(ServerFolderFunction());
        catalog_ = std::make_unique<EmulatedCatalog>(*activation_, ServerFolderFunction());
        machine_ = std::make_unique<EmulatedMachine>(ServerFolderFunction());
        systemInfo_ = std::make_unique<EmulatedSystemInfo>(ServerFolderFunction());
        directoryAdo_ = std::make_unique<EmulatedDirectoryAdo>(ServerFolderFunction());
        eventSources_ = std::make_unique<EmulatedEventSources>(ServerFolderFunction());
        files_.currentDirectory = folder_.path();
    }
    void TearDown() override {
        setup::basGlobals::sWindowsVersion.clear();
        EmulatedServerFixture::TearDown();
    }
    std::unique_ptr<setup::InstallForm> Load() {
        setup::SetupPorts ports{*activation_,
                                *catalog_,
                                *machine_,
                                *systemInfo_,
                                *directoryAdo_,
                                world_.shell,
                                world_.clock,
                                world_.profile,
                                files_,
                                *eventSources_,
                                world_.messageBox,
                                world_.eventLoop,
                                world_.textMeasure,
                                "http://www.morvane.example/"};
        auto form = std::make_unique<setup::InstallForm>(ports, "");
        form->Form_Load();
        return form;
    }

    setupfakes::FakeWorld world_;
    LinuxFiles files_;
    std::unique_ptr<EmulatedActivation> activation_;
    std::unique_ptr<EmulatedCatalog> catalog_;
    std::unique_ptr<EmulatedMachine> machine_;
    std::unique_ptr<EmulatedSystemInfo> systemInfo_;
    std::unique_ptr<EmulatedDirectoryAdo> directoryAdo_;
    std::unique_ptr<EmulatedEventSources> eventSources_;
};

TEST_F(StartupOnServer, NamesAddressTheServerAndTheConnectionOpens) {
    auto form = Load();
    EXPECT_EQ(form->FolderURL, "http://mail01/exadmin/Corp.Example.com/mbx");
    EXPECT_EQ(form->strSearchRoot, "GC://dc1.corp.example.com");
    EXPECT_EQ(form->sUserName, ProcessAccountName());
    EXPECT_FALSE(form->blnIsClusterNode);
    ASSERT_NE(form->cnn, nullptr);
    EXPECT_EQ(form->cnn->State(), 1);
    form->Window().Unload();
    EXPECT_EQ(form->cnn, nullptr);
}

TEST_F(StartupOnServer, LibraryInTheCurrentDirectoryIsInstalledAsTheApplication) {
    std::filesystem::copy_file(MORVANE_CATALOG_PROBE_LIBRARY, folder_.File("Morvane.so"));
    auto form = Load();
    EXPECT_EQ(form->Log().Text(), "");
    const auto applications = ListCatalogApplications(*db_);
    ASSERT_EQ(applications.size(), 1u);
    EXPECT_EQ(applications[0].components, (std::vector<std::string>{"CatalogProbe.Thing"}));
    ASSERT_TRUE(applications[0].service.has_value());
    EXPECT_EQ(applications[0].service->runAs, ".\\localsystem");
    EXPECT_EQ(FindEventSource(*db_, "Morvane"),
              (EventSourceEntry{"Morvane", folder_.File("Morvane.so"), 7}));
}

TEST_F(StartupOnServer, Wow64MachineIsRefusedWithoutConnectionOrCatalogWork) {
    SetMachineFact(*db_, "wow64", "true");
    auto form = Load();
    EXPECT_NE(form->Log().Text().find("] You can execute Morvane program only"), std::string::npos);
    EXPECT_EQ(form->cnn, nullptr);
    EXPECT_TRUE(ListCatalogApplications(*db_).empty());
}

}  // namespace
