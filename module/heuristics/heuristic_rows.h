// heuristic_rows.h -- the rows as the roundings see them: each row's
// activity without its logical column, and whether the logical column can
// still take up what is left of the right-hand side.
//
// Row i reads sum_k a_ik x_k + a_il s_i = b_i with s_i its logical column
// (none for an equality row).  A point of the structural columns keeps the
// row when s_i = (b_i - activity_i) / a_il lies within the logical
// column's bounds (any value for a held column: the objective and free
// rows), or, without a logical column, when the activity is b_i.
#pragma once

#include "base/lp_context.h"

namespace tymlp {

// Allocates the heuristics' arrays and finds each row's logical column, once
// per run (the form does not change during a search).  Returns 0, 9 or 25.
int prepare_heuristic_rows(LpContext* ctx);

// The current LP solution into heuristics.point, and every row's activity
// at it into heuristics.activity.
void load_current_point(LpContext* ctx);

// How far row i misses at activity `activity`, in the row's own units (0
// when it holds within the tolerance).
double row_shortfall(const LpContext* ctx, int32_t i, double activity);

// The internal objective value z at the point (objective row's activity).
double point_objective(const LpContext* ctx);

// Moves column j of the point to `value`, updating the activities of its
// rows.  Returns 0, 9 or 25 (a column fetch failed).
int move_point_column(LpContext* ctx, int32_t j, double value);

// The total shortfall of the rows of column j if it moved by `delta`, less
// their shortfall now (negative: the move helps), and with `objective` the
// change of z the move makes.  Returns 0, 9 or 25.
int shortfall_change(LpContext* ctx, int32_t j, double delta, double* change, double* objective = nullptr);

}  // namespace tymlp
