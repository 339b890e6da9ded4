// heuristic_incumbent.h -- a heuristic's integer point offered to the
// search: through the same checked path as a PRIMALIN solution, never
// around it.
#pragma once

#include "base/lp_context.h"

namespace tymlp {

// What became of an offered point.
enum class Offer { kTaken, kNotBetter, kRefused };

// Offers the integer values of heuristics.point (one per integer variable)
// as an incumbent: the integer columns are fixed there, the rest of the
// problem solved by the dual phase, and the solution kept only when it
// beats the cutoff and passes the incumbent check (integrality, every row,
// every bound, at the point the user gets).  The state in memory is put
// back afterwards.  A point taken is logged with the heuristic's name
// (entry `kind` of the table) and settles the search (pruned store, target,
// fixings).  Returns 0 with the outcome in *offer, or 9, 25 or 1 when the
// state cannot be saved or put back.
int offer_heuristic_point(LpContext* ctx, int kind, Offer* offer);

// The integer values of the current LP solution kept as the latest
// incumbent's, for the guided dive.
void remember_incumbent_values(LpContext* ctx);

}  // namespace tymlp
