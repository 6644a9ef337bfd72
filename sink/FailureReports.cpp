#include "sink/FailureReports.h"

#include <new>
#include <string>
#include <system_error>
#include <utility>

#include "platform/ComError.h"
#include "sink/ProductWord.h"

namespace {

size_t IndexOf(FailureKind kind) {
    return static_cast<size_t>(kind) - 1;
}

platform::EventReport EntryWithoutCount(FailureKind kind, std::string_view event,
                                        std::string_view phase, std::string_view url,
                                        int32_t number, std::string_view description) {
    platform::EventReport entry;
    entry.source = kProductWord;
    entry.type = platform::EventType::Warning;
    entry.eventId = static_cast<uint32_t>(kind);
    entry.inserts.reserve(5);
    entry.inserts.push_back(std::string(event) + ", " + std::string(phase));
    entry.inserts.emplace_back(url);
    entry.inserts.push_back(std::to_string(number));
    entry.inserts.emplace_back(description);
    return entry;
}

}  // namespace

void FailureReports::Report(FailureKind kind, std::string_view event, std::string_view phase,
                            std::string_view url, int32_t number,
                            std::string_view description) noexcept {
    try {
        platform::EventReport entry =
            EntryWithoutCount(kind, event, phase, url, number, description);
        const uint64_t count = TakeDueCount(kind);
        if (count == 0)
            return;
        entry.inserts.push_back(std::to_string(count));
        if (!Write(entry))
            GiveBack(kind, count);
    } catch (const std::bad_alloc&) {
        // Out of memory while reporting: this failure goes unreported.
    } catch (const std::system_error&) {
        // The lock could not be taken: likewise.
    }
}

uint64_t FailureReports::TakeDueCount(FailureKind kind) {
    const platform::MonotonicClock::time_point now = clock_.Now();
    std::lock_guard lock(mutex_);
    KindState& state = kinds_[IndexOf(kind)];
    ++state.unreported;
    if (state.lastEntry && now - *state.lastEntry < kInterval)
        return 0;
    state.lastEntry = now;
    return std::exchange(state.unreported, 0);
}

void FailureReports::GiveBack(FailureKind kind, uint64_t count) {
    std::lock_guard lock(mutex_);
    kinds_[IndexOf(kind)].unreported += count;
}

bool FailureReports::Write(const platform::EventReport& entry) {
    try {
        log_.Report(entry);
        return true;
    } catch (const platform::ComError&) {
        // The log cannot be written now; the sink goes on as before.
        return false;
    }
}

FailureReports& ProcessFailureReports() {
    static FailureReports reports(platform::SystemEventLog(), platform::SystemMonotonicClock());
    return reports;
}
