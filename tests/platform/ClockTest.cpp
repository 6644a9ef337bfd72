#include "platform/Clock.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "tests/platform/LocalTimeCases.h"

using platform::GeneralDateText;
using platform::LocalTime;
using platform::LocalTimeOf;
using platform::SortableDateText;

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

TEST(LocalTimeOf, MomentsFrom1970To9999InUtc) {
    // The time zone of the Windows test runs; no other test here depends on
    // the zone.
    setenv("TZ", "UTC", 1);
    tzset();
    for (const auto& moment : clockcases::kLocalTimeCases) {
        EXPECT_EQ(LocalTimeOf(moment.seconds), moment.local)
            << moment.seconds << " gave " << SortableDateText(LocalTimeOf(moment.seconds));
    }
}
