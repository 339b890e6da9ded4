// attention.h -- the user's break: the handler the host calls sets the
// break flag of the run, which the solver loops poll.
#pragma once

#include "base/lp_context.h"

namespace tymlp {

// The handler: sets ctx->solver.break_flag (cookie = the context).
void attention_handler(void* cookie);

// Installs the handler for this run (once; a second call is a no-op).
void install_attention(LpContext* ctx);

// Removes it when installed.
void remove_attention(LpContext* ctx);

}  // namespace tymlp
