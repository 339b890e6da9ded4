// run_end.cpp -- ending the run from below the driver.
#include "base/run_end.h"

#include "base/host_link.h"

namespace tymlp {

void end_run_from_step(LpContext* ctx, int end_code) {
    if (ctx != nullptr && ctx->entries.end_run != nullptr) ctx->entries.end_run(ctx, end_code);
    host_end_step(end_code);
}

}  // namespace tymlp
