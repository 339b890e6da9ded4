// Exact integers and dyadic rationals: the arithmetic a small basis is
// decided with, checked against identities that any slip in a carry, a
// borrow or a limb boundary breaks.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "base/exact_number.h"

namespace {

using tymlp::ExactDyadic;
using tymlp::ExactInteger;

ExactInteger Int(int64_t v) { return ExactInteger::FromUint64(static_cast<uint64_t>(v < 0 ? -v : v), v < 0); }

// A product of a few random factors of random lengths and signs.
ExactInteger RandomInteger(std::mt19937_64& g) {
    ExactInteger v = ExactInteger::FromUint64(g() >> (g() % 64), (g() & 1) != 0);
    for (int k = static_cast<int>(g() % 5); k > 0; --k) v = v * ExactInteger::FromUint64(g(), (g() & 1) != 0);
    return g() % 3 == 0 ? v.shifted_left(static_cast<int64_t>(g() % 100)) : v;
}

TEST(ExactInteger, ProductsDivideBackAndSumsCancel) {
    std::mt19937_64 g(7);
    for (int t = 0; t < 5000; ++t) {
        const ExactInteger a = RandomInteger(g), b = RandomInteger(g);
        if (b.is_zero()) continue;
        EXPECT_TRUE((ExactInteger::DivideExactly(a * b, b) - a).is_zero()) << "trial " << t;
        EXPECT_TRUE(((a + b) - b - a).is_zero()) << "trial " << t;
        EXPECT_TRUE((a - a).is_zero());
        EXPECT_EQ((a * b).sign(), a.sign() * b.sign());
    }
}

TEST(ExactInteger, CarriesAndBorrowsCrossLimbs) {
    const ExactInteger all_ones = ExactInteger::FromUint64(~0ull, false);  // 2^64 - 1
    const ExactInteger one = Int(1);
    const ExactInteger power = one.shifted_left(64);
    EXPECT_TRUE((all_ones + one - power).is_zero());
    EXPECT_EQ((power - one).bits(), 64);
    EXPECT_EQ(power.bits(), 65);
    EXPECT_EQ(power.trailing_zeros(), 64);
    EXPECT_TRUE((power.shifted_right(64) - one).is_zero());
    // (2^64 - 1)^2 = 2^128 - 2^65 + 1.
    const ExactInteger square = all_ones * all_ones;
    EXPECT_TRUE((square - (one.shifted_left(128) - one.shifted_left(65) + one)).is_zero());
    EXPECT_TRUE((ExactInteger::DivideExactly(square, all_ones) - all_ones).is_zero());
    // Signs of a quotient, and an even divisor.
    EXPECT_TRUE((ExactInteger::DivideExactly(Int(-96), Int(12)) - Int(-8)).is_zero());
    EXPECT_TRUE((ExactInteger::DivideExactly(Int(-96), Int(-32)) - Int(3)).is_zero());
}

TEST(ExactDyadic, HoldsDoublesAndTheirSumsExactly) {
    const ExactDyadic tenth = ExactDyadic::FromDouble(0.1), fifth = ExactDyadic::FromDouble(0.2);
    // 0.1 + 0.2 is not 0.3 among doubles, nor exactly 0.30000000000000004.
    const ExactDyadic sum = tenth + fifth;
    EXPECT_NE((sum - ExactDyadic::FromDouble(0.3)).sign(), 0);
    EXPECT_NE((sum - ExactDyadic::FromDouble(0.1 + 0.2)).sign(), 0);
    EXPECT_EQ(RatioToDouble(sum, ExactDyadic::FromDouble(1.0)), 0.1 + 0.2);  // the nearest double
    // Far apart exponents meet without loss.
    const ExactDyadic tiny = ExactDyadic::FromDouble(std::ldexp(1.0, -1000));
    const ExactDyadic big = ExactDyadic::FromDouble(std::ldexp(1.0, 900));
    EXPECT_EQ(((big + tiny) - big - tiny).sign(), 0);
    EXPECT_EQ((ExactDyadic::FromDouble(-2.5) * ExactDyadic::FromDouble(4.0) - ExactDyadic::FromDouble(-10.0)).sign(), 0);
    EXPECT_TRUE(ExactDyadic::FromDouble(0.0).is_zero());
}

TEST(ExactDyadic, RatiosComeOutAsTheirNearestDoubles) {
    EXPECT_DOUBLE_EQ(RatioToDouble(ExactDyadic::FromDouble(1.0), ExactDyadic::FromDouble(3.0)), 1.0 / 3.0);
    EXPECT_DOUBLE_EQ(RatioToDouble(ExactDyadic::FromDouble(-7.0), ExactDyadic::FromDouble(2.0)), -3.5);
    EXPECT_DOUBLE_EQ(RatioToDouble(ExactDyadic::FromDouble(1e300), ExactDyadic::FromDouble(1e-300)),
                     HUGE_VAL);
    EXPECT_EQ(RatioToDouble(ExactDyadic{}, ExactDyadic::FromDouble(3.0)), 0.0);
    // Integers far longer than a double still give the right leading digits.
    ExactInteger big = Int(3);
    for (int k = 0; k < 20; ++k) big = big * Int(1000000007);
    const ExactDyadic num{big, 0}, den{big * Int(4), 0};
    EXPECT_DOUBLE_EQ(RatioToDouble(num, den), 0.25);
}

}  // namespace
