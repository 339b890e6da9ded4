// range_analysis.h -- the RHS and price range summaries: for every row,
// how far its right-hand side may move, and for every structural, slack and
// surplus column, how far its price may move, before the optimal basis
// changes; with the column that leaves or enters there and the objective
// value at each end.
#pragma once

#include "base/lp_context.h"

namespace tymlp {

// RhsRangeSummary (RANGERHS): one line per row that is not an objective row.
// Returns 0 (also when the analysis does not run, or lacks memory: message
// 157), or 9 / 25 when a column cannot be read.
int print_rhs_range_summary(LpContext* ctx);

// PriceRangeSummary (RANGEPRICE): one line per structural, slack and surplus
// column.  Returns as print_rhs_range_summary.
int print_price_range_summary(LpContext* ctx);

}  // namespace tymlp
