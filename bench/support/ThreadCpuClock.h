#pragma once

#include <time.h>

#include <chrono>

namespace benchsupport {

// The calling thread's CPU time (user and system): steadier than the wall
// clock on a machine shared with other work, and it still counts the time
// the kernel spends on the thread's file reads and writes.
struct ThreadCpuClock {
    using duration = std::chrono::nanoseconds;
    using rep = duration::rep;
    using period = duration::period;
    using time_point = std::chrono::time_point<ThreadCpuClock, duration>;
    static constexpr bool is_steady = true;

    static time_point now() {
        timespec ts{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
        return time_point(std::chrono::seconds(ts.tv_sec) + std::chrono::nanoseconds(ts.tv_nsec));
    }
};

// A duration in seconds, for counters and ratios.
template <typename Duration>
double Seconds(Duration d) {
    return std::chrono::duration<double>(d).count();
}

}  // namespace benchsupport
