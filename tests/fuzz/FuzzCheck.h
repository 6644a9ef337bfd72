#pragma once

#include <cstdio>
#include <cstdlib>

// A property of a fuzz target: when it does not hold, the target aborts, so
// libFuzzer reports the input that broke it and keeps it as a crash file.
#define FUZZ_CHECK(condition, what)                                               \
    do {                                                                          \
        if (!(condition)) {                                                       \
            std::fprintf(stderr, "property broken: %s (%s)\n", what, #condition); \
            std::abort();                                                         \
        }                                                                         \
    } while (false)
