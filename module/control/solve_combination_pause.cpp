// solve_combination_pause.cpp -- the pause as the phases call it.
#include "control/pause.h"
#include "simplex/phases.h"

namespace tymlp {

int PhasePause(LpContext* ctx, int reason, bool* interacted) {
    SolverState& sv = ctx->solver;
    // Statements are read only when the pause does not return at once.
    *interacted = sv.interactive != 0 && (sv.statement_done == 0 || sv.break_flag != 0);
    return Pause(ctx, reason);
}

}  // namespace tymlp
