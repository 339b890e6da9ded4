// Factorisation and solve properties of both LU routines on random and
// hand-built bases.
#include <gtest/gtest.h>

#include "factor/lu_check.h"
#include "lu_harness.h"
#include "mini_host.h"

namespace {

using lutest::MaxAbs;
using lutest::RandomBasis;
using lutest::SparseMatrix;
using lutest::StoreHarness;

// Relative residual of both solves for a random right-hand side.
void ExpectSolvesAccurate(StoreHarness& h, const SparseMatrix& b, uint32_t seed, double tol = 1e-9) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> val(-1.0, 1.0);
    std::vector<double> a(static_cast<size_t>(b.m));
    for (auto& x : a) x = val(rng);
    const auto z = h.Ftran(a);
    auto r = b.times(z);
    for (int i = 0; i < b.m; ++i) r[i] -= a[i];
    EXPECT_LE(MaxAbs(r), tol * (1.0 + MaxAbs(z))) << "FTRAN residual";

    const auto y = h.Btran(a);
    auto t = b.transposeTimes(y);
    for (int i = 0; i < b.m; ++i) t[i] -= a[i];
    EXPECT_LE(MaxAbs(t), tol * (1.0 + MaxAbs(y))) << "BTRAN residual";
}

SparseMatrix UnitColumns(int m, uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<int> perm(static_cast<size_t>(m));
    for (int i = 0; i < m; ++i) perm[i] = i;
    std::shuffle(perm.begin(), perm.end(), rng);
    SparseMatrix b(m);
    for (int c = 0; c < m; ++c) b.cols[c] = {{perm[c], 1.0}};
    return b;
}

class FactorTest : public ::testing::TestWithParam<int> {
  protected:
    void SetUp() override { minihost::install(); }
    int lu() const { return GetParam(); }
};

TEST_P(FactorTest, UnitBasisHasNoEtasAndModulusOne) {
    const auto b = UnitColumns(40, 3);
    StoreHarness h(b.m);
    h.Load(b);
    EXPECT_EQ(h.Factor(lu()), 1.0);
    EXPECT_EQ(h.store.etaCount, 0);
    EXPECT_EQ(h.store.uCount, b.m);
    EXPECT_EQ(tymlp::CheckInverseStore(h.store), tymlp::kStoreOk);
    ExpectSolvesAccurate(h, b, 1, 0.0);
}

TEST_P(FactorTest, DiagonalBasisModulusIsLargestEntry) {
    SparseMatrix b(5);
    const double d[5] = {2.0, -7.5, 0.25, 3.0, -1.0};
    for (int c = 0; c < 5; ++c) b.cols[c] = {{(c + 2) % 5, d[c]}};
    StoreHarness h(5);
    h.Load(b);
    EXPECT_EQ(h.Factor(lu()), 7.5);
    EXPECT_EQ(h.store.etaCount, 0);
    EXPECT_EQ(h.store.uCount, 5);
    ExpectSolvesAccurate(h, b, 2);
}

TEST_P(FactorTest, SingularBasesGiveZero) {
    SparseMatrix emptyColumn(3);
    emptyColumn.cols = {{{0, 1.0}}, {}, {{1, 1.0}, {2, 1.0}}};
    SparseMatrix emptyRow(3);
    emptyRow.cols = {{{0, 1.0}}, {{0, 2.0}, {2, 1.0}}, {{2, 1.0}}};
    // Column 2 = column 0 + column 1, in exact arithmetic.
    SparseMatrix dependent(4);
    dependent.cols = {{{0, 1.0}, {1, 2.0}}, {{1, 1.0}, {2, 3.0}}, {{0, 1.0}, {1, 3.0}, {2, 3.0}}, {{3, 1.0}}};
    SparseMatrix duplicate = RandomBasis(30, 2, 11);
    duplicate.cols[7] = duplicate.cols[19];
    for (const SparseMatrix* b : {&emptyColumn, &emptyRow, &dependent}) {
        StoreHarness h(b->m);
        h.Load(*b);
        EXPECT_EQ(h.Factor(lu()), 0.0);
    }
    StoreHarness h(duplicate.m);
    h.Load(duplicate);
    const double modulus = h.Factor(lu());
    // Rounding may leave a tiny pivot instead of an exact zero; then the
    // modulus must reveal the trouble.
    EXPECT_TRUE(modulus == 0.0 || modulus > 1e12) << modulus;
    EXPECT_EQ(minihost::state().live_blocks, 0) << "temporaries released on the singular path";
}

TEST_P(FactorTest, NearSingularBasisStillSolves) {
    SparseMatrix b = RandomBasis(60, 3, 5);
    // Column 10 = column 3 + column 4 + a tiny perturbation of one row.
    std::vector<double> dense(60, 0.0);
    for (int c : {3, 4})
        for (auto [r, v] : b.cols[c]) dense[r] += v;
    dense[b.cols[3][0].first] += 1e-7;
    b.cols[10].clear();
    for (int r = 0; r < 60; ++r)
        if (dense[r] != 0.0) b.cols[10].emplace_back(r, dense[r]);
    StoreHarness h(b.m);
    h.Load(b);
    EXPECT_GT(h.Factor(lu()), 0.0);
    EXPECT_EQ(tymlp::CheckInverseStore(h.store), tymlp::kStoreOk);
    ExpectSolvesAccurate(h, b, 9, 1e-6);
}

TEST_P(FactorTest, RandomBasesSolveAccurately) {
    for (int m : {1, 2, 7, 50, 300}) {
        for (int extra : {0, 1, 3, 6}) {
            for (bool wild : {false, true}) {
                SCOPED_TRACE(testing::Message() << "m=" << m << " extra=" << extra << " wild=" << wild);
                const auto b = RandomBasis(m, extra, static_cast<uint32_t>(m * 100 + extra), wild);
                StoreHarness h(m);
                h.Load(b);
                const double modulus = h.Factor(lu());
                ASSERT_GT(modulus, 0.0);
                EXPECT_EQ(tymlp::CheckInverseStore(h.store), tymlp::kStoreOk);
                ExpectSolvesAccurate(h, b, 17, wild ? 1e-7 : 1e-10);
                EXPECT_EQ(minihost::state().live_blocks, 0);
            }
        }
    }
}

TEST_P(FactorTest, NothingBelowTheDropToleranceIsKept) {
    const auto b = RandomBasis(80, 4, 23, true);
    StoreHarness h(b.m, 0.1, 1e-3);
    h.Load(b);
    ASSERT_GT(h.Factor(lu()), 0.0);
    const auto& s = h.store;
    for (int r = 0; r < s.m; ++r)
        for (int q = s.rowStart[r]; q <= s.rowEnd[r]; ++q) EXPECT_GT(std::fabs(s.elements[q].value), 1e-3);
    for (int q = s.capacity - s.etaCount; q < s.capacity; ++q) EXPECT_NE(s.elements[q].value, 0.0);
}

TEST_P(FactorTest, GrowsATightStoreThroughTheCallback) {
    const auto b = RandomBasis(200, 4, 29, true);
    StoreHarness h(b.m);
    h.Load(b, b.nonzeros() + 1);
    ASSERT_GT(h.Factor(lu()), 0.0);
    EXPECT_GT(h.shiftCalls, 0);
    EXPECT_EQ(tymlp::CheckInverseStore(h.store), tymlp::kStoreOk);
    ExpectSolvesAccurate(h, b, 31, 1e-7);
}

TEST_P(FactorTest, RefusedGrowthIsReportedNegative) {
    const auto b = RandomBasis(200, 4, 37, true);
    StoreHarness h(b.m);
    h.grant = StoreHarness::Grant::Refuse;
    h.Load(b, b.nonzeros() + 1);
    EXPECT_LT(h.Factor(lu()), 0.0);
    EXPECT_EQ(minihost::state().live_blocks, 0);

    StoreHarness noCallback(b.m);
    noCallback.store.memoryShift = nullptr;
    noCallback.Load(b, b.nonzeros() + 1);
    EXPECT_LT(noCallback.Factor(lu()), 0.0);
}

TEST_P(FactorTest, MissingTemporariesAreReportedNegative) {
    const auto b = RandomBasis(100, 2, 41);
    StoreHarness h(b.m);
    h.Load(b);
    minihost::state().memory_limit = 64;
    EXPECT_LT(h.Factor(lu()), 0.0);
}

TEST_P(FactorTest, InputOutsideTheBasisIsRejected) {
    SparseMatrix b = UnitColumns(4, 1);
    b.cols[2].emplace_back(9, 1.0);  // row 9 of a 4-row basis
    StoreHarness h(4);
    h.Load(b);
    EXPECT_EQ(h.Factor(lu()), 0.0);
}

INSTANTIATE_TEST_SUITE_P(BothRoutines, FactorTest, ::testing::Values(tymlp::kLuMarkowitz, tymlp::kLuLeftLooking),
                         [](const auto& info) { return info.param == 1 ? "Markowitz" : "LeftLooking"; });

// The threshold of the left-looking routine: a sparse row is preferred
// while its entry is within u of the column's largest, else the largest.
TEST(LeftLookingPivot, ThresholdDecidesBetweenSparseAndLarge) {
    minihost::install();
    // Rows: r0 = [0.2 0 0] (one entry), r1 = [1 1 1], r2 = [0 1 2].  All
    // columns count 2, so column 0 goes first with candidates r0 (sparse,
    // 0.2) and r1 (dense, 1.0).
    SparseMatrix b(3);
    b.cols = {{{0, 0.2}, {1, 1.0}}, {{1, 1.0}, {2, 1.0}}, {{1, 1.0}, {2, 2.0}}};
    for (auto [u, row] : {std::pair{0.1, 0}, std::pair{0.5, 1}}) {
        StoreHarness h(3, u);
        h.Load(b);
        ASSERT_GT(h.Factor(tymlp::kLuLeftLooking), 0.0);
        EXPECT_EQ(h.store.pivotCol[0], 0);
        EXPECT_EQ(h.store.pivotRow[0], row) << "u=" << u;
        ExpectSolvesAccurate(h, b, 3);
    }
}

}  // namespace
