// integer_bounds.h -- the bounds of the integer columns made whole before
// the search.
#pragma once

#include "base/lp_context.h"

namespace tymlp {

struct RoundedBounds {
    int32_t changed;         // integer columns with a bound moved
    int32_t crossed_column;  // the first column left with no integer between its bounds; -1 none
};

// Rounds each finite bound of each integer column inward to the whole
// number inside it (a bound within IEPSILON of a whole number is that
// number): lower up, upper down.  An integer column can take no other
// value, and branching needs whole bounds: a column left nonbasic at a
// fractional bound has no fractional part a branch could remove.  When a
// column's bounds would cross, the problem has no integer solution: that
// column is reported and no bound is changed.  Otherwise the bounds as they
// were go to saved[2k], saved[2k + 1] for the k-th integer variable.
RoundedBounds round_integer_bounds(LpContext* ctx, double* saved);

// The bounds round_integer_bounds saved, back in place.
void restore_integer_bounds(LpContext* ctx, const double* saved);

}  // namespace tymlp
