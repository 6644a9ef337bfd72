// The machine's clock on Linux: the C library's local time, whose time_t
// has 64 bits here.
#include <algorithm>
#include <ctime>

#include "platform/Clock.h"

namespace platform {

namespace {
class MachineClock : public Clock {
  public:
    LocalTime Now() const override { return LocalTimeOf(std::time(nullptr)); }
};
}  // namespace

const Clock& SystemClock() {
    static const MachineClock clock;
    return clock;
}

LocalTime LocalTimeOf(std::int64_t secondsSince1970) {
    const std::time_t time = std::clamp<std::int64_t>(secondsSince1970, 0, kLatestSecondsSince1970);
    std::tm local{};
    if (localtime_r(&time, &local) == nullptr) {
        // Not for a moment of the range; the time without its zone then.
        gmtime_r(&time, &local);
    }
    return LocalTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                     local.tm_hour,        local.tm_min,     local.tm_sec};
}

}  // namespace platform
