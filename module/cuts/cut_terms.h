// cut_terms.h -- a cut's terms rewritten in the columns of the user's
// problem and tidied before it is offered.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "base/lp_context.h"
#include "cuts/cut_pool.h"

namespace tymlp {

// The active cut rows as the matrix holds them: row k (reserved row
// first_row + k) is  sum terms[k] + logical[k] * s_k = rhs[k].
struct ActiveCutRows {
    std::vector<std::vector<std::pair<int32_t, double>>> terms;
    std::vector<double> logical;
    std::vector<double> rhs;
};

// One pass over the matrix.  Returns 0, 9 or 25.
int read_active_cut_rows(LpContext* ctx, ActiveCutRows* rows);

// Replaces every term on the logical column of an active cut by what that
// row says it is, s = (rhs - terms) / logical, so that the cut does not
// depend on another cut staying in the LP.  False when a term names a
// logical column of a cut row that is not active.
bool substitute_cut_logicals(const LpContext* ctx, const ActiveCutRows& rows, CutCandidate* cut);

// Merges repeated columns, drops coefficients below 1/dynamism of the
// largest where the column's bound on the side that keeps the cut valid is
// finite (the right-hand side takes the term at that bound), and scales the
// cut so that its largest coefficient is 1.  False when the coefficients
// still spread wider than `dynamism`, or nothing is left.
bool tidy_cut(const LpContext* ctx, double dynamism, CutCandidate* cut);

}  // namespace tymlp
