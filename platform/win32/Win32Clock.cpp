// The machine's clock on Windows: the system's own time and time zone calls
// on 64-bit FILETIME values. The C runtime's time_t has 32 bits on the
// 32-bit build and ends in 2038.
#include <algorithm>

#include "platform/Clock.h"
#include "platform/win32/WindowsHeaders.h"

namespace platform {

namespace {

// FILETIME counts 100 ns intervals since 1601-01-01 00:00:00 UTC.
constexpr std::int64_t kTicksPerSecond = 10000000;
constexpr std::int64_t kSecondsFrom1601To1970 = 11644473600;

std::int64_t SecondsSince1970(const FILETIME& time) {
    ULARGE_INTEGER ticks;
    ticks.LowPart = time.dwLowDateTime;
    ticks.HighPart = time.dwHighDateTime;
    return static_cast<std::int64_t>(ticks.QuadPart) / kTicksPerSecond - kSecondsFrom1601To1970;
}

class MachineClock : public Clock {
  public:
    LocalTime Now() const override {
        FILETIME now;
        GetSystemTimeAsFileTime(&now);
        return LocalTimeOf(SecondsSince1970(now));
    }
};

}  // namespace

const Clock& SystemClock() {
    static const MachineClock clock;
    return clock;
}

LocalTime LocalTimeOf(std::int64_t secondsSince1970) {
    const std::int64_t seconds =
        std::clamp<std::int64_t>(secondsSince1970, 0, kLatestSecondsSince1970);
    ULARGE_INTEGER ticks;
    ticks.QuadPart = static_cast<ULONGLONG>((seconds + kSecondsFrom1601To1970) * kTicksPerSecond);
    const FILETIME utc{ticks.LowPart, ticks.HighPart};
    SYSTEMTIME universal{};
    SYSTEMTIME local{};
    FileTimeToSystemTime(&utc, &universal);
    // Without the zone's rules, the time without its zone.
    if (!SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local))
        local = universal;
    return LocalTime{local.wYear, local.wMonth,  local.wDay,
                     local.wHour, local.wMinute, local.wSecond};
}

}  // namespace platform
