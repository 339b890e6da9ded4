// The factor folder's entry table: which factorisation an LU option selects,
// and that solving, updating and growing through the table do what the
// kernel's own routines do.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "factor/factor_entries.h"
#include "lu_harness.h"
#include "mini_host.h"

namespace {

using lutest::RandomBasis;
using lutest::RandomColumn;
using lutest::SparseMatrix;
using lutest::StoreHarness;
using tymlp::FactorEntries;
using tymlp::FactorEntriesFor;

TEST(FactorEntriesTable, TheLuOptionChoosesTheFactorisation) {
    ASSERT_NE(FactorEntriesFor(tymlp::kLuMarkowitz), nullptr);
    ASSERT_NE(FactorEntriesFor(tymlp::kLuLeftLooking), nullptr);
    EXPECT_EQ(FactorEntriesFor(tymlp::kLuMarkowitz)->factorise, &tymlp::FactorMarkowitz);
    EXPECT_EQ(FactorEntriesFor(tymlp::kLuLeftLooking)->factorise, &tymlp::FactorLeftLooking);
    EXPECT_EQ(FactorEntriesFor(0), nullptr);
    EXPECT_EQ(FactorEntriesFor(3), nullptr);
}

class FactorEntriesTest : public ::testing::TestWithParam<int> {
  protected:
    void SetUp() override { minihost::install(); }
};

// FTRAN and BTRAN have the same signature, so only their results tell the
// two entries apart: on fresh and on updated (and grown) factors of a
// nonsymmetric basis, each must solve its own system and agree to the bit
// with the kernel's Solve in that mode; the listed FTRAN must agree with
// the plain one and list every nonzero.
TEST_P(FactorEntriesTest, SolvesThroughTheTableMatchTheKernel) {
    SparseMatrix b = RandomBasis(60, 3, 91, true);
    StoreHarness h(b.m);
    h.Load(b, 4096);  // room for the fill of every update
    const FactorEntries& lu = *FactorEntriesFor(GetParam());
    ASSERT_GT(lu.factorise(h.store), 0.0);
    const size_t m = static_cast<size_t>(b.m);
    std::mt19937 rng(5);
    for (int round = 0; round < 12; ++round) {
        SCOPED_TRACE(round);
        std::vector<double> x(m);
        for (size_t i = 0; i < m; ++i) x[i] = std::sin(static_cast<double>(i + 1) * (round + 1));

        const std::vector<double> a = b.times(x);  // by row
        std::vector<double> z = a;
        lu.ftran(h.store, z.data());
        for (size_t i = 0; i < m; ++i) ASSERT_NEAR(z[i], x[i], 1e-8);
        EXPECT_EQ(z, h.Ftran(a));

        std::vector<double> listedZ = a;
        std::vector<int32_t> listed(m, -1);
        const int32_t count = lu.ftran_listed(h.store, listedZ.data(), listed.data());
        EXPECT_EQ(listedZ, z);
        std::vector<char> isListed(m, 0);
        for (int32_t k = 0; k < count; ++k) isListed[static_cast<size_t>(listed[static_cast<size_t>(k)])] = 1;
        int unlisted = 0;
        for (size_t i = 0; i < m; ++i) unlisted += z[i] != 0.0 && !isListed[i] ? 1 : 0;
        EXPECT_EQ(unlisted, 0) << "nonzeros of z the listed FTRAN did not list";

        const std::vector<double> c = b.transposeTimes(x);  // by basis position
        std::vector<double> y = c;
        lu.btran(h.store, y.data());
        for (size_t i = 0; i < m; ++i) ASSERT_NEAR(y[i], x[i], 1e-8);
        EXPECT_EQ(y, h.Btran(c));

        if (round == 6) {
            const int32_t before = h.store.capacity;
            ASSERT_EQ(lu.grow(h.store, static_cast<int64_t>(before) + 100), 0);
            EXPECT_GT(h.store.capacity, before + 100);
        }

        // Exchange at the largest |z_p| of the entering column's FTRAN, so
        // that later rounds run on updated factors.
        std::vector<double> entering(m, 0.0);
        const auto col = RandomColumn(rng, b.m, 4);
        for (auto [r, v] : col) entering[static_cast<size_t>(r)] = v;
        lu.ftran(h.store, entering.data());
        size_t p = 0;
        for (size_t i = 1; i < m; ++i)
            if (std::fabs(entering[i]) > std::fabs(entering[p])) p = i;
        b.cols[p] = col;
        ASSERT_GE(lu.update(h.store, static_cast<int32_t>(p)), 1.0);
    }
}

INSTANTIATE_TEST_SUITE_P(BothRoutines, FactorEntriesTest, ::testing::Values(tymlp::kLuMarkowitz, tymlp::kLuLeftLooking),
                         [](const auto& info) { return info.param == 1 ? "Markowitz" : "LeftLooking"; });

}  // namespace
