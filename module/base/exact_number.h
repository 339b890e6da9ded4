// exact_number.h -- integers of any size, and dyadic rationals built on them.
//
// Every double is a dyadic rational m * 2^e with an integer m of at most 53
// bits, and so are its sums and products, with longer m.  These types hold
// such values exactly, so that a small basis can be decided without any
// rounding at all: its basic values and duals come out as quotients of two
// exact integers, and their signs and bounds are compared exactly.
//
// ExactInteger is sign and magnitude, with the magnitude in 32-bit limbs
// (least significant first, no leading zero limb; zero has none).  Only
// what an elimination without fractions needs is here: sums, products,
// shifts, and the division of a product that is known to divide exactly.
#pragma once

#include <cstdint>
#include <vector>

namespace tymlp {

class ExactInteger {
  public:
    ExactInteger() = default;
    static ExactInteger FromUint64(uint64_t magnitude, bool negative);

    int sign() const { return limbs_.empty() ? 0 : (negative_ ? -1 : 1); }
    bool is_zero() const { return limbs_.empty(); }
    // The number of significant bits of the magnitude.
    int64_t bits() const;
    // The number of trailing zero bits (0 for zero).
    int64_t trailing_zeros() const;

    ExactInteger negated() const;
    ExactInteger shifted_left(int64_t bits) const;
    // For a value known to be divisible by 2^bits.
    ExactInteger shifted_right(int64_t bits) const;

    friend ExactInteger operator+(const ExactInteger& a, const ExactInteger& b);
    friend ExactInteger operator-(const ExactInteger& a, const ExactInteger& b);
    friend ExactInteger operator*(const ExactInteger& a, const ExactInteger& b);

    // a / b for a b that divides a exactly (b != 0); the quotient of any
    // other pair is meaningless.  Solves for the quotient limb by limb from
    // the least significant end (after taking out the common power of two),
    // which needs no trial division.
    static ExactInteger DivideExactly(const ExactInteger& a, const ExactInteger& b);

    // The value as m * 2^e with m in [2^63, 2^64) (truncated), for a
    // nearest double; m = 0 for zero.
    void leading_bits(uint64_t* m, int64_t* e) const;

  private:
    bool negative_ = false;
    std::vector<uint32_t> limbs_;

    void trim();
    static int compare_magnitude(const ExactInteger& a, const ExactInteger& b);
    static ExactInteger add_magnitudes(const ExactInteger& a, const ExactInteger& b, bool negative);
    static ExactInteger subtract_magnitudes(const ExactInteger& larger, const ExactInteger& smaller, bool negative);
};

// m * 2^e.
struct ExactDyadic {
    ExactInteger m;
    int64_t e = 0;

    static ExactDyadic FromDouble(double v);  // v finite
    int sign() const { return m.sign(); }
    bool is_zero() const { return m.is_zero(); }
    ExactDyadic negated() const { return ExactDyadic{m.negated(), e}; }
    // The integer m * 2^(e + shift) for e + shift >= 0.
    ExactInteger scaled_integer(int64_t shift) const { return m.shifted_left(e + shift); }
};

ExactDyadic operator+(const ExactDyadic& a, const ExactDyadic& b);
ExactDyadic operator-(const ExactDyadic& a, const ExactDyadic& b);
ExactDyadic operator*(const ExactDyadic& a, const ExactDyadic& b);

// The double nearest (within a unit in the last place) to a / b, b != 0;
// +-HUGE_VAL or 0 beyond the range of doubles.
double RatioToDouble(const ExactDyadic& a, const ExactDyadic& b);

}  // namespace tymlp
