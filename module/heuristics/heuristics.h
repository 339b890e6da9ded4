// heuristics.h -- the primal heuristics of the search, one file each, and
// the pieces they share.  Each takes its index in the entry table
// (heuristic_entries.h), under which the incumbents it finds are counted
// and logged, and returns 0, 9 or 25.
#pragma once

#include "base/lp_context.h"

namespace tymlp {

int run_simple_rounding(LpContext* ctx, int kind);
int run_shifting_rounding(LpContext* ctx, int kind);
int run_fractional_diving(LpContext* ctx, int kind);
int run_guided_diving(LpContext* ctx, int kind);
int run_pseudocost_diving(LpContext* ctx, int kind);

// Rounds every fractional integer variable of heuristics.point in a
// direction that leaves every row of it holding (simple_rounding.cpp).
// *complete tells whether each one found such a direction.  Returns 0, 9
// or 25.
int round_fractional_variables(LpContext* ctx, bool* complete);

}  // namespace tymlp
