// budgeted_dual.cpp -- the dual phase within a budget of iterations.
#include "integer/budgeted_dual.h"

#include <algorithm>

#include "simplex/phases.h"
#include "simplex/primal_values.h"

namespace tymlp {

int resolve_within_budget(LpContext* ctx, int32_t budget, int64_t* used) {
    SolverState& sv = ctx->solver;
    const int rc = RecomputePrimal(ctx);
    if (rc != 0) return rc;
    EnterPhase(ctx, kPhase3, false);
    const int32_t before = *sv.counter;
    const int32_t room = ctx->options.maxit3 - before;
    if (room <= 0 || budget <= 0) return kStopIterations;
    // The phase is called directly, not through the runner: a stop ends the
    // heuristic quietly instead of pausing inside it.  The limit points at
    // the budget only for this call.
    int32_t limit = before + std::min(budget, room);
    int32_t* saved_limit = sv.limit;
    sv.limit = &limit;
    int code = DualPhase(ctx);
    sv.limit = saved_limit;
    if (code == kStopNestedFailed) code = kStopIterations;
    sv.run_status = kRunOk;
    *used += *sv.counter - before;
    return code;
}

}  // namespace tymlp
