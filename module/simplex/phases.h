// phases.h -- the simplex phases, the runner that turns their stop codes
// into messages and pauses, and the value updates around a basis exchange.
#pragma once

#include <cstdint>

#include "base/lp_context.h"

namespace tymlp {

// Why a phase stopped.  The numbers are the run statuses each stop turns
// into (a phase also hands back the run status of a failed step, kRunIo for
// one, as it is), so a phase's result is compared and returned as an int.
enum StopCode : int {
    kStopFinished = 0,       // optimal for the phase
    kStopSingular = 1,       // the basis became singular
    kStopTime = 3,           // elapsed time beyond TIME
    kStopIterations = 4,     // the phase's iteration limit
    kStopPause = 5,          // the since-pause count reached PAUSE
    kStopDualUnbounded = 6,  // no column can enter the dual step: primal infeasible
    kStopUnbounded = 7,      // a primal ray
    kStopMemory = 9,         // no memory for a step
    kStopPivots = 13,        // the pivot allowance is used up
    kStopCutoff = 17,        // the objective passed the cutoff
    kStopInterrupted = 27,   // a break was requested
    kStopNestedFailed = 99   // the nested phase 2 of the dual phase did not finish
};

using PhaseRoutine = int (*)(LpContext* ctx);

// RunPhase: runs `phase` and reports its stop code: kStopMemory (message
// 59), kStopInterrupted (206), kStopPivots (170; the pivot allowance is
// reset), kStopPause (172; the since-pause count is reset), kStopIterations
// (61 with the phase number twice), kStopTime (58), each followed by a pause
// with the code.  After kStopInterrupted, kStopPivots and kStopPause the
// phase runs again; after kStopIterations only when the pause raised the
// limit above the count, after kStopTime only when the elapsed time is within
// TIME again, after kStopMemory only when the pause read statements
// (repeating a phase that just ran out of memory without anything changing
// would never end).  Returns the last code.
int RunPhase(LpContext* ctx, PhaseRoutine phase);

// The phases.  Each returns a StopCode, or the run status of a failed step.
int PrimalPhase1(LpContext* ctx);
int PrimalPhase2(LpContext* ctx);
int DualPhase(LpContext* ctx);

// Points the iteration counter and limit at phase 1, 2 or 3 and sets the
// phase word; `clear` also zeroes that counter.
void EnterPhase(LpContext* ctx, int16_t phase, bool clear);

// ExchangeBasis: the entering column (solver.entering at solver.entering_pos)
// takes basis position solver.leaving_pos; the leaving column goes to the
// end of the header (its value stays where the step left it, on or within
// the working tolerance of the bound its at-upper bit names, so that the
// basic values stay consistent with it); the objective records and the
// pricing queue follow.
void ExchangeBasis(LpContext* ctx);

// The same exchange for an explicit header position and basis position (the
// factorisation's repair calls it through the engine hooks).
void ExchangeAt(LpContext* ctx, int32_t header_pos, int32_t basis_pos);

// ExchangeInPlace: as ExchangeAt, but the leaving column takes the entering
// column's header position and the rest of the nonbasic part stays where it
// is (constant time; for the dual path, to which that order means nothing).
void ExchangeInPlace(LpContext* ctx, int32_t header_pos, int32_t basis_pos);

// UpdatePrimal: x_B -= theta * alpha (alpha in the work vector).
void UpdatePrimal(LpContext* ctx);

// UpdateDuals: after a dual ratio test, the stored reduced costs move by the
// dual step along the pivot row; the leaving column's becomes -d_q/alpha_q.
void UpdateDuals(LpContext* ctx);

// The random generator of phase 1: a multiplicative congruential generator
// modulo 2^31 - 1; returns u in (0, 1).
double NextRandom(LpContext* ctx);

// Installs the phases' routines in the engine hooks (basis exchange and the
// upkeep of the sparse-pricing copy used by the factorisation's repair).
void InstallPhaseHooks(LpContext* ctx);

// The pause of a phase or of the driver.  Until interactive pauses exist it
// returns at once, as a batch run does once its statements are used up (a
// pending break is acknowledged).  Returns the run status to continue with;
// *interacted tells whether statements were read.
int PhasePause(LpContext* ctx, int reason, bool* interacted);

}  // namespace tymlp
