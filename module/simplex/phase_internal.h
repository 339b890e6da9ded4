// phase_internal.h -- the pieces the phase loops share.
#pragma once

#include "base/lp_context.h"

namespace tymlp {

// Returned by the tail checks when the phase goes on.
inline constexpr int kContinue = -1;

// Checks before a phase's first iteration: kStopPause when the since-pause
// count has reached PAUSE, kStopPivots when no pivot is allowed; else
// kContinue.
int PhaseEntryChecks(LpContext* ctx);

// First half of the common iteration tail: the iteration, since-pause and
// pivot counts, and the iteration-log row when FLOW is on.
void TailCount(LpContext* ctx);

// Second half: attention poll, then kStopInterrupted (break), kStopPause
// (pause count), kStopPivots (pivot allowance), kStopTime (elapsed time beyond
// TIME seconds) or kStopIterations (iteration limit reached); kContinue when
// the phase goes on.
int TailChecks(LpContext* ctx);

// The whole tail.
inline int IterationTail(LpContext* ctx) {
    TailCount(ctx);
    return TailChecks(ctx);
}

// Starts the clock of a phase run: later tail checks add the time since.
void StartPhaseClock(LpContext* ctx);

// The working tolerance back at BEPSILON once it passed its ceiling.
void ResetDeltaAtCeiling(LpContext* ctx);

// Scatters column j into the work vector and FTRANs it.  kRunOk, kRunMemory or kRunIo.
int TransformColumn(LpContext* ctx, int32_t j);

}  // namespace tymlp
