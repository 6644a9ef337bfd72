#include "platform/emulated/machine/MachineEventLog.h"

#include <gtest/gtest.h>

#include "platform/ComError.h"
#include "tests/setup/emulated/EmulatedServerFixture.h"

using namespace platform::emulated;
using platform::EventReport;
using platform::EventType;

namespace {

using MachineEventLog = EmulatedServerFixture;

TEST_F(MachineEventLog, EntriesComeBackOldestFirstWithTheirInsertsInOrder) {
    std::vector<std::string> many;
    for (int i = 0; i < 12; ++i)
        many.push_back("insert " + std::to_string(i));
    const EventReport first{"Morvane", EventType::Warning, 4, {"save, begin", "", "ünïcode"}};
    const EventReport second{"Other", EventType::Error, 70000, many};
    const EventReport third{"Morvane", EventType::Information, 6, {}};
    platform::FixedClock clock{platform::LocalTime{2026, 12, 7, 0, 0, 0}};
    EmulatedEventLog log(ServerFolderFunction(), clock);
    log.Report(first);
    clock.Set(platform::LocalTime{2026, 12, 7, 5, 7, 58});
    log.Report(second);
    log.Report(third);
    const std::vector<EventLogEntry> entries = ReadEventLog(*db_);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].report, first);
    EXPECT_EQ(entries[1].report, second);
    EXPECT_EQ(entries[2].report, third);
    EXPECT_EQ(entries[0].timeWritten, "2026-12-07 00:00:00");
    EXPECT_EQ(entries[1].timeWritten, "2026-12-07 05:07:58");
    EXPECT_LT(entries[0].recordNumber, entries[1].recordNumber);
}

TEST_F(MachineEventLog, LogOfAMissingServerFailsWithEFail) {
    EmulatedEventLog log([this] { return folder_.File("no server"); });
    try {
        log.Report(EventReport{"Morvane", EventType::Warning, 1, {}});
        FAIL() << "a missing server was written";
    } catch (const platform::ComError& error) {
        EXPECT_EQ(error.number(), platform::hresult::E_FAIL);
    }
}

TEST_F(MachineEventLog, SourcesAreRegisteredReplacedAndRemovedWithoutRegardToCase) {
    EmulatedEventSources sources(ServerFolderFunction());
    sources.RegisterSource("Morvane", "/opt/a/Morvane.so", 7);
    sources.RegisterSource("MORVANE", "/opt/b/Morvane.so", 2);
    EXPECT_EQ(FindEventSource(*db_, "morvane"),
              (EventSourceEntry{"MORVANE", "/opt/b/Morvane.so", 2}));
    sources.RemoveSource("Morvane");
    EXPECT_FALSE(FindEventSource(*db_, "Morvane").has_value());
    EXPECT_NO_THROW(sources.RemoveSource("Morvane")) << "a source that is not there is no failure";
}

}  // namespace
