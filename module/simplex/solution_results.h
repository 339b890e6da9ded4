// solution_results.h -- the reported quantities that are computed from the
// matrix columns (read through the column cache) rather than read from the
// solution arrays: reduced costs, prices and row activities in the user's
// units.  The reports call these named steps; they never fetch columns
// themselves.
#pragma once

#include <cstdint>

#include "base/lp_context.h"
#include "output/reported_values.h"

namespace tymlp {

// The reduced cost d_j = c_j - sum_i y_i a_ij of column j against the stored
// duals (c_j the sense for the objective's own column, else 0), unscaled.
// Returns 0, 9 or 25 (column fetch).
int column_reduced_cost(LpContext* ctx, const ReportBasis& b, int32_t j, double* out);

// The price of column j: its objective coefficient (unscaled) for a
// structural column, 0 for a logical one.  Returns 0, 9 or 25.
int column_price(LpContext* ctx, const ReportBasis& b, int32_t j, double* out);

// Recomputes the row activities (unscaled) into ctx->report.activity, which
// is allocated on first use: cleared, then every structural column's value
// times its coefficients added in, column by column.  Returns 0, 9 (no
// memory, or a column that cannot be fetched) or 25.
int recompute_activities(LpContext* ctx);

// The tableau B^-1 A of the user's problem.
//
// The factors hold the scaled basis B_s = R^-1 B S_B^-1 (R the row scales,
// S_B the scales of the basic columns) and the matrix store the scaled
// columns a_j / (r s_j).  So row k of the user's tableau is
//   (B^-1 A)_kj = s_j * (e_k' B_s^-1 / s_Bk) a_s,j,
// which is what one BTRAN of e_k / s_Bk followed by a product with every
// stored column, times s_j, gives; (B^-1 b)_k is (B_s^-1 b_s)_k / s_Bk.

// True when the factors can be solved with: the last factorisation or
// update succeeded (a singular or unstable end leaves them unusable) and the
// right-hand side and basis header exist.
bool tableau_available(const LpContext* ctx);

// (B^-1 b)_k for every basis position k into out[0 .. m).  Returns 0.
int tableau_basic_values(LpContext* ctx, double* out);

// Row k of B^-1 A into out[0 .. n), using work[0 .. m) as room.  Returns 0,
// or 9 or 25 when a column cannot be fetched.
int tableau_row(LpContext* ctx, int32_t k, double* work, double* out);

}  // namespace tymlp
