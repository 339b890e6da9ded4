// branching.h -- the branching variable and the numbers its choice rests
// on: the up and down penalties with the combined penalty, the pseudocosts,
// the VARSELECT rules with BINFST and PENALTYDEPTH, and the order of the
// two children (LIFOTYPE).
//
// All values are internal objective values (larger is better); a penalty
// is a lower bound on how much a child's LP value falls below its parent's.
#pragma once

#include "base/lp_context.h"

namespace tymlp {

struct Penalties {
    double combined;  // lower bound on the loss of either child
    double down;      // loss of the child with x_j <= floor(x_j)
    double up;        // loss of the child with x_j >= ceil(x_j)
};

// The reduced costs of the node's LP into bb.reduced (nonbasic columns;
// basic ones 0).  Once per evaluation, before the first compute_penalties.
// Returns 0, 9 or 25.
int prepare_penalties(LpContext* ctx);

// The penalties of the basic integer column j: one BTRAN for its row of the
// basis inverse, then one pass over the nonbasic columns whose bounds
// differ.  A direction no nonbasic column can serve has the penalty
// INFINITY (that child is infeasible).  A nonbasic j (at a fractional
// bound) has no row to look ahead with: its penalties are 0.  Returns 0, 9
// or 25.
int compute_penalties(LpContext* ctx, int32_t j, Penalties* out);

// The VARSELECT rule's running choice over the fractional variables of one
// scan, binary and other candidates kept apart when BINFST is on.
struct VariableChoice {
    IntegerVariable* best[2];  // [0] other candidates, [1] binary ones (BINFST)
    double best_score[2];
    Penalties penalties[2];  // the best candidates' penalties (VARSELECT=PENALTY or PENSUM)
    int32_t offered;         // fractional variables offered so far
    bool stop;               // PENALTYDEPTH reached: the scan ends
    bool penalties_known;    // the rule computes penalties (PENALTY, PENSUM)
};

void start_choice(LpContext* ctx, VariableChoice* choice);

// Offers the fractional variable v (down = x - floor(x), up = ceil(x) - x).
// Under PENALTY and PENSUM it computes v's penalties, and once PENALTYDEPTH variables
// have been offered it sets `stop` instead of offering more.  Returns 0, 9
// or 25.
int offer_variable(LpContext* ctx, VariableChoice* choice, IntegerVariable* v, double down, double up);

// The chosen variable (a binary one first when BINFST found any), or none;
// *have_penalties tells whether *penalties holds its penalties already.
IntegerVariable* chosen_variable(const VariableChoice* choice, Penalties* penalties, bool* have_penalties);

// After a node created by rounding is solved at value z: its variable's
// down (stamp >= 0) or up pseudocost moves towards the loss per unit moved.
void update_pseudocost(LpContext* ctx, const ActiveNode* node, double z);

// Which child LIFOTYPE creates first: true for the up child.
bool up_child_first(int32_t lifotype, double down_penalty, double up_penalty);

}  // namespace tymlp
