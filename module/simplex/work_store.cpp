// work_store.cpp -- the engine's fixed arrays and the block shared by the
// inverse store (growing up from the base) and the column cache (growing down
// from the end), with the overflow heap for columns that do not fit.
#include "simplex/work_store.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "base/context_memory.h"
#include "base/host_link.h"
#include "factor/factor_entries.h"
#include "input/matrix_store.h"
#include "simplex/work_store_internal.h"

namespace tymlp {
namespace {

constexpr int64_t kKilobyte = 1024;
constexpr int64_t kHostMargin = 2048;  // bytes left to the host when sizing the block
constexpr int64_t kBlockAlign = 16;    // the block size keeps slots and copies aligned

template <typename T>
T* alloc_array(LpContext* ctx, T* existing, int64_t count) {
    if (existing != nullptr) return existing;
    const size_t bytes = static_cast<size_t>(std::max<int64_t>(count, 1)) * sizeof(T);
    return static_cast<T*>(ctx_alloc(ctx, bytes, TYM_ALLOC_LONG_ZERO));
}

// The fixed arrays of the engine, in the order the run takes them.
int allocate_arrays(LpContext* ctx) {
    const int64_t m = ctx->model.rows;
    const int64_t n = ctx->model.columns;
    ComputationalForm& f = ctx->form;
    InverseStore& s = ctx->inverse;
    const bool fresh_scales = f.row_scale == nullptr;
    if ((f.row_scale = alloc_array(ctx, f.row_scale, m)) == nullptr) return kRunMemory;
    if ((f.column_scale = alloc_array(ctx, f.column_scale, n)) == nullptr) return kRunMemory;
    if ((f.value = alloc_array(ctx, f.value, n)) == nullptr) return kRunMemory;
    // y doubles as the factorisations' integer workspace of 4m int32.
    if (f.duals == nullptr) {
        f.duals = static_cast<double*>(
            ctx_alloc(ctx, static_cast<size_t>(std::max<int64_t>(m, 1)) * kDualBytesPerRow, TYM_ALLOC_LONG_ZERO));
        if (f.duals == nullptr) return kRunMemory;
    }
    ForgetWorkNonzeros(ctx);
    if ((f.work = alloc_array(ctx, f.work, m)) == nullptr) return kRunMemory;
    if ((f.scratch = alloc_array(ctx, f.scratch, m)) == nullptr) return kRunMemory;
    int32_t** index_arrays[] = {&s.rowStart, &s.rowEnd,    &s.colStart,  &s.colEnd,     &s.pivotRow,  &s.pivotCol,
                                &s.rowStep,  &s.spikeList, &s.reachMark, &s.reachStack, &s.reachNext, &s.reachOrder};
    for (int32_t** a : index_arrays)
        if ((*a = alloc_array(ctx, *a, m)) == nullptr) return kRunMemory;
    s.spikeCount = -1;
    if (fresh_scales) {
        std::fill(f.row_scale, f.row_scale + m, 1.0);
        std::fill(f.column_scale, f.column_scale + n, 1.0);
    }
    if (f.allocated_n == 0) f.allocated_n = static_cast<int32_t>(n);
    if (f.allocated_m == 0) f.allocated_m = static_cast<int32_t>(m);
    return 0;
}

void connect_inverse_store(LpContext* ctx) {
    InverseStore& s = ctx->inverse;
    s.m = ctx->model.rows;
    s.spike = ctx->form.scratch;
    s.intWork = reinterpret_cast<int32_t*>(ctx->form.duals);
    s.pivotThreshold = ctx->options.u;
    s.dropTolerance = ctx->options.small;
    s.memoryShift = MemoryShiftCallbackEntry;
    s.memoryShiftArg = ctx;
    if (ctx->entries.factor == nullptr) ctx->entries.factor = FactorEntriesFor(ctx->options.lu);
}

// The block size the problem asks for, before the host's limit.
int64_t wanted_block_bytes(const LpContext* ctx, int64_t* reserve) {
    const ProblemModel& pm = ctx->model;
    int64_t largest = 0;
    int64_t total = 0;
    int64_t nonzeros = 0;
    for (int32_t j = 0; j < pm.directory_size; ++j) {
        const int64_t size = matrix_block_bytes(pm.directory[j].count);
        largest = std::max(largest, size);
        total += size;
        nonzeros += pm.directory[j].count;
    }
    *reserve = largest;
    total = std::max(total, largest + kSlotBytes * pm.rows);
    if (ctx->options.workmemory > 0) return static_cast<int64_t>(ctx->options.workmemory) * kKilobyte;
    if (pm.coef_count > 0) nonzeros = pm.coef_count;
    const double factor = std::trunc(ctx->options.sparse);
    const double by_density = factor * static_cast<double>(kSlotBytes) * static_cast<double>(nonzeros);
    const double capped = std::min(by_density, static_cast<double>(INT64_MAX / 2));
    return std::max(static_cast<int64_t>(capped), total);
}

// The block moved from `old_base` to w.base (same contents): every address
// into it follows.
void rebase_block(LpContext* ctx, char* old_base, int64_t old_size) {
    WorkStore& w = ctx->engine.store;
    const auto from = reinterpret_cast<uintptr_t>(old_base);
    auto moved = [&](char* p) { return w.base + (reinterpret_cast<uintptr_t>(p) - from); };
    w.cache_top = moved(w.cache_top);
    w.cache_floor = moved(w.cache_floor);
    ProblemModel& pm = ctx->model;
    for (int32_t j = 0; j < pm.directory_size; ++j) {
        ColumnDirItem& item = pm.directory[j];
        const auto p = reinterpret_cast<uintptr_t>(item.cached);
        if (item.cached != nullptr && item.pinned == 0 && p >= from && p < from + static_cast<uintptr_t>(old_size))
            item.cached = reinterpret_cast<double*>(moved(reinterpret_cast<char*>(item.cached)));
    }
    ctx->inverse.elements = reinterpret_cast<InverseSlot*>(w.base);
}

int64_t round_up(int64_t bytes, int64_t unit) { return (bytes + unit - 1) / unit * unit; }

// The grant itself: the inverse store may use `bytes` more above the floor.
void grant(LpContext* ctx, int64_t bytes) {
    WorkStore& w = ctx->engine.store;
    w.cache_top = w.base + w.block_bytes;
    w.cache_floor = w.base + w.block_bytes - w.inverse_bytes_available - w.reserve + bytes;
    w.inverse_bytes_available -= bytes;
    drop_unpinned(ctx);
    w.cache_top = w.base + w.block_bytes;
}

// Writes the block to a utility file, frees it and tries ever smaller larger
// blocks; on success the contents come back into the new block.  Returns the
// bytes added (>= request), or 0 when the block could not be enlarged (its
// contents are then back in a block of the old size).
int64_t enlarge_block(LpContext* ctx, int64_t request, int64_t preferred) {
    WorkStore& w = ctx->engine.store;
    TymUtil file = host_util_open();
    if (file == nullptr) return 0;
    char* const old_base = w.base;
    const int64_t old_size = w.block_bytes;
    if (old_base != nullptr && (host_util_position(file, 0) != 0 || host_util_write(file, old_base, old_size) != 0)) {
        host_util_close(file);
        return 0;
    }
    w.shifting = 1;
    ctx_free(ctx, old_base);
    w.base = nullptr;

    int64_t g = std::max(preferred, round_up(static_cast<int64_t>(std::trunc(kSevereGrowthShare * old_size)), 8));
    char* block = nullptr;
    while (g >= request) {
        block = static_cast<char*>(ctx_alloc(ctx, static_cast<size_t>(old_size + g), TYM_ALLOC_LONG_ZERO));
        if (block != nullptr) break;
        int64_t next = round_up(static_cast<int64_t>(std::trunc(kSevereShrink * static_cast<double>(g))), 8);
        g = next < g ? next : g - 8;
    }
    int64_t added = block != nullptr ? g : 0;
    if (block == nullptr)
        block = static_cast<char*>(ctx_alloc(ctx, static_cast<size_t>(old_size), TYM_ALLOC_LONG_ZERO));
    if (block != nullptr && old_base != nullptr &&
        (host_util_position(file, 0) != 0 || host_util_read(file, block, old_size) != 0)) {
        host_io_error_report(-1);
        added = 0;  // the contents are lost; the caller refactorises from the matrix store
    }
    host_util_close(file);
    w.shifting = 0;
    if (block == nullptr) {
        // Not even the old size came back: the store is gone until a later
        // shift finds memory again.
        w.base = nullptr;
        w.block_bytes = 0;
        w.inverse_bytes_available = 0;
        w.cache_top = w.cache_floor = nullptr;
        ctx->inverse.elements = nullptr;
        ctx->inverse.capacity = 0;
        ctx->inverse.etaCount = 0;
        drop_unpinned(ctx);
        return 0;
    }
    w.base = block;
    rebase_block(ctx, old_base, old_size);
    if (added > 0) {
        w.block_bytes = old_size + added;
        w.inverse_bytes_available += added;
    }
    return added;
}

}  // namespace

void drop_unpinned(LpContext* ctx) {
    WorkStore& w = ctx->engine.store;
    if (w.cached == 0) return;
    ProblemModel& pm = ctx->model;
    for (int32_t j = 0; j < pm.directory_size; ++j) {
        ColumnDirItem& item = pm.directory[j];
        if (item.cached != nullptr && item.pinned == 0) item.cached = nullptr;
    }
    w.cached = 0;
}

int SetUpWorkStore(LpContext* ctx) {
    int rc = allocate_arrays(ctx);
    if (rc != 0) return rc;
    connect_inverse_store(ctx);

    WorkStore& w = ctx->engine.store;
    int64_t reserve = 0;
    int64_t block_bytes = wanted_block_bytes(ctx, &reserve);
    const int64_t available = host_memory_available() - kHostMargin;
    if (available < 1) return kRunMemory;
    block_bytes = std::min(block_bytes, available) / kBlockAlign * kBlockAlign;
    if (block_bytes < kSlotBytes * ctx->model.rows + reserve) return kRunMemory;
    char* block = static_cast<char*>(ctx_alloc(ctx, static_cast<size_t>(block_bytes), TYM_ALLOC_LONG_ZERO));
    if (block == nullptr) return kRunMemory;

    w.base = block;
    w.block_bytes = block_bytes;
    w.reserve = reserve;
    w.inverse_bytes_available = block_bytes - reserve;
    w.cache_top = block + block_bytes;
    w.cache_floor = block;
    w.cached = 0;
    ctx->inverse.elements = reinterpret_cast<InverseSlot*>(block);
    ctx->inverse.capacity = 0;
    ctx->inverse.etaCount = 0;
    return 0;
}

int FetchColumn(LpContext* ctx, int32_t j, const double** values, const int32_t** rows, int32_t* count) {
    ProblemModel& pm = ctx->model;
    WorkStore& w = ctx->engine.store;
    if (pm.directory == nullptr || j < 0 || j >= pm.directory_size) {
        host_io_error_report(-1);
        return kRunIo;
    }
    ColumnDirItem& item = pm.directory[j];
    const int32_t c = item.count;
    *count = c;
    if (item.cached == nullptr && c > 0) {
        if (item.position < 0 || pm.matrix_store == nullptr) {
            host_io_error_report(-1);
            return kRunIo;
        }
        const int64_t size = matrix_block_bytes(c);
        char* copy = w.cache_top != nullptr ? w.cache_top - size : nullptr;
        bool pinned = false;
        if (copy == nullptr || copy < w.cache_floor) {
            copy = static_cast<char*>(overflow_alloc(ctx, size));
            pinned = copy != nullptr;
            if (copy == nullptr) {
                EmptyCache(ctx);
                copy = w.cache_top != nullptr ? w.cache_top - size : nullptr;
                if (copy == nullptr || copy < w.cache_floor) return kRunMemory;
            }
        }
        int rc = host_util_position(pm.matrix_store, item.position);
        if (rc == 0) rc = host_util_read(pm.matrix_store, copy, size);
        if (rc != 0) {
            // A pinned copy stays allocated in the heap until it is dropped.
            host_io_error_report(rc);
            return kRunIo;
        }
        item.cached = reinterpret_cast<double*>(copy);
        item.pinned = pinned ? 1 : 0;
        if (pinned) {
            w.pinned += 1;
        } else {
            w.cache_top = copy;
            w.cached += 1;
        }
    }
    *values = item.cached;
    *rows = c > 0 ? reinterpret_cast<const int32_t*>(item.cached + c) : nullptr;
    return 0;
}

void* overflow_alloc(LpContext* ctx, int64_t bytes) {
    WorkStore& w = ctx->engine.store;
    if (w.overflow == nullptr) {
        w.overflow = create_module_heap();
        if (w.overflow == nullptr) return nullptr;
    }
    TymHeap heap = w.overflow;
    void* p = host_heap_alloc(heap, static_cast<size_t>(bytes));
    // The host may have called FreeMemory meanwhile, which destroys the heap.
    if (w.overflow != heap) return nullptr;
    return p;
}

int MemoryShift(LpContext* ctx, int64_t* bytes) {
    WorkStore& w = ctx->engine.store;
    const int64_t request = *bytes;
    int64_t give = std::max(request, kSlotBytes * ctx->model.rows);
    if (ctx->options.performance == 1)
        host_note("%3zMemory Shift -- workmem=%li aalloc=%li balloc=%li need=%li", static_cast<long>(w.block_bytes),
                  static_cast<long>(ctx->inverse.capacity), static_cast<long>(w.inverse_bytes_available),
                  static_cast<long>(give));
    if (w.base != nullptr && w.inverse_bytes_available >= give) {
        grant(ctx, give);
        *bytes = give;
        return 0;
    }
    if (w.base != nullptr && w.inverse_bytes_available >= request) {
        grant(ctx, request);
        *bytes = request;
        return 0;
    }
    if (ctx->options.performance == 1) host_note("%3zSevere Memory Shift ");
    DropOverflow(ctx);
    const int64_t added = enlarge_block(ctx, request, give);
    if (added < request || w.base == nullptr) {
        *bytes = -request;
        return 0;
    }
    if (w.inverse_bytes_available < give) give = request;
    grant(ctx, give);
    *bytes = give;
    return 0;
}

int MemoryShiftCallbackEntry(void* arg, int64_t* bytes) { return MemoryShift(static_cast<LpContext*>(arg), bytes); }

void EmptyCache(LpContext* ctx) {
    WorkStore& w = ctx->engine.store;
    drop_unpinned(ctx);
    if (w.base == nullptr || w.shifting != 0) return;
    w.cache_top = w.base + w.block_bytes;
    w.cache_floor = w.cache_top - w.inverse_bytes_available - w.reserve;
}

int DropOverflow(LpContext* ctx) {
    WorkStore& w = ctx->engine.store;
    if (w.overflow == nullptr) return kNoOverflowHeap;
    TymHeap heap = w.overflow;
    w.overflow = nullptr;
    host_heap_destroy(heap);
    ProblemModel& pm = ctx->model;
    for (int32_t j = 0; j < pm.directory_size && w.pinned > 0; ++j) {
        ColumnDirItem& item = pm.directory[j];
        if (item.pinned == 0) continue;
        item.cached = nullptr;
        item.pinned = 0;
        w.pinned -= 1;
    }
    w.pinned = 0;
    EmptyCache(ctx);
    return kOverflowReleased;
}

void ReleaseWorkStore(LpContext* ctx) {
    WorkStore& w = ctx->engine.store;
    if (w.overflow != nullptr) host_heap_destroy(w.overflow);
    w.overflow = nullptr;
    w.pinned = 0;
}

}  // namespace tymlp
