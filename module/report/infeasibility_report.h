// infeasibility_report.h -- where an infeasible ending breaks the problem.
//
// After a run that ended infeasible (run status 6), at PRINTLEVEL 1 or -1:
// one InfeasibilitySummary per column outside its bounds, and for every
// violated row its summary and the InfeasibilityActivity of the columns in
// it (coefficient, value and bounds), all in the user's units.
#pragma once

#include "base/lp_context.h"

namespace tymlp {

// The column report: right after the variable summary.  Returns 0 or 25.
int print_infeasible_columns(LpContext* ctx);

// The row report: right after the constraint summary, from the activities
// it left.  Returns 0, 9 or 25.
int print_infeasible_rows(LpContext* ctx);

}  // namespace tymlp
