// run_procedure.h -- the procedure driver: one invocation from start to end.
#pragma once

#include "base/lp_context.h"

namespace tymlp {

// Runs one invocation: module_init, create_context, the table output
// connection, the statement step, reading, preparation and the combination
// loop.  The steps other parts provide (run_steps.h) run as far as they
// exist; the run then ends through end_run with the end code its status
// asks for (end_code_of_run_status).  Never returns:
// every path leaves through end_run or the host's end of step.
[[noreturn]] void run_procedure();

// The end of the run sequence after the statement step (steps 6 to 16),
// split out so that tests can drive it with a context of their own.
[[noreturn]] void run_after_statement(LpContext* ctx);

// The end code a run that went through its combinations ends with: a
// status of bad data, memory or input/output found on the way (an ACTIVEIN
// that does not fit the problem, say) ends the run as those faults do
// elsewhere, so that the caller's exit status says so; any other status
// ends it normally.
int end_code_of_run_status(int run_status);

// Maps a reader result to the run: 0 sets run status 0; 9, 10, 11 and 25
// end the run (11 after message 210 naming the other layout); any other
// result leaves the run status as it is and the run goes on.
void handle_reader_result(LpContext* ctx, int result);

// The combination loop: for each right-hand-side column r (input order)
// while the run status is 0, load it into the right-hand-side array (when
// the array exists; rows scaled when SCALE is 2 or 3), then call `solve` for
// each objective 1 .. count-1, forward for r = 0 and then alternately
// backward and forward, while the run status stays 0.  model.rhs_index and
// model.objective_index tell `solve` which combination it is.
void run_combinations(LpContext* ctx, int (*solve)(LpContext* ctx));

}  // namespace tymlp
