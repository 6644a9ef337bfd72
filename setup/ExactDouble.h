#pragma once

#include <cstdint>

// Double arithmetic that gives every build the same result: each operation
// is rounded to a double (53 significant bits, halves to even) in integer
// arithmetic, so the result is the one of IEEE double whether the build's
// floating-point unit keeps more precision between operations (the x87
// unit of the 32-bit build) or not.
namespace setup {

// numerator / denominator rounded to a double, times 100 rounded to a
// double, then rounded to a whole number, halves to even: what
// nearbyint(numerator / denominator * 100) gives in IEEE double.
// denominator is finite and greater than 0; the result is kept within
// +-10^15.
int64_t RoundedDoublePercent(double numerator, double denominator);

}  // namespace setup
