// refine_basis.h -- the basic values and the duals of the current basis
// solved for again beyond double precision.
//
// A solve on the LU factors gives x_B with an error of about the unit
// roundoff times the condition of B.  Iterative refinement takes the
// residual b - A x in extended precision, solves for a correction on the
// same factors and adds it, each round gaining about as many digits as the
// first solve had; two or three rounds give the double nearest to the
// exact solution for every basis that the factors can solve at all.  The
// same for the duals: the residual c_B - B'y of the basic columns, and a
// correction through BTRAN.  The checks of an ending then decide from
// values whose own error is negligible against their tolerances.
#pragma once

#include "base/lp_context.h"

namespace tymlp {

inline constexpr int32_t kRefinementRounds = 3;

// Refines the values of the basic columns (the nonbasic ones stay where
// they are) and, when `duals` is set, the duals of the current objective.
// Precondition: the inverse store holds fresh factors of the current
// basis.  Returns kRunOk, kRunMemory or kRunIo.
int RefineSolution(LpContext* ctx, bool duals);

// Row multipliers y with B'y = c_B for costs given by basis position,
// refined in place (y by row, as BTRAN leaves it).  Returns kRunOk,
// kRunMemory or kRunIo.
int RefineMultipliers(LpContext* ctx, const double* basic_costs, double* y);

// The transformed column alpha = B^-1 a_q (by basis position, as FTRAN
// leaves it), refined in place.  Returns kRunOk, kRunMemory or kRunIo.
int RefineTransformedColumn(LpContext* ctx, int32_t q, double* alpha);

}  // namespace tymlp
