// incumbent_check.h -- an integer solution is accepted as the incumbent
// only when it holds at the point the user will be given.
#pragma once

#include "base/lp_context.h"

namespace tymlp {

// The current values measured as an integer solution: every integer column
// within IEPSILON of an integer, and every row's residual at the point with
// those columns rounded and every column moved onto its bounds, relative to
// the row's own terms.  A solution that fails is reported (message 293) and
// false returned; so is one that cannot be measured (no memory, no column).
bool incumbent_holds(LpContext* ctx);

}  // namespace tymlp
