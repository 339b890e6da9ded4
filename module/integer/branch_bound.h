// branch_bound.h -- branch and bound: the integer phase of a combination.
//
// Once the continuous relaxation of an integer problem is optimal, branch
// and bound keeps a store of active nodes, picks one per integer iteration
// (integer/node_select.h), re-solves its LP with the dual phase from its
// parent's basis, and evaluates the solution: a new incumbent, a branch
// into at most two children, or a node that can be dropped.  Values are
// internal objective values: larger is better (base/ctx_bb.h).
#pragma once

#include "base/lp_context.h"

namespace tymlp {

// End codes of run_branch_and_bound beyond the run statuses of the phases.
inline constexpr int kBbNodeLpUnbounded = kRunBug;  // a node LP claimed a ray

// initialise_branch_and_bound: once per combination, after the continuous
// optimum: the node store emptied, the selection rule chosen, DELTAIT and
// PENALTYDEPTH in force, the integer variables' prices and pseudocosts,
// the integral-objective flag, the cutoff (IOBJECTIVE, POBJECTIVE,
// DOBJECTIVE) and the target (WOBJECTIVE), the root node and the current
// node saved with the continuous optimum's basis and bounds, and each
// special ordered set's reference values (its members' lower bounds).
// Returns 0, 9 (no memory) or 25 (node file).
int initialise_branch_and_bound(LpContext* ctx);

// run_branch_and_bound: the search, from the root or, after a pause, from
// where it stopped.  Returns 0 when no active node is left (or the root
// needs no branch), 1 when a node's basis stays singular, 3 (time), 4
// (MAXIT3), 9, 13, 18 (IMAXIT), 25, 99 (a node LP claimed a ray), or the
// code of a node LP that ended otherwise.
int run_branch_and_bound(LpContext* ctx);

// After a RESET in a pause: the node-selection rule and routine chosen
// again from CANSELECT, BACKTRACK, AUTO and CONTROL (CONTROL 0.7 when AUTO
// is set and CONTROL never was), with the active nodes in the lists the new
// rule reads.  Nothing before branch and bound.  Returns 0 or 9.
int apply_selection_options(LpContext* ctx);

// The incumbent node's state, or the root's when there is no incumbent,
// restored and refactorised for the reports.  Returns 0, 1, 9 or 25.
int restore_best_node(LpContext* ctx);

// The root node's state (the continuous optimum's basis and the original
// bounds of the integer columns), as the next combination's start.
// Returns 0, 1, 9 or 25.
int restore_root_node(LpContext* ctx);

// Saves the current state as the root node's record (GOALPROGRAM keeps
// the fixed objective in it).  Returns 0, 9 or 25.
int save_root_node(LpContext* ctx);

// A node record for a state kept aside, and its restore.
ActiveNode* save_state_aside(LpContext* ctx, int* rc);
int restore_state_aside(LpContext* ctx, ActiveNode* node);

}  // namespace tymlp
