// work_store.h -- the work store: the engine's fixed arrays, and one block
// in which the inverse store (bottom) and a cache of matrix columns (top)
// share memory, with an overflow heap for columns that do not fit.
//
// The inverse store grows by taking bytes from the cache (cached copies in
// the way are dropped and read again from the matrix store when needed); when
// the cache cannot give enough the block itself is enlarged (a severe shift).
#pragma once

#include <cstdint>
#include <cstring>

#include "base/lp_context.h"

namespace tymlp {

// SetUpWorkStore: allocates (when not yet allocated) the row and column scale
// factors (1.0 each), x, y (16*m bytes: also the inverse store's integer
// workspace of 4m int32), the work and scratch m-vectors, the six int32[m]
// index arrays of the inverse store, and the block.  Block size: WORKMEMORY
// kilobytes when given, else max(trunc(SPARSE) * 16 * nonzeros, sum of the
// column copy sizes), capped by what the host still has (minus 2048 bytes).
// Preconditions: model.rows, model.columns and the matrix store directory are
// set.  On exit the inverse store points at the block with capacity 0, its
// memory-shift callback is installed, and the whole block above the reserve
// is cache space.  Returns 0, or 9 when an allocation fails or the block is
// smaller than 16*m + reserve.
int SetUpWorkStore(LpContext* ctx);

// The work vector is being written other than by the entering column's
// FTRAN: the list that FTRAN left no longer tells where it is nonzero, so
// the next entering column clears all of it.
inline void ForgetWorkNonzeros(LpContext* ctx) { ctx->phases.ratio.work_zero_elsewhere = 0; }

// Zeroes the whole work vector for a writer that fills it from scratch.
inline void ClearWorkVector(LpContext* ctx) {
    ForgetWorkNonzeros(ctx);
    std::memset(ctx->form.work, 0, static_cast<size_t>(ctx->model.rows) * sizeof(double));
}

// FetchColumn: the values, row numbers and count of column j, from its cached
// copy, or read from the matrix store into the cache (top of the block) or,
// when the cache has no room, into the overflow heap (the copy is pinned and
// survives emptying the cache).  The addresses stay valid until the next
// FetchColumn, MemoryShift, Invert or DropOverflow.  Returns 0; 9 when even
// an emptied cache cannot hold the column; 25 after the host's I/O error
// report when the matrix store fails.
int FetchColumn(LpContext* ctx, int32_t j, const double** values, const int32_t** rows, int32_t* count);

// FetchColumn for the loops that visit every column (pricing passes): a
// cached copy is answered here, everything else by FetchColumn.
inline int FetchCachedColumn(LpContext* ctx, int32_t j, const double** values, const int32_t** rows, int32_t* count) {
    const ProblemModel& pm = ctx->model;
    if (pm.directory != nullptr && j >= 0 && j < pm.directory_size) {
        const ColumnDirItem& item = pm.directory[j];
        if (item.cached != nullptr && item.count > 0) {
            *count = item.count;
            *values = item.cached;
            *rows = reinterpret_cast<const int32_t*>(item.cached + item.count);
            return 0;
        }
    }
    return FetchColumn(ctx, j, values, rows, count);
}

// MemoryShift: gives the inverse store *bytes more bytes directly above its
// end (at least 16*m when the cache can give that much), from the column
// cache, else by enlarging the block through a utility file (severe shift).
// On return *bytes holds the bytes granted, or the request negated when
// nothing could be granted (the block is then unchanged).  The inverse
// store's `elements` follows the block when it moves; every unpinned cached
// column is dropped on a grant.  Does not change the inverse store's
// capacity (its caller adds the granted slots).  Returns 0.
int MemoryShift(LpContext* ctx, int64_t* bytes);

// The inverse store's memory-shift callback: MemoryShift on the context in `arg`.
int MemoryShiftCallbackEntry(void* arg, int64_t* bytes);

// FreeMemory: the host's memory-release callback (cookie = the context).
// With active branch-and-bound nodes it switches node selection to LIFO and
// releases the nodes that cannot beat the cutoff; then drops the overflow heap.
void FreeMemory(int64_t arg, void* cookie);

// Registers FreeMemory with the host's memory manager (run step 12).
// Returns 0 (a host refusal is not an error: the run goes on without it).
int RegisterRelease(LpContext* ctx);

// DropOverflow: destroys the overflow heap, empties the cache and clears every
// pinned mark.  Returns 1 when a heap was released, 2 when there was none.
int DropOverflow(LpContext* ctx);

// Drops every unpinned cached column and resets the cache to the whole space
// above the inverse store (cache top = end of block, floor = end of block
// minus inverse_bytes_available minus reserve).
void EmptyCache(LpContext* ctx);

// End of run: destroys the overflow heap (the block itself is on the block
// chain and goes with it).  Safe to call more than once.
void ReleaseWorkStore(LpContext* ctx);

}  // namespace tymlp
