// The stored-price rule's tournament tree must make the choice a pass over
// the header makes: the largest oriented price, the first in header order on
// ties, with the right header position, also after exchanges have moved
// columns to the end of the header.
#include <gtest/gtest.h>

#include "lp_fixture.h"
#include "simplex/invert.h"
#include "simplex/phases.h"
#include "simplex/price_tree.h"
#include "simplex/pricing.h"

namespace {

using namespace tymlp;

class PriceTreeTest : public lptest::LpTest {
  protected:
    // Eight columns with every cost equal, each x_j <= 1 in a row of its own.
    void Prepare() {
        lptest::Lp lp;
        const int k = 8;
        lp.a.assign(k, std::vector<double>(k, 0.0));
        for (int j = 0; j < k; ++j) lp.a[j][j] = 1.0;
        lp.kind.assign(k, 'L');
        lp.rhs.assign(k, 1.0);
        lp.c.assign(k, 1.0);
        Build(lp);
        ASSERT_EQ(enginetest::SetUpEngine(ctx_), 0);
        ctx_->solver.phase = kPhase2;
        ASSERT_EQ(Invert(ctx_), 0);
        ASSERT_EQ(SparseSetUp(ctx_), 0);
        PriceTreeEnable(ctx_, true);
    }

    // The rule's choice, and the header position it reports.
    int32_t Choice() {
        EXPECT_EQ(RunPricing(ctx_), 0);
        const int32_t h = ctx_->solver.entering_pos;
        EXPECT_EQ(ctx_->form.header[h], ctx_->solver.entering);
        return ctx_->solver.entering;
    }

    void SetPrice(int32_t j, double d) {
        ctx_->phases.pricing.reduced[j] = d;
        PriceTreeRefresh(ctx_, j);
    }
};

TEST_F(PriceTreeTest, TiesGoToTheFirstColumnInHeaderOrderAfterExchanges) {
    Prepare();
    for (int32_t h = ctx_->model.rows; h < ctx_->model.columns; ++h) SetPrice(ctx_->form.header[h], 1.0);
    const int32_t first = ctx_->form.header[ctx_->model.rows];
    ctx_->solver.entering = -1;
    EXPECT_EQ(Choice(), first);

    // A larger price wins wherever it stands; a column at its upper bound
    // is priced by the negated reduced cost.
    SetPrice(5, 3.0);
    EXPECT_EQ(Choice(), 5);
    ctx_->form.status[6] |= kStatAtUpper;
    SetPrice(6, -4.0);
    EXPECT_EQ(Choice(), 6);
    ctx_->form.status[6] &= static_cast<uint8_t>(~kStatAtUpper);
    SetPrice(6, 1.0);
    SetPrice(5, 1.0);

    // The first column enters for the logical of its row: it leaves the
    // nonbasic part, the logical joins it at the end of the header.
    ctx_->solver.entering = first;
    ctx_->solver.entering_pos = ctx_->model.rows;
    ctx_->solver.leaving_pos = 2;
    const int32_t logical = ctx_->form.header[2];
    ExchangeBasis(ctx_);
    PriceTreeExchange(ctx_, first, logical);
    SetPrice(first, 0.0);
    const int32_t second = ctx_->form.header[ctx_->model.rows];
    EXPECT_NE(second, first);
    EXPECT_EQ(Choice(), second);

    // The logical, now last in the header, ties with everyone and loses;
    // alone at the top it wins at its new place.
    SetPrice(logical, 1.0);
    EXPECT_EQ(Choice(), second);
    SetPrice(logical, 2.0);
    EXPECT_EQ(Choice(), logical);
    EXPECT_EQ(ctx_->solver.entering_pos, ctx_->model.columns - 1);

    // Nothing attractive: no choice, the price stays below every real one.
    for (int32_t h = ctx_->model.rows; h < ctx_->model.columns; ++h) SetPrice(ctx_->form.header[h], -1.0);
    ctx_->solver.entering = -1;
    EXPECT_EQ(RunPricing(ctx_), 0);
    EXPECT_EQ(ctx_->solver.entering, -1);
    EXPECT_LT(ctx_->phases.pricing.price, 0.0);
}

}  // namespace
