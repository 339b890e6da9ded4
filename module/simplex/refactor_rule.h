// refactor_rule.h -- when the factors are renewed rather than updated.
//
// Under INVTYPE=COUNT (the default) a factorisation follows every INVFREQ
// updates.  Under INVTYPE=AUTO the choice weighs what a factorisation costs
// against what the updates cost the solves: every update leaves row
// operations in the eta file and fill in U that each later FTRAN and BTRAN
// pass over, so the work of an iteration grows with the updates since the
// last factorisation.  The average work per iteration of a period, the
// factorisation included, falls while that growth is small and rises once
// the next iteration's extra work exceeds the average; that is the moment
// to factorise.  The work is counted in entries visited, with fixed weights
// for what a factorisation does per entry, so the choice is the same on
// every run of the same problem.  A cap on the updates keeps the rounding
// that updates accumulate in check where they add no work at all.  The
// integer search keeps the count rule: its node LPs are short, and the
// search's results must not depend on the LP path's option.
#pragma once

#include <cstdint>

#include "base/lp_context.h"

namespace tymlp {

// Called after every successful factorisation: the period starts, and the
// work of the factorisation and of the refresh that follows it is judged
// from the factors' size and the matrix's.
void NoteFactorisation(LpContext* ctx);

// Called at every basis exchange, after the count of updates since the last
// factorisation has been raised for it: whether this exchange factorises
// instead of updating.
bool RefactorDue(LpContext* ctx);

// The most updates INVTYPE=AUTO allows between factorisations for a basis
// of m rows.
int32_t AutoUpdateCap(int32_t m);

}  // namespace tymlp
