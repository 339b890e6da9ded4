// Column replacement: long exchange sequences checked against the basis
// they describe and against a fresh factorisation, for both routines.
#include <gtest/gtest.h>

#include "factor/lu_check.h"
#include "lu_harness.h"
#include "mini_host.h"

namespace {

using lutest::MaxAbs;
using lutest::RandomBasis;
using lutest::RandomColumn;
using lutest::SparseMatrix;
using lutest::StoreHarness;

std::vector<double> Dense(const std::vector<std::pair<int, double>>& col, int m) {
    std::vector<double> a(static_cast<size_t>(m), 0.0);
    for (auto [r, v] : col) a[r] += v;
    return a;
}

// One simplex-like exchange: FTRAN the entering column (which leaves the
// spike), pick a leaving position with a sound pivot |z_p|, update.
struct Exchanger {
    std::mt19937 rng;
    int perColumn;

    double Step(StoreHarness& h, SparseMatrix& b) {
        const auto col = RandomColumn(rng, b.m, perColumn);
        const auto z = h.Ftran(Dense(col, b.m));
        const double g = MaxAbs(z);
        std::vector<int> sound;
        for (int i = 0; i < b.m; ++i)
            if (std::fabs(z[i]) >= 0.25 * g) sound.push_back(i);
        const int p = sound[rng() % sound.size()];
        b.cols[p] = col;
        return tymlp::UpdateFactor(h.store, p);
    }
};

// Puts U's current column c into the spike, as an FTRAN of B's column c
// would in exact arithmetic.
void SpikeFromU(StoreHarness& h, int c) {
    auto& s = h.store;
    for (int i = 0; i < s.m; ++i) s.spike[i] = 0.0;
    for (int q = s.colStart[c]; q <= s.colEnd[c]; ++q) {
        const int r = s.elements[q].row;
        for (int j = s.rowStart[r]; j <= s.rowEnd[r]; ++j)
            if (s.elements[j].column == c) s.spike[r] = s.elements[j].value;
    }
}

double SolveGap(StoreHarness& updated, const SparseMatrix& b, int lu, uint32_t seed) {
    StoreHarness fresh(b.m);
    fresh.Load(b);
    if (!(fresh.Factor(lu) > 0.0)) return 1e300;
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> val(-1.0, 1.0);
    std::vector<double> a(static_cast<size_t>(b.m));
    for (auto& x : a) x = val(rng);
    double gap = 0.0;
    for (char mode : {tymlp::kSolveForward, tymlp::kSolveBackward}) {
        const auto x1 = mode == tymlp::kSolveForward ? updated.Ftran(a) : updated.Btran(a);
        const auto x2 = mode == tymlp::kSolveForward ? fresh.Ftran(a) : fresh.Btran(a);
        for (int i = 0; i < b.m; ++i) gap = std::max(gap, std::fabs(x1[i] - x2[i]) / (1.0 + MaxAbs(x2)));
    }
    return gap;
}

double Residual(StoreHarness& h, const SparseMatrix& b, uint32_t seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> val(-1.0, 1.0);
    std::vector<double> a(static_cast<size_t>(b.m));
    for (auto& x : a) x = val(rng);
    const auto z = h.Ftran(a);
    auto r = b.times(z);
    const auto y = h.Btran(a);
    auto t = b.transposeTimes(y);
    double worst = 0.0;
    for (int i = 0; i < b.m; ++i) {
        worst = std::max(worst, std::fabs(r[i] - a[i]) / (1.0 + MaxAbs(z)));
        worst = std::max(worst, std::fabs(t[i] - a[i]) / (1.0 + MaxAbs(y)));
    }
    return worst;
}

class UpdateTest : public ::testing::TestWithParam<int> {
  protected:
    void SetUp() override { minihost::install(); }
    int lu() const { return GetParam(); }
};

TEST_P(UpdateTest, ReplacingAColumnByItselfNeedsNoElimination) {
    SparseMatrix b = RandomBasis(40, 3, 51, true);
    StoreHarness h(b.m);
    h.Load(b);
    ASSERT_GT(h.Factor(lu()), 0.0);
    // Some updates first, so that U is no longer the factorisation's own.
    Exchanger ex{std::mt19937(4), 3};
    for (int k = 0; k < 20; ++k) ASSERT_GE(ex.Step(h, b), 1.0);
    for (int p : {0, 13, 39, 7}) {
        const int etas = h.store.etaCount;
        SpikeFromU(h, p);
        EXPECT_EQ(tymlp::UpdateFactor(h.store, p), 1.0) << "p=" << p;
        EXPECT_EQ(h.store.etaCount, etas);
        EXPECT_EQ(tymlp::CheckInverseStore(h.store), tymlp::kStoreOk);
    }
    EXPECT_LT(Residual(h, b, 3), 1e-9);
}

TEST_P(UpdateTest, SpikeEndingBeforeTheReplacedStepIsSingular) {
    SparseMatrix b = RandomBasis(30, 2, 53);
    StoreHarness h(b.m);
    h.Load(b);
    ASSERT_GT(h.Factor(lu()), 0.0);
    // Column q pivoted early, p later: U's column q stops at q's step, so
    // putting a_q in place of p leaves the spike empty from p's step on.
    const int q = h.store.pivotCol[3];
    const int p = h.store.pivotCol[20];
    SpikeFromU(h, q);
    EXPECT_EQ(tymlp::UpdateFactor(h.store, p), 0.0);
    for (int i = 0; i < b.m; ++i) EXPECT_EQ(h.store.spike[i], 0.0);
}

TEST_P(UpdateTest, DuplicatingAColumnIsSingular) {
    // Exact small-integer data, so the cancellation is exact.
    SparseMatrix b(4);
    b.cols = {{{0, 2.0}, {1, 1.0}}, {{1, 4.0}, {2, 1.0}}, {{2, 2.0}, {3, 1.0}}, {{0, 1.0}, {3, 4.0}}};
    for (int p = 0; p < 4; ++p)
        for (int q = 0; q < 4; ++q) {
            if (p == q) continue;
            StoreHarness h(4);
            h.Load(b);
            ASSERT_GT(h.Factor(lu()), 0.0);
            h.Ftran(Dense(b.cols[q], 4));
            EXPECT_EQ(tymlp::UpdateFactor(h.store, p), 0.0) << "p=" << p << " q=" << q;
        }
}

TEST_P(UpdateTest, LongSequencesAgreeWithAFreshFactorisation) {
    for (int m : {12, 80, 250}) {
        for (int extra : {1, 4}) {
            SCOPED_TRACE(testing::Message() << "m=" << m << " extra=" << extra);
            SparseMatrix b = RandomBasis(m, extra, static_cast<uint32_t>(7 * m + extra), true);
            StoreHarness h(m);
            h.Load(b);
            ASSERT_GT(h.Factor(lu()), 0.0);
            Exchanger ex{std::mt19937(static_cast<uint32_t>(m + extra)), extra + 1};
            const int updates = 300;
            for (int k = 1; k <= updates; ++k) {
                const double modulus = ex.Step(h, b);
                ASSERT_GE(modulus, 1.0) << "update " << k;
                if (m <= 12 || k % 20 == 0) {
                    ASSERT_EQ(tymlp::CheckInverseStore(h.store), tymlp::kStoreOk) << k;
                }
                if (k % 50 == 0) {
                    EXPECT_LT(Residual(h, b, static_cast<uint32_t>(k)), 1e-8) << "update " << k;
                    EXPECT_LT(SolveGap(h, b, lu(), static_cast<uint32_t>(k)), 1e-7) << "update " << k;
                }
            }
        }
    }
}

TEST_P(UpdateTest, TightStoreGrowsAndCompressesWithoutLosingEntries) {
    SparseMatrix b = RandomBasis(150, 3, 61, true);
    StoreHarness h(b.m);
    h.Load(b, b.nonzeros() + 2);
    ASSERT_GT(h.Factor(lu()), 0.0);
    Exchanger ex{std::mt19937(5), 4};
    int compressed = 0;
    for (int k = 1; k <= 200; ++k) {
        const int before = h.store.compressions;
        ASSERT_GE(ex.Step(h, b), 1.0) << k;
        compressed += h.store.compressions - before;
        ASSERT_EQ(tymlp::CheckInverseStore(h.store), tymlp::kStoreOk) << k;
    }
    EXPECT_GT(compressed, 0);
    EXPECT_GT(h.shiftCalls, 0);
    EXPECT_LT(Residual(h, b, 9), 1e-8);
}

TEST_P(UpdateTest, RefusedGrowthEndsTheUpdateNegative) {
    SparseMatrix b = RandomBasis(100, 3, 67, true);
    StoreHarness h(b.m);
    h.Load(b, 3 * b.nonzeros());
    ASSERT_GT(h.Factor(lu()), 0.0);
    h.grant = StoreHarness::Grant::Refuse;
    Exchanger ex{std::mt19937(8), 4};
    double modulus = 1.0;
    for (int k = 0; k < 5000 && modulus > 0.0; ++k) modulus = ex.Step(h, b);
    EXPECT_LT(modulus, 0.0);
    for (int i = 0; i < b.m; ++i) ASSERT_EQ(h.store.spike[i], 0.0);
}

INSTANTIATE_TEST_SUITE_P(BothRoutines, UpdateTest, ::testing::Values(tymlp::kLuMarkowitz, tymlp::kLuLeftLooking),
                         [](const auto& info) { return info.param == 1 ? "Markowitz" : "LeftLooking"; });

}  // namespace
