#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string_view>

#include "platform/Clock.h"
#include "platform/EventLog.h"

// What an event method of the sink failed at. Each kind is one message of
// the library's message table; its event ID is the enumerator's value.
enum class FailureKind : uint32_t {
    SettingsRead = 1,
    EventRecord = 2,
    FieldRead = 3,
    FieldWrite = 4,
    Update = 5,
    Other = 6,
};

// The failures of the sink's event methods, reported to the Application
// event log as warnings of the source "Morvane", without ever flooding it:
// per kind, the first failure is reported at once and later ones at most
// once an hour, in an entry that carries how many failures of that kind
// there were since the previous entry, its own included. A failure to
// report is ignored (its count goes into the next entry). Nothing happens
// here before a failure: no handle is opened, no lock is taken.
class FailureReports {
  public:
    static constexpr std::chrono::hours kInterval{1};
    static constexpr size_t kKinds = 6;

    FailureReports(platform::EventLog& log, const platform::MonotonicClock& clock)
        : log_(log), clock_(clock) {}
    FailureReports(const FailureReports&) = delete;
    FailureReports& operator=(const FailureReports&) = delete;

    // One failure of an event method: the event ("save" or "delete"), its
    // phase ("begin", "committed" or "aborted"), the item's URL and the
    // error. The entry's inserts: "<event>, <phase>", the URL, the error
    // number in decimal, its description, the count. Never throws.
    void Report(FailureKind kind, std::string_view event, std::string_view phase,
                std::string_view url, int32_t number, std::string_view description) noexcept;

  private:
    struct KindState {
        std::optional<platform::MonotonicClock::time_point> lastEntry;
        uint64_t unreported = 0;
    };
    // Counts the failure; the number of failures the entry for it carries,
    // or 0 when no entry is due yet.
    uint64_t TakeDueCount(FailureKind kind);
    // An entry that could not be written: its failures go into the next.
    void GiveBack(FailureKind kind, uint64_t count);
    // True when the log took the entry.
    bool Write(const platform::EventReport& entry);

    platform::EventLog& log_;
    const platform::MonotonicClock& clock_;
    std::mutex mutex_;
    std::array<KindState, kKinds> kinds_;
};

// The reports of this process, to the system's event log by its steady
// clock: one per loaded library file, made at the first use.
FailureReports& ProcessFailureReports();
