#include "platform/Clock.h"

#include <cstdio>
#include <ctime>
#include <mutex>

namespace platform {

namespace {
class MachineClock : public Clock {
  public:
    LocalTime Now() const override {
        std::time_t now = std::time(nullptr);
        std::tm local{};
        {
            // std::localtime shares one buffer per process; copy it out under a lock.
            static std::mutex mutex;
            std::lock_guard lock(mutex);
            local = *std::localtime(&now);
        }
        return LocalTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                         local.tm_hour,        local.tm_min,     local.tm_sec};
    }
};
class MachineMonotonicClock : public MonotonicClock {
  public:
    time_point Now() const override { return std::chrono::steady_clock::now(); }
};
}  // namespace

const MonotonicClock& SystemMonotonicClock() {
    static const MachineMonotonicClock clock;
    return clock;
}

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
