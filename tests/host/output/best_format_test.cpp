// The best format: shortest faithful rendering of a number in a field.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <limits>

#include "host_api.h"

namespace qmlp::host {
namespace {

TEST(BestFormat, IntegersAndSimpleFractions) {
    EXPECT_EQ(best_format(1), "           1");
    EXPECT_EQ(best_format(0.1), "         0.1");
    EXPECT_EQ(best_format(-2.5), "        -2.5");
    EXPECT_EQ(best_format(123456789012.0), "123456789012");
    EXPECT_EQ(best_format(100, 3), "100");
}

TEST(BestFormat, KeepsAsManyDigitsAsTheFieldAllows) {
    EXPECT_EQ(best_format(1.0 / 3), "0.3333333333");
    EXPECT_EQ(best_format(-1.0 / 3), "-0.333333333");
    EXPECT_EQ(best_format(2.0 / 3, 9), "0.6666667");
    EXPECT_EQ(best_format(1234567.123456789), "1234567.1235");
    // Rounding that carries into a new digit.
    EXPECT_EQ(best_format(9.99999999999999, 12), "          10");
}

// Carries at every field width: 9.96 takes one decimal fewer than 9.94
// would, and a value just under a power of ten gains a digit.
TEST(BestFormat, CarriesIntoANewDigitAtEveryWidth) {
    for (int width = 4; width <= 20; ++width) {
        for (const double v : {9.96, 99.996, 0.99999999999, -9.9999999, 999999.96}) {
            char buf[64];
            std::string best;
            for (int d = width; d >= 0 && best.empty(); --d)
                if (std::snprintf(buf, sizeof buf, "%.*f", d, v) <= width) best = buf;
            if (best.empty()) continue;
            const std::string got = best_format(v, width);
            const double back = std::strtod(got.c_str(), nullptr);
            EXPECT_EQ(back, std::strtod(best.c_str(), nullptr)) << v << " in " << width << ": " << got;
        }
    }
}

TEST(BestFormat, SwitchesToExponentFormWhenPlainNotationLosesTheValue) {
    EXPECT_EQ(best_format(1e-12), "       1E-12");
    EXPECT_EQ(best_format(1e300), "       1E300");
    EXPECT_EQ(best_format(-1.5e-20), "    -1.5E-20");
    EXPECT_EQ(best_format(1234567890123.0), "1.2345679E12");
    EXPECT_EQ(best_format(std::numeric_limits<double>::max()), "1.797693E308");
    EXPECT_EQ(best_format(1.25e-7, 9), "  1.25E-7");
}

TEST(BestFormat, SmallFractionsPreferTheMuchShorterExponentForm) {
    EXPECT_EQ(best_format(1e-8), "        1E-8");
    EXPECT_EQ(best_format(1.5e-6), "      1.5E-6");
    EXPECT_EQ(best_format(0.00012345), "  0.00012345");
    EXPECT_EQ(best_format(0.001), "       0.001");
    EXPECT_EQ(best_format(1e11), "100000000000");
}

TEST(BestFormat, NegativeZeroPrintsAsZero) {
    EXPECT_EQ(best_format(-0.0), "           0");
    EXPECT_EQ(best_format(0.0, 1), "0");
}

TEST(BestFormat, MissingValuesPrintTheirLetterCodes) {
    EXPECT_EQ(best_format(missing_value('.')), "           .");
    EXPECT_EQ(best_format(missing_value('I')), "          .I");
    EXPECT_EQ(best_format(missing_value('M'), 4), "  .M");
    EXPECT_EQ(best_format(std::nan("")), "           .");
    EXPECT_EQ(best_format(std::numeric_limits<double>::infinity()), "           .");
}

TEST(BestFormat, TooNarrowAFieldShowsStars) {
    EXPECT_EQ(best_format(123456, 2), "**");
    EXPECT_EQ(best_format(-5, 1), "*");
}

TEST(BestFormat, ReadsBackCloseToTheValue) {
    // Whatever the field, the rendering stays within half a unit of its last digit.
    const double values[] = {3.14159265358979, -2718.28182845904, 6.02214076e23, 1.602176634e-19, 0.5, 42};
    for (double v : values) {
        for (int width : {9, 12, 20}) {
            const std::string s = best_format(v, width);
            ASSERT_EQ(static_cast<int>(s.size()), width) << v;
            const double back = std::stod(s);
            EXPECT_NEAR(back, v, std::fabs(v) * 1e-3) << v << " in " << width << ": " << s;
        }
    }
}

}  // namespace
}  // namespace qmlp::host
