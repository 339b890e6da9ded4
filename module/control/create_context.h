// create_context.h -- the run context with every default.
#pragma once

#include "base/lp_context.h"

namespace tymlp {

// Allocates LpContext zero filled from the host, creates its heap (kind 0,
// block size 1024, options 2) and sets every default: the options from the
// option table, the keyword flags, the sampled indexes of the node lists,
// the name lengths, the phase counters and the dense reader.  Returns kRunOk
// with *out set, or kRunMemory (nothing is left allocated then).
int create_context(LpContext** out);

// Sets every option of the option table and every keyword flag to its
// default (also the sampled-index parameters of the node lists).
void set_option_defaults(LpContext* ctx);

}  // namespace tymlp
