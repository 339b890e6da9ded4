// invert.cpp -- inversion: gather the basis, size and adopt the inverse
// store, factorise, and bring the values that depend on the factors up to
// date; a singular basis is repaired by undoing recorded exchanges.
#include "simplex/invert.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "base/host_link.h"
#include "factor/factor_entries.h"
#include "input/matrix_store.h"
#include "simplex/basis_header.h"
#include "simplex/pivot_history.h"
#include "simplex/pricing_vector.h"
#include "simplex/primal_values.h"
#include "simplex/refactor_rule.h"
#include "simplex/work_store.h"
#include "simplex/work_store_internal.h"

namespace tymlp {
namespace {

// Store sizing: more than this many compressions in a period, and more than
// the rate limit per update, make the store grow by the compression rate
// (at most by kMaxGrowth); fewer than kRareCompressions per update shrink it.
constexpr int32_t kManyCompressions = 3;
constexpr double kMaxGrowth = 1.75;
constexpr double kRareCompressions = 0.02;
constexpr double kShrink = 0.95;
constexpr int kRateLimitDoubling = 2;

constexpr int kMsgUnstable = 202;
constexpr int kMsgUnstableLast = 244;
constexpr int kMsgRepaired = 224;
constexpr int32_t kUnstableReports = 100;

// Internal result of one inversion attempt: the basis was singular.
constexpr int kAttemptSingular = -1;

bool performance_notes(const LpContext* ctx) { return ctx->options.performance == 1; }

void note_store(const LpContext* ctx, const char* format) {
    const WorkStore& w = ctx->engine.store;
    host_note(format, static_cast<long>(w.block_bytes), static_cast<long>(ctx->inverse.capacity),
              static_cast<long>(w.inverse_bytes_available));
}

// Copies column j's entries into slots (value, row, k) from `at` on.
void place_column(InverseSlot* slots, const double* values, const int32_t* rows, int32_t count, int32_t k) {
    for (int32_t i = 0; i < count; ++i) slots[i] = InverseSlot{values[i], rows[i], k};
}

// A basis column that has to come from the matrix store file: its column,
// its basis position and the first slot it fills.
struct PendingColumn {
    int32_t column;
    int32_t position;
    int32_t slot;
};
static_assert(sizeof(PendingColumn) == 3 * sizeof(int32_t), "three int32 per pending column");

// Reads the pending columns into their slots, in the order in which they
// lie in the matrix store file: the file is read through a window, which a
// pass in header order would move back and forth once per column.
int read_pending(LpContext* ctx, PendingColumn* pending, int32_t count) {
    ProblemModel& pm = ctx->model;
    ComputationalForm& f = ctx->form;
    const ColumnDirItem* directory = pm.directory;
    std::sort(pending, pending + count, [directory](const PendingColumn& a, const PendingColumn& b) {
        return directory[a.column].position < directory[b.column].position;
    });
    if (count > 0) ForgetWorkNonzeros(ctx);  // the values pass through the work vector
    for (int32_t i = 0; i < count; ++i) {
        const ColumnDirItem& item = directory[pending[i].column];
        const int32_t c = item.count;
        const int64_t value_bytes = static_cast<int64_t>(c) * static_cast<int64_t>(sizeof(double));
        const int64_t row_bytes = matrix_block_bytes(c) - value_bytes;
        int rc = pm.matrix_store != nullptr && item.position >= 0 ? 0 : -1;
        if (rc == 0) rc = host_util_position(pm.matrix_store, item.position);
        if (rc == 0) rc = host_util_read(pm.matrix_store, f.work, value_bytes);
        if (rc == 0) rc = host_util_read(pm.matrix_store, f.scratch, row_bytes);
        if (rc != 0) {
            host_io_error_report(rc);
            return kRunIo;
        }
        place_column(ctx->inverse.elements + pending[i].slot, f.work, reinterpret_cast<const int32_t*>(f.scratch), c,
                     pending[i].position);
    }
    return 0;
}

// Step 2: the basis columns into the bottom of the store, in header order.
// Cached columns are copied at once; the others are read afterwards in file
// order into the slots kept for them (their list lives in the integer
// workspace, which the factorisation overwrites anyway).  Returns 0, 9 or
// 25; *used receives the slots filled.
int gather(LpContext* ctx, int32_t* used) {
    InverseStore& s = ctx->inverse;
    ProblemModel& pm = ctx->model;
    ComputationalForm& f = ctx->form;
    const int32_t m = pm.rows;
    auto* pending = reinterpret_cast<PendingColumn*>(s.intWork);
    int32_t pending_count = 0;
    int32_t filled = 0;
    for (int32_t k = 0; k < m; ++k) {
        const int32_t j = f.header[k];
        if (j < 0 || j >= pm.directory_size) return kRunIo;
        const ColumnDirItem& item = pm.directory[j];
        const int32_t c = item.count;
        if (static_cast<int64_t>(filled) + c > s.capacity) {
            int64_t bytes = kSlotBytes * c;
            MemoryShift(ctx, &bytes);
            if (bytes < 0) return kRunMemory;
            s.capacity += static_cast<int32_t>(bytes / kSlotBytes);
        }
        if (c == 0) continue;
        if (item.cached != nullptr) {
            place_column(s.elements + filled, item.cached, reinterpret_cast<const int32_t*>(item.cached + c), c, k);
        } else {
            // Read past the cache: gathering must not evict what the phases use.
            pending[pending_count++] = PendingColumn{j, k, filled};
        }
        filled += c;
    }
    const int rc = read_pending(ctx, pending, pending_count);
    if (rc != 0) return rc;
    // The scratch vector is the spike: it must be clean for the factorisation.
    std::memset(f.scratch, 0, static_cast<size_t>(m) * sizeof(double));
    *used = filled;
    return 0;
}

// Step 3: the capacity this inversion asks for.
int64_t sized_capacity(LpContext* ctx, int32_t used) {
    const InverseStore& s = ctx->inverse;
    const SolverState& sv = ctx->solver;
    const ProblemModel& pm = ctx->model;
    int64_t b = s.capacity;
    const int32_t comp = s.compressions;
    if (comp > kManyCompressions && comp > sv.compression_rate_limit * sv.updates_since_inversion) {
        double r = sv.updates_since_inversion == 0 ? 1.0 : static_cast<double>(comp) / sv.updates_since_inversion + 1.0;
        r = std::min(r, kMaxGrowth);
        b = static_cast<int64_t>(std::trunc(r * static_cast<double>(b)));
        if (performance_notes(ctx)) host_note("%3zINCREASE memory for inverse store.");
    } else if (comp < kRareCompressions * sv.updates_since_inversion) {
        b = static_cast<int64_t>(std::trunc(kShrink * static_cast<double>(b)));
        if (performance_notes(ctx)) host_note("%3zDECREASE memory for inverse store.");
    }
    // Fill estimate: the problem's density applied to a full m x m basis.
    const int64_t m = pm.rows;
    const int64_t constraints = m - (pm.objective_count + pm.free_rows);
    const int64_t candidates = static_cast<int64_t>(pm.structural_count) + pm.le_rows + pm.ge_rows;
    const double cells = std::max(1.0, static_cast<double>(constraints) * static_cast<double>(candidates));
    const double density = static_cast<double>(pm.coef_count) / cells;
    const double estimate = std::min(std::trunc(density * static_cast<double>(m) * static_cast<double>(m)),
                                     static_cast<double>(INT32_MAX - 1));
    return std::max({b, static_cast<int64_t>(estimate), static_cast<int64_t>(used)});
}

// Step 4: the inverse store takes the bottom of the work store.
int adopt(LpContext* ctx, int64_t capacity) {
    InverseStore& s = ctx->inverse;
    WorkStore& w = ctx->engine.store;
    capacity = std::min<int64_t>(capacity, INT32_MAX - 1);
    const int64_t need = kSlotBytes * capacity;
    if (w.base != nullptr && need < w.block_bytes - w.reserve) {
        w.inverse_bytes_available = w.block_bytes - need - w.reserve;
        w.cache_floor = w.base + need;
        char* lowest = w.base + w.block_bytes;
        int32_t kept = 0;
        ProblemModel& pm = ctx->model;
        for (int32_t j = 0; j < pm.directory_size && w.cached > 0; ++j) {
            ColumnDirItem& item = pm.directory[j];
            if (item.cached == nullptr || item.pinned != 0) continue;
            char* copy = reinterpret_cast<char*>(item.cached);
            if (copy <= w.cache_floor) {
                item.cached = nullptr;
                continue;
            }
            lowest = std::min(lowest, copy);
            ++kept;
        }
        w.cached = kept;
        w.cache_top = lowest;
        s.capacity = static_cast<int32_t>(capacity);
        return 0;
    }
    int64_t bytes = need;
    MemoryShift(ctx, &bytes);
    if (bytes < 0) {
        if (s.elements == nullptr) return kRunMemory;
        ctx->solver.compression_rate_limit *= kRateLimitDoubling;
        return 0;
    }
    s.capacity = static_cast<int32_t>(std::min<int64_t>(bytes / kSlotBytes, INT32_MAX - 1));
    return 0;
}

// Step 9: a modulus this large means the factors may have lost accuracy.
void check_modulus(LpContext* ctx, double modulus) {
    if (!(modulus * kModulusErrorFactor > ctx->options.epsilon)) return;
    ReportUnstableModulus(ctx, modulus);
    if (performance_notes(ctx))
        host_note("%3zModulus = %g invcnt=%i invtol=%g", modulus, static_cast<int>(ctx->solver.updates_since_inversion),
                  ctx->options.invtol);
}

void clear_values(LpContext* ctx) {
    ComputationalForm& f = ctx->form;
    std::memset(f.value, 0, static_cast<size_t>(ctx->model.columns) * sizeof(double));
    std::memset(f.duals, 0, static_cast<size_t>(ctx->model.rows) * sizeof(double));
    std::memset(f.scratch, 0, static_cast<size_t>(ctx->model.rows) * sizeof(double));
}

// Steps 1 to 12 once.  Returns 0, 9, 25, or kAttemptSingular (x and y are
// then 0).
int invert_once(LpContext* ctx) {
    InverseStore& s = ctx->inverse;
    SolverState& sv = ctx->solver;
    if (performance_notes(ctx)) note_store(ctx, "%3zStart inversion -- workmem=%li aalloc=%li balloc=%li ");

    int32_t used = 0;
    s.spikeCount = -1;  // gathering reads row numbers through the spike vector
    int rc = gather(ctx, &used);
    if (rc != 0) return rc;
    rc = adopt(ctx, sized_capacity(ctx, used));
    if (rc != 0) return rc;

    s.nelem = used;
    s.m = ctx->model.rows;
    s.etaCount = 0;
    if (ctx->entries.factor == nullptr) ctx->entries.factor = FactorEntriesFor(ctx->options.lu);
    const double modulus = ctx->entries.factor != nullptr ? ctx->entries.factor->factorise(s) : -1.0;
    sv.modulus = modulus;
    sv.inversions += 1;
    sv.updates_since_inversion = 0;
    s.compressions = 0;
    if (performance_notes(ctx))
        host_note("%3zEnd inversion   -- workmem=%li aalloc=%li balloc=%li modulus=%g",
                  static_cast<long>(ctx->engine.store.block_bytes), static_cast<long>(s.capacity),
                  static_cast<long>(ctx->engine.store.inverse_bytes_available), modulus);
    if (modulus < 0.0) {
        std::memset(ctx->form.scratch, 0, static_cast<size_t>(s.m) * sizeof(double));
        return kRunMemory;
    }
    if (modulus == 0.0) {
        clear_values(ctx);
        return kAttemptSingular;
    }
    check_modulus(ctx, modulus);
    NoteFactorisation(ctx);
    rc = RecomputeBasicValues(ctx);
    if (rc != 0) return rc;
    PricingVector(ctx);
    if (ctx->model.pivot_history_count > 0) ClearLeaveBans(ctx);
    ctx->model.pivot_history_count = 0;
    return 0;
}

// Undoes one exchange record: the column that entered leaves again and the
// one that left re-enters.  The status bytes come back from the record
// except the basic bit, which follows the header (a record written after a
// refactorisation carries statuses from after its exchange).  Returns false
// when the record does not describe the current basis.
bool undo_record(LpContext* ctx, const PivotRecord& rec) {
    ComputationalForm& f = ctx->form;
    const int32_t m = ctx->model.rows;
    const int32_t n = ctx->model.columns;
    const int32_t entered = rec.entering;
    const int32_t left = rec.leaving;
    if (entered < 0 || entered >= n || left < 0 || left >= n) return false;
    if (entered == left) {  // a bound flip: only the bound side changes back
        f.status[entered] =
            static_cast<uint8_t>((rec.entering_status & ~kStatBasic) | (f.status[entered] & kStatBasic));
        return true;
    }
    const int32_t r = HeaderPosition(ctx, entered);
    const int32_t h = HeaderPosition(ctx, left);
    if (r < 0 || r >= m || h < m) return false;
    if (ctx->engine.hooks.exchange_basis != nullptr)
        ctx->engine.hooks.exchange_basis(ctx, h, r);
    else
        SwapIntoBasis(ctx, h, r);
    f.status[entered] = static_cast<uint8_t>(rec.entering_status & ~kStatBasic);
    f.status[left] = static_cast<uint8_t>(rec.leaving_status | kStatBasic);
    return true;
}

// After a successful repair, one undone record: the re-entered column may
// not leave again at once, and the nonbasic columns go back to their bounds.
int settle_record(LpContext* ctx, const PivotRecord& rec) {
    if (rec.entering == rec.leaving) return 0;
    if ((ctx->form.status[rec.entering] & kStatBasic) != 0) return 0;
    AddLeaveBan(ctx, rec.leaving);
    if (ctx->options.sparsepricing != 0 && ctx->solver.phase >= kPhase2 &&
        ctx->engine.hooks.refresh_row_copy != nullptr) {
        const int rc = ctx->engine.hooks.refresh_row_copy(ctx);
        if (rc != 0) return rc;
    }
    const int32_t iteration = ctx->solver.counter != nullptr ? *ctx->solver.counter : 0;
    const TymArg args[] = {arg_int(iteration), arg_int(ctx->solver.phase)};
    host_message(kMsgRepaired, 2, args);
    return RecomputePrimal(ctx);
}

}  // namespace

int32_t ReportUnstableModulus(LpContext* ctx, double modulus) {
    SolverState& sv = ctx->solver;
    sv.unstable_count += 1;
    if (sv.unstable_count < kUnstableReports) {
        const TymArg arg = arg_double(modulus);
        host_message(kMsgUnstable, 1, &arg);
    } else if (sv.unstable_count == kUnstableReports) {
        host_message(kMsgUnstableLast);
    }
    return sv.unstable_count;
}

int Invert(LpContext* ctx) {
    ProblemModel& pm = ctx->model;
    const int32_t history_before = pm.pivot_history_count;
    int32_t first_undone = history_before;
    int rc = invert_once(ctx);
    // Each singular attempt consumes one record: the newest exchange is
    // undone and the basis inverted again.
    while (rc == kAttemptSingular) {
        if (pm.pivot_history == nullptr || pm.pivot_history_count <= 0) return kRunSingular;
        if (performance_notes(ctx)) host_note("%3zSingular matrix.");
        pm.pivot_history_count -= 1;
        first_undone = pm.pivot_history_count;
        PivotRecord rec{};
        if (ReadPivotRecord(ctx, pm.pivot_history_count, &rec) != 0) {
            DropPivotHistory(ctx);
            return kRunSingular;
        }
        if (!undo_record(ctx, rec)) continue;
        rc = invert_once(ctx);
    }
    if (rc != 0) return rc;
    // Undone records, from the last undone (innermost repair) outwards.
    for (int32_t k = first_undone; k < history_before && pm.pivot_history != nullptr; ++k) {
        PivotRecord rec{};
        if (ReadPivotRecord(ctx, k, &rec) != 0) break;
        rc = settle_record(ctx, rec);
        if (rc != 0) return rc;
    }
    pm.pivot_history_count = 0;
    return 0;
}

}  // namespace tymlp
