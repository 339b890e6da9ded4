// Inversion: factors of hand-built and crashed bases, the basic values and
// duals recomputed from them, store sizing, unstable moduli, and the repair
// of a singular basis from the pivot history.
#include <algorithm>
#include <cmath>

#include "engine_fixture.h"
#include "factor/lu_kernel.h"
#include "input/objectives.h"
#include "simplex/basis_header.h"
#include "simplex/invert.h"
#include "simplex/pivot_history.h"
#include "simplex/pricing_vector.h"
#include "simplex/work_store.h"

namespace enginetest {
namespace {

using namespace tymlp;

// A 3-row problem: structural columns 0..2, slacks 3..5.
ProblemSpec SmallProblem() {
    ProblemSpec p;
    p.rows = 3;
    p.structural = 3;
    p.columns.resize(3);
    p.columns[0].entries = {{0, 2.0}, {1, 1.0}};
    p.columns[1].entries = {{1, 4.0}, {2, -1.0}};
    p.columns[2].entries = {{0, 1.0}, {2, 3.0}};
    p.columns[2].upper = 5.0;
    p.rhs = {4.0, 6.0, 9.0};
    return WithSlacks(p);
}

// Largest |B x_B + N x_N - b| over the rows.
double PrimalResidual(const LpContext* ctx, const ProblemSpec& problem) {
    std::vector<double> r(static_cast<size_t>(problem.rows), 0.0);
    for (size_t j = 0; j < problem.columns.size(); ++j)
        for (auto [row, v] : problem.columns[j].entries) r[static_cast<size_t>(row)] += v * ctx->form.value[j];
    double worst = 0.0;
    for (int32_t i = 0; i < problem.rows; ++i)
        worst = std::max(worst, std::fabs(r[static_cast<size_t>(i)] - ctx->form.rhs[i]));
    return worst;
}

class InvertTest : public EngineTest {
  protected:
    // Adds an objective record for row `row` whose column is `column`.
    ObjectiveRecord* AddObjective(int32_t row, int32_t column, double sense) {
        ObjectiveRecord* rec = add_objective(ctx_, row, sense, nullptr);
        rec->column = column;
        ctx_->model.current_objective = rec;
        return rec;
    }
};

TEST_F(InvertTest, SlackBasisNeedsNoEtasAndHasModulusOne) {
    BuildReady(SmallProblem());
    SetBasis(ctx_, {3, 4, 5});
    ASSERT_EQ(Invert(ctx_), 0);
    EXPECT_EQ(ctx_->inverse.etaCount, 0);
    EXPECT_EQ(ctx_->solver.modulus, 1.0);
    EXPECT_EQ(ctx_->solver.inversions, 1);
    EXPECT_EQ(ctx_->form.value[3], 4.0);
    EXPECT_EQ(ctx_->form.value[4], 6.0);
    EXPECT_EQ(ctx_->form.value[5], 9.0);
}

TEST_F(InvertTest, BasicValuesSolveTheRowsWithNonbasicsAtTheirValues) {
    for (int lu : {kLuMarkowitz, kLuLeftLooking}) {
        SCOPED_TRACE(lu);
        minihost::install();
        Build(SmallProblem());
        ctx_->options.lu = lu;
        ASSERT_EQ(SetUpEngine(ctx_), 0);
        SetBasis(ctx_, {0, 1, 5});
        ctx_->form.value[2] = 5.0;  // nonbasic at its upper bound
        ctx_->form.status[2] |= kStatAtUpper;
        ASSERT_EQ(Invert(ctx_), 0);
        EXPECT_LT(PrimalResidual(ctx_, spec_), 1e-12);
        EXPECT_EQ(ctx_->form.value[2], 5.0);
        DestroyContext(ctx_);
        ctx_ = nullptr;
    }
}

TEST_F(InvertTest, CrashedBasisOfALargerProblemSolvesBothWays) {
    for (int lu : {kLuMarkowitz, kLuLeftLooking}) {
        SCOPED_TRACE(lu);
        minihost::install();
        const ProblemSpec problem = BandProblem(80, 120, 4);
        Build(problem);
        ctx_->options.lu = lu;
        ASSERT_EQ(SetUpEngine(ctx_), 0);
        const std::vector<int32_t> basic = CrashBasis(problem);
        SetBasis(ctx_, basic);
        ASSERT_EQ(Invert(ctx_), 0);
        EXPECT_LT(PrimalResidual(ctx_, problem), 1e-9);
        // FTRAN of a known product returns the known vector.
        std::vector<double> x(80);
        for (int32_t i = 0; i < 80; ++i) x[static_cast<size_t>(i)] = std::sin(i + 1.0);
        std::vector<double> a = BasisTimes(problem, basic, x);
        Solve(ctx_->inverse, a.data(), kSolveForward);
        for (int32_t i = 0; i < 80; ++i) ASSERT_NEAR(a[static_cast<size_t>(i)], x[static_cast<size_t>(i)], 1e-9);
        DestroyContext(ctx_);
        ctx_ = nullptr;
    }
}

TEST_F(InvertTest, GatheringReadsCachedAndUncachedColumnsAlike) {
    const ProblemSpec problem = BandProblem(30, 40, 3);
    BuildReady(problem);
    const std::vector<int32_t> basic = CrashBasis(problem);
    SetBasis(ctx_, basic);
    ASSERT_EQ(Invert(ctx_), 0);
    std::vector<double> uncached(ctx_->form.value, ctx_->form.value + problem.columns.size());
    // Cache half of the basis columns, then invert again.
    for (size_t k = 0; k < basic.size(); k += 2) {
        const double* v = nullptr;
        const int32_t* r = nullptr;
        int32_t c = 0;
        ASSERT_EQ(FetchColumn(ctx_, basic[k], &v, &r, &c), 0);
    }
    ASSERT_EQ(Invert(ctx_), 0);
    for (size_t j = 0; j < uncached.size(); ++j) EXPECT_DOUBLE_EQ(ctx_->form.value[j], uncached[j]);
}

// Columns that are not cached are read in the order of the matrix store
// file, which here runs against the header: each must still land in the
// slots of its own basis position.
TEST_F(InvertTest, UncachedColumnsLandAtTheirBasisPositionsWhateverTheFileOrder) {
    const ProblemSpec problem = BandProblem(40, 60, 4);
    BuildReady(problem);
    std::vector<int32_t> basic = CrashBasis(problem);
    std::reverse(basic.begin(), basic.end());
    SetBasis(ctx_, basic);
    EmptyCache(ctx_);
    ASSERT_EQ(Invert(ctx_), 0);
    EXPECT_LT(PrimalResidual(ctx_, problem), 1e-9);
    std::vector<double> x(40);
    for (int32_t i = 0; i < 40; ++i) x[static_cast<size_t>(i)] = 1.0 + 0.25 * i;
    std::vector<double> a = BasisTimes(problem, basic, x);
    Solve(ctx_->inverse, a.data(), kSolveForward);
    for (int32_t i = 0; i < 40; ++i) ASSERT_NEAR(a[static_cast<size_t>(i)], x[static_cast<size_t>(i)], 1e-9) << i;
}

TEST_F(InvertTest, DualsSatisfyTheTransposedSystem) {
    BuildReady(SmallProblem());
    SetBasis(ctx_, {0, 1, 5});
    AddObjective(2, 5, -1.0);
    ctx_->solver.phase = kPhase2;
    ASSERT_EQ(Invert(ctx_), 0);
    // B^T y = e_2 * sense: column k of B dotted with y.
    const std::vector<int32_t> basic = {0, 1, 5};
    for (size_t k = 0; k < 3; ++k) {
        double dot = 0.0;
        for (auto [r, v] : spec_.columns[static_cast<size_t>(basic[k])].entries) dot += v * ctx_->form.duals[r];
        EXPECT_NEAR(dot, k == 2 ? -1.0 : 0.0, 1e-12);
    }
}

TEST_F(InvertTest, SingularBasisWithoutHistoryGivesOneAndZeroValues) {
    ProblemSpec p = SmallProblem();
    p.columns[1].entries = {{0, 4.0}, {1, 2.0}};  // twice column 0
    BuildReady(p);
    ASSERT_EQ(OpenPivotHistory(ctx_), 0);
    SetBasis(ctx_, {0, 1, 5});
    ctx_->form.value[0] = 3.0;
    EXPECT_EQ(Invert(ctx_), kRunSingular);
    EXPECT_EQ(ctx_->solver.modulus, 0.0);
    for (size_t j = 0; j < p.columns.size(); ++j) EXPECT_EQ(ctx_->form.value[j], 0.0);
    for (int32_t i = 0; i < 3; ++i) EXPECT_EQ(ctx_->form.duals[i], 0.0);
}

TEST_F(InvertTest, SingularBasisIsRepairedByUndoingRecordedExchanges) {
    ProblemSpec p = SmallProblem();
    ColumnSpec twin;
    twin.entries = {{0, 4.0}, {1, 2.0}};  // column 6 = 2 * column 0
    p.columns.push_back(twin);
    BuildReady(p);
    ctx_->options.performance = 1;
    ASSERT_EQ(OpenPivotHistory(ctx_), 0);
    SetBasis(ctx_, {0, 4, 5});
    ASSERT_EQ(Invert(ctx_), 0);
    // Three recorded exchanges; only the last makes the basis singular.
    auto exchange = [&](int32_t entering, int32_t leaving) {
        ASSERT_EQ(RecordPivot(ctx_, entering, leaving), 0);
        SwapIntoBasis(ctx_, HeaderPosition(ctx_, entering), HeaderPosition(ctx_, leaving));
    };
    exchange(1, 4);
    exchange(2, 5);
    exchange(6, 2);  // {0, 1, 6}: 0 and 6 are parallel
    ASSERT_EQ(ctx_->model.pivot_history_count, 3);
    ctx_->solver.leave_ban_count = 0;
    const int inversions = ctx_->solver.inversions;
    ASSERT_EQ(Invert(ctx_), 0);
    EXPECT_EQ(ctx_->solver.inversions - inversions, 2) << "one failed and one repaired inversion";
    EXPECT_EQ(ctx_->form.status[6] & kStatBasic, 0);
    EXPECT_NE(ctx_->form.status[2] & kStatBasic, 0);
    EXPECT_TRUE(IsLeaveBanned(ctx_, 2));
    EXPECT_EQ(ctx_->solver.leave_ban_count, 1);
    EXPECT_EQ(Count(224), 1);
    EXPECT_EQ(ctx_->model.pivot_history_count, 0);
    EXPECT_TRUE(HasNote("NOTE: Singular matrix."));
    EXPECT_LT(PrimalResidual(ctx_, ctx_ == nullptr ? p : spec_), 1e-12);
}

TEST_F(InvertTest, RepairConsumesEveryRecordWhenNeeded) {
    ProblemSpec p = SmallProblem();
    ColumnSpec twin;
    twin.entries = {{0, 4.0}, {1, 2.0}};
    p.columns.push_back(twin);
    BuildReady(p);
    ASSERT_EQ(OpenPivotHistory(ctx_), 0);
    SetBasis(ctx_, {0, 4, 5});
    ASSERT_EQ(Invert(ctx_), 0);
    // Make the basis singular first, then record two harmless exchanges.
    auto exchange = [&](int32_t entering, int32_t leaving) {
        ASSERT_EQ(RecordPivot(ctx_, entering, leaving), 0);
        SwapIntoBasis(ctx_, HeaderPosition(ctx_, entering), HeaderPosition(ctx_, leaving));
    };
    exchange(6, 4);  // {0, 6, 5}: singular from here on
    exchange(1, 5);
    exchange(3, 1);
    const int inversions = ctx_->solver.inversions;
    ASSERT_EQ(Invert(ctx_), 0);
    EXPECT_EQ(ctx_->solver.inversions - inversions, 4) << "at most one nested inversion per record";
    EXPECT_EQ(ctx_->form.status[6] & kStatBasic, 0);
    EXPECT_NE(ctx_->form.status[4] & kStatBasic, 0);
    EXPECT_NE(ctx_->form.status[5] & kStatBasic, 0);
    EXPECT_EQ(Count(224), 3);
}

TEST_F(InvertTest, LeaveBanListHoldsAtMostFifty) {
    BuildReady(SmallProblem());
    for (int32_t j = 0; j < 60; ++j) AddLeaveBan(ctx_, j);
    EXPECT_EQ(ctx_->solver.leave_ban_count, kLeaveBanMax);
    EXPECT_TRUE(IsLeaveBanned(ctx_, 49));
    EXPECT_FALSE(IsLeaveBanned(ctx_, 50));
    ClearLeaveBans(ctx_);
    EXPECT_FALSE(IsLeaveBanned(ctx_, 0));
}

TEST_F(InvertTest, StoreSizingFollowsTheCompressionsOfThePeriod) {
    const ProblemSpec problem = BandProblem(30, 40, 3);
    BuildReady(problem);
    ctx_->options.performance = 1;
    ctx_->model.coef_count = 0;  // no fill estimate
    SetBasis(ctx_, CrashBasis(problem));
    ASSERT_EQ(Invert(ctx_), 0);
    InverseStore& s = ctx_->inverse;
    const int32_t start = s.capacity;

    // INCREASE: 5 compressions over 2 updates: factor min(5/2 + 1, 1.75).
    s.compressions = 5;
    ctx_->solver.updates_since_inversion = 2;
    ASSERT_EQ(Invert(ctx_), 0);
    EXPECT_EQ(s.capacity, static_cast<int32_t>(1.75 * start));
    EXPECT_TRUE(HasNote("NOTE: INCREASE memory for inverse store."));

    // With no update at all the factor is 1.0, but the line is still written.
    host_->notes.clear();
    const int32_t same = s.capacity;
    s.compressions = 4;
    ctx_->solver.updates_since_inversion = 0;
    ASSERT_EQ(Invert(ctx_), 0);
    EXPECT_EQ(s.capacity, same);
    EXPECT_TRUE(HasNote("NOTE: INCREASE memory for inverse store."));

    // DECREASE: compressions rare against the updates.
    s.compressions = 1;
    ctx_->solver.updates_since_inversion = 100;
    ASSERT_EQ(Invert(ctx_), 0);
    EXPECT_EQ(s.capacity, static_cast<int32_t>(0.95 * same));
    EXPECT_TRUE(HasNote("NOTE: DECREASE memory for inverse store."));

    // The inverse store adopts the bottom of the block.
    const WorkStore& w = ctx_->engine.store;
    EXPECT_EQ(w.inverse_bytes_available, w.block_bytes - 16 * static_cast<int64_t>(s.capacity) - w.reserve);
    EXPECT_EQ(w.cache_floor, w.base + 16 * static_cast<int64_t>(s.capacity));
}

TEST_F(InvertTest, PerformanceNotesReadAsSpecified) {
    BuildReady(SmallProblem());
    ctx_->options.performance = 1;
    SetBasis(ctx_, {3, 4, 5});
    ASSERT_EQ(Invert(ctx_), 0);
    const WorkStore& w = ctx_->engine.store;
    const std::string end = "NOTE: End inversion   -- workmem=" + std::to_string(w.block_bytes) +
                            " aalloc=" + std::to_string(ctx_->inverse.capacity) +
                            " balloc=" + std::to_string(w.inverse_bytes_available) + " modulus=1";
    EXPECT_TRUE(HasNote(end)) << end;
    bool start_found = false;
    for (const auto& n : host_->notes)
        start_found = start_found || (n.rfind("NOTE: Start inversion -- workmem=", 0) == 0 && n.back() == ' ');
    EXPECT_TRUE(start_found);
}

TEST_F(InvertTest, UnstableModulusIsReportedNinetyNineTimesThenOnce) {
    BuildReady(SmallProblem());
    ctx_->options.epsilon = 1e-30;  // every modulus counts as unstable
    SetBasis(ctx_, {3, 4, 5});
    ctx_->solver.unstable_count = 97;
    for (int k = 0; k < 5; ++k) ASSERT_EQ(Invert(ctx_), 0);
    EXPECT_EQ(Count(202), 2);  // the 98th and 99th
    EXPECT_EQ(Count(244), 1);  // the 100th
    EXPECT_EQ(ctx_->solver.unstable_count, 102);
}

}  // namespace
}  // namespace enginetest
