#pragma once

#include <gtest/gtest.h>

#include <iostream>
#include <string>

#include "tests/reliability/SoakRun.h"

namespace reliability {

// Runs the soak and fails the current test on every problem it found, and
// when the run was too thin to prove anything: no message in either form,
// no change of the settings file, no delivery while the file was steady.
inline void ExpectSoakPasses(SoakLimits limits) {
    SCOPED_TRACE("soak seed " + std::to_string(limits.seed) +
                 " (MORVANE_SOAK_SEED repeats the run's choices)");
    const SoakOutcome outcome = RunSoak(limits);
    size_t shown = 0;
    for (const std::string& problem : outcome.problems) {
        if (++shown <= 20)
            ADD_FAILURE() << problem;
    }
    EXPECT_TRUE(outcome.problems.empty()) << outcome.problems.size() << " problems";
    EXPECT_GT(outcome.stampedPrefixed, 0);
    EXPECT_GT(outcome.stampedBare, 0);
    EXPECT_GT(outcome.leftAsDelivered, 0);
    EXPECT_GT(outcome.settingsChanges, 0);
    EXPECT_GT(outcome.steadyWindows, 0);
    EXPECT_EQ(outcome.stampedPrefixed + outcome.stampedBare + outcome.leftAsDelivered,
              outcome.delivered);
    std::cout << "[ soak     ] seed " << limits.seed << ": " << outcome.delivered << " messages on "
              << limits.deliveryThreads << " threads, " << outcome.stampedPrefixed
              << " stamped \"SCL=\", " << outcome.stampedBare << " bare, "
              << outcome.leftAsDelivered << " left as delivered; " << outcome.settingsChanges
              << " settings changes, " << outcome.steadyWindows
              << " deliveries with a steady file\n";
}

}  // namespace reliability
