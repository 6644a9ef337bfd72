#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>

#include "platform/ComError.h"
#include "setup/Progress.h"
#include "tests/setup/DiscoveryWorld.h"
#include "tests/setup/PercentCases.h"

using discoverytest::RecordingCanvas;
using ::testing::ElementsAre;

namespace {

// The progress box on a 300 x 20 pixel canvas; text is 7 pixels a
// character wide and 13 high.
struct ProgressFixture : ::testing::Test {
    setupfakes::FakeWorld world;
    RecordingCanvas canvas;
    setup::InstallForm form{world.Ports(), ""};

    void SetUp() override {
        form.Form_Load();
        form.Picture1.SetCanvas(&canvas);
    }
    // Sets the total as the walk does and clears the recorded calls.
    void Start(double total) {
        form.Picture1.SetScaleWidth(total);
        canvas.calls.clear();
    }
    std::string Step(int32_t units = 1) {
        canvas.calls.clear();
        form.UpdateStatus(units);
        auto texts = canvas.CallsStartingWith("Text ");
        return texts.size() == 1 ? texts.front() : "no single text";
    }
    std::string LastBox() const {
        auto boxes = canvas.CallsStartingWith("Box ");
        return boxes.empty() ? "no box" : boxes.back();
    }
};

using ProgressBar = ProgressFixture;

TEST_F(ProgressBar, OneTwoAndThreeOfThreeWithTheBarGrowingFromTheLeft) {
    Start(3);
    EXPECT_EQ(Step(), "Text 100.000000,3.000000 33% 16711680 mode 10");
    EXPECT_EQ(LastBox(), "Box 0.000000,0.000000 100.000000,20.000000 16711680 mode 10");
    EXPECT_EQ(Step(), "Text 100.000000,3.000000 67% 16711680 mode 10");
    EXPECT_EQ(LastBox(), "Box 0.000000,0.000000 200.000000,20.000000 16711680 mode 10");
    EXPECT_EQ(Step(), "Text 100.000000,3.000000 100% 16711680 mode 10");
    EXPECT_EQ(LastBox(), "Box 0.000000,0.000000 300.000000,20.000000 16711680 mode 10");
}

TEST_F(ProgressBar, MoreCallsThanTheTotalKeepTheBarFull) {
    Start(3);
    for (int i = 0; i < 3; ++i) {
        Step();
    }
    EXPECT_EQ(Step(), "Text 100.000000,3.000000 100% 16711680 mode 10");
    EXPECT_EQ(LastBox(), "Box 0.000000,0.000000 300.000000,20.000000 16711680 mode 10");
    EXPECT_EQ(Step(5), "Text 100.000000,3.000000 100% 16711680 mode 10");
}

TEST_F(ProgressBar, EachCallClearsDrawsTextBoxAndCopiesTheBoxOntoItself) {
    Start(3);
    Step();
    ASSERT_EQ(canvas.calls.size(), 4u);
    EXPECT_EQ(canvas.calls[0], "Clear 16777215");
    EXPECT_EQ(canvas.calls[3], "BitBlt 0,0 3x20 from 0,0 rop 13369376");
}

TEST_F(ProgressBar, SingleRecordShowsAHundredPercentAndAFullBar) {
    Start(1);
    EXPECT_EQ(Step(), "Text 0.000000,3.000000 100% 16711680 mode 10");
    EXPECT_EQ(LastBox(), "Box 0.000000,0.000000 300.000000,20.000000 16711680 mode 10");
}

TEST_F(ProgressBar, HalvesRoundToEven) {
    Start(8);
    EXPECT_NE(Step().find(" 12% "), std::string::npos);  // 12.5
    EXPECT_NE(Step().find(" 25% "), std::string::npos);
    EXPECT_NE(Step().find(" 38% "), std::string::npos);  // 37.5
}

}  // namespace

namespace percentcases {
void PrintTo(const PercentCase& row, std::ostream* out) {
    *out << row.position << " of " << row.total;
}
}  // namespace percentcases

namespace {

struct Percentage : ProgressFixture, ::testing::WithParamInterface<percentcases::PercentCase> {};

TEST_P(Percentage, IsTheDoubleQuotientTimesAHundredRoundedHalvesToEven) {
    const auto& row = GetParam();
    Start(row.total);
    const std::string text = Step(row.position);
    EXPECT_NE(text.find(std::string(" ") + row.text + " "), std::string::npos)
        << row.position << " of " << row.total << ": " << text;
}

INSTANTIATE_TEST_SUITE_P(ProgressBar, Percentage, ::testing::ValuesIn(percentcases::kPercentCases));

// This build's unit rounds every operation to double, so its own arithmetic
// is the reference: every fraction of up to 400 records, scales with a
// fraction, and totals up to the largest.
TEST(PercentText, IsWhatDoubleArithmeticGives) {
    static_assert(FLT_EVAL_METHOD == 0, "the reference needs double rounding");
    std::vector<std::pair<int32_t, double>> cases;
    for (int32_t total = 1; total <= 400; ++total) {
        for (int32_t position = -total; position <= total; ++position) {
            cases.emplace_back(position, total);
        }
    }
    uint64_t seed = 7;
    for (int i = 0; i < 100000; ++i) {
        seed = seed * 6364136223846793005u + 1442695040888963407u;
        const auto total = static_cast<int32_t>(seed >> 33) + 1;
        cases.emplace_back(static_cast<int32_t>((seed >> 1) % static_cast<uint64_t>(total)), total);
    }
    for (double total : {2.5, 0.3, 1e-3, 123456.789, 1e300}) {
        for (int32_t position : {1, 7, 23, 1000, -999}) {
            cases.emplace_back(position, total);
        }
    }
    for (const auto& [position, total] : cases) {
        const double percent = std::nearbyint(position / total * 100);
        const std::string expected =
            std::to_string(static_cast<int64_t>(std::clamp(percent, -1e15, 1e15))) + "%";
        ASSERT_EQ(setup::PercentText(position, total), expected) << position << " of " << total;
    }
}

TEST_F(ProgressBar, AScaleWithAFractionDividesByIt) {
    Start(2.5);
    EXPECT_NE(Step().find(" 40% "), std::string::npos);
    EXPECT_NE(Step().find(" 80% "), std::string::npos);
    EXPECT_NE(Step().find(" 80% "), std::string::npos);  // clamped to 2, halves to even
}

TEST_F(ProgressBar, TextWiderThanTheBoxIsCentredAtANegativeOffset) {
    canvas.width = 14;
    Start(14);
    // One unit is one pixel; "71%" is 21 pixels wide: (14 - 21) / 2 = -3.
    for (int i = 0; i < 9; ++i) {
        Step();
    }
    EXPECT_EQ(Step(), "Text -3.000000,3.000000 71% 16711680 mode 10");
    Start(3);
    canvas.width = 10;
    form.Picture1.SetScaleWidth(10);
    EXPECT_EQ(Step(10), "Text -9.000000,3.000000 100% 16711680 mode 10");
}

TEST_F(ProgressBar, BoxWithoutTotalShowsZeroAndAnEmptyBar) {
    Start(0);
    EXPECT_EQ(Step(), "Text 0.000000,3.000000 0% 16711680 mode 10");
    EXPECT_EQ(LastBox(), "Box 0.000000,0.000000 0.000000,20.000000 16711680 mode 10");
}

TEST_F(ProgressBar, RunningPastTheLargestIntegerIsAnOverflow) {
    Start(3);
    form.UpdateStatus(INT32_MAX);
    EXPECT_EQ(LastBox(), "Box 0.000000,0.000000 300.000000,20.000000 16711680 mode 10");
    Start(INT32_MAX);
    form.UpdateStatus(INT32_MAX - 3);
    try {
        form.UpdateStatus(4);
        FAIL() << "no overflow";
    } catch (const platform::ComError& error) {
        EXPECT_EQ(error.number(), 6);
    }
}

using ScrollExtents = ProgressFixture;

TEST_F(ScrollExtents, EachListGetsItsWidestEntryPlusTheScrollBar) {
    form.SysMbxInstList.AddItem("abc");
    form.SysMbxInstList.AddItem("abcdefgh");
    form.MbxInstList.AddItem("a");
    form.MbxUninstList.AddItem("");
    form.ListHScroll();
    // The fake measures 6 pixels a character; the scroll bar is 16 wide.
    EXPECT_EQ(form.SysMbxInstList.HorizontalExtent(), 8 * 6 + 16);
    EXPECT_EQ(form.MbxInstList.HorizontalExtent(), 6 + 16);
    EXPECT_EQ(form.MbxUninstList.HorizontalExtent(), 16);
    EXPECT_EQ(form.SysMbxUninstList.HorizontalExtent(), 0);
}

TEST_F(ScrollExtents, TheFormTakesTheListsFont) {
    const setup::forms::Font listFont{"Arial", true, 10};
    form.SysMbxInstList.SetFont(listFont);
    form.ListHScroll();
    EXPECT_EQ(form.Window().GetFont(), listFont);
}

TEST_F(ScrollExtents, AnEmptiedListLosesItsExtent) {
    form.MbxInstList.AddItem("abcdef");
    form.ListHScroll();
    EXPECT_EQ(form.MbxInstList.HorizontalExtent(), 52);
    form.MbxInstList.Clear();
    form.ListHScroll();
    EXPECT_EQ(form.MbxInstList.HorizontalExtent(), 0);
}

}  // namespace
