// pause.h -- stopping a run where it stands and taking statements.
//
// The driver and the solvers call Pause with a reason (a run status: PAUSE,
// PIVOT, IPAUSE, BREAK, IPIVOT, PROXIMITYPAUSE, FEASIBLEPAUSE, or a finished
// solve's status).  In a batch run whose statements are used up it returns
// at once; otherwise it reads statements (the rest of the program, or the
// terminal after a break or with --interactive) until RUN, PIVOT or IPIVOT
// continues the run, or QUIT ends it.
#pragma once

#include "base/lp_context.h"
#include "tym_grammar.h"

namespace tymlp {

// Returns the run status to continue with.  Does not return after QUIT.
int Pause(LpContext* ctx, int reason);

// One statement read in a pause.  Returns 0 to leave the pause (RUN, QUIT,
// PIVOT, IPIVOT), non-zero to read the next statement; *status receives the
// run status the statement leaves (RESET with a bad value: 11).
int statement_action(LpContext* ctx, const TymParseRecord* rec, int* status);

// SHOW: every valued option with its value, and where the run stands.
void show_options(LpContext* ctx);
void show_status(LpContext* ctx);

// PRINT: the tables a PRINT statement asks for.
void print_requested(LpContext* ctx, const TymParseRecord* rec);

}  // namespace tymlp
