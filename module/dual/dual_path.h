// dual_path.h -- the dual simplex as a whole algorithm: from any starting
// basis, costs shifted until the basis is dual feasible, then dual
// iterations with steepest-edge pricing of the leaving row and a
// bound-flipping ratio test, until the basis is primal feasible.
//
// The caller takes the result to the checked endings: the shifts come off
// (DualPathRemoveShifts), and the primal phase 2 finishes the work when that
// leaves a column attractive.
#pragma once

#include "base/lp_context.h"

namespace tymlp {

// Readies the path for the current combination: the arrays (kept for the
// run), the row-wise copy of the matrix, no cost shifts, reduced costs and
// the steepest-edge weights of the starting basis.  Returns kRunOk,
// kRunMemory or kRunIo.
int DualPathPrepare(LpContext* ctx);

// The number of nonbasic columns whose reduced cost has the wrong sign and
// that cannot be put right by moving to their other bound (one of their
// bounds is infinite).  The dual phase 1 is worth running when there are any.
int32_t DualInfeasibleUnboxed(const LpContext* ctx);

// The dual phase 1 as an auxiliary problem: every bound replaced by 0, 1 or
// -1 (a free column gets [-1, 1], a column with one finite bound [0, 1] or
// [-1, 0] on that side, a boxed or fixed one [0, 0]) and the right-hand side
// by 0.  Every column of it is boxed, so any basis is dual feasible for it,
// and its optimum minimises the sum of the real problem's dual
// infeasibilities: DualSimplexPhase solves it between DualPhase1Begin and
// DualPhase1End, which puts the real bounds, status bits and right-hand
// side back.  Both return kRunOk, kRunMemory or kRunIo.
int DualPhase1Begin(LpContext* ctx);
int DualPhase1End(LpContext* ctx);

// The start of the iterations on the real problem: nonbasic columns of a
// finite range at the bound their reduced cost asks for, the costs of the
// other columns whose reduced cost has the wrong sign shifted to make it
// zero, the costs perturbed (`perturb`), the basic values solved for.
// Returns kRunOk, kRunMemory or kRunIo.
int DualPathStart(LpContext* ctx, bool perturb);

// The iterations, as a phase routine for RunPhase (pauses, PIVOT, TIME and
// the iteration limit of the phase in force stop it, and it goes on where it
// stood when called again).  kStopFinished when the basis is primal
// feasible on fresh factors; kStopDualUnbounded when a row that no nonbasic
// column can repair is confirmed on fresh factors (the problem is
// infeasible); kStopSingular when accuracy could not be kept (the caller
// falls back to the primal phases); else a StopCode or run status.
int DualSimplexPhase(LpContext* ctx);

// Takes every cost shift off and recomputes the reduced costs.  Returns
// kRunOk, kRunMemory or kRunIo.
int DualPathRemoveShifts(LpContext* ctx);

// The number of columns whose cost is shifted now.
int32_t DualPathShiftCount(const LpContext* ctx);

}  // namespace tymlp
