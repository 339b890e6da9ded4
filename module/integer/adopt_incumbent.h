// adopt_incumbent.h -- an integer solution known before the search (from
// PRIMALIN or ACTIVEIN) becomes the incumbent.
#pragma once

#include "base/lp_context.h"

namespace tymlp {

// kNotKept: the LP was solved, but its solution spreads a special ordered
// set (only the integer columns were fixed) or does not hold in the
// problem's own units.
enum class Adoption { kAdopted, kCutOff, kFailed, kNotKept };

// Fixes every integer variable at the integer nearest its entry of `values`
// (the user's units, one per variable of the integer-variable list), solves
// the linear program that is left with the dual phase from the current
// basis, and on success keeps `node` as the incumbent, saved with that
// solution's basis and bounds, with the cutoff raised to its bound (the
// caller's, or with `bound_from_solution` the solution's value); `node` is
// released otherwise.  The bounds stay
// fixed: the caller restores the root afterwards.  Returns 0 with the outcome
// in `adoption`; 3, 4, 5 or 13 when a limit or a pause stops the dual phase;
// 9 or 25 when the node cannot be saved.
int adopt_integer_solution(LpContext* ctx, const double* values, ActiveNode* node, bool bound_from_solution,
                           Adoption* adoption);

// The current LP point, integral within IEPSILON but failing its check at
// the rounded values (its continuous columns sit where the unrounded
// integer values put them), solved again with its integer columns fixed at
// the nearest integers, so that the continuous columns follow the exact
// integer values; kept as the incumbent like any other integer solution
// when that LP holds and beats the cutoff (settled as during the search).
// The state in memory is put back afterwards.  No limit of the search
// stops the fixed LP.  Returns 0 with the outcome in `adoption`, or 9 or 25.
int adopt_rounded_point(LpContext* ctx, Adoption* adoption);

// After bb.incumbent became a better integer solution during the search
// (its record saved, the cutoff raised to its bound): the counts of integer
// solutions, the target, the projection weight, the active nodes that no
// longer beat the cutoff dropped, and the reduced-cost fixings it allows.
// Returns 0 or 9.
int settle_new_incumbent(LpContext* ctx);

}  // namespace tymlp
