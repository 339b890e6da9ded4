// sensitivity.h -- the analyses of the change vectors of the problem data:
// the PRICESEN rows (objective coefficients c + phi p) and the RHSSEN
// columns (right-hand sides b + phi q).  For each vector, the interval of phi
// over which the optimal basis stays, with the column that enters or leaves
// at each end and what every column does there; with PRICEPHI or RHSPHI the
// walk through the breakpoints beyond it (PARAPRINT reports every one;
// PARARESTORE, the default, puts the optimal basis back afterwards).
#pragma once

#include "base/lp_context.h"

namespace tymlp {

// Each returns 0 when done or skipped (also when memory for the analysis is
// lacking: message 157), 9 or 25 when a column cannot be read, 1 when the
// factors cannot be brought up to date after a step.
int print_rhs_sensitivity(LpContext* ctx);
int print_price_sensitivity(LpContext* ctx);

}  // namespace tymlp
