// look_snapshot.h -- keeping a run exactly as it was while a pause looks
// at it.
//
// PRINT recomputes prices, solves with the factors, walks change vectors
// through their breakpoints and, for PRINT BEST, puts the incumbent's basis
// in place.  A search that goes on afterwards must take the same pivots as
// one that never looked: rounding differences in refreshed prices or
// refactorised factors are enough to send it elsewhere.  The snapshot copies
// everything the simplex reads from one iteration to the next (values,
// bounds, basis, prices, the factors with their eta file, the pricing
// weights and the solver's bookkeeping) and puts it back byte for byte.
#pragma once

#include "base/lp_context.h"

namespace tymlp {

struct LookSnapshot;

// Copies the state of the run; nullptr when there is nothing to keep (no
// computational form yet) or no memory for the copy (*short_of_memory).
LookSnapshot* take_look_snapshot(LpContext* ctx, bool* short_of_memory);

// Puts the state back and frees the snapshot.  When the factors cannot be
// put back byte for byte (the look made the store grow), the restored basis
// is factorised afresh.  Returns 0, or the status of that factorisation.
int restore_look_snapshot(LpContext* ctx, LookSnapshot* snapshot);

}  // namespace tymlp
