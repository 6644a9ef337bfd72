#include <gtest/gtest.h>

#include <chrono>
#include <optional>

#include "tests/sink/SinkTestSupport.h"

namespace {

using std::chrono::minutes;

void ReportOne(FailureReports& reports, FailureKind kind) {
    reports.Report(kind, "save", "begin", "http://mail/x/Inbox/m.eml", -2147024891,
                   "Access is denied.");
}

TEST(FailureReports, FirstOfAKindAtOnceThenOneEntryAnHourCarryingTheCount) {
    struct Step {
        minutes later;
        FailureKind kind;
        int failures;
        std::optional<const char*> entryCount;  // the count of the entry it adds, if any
    };
    const Step steps[] = {
        {minutes(0), FailureKind::FieldWrite, 1, "1"},
        {minutes(0), FailureKind::FieldWrite, 998, std::nullopt},
        {minutes(1), FailureKind::Update, 1, "1"},
        {minutes(58), FailureKind::FieldWrite, 1, std::nullopt},
        {minutes(1), FailureKind::FieldWrite, 1, "1000"},
        {minutes(0), FailureKind::Update, 1, std::nullopt},
        {minutes(60), FailureKind::FieldWrite, 1, "1"},
        {minutes(0), FailureKind::Update, 1, "2"},
    };
    sinktest::TestReports test;
    size_t expectedEntries = 0;
    for (size_t index = 0; index < std::size(steps); ++index) {
        const Step& step = steps[index];
        test.clock.Advance(step.later);
        for (int failure = 0; failure < step.failures; ++failure)
            ReportOne(test.reports, step.kind);
        if (step.entryCount)
            ++expectedEntries;
        ASSERT_EQ(test.log.entries.size(), expectedEntries) << "step " << index;
        if (step.entryCount) {
            EXPECT_EQ(test.log.entries.back().eventId, static_cast<uint32_t>(step.kind));
            EXPECT_EQ(test.log.entries.back().inserts.back(), *step.entryCount) << "step " << index;
        }
    }
}

TEST(FailureReports, EntryIsAWarningOfMorvaneWithEventUrlErrorAndCount) {
    sinktest::TestReports test;
    test.reports.Report(FailureKind::EventRecord, "delete", "committed",
                        "http://mail/x/Inbox/m.eml", -2147217895, "Object not found.");
    ASSERT_EQ(test.log.entries.size(), 1u);
    EXPECT_EQ(test.log.entries[0],
              (platform::EventReport{"Morvane",
                                     platform::EventType::Warning,
                                     2,
                                     {"delete, committed", "http://mail/x/Inbox/m.eml",
                                      "-2147217895", "Object not found.", "1"}}));
}

TEST(FailureReports, RefusedEntryIsIgnoredAndItsCountGoesIntoTheNext) {
    sinktest::TestReports test;
    test.log.refuses = true;
    ReportOne(test.reports, FailureKind::FieldRead);
    ReportOne(test.reports, FailureKind::FieldRead);
    test.log.refuses = false;
    test.clock.Advance(minutes(59));
    ReportOne(test.reports, FailureKind::FieldRead);
    EXPECT_TRUE(test.log.entries.empty()) << "a refused entry still counts as the hour's one";
    test.clock.Advance(minutes(1));
    ReportOne(test.reports, FailureKind::FieldRead);
    ASSERT_EQ(test.log.entries.size(), 1u);
    EXPECT_EQ(test.log.entries[0].inserts.back(), "4");
}

}  // namespace
