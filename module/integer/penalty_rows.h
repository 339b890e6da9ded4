// penalty_rows.h -- the rows of the tableau the penalties look at, formed
// from a row-wise copy of the matrix.
#pragma once

#include "base/lp_context.h"

namespace tymlp {

// Builds the row-wise copy of every column but the artificial ones, once per
// run (the matrix does not change during the search).  Returns 0, 9 or 25.
int build_penalty_rows(LpContext* ctx);

// The tableau row alpha_k = rho . a_k for every column k reached by the
// rows where rho is nonzero, into bb.penalty_rows.alpha with the columns
// listed in `touched`; every other column's alpha is 0.  Each alpha_k sums
// its terms in ascending row order.
void form_tableau_row(LpContext* ctx, const double* rho);

// Returns the tableau row's entries to 0.
void clear_tableau_row(LpContext* ctx);

}  // namespace tymlp
