// What the solves leave behind besides their result: the spike of FTRAN
// (which the update consumes) and a store free of row flags.
#include <gtest/gtest.h>

#include <algorithm>

#include "factor/lu_check.h"
#include "lu_harness.h"
#include "mini_host.h"

namespace {

using lutest::MaxAbs;
using lutest::RandomBasis;
using lutest::RandomColumn;
using lutest::SparseMatrix;
using lutest::StoreHarness;

class SolveTest : public ::testing::TestWithParam<int> {
  protected:
    void SetUp() override { minihost::install(); }
};

// The exchange position the rounds below use: the largest |z_p|, so that
// later rounds run on updated factors with a sound pivot.
int LargestPosition(const std::vector<double>& z) {
    int p = 0;
    for (int i = 1; i < static_cast<int>(z.size()); ++i)
        if (std::fabs(z[i]) > std::fabs(z[p])) p = i;
    return p;
}

// After FTRAN, U z must reproduce the spike: spike = L^-1 a, z = U^-1 spike.
void ExpectSpikeIsUz(const StoreHarness& h, const std::vector<double>& z) {
    const auto& s = h.store;
    for (int r = 0; r < s.m; ++r) {
        double uz = 0.0;
        for (int q = s.rowStart[r]; q <= s.rowEnd[r]; ++q) uz += s.elements[q].value * z[s.elements[q].column];
        EXPECT_NEAR(uz, s.spike[r], 1e-10 * (1.0 + MaxAbs(z))) << "row " << r;
    }
}

TEST_P(SolveTest, FtranLeavesTheTransformedColumnInTheSpike) {
    SparseMatrix b = RandomBasis(120, 3, 81, true);
    StoreHarness h(b.m);
    h.Load(b);
    ASSERT_GT(h.Factor(GetParam()), 0.0);
    std::mt19937 rng(3);
    for (int k = 0; k < 40; ++k) {
        std::vector<double> a(static_cast<size_t>(b.m), 0.0);
        const auto col = RandomColumn(rng, b.m, 4);
        for (auto [r, v] : col) a[r] = v;
        const auto z = h.Ftran(a);
        ExpectSpikeIsUz(h, z);
        const int p = LargestPosition(z);
        b.cols[p] = col;
        ASSERT_GE(tymlp::UpdateFactor(h.store, p), 1.0);
    }
    // Every row flag set during the solves was taken down again.
    EXPECT_EQ(tymlp::CheckInverseStore(h.store), tymlp::kStoreOk);
}

TEST_P(SolveTest, UnitRightHandSidesGiveColumnsOfTheInverse) {
    const SparseMatrix b = RandomBasis(30, 2, 83);
    StoreHarness h(b.m);
    h.Load(b);
    ASSERT_GT(h.Factor(GetParam()), 0.0);
    for (int i = 0; i < b.m; ++i) {
        std::vector<double> e(static_cast<size_t>(b.m), 0.0);
        e[i] = 1.0;
        const auto z = h.Ftran(e);
        const auto bz = b.times(z);
        for (int r = 0; r < b.m; ++r) ASSERT_NEAR(bz[r], r == i ? 1.0 : 0.0, 1e-12);
        const auto y = h.Btran(e);
        const auto bty = b.transposeTimes(y);
        for (int c = 0; c < b.m; ++c) ASSERT_NEAR(bty[c], c == i ? 1.0 : 0.0, 1e-12);
    }
    const std::vector<double> zero(static_cast<size_t>(b.m), 0.0);
    EXPECT_EQ(h.Ftran(zero), zero);
    EXPECT_EQ(h.Btran(zero), zero);
}

// The ratio test and the value update visit only the positions the listed
// FTRAN names: a nonzero left out would be a basic column that never blocks
// and never moves.  Checked on fresh and on updated factors.
TEST_P(SolveTest, ListedFtranNamesEveryNonzeroOnceAndSolvesAlike) {
    SparseMatrix b = RandomBasis(150, 3, 87, true);
    StoreHarness h(b.m);
    h.Load(b);
    ASSERT_GT(h.Factor(GetParam()), 0.0);
    std::mt19937 rng(5);
    std::vector<int32_t> listed(static_cast<size_t>(b.m), -1);
    for (int k = 0; k < 30; ++k) {
        std::vector<double> a(static_cast<size_t>(b.m), 0.0);
        const auto col = RandomColumn(rng, b.m, 1 + k % 5);
        for (auto [r, v] : col) a[r] = v;
        const auto z = h.Ftran(a);
        std::vector<double> x = a;
        const int32_t count = tymlp::SolveForwardListed(h.store, x.data(), listed.data());
        ASSERT_EQ(x, z) << "round " << k;
        std::vector<int> seen(static_cast<size_t>(b.m), 0);
        for (int32_t i = 0; i < count; ++i) {
            ASSERT_GE(listed[i], 0);
            ASSERT_LT(listed[i], b.m);
            seen[listed[i]] += 1;
        }
        for (int p = 0; p < b.m; ++p) {
            EXPECT_LE(seen[p], 1) << "position " << p << " listed twice";
            if (x[p] != 0.0) {
                EXPECT_EQ(seen[p], 1) << "nonzero at " << p << " not listed, round " << k;
            }
        }
        const int p = LargestPosition(z);
        b.cols[p] = col;
        ASSERT_GE(tymlp::UpdateFactor(h.store, p), 1.0);
    }
}

// FTRAN's back substitution forms each row's value from the spike, less
// the row's entries times the values already found, in the order of the
// row list: the simplex takes its pivots from these bits.  Results dense
// enough that the sweep stops flagging rows, and sparse ones, on fresh and
// updated factors, must give exactly that sum.
TEST_P(SolveTest, FtranSumsEveryRowInListOrderWhetherSparseOrDense) {
    SparseMatrix b = RandomBasis(300, 4, 91, true);
    StoreHarness h(b.m);
    h.Load(b);
    ASSERT_GT(h.Factor(GetParam()), 0.0);
    std::mt19937 rng(11);
    const auto& s = h.store;
    for (int k = 0; k < 30; ++k) {
        SCOPED_TRACE("round " + std::to_string(k));
        std::vector<double> a(static_cast<size_t>(b.m), 0.0);
        const auto col = RandomColumn(rng, b.m, k % 2 == 0 ? 1 : b.m / 2);
        for (auto [r, v] : col) a[r] = v;
        const auto z = h.Ftran(a);
        std::vector<double> expect(static_cast<size_t>(b.m), 0.0);
        for (int step = b.m - 1; step >= 0; --step) {
            const int p = s.pivotRow[step];
            double d = s.spike[p];
            for (int q = s.rowStart[p] + 1; q <= s.rowEnd[p]; ++q)
                d -= s.elements[q].value * expect[s.elements[q].column];
            if (d != 0.0) expect[s.elements[s.rowStart[p]].column] = d / s.elements[s.rowStart[p]].value;
        }
        ASSERT_EQ(z, expect);
        const int p = LargestPosition(z);
        b.cols[p] = col;
        ASSERT_GE(tymlp::UpdateFactor(h.store, p), 1.0);
    }
    EXPECT_EQ(tymlp::CheckInverseStore(h.store), tymlp::kStoreOk);
}

// BTRAN applies the factorisation's etas run by run when its L is long,
// summing each pivot row's value in a register: it must give bit for bit
// what the etas applied one by one give, before and after updates.
TEST_P(SolveTest, BtranByEtaRunsMatchesTheEtasOneByOne) {
    SparseMatrix b = RandomBasis(80, 25, 93, true);
    StoreHarness h(b.m);
    h.Load(b);
    ASSERT_GT(h.Factor(GetParam()), 0.0);
    ASSERT_GE(h.store.factorEtas, 8 * b.m) << "too short an L for the runs";
    std::mt19937 rng(13);
    for (int k = 0; k < 12; ++k) {
        SCOPED_TRACE("round " + std::to_string(k));
        std::vector<double> c(static_cast<size_t>(b.m), 0.0);
        for (auto [r, v] : RandomColumn(rng, b.m, 1 + k * 6)) c[r] = v;
        const auto by_runs = h.Btran(c);
        const int32_t saved = h.store.factorEtas;
        h.store.factorEtas = 0;  // every eta one by one
        const auto one_by_one = h.Btran(c);
        h.store.factorEtas = saved;
        ASSERT_EQ(by_runs, one_by_one);
        const auto col = RandomColumn(rng, b.m, 5);
        std::vector<double> a(static_cast<size_t>(b.m), 0.0);
        for (auto [r, v] : col) a[r] = v;
        const auto z = h.Ftran(a);
        const int p = LargestPosition(z);
        b.cols[p] = col;
        ASSERT_GE(tymlp::UpdateFactor(h.store, p), 1.0);
    }
}

// The FTRAN and BTRAN that follow only what a sparse right-hand side
// reaches must give bit for bit what the full sweeps give (the same values
// and spike, every nonzero listed once), and leave the store such that the
// updates that follow stay identical too: otherwise the simplex would take
// other pivots.
TEST_P(SolveTest, SparseSolvesMatchTheFullSweepsBitForBit) {
    // The solves do not depend on the routine that factorised; the
    // left-looking one takes seconds on a random basis of this order.
    if (GetParam() != tymlp::kLuMarkowitz) GTEST_SKIP() << "covered with the Markowitz factors";
    SparseMatrix b = RandomBasis(5000, 2, 89, true);  // large enough for the sparse paths
    StoreHarness full(b.m);
    StoreHarness sparse(b.m);
    full.Load(b, 40 * b.m);  // room enough that compressions do not dominate
    sparse.Load(b, 40 * b.m);
    sparse.EnableReach();
    ASSERT_GT(full.Factor(GetParam()), 0.0);
    ASSERT_GT(sparse.Factor(GetParam()), 0.0);
    std::mt19937 rng(9);
    std::vector<int32_t> listed_full(static_cast<size_t>(b.m)), listed_sparse(static_cast<size_t>(b.m));
    for (int k = 0; k < 24; ++k) {
        SCOPED_TRACE("round " + std::to_string(k));
        // Mostly very sparse columns (the reach is followed), now and then a
        // dense one (the sweep takes over), and a BTRAN that dirties the spike.
        const auto col = RandomColumn(rng, b.m, k % 7 == 6 ? 600 : 1 + k % 3);
        std::vector<double> a(static_cast<size_t>(b.m), 0.0);
        std::vector<int32_t> rows;
        for (auto [r, v] : col) a[r] = v, rows.push_back(r);
        if (k % 5 == 4) sparse.Btran(a);
        std::vector<double> x_full = a;
        std::vector<double> x_sparse = a;
        const int32_t n_full = tymlp::SolveForwardListed(full.store, x_full.data(), listed_full.data());
        const int32_t n_sparse = tymlp::SolveForwardSparse(sparse.store, x_sparse.data(), rows.data(),
                                                           static_cast<int32_t>(rows.size()), listed_sparse.data());
        ASSERT_EQ(x_sparse, x_full);
        for (int r = 0; r < b.m; ++r) ASSERT_EQ(sparse.store.spike[r], full.store.spike[r]) << "spike row " << r;
        std::sort(listed_full.begin(), listed_full.begin() + n_full);
        std::sort(listed_sparse.begin(), listed_sparse.begin() + n_sparse);
        ASSERT_TRUE(std::equal(listed_full.begin(), listed_full.begin() + n_full, listed_sparse.begin(),
                               listed_sparse.begin() + n_sparse));
        int p = 0;
        for (int i = 1; i < b.m; ++i)
            if (std::fabs(x_full[i]) > std::fabs(x_full[p])) p = i;
        ASSERT_EQ(tymlp::UpdateFactor(sparse.store, p), tymlp::UpdateFactor(full.store, p));
        for (int r = 0; r < b.m; ++r) ASSERT_EQ(sparse.store.spike[r], 0.0);
        for (int i = 0; i < b.m; ++i) {
            ASSERT_EQ(sparse.store.pivotRow[i], full.store.pivotRow[i]);
            ASSERT_EQ(sparse.store.rowStep[sparse.store.pivotRow[i]], i);
        }
        // A row of B^-1 (BTRAN of a unit vector) on the updated factors.
        const int32_t r = static_cast<int32_t>(rng() % static_cast<unsigned>(b.m));
        std::vector<double> e(static_cast<size_t>(b.m), 0.0);
        e[r] = 1.0;
        const auto y = full.Btran(e);
        const int32_t n_rows = tymlp::SolveBackwardSparse(sparse.store, e.data(), &r, 1, listed_sparse.data());
        ASSERT_EQ(e, y);
        if (n_rows >= 0) {
            std::vector<int> seen(static_cast<size_t>(b.m), 0);
            for (int32_t i = 0; i < n_rows; ++i) seen[listed_sparse[i]] += 1;
            for (int i = 0; i < b.m; ++i) {
                ASSERT_LE(seen[i], 1) << "row " << i << " listed twice";
                if (y[i] != 0.0) {
                    ASSERT_EQ(seen[i], 1) << "nonzero at row " << i << " not listed";
                }
            }
        }
    }
    EXPECT_EQ(tymlp::CheckInverseStore(sparse.store), tymlp::kStoreOk);
}

TEST_P(SolveTest, UnknownModeLeavesTheVectorAlone) {
    const SparseMatrix b = RandomBasis(5, 1, 85);
    StoreHarness h(b.m);
    h.Load(b);
    ASSERT_GT(h.Factor(GetParam()), 0.0);
    std::vector<double> x{1, 2, 3, 4, 5};
    EXPECT_EQ(tymlp::Solve(h.store, x.data(), 'x'), 1);
    EXPECT_EQ(x, (std::vector<double>{1, 2, 3, 4, 5}));
}

INSTANTIATE_TEST_SUITE_P(BothRoutines, SolveTest, ::testing::Values(tymlp::kLuMarkowitz, tymlp::kLuLeftLooking),
                         [](const auto& info) { return info.param == 1 ? "Markowitz" : "LeftLooking"; });

}  // namespace
