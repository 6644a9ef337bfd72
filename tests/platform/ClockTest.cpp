#include "platform/Clock.h"

#include <gtest/gtest.h>

using platform::GeneralDateText;
using platform::LocalTime;

TEST(GeneralDateText, ShortDateBlankLongTime) {
    EXPECT_EQ(GeneralDateText(LocalTime{2026, 12, 7, 5, 7, 58}), "2026-12-07 05:07:58");
}

TEST(GeneralDateText, MidnightLeavesTheTimeOut) {
    EXPECT_EQ(GeneralDateText(LocalTime{2026, 1, 2, 0, 0, 0}), "2026-01-02");
    EXPECT_EQ(GeneralDateText(LocalTime{2026, 1, 2, 0, 0, 1}), "2026-01-02 00:00:01");
}

TEST(GeneralDateText, NeverHoldsBrackets) {
    std::string text = GeneralDateText(platform::SystemClock().Now());
    EXPECT_EQ(text.find_first_of("[]"), std::string::npos);
    EXPECT_GE(text.size(), 10u);
}
