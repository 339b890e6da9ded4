// node_lp.h -- what branch and bound reads from the simplex engine after a
// node's linear program has been solved: the reduced costs of the
// nonbasic columns, computed afresh rather than taken from whatever the
// phase kept (the dual phase may have ended without any, or with updated
// ones).
#pragma once

#include "base/lp_context.h"

namespace tymlp {

// NodeReducedCosts: d_j = c_j - y'a_j of every nonbasic column j into
// out[j] (0 for a basic column), y a fresh pricing vector of the current
// objective (c_j its sense for the objective's own column, else 0), in the
// scaled units of the phases: d_j > 0 means raising x_j raises the
// internal objective.  The dual vector holds y afterwards.  Returns 0, or
// the status of a failed column fetch (9, 25).
int NodeReducedCosts(LpContext* ctx, double* out);

}  // namespace tymlp
