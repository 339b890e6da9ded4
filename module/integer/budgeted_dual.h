// budgeted_dual.h -- the LP re-solves that look ahead of the search (the
// primal heuristics' dives, strong branching): the dual phase after bounds
// moved, limited to a budget of iterations and never a cause of a pause or
// of a limit's ending itself.
#pragma once

#include "base/lp_context.h"

namespace tymlp {

// Recomputes the primal values and runs the dual phase for at most `budget`
// iterations (fewer when MAXIT3 is nearer).  The iterations count as phase
// 3 iterations, as every LP of the search does, and are added to *used.
// The phase's stop code is returned as it is (kStopFinished,
// kStopDualUnbounded, kStopCutoff, ...); a stop for a limit, a pause or a
// break is left for the search's next pass to act on, which sees the same
// condition.  9 or 25 when a step failed.
int resolve_within_budget(LpContext* ctx, int32_t budget, int64_t* used);

}  // namespace tymlp
