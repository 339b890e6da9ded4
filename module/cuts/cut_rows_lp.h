// cut_rows_lp.h -- cuts put into the reserved rows of the node LP, and
// taken out again when they go slack.
#pragma once

#include "base/lp_context.h"
#include "cuts/cut_pool.h"

namespace tymlp {

// Allocates the per-row records of the reserved rows (once).  Returns 0 or 9.
int prepare_cut_rows(LpContext* ctx);

// Puts `cut` into the next empty reserved row: its coefficients join the
// matrix columns, the row's right-hand side becomes the cut's, and the
// row's logical column (coefficient +v, v > 0) gets the bounds [0, +INF),
// so the row reads  cut <= rhs.  The logical column stays basic: the LP is
// solved again by the dual phase.  *row receives the reserved row used, or
// -1 when none is left.  Returns 0, 9 or 25.
int install_cut(LpContext* ctx, const CutCandidate& cut, int32_t* row);

// After cuts were installed: the cached columns and the row-wise copies
// forgotten, the basis factorised afresh and the basic values recomputed.
// Returns 0, or the code of Invert or RecomputePrimal.
int refresh_after_cuts(LpContext* ctx);

// Makes active cuts whose logical column is basic and strictly inside its
// bounds (the cut is slack by more than `slack`) inert again, unless a later
// cut uses that logical column.  Returns how many were retired.
int32_t retire_slack_cuts(LpContext* ctx, double slack);

// Makes the cut in reserved row `row` inert again regardless of its slack
// (its logical column must be basic).
void retire_cut(LpContext* ctx, int32_t row);

}  // namespace tymlp
