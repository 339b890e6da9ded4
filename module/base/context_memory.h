// context_memory.h -- blocks that live for the run.
//
// Every long-lived block of a run comes from the host allocator through
// ctx_alloc and sits on the context's block chain, so that end_run can hand
// all of them back whatever path the run took.  Small records that never
// leave before the end (objective records, order keys) come from the
// context's heap instead, which end_run destroys as a whole.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/lp_context.h"
#include "tym_host.h"

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

// Every heap the module makes asks the host for the same shape: the default
// kind, 1024-byte blocks, and options 2.
inline constexpr int kHeapKind = 0;
inline constexpr int kHeapBlockBytes = 1024;
inline constexpr int kHeapOptions = 2;

// A new heap of that shape from the host, or null.
TymHeap create_module_heap();

// Zero-filled bytes from `heap` (a heap of the caller's own, handed back as a
// whole when its work is done), or null.
void* heap_alloc_zeroed(TymHeap heap, size_t bytes);

// An array of `count` elements of T on the block chain.  A count of 0 (or
// less) still yields one element, so that a null result always means the
// host is out of memory and never an empty problem dimension.
template <typename T>
T* ctx_alloc_array(LpContext* ctx, int64_t count, int flags = TYM_ALLOC_LONG_ZERO) {
    const size_t bytes = static_cast<size_t>(count > 0 ? count : 1) * sizeof(T);
    return static_cast<T*>(ctx_alloc(ctx, bytes, flags));
}

// Hands an array from ctx_alloc_array back and clears the caller's pointer
// to it, so that a later release of the same field is harmless.
template <typename T>
void ctx_free_array(LpContext* ctx, T*& block) {
    ctx_free(ctx, block);
    block = nullptr;
}

// The same array rule (at least one element, zero filled) for a heap of the
// caller's own.
template <typename T>
T* heap_alloc_array(TymHeap heap, int64_t count) {
    return static_cast<T*>(heap_alloc_zeroed(heap, static_cast<size_t>(count > 0 ? count : 1) * sizeof(T)));
}

}  // namespace tymlp
