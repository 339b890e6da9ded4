// dual_path_test.cpp -- the dual simplex path (ALGORITHM=DUAL) on small
// problems through solve_combination, each case named after the fault it
// pins, and the path's updated quantities checked against the same
// quantities computed from scratch after every iteration.
#include <cmath>
#include <string>
#include <vector>

#include "../simplex/lp_fixture.h"
#include "dual/dual_internal.h"
#include "dual/dual_path.h"
#include "factor/factor_entries.h"
#include "simplex/invert.h"
#include "simplex/phases.h"
#include "simplex/primal_values.h"

namespace lptest {
namespace {

using tymlp::kRunInfeasible;
using tymlp::kRunMaxIter;
using tymlp::kRunOk;
using tymlp::kRunUnbounded;

constexpr double kTol = 1e-7;

// A band of m rows with three entries per column; 'G' rows every third row
// make the slack basis primal infeasible.
Lp Band(int m, double sense) {
    Lp lp;
    const int k = 2 * m;
    lp.a.assign(m, std::vector<double>(k, 0.0));
    for (int j = 0; j < k; ++j)
        for (int t = 0; t < 3; ++t) lp.a[(j + 7 * t) % m][j] = 1.0 + ((j * 13 + t * 5) % 7);
    lp.kind.assign(m, 'L');
    lp.rhs.assign(m, 100.0);
    for (int i = 0; i < m; i += 3) lp.kind[i] = 'G', lp.rhs[i] = 10.0;
    for (int j = 0; j < k; ++j) lp.c.push_back(1.0 + (j * 17 % 11));
    lp.sense = sense;
    return lp;
}

struct Named {
    const char* name;
    Lp lp;
};

// Every row type and every kind of bound, minimised and maximised.
std::vector<Named> Shapes() {
    std::vector<Named> out;
    Lp mix;  // max 3x + 2y + 4z over three <= rows
    mix.a = {{1, 1, 2}, {2, 0, 1}, {1, 3, 1}};
    mix.kind = {'L', 'L', 'L'};
    mix.rhs = {4, 5, 7};
    mix.c = {3, 2, 4};
    out.push_back({"product mix", mix});

    Lp ge;  // min x + y over >= rows: dual feasible at the start
    ge.a = {{1, 2}, {3, 1}};
    ge.kind = {'G', 'G'};
    ge.rhs = {4, 6};
    ge.c = {1, 1};
    ge.sense = -1.0;
    out.push_back({">= rows", ge});

    Lp eq;  // equalities with artificial columns, one column boxed
    eq.a = {{1, 1, 1}, {1, -1, 0}};
    eq.kind = {'E', 'E'};
    eq.rhs = {3, 1};
    eq.c = {1, 1, 0};
    eq.up = {kInf, kInf, 10};
    out.push_back({"equalities", eq});

    Lp range;  // a range row and a negative lower bound
    range.a = {{1, 1, 0}, {1, -1, 1}};
    range.kind = {'L', 'G'};
    range.rhs = {6, -2};
    range.range = {4, 0};
    range.c = {1, 2, -1};
    range.lo = {-3, 0, 0};
    range.up = {kInf, 5, 4};
    range.sense = -1.0;
    out.push_back({"range and negative bound", range});

    Lp free_col;  // a free column (a column with only an upper bound is left
                  // to the programs: the fixture's basis puts it at -infinity)
    free_col.a = {{1, 1, 1}, {1, -1, 0}, {0, 1, -1}};
    free_col.kind = {'L', 'L', 'G'};
    free_col.rhs = {10, 2, -4};
    free_col.c = {2, 1, 1};
    free_col.lo = {-kInf, 0, -5};
    free_col.up = {kInf, 6, 3};
    out.push_back({"free column", free_col});

    out.push_back({"band, minimised", Band(24, -1.0)});
    out.push_back({"band, maximised", Band(24, 1.0)});
    return out;
}

class DualPathTest : public LpTest {
  protected:
    // Solves `lp` with the given ALGORITHM value; returns the run status.
    int SolveWith(const Lp& lp, int16_t algorithm) {
        TearDown();
        SetUp();
        Build(lp);
        ctx_->options.algorithm = algorithm;
        ctx_->options.maxit1 = ctx_->options.maxit2 = ctx_->options.maxit3 = 100000;
        EXPECT_EQ(Solve(), -1);
        return Status();
    }
};

TEST_F(DualPathTest, ReachesThePrimalPhasesOptimumOnEveryRowAndBoundType) {
    for (const Named& shape : Shapes()) {
        SCOPED_TRACE(shape.name);
        ASSERT_EQ(SolveWith(shape.lp, tymlp::kAlgorithmPrimal), kRunOk);
        const double primal = Objective();
        ASSERT_EQ(SolveWith(shape.lp, tymlp::kAlgorithmDual), kRunOk) << Macro();
        EXPECT_NEAR(Objective(), primal, 1e-7 * std::fmax(1.0, std::fabs(primal)));
        EXPECT_NE(Macro().find("STATUS=SUCCESSFUL"), std::string::npos) << Macro();
        EXPECT_GT(ctx_->solver.iterations[0] + ctx_->solver.iterations[2], 0) << "the dual path did no work";
    }
}

TEST_F(DualPathTest, AutomaticChoiceTakesTheDualPathWithoutAStartingBasis) {
    ASSERT_EQ(SolveWith(Band(24, -1.0), tymlp::kAlgorithmAuto), kRunOk);
    EXPECT_GT(ctx_->solver.iterations[2], 0);
    EXPECT_EQ(ctx_->solver.iterations[1], 0);
}

TEST_F(DualPathTest, RowRepairedExactlyByFlipsIsNotInfeasible) {
    // min x + y, x + y >= 2, both in [0, 1]: the two flips use up the row's
    // infeasibility exactly, so a column must enter; the row proves nothing.
    Lp lp;
    lp.a = {{1, 1}};
    lp.kind = {'G'};
    lp.rhs = {2};
    lp.c = {1, 1};
    lp.up = {1, 1};
    lp.sense = -1.0;
    ASSERT_EQ(SolveWith(lp, tymlp::kAlgorithmDual), kRunOk) << Macro();
    EXPECT_NEAR(Objective(), 2.0, kTol);
}

TEST_F(DualPathTest, RowThatNoFlipCanRepairEndsInfeasible) {
    // x + y >= 2.5 with both in [0, 1]; and x + y >= 5 with x + y <= 3.
    Lp boxed;
    boxed.a = {{1, 1}};
    boxed.kind = {'G'};
    boxed.rhs = {2.5};
    boxed.c = {1, 1};
    boxed.up = {1, 1};
    boxed.sense = -1.0;
    EXPECT_EQ(SolveWith(boxed, tymlp::kAlgorithmDual), kRunInfeasible) << Macro();
    EXPECT_NE(Macro().find("STATUS=INFEASIBLE"), std::string::npos) << Macro();
    Lp rows;
    rows.a = {{1, 1}, {1, 1}};
    rows.kind = {'G', 'L'};
    rows.rhs = {5, 3};
    rows.c = {1, 2};
    EXPECT_EQ(SolveWith(rows, tymlp::kAlgorithmDual), kRunInfeasible) << Macro();
    EXPECT_NE(Macro().find("P_FEAS=NO"), std::string::npos) << Macro();
}

TEST_F(DualPathTest, UnboundedProblemIsNotCalledOptimal) {
    // max x + y, x - y <= 1: the cost shifts hide the ray until they come off.
    Lp lp;
    lp.a = {{1, -1}};
    lp.kind = {'L'};
    lp.rhs = {1};
    lp.c = {1, 1};
    EXPECT_EQ(SolveWith(lp, tymlp::kAlgorithmDual), kRunUnbounded) << Macro();
}

TEST_F(DualPathTest, IterationLimitStopsThePathWithoutAnOptimum) {
    TearDown();
    SetUp();
    Build(Band(30, -1.0));
    ctx_->options.algorithm = tymlp::kAlgorithmDual;
    ctx_->options.maxit1 = ctx_->options.maxit2 = 100000;
    ctx_->options.maxit3 = 2;
    EXPECT_EQ(Solve(), -1);
    EXPECT_EQ(Status(), kRunMaxIter);
    EXPECT_EQ(ctx_->solver.iterations[2], 2);
    EXPECT_EQ(Macro().find("STATUS=SUCCESSFUL"), std::string::npos) << Macro();
}

// Every row >= a right-hand side that varies, so that structural columns
// that entered leave again (their leaving bounds the weights differently
// from a unit logical column's).
Lp CoveringBand(int m) {
    Lp lp = Band(m, -1.0);
    for (int i = 0; i < m; ++i) lp.kind[static_cast<size_t>(i)] = 'G', lp.rhs[static_cast<size_t>(i)] = 10.0 + (i * 37 % 11) * 9.0;
    for (size_t j = 0; j < lp.c.size(); ++j) lp.c[j] = 1.0 + static_cast<double>(j * 29 % 13);
    return lp;
}

// One dual iteration at a time (a pivot allowance of one), and after each:
// the steepest-edge weights against ||e_r' B^-1||^2, the reduced costs
// against a recomputation on fresh factors, the basic values against a
// solve from the nonbasic ones.
class DualPathUpdates : public DualPathTest, public ::testing::WithParamInterface<int> {
  protected:
    // The heap of infeasible rows, kept from the positions each iteration
    // changed, against every row scored afresh: the same rows in it, each
    // with its current score, and the same best row as a scan of all rows
    // (the lowest position among equal scores).
    void ExpectLeavingHeapMatchesAScan(int32_t step) {
        using namespace tymlp;
        const DualPathState& ds = ctx_->dual;
        const ComputationalForm& f = ctx_->form;
        ASSERT_EQ(ds.heap_valid, 1) << "step " << step;
        const double tol = DualPrimalTolerance(ctx_);
        int32_t best = -1, listed = 0;
        double best_score = 0.0;
        for (int32_t i = 0; i < ctx_->model.rows; ++i) {
            const int32_t j = f.header[i];
            const double x = f.value[j];
            const double v = x < f.lower[j] - tol ? f.lower[j] - x : x > f.upper[j] + tol ? x - f.upper[j] : 0.0;
            const double score = v * v / ds.weight[i];
            if (score > 0.0) {
                ++listed;
                ASSERT_GE(ds.heap_at[i], 0) << "infeasible row " << i << " missing, step " << step;
                ASSERT_EQ(ds.heap[ds.heap_at[i]], i);
                ASSERT_EQ(ds.score[i], score) << "row " << i << " kept a stale score, step " << step;
            } else {
                ASSERT_EQ(ds.heap_at[i], -1) << "feasible row " << i << " still listed, step " << step;
            }
            if (score > best_score) best_score = score, best = i;
        }
        EXPECT_EQ(ds.heap_size, listed);
        EXPECT_EQ(ChooseLeavingRow(ctx_), best) << "step " << step;
        // The in-place exchanges keep the header a permutation whose basic
        // part holds exactly the columns marked basic.
        std::vector<int> seen(static_cast<size_t>(ctx_->model.columns), 0);
        for (int32_t h = 0; h < ctx_->model.columns; ++h) {
            const int32_t j = f.header[h];
            ASSERT_EQ(seen[static_cast<size_t>(j)]++, 0) << "column " << j << " twice in the header, step " << step;
            EXPECT_EQ((f.status[j] & kStatBasic) != 0, h < ctx_->model.rows) << "column " << j << ", step " << step;
        }
    }
};

TEST_P(DualPathUpdates, WeightsReducedCostsAndValuesMatchAFreshComputation) {
    using namespace tymlp;
    Build(GetParam() == 0 ? Band(30, -1.0) : CoveringBand(30));
    ASSERT_EQ(enginetest::SetUpEngine(ctx_), 0);
    ASSERT_EQ(OpenPivotHistory(ctx_), 0);
    ctx_->options.invfreq = 1000;  // updates all the way: nothing is refreshed behind the check
    ctx_->model.current_objective = ctx_->model.objectives->next;
    ASSERT_EQ(Invert(ctx_), 0);
    ASSERT_EQ(RecomputePrimal(ctx_), 0);
    ASSERT_EQ(DualPathPrepare(ctx_), kRunOk);
    ASSERT_EQ(DualInfeasibleUnboxed(ctx_), 0);  // positive costs, minimised
    ASSERT_EQ(DualPathStart(ctx_, false), kRunOk);
    EnterPhase(ctx_, kPhase3, true);
    ctx_->options.maxit3 = 100000;
    const int32_t m = ctx_->model.rows;
    const int32_t n = ctx_->model.columns;
    DualPathState& ds = ctx_->dual;
    std::vector<double> rho(static_cast<size_t>(m));
    int code = kStopPivots;
    int32_t steps = 0, structural_left = 0;
    while (code == kStopPivots && steps < 200) {
        ctx_->solver.pivot_allowance = 1;
        code = DualSimplexPhase(ctx_);
        ++steps;
        if (code == kStopPivots && ctx_->solver.leaving < ctx_->model.structural_count) ++structural_left;
        if (code == kStopPivots) ExpectLeavingHeapMatchesAScan(steps);
        const std::vector<double> weight(ds.weight, ds.weight + m);
        const std::vector<double> reduced(ds.reduced, ds.reduced + n);
        const std::vector<double> value(ctx_->form.value, ctx_->form.value + n);
        ASSERT_EQ(Invert(ctx_), 0);
        ASSERT_EQ(ComputeReducedCosts(ctx_), kRunOk);
        for (int32_t r = 0; r < m; ++r) {
            std::fill(rho.begin(), rho.end(), 0.0);
            rho[static_cast<size_t>(r)] = 1.0;
            ctx_->entries.factor->btran(ctx_->inverse, rho.data());
            double exact = 0.0;
            for (double v : rho) exact += v * v;
            ASSERT_NEAR(weight[static_cast<size_t>(r)], exact, 1e-8 * std::fmax(1.0, exact))
                << "weight of row " << r << " after iteration " << steps;
        }
        for (int32_t j = 0; j < n; ++j) {
            ASSERT_NEAR(reduced[static_cast<size_t>(j)], ds.reduced[j], 1e-8) << "column " << j << ", step " << steps;
            ASSERT_NEAR(value[static_cast<size_t>(j)], ctx_->form.value[j], 1e-8) << "column " << j << ", step " << steps;
        }
    }
    EXPECT_EQ(code, kStopFinished);
    EXPECT_GT(steps, 3);
    if (GetParam() == 1) { EXPECT_GT(structural_left, 0) << "no structural column left the basis: the case tests nothing"; }
}
INSTANTIATE_TEST_SUITE_P(Problems, DualPathUpdates, ::testing::Values(0, 1));

}  // namespace
}  // namespace lptest
