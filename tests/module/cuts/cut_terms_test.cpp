// cut_terms_test.cpp -- the cut pool's filtering and the rewriting of a
// cut's terms: efficacy at the LP point, nearly parallel cuts dropped,
// earlier cuts' logical columns replaced by their rows, tiny coefficients
// moved to the right-hand side only where a bound makes that valid.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "base/lp_context.h"
#include "cuts/cut_pool.h"
#include "cuts/cut_terms.h"

namespace {

using namespace tymlp;

CutCandidate make_cut(std::vector<int32_t> columns, std::vector<double> values, double rhs) {
    CutCandidate c;
    c.columns = std::move(columns);
    c.values = std::move(values);
    c.rhs = rhs;
    return c;
}

TEST(CutPool, KeepsOnlyCutsThatCutThePointOffAndDropsNearParallelOnes) {
    const double x[] = {0.5, 0.5, 0.5};
    CutPool pool;
    // x0 + x1 <= 0.5: violated by 0.5, efficacy 0.5 / sqrt(2).
    EXPECT_TRUE(offer_cut(pool, make_cut({0, 1}, {1.0, 1.0}, 0.5), x));
    // The same cut scaled: parallel to the first.
    EXPECT_TRUE(offer_cut(pool, make_cut({1, 0}, {2.0, 2.0}, 1.01), x));
    // Not violated at x: refused.
    EXPECT_FALSE(offer_cut(pool, make_cut({2}, {1.0}, 0.75), x));
    // Violated, orthogonal to the first.
    EXPECT_TRUE(offer_cut(pool, make_cut({2}, {1.0}, 0.25), x));
    EXPECT_NEAR(pool.cuts[0].efficacy, 0.5 / std::sqrt(2.0), 1e-12);
    const std::vector<const CutCandidate*> chosen = select_cuts(pool, 10);
    ASSERT_EQ(chosen.size(), 2u);
    EXPECT_NEAR(chosen[0]->rhs, 0.5, 0.0);   // the more efficacious of the two parallel cuts
    EXPECT_NEAR(chosen[1]->rhs, 0.25, 0.0);  // efficacy 0.25
    EXPECT_EQ(select_cuts(pool, 1).size(), 1u);
}

TEST(CutPool, RefusesCutsWithoutFiniteCoefficients) {
    const double x[] = {1.0};
    CutPool pool;
    EXPECT_FALSE(offer_cut(pool, make_cut({0}, {0.0}, -1.0), x));
    EXPECT_FALSE(offer_cut(pool, make_cut({0}, {NAN}, 0.0), x));
    EXPECT_FALSE(offer_cut(pool, make_cut({0}, {1.0}, -INFINITY), x));
    EXPECT_TRUE(pool.cuts.empty());
}

// A context with four structural columns and two reserved cut rows (their
// logical columns 4 and 5), every column in [0, 10] except column 3,
// which has no upper bound.
struct CutContext {
    std::unique_ptr<LpContext> ctx = std::make_unique<LpContext>();
    std::vector<double> lower{0, 0, 0, 0, 0, 0};
    std::vector<double> upper{10, 10, 10, 1e300, 1e300, 1e300};
    std::vector<uint8_t> state{kCutRowActive, kCutRowRetired};
    CutContext() {
        ctx->options.infinity = 1e300;
        ctx->form.lower = lower.data();
        ctx->form.upper = upper.data();
        ctx->cuts.first_row = 3;
        ctx->cuts.row_count = 2;
        ctx->cuts.used_rows = 2;
        ctx->cuts.first_column = 4;
        ctx->cuts.usable = 1;
        ctx->cuts.row_state = state.data();
    }
};

TEST(CutTerms, AnEarlierCutsLogicalColumnIsReplacedByItsRow) {
    CutContext c;
    // Cut row 0: x0 + 2 x1 + 4 s = 8, so s = 2 - x0/4 - x1/2.
    ActiveCutRows rows;
    rows.terms = {{{0, 1.0}, {1, 2.0}}, {}};
    rows.logical = {4.0, 1.0};
    rows.rhs = {8.0, 0.0};
    CutCandidate cut = make_cut({2, 4}, {1.0, 2.0}, 3.0);  // x2 + 2 s <= 3
    ASSERT_TRUE(substitute_cut_logicals(c.ctx.get(), rows, &cut));
    // x2 + 4 - x0/2 - x1 <= 3.
    double x0 = 0, x1 = 0, x2 = 0;
    for (size_t k = 0; k < cut.columns.size(); ++k) {
        if (cut.columns[k] == 0) x0 += cut.values[k];
        if (cut.columns[k] == 1) x1 += cut.values[k];
        if (cut.columns[k] == 2) x2 += cut.values[k];
        EXPECT_LT(cut.columns[k], 4) << "a cut's logical column is left";
    }
    EXPECT_DOUBLE_EQ(x0, -0.5);
    EXPECT_DOUBLE_EQ(x1, -1.0);
    EXPECT_DOUBLE_EQ(x2, 1.0);
    EXPECT_DOUBLE_EQ(cut.rhs, -1.0);
    // A retired cut's logical column has no row to stand for it.
    CutCandidate retired = make_cut({5}, {1.0}, 0.0);
    EXPECT_FALSE(substitute_cut_logicals(c.ctx.get(), rows, &retired));
}

TEST(CutTerms, TinyCoefficientsGoToTheRightHandSideOnlyWhereABoundAllows) {
    CutContext c;
    c.lower[1] = 2.0;
    // x0 + 1e-9 x1 - 1e-9 x2 + x0 <= 4: merged to 2 x0; the tiny terms leave
    // at x1's lower bound (2) and x2's upper bound (10).
    CutCandidate cut = make_cut({0, 1, 2, 0}, {1.0, 1e-9, -1e-9, 1.0}, 4.0);
    ASSERT_TRUE(tidy_cut(c.ctx.get(), 1e6, &cut));
    ASSERT_EQ(cut.columns.size(), 1u);
    EXPECT_EQ(cut.columns[0], 0);
    EXPECT_DOUBLE_EQ(cut.values[0], 1.0);
    EXPECT_NEAR(cut.rhs, (4.0 - 2e-9 + 1e-8) / 2.0, 1e-15);
    // A tiny positive coefficient on x3 would need its lower bound (0):
    // fine; a tiny negative one needs its upper bound, which is infinite.
    CutCandidate unbounded = make_cut({0, 3}, {1.0, -1e-9}, 1.0);
    EXPECT_FALSE(tidy_cut(c.ctx.get(), 1e6, &unbounded));
    CutCandidate below = make_cut({0, 3}, {1.0, 1e-9}, 1.0);
    EXPECT_TRUE(tidy_cut(c.ctx.get(), 1e6, &below));
    // Everything cancels: no cut.
    CutCandidate empty = make_cut({0, 0}, {1.0, -1.0}, 1.0);
    EXPECT_FALSE(tidy_cut(c.ctx.get(), 1e6, &empty));
}

}  // namespace
