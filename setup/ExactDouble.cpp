#include "setup/ExactDouble.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace setup {

namespace {

constexpr int kDoubleBits = 53;
constexpr uint64_t kLimit = 1000000000000000;  // 10^15

// A value as sign, mantissa (below 2^53) and exponent: mantissa x 2^exponent.
struct Binary {
    bool negative = false;
    uint64_t mantissa = 0;
    int exponent = 0;
};

// A finite double exactly, its mantissa shifted up to 53 bits.
Binary Exactly(double value) {
    Binary binary;
    binary.negative = value < 0;
    if (value == 0) {
        return binary;
    }
    int exponent = 0;
    const double fraction = std::frexp(std::fabs(value), &exponent);
    binary.mantissa = static_cast<uint64_t>(std::ldexp(fraction, kDoubleBits));
    binary.exponent = exponent - kDoubleBits;
    return binary;
}

// True when the low `dropped` bits of bits (and the sticky bits below them)
// round the kept part up: more than a half, or a half and the kept part odd.
bool RoundsUp(uint64_t bits, int dropped, bool sticky) {
    const uint64_t rest = bits & ((uint64_t{1} << dropped) - 1);
    const uint64_t half = uint64_t{1} << (dropped - 1);
    return rest > half || (rest == half && (sticky || ((bits >> dropped) & 1) != 0));
}

// bits x 2^exponent rounded to a double, halves to even. sticky: something
// other than zero was cut off below bits already, which happens only where
// bits holds more than 53 bits.
Binary Rounded(bool negative, uint64_t bits, bool sticky, int exponent) {
    const int dropped = std::bit_width(bits) - kDoubleBits;
    if (dropped <= 0) {
        return {negative, bits, exponent};
    }
    uint64_t kept = (bits >> dropped) + (RoundsUp(bits, dropped, sticky) ? 1 : 0);
    int shift = dropped;
    if (std::bit_width(kept) > kDoubleBits) {
        kept >>= 1;  // a carry out of the top: the bit dropped is zero
        ++shift;
    }
    return {negative, kept, exponent + shift};
}

// a / b rounded to a double, by long division of the two 53-bit mantissas:
// 54 bits of the quotient, and whether a remainder is left below them.
Binary Quotient(const Binary& a, const Binary& b) {
    if (a.mantissa == 0) {
        return {};
    }
    uint64_t remainder = a.mantissa;
    int exponent = a.exponent - b.exponent;
    if (remainder < b.mantissa) {
        remainder <<= 1;
        --exponent;
    }
    uint64_t quotient = 0;
    for (int bit = 0; bit <= kDoubleBits; ++bit) {
        quotient <<= 1;
        if (remainder >= b.mantissa) {
            quotient |= 1;
            remainder -= b.mantissa;
        }
        remainder <<= 1;
    }
    return Rounded(a.negative != b.negative, quotient, remainder != 0, exponent - kDoubleBits);
}

// The value rounded to a whole number, halves to even, within +-10^15.
int64_t Whole(const Binary& value) {
    uint64_t magnitude = 0;
    if (value.exponent >= 0) {
        // Below 2^53 x 2^10, the shift cannot overflow.
        magnitude = value.exponent > 10 ? kLimit : value.mantissa << value.exponent;
    } else if (value.exponent > -(kDoubleBits + 1)) {
        const int dropped = -value.exponent;
        magnitude =
            (value.mantissa >> dropped) + (RoundsUp(value.mantissa, dropped, false) ? 1 : 0);
    }  // else below one half
    magnitude = std::min(magnitude, kLimit);
    const auto whole = static_cast<int64_t>(magnitude);
    return value.negative ? -whole : whole;
}

}  // namespace

int64_t RoundedDoublePercent(double numerator, double denominator) {
    const Binary quotient = Quotient(Exactly(numerator), Exactly(denominator));
    // 53 bits times 100 fit in 60.
    return Whole(Rounded(quotient.negative, quotient.mantissa * 100, false, quotient.exponent));
}

}  // namespace setup
