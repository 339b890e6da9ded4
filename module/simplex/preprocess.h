// preprocess.h -- the preprocessing step of the run (bound tightening and
// row reduction before the computational form is built).
#pragma once

#include "input/lp_context.h"

namespace tymlp {

// Preprocess: nothing to do (0) when PREPROCESS is off; with more than one
// right-hand-side column message 259 and 11.  The reductions themselves are
// not built yet: with PREPROCESS on the problem goes on unreduced, which
// changes the work done but not the solution.  Returns 0 or 11.
int Preprocess(LpContext* ctx);

}  // namespace tymlp
