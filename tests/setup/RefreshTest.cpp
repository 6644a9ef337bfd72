#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/ComError.h"
#include "platform/emulated/db/Faults.h"
#include "platform/emulated/directory/DirectoryRequests.h"
#include "tests/setup/DiscoveryWorld.h"

using discoverytest::DiscoveryWorld;
using discoverytest::Entries;
using platform::emulated::NewPerson;
using setup::forms::CheckBox;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

constexpr const char* kMissing =
    "Morvane COM+ application not found. Event (un)registration impossible.";

struct RefreshFixture : ::testing::Test {
    DiscoveryWorld world;
    std::unique_ptr<setup::InstallForm> form = world.LoadForm();

    std::string Stamped(const std::string& message) const {
        return "[" + world.fakes.Now() + "] " + message + "\r\n\r\n";
    }
    void AddAccount(const std::string& account, const std::string& server) {
        NewPerson person = world.Person(account, server);
        person.sAMAccountName = account;
        world.people->Add(person);
    }
};

using MissingApplication = RefreshFixture;

TEST_F(MissingApplication, TestNowLogsOnceAndDisablesEveryRegistrationControl) {
    world.fakes.catalog.applications.clear();
    form->MbxInstList.AddItem("kept entry");
    form->Check3.SetValue(CheckBox::kChecked);
    form->RefreshForm(-1);
    EXPECT_EQ(form->txtErr.Text(), Stamped(kMissing));
    EXPECT_TRUE(form->txtErr.Visible());
    EXPECT_TRUE(form->Command3.Visible());
    for (auto* check : {&form->Check2, &form->Check3, &form->Check4, &form->Check5}) {
        EXPECT_EQ(check->Value(), CheckBox::kUnchecked) << check->Name();
        EXPECT_FALSE(check->Enabled()) << check->Name();
    }
    EXPECT_FALSE(form->Check7.Enabled());
    for (auto* button : {&form->Command5, &form->Command6, &form->Command7, &form->Command8}) {
        EXPECT_FALSE(button->Enabled()) << button->Name();
    }
    for (auto* list : {&form->SysMbxInstList, &form->MbxInstList, &form->MbxUninstList,
                       &form->SysMbxUninstList}) {
        EXPECT_FALSE(list->Enabled()) << list->Name();
    }
    EXPECT_THAT(Entries(form->MbxInstList), ElementsAre("kept entry"));
}

TEST_F(MissingApplication, ReportedAgainKeepsOneEntryWithTheNewerTime) {
    form->RefreshForm(0);
    world.fakes.clock.Set(platform::LocalTime{2026, 12, 7, 10, 45, 0});
    form->RefreshForm(0);
    EXPECT_EQ(form->txtErr.Text(), Stamped(kMissing));
}

TEST_F(MissingApplication, SameMessageInAnotherCaseIsAnotherEntry) {
    form->Log().AddMessage(
        "MORVANE COM+ APPLICATION NOT FOUND. EVENT (UN)REGISTRATION IMPOSSIBLE.");
    form->RefreshForm(0);
    EXPECT_EQ(form->txtErr.Text(),
              Stamped(kMissing) + Stamped("MORVANE COM+ APPLICATION NOT FOUND. EVENT "
                                          "(UN)REGISTRATION IMPOSSIBLE."));
}

TEST_F(MissingApplication, ShowDisabledStaysDisabledWhenTheApplicationReturns) {
    form->RefreshForm(0);
    form->RefreshForm(1);
    EXPECT_FALSE(form->Check7.Enabled());
    EXPECT_TRUE(form->MbxInstList.Enabled());
    EXPECT_TRUE(form->Check2.Enabled());  // the system mailbox is listed again
    EXPECT_THAT(Entries(form->MbxInstList), IsEmpty());
}

using PresentApplication = RefreshFixture;

TEST_F(PresentApplication, RebuildWithEmptyLogHidesTheLog) {
    world.AddMailbox("alice@corp.example.com");
    form->txtErr.SetVisible(true);
    form->RefreshForm(1);
    EXPECT_FALSE(form->txtErr.Visible());
    EXPECT_FALSE(form->Command3.Visible());
    EXPECT_EQ(form->MbxInstList.ListCount(), 1);
}

TEST_F(PresentApplication, TestNowFindsTheApplicationAndFillsTheLists) {
    world.AddMailbox("alice@corp.example.com");
    form->RefreshForm(-1);
    EXPECT_EQ(form->MbxInstList.ListCount(), 1);
    EXPECT_EQ(form->txtErr.Text(), "");
}

// Any other failure the refresh meets, here a handler failing inside the
// walk's yield, is logged as one entry, and the log shows.
TEST_F(PresentApplication, AFailureInsideTheRebuildIsLoggedAndTheLogShows) {
    world.AddMailbox("alice@corp.example.com");
    world.fakes.eventLoop.onDoEvents = [] {
        throw platform::ComError(platform::hresult::E_FAIL, "handler failed");
    };
    form->RefreshForm(1);
    EXPECT_EQ(form->txtErr.Text(),
              Stamped("Refresh of the mailbox lists failed - ERROR: -2147467259 handler failed"));
    EXPECT_TRUE(form->txtErr.Visible());
    EXPECT_TRUE(form->Command3.Visible());
}

TEST_F(PresentApplication, FirstActivationRunsTheRefresh) {
    world.AddMailbox("alice@corp.example.com");
    form->Form_Activate();
    EXPECT_EQ(form->MbxInstList.ListCount(), 1);
    EXPECT_EQ(form->SysMbxInstList.ListCount(), 1);
}

using ClusterIdentity = RefreshFixture;

TEST_F(ClusterIdentity, NotAClusterNodeLeavesTheClusterNameAlone) {
    AddAccount("Administrator", "EVS1");
    form->ClusterName = "PRESET";
    form->RefreshForm(1);
    EXPECT_EQ(form->ClusterName, "PRESET");
}

TEST_F(ClusterIdentity, ClusterNodeFindsTheVirtualServerOfTheRunningAccount) {
    AddAccount("Administrator", "Evs1");
    AddAccount("virtual", "EVS1");
    form->blnIsClusterNode = true;
    form->RefreshForm(1);
    EXPECT_EQ(form->ClusterName, "EVS1");
    EXPECT_EQ(form->MbxInstList.ListCount(), 2);
}

TEST_F(ClusterIdentity, TheDirectoryIsAskedTheIdentityQueryWithItsThreeProperties) {
    form->GetClusterName();
    auto request = platform::emulated::LastDirectoryRequest(*world.db);
    ASSERT_TRUE(request.has_value());
    EXPECT_EQ(request->commandText,
              "SELECT msExchHomeServerName FROM 'GC://dc1.corp.example.com' WHERE "
              "objectcategory='person' AND sAMAccountName='Administrator'");
    using platform::Variant;
    EXPECT_EQ(request->properties,
              (std::vector<std::pair<std::string, Variant>>{{"searchscope", Variant(2)},
                                                            {"cache results", Variant(false)},
                                                            {"Chase Referrals", Variant(96)}}));
}

TEST_F(ClusterIdentity, HomeServerWithoutCnBecomesTheWholeValueInUpperCase) {
    NewPerson admin = world.Person("Administrator", "EVS1");
    admin.msExchHomeServerName = "evs-one";
    world.people->Add(admin);
    form->blnIsClusterNode = true;
    form->ClusterName = "PRESET";
    form->RefreshForm(1);
    EXPECT_EQ(form->ClusterName, "EVS-ONE");
}

TEST_F(ClusterIdentity, AccountNotFoundLeavesTheClusterNameEmpty) {
    form->blnIsClusterNode = true;
    form->ClusterName = "PRESET";
    form->RefreshForm(1);
    EXPECT_EQ(form->ClusterName, "");
    EXPECT_EQ(form->txtErr.Text(), "");
}

TEST_F(ClusterIdentity, AccountNameWithApostropheIsLookedUp) {
    AddAccount("o'neil", "EVS2");
    form->sUserName = "o'neil";
    form->blnIsClusterNode = true;
    form->RefreshForm(1);
    EXPECT_EQ(form->ClusterName, "EVS2");
    EXPECT_EQ(form->txtErr.Text(), "");
}

TEST_F(ClusterIdentity, FailedLookUpIsLoggedOnceAndTheListsAreReadAllTheSame) {
    form->blnIsClusterNode = true;
    form->ClusterName = "PRESET";
    world.AddMailbox("alice@corp.example.com");
    platform::emulated::Faults(*world.db).Plant(
        {0, "directory.execute", {}, -2147467259, "look-up refused", 1});
    form->RefreshForm(1);
    EXPECT_EQ(form->txtErr.Text(),
              Stamped("Cluster name look-up failed - ERROR: -2147467259 look-up refused"));
    EXPECT_EQ(form->ClusterName, "");
    EXPECT_EQ(form->MbxInstList.ListCount(), 1);
    EXPECT_TRUE(form->Check3.Enabled());
    EXPECT_TRUE(form->txtErr.Visible());
    EXPECT_TRUE(form->Command3.Visible());
    form->Command3.Click();
    form->RefreshForm(1);
    EXPECT_EQ(form->SysMbxInstList.ListCount(), 1);
    EXPECT_FALSE(form->txtErr.Visible());
}

}  // namespace
