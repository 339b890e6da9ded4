// solve_combination_pause.cpp -- the pause of the phases and the driver
// while interactive pauses do not exist yet.
#include "simplex/phases.h"

namespace tymlp {

int PhasePause(LpContext* ctx, int reason, bool* interacted) {
    (void)reason;
    SolverState& sv = ctx->solver;
    *interacted = false;
    // A batch run whose statements are used up goes on at once; a pending
    // break is acknowledged so that the interrupted phase can resume.
    sv.break_flag = 0;
    return sv.run_status;
}

}  // namespace tymlp
