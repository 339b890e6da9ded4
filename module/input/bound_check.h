// bound_check.h -- columns whose bounds leave them no value.
//
// A lower bound above the upper bound (also the default lower bound of 0
// above a negative upper bound), a lower bound of +infinity or an upper
// bound of -infinity make the problem infeasible whatever its rows say.
// The check runs once the problem is read, in either layout, before
// anything is solved: each such column is named (message 370, a warning,
// the first 100 of them), and the combinations end INFEASIBLE without a
// phase.
#pragma once

#include "base/lp_context.h"

namespace tymlp {

inline constexpr int kMsgContradictingBounds = 370;  // column, lower, upper
inline constexpr int kMsgMoreContradictingBounds = 375;  // count, count listed

// The bounds a structural column will be solved with: UNRS frees it below,
// and without a lower bound of its own it starts at 0.
void effective_bounds(const LpContext* ctx, const ColumnRecord& col, double* lower, double* upper);

// Counts the structural columns whose bounds contradict into
// ctx->model.contradicting_bounds and names them.  Returns kRunOk or the
// status of a failed read of the column store.
int check_column_bounds(LpContext* ctx);

}  // namespace tymlp
