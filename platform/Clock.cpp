#include "platform/Clock.h"

#include <cstdio>
#include <ctime>
#include <mutex>

namespace platform {

LocalTime LocalTimeOf(std::int64_t secondsSince1970) {
    const auto time = static_cast<std::time_t>(secondsSince1970);
    std::tm local{};
    {
        // std::localtime shares one buffer per process; copy it out under a lock.
        static std::mutex mutex;
        std::lock_guard lock(mutex);
        local = *std::localtime(&time);
    }
    return LocalTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                     local.tm_hour,        local.tm_min,     local.tm_sec};
}

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

std::string SortableDateText(const LocalTime& t) {
    char buffer[64];
    if (t.hour == 0 && t.minute == 0 && t.second == 0) {
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", t.year, t.month, t.day);
    } else {
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month,
                      t.day, t.hour, t.minute, t.second);
    }
    return buffer;
}

}  // namespace platform
