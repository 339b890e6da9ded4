// phase_runner.cpp -- the phase runner and the common iteration tail.
#include <climits>
#include <cstring>

#include "base/host_link.h"
#include "factor/factor_entries.h"
#include "output/iteration_log.h"
#include "output/progress_report.h"
#include "simplex/phase_internal.h"
#include "simplex/phases.h"
#include "simplex/ratio_tests.h"
#include "simplex/work_store.h"

namespace tymlp {
namespace {

constexpr int kMsgTimeLimit = 58;
constexpr int kMsgMemory = 59;
constexpr int kMsgIterationLimit = 61;
constexpr int kMsgPivotsDone = 170;
constexpr int kMsgPauseCount = 172;
constexpr int kMsgInterrupted = 206;
constexpr int64_t kMillisecondsPerSecond = 1000;

bool within_time(const LpContext* ctx) {
    return static_cast<double>(ctx->solver.elapsed_ms) <= ctx->options.time * kMillisecondsPerSecond;
}

}  // namespace

void StartPhaseClock(LpContext* ctx) { ctx->solver.last_clock_ms = host_clock_ms(); }

void ResetDeltaAtCeiling(LpContext* ctx) {
    if (ctx->solver.delta > DeltaCeiling()) ctx->solver.delta = ctx->options.bepsilon;
}

int PhaseEntryChecks(LpContext* ctx) {
    const SolverState& sv = ctx->solver;
    if (sv.since_pause >= ctx->options.pause) return kStopPause;
    if (sv.pivot_allowance < 1) return kStopPivots;
    return kContinue;
}

void TailCount(LpContext* ctx) {
    SolverState& sv = ctx->solver;
    if (sv.counter != nullptr) *sv.counter += 1;
    sv.since_pause += 1;
    sv.pivot_allowance -= 1;
    if (ctx->options.flow != 0) print_iteration_log_line(ctx);
}

int TailChecks(LpContext* ctx) {
    SolverState& sv = ctx->solver;
    host_attention_poll();
    if (sv.break_flag != 0) return kStopInterrupted;
    if (sv.since_pause >= ctx->options.pause) return kStopPause;
    if (sv.pivot_allowance < 1) return kStopPivots;
    const int64_t now = host_clock_ms();
    if (now >= 0) {
        if (sv.last_clock_ms > 0 && now >= sv.last_clock_ms) sv.elapsed_ms += now - sv.last_clock_ms;
        sv.last_clock_ms = now;
        report_progress(ctx, now);
        if (!within_time(ctx)) return kStopTime;
    }
    if (sv.counter != nullptr && sv.limit != nullptr && *sv.counter >= *sv.limit) return kStopIterations;
    return kContinue;
}

int TransformColumn(LpContext* ctx, int32_t j) {
    ComputationalForm& f = ctx->form;
    const double* values = nullptr;
    const int32_t* rows = nullptr;
    int32_t count = 0;
    const int rc = FetchColumn(ctx, j, &values, &rows, &count);
    if (rc != 0) return rc;
    ClearWorkVector(ctx);
    for (int32_t k = 0; k < count; ++k) f.work[rows[k]] += values[k];
    ctx->entries.factor->ftran(ctx->inverse, f.work);
    return 0;
}

int RunPhase(LpContext* ctx, PhaseRoutine phase) {
    SolverState& sv = ctx->solver;
    for (;;) {
        StartPhaseClock(ctx);
        const int code = phase(ctx);
        bool again = false;
        switch (code) {
            case kStopMemory: host_message(kMsgMemory); break;
            case kStopInterrupted: host_message(kMsgInterrupted); break;
            case kStopPivots:
                host_message(kMsgPivotsDone);
                sv.pivot_allowance = INT_MAX;
                break;
            case kStopPause:
                host_message(kMsgPauseCount);
                sv.since_pause = 0;
                break;
            case kStopIterations: {
                const TymArg args[] = {arg_int(sv.phase), arg_int(sv.phase)};
                host_message(kMsgIterationLimit, 2, args);
                break;
            }
            case kStopTime: host_message(kMsgTimeLimit); break;
            default: return code;
        }
        bool interacted = false;
        PhasePause(ctx, code, &interacted);
        switch (code) {
            case kStopMemory: again = interacted; break;
            case kStopIterations:
                again = sv.counter != nullptr && sv.limit != nullptr && *sv.limit > *sv.counter;
                break;
            case kStopTime: again = within_time(ctx); break;
            default: again = true; break;
        }
        if (!again) return code;
    }
}

}  // namespace tymlp
