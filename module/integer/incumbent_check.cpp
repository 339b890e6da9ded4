// incumbent_check.cpp -- the check of an integer solution before it is kept.
#include "integer/incumbent_check.h"

#include "simplex/solution_check.h"

namespace tymlp {

bool incumbent_holds(LpContext* ctx) {
    SolutionViolation worst;
    if (VerifyIntegerSolution(ctx, &worst) != kRunOk) return false;
    if (worst.relative <= kVerifyTolerance) return true;
    ReportViolation(ctx, worst);
    return false;
}

}  // namespace tymlp
