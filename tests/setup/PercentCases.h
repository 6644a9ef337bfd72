#pragma once

#include <cstdint>

// The progress box's percentage: position / total x 100 in IEEE double,
// rounded to the nearest whole number, halves to even, the same on every
// build. The fractions are not exact in binary: 0.575 is a little less in
// double, so 23 of 40 gives 57.49999999999999 and "57%", where a unit that
// keeps more precision between the two operations gives 57.5 and "58%".
// The Linux and the Windows tests share the table; a new case is a row.
namespace percentcases {

struct PercentCase {
    int32_t position;
    int32_t total;
    const char* text;
};

inline constexpr PercentCase kPercentCases[] = {
    {1, 3, "33%"},          {2, 3, "67%"},
    {23, 40, "57%"},        {109, 200, "55%"},
    {7, 40, "18%"},         {1, 200, "0%"},
    {3, 200, "2%"},         {17250, 30000, "57%"},
    {29999, 30000, "100%"}, {1, 30000, "0%"},
    {-23, 40, "-57%"},      {-109, 200, "-55%"},
    {0, 7, "0%"},           {INT32_MAX, INT32_MAX, "100%"},
    {1, 8, "12%"},          {5, 8, "62%"},
    {1, 7, "14%"},          {2147483646, 2147483647, "100%"},
};

}  // namespace percentcases
