// strengthened_row_test.cpp -- coefficient strengthening of rows with
// binary columns: the big-M row tightened to what its bounds allow, and no
// point with binary values that keeps the row ever lost (checked by
// enumeration over random rows).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "cuts/cut_families.h"

namespace {

using namespace tymlp;

double activity(const std::vector<double>& a, const std::vector<double>& x) {
    double sum = 0.0;
    for (size_t k = 0; k < a.size(); ++k) sum += a[k] * x[k];
    return sum;
}

TEST(StrengthenedRow, BigMRowTightensToTheLargestActivityOfTheRest) {
    // 10 x + y <= 12, x binary, 0 <= y <= 5: y never reaches 12, so the
    // row reads 3 x + y <= 5 (at x = 1 it is y <= 2 as before).
    std::vector<double> a = {10.0, 1.0};
    double b = 12.0;
    ASSERT_TRUE(strengthen_row(15.0, &a, {1, 0}, &b));
    EXPECT_NEAR(a[0], 3.0, 1e-7);
    EXPECT_DOUBLE_EQ(a[1], 1.0);
    EXPECT_NEAR(b, 5.0, 1e-7);
    // Never tighter than the exact reduction: rounding may only weaken it.
    EXPECT_GE(a[0], 3.0);
    EXPECT_GE(b, 5.0);
}

TEST(StrengthenedRow, NegativeCoefficientMovesTowardZeroAndKeepsTheRightHandSide) {
    // -10 x + y <= 2, 0 <= y <= 5: at x = 1 the row is slack by 7, so
    // -3 x + y <= 2.
    std::vector<double> a = {-10.0, 1.0};
    double b = 2.0;
    ASSERT_TRUE(strengthen_row(5.0, &a, {1, 0}, &b));
    EXPECT_NEAR(a[0], -3.0, 1e-7);
    EXPECT_DOUBLE_EQ(b, 2.0);
}

TEST(StrengthenedRow, RowsThatBindOrNeverBindStayAsTheyAre) {
    // A knapsack that the rest alone can fill, whichever column is 0:
    // nothing to tighten.
    std::vector<double> a = {4.0, 5.0, 6.0};
    double b = 9.0;
    EXPECT_FALSE(strengthen_row(15.0, &a, {1, 1, 1}, &b));
    EXPECT_EQ(a, (std::vector<double>{4.0, 5.0, 6.0}));
    // The same weights with b = 10: at 0 the largest weight leaves the
    // rest at most 9, so it drops by 1 and b with it.
    std::vector<double> k = {4.0, 5.0, 6.0};
    double kb = 10.0;
    EXPECT_TRUE(strengthen_row(15.0, &k, {1, 1, 1}, &kb));
    EXPECT_NEAR(k[2], 5.0, 1e-7);
    EXPECT_NEAR(kb, 9.0, 1e-7);
    // A redundant row (largest activity below b) is left to itself.
    std::vector<double> r = {1.0, 1.0};
    double rb = 5.0;
    EXPECT_FALSE(strengthen_row(2.0, &r, {1, 1}, &rb));
    EXPECT_DOUBLE_EQ(rb, 5.0);
    // Continuous columns are never changed.
    std::vector<double> c = {10.0};
    double cb = 3.0;
    EXPECT_FALSE(strengthen_row(10.0, &c, {0}, &cb));
}

TEST(StrengthenedRow, NoBinaryPointOfTheRowIsLost) {
    std::mt19937_64 rng(20261208);
    std::uniform_real_distribution<double> coef(-20.0, 20.0);
    std::uniform_int_distribution<int> size(2, 6);
    int strengthened = 0;
    for (int trial = 0; trial < 400; ++trial) {
        const int n = size(rng);
        std::vector<double> a(n);
        std::vector<uint8_t> binary(n);
        std::vector<double> upper(n);
        for (int k = 0; k < n; ++k) {
            a[k] = std::round(coef(rng) * 4.0) / 4.0;
            binary[k] = (rng() % 3) != 0 ? 1 : 0;
            upper[k] = binary[k] != 0 ? 1.0 : static_cast<double>(1 + rng() % 4);
        }
        double largest = 0.0;
        for (int k = 0; k < n; ++k) largest += a[k] > 0.0 ? a[k] * upper[k] : 0.0;
        const double b = std::round(coef(rng) * 2.0) / 2.0 + largest / 2.0;
        std::vector<double> tight = a;
        double tight_b = b;
        if (!strengthen_row(largest, &tight, binary, &tight_b)) continue;
        ++strengthened;
        // Every binary column at 0 or 1, every continuous one on a grid of
        // its range, bounds included.
        const int grid = 4;
        std::vector<int> at(n, 0);
        for (;;) {
            std::vector<double> x(n);
            for (int k = 0; k < n; ++k) x[k] = binary[k] != 0 ? at[k] : upper[k] * at[k] / grid;
            if (activity(a, x) <= b) {
                ASSERT_LE(activity(tight, x), tight_b + 1e-9) << "trial " << trial;
            }
            int k = 0;
            while (k < n && ++at[k] > (binary[k] != 0 ? 1 : grid)) at[k++] = 0;
            if (k == n) break;
        }
    }
    EXPECT_GT(strengthened, 20);
}

}  // namespace
