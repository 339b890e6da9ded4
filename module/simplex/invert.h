// invert.h -- inversion: a fresh LU factorisation of the current basis, the
// recomputation of the basic values and duals it implies, and the repair of
// a singular basis from the pivot history (simplex/pivot_history.h).
#pragma once

#include <cstdint>

#include "base/lp_context.h"
#include "base/numeric.h"

namespace tymlp {

// Invert: gathers the basis columns (header[0..m-1]) into the inverse store,
// sizes the store from the compressions of the last period and the fill
// estimate, adopts it inside the work store, factorises with the routine
// chosen by LU, reports an unstable modulus (message 202 below 100 times,
// message 244 at the 100th, then nothing), recomputes the basic values from
// the nonbasic ones (x[header[i]] for i < m) and the pricing vector of the
// current phase, and empties the pivot history (clearing the leave ban list
// when the history held records).  A singular basis sets x and y to 0 and,
// when the pivot history holds records, undoes recorded exchanges one by one
// (one nested inversion per record) until a factorisation succeeds; the
// column re-entered by the repair joins the leave ban list (message 224).
// Returns 0; 1 singular, not repaired; 9 the store could not be had; 25
// matrix store or pivot history file error.
int Invert(LpContext* ctx);

// The constant that turns a modulus into an error estimate: a modulus whose
// product with it exceeds EPSILON is unstable.
inline constexpr double kModulusErrorFactor = kUnitRoundoff;

// Counts an unstable modulus and issues message 202 (while the count is below
// 100) or, at exactly 100, message 244.  Returns the new unstable count.
int32_t ReportUnstableModulus(LpContext* ctx, double modulus);

}  // namespace tymlp
