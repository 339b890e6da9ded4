// Endings decided beyond double precision: the check at the point the user
// gets, the refinement of a basic solution, and the certificates behind
// infeasible and unbounded endings.
#include <cmath>

#include "base/run_codes.h"
#include "lp_fixture.h"
#include "simplex/certificates.h"
#include "simplex/invert.h"
#include "simplex/primal_values.h"
#include "simplex/refine_basis.h"
#include "simplex/solution_check.h"

namespace lptest {
namespace {

using namespace tymlp;

class ExactEndingsTest : public LpTest {
  protected:
    // Builds `lp`, sets up the engine and factorises the basis made of the
    // two objective columns and `basic` (one column per constraint row).
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
    // The logical column of constraint row i of an Lp with k columns.
    static int32_t Logical(const Lp& lp, int32_t i) { return static_cast<int32_t>(lp.c.size()) + 2 + i; }
};

// x + y = 2 and x + (1 + 2^-33) y = 2 + 2^-33 have the exact solution
// x = y = 1, with a basis whose condition is about 2^35: a plain solve on
// the factors is off in the sixth digit, the refined one is exact.
TEST_F(ExactEndingsTest, RefinementRecoversTheExactSolutionOfAnIllConditionedBasis) {
    const double tiny = std::ldexp(1.0, -33);
    Lp lp;
    lp.a = {{1.0, 1.0}, {1.0, 1.0 + tiny}};
    lp.kind = {'E', 'E'};
    lp.rhs = {2.0, 2.0 + tiny};
    lp.c = {1.0, 1.0};
    Factorise(lp, {0, 1});
    const double plain_error = std::fabs(X(0) - 1.0) + std::fabs(X(1) - 1.0);
    ASSERT_EQ(RefineSolution(ctx_, true), kRunOk);
    EXPECT_EQ(X(0), 1.0) << "plain error " << plain_error;
    EXPECT_EQ(X(1), 1.0);
    // The duals solve B'y = c_B as well: the reduced costs of the basic
    // columns vanish (y of row 1, the objective, is its sense).
    const double* y = ctx_->form.duals;
    EXPECT_NEAR(1.0 * y[1] + 1.0 * y[2] + 1.0 * y[3], 0.0, 1e-12);
    EXPECT_NEAR(1.0 * y[1] + 1.0 * y[2] + (1.0 + tiny) * y[3], 0.0, 1e-12);
}

// A basic column 2.4e-8 below its bound passes in its own units, but put
// on the bound it carries a row with an entry of 690832 far off its
// right-hand side of 6.6e-5: the row fails at the point the user gets.
TEST_F(ExactEndingsTest, RowsAreMeasuredWithEveryColumnOnItsBounds) {
    Lp lp;
    lp.a = {{690832.0, 1.0}};
    lp.kind = {'E'};
    lp.rhs = {6.5576e-5};
    lp.c = {0.0, 0.0};  // the objective row stays at 0 whatever the values
    Factorise(lp, {1});
    ctx_->form.status[0] = static_cast<uint8_t>(ctx_->form.status[0] | kStatBasic);
    ctx_->form.value[0] = -2.4226e-8;
    ctx_->form.value[1] = 6.5576e-5 + 690832.0 * 2.4226e-8;  // the unprojected point holds the row exactly
    SolutionViolation worst;
    ASSERT_EQ(VerifyPrimalSolution(ctx_, &worst), kRunOk);
    EXPECT_EQ(worst.kind, ViolationKind::kRowResidual);
    EXPECT_EQ(worst.index, 2);
    EXPECT_GT(worst.relative, 1e-4);
    // On its bound, the same column passes.
    ctx_->form.value[0] = 0.0;
    ctx_->form.value[1] = 6.5576e-5;
    ASSERT_EQ(VerifyPrimalSolution(ctx_, &worst), kRunOk);
    EXPECT_LE(worst.relative, kVerifyTolerance);
}

// Bounds that cross: the nonbasic column sits on one and is outside the
// other.  Nonbasic columns are checked too.
TEST_F(ExactEndingsTest, ANonbasicColumnOutsideCrossedBoundsFails) {
    Lp lp;
    lp.a = {{1.0, 1.0}};
    lp.kind = {'G'};
    lp.rhs = {1.0};
    lp.c = {1.0, 1.0};
    lp.lo = {2.0, 0.0};
    lp.up = {1.0, kInf};
    Factorise(lp, {Logical(lp, 0)});
    SolutionViolation worst;
    ASSERT_EQ(VerifyPrimalSolution(ctx_, &worst), kRunOk);
    EXPECT_EQ(worst.kind, ViolationKind::kColumnBound);
    EXPECT_EQ(worst.index, 0);
    EXPECT_GT(worst.relative, 0.4);
}

// An integer solution is measured with its integer columns rounded: one
// further than IEPSILON from an integer fails, one within it is measured
// at the integer, where a row with a large entry may fail.
TEST_F(ExactEndingsTest, IntegerSolutionsAreMeasuredAtTheRoundedPoint) {
    Lp lp;
    lp.a = {{1000.0, 1.0}};
    lp.kind = {'E'};
    lp.rhs = {2000.5};
    lp.c = {0.0, 0.0};
    Factorise(lp, {1});
    ctx_->form.status[0] = static_cast<uint8_t>(ctx_->form.status[0] | kStatInteger | kStatBasic);
    ctx_->options.iepsilon = 1e-5;
    ctx_->form.value[0] = 2.0;
    ctx_->form.value[1] = 0.5;
    SolutionViolation worst;
    ASSERT_EQ(VerifyIntegerSolution(ctx_, &worst), kRunOk);
    EXPECT_LE(worst.relative, kVerifyTolerance);
    ctx_->form.value[0] = 2.5;
    ctx_->form.value[1] = 0.0005;
    ASSERT_EQ(VerifyIntegerSolution(ctx_, &worst), kRunOk);
    EXPECT_EQ(worst.kind, ViolationKind::kIntegrality);
    // Within IEPSILON of 2, but the rounding moves the row by 1000 * 4e-6.
    ctx_->form.value[0] = 2.0 + 4e-6;
    ctx_->form.value[1] = 0.5 - 0.004;
    ASSERT_EQ(VerifyIntegerSolution(ctx_, &worst), kRunOk);
    EXPECT_EQ(worst.kind, ViolationKind::kRowResidual);
    ASSERT_EQ(VerifyPrimalSolution(ctx_, &worst), kRunOk);
    EXPECT_LE(worst.relative, kVerifyTolerance) << "unrounded, the point holds";
}

// x <= 1 and x >= 2 have a certificate; x <= 1 and x >= 0.5 do not, even
// from a basis whose surplus column is infeasible (x could still rise).
TEST_F(ExactEndingsTest, FarkasCertificatesHoldOnlyForInfeasibleProblems) {
    Lp lp;
    lp.a = {{1.0}, {1.0}};
    lp.kind = {'L', 'G'};
    lp.rhs = {1.0, 2.0};
    lp.c = {1.0};
    Factorise(lp, {Logical(lp, 0), Logical(lp, 1)});
    // From the slack basis the certificate is spoiled by x, which phase 1
    // would take; from the basis with x basic it holds.
    CertificateCheck check;
    ASSERT_EQ(CheckInfeasibleCertificate(ctx_, &check), kRunOk);
    EXPECT_FALSE(check.holds);
    EXPECT_GT(check.price, 0.0);
    enginetest::SetBasis(ctx_, {1, 2, 0, Logical(lp, 1)});
    ASSERT_EQ(CheckInfeasibleCertificate(ctx_, &check), kRunOk);
    EXPECT_TRUE(check.holds);

    lp.rhs = {1.0, 0.5};
    enginetest::DestroyContext(ctx_);
    Factorise(lp, {0, Logical(lp, 1)});
    ASSERT_EQ(CheckInfeasibleCertificate(ctx_, &check), kRunOk);
    EXPECT_FALSE(check.holds);
}

// max x + z with x - y <= 3 and y - z >= -2 is unbounded along z (with y):
// the ray holds.  Moving the other way, or a bound on the ray's columns,
// spoils it.
TEST_F(ExactEndingsTest, UnboundedRaysHoldOnlyWhereNoBoundStopsThem) {
    Lp lp;
    lp.a = {{1.0, -1.0, 0.0}, {0.0, 1.0, -1.0}};
    lp.kind = {'L', 'G'};
    lp.rhs = {3.0, -2.0};
    lp.c = {1.0, -1.0, 1.0};
    ASSERT_EQ((Build(lp), Solve()), -1);
    ASSERT_EQ(Status(), kRunUnbounded) << Macro();
    const int32_t q = ctx_->solver.entering;
    const double direction = ctx_->phases.ratio.direction;
    CertificateCheck check;
    ASSERT_EQ(CheckUnboundedRay(ctx_, q, direction, &check), kRunOk);
    EXPECT_TRUE(check.holds);
    ASSERT_EQ(CheckUnboundedRay(ctx_, q, -direction, &check), kRunOk);
    EXPECT_FALSE(check.holds);
    ctx_->form.upper[q] = 1e6;
    ASSERT_EQ(CheckUnboundedRay(ctx_, q, direction, &check), kRunOk);
    EXPECT_FALSE(check.holds);
    EXPECT_EQ(check.index, q);
}

}  // namespace
}  // namespace lptest
