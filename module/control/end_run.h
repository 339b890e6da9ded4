// end_run.h -- the single way out of a run.
#pragma once

#include "base/lp_context.h"

namespace tymlp {

// Ends the run with `end_code` (0, 1, 1008, 1016, 1020, 2000, 3000):
//   - releases the sparse-pricing data, every block of the block chain,
//     every utility file (stores, pivot history, node file, value-column
//     lists), the opened data sets (output data sets are kept only for end
//     codes 0 and 1), the table output objects, the parser, the heap, the
//     parser state record and the context itself;
//   - asks the host for its memory report for 1016;
//   - resets the phase word and the phase-1 counter, and for 1008, 1016,
//     1020, 2000 and 3000 sets the run status the end code imposes and the
//     status macro variable (0 and 1 leave both as they are);
//   - ends the host step with the end code.
// The status macro variable is built before anything it reads is released.
// Never returns.
[[noreturn]] void end_run(LpContext* ctx, int end_code);

// Ends the step at once with `end_code`, without touching the run status
// or the status macro variable (statement errors, QUIT or RUN after a
// failure), after releasing what the run holds.  Never returns.
[[noreturn]] void end_step_at_once(LpContext* ctx, int end_code);

// Releases everything the run holds except the context, the heap and the
// parser state record (the first steps of end_run); used by end_run and
// end_step_at_once, and by tests.  `keep_outputs` commits the output data
// sets instead of discarding them.
void release_run_resources(LpContext* ctx, bool keep_outputs);

}  // namespace tymlp
