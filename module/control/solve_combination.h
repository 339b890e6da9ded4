// solve_combination.h -- solving one combination of an objective row with a
// right-hand-side column: starting basis, phase 1, phase 2, the dual phase,
// the status macro variable and the reports, and what the driver needs
// around it.
#pragma once

#include "base/lp_context.h"

namespace tymlp {

// solve_combination: solves the combination of the right-hand side loaded
// for model.rhs_index with the objective model.objective_index (1-based,
// in the order of the objectives' keys).  Leaves the outcome in the run
// status (0, or a solver status: 1, 3, 4, 5, 6, 7, 9, 12, 13, 27, ...) and
// returns it.  Fatal conditions end the run through end_run: no memory for
// the objective choice or the starting basis (1016), a starting basis that
// cannot be factorised (message 187, 188 or 189, then 1008), an infeasible
// problem whose data or PRIMALIN marked the basis (225 or 226, then 1008).
int solve_combination(LpContext* ctx);

// The starting basis of a combination: the status bytes as they stand, or
// as a PRIMALIN data set marks them (mark_primalin_basis), then the header
// from the status bytes, the nonbasic columns at their bounds, a fresh
// factorisation and the basic values.  Artificial columns get the bounds
// [0, 0] so that a feasible point has left none of them nonzero.  Returns
// Invert's result (0, 1 singular, 9, 25) or the PRIMALIN reading's (26 for
// a data set that cannot give a basis, 9, 25).
int set_up_starting_basis(LpContext* ctx);

// Empties the pivot history and the leave ban list and inverts; a singular
// basis at the end of a phase becomes run status 12.  Returns 0, 12, 9 or 25.
int refactorise_after_phase(LpContext* ctx);

// The sum of the bound violations beyond the working tolerance over the
// basic columns that are not free (0 exactly when the basis is feasible).
double phase1_objective_value(const LpContext* ctx);

// The largest reduced cost of the real objective over the nonbasic columns
// (0 when none is attractive), from a fresh pricing vector.  Returns 0 or 9.
int largest_dual_infeasibility(LpContext* ctx, double* value);

// What the check of an optimal ending found.
enum class EndingCheck : int {
    kConfirmed,        // nothing to do (the ending holds, or it claims no optimum)
    kAttractive,       // a column is still attractive: phase 2 goes on
    kFeasibilityLost,  // a basic value is outside its bounds: phase 1 again
    kDualContinue,     // dual feasible, a refined basic value outside its bounds: the dual phase goes on
};

// The check of an ending that claims an optimum (run status 0, feasible and
// optimal flags set), made after the refactorisation that ends every phase,
// so on fresh factors, basic values and duals: the basic values within
// their bounds, no attractive column by its true (unweighted) price, and
// then the solution in the problem's own units (VerifySolution).  A failed
// check clears the flag it contradicts and says so (messages 290, 291),
// except after `round` reached the limit of continuations; a solution that
// then fails, or fails in the user's units, is not called optimal: message
// 294 or 293 and run status 12.  Ends the run for lack of memory.
EndingCheck check_optimal_ending(LpContext* ctx, int32_t round);

// The final values of a combination that ends SUCCESSFUL, measured once
// more as the user will be given them (an integer solution with its integer
// columns rounded): one that fails is reported (message 293) and ends with
// run status 12 and the contradicted flag cleared.
void check_final_values(LpContext* ctx);

// An INFEASIBLE ending is kept only with a Farkas certificate, an UNBOUNDED
// one only with a ray, each holding in extended precision; otherwise the
// run status becomes 12 and a WARNING (283, 284) names what fails.
void check_certified_ending(LpContext* ctx);

// Phase 1 or the dual phase ended infeasible: kConfirmed when its Farkas
// certificate holds (or cannot be helped); kFeasibilityLost, with the
// ending undone and EPSILON lowered for one more run of phase 1 (note 285),
// when a nonbasic column that the phase passed over as too flat spoils it.
// Ends the run for lack of memory.
EndingCheck check_infeasible_ending(LpContext* ctx, int32_t round);

// Phase 2 ended unbounded: kConfirmed when its ray holds (or cannot be
// helped); kAttractive, with the ending undone and REPSILON lowered for one
// more run of phase 2 (note 286), when a column with a finite bound moves
// along the ray at a rate below the pivot tolerance and so would stop it.
EndingCheck check_unbounded_ending(LpContext* ctx, int32_t round);

// Step 14: branch and bound when the problem has integer columns or special
// ordered sets and its relaxation is optimal (run status 0): the search,
// then the best node's basis (the incumbent's, else the root's) restored
// for the reports, both flags set.  The run status becomes the search's end
// code, or the restore's when that is larger.  Ends the run for lack of
// memory (1016) or a node-file failure (1020).
void integer_phase_step(LpContext* ctx);

// Step 17 after branch and bound: with an integer solution, the objective
// column is held at its value in the solution and in the root node's
// record; without one, message 228.  Ends the run when a restore fails.
void integer_goal_program_step(LpContext* ctx);

// True for the combination the loop visits last.
bool last_combination(const LpContext* ctx);

// Step 22: after branch and bound, unless this is the last combination,
// the root node's basis is restored for the next one (a failure ends the
// run with 1).  Returns true when GOALPROGRAM needs the dual phase again
// (the primal-feasible flag is then cleared).
bool hand_on_root_basis(LpContext* ctx);

// Continuations of one combination before its ending stands as it is.
inline constexpr int32_t kMaxEndingChecks = 10;

}  // namespace tymlp
