// root_cuts.h -- rounds of cutting planes at the root of an integer search.
//
// Between the continuous optimum (its integer bounds made whole) and the
// first node, CUTPASSES rounds each run every cut family on the optimal LP
// point, put the best cuts into the reserved rows, solve the LP again with
// the dual phase and make cuts that went slack inert again.  The rounds stop
// when the bound stalls, when no cut is found or when the reserved rows are
// used up.  The search then starts from the LP with the cuts; a resumed
// search (ACTIVEIN) derives its cuts again from its own root.  Every cut is
// valid for every integer solution, so no node bound it gives can exclude
// one; with CUTCHECK each cut is measured against the integer solution
// PRIMALIN gave before it is used.
#pragma once

#include "base/lp_context.h"

namespace tymlp {

// The cutting rounds; nothing when no rows were reserved.  Returns 0, or 9
// or 25 when memory or a file failed.  A round whose LP does not solve
// cleanly is undone and ends the rounds (a WARNING says so).
int run_root_cuts(LpContext* ctx);

// When the search is over and the best node's state restored: every cut
// taken out of the LP, so that the reports and PRIMALOUT (values and basis)
// are those of the user's problem.  With an incumbent, the logical column
// of each binding cut replaces a basic column on a bound (the point stays);
// without one, the root's basis from before the cuts comes back.  Returns
// 0, or the code of the factorisation or of a column fetch.
int release_cuts_after_search(LpContext* ctx);

// Keeps the current point (every column, scaled units) as the known integer
// solution the cuts are checked against, when CUTCHECK is on and rows were
// reserved.  Returns 0 or 9.
int keep_known_point(LpContext* ctx);

}  // namespace tymlp
