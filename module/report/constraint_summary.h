// constraint_summary.h -- the ConstraintSummary table: one line per row with
// its type, logical column, right-hand side, activity and dual value.
#pragma once

#include <cstdint>

#include "base/lp_context.h"

namespace tymlp {

// Whether row i (flags `flags`) is violated by more than EPSILON at the
// unscaled activity and right-hand side: a less-or-equal row (range rows
// included) when activity - rhs > EPSILON, a greater-or-equal row when
// activity - rhs < -EPSILON, an equality row without range when
// |rhs - activity| > EPSILON.  Ranged equality, free, objective and
// fixed-charge rows are never violated.
bool row_violated(const LpContext* ctx, uint8_t flags, double activity, double rhs);

// Prints ConstraintSummary (data object "ConstraintSummaryData", label
// 253/250; template "Qm.Lp.ConstraintSummary", label 253/251).  With a list,
// the listed rows (row numbers 1 .. m-1) in list order; without one (list
// null), rows 1 to m-1.  A violated row shows " *INF*" in "Row" when the
// run ended infeasible; when it ended optimal it shows " *****" and message
// 245 (216 when SCALE is not 0) names it.  The lines printed follow
// summary_lines (variable_summary.h).  The activities are recomputed first:
// 9 or 25 from that (or from reading a row) returns at once, before any
// line is printed.  Returns 0, 9 or 25.
int print_constraint_summary(LpContext* ctx, const int32_t* list, int32_t count);

}  // namespace tymlp
