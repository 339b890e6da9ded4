// phases_test.cpp -- small problems, each named after the fault it pins,
// solved through solve_combination on the mini host.
#include <cmath>

#include "lp_fixture.h"
#include "simplex/invert.h"
#include "simplex/phases.h"

namespace lptest {
namespace {

using tymlp::kRunInfeasible;
using tymlp::kRunMaxIter;
using tymlp::kRunMaxTime;
using tymlp::kRunOk;
using tymlp::kRunUnbounded;

constexpr double kTol = 1e-7;
constexpr int kMsgTimeLimit = 58;
constexpr int kMsgIterationLimit = 61;
constexpr int kMsgSingularStart = 189;

// max 3x + 2y + 4z, x + y + 2z <= 4, 2x + z <= 5, x + 3y + z <= 7: optimum
// 10.5 at (2.5, 1.5, 0) (duals 2, 0.5, 0), away from the slack basis.
Lp ProductMix() {
    Lp lp;
    lp.a = {{1, 1, 2}, {2, 0, 1}, {1, 3, 1}};
    lp.kind = {'L', 'L', 'L'};
    lp.rhs = {4, 5, 7};
    lp.c = {3, 2, 4};
    return lp;
}

// A band of m rows with three entries per column: many iterations.
Lp Band(int m) {
    Lp lp;
    const int k = 2 * m;
    lp.a.assign(m, std::vector<double>(k, 0.0));
    for (int j = 0; j < k; ++j)
        for (int t = 0; t < 3; ++t) lp.a[(j + 7 * t) % m][j] = 1.0 + ((j * 13 + t * 5) % 7);
    lp.kind.assign(m, 'L');
    lp.rhs.assign(m, 100.0);
    for (int i = 0; i < m; i += 3) lp.kind[i] = 'G', lp.rhs[i] = 10.0;
    for (int j = 0; j < k; ++j) lp.c.push_back(1.0 + (j * 17 % 11));
    return lp;
}

TEST_F(LpTest, PhaseTwoReachesTheOptimumOfAProductMix) {
    Build(ProductMix());
    EXPECT_EQ(Solve(), -1);
    EXPECT_EQ(Status(), kRunOk);
    EXPECT_NEAR(Objective(), 10.5, kTol);
    EXPECT_NEAR(X(0), 2.5, kTol);
    EXPECT_NEAR(X(1), 1.5, kTol);
    EXPECT_NEAR(X(2), 0.0, kTol);
    EXPECT_NE(Macro().find("STATUS=SUCCESSFUL"), std::string::npos) << Macro();
}

TEST_F(LpTest, EveryPricingRuleReachesTheSameOptimum) {
    for (int type = 0; type <= 4; ++type) {
        for (int devex = 0; devex <= 1; ++devex) {
            for (int sparse = 0; sparse <= 1; ++sparse) {
                SCOPED_TRACE("pricetype " + std::to_string(type) + " devex " + std::to_string(devex) + " sparse " +
                             std::to_string(sparse));
                TearDown();
                SetUp();
                Build(Band(30));
                ctx_->options.pricetype = static_cast<int16_t>(type);
                ctx_->options.price = type >= 1 && type <= 3 ? 10 : 0;
                ctx_->options.devex = static_cast<int16_t>(devex);
                ctx_->options.sparsepricing = static_cast<uint8_t>(sparse);
                ctx_->options.maxit1 = ctx_->options.maxit2 = 100000;
                EXPECT_EQ(Solve(), -1);
                EXPECT_EQ(Status(), kRunOk);
                static double reference = 0.0;
                if (type == 0 && devex == 0 && sparse == 0)
                    reference = Objective();
                else
                    EXPECT_NEAR(Objective(), reference, 1e-6 * std::fabs(reference));
            }
        }
    }
}

TEST_F(LpTest, GreaterOrEqualRowsNeedPhaseOne) {
    // min x + y, x + 2y >= 4, 3x + y >= 6: optimum 2.8 at (1.6, 1.2).
    Lp lp;
    lp.a = {{1, 2}, {3, 1}};
    lp.kind = {'G', 'G'};
    lp.rhs = {4, 6};
    lp.c = {1, 1};
    lp.sense = -1.0;
    Build(lp);
    EXPECT_EQ(Solve(), -1);
    EXPECT_EQ(Status(), kRunOk);
    EXPECT_NEAR(Objective(), 2.8, kTol);
    EXPECT_GT(ctx_->solver.iterations[0], 0);
}

TEST_F(LpTest, EqualityRowsDriveTheirArtificialColumnsOut) {
    // max x + y, x + y + z = 3, x - y = 1, z <= 10: optimum 3 with z = 0.
    Lp lp;
    lp.a = {{1, 1, 1}, {1, -1, 0}};
    lp.kind = {'E', 'E'};
    lp.rhs = {3, 1};
    lp.c = {1, 1, 0};
    lp.up = {kInf, kInf, 10};
    Build(lp);
    EXPECT_EQ(Solve(), -1);
    EXPECT_EQ(Status(), kRunOk);
    EXPECT_NEAR(Objective(), 3.0, kTol);
    EXPECT_NEAR(X(0) - X(1), 1.0, kTol);
}

TEST_F(LpTest, DegenerateCyclingExampleTerminates) {
    // A classic example on which the largest-coefficient rule cycles without
    // precautions: every vertex of the first steps is degenerate.
    // max 0.75x1 - 20x2 + 0.5x3 - 6x4 with three rows; optimum 1.25 at
    // x = (1, 0, 1, 0).
    Lp lp;
    lp.a = {{0.25, -8, -1, 9}, {0.5, -12, -0.5, 3}, {0, 0, 1, 0}};
    lp.kind = {'L', 'L', 'L'};
    lp.rhs = {0, 0, 1};
    lp.c = {0.75, -20, 0.5, -6};
    for (int bland = 0; bland <= 1; ++bland) {
        SCOPED_TRACE("blandsrule " + std::to_string(bland));
        TearDown();
        SetUp();
        Build(lp);
        ctx_->options.pricetype = 0;
        ctx_->options.devex = 0;
        ctx_->options.blandsrule = static_cast<uint8_t>(bland);
        EXPECT_EQ(Solve(), -1);
        EXPECT_EQ(Status(), kRunOk);
        EXPECT_NEAR(Objective(), 1.25, kTol);
    }
}

TEST_F(LpTest, UnboundedDirectionEndsWithUnbounded) {
    // max x + y, x - y <= 1: y grows without limit.
    Lp lp;
    lp.a = {{1, -1}};
    lp.kind = {'L'};
    lp.rhs = {1};
    lp.c = {1, 1};
    Build(lp);
    EXPECT_EQ(Solve(), -1);
    EXPECT_EQ(Status(), kRunUnbounded);
    EXPECT_NE(Macro().find("STATUS=UNBOUNDED"), std::string::npos) << Macro();
}

TEST_F(LpTest, InfeasibleRowsEndWithInfeasible) {
    // x + y >= 5 and x + y <= 3 cannot both hold.
    Lp lp;
    lp.a = {{1, 1}, {1, 1}};
    lp.kind = {'G', 'L'};
    lp.rhs = {5, 3};
    lp.c = {1, 2};
    Build(lp);
    EXPECT_EQ(Solve(), -1);
    EXPECT_EQ(Status(), kRunInfeasible);
    EXPECT_NE(Macro().find("STATUS=INFEASIBLE"), std::string::npos) << Macro();
    EXPECT_NE(Macro().find("P_FEAS=NO"), std::string::npos) << Macro();
}

TEST_F(LpTest, FreeRowDoesNotConstrain) {
    // The free row x + y <= 1 (as written) must not bind: optimum 8 at x = 4.
    Lp lp;
    lp.a = {{1, 1}, {1, 0}, {0, 1}};
    lp.kind = {'F', 'L', 'L'};
    lp.rhs = {1, 4, 0};
    lp.c = {2, 1};
    Build(lp);
    EXPECT_EQ(Solve(), -1);
    EXPECT_EQ(Status(), kRunOk);
    EXPECT_NEAR(Objective(), 8.0, kTol);
}

TEST_F(LpTest, RangeRowHoldsBothEnds) {
    // 2 <= x + y <= 6 as an 'L' row with range 4: max x + y gives 6, min 2.
    Lp lp;
    lp.a = {{1, 1}};
    lp.kind = {'L'};
    lp.rhs = {6};
    lp.range = {4};
    lp.c = {1, 1};
    Build(lp);
    EXPECT_EQ(Solve(), -1);
    EXPECT_NEAR(Objective(), 6.0, kTol);
    TearDown();
    SetUp();
    lp.sense = -1.0;
    Build(lp);
    EXPECT_EQ(Solve(), -1);
    EXPECT_EQ(Status(), kRunOk);
    EXPECT_NEAR(Objective(), 2.0, kTol);
}

TEST_F(LpTest, FixedColumnKeepsItsValue) {
    // x fixed at 2; max x + y, x + y <= 10, y <= 5 (bound): 7.
    Lp lp;
    lp.a = {{1, 1}};
    lp.kind = {'L'};
    lp.rhs = {10};
    lp.c = {1, 1};
    lp.lo = {2, 0};
    lp.up = {2, 5};
    Build(lp);
    EXPECT_EQ(Solve(), -1);
    EXPECT_EQ(Status(), kRunOk);
    EXPECT_NEAR(Objective(), 7.0, kTol);
    EXPECT_NEAR(X(0), 2.0, kTol);
}

TEST_F(LpTest, BoundFlipTakesTheEnteringColumnToItsOtherBound) {
    // x <= 1 is nearer than the row: x flips to its upper bound without an
    // exchange; max x + y, x + 2y <= 10: optimum 1 + 4.5 = 5.5.
    Lp lp;
    lp.a = {{1, 2}};
    lp.kind = {'L'};
    lp.rhs = {10};
    lp.c = {1, 1};
    lp.up = {1, kInf};
    Build(lp);
    ctx_->options.pricetype = 0;
    ctx_->options.devex = 0;
    EXPECT_EQ(Solve(), -1);
    EXPECT_EQ(Status(), kRunOk);
    EXPECT_NEAR(Objective(), 5.5, kTol);
    EXPECT_NEAR(X(0), 1.0, kTol);
    EXPECT_NE(ctx_->form.status[0] & tymlp::kStatAtUpper, 0);
}

TEST_F(LpTest, MaxitOneZeroStopsPhaseOneAfterItsFirstIteration) {
    Lp lp;
    lp.a = {{1, 2}, {3, 1}};
    lp.kind = {'G', 'G'};
    lp.rhs = {4, 6};
    lp.c = {1, 1};
    lp.sense = -1.0;
    Build(lp);
    ctx_->options.maxit1 = 0;
    EXPECT_EQ(Solve(), -1);
    EXPECT_EQ(Status(), kRunMaxIter);
    EXPECT_EQ(ctx_->solver.iterations[0], 1);
    EXPECT_TRUE(Has(kMsgIterationLimit));
    EXPECT_NE(Macro().find("STATUS=MAX_ITER"), std::string::npos) << Macro();
}

TEST_F(LpTest, TimeZeroStopsWithTheTimeLimit) {
    // Large enough that the whole solve cannot finish within the clock's
    // first millisecond, after which TIME=0 is exceeded.
    Build(Band(400));
    ctx_->options.time = 0.0;
    ctx_->options.maxit1 = ctx_->options.maxit2 = 1000000;
    ctx_->options.pricetype = 0;  // full pricing: every iteration costs time
    EXPECT_EQ(Solve(), -1);
    EXPECT_EQ(Status(), kRunMaxTime);
    EXPECT_TRUE(Has(kMsgTimeLimit));
    EXPECT_NE(Macro().find("STATUS=MAX_TIME"), std::string::npos) << Macro();
}

TEST_F(LpTest, RefactorisingEveryIterationGivesTheSameOptimum) {
    Build(Band(30));
    ctx_->options.maxit1 = ctx_->options.maxit2 = 100000;
    EXPECT_EQ(Solve(), -1);
    const double reference = Objective();
    TearDown();
    SetUp();
    Build(Band(30));
    ctx_->options.invfreq = 1;
    ctx_->options.maxit1 = ctx_->options.maxit2 = 100000;
    EXPECT_EQ(Solve(), -1);
    EXPECT_EQ(Status(), kRunOk);
    EXPECT_NEAR(Objective(), reference, 1e-9 * std::fabs(reference));
}

TEST_F(LpTest, SingularStartingBasisEndsTheRunWithBadData) {
    // Two equal columns both basic: the starting basis cannot be factorised.
    Lp lp;
    lp.a = {{1, 1}, {1, 1}};
    lp.kind = {'L', 'L'};
    lp.rhs = {4, 4};
    lp.c = {1, 1};
    Build(lp);
    std::vector<int32_t> basic = {2, 3, 0, 1};
    enginetest::SetBasis(ctx_, basic);
    EXPECT_EQ(Solve(), tymlp::kEndBadData);
    EXPECT_TRUE(Has(kMsgSingularStart));
    EXPECT_NE(Macro().find("STATUS=BADDATA_ERROR"), std::string::npos) << Macro();
}

TEST_F(LpTest, DualPhaseRestoresFeasibilityAfterARightHandSideChange) {
    // Solve, then tighten a row: the optimal basis stays dual feasible and
    // the dual phase takes it to the new optimum.
    Build(ProductMix());
    EXPECT_EQ(Solve(), -1);
    ASSERT_EQ(Status(), kRunOk);
    ctx_->form.rhs[2] = 2.0;  // x + y + 2z <= 2
    ASSERT_EQ(tymlp::Invert(ctx_), 0);
    tymlp::EnterPhase(ctx_, tymlp::kPhase3, true);
    ctx_->solver.run_status = kRunOk;
    EXPECT_EQ(tymlp::RunPhase(ctx_, tymlp::DualPhase), 0);
    ASSERT_EQ(tymlp::Invert(ctx_), 0);
    // max 3x + 2y + 4z with x + y + 2z <= 2, 2x + z <= 5, x + 3y + z <= 7: 6 at x = 2.
    EXPECT_NEAR(Objective(), 6.0, kTol);
    EXPECT_GT(ctx_->solver.iterations[2], 0);
}

}  // namespace
}  // namespace lptest
