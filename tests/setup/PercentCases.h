#pragma once

#include <cstdint>

// The progress box's percentage: the exact quotient position x 100 / total
// rounded to the nearest whole number, halves to even, the same on every
// build. The fractions are not exact in binary (23 of 40 is 57.5 exactly,
// 0.575 is not), where floating point rounds one way on one build and the
// other way on another. The Linux and the Windows tests share the table; a
// new case is a row.
namespace percentcases {

struct PercentCase {
    int32_t position;
    int32_t total;
    const char* text;
};

inline constexpr PercentCase kPercentCases[] = {
    {1, 3, "33%"},          {2, 3, "67%"},
    {23, 40, "58%"},        {109, 200, "54%"},
    {7, 40, "18%"},         {1, 200, "0%"},
    {3, 200, "2%"},         {17250, 30000, "58%"},
    {29999, 30000, "100%"}, {1, 30000, "0%"},
    {-23, 40, "-58%"},      {-109, 200, "-54%"},
    {0, 7, "0%"},           {INT32_MAX, INT32_MAX, "100%"},
};

}  // namespace percentcases
