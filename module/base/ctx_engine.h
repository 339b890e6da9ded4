// ctx_engine.h -- the engine's part of the run context: the work store
// block shared by the inverse store and the column cache, and the hooks the
// simplex phases install for the factorisation's basis repair.
#pragma once

#include <cstdint>

#include "tym_host.h"

namespace tymlp {

struct LpContext;
struct ActiveNode;
struct InverseStore;

// The work store: one host block.  The inverse store (the slot array of
// base/ctx_inverse.h, capacity = the "aalloc" of the log lines) grows from
// the bottom; cached matrix columns are placed from the top downwards.  The
// log lines call block_bytes "workmem" and inverse_bytes_available "balloc".
// Invariant: base <= base + 16*capacity <= cache_floor <= cache_top <= base + block_bytes.
struct WorkStore {
    char* base;                       // start of the block; also the inverse store's slot array base
    int64_t block_bytes;              // bytes of the block
    int64_t inverse_bytes_available;  // bytes the inverse store may still take from the column cache
    int64_t reserve;                  // the largest column's copy size: 12 * count rounded up to 8
    char* cache_top;                  // lowest address used by cached columns
    char* cache_floor;                // no column may be cached below this address
    TymHeap overflow;                 // heap of columns that did not fit in the block (pinned), or none
    int32_t pinned;                   // columns cached in the overflow heap
    int32_t cached;                   // columns cached inside the block (0 lets a drop skip the directory)
    int16_t shifting;                 // 1 while a severe memory shift has the block out of memory
};

// Routines of the simplex phases that the factorisation needs when it repairs
// a singular basis by undoing a recorded exchange.  Null entries fall back to
// the plain behaviour named at each.
struct EngineHooks {
    // The full basis exchange: column at header position `header_pos` enters
    // at basis position `basis_pos`.  Null: SwapIntoBasis (basis_header.h).
    void (*exchange_basis)(LpContext* ctx, int32_t header_pos, int32_t basis_pos);
    // Brings the row-wise copy of the nonbasic columns of sparse pricing up
    // to date after the basis changed behind the phases' back.  Null: nothing.
    int (*refresh_row_copy)(LpContext* ctx);
    // Takes an active node out of every list and puts it on the free list
    // (branch and bound's node store).  Null: the memory release cannot give
    // nodes back and only switches node selection to LIFO.
    void (*release_node)(LpContext* ctx, ActiveNode* node);
    // The column replacement UpdateBasis uses (an instrumented one in tests
    // and benchmarks).  Null: UpdateFactor.
    double (*update_factor)(InverseStore& store, int32_t p);
};

struct EngineState {
    WorkStore store;
    EngineHooks hooks;
};

}  // namespace tymlp
