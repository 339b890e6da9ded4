// preprocess_store.cpp -- the in-memory copies preprocessing works on and
// the coefficient window (see preprocess_work.h).
//
// Rows, structural columns and the right-hand side are small enough to copy
// whole; the coefficient file is not, so it is read through a window that
// is re-read from the wanted entry whenever an entry falls outside it.  A
// reduced coefficient goes to the file at once: the matrix store is built
// from the coefficient file after preprocessing and must see it.
#include "presolve/preprocess_work.h"

#include <cmath>
#include <cstddef>
#include <cstring>
#include <limits>

#include "base/context_memory.h"
#include "base/host_link.h"
#include "input/column_lists.h"
#include "input/model_records.h"

namespace tymlp {
namespace {

constexpr int64_t kEntryBytes = static_cast<int64_t>(sizeof(CoefEntry));

int io_failure(int status) {
    host_status_report(status < 0 ? status : -1);
    return kRunIo;
}

// Window capacity in entries for a byte budget per structural column, no
// larger than the file needs.
int32_t window_entries(const LpContext* ctx, int64_t bytes_per_column) {
    const int64_t columns = ctx->model.structural_count > 0 ? ctx->model.structural_count : 1;
    int64_t entries = columns * bytes_per_column / kEntryBytes;
    if (entries > ctx->model.coef_count) entries = ctx->model.coef_count;
    if (entries < 1) entries = 1;
    constexpr int64_t kLargest = std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(entries < kLargest ? entries : kLargest);
}

int allocate_window(LpContext* ctx, PreprocessWork* w) {
    w->window_capacity = window_entries(ctx, kPreWindowBytesPerColumn);
    w->window = heap_alloc_array<CoefEntry>(w->heap, w->window_capacity);
    if (w->window != nullptr) return 0;
    w->window_capacity = window_entries(ctx, kPreSmallWindowBytesPerColumn);
    w->window = heap_alloc_array<CoefEntry>(w->heap, w->window_capacity);
    return w->window != nullptr ? 0 : kRunMemory;
}

// Fills the window with the entries from k on.
int load_window(LpContext* ctx, PreprocessWork* w, int64_t k) {
    TymUtil file = ctx->model.coef_file;
    if (file == nullptr) return io_failure(-1);
    int64_t count = ctx->model.coef_count - k;
    if (count > w->window_capacity) count = w->window_capacity;
    w->window_base = k;
    w->window_used = 0;
    if (count <= 0) return 0;
    int rc = host_util_position(file, k * kEntryBytes);
    if (rc == 0) rc = host_util_read(file, w->window, count * kEntryBytes);
    if (rc != 0) return io_failure(rc);
    w->window_used = static_cast<int32_t>(count);
    return 0;
}

int allocate_copies(LpContext* ctx, PreprocessWork* w) {
    const ProblemModel& m = ctx->model;
    w->row_records = heap_alloc_array<RowRecord>(w->heap, w->rows);
    w->row_names = heap_alloc_array<char>(w->heap, static_cast<int64_t>(w->rows) * m.row_name_length);
    w->column_records = heap_alloc_array<ColumnRecord>(w->heap, w->columns);
    w->column_names = heap_alloc_array<char>(w->heap, static_cast<int64_t>(w->columns) * m.column_name_length);
    w->rhs = heap_alloc_array<double>(w->heap, w->rows);
    w->row_work = heap_alloc_array<PreRowWork>(w->heap, w->rows);
    w->column_work = heap_alloc_array<PreColumnWork>(w->heap, w->columns);
    const bool ok = w->row_records != nullptr && w->row_names != nullptr && w->column_records != nullptr &&
                    w->column_names != nullptr && w->rhs != nullptr && w->row_work != nullptr &&
                    w->column_work != nullptr;
    return ok ? allocate_window(ctx, w) : kRunMemory;
}

int read_copies(LpContext* ctx, PreprocessWork* w, ColumnListEntry* rhs_entry) {
    const ProblemModel& m = ctx->model;
    for (int32_t i = 0; i < w->rows; ++i) {
        const int rc = read_row(ctx, i, &w->row_records[i], w->row_names + static_cast<int64_t>(i) * m.row_name_length);
        if (rc != 0) return rc;
    }
    for (int32_t j = 0; j < w->columns; ++j) {
        char* name = w->column_names + static_cast<int64_t>(j) * m.column_name_length;
        const int rc = read_column(ctx, j, &w->column_records[j], name);
        if (rc != 0) return rc;
    }
    const int rc = list_read_values(rhs_entry, 0, w->rhs, w->rows);
    if (rc != 0) return rc;
    return load_window(ctx, w, 0);
}

}  // namespace

int open_preprocess_work(LpContext* ctx, PreprocessWork* w, ColumnListEntry* rhs_entry) {
    *w = PreprocessWork{};
    w->rows = ctx->model.rows;
    w->columns = ctx->model.structural_count;
    w->debug = ctx->options.debug != 0;
    w->heap = create_module_heap();
    if (w->heap == nullptr) return kRunMemory;
    const int rc = allocate_copies(ctx, w);
    return rc != 0 ? rc : read_copies(ctx, w, rhs_entry);
}

int pre_read_entry(LpContext* ctx, PreprocessWork* w, int64_t k, CoefEntry* entry) {
    if (k < w->window_base || k >= w->window_base + w->window_used) {
        const int rc = load_window(ctx, w, k);
        if (rc != 0) return rc;
        if (w->window_used == 0) return io_failure(-1);  // k beyond the file: a broken chain
    }
    *entry = w->window[k - w->window_base];
    return 0;
}

int pre_write_coefficient(LpContext* ctx, PreprocessWork* w, int64_t k, double value) {
    TymUtil file = ctx->model.coef_file;
    if (file == nullptr) return io_failure(-1);
    int rc = host_util_position(file, k * kEntryBytes + static_cast<int64_t>(offsetof(CoefEntry, value)));
    if (rc == 0) rc = host_util_write(file, &value, sizeof value);
    if (rc != 0) return io_failure(rc);
    if (k >= w->window_base && k < w->window_base + w->window_used) w->window[k - w->window_base].value = value;
    return 0;
}

double pre_rhs_unchanged() { return std::numeric_limits<double>::quiet_NaN(); }

bool pre_rhs_changed(double rhs) { return !std::isnan(rhs); }

int pre_add_change(PreprocessWork* w, int32_t row, int32_t column, double coefficient, double rhs) {
    auto* rec = static_cast<CoefChange*>(host_heap_alloc(w->heap, sizeof(CoefChange)));
    if (rec == nullptr) return kRunMemory;
    *rec = CoefChange{row, column, coefficient, rhs, nullptr};
    if (w->last_change != nullptr)
        w->last_change->next = rec;
    else
        w->changes = rec;
    w->last_change = rec;
    return 0;
}

void pre_start_pass(PreprocessWork* w) {
    for (int32_t i = 0; i < w->rows; ++i) w->row_work[i] = PreRowWork{};
    for (int32_t j = 0; j < w->columns; ++j) w->column_work[j] = PreColumnWork{};
    for (CoefChange* rec = w->changes; rec != nullptr;) {
        CoefChange* next = rec->next;
        host_heap_release(w->heap, rec);
        rec = next;
    }
    w->changes = nullptr;
    w->last_change = nullptr;
    w->change_count = 0;
}

int write_back_preprocess_work(LpContext* ctx, PreprocessWork* w, ColumnListEntry* rhs_entry) {
    for (int32_t i = 0; i < w->rows; ++i) {
        const int rc = write_row(ctx, i, w->row_records[i], pre_row_name(ctx, w, i));
        if (rc != 0) return rc;
    }
    for (int32_t j = 0; j < w->columns; ++j) {
        const int rc = write_column(ctx, j, w->column_records[j], pre_column_name(ctx, w, j));
        if (rc != 0) return rc;
    }
    return list_write_values(rhs_entry, 0, w->rhs, w->rows);
}

void close_preprocess_work(PreprocessWork* w) {
    if (w->heap != nullptr) host_heap_destroy(w->heap);
    *w = PreprocessWork{};
}

const char* pre_row_name(const LpContext* ctx, const PreprocessWork* w, int32_t i) {
    return w->row_names + static_cast<int64_t>(i) * ctx->model.row_name_length;
}

const char* pre_column_name(const LpContext* ctx, const PreprocessWork* w, int32_t j) {
    return w->column_names + static_cast<int64_t>(j) * ctx->model.column_name_length;
}

}  // namespace tymlp
