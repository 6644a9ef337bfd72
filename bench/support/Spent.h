#pragma once

#include <chrono>

#include "bench/support/ThreadCpuClock.h"

namespace benchsupport {

// This thread's CPU time and the wall-clock time spent in calls of one kind.
struct Spent {
    ThreadCpuClock::duration cpu{};
    std::chrono::steady_clock::duration wall{};

    // Runs call, adding the time it took; returns what it returned.
    template <typename Call>
    auto Add(Call&& call) {
        const auto wall0 = std::chrono::steady_clock::now();
        const auto cpu0 = ThreadCpuClock::now();
        auto result = call();
        cpu += ThreadCpuClock::now() - cpu0;
        wall += std::chrono::steady_clock::now() - wall0;
        return result;
    }
};

}  // namespace benchsupport
