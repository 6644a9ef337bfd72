#include <gtest/gtest.h>

#include "setup/InstallForm.h"
#include "tests/setup/FakePorts.h"

using setup::InstallForm;
using setupfakes::FakeWorld;

namespace {

struct ActivationFixture : ::testing::Test {
    FakeWorld world;
    std::vector<std::string> trace;

    std::unique_ptr<InstallForm> Make(const std::string& commandLine) {
        auto form = std::make_unique<InstallForm>(world.Ports(), commandLine);
        form->hooks.loadDisplayFormat = [this] { trace.push_back("load"); };
        form->hooks.refreshForm = [this](int16_t state) {
            trace.push_back("refresh " + std::to_string(state));
        };
        form->Command1.OnClick([this] { trace.push_back("change"); });
        form->Form_Load();
        return form;
    }
};

using FirstActivation = ActivationFixture;

TEST_F(FirstActivation, RunsOnceLoadingTheFormatThenRefreshingWithTheComPlusTest) {
    auto form = Make("");
    form->Form_Activate();
    form->Form_Activate();
    EXPECT_EQ(trace, (std::vector<std::string>{"load", "refresh -1"}));
    EXPECT_TRUE(form->blnNotFirstTime);
    EXPECT_FALSE(form->Window().IsUnloaded());
    EXPECT_EQ(form->Check4.Value(), 0);
    EXPECT_EQ(form->Check5.Value(), 0);
}

using BatchRun = ActivationFixture;

TEST_F(BatchRun, EmptyListsUntickTheRegisterBoxesAndExitWithoutChange) {
    auto form = Make("/b");
    // Both register boxes ticked with a selection, so their own check keeps them.
    form->SysMbxInstList.AddItem("S / G / ST / sys / sys@x / SystemMailbox{1}");
    form->MbxInstList.AddItem("S / G / ST / a / a@x / a");
    form->SysMbxInstList.SetSelected(0, true);
    form->MbxInstList.SetSelected(0, true);
    form->Check2.SetValue(1);
    form->Check3.SetValue(1);
    ASSERT_EQ(form->Check2.Value(), 1);
    ASSERT_EQ(form->Check3.Value(), 1);
    form->Form_Activate();
    EXPECT_EQ(trace, (std::vector<std::string>{"load", "refresh -1"}));
    EXPECT_EQ(form->Check2.Value(), 0) << "batch mode unticks the register boxes";
    EXPECT_EQ(form->Check3.Value(), 0) << "batch mode unticks the register boxes";
    EXPECT_TRUE(form->Window().IsUnloaded());
}

TEST_F(BatchRun, RegisteredMailboxesAreSelectedBeforeTheirBoxIsTickedThenChangeRuns) {
    auto form = Make("-b");
    form->hooks.refreshForm = [&form](int16_t) {
        form->MbxUninstList.AddItem("S / G / ST / a / a@x / a");
        form->MbxUninstList.AddItem("S / G / ST / b / b@x / b");
    };
    int selectedWhenTicked = -1;
    form->Check4.OnClick([&] { selectedWhenTicked = form->MbxUninstList.SelCount(); });
    form->Form_Activate();
    EXPECT_EQ(selectedWhenTicked, 2);
    EXPECT_EQ(form->Check4.Value(), 1);
    EXPECT_EQ(form->Check5.Value(), 0) << "no store-wide entries, no store-wide tick";
    EXPECT_EQ(trace, (std::vector<std::string>{"load", "change"}));
    EXPECT_TRUE(form->Window().IsUnloaded());
}

TEST_F(BatchRun, StoreWideEntriesTickCheck5) {
    auto form = Make("-b");
    form->hooks.refreshForm = [&form](int16_t) { form->SysMbxUninstList.AddItem("x / y@z / y"); };
    form->Form_Activate();
    EXPECT_EQ(form->Check5.Value(), 1);
    EXPECT_TRUE(form->SysMbxUninstList.Selected(0));
    EXPECT_EQ(trace.back(), "change");
}

}  // namespace
