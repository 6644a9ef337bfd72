#include <gtest/gtest.h>

#include <chrono>
#include <optional>

#include "tests/sink/SinkTestSupport.h"

namespace {

using std::chrono::minutes;

// Each step: the time passed, then failures of a kind; whether the log
// refuses entries then, and the count of the entry the step adds, if any.
TEST(FailureReports, FirstOfAKindAtOnceThenOneEntryAnHourCarryingTheCount) {
    struct Step {
        minutes later;
        FailureKind kind;
        int failures;
        bool refused;
        std::optional<const char*> entryCount;
    };
    using enum FailureKind;
    const Step steps[] = {
        {minutes(0), FieldWrite, 1, false, "1"},
        {minutes(0), FieldWrite, 998, false, std::nullopt},
        {minutes(1), Update, 1, false, "1"},
        {minutes(58), FieldWrite, 1, false, std::nullopt},
        {minutes(1), FieldWrite, 1, false, "1000"},
        {minutes(0), Update, 1, false, std::nullopt},
        {minutes(60), FieldWrite, 1, false, "1"},
        {minutes(0), Update, 1, false, "2"},
        // A refused entry still counts as the hour's one; its count goes
        // into the next.
        {minutes(0), FieldRead, 2, true, std::nullopt},
        {minutes(59), FieldRead, 1, false, std::nullopt},
        {minutes(1), FieldRead, 1, false, "4"},
        // A refused hourly entry gives its whole count back, not one.
        {minutes(0), FieldRead, 5, false, std::nullopt},
        {minutes(60), FieldRead, 1, true, std::nullopt},
        {minutes(60), FieldRead, 1, false, "7"},
    };
    sinktest::TestReports test;
    size_t entries = 0;
    for (size_t index = 0; index < std::size(steps); ++index) {
        const Step& step = steps[index];
        test.clock.Advance(step.later);
        test.log.refuses = step.refused;
        for (int failure = 0; failure < step.failures; ++failure)
            test.reports.Report(step.kind, "save", "begin", sinktest::kItemUrl, -2147024891,
                                "Access is denied.");
        entries += step.entryCount ? 1 : 0;
        ASSERT_EQ(test.log.entries.size(), entries) << "step " << index;
        if (step.entryCount) {
            EXPECT_EQ(test.log.entries.back().eventId, static_cast<uint32_t>(step.kind));
            EXPECT_EQ(test.log.entries.back().inserts.back(), *step.entryCount) << "step " << index;
        }
    }
}

}  // namespace
