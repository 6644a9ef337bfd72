#pragma once

#include <cstdlib>

namespace benchsupport {

// True when MORVANE_BENCH_QUICK is set: the smoke runs under CTest, which
// only check that a benchmark runs and reports its counters.
inline bool QuickRun() {
    const char* quick = std::getenv("MORVANE_BENCH_QUICK");
    return quick != nullptr && *quick != '\0';
}

}  // namespace benchsupport
