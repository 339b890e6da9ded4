// diving.h -- the dive that the diving heuristics share: bound one
// fractional variable, re-solve by the dual phase, and go on until the LP
// solution is integral, infeasible, cut off or out of budget.
#pragma once

#include "base/lp_context.h"

namespace tymlp {

// A dive rule: among the fractional integer variables of the current LP
// solution, the one to bound next and whether it goes up.  False when the
// rule has none to offer (the dive ends).
using DiveRule = bool (*)(LpContext* ctx, IntegerVariable** chosen, bool* up);

// Dives from the current LP solution under `rule`, offers an integral LP
// solution it reaches to the incumbent path, and puts the state back.  A
// dive whose first bound leaves the LP infeasible tries the other direction
// once.  Returns 0, 9, 25 or 1 (the state could not be put back).
int dive(LpContext* ctx, int kind, DiveRule rule);

// The fractional part of x and whether it counts as fractional.
bool fractional(const LpContext* ctx, double x, double* down, double* up);

}  // namespace tymlp
