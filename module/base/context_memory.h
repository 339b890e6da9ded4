// context_memory.h -- blocks that live for the run.
//
// Every long-lived block of a run comes from the host allocator through
// ctx_alloc and sits on the context's block chain, so that end_run can hand
// all of them back whatever path the run took.  Small records that never
// leave before the end (objective records, order keys) come from the
// context's heap instead, which end_run destroys as a whole.
#pragma once

#include <cstddef>

#include "base/lp_context.h"

namespace tymlp {

// Allocates `bytes` (zero filled when `flags` asks for it: TYM_ALLOC_*_ZERO)
// and links the block onto the chain.  Returns the caller's bytes (16-byte
// aligned), or null when the host has no memory left.
void* ctx_alloc(LpContext* ctx, size_t bytes, int flags);

// Unlinks a block obtained from ctx_alloc and returns it to the host.
// A null block is ignored.
void ctx_free(LpContext* ctx, void* block);

// Returns every block of the chain to the host; the chain is empty after.
void ctx_free_all(LpContext* ctx);

// Zero-filled bytes from the context's heap, or null.
void* ctx_heap_alloc(LpContext* ctx, size_t bytes);

}  // namespace tymlp
