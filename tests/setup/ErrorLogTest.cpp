#include "setup/ErrorLog.h"

#include <gtest/gtest.h>

#include "platform/Clock.h"

using platform::FixedClock;
using platform::LocalTime;
using setup::ErrorLog;
using setup::forms::CommandButton;
using setup::forms::TextBox;

namespace {

struct LogFixture : ::testing::Test {
    TextBox txtErr{"txtErr"};
    CommandButton command3{"Command3"};
    FixedClock clock{LocalTime{2026, 12, 7, 8, 0, 1}};
    ErrorLog log{txtErr, command3, clock};

    void SetUp() override {
        txtErr.SetVisible(false);
        command3.SetVisible(false);
    }
    std::string Time() const { return platform::GeneralDateText(clock.Now()); }
};

using ErrorLogAdd = LogFixture;

TEST_F(ErrorLogAdd, TwoFailuresStandNewestFirstWithOneEmptyLineBetweenAndAtTheEnd) {
    log.AddMessage("first");
    clock.Set(LocalTime{2026, 12, 7, 8, 0, 2});
    log.AddMessage("second");
    EXPECT_EQ(log.Text(), "[" + Time() + "] second\r\n\r\n[" +
                              platform::GeneralDateText(LocalTime{2026, 12, 7, 8, 0, 1}) +
                              "] first\r\n\r\n");
}

TEST_F(ErrorLogAdd, LibraryLinesAreAddedAsReturnedAndVisibilityStays) {
    log.AddEntry("[x] http://a - ERROR: 5 no");
    EXPECT_EQ(log.Text(), "[x] http://a - ERROR: 5 no\r\n\r\n");
    EXPECT_FALSE(txtErr.Visible());
    EXPECT_FALSE(command3.Visible());
}

using ErrorLogReplace = LogFixture;

TEST_F(ErrorLogReplace, ReplaceDropsThePreviousTextAndEndsWithoutLineBreak) {
    log.AddMessage("old");
    log.Replace("platform");
    EXPECT_EQ(log.Text(), "[" + Time() + "] platform");
    log.AddMessage("later");
    EXPECT_EQ(log.Text(), "[" + Time() + "] later\r\n\r\n[" + Time() + "] platform");
}

using ErrorLogRenew = LogFixture;

TEST_F(ErrorLogRenew, ThreeReportsOfTheSameMessageKeepOneEntryWithTheLatestTime) {
    log.AddMessage("above");
    log.RenewOrAdd("Morvane COM+ application not found. Event (un)registration impossible.");
    clock.Set(LocalTime{2026, 12, 7, 8, 5, 0});
    log.RenewOrAdd("Morvane COM+ application not found. Event (un)registration impossible.");
    clock.Set(LocalTime{2026, 12, 7, 8, 10, 30});
    log.RenewOrAdd("Morvane COM+ application not found. Event (un)registration impossible.");
    const std::string first = platform::GeneralDateText(LocalTime{2026, 12, 7, 8, 0, 1});
    EXPECT_EQ(log.Text(), "[" + Time() +
                              "] Morvane COM+ application not found. Event (un)registration "
                              "impossible.\r\n\r\n[" +
                              first + "] above\r\n\r\n");
}

TEST_F(ErrorLogRenew, RenewKeepsTheEntryAtItsOldPlaceBehindNewerEntries) {
    log.RenewOrAdd("missing");
    clock.Set(LocalTime{2026, 12, 7, 9, 0, 0});
    log.AddMessage("newer");
    clock.Set(LocalTime{2026, 12, 7, 10, 0, 0});
    log.RenewOrAdd("missing");
    const std::string nine = platform::GeneralDateText(LocalTime{2026, 12, 7, 9, 0, 0});
    EXPECT_EQ(log.Text(), "[" + nine + "] newer\r\n\r\n[" + Time() + "] missing\r\n\r\n");
}

TEST_F(ErrorLogRenew, AnotherLetterCaseCountsAsAnotherMessage) {
    log.RenewOrAdd("Not Found");
    log.RenewOrAdd("not found");
    EXPECT_EQ(log.Text(), "[" + Time() + "] not found\r\n\r\n[" + Time() + "] Not Found\r\n\r\n");
}

TEST_F(ErrorLogRenew, MessageWithoutClosingBracketBeforeItLeavesTheLogUnchanged) {
    txtErr.SetText("missing here\r\n\r\n");
    log.RenewOrAdd("missing");
    EXPECT_EQ(log.Text(), "missing here\r\n\r\n");
}

TEST_F(ErrorLogRenew, ReplacedPlatformTextIsRenewedInPlace) {
    log.Replace("gate");
    clock.Set(LocalTime{2026, 12, 8, 1, 2, 3});
    log.RenewOrAdd("gate");
    EXPECT_EQ(log.Text(), "[" + Time() + "] gate");
}

using ErrorLogRun = LogFixture;

// A batch run reports what CHANGE's clearing took out of the window.
TEST_F(ErrorLogRun, ClearedReplacedAndRenewedEntriesStayEachOnceNewestFirst) {
    const std::string first = Time();
    log.Replace("gate");
    log.AddMessage("install failed");
    log.Clear();
    log.RenewOrAdd("missing");
    clock.Set(LocalTime{2026, 12, 7, 9, 0, 0});
    log.RenewOrAdd("missing");
    EXPECT_EQ(log.Text(), "[" + Time() + "] missing\r\n\r\n");
    EXPECT_EQ(log.RunText(), "[" + Time() + "] missing\r\n\r\n[" + first +
                                 "] install failed\r\n\r\n[" + first + "] gate");
}

using ErrorLogClear = LogFixture;

TEST_F(ErrorLogClear, ClearEmptiesAndHidesBothControls) {
    log.AddMessage("x");
    log.UpdateVisibility();
    ASSERT_TRUE(txtErr.Visible());
    log.Clear();
    EXPECT_EQ(log.Text(), "");
    EXPECT_FALSE(txtErr.Visible());
    EXPECT_FALSE(command3.Visible());
}

TEST_F(ErrorLogClear, ClearOfAnEmptyLogLeavesBothHidden) {
    txtErr.SetVisible(true);
    command3.SetVisible(true);
    log.Clear();
    EXPECT_FALSE(txtErr.Visible());
    EXPECT_FALSE(command3.Visible());
}

TEST_F(ErrorLogClear, UpdateVisibilityFollowsTheText) {
    log.UpdateVisibility();
    EXPECT_FALSE(txtErr.Visible());
    log.AddMessage("y");
    log.UpdateVisibility();
    EXPECT_TRUE(txtErr.Visible());
    EXPECT_TRUE(command3.Visible());
}

}  // namespace
