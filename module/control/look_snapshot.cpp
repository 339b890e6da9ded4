// look_snapshot.cpp -- the copy of the run's state a pause takes before it
// looks, and puts back afterwards.
#include "control/look_snapshot.h"

#include <cstring>

#include "base/context_memory.h"
#include "simplex/invert.h"
#include "simplex/price_tree.h"

namespace tymlp {

namespace {

// One array of the run and its copy.
struct SavedArray {
    void* live;
    void* copy;
    size_t bytes;
};

constexpr int kMaxArrays = 40;

}  // namespace

struct LookSnapshot {
    SavedArray arrays[kMaxArrays];
    int array_count;
    SolverState solver;
    InverseStore inverse;
    PricingState pricing;
    RatioState ratio;
    PhaseLoopState loop;
    BbState bb;
    // The factors live in the work store's block together with the column
    // cache, which the look may rearrange (a factorisation re-divides the
    // block): the whole block is kept, with the cache directory that points
    // into it.
    WorkStore store;
    char* block_copy;
    ColumnDirItem* directory;
    ColumnDirItem* directory_copy;
    int32_t directory_size;
    int32_t pivot_history_count;
    bool short_of_memory;
};

namespace {

void keep(LpContext* ctx, LookSnapshot* s, void* live, size_t bytes) {
    if (live == nullptr || bytes == 0 || s->short_of_memory) return;
    if (s->array_count >= kMaxArrays) {
        s->short_of_memory = true;
        return;
    }
    void* copy = ctx_alloc(ctx, bytes, TYM_ALLOC_LONG);
    if (copy == nullptr) {
        s->short_of_memory = true;
        return;
    }
    std::memcpy(copy, live, bytes);
    s->arrays[s->array_count++] = {live, copy, bytes};
}

void free_snapshot(LpContext* ctx, LookSnapshot* s) {
    for (int k = 0; k < s->array_count; ++k) ctx_free(ctx, s->arrays[k].copy);
    ctx_free(ctx, s->block_copy);
    ctx_free(ctx, s->directory_copy);
    ctx_free(ctx, s);
}

void* copy_of(LpContext* ctx, const void* from, size_t bytes, bool* failed) {
    if (from == nullptr || bytes == 0) return nullptr;
    void* copy = ctx_alloc(ctx, bytes, TYM_ALLOC_LONG);
    if (copy == nullptr) {
        *failed = true;
        return nullptr;
    }
    std::memcpy(copy, from, bytes);
    return copy;
}

void keep_factors(LpContext* ctx, LookSnapshot* s) {
    const InverseStore& inv = ctx->inverse;
    const WorkStore& w = ctx->engine.store;
    const ProblemModel& pm = ctx->model;
    s->store = w;
    s->block_copy = static_cast<char*>(copy_of(ctx, w.base, static_cast<size_t>(w.block_bytes), &s->short_of_memory));
    s->directory = pm.directory;
    s->directory_size = pm.directory_size;
    s->directory_copy = static_cast<ColumnDirItem*>(copy_of(
        ctx, pm.directory, static_cast<size_t>(pm.directory_size) * sizeof(ColumnDirItem), &s->short_of_memory));
    s->pivot_history_count = pm.pivot_history_count;
    const size_t m_ints = static_cast<size_t>(inv.m) * sizeof(int32_t);
    int32_t* index_arrays[] = {inv.rowStart, inv.rowEnd,   inv.colStart, inv.colEnd,
                               inv.pivotRow, inv.pivotCol, inv.rowStep};
    for (int32_t* a : index_arrays) keep(ctx, s, a, m_ints);
}

// The block and the directory can be put back as they were when the block
// neither moved nor changed size, and every column the look found pinned in
// the overflow heap is still there (a column the look dropped from the heap
// is gone for good).
bool block_restorable(const LpContext* ctx, const LookSnapshot* s) {
    const WorkStore& w = ctx->engine.store;
    const ProblemModel& pm = ctx->model;
    if (s->block_copy == nullptr || w.base != s->store.base || w.block_bytes != s->store.block_bytes) return false;
    if (pm.directory != s->directory || pm.directory_size != s->directory_size) return false;
    if (s->directory_size > 0 && s->directory_copy == nullptr) return false;
    if (w.overflow != s->store.overflow) return false;
    for (int32_t j = 0; j < s->directory_size; ++j) {
        const ColumnDirItem& then = s->directory_copy[j];
        if (then.pinned != 0 && (pm.directory[j].pinned == 0 || pm.directory[j].cached != then.cached)) return false;
    }
    return true;
}

void keep_pricing(LpContext* ctx, LookSnapshot* s) {
    const PricingState& p = ctx->phases.pricing;
    const size_t n = static_cast<size_t>(ctx->model.columns);
    const size_t m = static_cast<size_t>(ctx->model.rows);
    keep(ctx, s, p.weight, n * sizeof(double));
    keep(ctx, s, p.reduced, n * sizeof(double));
    keep(ctx, s, p.pivot_row, n * sizeof(double));
    keep(ctx, s, p.framework, n);
    keep(ctx, s, p.queue_value, static_cast<size_t>(p.queue_capacity) * sizeof(double));
    keep(ctx, s, p.queue_position, static_cast<size_t>(p.queue_capacity) * sizeof(int32_t));
    keep(ctx, s, p.devex_rows, static_cast<size_t>(p.devex_k) * m * sizeof(double));
    keep(ctx, s, p.devex_positions, static_cast<size_t>(p.devex_k) * sizeof(int32_t));
    const RatioState& r = ctx->phases.ratio;
    keep(ctx, s, r.work_nonzero, m * sizeof(int32_t));
}

// The scalar fields of the factors that go with the saved slots; the
// pointers, the capacity and the stamp of the symbolic reach stay as they
// are now (the reach marks were written with the newer stamps).
void put_back_factor_fields(InverseStore& live, const InverseStore& saved) {
    live.elements = saved.elements;
    live.capacity = saved.capacity;
    live.nelem = saved.nelem;
    live.etaCount = saved.etaCount;
    live.factorEtas = saved.factorEtas;
    live.compressions = saved.compressions;
    live.uCount = saved.uCount;
    live.colFree = saved.colFree;
    live.rowFree = saved.rowFree;
    live.spikeCount = -1;
    live.pivotThreshold = saved.pivotThreshold;
    live.dropTolerance = saved.dropTolerance;
}

// The scalars of the pricing and ratio state; their arrays came back with
// the saved arrays.
void put_back_phase_fields(LpContext* ctx, const LookSnapshot* s) {
    PricingState& p = ctx->phases.pricing;
    const PricingState& q = s->pricing;
    p.price = q.price;
    p.source = q.source;
    p.major_passes = q.major_passes;
    p.minor_passes = q.minor_passes;
    p.saved_rule = q.saved_rule;
    p.rotate_start = q.rotate_start;
    p.ring = q.ring;
    p.last_entered = q.last_entered;
    p.last_left = q.last_left;
    p.row_valid = q.row_valid;
    p.rho_count = -1;
    RatioState& r = ctx->phases.ratio;
    const RatioState& t = s->ratio;
    r.theta = t.theta;
    r.pivot = t.pivot;
    r.dual_step = t.dual_step;
    r.direction = t.direction;
    r.work_nonzero_count = t.work_nonzero_count;
    r.work_listed = t.work_listed;
    r.work_zero_elsewhere = t.work_zero_elsewhere;
    r.unbounded = t.unbounded;
    ctx->phases.loop = s->loop;
}

// What a look may change in branch and bound's bookkeeping.
void put_back_bb_fields(BbState& live, const BbState& saved) {
    live.iteration = saved.iteration;
    live.branch_column = saved.branch_column;
    live.parent_basis_in_memory = saved.parent_basis_in_memory;
    live.infeasibility_sum = saved.infeasibility_sum;
    live.estimate_sum = saved.estimate_sum;
}

}  // namespace

LookSnapshot* take_look_snapshot(LpContext* ctx, bool* short_of_memory) {
    *short_of_memory = false;
    const ComputationalForm& f = ctx->form;
    if (f.value == nullptr || f.header == nullptr || f.status == nullptr) return nullptr;
    auto* s = static_cast<LookSnapshot*>(ctx_alloc(ctx, sizeof(LookSnapshot), TYM_ALLOC_LONG_ZERO));
    if (s == nullptr) {
        *short_of_memory = true;
        return nullptr;
    }
    const size_t n = static_cast<size_t>(ctx->model.columns);
    const size_t m = static_cast<size_t>(ctx->model.rows);
    keep(ctx, s, f.value, n * sizeof(double));
    keep(ctx, s, f.lower, n * sizeof(double));
    keep(ctx, s, f.upper, n * sizeof(double));
    keep(ctx, s, f.status, n);
    keep(ctx, s, f.header, n * sizeof(int32_t));
    keep(ctx, s, f.rhs, m * sizeof(double));
    keep(ctx, s, f.duals, m * sizeof(double));
    keep(ctx, s, f.work, m * sizeof(double));
    keep(ctx, s, ctx->bb.reduced, n * sizeof(double));
    keep_pricing(ctx, s);
    keep_factors(ctx, s);
    s->solver = ctx->solver;
    s->inverse = ctx->inverse;
    s->pricing = ctx->phases.pricing;
    s->ratio = ctx->phases.ratio;
    s->loop = ctx->phases.loop;
    s->bb = ctx->bb;
    if (s->short_of_memory) {
        free_snapshot(ctx, s);
        *short_of_memory = true;
        return nullptr;
    }
    return s;
}

int restore_look_snapshot(LpContext* ctx, LookSnapshot* s) {
    if (s == nullptr) return 0;
    for (int k = 0; k < s->array_count; ++k) std::memcpy(s->arrays[k].live, s->arrays[k].copy, s->arrays[k].bytes);

    // The solver's bookkeeping as it was, but for what the world outside
    // changed meanwhile: a break, the clock, the statements used up.
    SolverState& sv = ctx->solver;
    const bool inverted = sv.inversions != s->solver.inversions;
    const int32_t break_flag = sv.break_flag;
    const int64_t elapsed = sv.elapsed_ms;
    const int64_t clock = sv.last_clock_ms;
    const int16_t statement_done = sv.statement_done;
    const int32_t interactive = sv.interactive;
    const int32_t run_status = sv.run_status;
    sv = s->solver;
    sv.break_flag = break_flag;
    sv.elapsed_ms = elapsed;
    sv.last_clock_ms = clock;
    sv.statement_done = statement_done;
    sv.interactive = interactive;
    sv.run_status = run_status;

    put_back_phase_fields(ctx, s);
    put_back_bb_fields(ctx->bb, s->bb);
    if (ctx->phases.pricing.price_tree != nullptr) PriceTreeInvalidate(ctx);

    int rc = 0;
    if (block_restorable(ctx, s)) {
        std::memcpy(s->store.base, s->block_copy, static_cast<size_t>(s->store.block_bytes));
        std::memcpy(ctx->model.directory, s->directory_copy,
                    static_cast<size_t>(s->directory_size) * sizeof(ColumnDirItem));
        ctx->engine.store = s->store;
        put_back_factor_fields(ctx->inverse, s->inverse);
        // The pivot records since the saved factorisation are intact unless
        // the look factorised, which starts the history again over them;
        // then the factors cannot be repaired from it until the next one.
        ctx->model.pivot_history_count = inverted ? 0 : s->pivot_history_count;
    } else if (s->inverse.elements != nullptr) {
        // The store moved under the look: the same basis, factorised afresh.
        rc = Invert(ctx);
    }
    if (ctx->engine.hooks.refresh_row_copy != nullptr && ctx->phases.pricing.copy_built != 0 && rc == 0)
        rc = ctx->engine.hooks.refresh_row_copy(ctx);
    free_snapshot(ctx, s);
    return rc;
}

}  // namespace tymlp
