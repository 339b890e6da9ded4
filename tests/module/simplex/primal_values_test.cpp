// Values from scratch, the header from the status bytes, the header part of
// an exchange, and the phase-1 pricing vector.
#include <cmath>

#include "engine_fixture.h"
#include "input/objectives.h"
#include "simplex/basis_header.h"
#include "simplex/invert.h"
#include "simplex/pricing_vector.h"
#include "simplex/primal_values.h"

namespace enginetest {
namespace {

using namespace tymlp;

ProblemSpec Bounded() {
    ProblemSpec p;
    p.rows = 2;
    p.structural = 3;
    p.columns.resize(3);
    p.columns[0].entries = {{0, 1.0}, {1, 1.0}};
    p.columns[0].lower = 2.0;
    p.columns[0].upper = 4.0;
    p.columns[1].entries = {{0, 1.0}};
    p.columns[1].lower = -kInf;  // free below: no bound to sit on
    p.columns[2].entries = {{1, 2.0}};
    p.columns[2].lower = 1.0;
    p.rhs = {10.0, 20.0};
    return WithSlacks(p);
}

class PrimalValuesTest : public EngineTest {};

TEST_F(PrimalValuesTest, NonbasicColumnsGoToTheirBoundsAndBasicsFollow) {
    BuildReady(Bounded());
    SetBasis(ctx_, {3, 4});
    ctx_->form.status[0] |= kStatAtUpper;
    ctx_->form.value[1] = 7.0;  // stale
    ASSERT_EQ(Invert(ctx_), 0);
    ASSERT_EQ(RecomputePrimal(ctx_), 0);
    const double* x = ctx_->form.value;
    EXPECT_EQ(x[0], 4.0);
    EXPECT_EQ(x[1], 0.0) << "an infinite bound is no value";
    EXPECT_EQ(x[2], 1.0);
    EXPECT_EQ(x[3], 10.0 - 4.0);
    EXPECT_EQ(x[4], 20.0 - 4.0 - 2.0);
}

TEST_F(PrimalValuesTest, HeaderFromStatusBytes) {
    BuildReady(Bounded());  // 5 columns, 2 rows
    ObjectiveRecord* rec = add_objective(ctx_, 0, 1.0, nullptr);
    rec->column = 4;
    uint8_t* st = ctx_->form.status;
    for (int32_t j = 0; j < 5; ++j) st[j] = 0;
    st[1] = kStatBasic;
    st[4] = kStatBasic;
    RebuildHeader(ctx_);
    EXPECT_EQ(std::vector<int32_t>(ctx_->form.header, ctx_->form.header + 5), (std::vector<int32_t>{1, 4, 0, 2, 3}));
    EXPECT_EQ(rec->basis_position, 1);
    // One basic column only: the last nonbasic column takes basis position 1.
    st[4] = 0;
    RebuildHeader(ctx_);
    EXPECT_EQ(std::vector<int32_t>(ctx_->form.header, ctx_->form.header + 5), (std::vector<int32_t>{1, 4, 0, 2, 3}));
    EXPECT_EQ(rec->basis_position, -1);
}

TEST_F(PrimalValuesTest, ExchangeClosesTheNonbasicGapAndMovesObjectivePositions) {
    BuildReady(Bounded());
    SetBasis(ctx_, {3, 4});
    ObjectiveRecord* rec = add_objective(ctx_, 1, 1.0, nullptr);
    rec->column = 4;
    rec->basis_position = 1;
    // Header: 3 4 | 0 1 2.  Column 1 (header position 3) enters at position 1.
    SwapIntoBasis(ctx_, 3, 1);
    EXPECT_EQ(std::vector<int32_t>(ctx_->form.header, ctx_->form.header + 5), (std::vector<int32_t>{3, 1, 0, 2, 4}));
    EXPECT_NE(ctx_->form.status[1] & kStatBasic, 0);
    EXPECT_EQ(ctx_->form.status[4] & kStatBasic, 0);
    EXPECT_EQ(rec->basis_position, -1);
    EXPECT_EQ(HeaderPosition(ctx_, 4), 4);
    SwapIntoBasis(ctx_, 4, 0);
    EXPECT_EQ(rec->basis_position, 0);
}

TEST_F(PrimalValuesTest, PhaseOnePricingVectorCountsInfeasibilities) {
    BuildReady(Bounded());
    SetBasis(ctx_, {3, 4});
    ctx_->form.lower[3] = 0.0;
    ctx_->form.upper[3] = 5.0;
    ASSERT_EQ(Invert(ctx_), 0);
    ctx_->solver.phase = kPhase1;
    ctx_->solver.delta = 1e-9;
    ctx_->form.value[3] = 6.0;   // above its upper bound
    ctx_->form.value[4] = -1.0;  // below 0
    PricingVector(ctx_);
    EXPECT_EQ(ctx_->solver.infeasible_count, 2);
    EXPECT_EQ(ctx_->form.duals[0], -1.0);
    EXPECT_EQ(ctx_->form.duals[1], 1.0);
    // A free (held) basic column is never infeasible; nor is one within delta.
    ctx_->form.status[4] |= kStatHeld;
    ctx_->form.value[3] = 5.0 + 1e-10;
    PricingVector(ctx_);
    EXPECT_EQ(ctx_->solver.infeasible_count, 0);
}

TEST_F(PrimalValuesTest, PhasemixAddsTheObjectiveSetAside) {
    BuildReady(Bounded());
    SetBasis(ctx_, {3, 4});
    ASSERT_EQ(Invert(ctx_), 0);
    ObjectiveRecord* rec = add_objective(ctx_, 1, -1.0, nullptr);
    rec->column = 4;
    rec->basis_position = 7;  // stale: resynchronised from the header
    ctx_->model.saved_objective = rec;
    ctx_->solver.phase = kPhase1;
    ctx_->options.phasemix = 0.5;
    PricingVector(ctx_);
    EXPECT_EQ(ctx_->form.duals[1], -0.5);
    EXPECT_EQ(rec->basis_position, 1);
}

}  // namespace
}  // namespace enginetest
