// reduced_cost_fixing.h -- POSTPROCESS: integer columns that the reduced
// costs of the continuous optimum fix once an incumbent is known.
//
// At the continuous optimum (value z0) a nonbasic column j with reduced
// cost d_j bounds every solution that moves it one unit off its bound by
// z0 + d_j at its lower bound (z0 - d_j at its upper).  An integer column
// must move by at least one unit, so when that bound does not exceed the
// incumbent's value, no better solution moves it: it is fixed there for
// the rest of the search.
#pragma once

#include "base/lp_context.h"

namespace tymlp {

// Keeps the continuous optimum's values, reduced costs and nonbasic columns
// when POSTPROCESS is on, and forgets earlier fixings.  Returns 0, 9 or 25.
int prepare_fixing(LpContext* ctx);

// After a new incumbent: records the columns the continuous optimum fixes.
void record_fixings(LpContext* ctx);

// Before a node's LP is solved: every recorded column gets lower = upper =
// its recorded value.  Returns true when a nonbasic column's value had to
// move (the basic values must then be recomputed).
bool apply_fixings(LpContext* ctx);

// Returns the arrays of prepare_fixing.
void release_fixing(LpContext* ctx);

}  // namespace tymlp
