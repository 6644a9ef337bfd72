#include <gtest/gtest.h>

#include <filesystem>

#include "platform/ComError.h"
#include "platform/emulated/activation/Activation.h"
#include "platform/emulated/activation/Registry.h"
#include "platform/emulated/catalog/CatalogObjects.h"
#include "platform/emulated/db/Faults.h"
#include "platform/emulated/machine/MachineEventLog.h"
#include "setup/ComPlus.h"
#include "setup/basGlobals.h"
#include "tests/setup/FakePorts.h"
#include "tests/setup/emulated/EmulatedServerFixture.h"
#include "tests/support/ErrorNumber.h"

using namespace platform::emulated;
using platform::Variant;

namespace {

using testsupport::ErrorNumberOf;

constexpr const char* kProbeProgId = "CatalogProbe.Thing";

class CatalogFixture : public EmulatedServerFixture {
  protected:
    void SetUp() override {
        EmulatedServerFixture::SetUp();
        activation_ = std::make_unique<EmulatedActivation>(ServerFolderFunction());
        catalog_ = std::make_unique<EmulatedCatalog>(*activation_, ServerFolderFunction());
    }
    void TearDown() override {
        catalog_.reset();
        activation_.reset();
        EmulatedServerFixture::TearDown();
    }
    void AddApplication(const std::string& name) {
        auto applications = catalog_->CreateCatalog()->GetCollection("Applications");
        applications->Populate();
        applications->Add()->SetValue("Name", name);
        applications->SaveChanges();
    }
    std::string ListJson() { return CatalogApplicationsJson(ListCatalogApplications(*db_)); }
    void Plant(const std::string& operation, int32_t number) {
        PlantedFault fault;
        fault.operation = operation;
        fault.number = number;
        fault.description = "planted";
        Faults(*db_).Plant(fault);
    }

    std::unique_ptr<EmulatedActivation> activation_;
    std::unique_ptr<EmulatedCatalog> catalog_;
};

using CatalogApplications = CatalogFixture;

TEST_F(CatalogApplications, SavedApplicationsComeBackWithTheirPropertiesInOrder) {
    auto applications = catalog_->CreateCatalog()->GetCollection("Applications");
    EXPECT_EQ(applications->Count(), 0);
    applications->Populate();
    auto first = applications->Add();
    first->SetValue("Name", "Morvane");
    first->SetValue("ApplicationAccessChecksEnabled", false);
    first->SetValue("Identity", "NT AUTHORITY\\System");
    applications->Add()->SetValue("Name", "Second");
    EXPECT_EQ(applications->SaveChanges(), 2);

    auto again = catalog_->CreateCatalog()->GetCollection("Applications");
    again->Populate();
    ASSERT_EQ(again->Count(), 2);
    EXPECT_EQ(again->Item(0)->Name(), Variant("Morvane"));
    EXPECT_EQ(again->Item(0)->Value("ApplicationAccessChecksEnabled"), Variant(false));
    EXPECT_EQ(again->Item(1)->Name(), Variant("Second"));
    EXPECT_EQ(ListJson(),
              "[{\"name\":\"Morvane\",\"properties\":{\"ApplicationAccessChecksEnabled\":false,"
              "\"Identity\":\"NT AUTHORITY\\\\System\",\"Name\":\"Morvane\"},\"components\":[],"
              "\"service\":null},{\"name\":\"Second\",\"properties\":{\"Name\":\"Second\"},"
              "\"components\":[],\"service\":null}]");
}

TEST_F(CatalogApplications, UnsavedAdditionsAndRemovalsAreLost) {
    AddApplication("Kept");
    auto applications = catalog_->CreateCatalog()->GetCollection("Applications");
    applications->Populate();
    applications->Add()->SetValue("Name", "Lost");
    applications->Remove(0);
    applications.reset();
    EXPECT_EQ(ListCatalogApplications(*db_).size(), 1u);
}

TEST_F(CatalogApplications, RemoveTakesThePositionAndInvalidPositionsFail) {
    AddApplication("A");
    AddApplication("B");
    auto applications = catalog_->CreateCatalog()->GetCollection("Applications");
    applications->Populate();
    EXPECT_EQ(ErrorNumberOf([&] { applications->Remove(2); }), platform::hresult::E_INVALIDARG);
    EXPECT_EQ(ErrorNumberOf([&] { applications->Item(-1); }), platform::hresult::E_INVALIDARG);
    applications->Remove(0);
    EXPECT_EQ(applications->Item(0)->Name(), Variant("B"));
    applications->SaveChanges();
    ASSERT_EQ(ListCatalogApplications(*db_).size(), 1u);
    EXPECT_NE(ListJson().find("\"name\":\"B\""), std::string::npos);
}

TEST_F(CatalogApplications, ShutdownAfterIsThreeMinutesUntilSetAndAtMostADay) {
    AddApplication("Morvane");
    auto applications = catalog_->CreateCatalog()->GetCollection("Applications");
    applications->Populate();
    auto application = applications->Item(0);
    EXPECT_EQ(application->Value("ShutdownAfter"), Variant(3));
    for (int32_t refused : {-1, 1441}) {
        EXPECT_EQ(ErrorNumberOf([&] { application->SetValue("ShutdownAfter", Variant(refused)); }),
                  platform::hresult::E_INVALIDARG)
            << refused;
    }
    application->SetValue("ShutdownAfter", Variant("0"));
    applications->SaveChanges();
    EXPECT_EQ(ApplicationShutdownAfter(*db_, "MORVANE"), 0);
    EXPECT_EQ(ApplicationShutdownAfter(*db_, "Other"), 3);
    // Shut down with no process running changes nothing; an unknown name fails.
    catalog_->CreateCatalog()->ShutdownApplication("morvane");
    EXPECT_EQ(ErrorNumberOf([&] { catalog_->CreateCatalog()->ShutdownApplication("Other"); }),
              catalog_error::kObjectDoesNotExist);
}

TEST_F(CatalogApplications, UnknownCollectionIsAnError) {
    EXPECT_NE(ErrorNumberOf([&] { catalog_->CreateCatalog()->GetCollection("Roles"); }), 0);
}

using CatalogComponents = CatalogFixture;

TEST_F(CatalogComponents, InstalledLibraryClassesAreCreatableAndGoWithTheApplication) {
    AddApplication("Probe");
    auto admin = catalog_->CreateCatalog();
    admin->InstallComponent("probe", MORVANE_CATALOG_PROBE_LIBRARY, "", "");
    EXPECT_NE(ListJson().find("\"components\":[\"CatalogProbe.Thing\"]"), std::string::npos);
    EXPECT_NE(activation_->CreateObject(kProbeProgId), nullptr);

    auto applications = admin->GetCollection("Applications");
    applications->Populate();
    applications->Remove(0);
    applications->SaveChanges();
    EXPECT_EQ(ErrorNumberOf([&] { activation_->CreateObject(kProbeProgId); }),
              platform::hresult::CO_E_CLASSSTRING);
}

TEST_F(CatalogComponents, MissingFileMissingApplicationAndNonServerLibraryFail) {
    AddApplication("Probe");
    auto admin = catalog_->CreateCatalog();
    EXPECT_EQ(
        ErrorNumberOf([&] { admin->InstallComponent("Probe", folder_.File("none.so"), "", ""); }),
        catalog_error::kCompFileDoesNotExist);
    EXPECT_EQ(ErrorNumberOf(
                  [&] { admin->InstallComponent("Other", MORVANE_CATALOG_PROBE_LIBRARY, "", ""); }),
              catalog_error::kObjectDoesNotExist);
    testsupport::WriteFile(folder_.File("junk.so"), "not a library");
    EXPECT_EQ(
        ErrorNumberOf([&] { admin->InstallComponent("Probe", folder_.File("junk.so"), "", ""); }),
        catalog_error::kCompFileLoadDllFail);
    EXPECT_NE(ListJson().find("\"components\":[]"), std::string::npos);
}

using CatalogServices = CatalogFixture;

TEST_F(CatalogServices, ServiceIsRecordedOnceWithoutItsPassword) {
    AddApplication("Morvane");
    auto admin = catalog_->CreateCatalog();
    admin->CreateServiceForApplication("Morvane", "Morvane", "SERVICE_DEMAND_START",
                                       "SERVICE_ERROR_NORMAL", "", ".\\localsystem", "secret",
                                       false);
    const std::string json = ListJson();
    EXPECT_NE(json.find("\"service\":{\"name\":\"Morvane\",\"startType\":\"SERVICE_DEMAND_START\","
                        "\"errorControl\":\"SERVICE_ERROR_NORMAL\",\"dependencies\":\"\","
                        "\"runAs\":\".\\\\localsystem\",\"desktopOk\":false}"),
              std::string::npos)
        << json;
    EXPECT_EQ(json.find("secret"), std::string::npos);
    EXPECT_EQ(ErrorNumberOf([&] {
                  admin->CreateServiceForApplication("Morvane", "Morvane", "", "", "", "", "",
                                                     false);
              }),
              catalog_error::kServiceExists);
}

using CatalogFaults = CatalogFixture;

TEST_F(CatalogFaults, EachPlantedOperationFailsWithItsNumber) {
    AddApplication("Morvane");
    const int32_t number = platform::hresult::E_ACCESSDENIED;
    Plant("catalog.populate", number);
    auto applications = catalog_->CreateCatalog()->GetCollection("Applications");
    EXPECT_EQ(ErrorNumberOf([&] { applications->Populate(); }), number);
    Faults(*db_).Clear();
    applications->Populate();
    Plant("catalog.remove", number);
    EXPECT_EQ(ErrorNumberOf([&] { applications->Remove(0); }), number);
    Plant("catalog.savechanges", number);
    EXPECT_EQ(ErrorNumberOf([&] { applications->SaveChanges(); }), number);
    Plant("catalog.installcomponent", number);
    EXPECT_EQ(ErrorNumberOf(
                  [&] { catalog_->CreateCatalog()->InstallComponent("Morvane", "x.so", "", ""); }),
              number);
    Plant("catalog.createservice", number);
    EXPECT_EQ(ErrorNumberOf([&] {
                  catalog_->CreateCatalog()->CreateServiceForApplication("Morvane", "Morvane", "",
                                                                         "", "", "", "", false);
              }),
              number);
    Plant("catalog.create", number);
    EXPECT_EQ(ErrorNumberOf([&] { catalog_->CreateCatalog(); }), number);
}

// The COM+ routines of the setup program over the emulated catalog.
class ComPlusOnServer : public CatalogFixture {
  protected:
    void SetUp() override {
        CatalogFixture::SetUp();
        std::filesystem::copy_file(MORVANE_CATALOG_PROBE_LIBRARY, folder_.File("Morvane.so"));
        files_.currentDirectory = folder_.path();
        setup::basGlobals::sWindowsVersion = "Windows 2003";
    }
    void TearDown() override {
        setup::basGlobals::sWindowsVersion.clear();
        CatalogFixture::TearDown();
    }

    // A file system of this platform's conventions in the test folder.
    class LinuxFiles : public setupfakes::FakeFileSystem {
      public:
        std::string JoinPath(const std::string& folder, const std::string& name) override {
            return folder + "/" + name;
        }
        std::string LibraryFileName(const std::string& baseName) override {
            return baseName + ".so";
        }
    };

    LinuxFiles files_;
    platform::FixedClock clock_{platform::LocalTime{2026, 12, 7, 6, 0, 0}};
    setup::forms::TextBox txtErr_{"txtErr"};
    setup::forms::CommandButton command3_{"Command3"};
    setup::ErrorLog log_{txtErr_, command3_, clock_};
    std::unique_ptr<EmulatedEventSources> sources_;
    std::unique_ptr<setup::ComPlus::ComPlusPorts> ports_;

    setup::ComPlus::ComPlusPorts& Ports() {
        sources_ = std::make_unique<EmulatedEventSources>(ServerFolderFunction());
        ports_ = std::make_unique<setup::ComPlus::ComPlusPorts>(
            setup::ComPlus::ComPlusPorts{*catalog_, files_, log_, *sources_});
        return *ports_;
    }
};

TEST_F(ComPlusOnServer, InstallCheckAndUninstallTheApplication) {
    setup::ComPlus::ComPlusPorts& ports = Ports();
    EXPECT_FALSE(setup::ComPlus::ComPlusAppExists(ports, "Morvane", "admin"));
    setup::ComPlus::InstallComPlusApp(ports, "Morvane", "admin");
    EXPECT_EQ(log_.Text(), "");
    EXPECT_TRUE(setup::ComPlus::ComPlusAppExists(ports, "MORVANE", "admin"));
    const std::string json = ListJson();
    EXPECT_NE(json.find("\"components\":[\"CatalogProbe.Thing\"]"), std::string::npos) << json;
    EXPECT_NE(json.find("\"service\":{\"name\":\"Morvane\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"Identity\":\"NT AUTHORITY\\\\System\""), std::string::npos) << json;
    EXPECT_EQ(FindEventSource(*db_, "MORVANE"),
              (EventSourceEntry{"Morvane", folder_.File("Morvane.so"), 7}));

    setup::ComPlus::UninstallComPlusApp(ports, "Morvane", "admin");
    setup::ComPlus::RemoveEventSource(ports, "Morvane", "admin");
    EXPECT_EQ(ListJson(), "[]");
    EXPECT_FALSE(FindEventSource(*db_, "Morvane").has_value());
    EXPECT_EQ(ErrorNumberOf([&] { activation_->CreateObject(kProbeProgId); }),
              platform::hresult::CO_E_CLASSSTRING);
}

TEST_F(ComPlusOnServer, LibraryMissingFromTheCurrentDirectoryLeavesAnEmptyApplication) {
    files_.currentDirectory = folder_.File("elsewhere");
    setup::ComPlus::ComPlusPorts& ports = Ports();
    setup::ComPlus::InstallComPlusApp(ports, "Morvane", "admin");
    EXPECT_EQ(log_.Text(), "[" + platform::GeneralDateText(clock_.Now()) +
                               "] Attempt to install Morvane COM+ Application using 'admin' "
                               "account - ERROR: -2146368476 The file does not exist.\r\n\r\n");
    const auto applications = ListCatalogApplications(*db_);
    ASSERT_EQ(applications.size(), 1u);
    EXPECT_TRUE(applications[0].components.empty());
    EXPECT_FALSE(applications[0].service.has_value());
}

}  // namespace
