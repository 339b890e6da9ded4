// A small basis decided in exact arithmetic: violations far below every
// floating-point tolerance are found, exact zeros are not mistaken for
// them, and bases too large to decide are left alone.
#include <cmath>

#include "base/run_codes.h"
#include "lp_fixture.h"
#include "simplex/exact_basis.h"
#include "simplex/invert.h"
#include "simplex/primal_values.h"

namespace lptest {
namespace {

using namespace tymlp;

class ExactBasisTest : public LpTest {
  protected:
    // Builds `lp` with the two objective columns and `basic` (one column
    // per constraint row) as the basis, its values solved for.
    void Factorise(const Lp& lp, std::vector<int32_t> basic) {
        Build(lp);
        ASSERT_EQ(enginetest::SetUpEngine(ctx_), 0);
        const int32_t k = static_cast<int32_t>(lp.c.size());
        basic.insert(basic.begin(), {k, k + 1});
        enginetest::SetBasis(ctx_, basic);
        ctx_->model.current_objective = ctx_->model.objectives->next;
        ASSERT_EQ(Invert(ctx_), 0);
        ASSERT_EQ(RecomputePrimal(ctx_), 0);
    }
    static int32_t Logical(const Lp& lp, int32_t i) { return static_cast<int32_t>(lp.c.size()) + 2 + i; }
    ExactBasisCheck Check(bool duals = true) {
        ExactBasisCheck check;
        EXPECT_EQ(CheckBasisExactly(ctx_, duals, &check), kRunOk);
        return check;
    }
};

// x + y = 1 and (1 + t) x + y = 1 + s t, t = 2^-30: x = s exactly.  With
// s = -2^-20 the basis is infeasible by 1e-6 in x, and by 1e-15 in the rows
// at the projected point: below the floating-point check, not below this.
TEST_F(ExactBasisTest, FindsAViolationBelowEveryTolerance) {
    const double t = std::ldexp(1.0, -30), s = std::ldexp(1.0, -20);
    Lp lp;
    lp.a = {{1.0, 1.0}, {1.0 + t, 1.0}};
    lp.kind = {'E', 'E'};
    lp.rhs = {1.0, 1.0 - s * t};
    lp.c = {1.0, 1.0};
    Factorise(lp, {0, 1});
    ExactBasisCheck check = Check();
    ASSERT_TRUE(check.decided);
    EXPECT_FALSE(check.primal_feasible);
    EXPECT_EQ(check.column, 0);
    EXPECT_NEAR(check.outside, s, 1e-9 * s);
    // The values the solve goes on from are the nearest doubles of the
    // exact ones.
    EXPECT_EQ(X(0), -s);
    EXPECT_EQ(X(1), 1.0 + s);

    lp.rhs[1] = 1.0 + s * t;
    enginetest::DestroyContext(ctx_);
    Factorise(lp, {0, 1});
    check = Check();
    ASSERT_TRUE(check.decided);
    EXPECT_TRUE(check.primal_feasible);
    EXPECT_TRUE(check.dual_feasible);  // nothing nonbasic can enter
}

// 3x + y = 1 and x + 3y = 3 put x exactly on its bound 0.
TEST_F(ExactBasisTest, AnExactZeroIsNoViolation) {
    Lp lp;
    lp.a = {{3.0, 1.0}, {1.0, 3.0}};
    lp.kind = {'E', 'E'};
    lp.rhs = {1.0, 3.0};
    lp.c = {1.0, 0.0};
    Factorise(lp, {0, 1});
    const ExactBasisCheck check = Check();
    ASSERT_TRUE(check.decided);
    EXPECT_TRUE(check.primal_feasible);
    EXPECT_TRUE(check.dual_feasible);
}

// max x + (1 + e) y with x + y <= 1 from the basis with x: y's price is e
// exactly, attractive however small; with 1 - e it is not.
TEST_F(ExactBasisTest, FindsAnAttractivePriceOfOneUnitInTheLastPlace) {
    const double e = std::ldexp(1.0, -52);
    Lp lp;
    lp.a = {{1.0, 1.0}};
    lp.kind = {'L'};
    lp.rhs = {1.0};
    lp.c = {1.0, 1.0 + e};
    lp.sense = 1.0;
    Factorise(lp, {0});
    ExactBasisCheck check = Check();
    ASSERT_TRUE(check.decided);
    EXPECT_TRUE(check.primal_feasible);
    EXPECT_FALSE(check.dual_feasible);
    EXPECT_EQ(check.column, 1);
    EXPECT_NEAR(check.price, e, 1e-3 * e);
    // Without the duals asked for, only the values are decided.
    check = Check(false);
    EXPECT_TRUE(check.decided && check.dual_feasible);

    lp.c[1] = 1.0 - e;
    enginetest::DestroyContext(ctx_);
    Factorise(lp, {0});
    check = Check();
    ASSERT_TRUE(check.decided);
    EXPECT_TRUE(check.dual_feasible);
}

// The basis means its nonbasic columns on their bounds: a value the phases
// left off a bound does not make an infeasible basis feasible.
TEST_F(ExactBasisTest, NonbasicColumnsCountOnTheirBounds) {
    Lp lp;
    lp.a = {{1.0, 1.0}};
    lp.kind = {'G'};
    lp.rhs = {1.0};
    lp.c = {-1.0, -1.0};
    Factorise(lp, {Logical(lp, 0)});
    ctx_->form.value[0] = 2.0;  // off its lower bound 0
    const ExactBasisCheck check = Check();
    ASSERT_TRUE(check.decided);
    EXPECT_FALSE(check.primal_feasible);
    EXPECT_EQ(check.column, Logical(lp, 0));
    EXPECT_EQ(X(0), 0.0);  // and put back on it for the solve that goes on
}

// x - t y = 1 with x basic: y's ray moves x up at the rate t = 2^-70, far
// below what a floating-point check tells from zero; x's upper bound stops
// it all the same.  With no bounds on x the ray holds.
TEST_F(ExactBasisTest, ARayIsStoppedByABoundAtAnyRate) {
    const double t = std::ldexp(1.0, -70);
    Lp lp;
    lp.a = {{1.0, -t}};
    lp.kind = {'E'};
    lp.rhs = {1.0};
    lp.c = {0.0, 1.0};
    lp.up = {1e9, kInf};
    Factorise(lp, {0});
    ExactRayCheck ray;
    ASSERT_EQ(CheckRayExactly(ctx_, 1, 1.0, &ray), kRunOk);
    ASSERT_TRUE(ray.decided);
    EXPECT_FALSE(ray.holds);
    EXPECT_EQ(ray.column, 0);
    EXPECT_NEAR(ray.rate, t, 1e-6 * t);
    // Downwards x falls, towards no bound but its lower one, 0.
    ASSERT_EQ(CheckRayExactly(ctx_, 1, -1.0, &ray), kRunOk);
    EXPECT_FALSE(ray.holds);

    lp.up = {kInf, kInf};
    lp.lo = {-kInf, 0.0};
    enginetest::DestroyContext(ctx_);
    Factorise(lp, {0});
    ASSERT_EQ(CheckRayExactly(ctx_, 1, 1.0, &ray), kRunOk);
    ASSERT_TRUE(ray.decided);
    EXPECT_TRUE(ray.holds);
}

TEST_F(ExactBasisTest, LeavesLargeBasesAlone) {
    Lp lp;
    const int rows = kExactBasisRows;  // plus the two objective rows
    lp.a.assign(rows, std::vector<double>(1, 1.0));
    lp.kind.assign(rows, 'L');
    lp.rhs.assign(rows, 1.0);
    lp.c = {1.0};
    std::vector<int32_t> basic;
    for (int i = 0; i < rows; ++i) basic.push_back(Logical(lp, i));
    Factorise(lp, basic);
    EXPECT_FALSE(Check().decided);
}

}  // namespace
}  // namespace lptest
