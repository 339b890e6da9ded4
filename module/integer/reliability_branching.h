// reliability_branching.h -- VARSELECT=RELIABLE: the branching variable by
// the product of its pseudocost losses, where a pseudocost measured from
// fewer than RELIABILITY branchings is first measured by strong branching.
//
// Strong branching solves both children of a candidate for a few dual
// iterations from the node's basis; the loss of the objective per unit the
// variable moved is what a pseudocost estimates, so it initialises the
// pseudocost of a variable the search has not branched on often enough to
// trust its history.  Once a variable is reliable in both directions its
// history alone ranks it, which costs nothing.
#pragma once

#include "base/lp_context.h"

namespace tymlp {

// Allocates the candidate arrays once per run.  Returns 0 or 9.
int prepare_reliability(LpContext* ctx);

// The candidate list of one node's evaluation: emptied, then each
// fractional variable added with its fractional part.
void clear_reliable_candidates(LpContext* ctx);
void add_reliable_candidate(LpContext* ctx, IntegerVariable* v, double down);

// The chosen variable among the candidates (BINFST: a binary one when any
// is a candidate), after strong branching on the most promising unreliable
// ones; the state in memory is the node's again afterwards.  Returns 0,
// 9, 25 or 1, with *chosen null when there is no candidate.
int choose_reliable_variable(LpContext* ctx, IntegerVariable** chosen);

}  // namespace tymlp
