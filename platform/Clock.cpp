#include "platform/Clock.h"

#include <cstdio>

namespace platform {

namespace {
class MachineMonotonicClock : public MonotonicClock {
  public:
    time_point Now() const override { return std::chrono::steady_clock::now(); }
};
}  // namespace

const MonotonicClock& SystemMonotonicClock() {
    static const MachineMonotonicClock clock;
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
