// iteration_log.h -- the two iteration logs: one line per simplex iteration
// (IterationLog, while FLOW is on) and one line per integer iteration of
// branch and bound (IntegerIterationLog).
//
// Each log is a data table that stays open from one line to the next, so
// that a long solve can be watched as it goes.  Only one of the two is open
// at a time: opening one ends and closes the other.  A line is written only
// when PRINTLEVEL is -1 or more and the relevant count (the phase's
// iteration count, the integer iteration number) is a multiple of
// PRINTFREQ.  The table state and the row buffers live in ctx->report.
#pragma once

#include "base/lp_context.h"

namespace tymlp {

// Writes the iteration-log line of the simplex iteration just done: phase,
// the phase's iteration count with the pricing-source marker in its first
// character (blank for a rule's or the random choice, "M" after a major
// pricing pass, "P" otherwise), entering and leaving column (name and
// number from 1), the price of the entering column and the objective value
// (in phase 1 the sum of the bound violations instead), both unscaled with
// FUZZ applied.  Called from the common iteration tail while FLOW is on.
// A request the host refuses is reported through the host status report
// and the solve goes on without that line.
void print_iteration_log_line(LpContext* ctx);

// Phase 1 reports the sum of the bound violations of the columns that are
// not held (objective and free-row columns are never infeasible), in the
// columns' own units.
double sum_of_violations(const LpContext* ctx);

// Writes the integer-log line of the integer iteration just done.  Branch
// and bound fills ctx->report.integer_log.problem (the stamp of the node
// just solved) and ctx->bb (iteration number, condition text, branching
// column, infeasibility sum, active count, incumbent and bound list) before
// the call.  The proximity is computed on every call, printed or not, and
// returned (the host's missing value when it has none); PROXIMITYPAUSE
// compares against it.
double print_integer_log_line(LpContext* ctx);

// The proximity of the current search: max(B - I, 0) / s_z with B the
// largest bound of an active node and I the incumbent's bound, 0 below
// FUZZ; missing when no node is active, or when neither an incumbent nor an
// improved solution exists.
double integer_proximity(const LpContext* ctx);

// Ends and closes whichever log is open; `log_stays_open` marks the end of
// the rows with tag 300 = 1 (the solution summary does this before its
// table, so the host knows the log was cut short, not finished).
void close_iteration_logs(LpContext* ctx, bool log_stays_open);

}  // namespace tymlp
