// cut_rows_lp.cpp -- cuts put into the reserved rows of the node LP.
#include "cuts/cut_rows_lp.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "base/context_memory.h"
#include "input/matrix_store.h"
#include "simplex/invert.h"
#include "simplex/pivot_history.h"
#include "simplex/pricing.h"
#include "simplex/primal_values.h"
#include "simplex/work_store.h"

namespace tymlp {
namespace {

int32_t logical_of(const CutState& cuts, int32_t row) { return cuts.first_column + (row - cuts.first_row); }

// Column j with one more entry, `value` in `row`, written behind the
// matrix store; the cached copy is stale from then on (refresh_after_cuts).
int append_entry(LpContext* ctx, int32_t j, int32_t row, double value) {
    const double* values = nullptr;
    const int32_t* rows = nullptr;
    int32_t count = 0;
    const int rc = FetchColumn(ctx, j, &values, &rows, &count);
    if (rc != 0) return rc;
    std::vector<double> new_values(values, values + count);
    std::vector<int32_t> new_rows(rows, rows + count);
    new_values.push_back(value);
    new_rows.push_back(row);
    const int written = matrix_write_column(ctx, j, new_values.data(), new_rows.data(), count + 1);
    // The cached copy holds the old entries and must never be read with the
    // new count.  A pinned copy's memory goes back with the overflow heap
    // (refresh_after_cuts); until then it is only forgotten.
    ColumnDirItem& item = ctx->model.directory[j];
    if (item.pinned != 0 && ctx->engine.store.pinned > 0) ctx->engine.store.pinned -= 1;
    item.cached = nullptr;
    item.pinned = 0;
    return written;
}

// Marks the reserved rows whose logical columns are terms of the cut.
void mark_references(CutState& cuts, const CutCandidate& cut) {
    for (int32_t j : cut.columns)
        if (is_cut_column(cuts, j)) cuts.referenced[j - cuts.first_column] = 1;
}

}  // namespace

int prepare_cut_rows(LpContext* ctx) {
    CutState& cuts = ctx->cuts;
    if (cuts.row_state == nullptr) cuts.row_state = ctx_alloc_array<uint8_t>(ctx, cuts.row_count);
    if (cuts.referenced == nullptr) cuts.referenced = ctx_alloc_array<uint8_t>(ctx, cuts.row_count);
    return cuts.row_state != nullptr && cuts.referenced != nullptr ? 0 : kRunMemory;
}

int install_cut(LpContext* ctx, const CutCandidate& cut, int32_t* row) {
    CutState& cuts = ctx->cuts;
    ComputationalForm& f = ctx->form;
    *row = -1;
    if (cuts.used_rows >= cuts.row_count) return 0;
    const int32_t r = cuts.first_row + cuts.used_rows;
    for (size_t k = 0; k < cut.columns.size(); ++k) {
        const int rc = append_entry(ctx, cut.columns[k], r, cut.values[k]);
        if (rc != 0) return rc;
    }
    ++cuts.used_rows;
    cuts.row_state[r - cuts.first_row] = kCutRowActive;
    mark_references(cuts, cut);
    // The reserved row was empty, so its scale factor is 1 and the cut's
    // right-hand side is taken as it is.
    f.row_scale[r] = 1.0;
    f.rhs[r] = cut.rhs;
    const int32_t s = logical_of(cuts, r);
    f.lower[s] = 0.0;
    f.upper[s] = ctx->options.infinity;
    f.status[s] = static_cast<uint8_t>(f.status[s] & ~kStatHeld);
    *row = r;
    return 0;
}

int refresh_after_cuts(LpContext* ctx) {
    // Every cached column copy predates the new entries: the pinned ones go
    // with the overflow heap, the others with the emptied cache.
    DropOverflow(ctx);
    EmptyCache(ctx);
    ReleaseSparse(ctx);
    ClearPivotHistory(ctx);
    ClearLeaveBans(ctx);
    RebuildHeader(ctx);
    const int rc = Invert(ctx);
    if (rc != 0) return rc;
    return RecomputePrimal(ctx);
}

void retire_cut(LpContext* ctx, int32_t row) {
    CutState& cuts = ctx->cuts;
    ComputationalForm& f = ctx->form;
    const int32_t s = logical_of(cuts, row);
    // As a free row's logical column was made: [0, +INF), held, so that
    // neither its bounds nor its value count.
    f.lower[s] = 0.0;
    f.upper[s] = ctx->options.infinity;
    f.status[s] = static_cast<uint8_t>((f.status[s] | kStatHeld) & ~kStatAtUpper);
    cuts.row_state[row - cuts.first_row] = kCutRowRetired;
    ++cuts.retired;
}

int32_t retire_slack_cuts(LpContext* ctx, double slack) {
    CutState& cuts = ctx->cuts;
    const ComputationalForm& f = ctx->form;
    int32_t retired = 0;
    for (int32_t k = 0; k < cuts.used_rows; ++k) {
        if (cuts.row_state[k] != kCutRowActive || cuts.referenced[k] != 0) continue;
        const int32_t s = cuts.first_column + k;
        if ((f.status[s] & kStatBasic) == 0 || !(f.value[s] > slack)) continue;
        retire_cut(ctx, cuts.first_row + k);
        ++retired;
    }
    return retired;
}

}  // namespace tymlp
