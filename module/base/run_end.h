// run_end.h -- ending the run from below the driver.
//
// The driver's end of the run knows everything a run holds; the steps below
// it do not.  A step that must end the run where it stands (a host request
// refused in the middle of a table, no memory for the dual phase's arrays)
// calls this, which goes through the entry the driver installed at creation.
#pragma once

#include "base/lp_context.h"

namespace tymlp {

// Ends the run with `end_code` through ctx->entries.end_run; without one
// (a context not made by the driver) ends the host step directly.  Never
// returns.
[[noreturn]] void end_run_from_step(LpContext* ctx, int end_code);

}  // namespace tymlp
