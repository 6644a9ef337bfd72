#pragma once

#include <cstdint>

#include "platform/Clock.h"

// Moments and their local time in the time zone UTC, which the Linux and
// the Windows test runs both set: from the first second of 1970 to the last
// of 9999, on both sides of the end of a 32-bit time_t in 2038 and of an
// unsigned one in 2106, and beyond the range. A new case is a row.
namespace clockcases {

struct LocalTimeCase {
    std::int64_t seconds;
    platform::LocalTime local;
};

inline constexpr LocalTimeCase kLocalTimeCases[] = {
    {0, {1970, 1, 1, 0, 0, 0}},
    {1796626078, {2026, 12, 7, 6, 47, 58}},
    {2147483647, {2038, 1, 19, 3, 14, 7}},
    {2147483648, {2038, 1, 19, 3, 14, 8}},
    {2208988800, {2040, 1, 1, 0, 0, 0}},
    {4102444799, {2099, 12, 31, 23, 59, 59}},
    {4107542400, {2100, 3, 1, 0, 0, 0}},
    {4294967296, {2106, 2, 7, 6, 28, 16}},
    {253402300799, {9999, 12, 31, 23, 59, 59}},
    // Outside the range: its nearest end.
    {-86400, {1970, 1, 1, 0, 0, 0}},
    {253402300799 + 86400, {9999, 12, 31, 23, 59, 59}},
};

}  // namespace clockcases
