// initial_basis.cpp -- bounds, statuses, the starting basis and its header.
#include "input/initial_basis.h"

#include "input/bound_check.h"

#include <cstring>

#include "base/context_memory.h"
#include "base/host_link.h"
#include "input/column_lists.h"
#include "input/matrix_store.h"
#include "input/model_records.h"

namespace tymlp {
namespace {

constexpr int32_t kNoColumn = -1;
// An artificial column's coefficient: its value |b| must be driven to 0.
constexpr double kArtificialPlus = 1.0;
constexpr double kArtificialMinus = -1.0;

int allocate(LpContext* ctx, int64_t capacity, int32_t m) {
    ComputationalForm& f = ctx->form;
    if (f.lower == nullptr) f.lower = ctx_alloc_array<double>(ctx, capacity);
    if (f.upper == nullptr) f.upper = ctx_alloc_array<double>(ctx, capacity);
    if (f.status == nullptr) f.status = ctx_alloc_array<uint8_t>(ctx, capacity);
    if (f.header == nullptr) f.header = ctx_alloc_array<int32_t>(ctx, capacity);
    if (f.rhs == nullptr) f.rhs = ctx_alloc_array<double>(ctx, m);
    const bool ok =
        f.lower != nullptr && f.upper != nullptr && f.status != nullptr && f.header != nullptr && f.rhs != nullptr;
    return ok ? 0 : kRunMemory;
}

int load_first_rhs(LpContext* ctx) {
    ColumnListEntry* entry = list_entry(ctx, kListRhs, 0);
    if (entry == nullptr) return 0;
    return list_read_values(entry, 0, ctx->form.rhs, ctx->model.rows);
}

// Bounds and status bits of column j from its record.
void set_bounds(LpContext* ctx, int32_t j, const ColumnRecord& col) {
    ComputationalForm& f = ctx->form;
    const double inf = ctx->options.infinity;
    const bool structural = j < ctx->model.structural_count;
    double lower = col.lower;
    double upper = col.upper;
    if (structural) effective_bounds(ctx, col, &lower, &upper);
    f.lower[j] = lower;
    f.upper[j] = col.upper;
    uint8_t status = 0;
    if ((col.flags & (kColInteger | kColBinary)) != 0) status |= kStatInteger;
    const bool free_structural = structural && lower <= -inf && col.upper >= inf;
    if (free_structural || (col.flags & (kColFree | kColObjective)) != 0) status |= kStatHeld;
    if (lower <= -inf && col.upper < inf) status |= kStatAtUpper;
    f.status[j] = status;
}

// The first row of column j's chain that is still open for a marked column.
int first_open_row(LpContext* ctx, const ColumnRecord& col, const int32_t* basic_of_row, const uint8_t* row_flags,
                   int32_t* row) {
    *row = kNoColumn;
    int32_t k = col.first_entry;
    for (int32_t seen = 0; k != kNoEntry && seen < col.entry_count; ++seen) {
        CoefEntry e{};
        const int rc = read_coefficient(ctx, k, &e);
        if (rc != 0) return rc;
        const bool objective = (row_flags[e.row] & kRowObjective) != 0;
        if (!objective && e.value != 0.0 && basic_of_row[e.row] == kNoColumn) {
            *row = e.row;
            return 0;
        }
        k = e.next_in_column;
    }
    return 0;
}

// The artificial column of row i, appended behind the other columns (the
// matrix directory already has its item).
int add_artificial(LpContext* ctx, int32_t i, RowRecord& row, const char* row_name) {
    ProblemModel& m = ctx->model;
    const int32_t j = m.columns;
    ColumnRecord col = empty_column(ctx, kColArtificial);
    col.lower = 0.0;
    col.upper = 0.0;
    col.logical_row = i;
    const double coef = ctx->form.rhs[i] < 0.0 ? kArtificialMinus : kArtificialPlus;
    char name[kMaxNameLength];
    const int copy = m.row_name_length < m.column_name_length ? m.row_name_length : m.column_name_length;
    std::memset(name, ' ', sizeof name);
    std::memcpy(name, row_name, static_cast<size_t>(copy));
    int rc = append_coefficient(ctx, i, row, j, col, coef);
    if (rc == 0) rc = write_column(ctx, j, col, name);
    if (rc == 0) rc = write_row(ctx, i, row, row_name);
    if (rc == 0) rc = matrix_write_column(ctx, j, &coef, &i, 1);
    if (rc != 0) return rc;
    m.columns = j + 1;
    ComputationalForm& f = ctx->form;
    f.lower[j] = 0.0;
    f.upper[j] = 0.0;
    f.status[j] = kStatBasic | kStatArtificial;
    return 0;
}

// Reads every column record: bounds, statuses, and the columns the data
// marked basic placed in their rows.
int place_columns(LpContext* ctx, int32_t* basic_of_row, const uint8_t* row_flags) {
    const int32_t n = ctx->model.columns;
    for (int32_t j = 0; j < n; ++j) {
        ColumnRecord col{};
        int rc = read_column(ctx, j, &col, nullptr);
        if (rc != 0) return rc;
        set_bounds(ctx, j, col);
        if (col.logical_row >= 0 && (col.flags & kColObjective) != 0) basic_of_row[col.logical_row] = j;
        if (j >= ctx->model.structural_count || (col.flags & kColMarkedBasic) == 0) continue;
        int32_t row = kNoColumn;
        rc = first_open_row(ctx, col, basic_of_row, row_flags, &row);
        if (rc != 0) return rc;
        if (row != kNoColumn) basic_of_row[row] = j;
    }
    return 0;
}

// Rows still open take their logical column, or an artificial one.  The
// matrix directory grows once for all artificial columns.
int complete_rows(LpContext* ctx, int32_t* basic_of_row) {
    const int32_t m = ctx->model.rows;
    int32_t artificial = 0;
    for (int32_t i = 0; i < m; ++i) {
        if (basic_of_row[i] != kNoColumn) continue;
        RowRecord row{};
        const int rc = read_row(ctx, i, &row, nullptr);
        if (rc != 0) return rc;
        if (row.logical_column >= 0)
            basic_of_row[i] = row.logical_column;
        else
            ++artificial;
    }
    if (artificial == 0) return 0;
    int rc = open_matrix_store(ctx, ctx->model.columns + artificial);
    char name[kMaxNameLength];
    for (int32_t i = 0; rc == 0 && i < m; ++i) {
        if (basic_of_row[i] != kNoColumn) continue;
        RowRecord row{};
        rc = read_row(ctx, i, &row, name);
        if (rc == 0) rc = add_artificial(ctx, i, row, name);
        if (rc == 0) basic_of_row[i] = ctx->model.columns - 1;
    }
    return rc;
}

void fill_header(LpContext* ctx, const int32_t* basic_of_row) {
    ComputationalForm& f = ctx->form;
    const int32_t m = ctx->model.rows;
    const int32_t n = ctx->model.columns;
    for (int32_t i = 0; i < m; ++i) f.status[basic_of_row[i]] |= kStatBasic;
    int32_t h = 0;
    for (int32_t j = 0; j < n; ++j) {
        if ((f.status[j] & kStatBasic) != 0) {
            f.status[j] = static_cast<uint8_t>(f.status[j] & ~kStatAtUpper);
            f.header[h++] = j;
        }
    }
    for (int32_t j = 0; j < n; ++j)
        if ((f.status[j] & kStatBasic) == 0) f.header[h++] = j;
    ctx->model.basic_assigned = m;
}

int read_row_flags(LpContext* ctx, uint8_t* flags) {
    for (int32_t i = 0; i < ctx->model.rows; ++i) {
        RowRecord row{};
        const int rc = read_row(ctx, i, &row, nullptr);
        if (rc != 0) return rc;
        flags[i] = row.flags;
    }
    return 0;
}

}  // namespace

int build_starting_basis(LpContext* ctx) {
    const int32_t m = ctx->model.rows;
    const int64_t capacity = static_cast<int64_t>(ctx->model.columns) + m;
    int rc = allocate(ctx, capacity, m);
    if (rc == 0) rc = load_first_rhs(ctx);
    if (rc != 0) return rc;

    auto* basic_of_row =
        static_cast<int32_t*>(host_alloc(static_cast<size_t>(m > 0 ? m : 1) * sizeof(int32_t), TYM_ALLOC_STEP));
    auto* row_flags = static_cast<uint8_t*>(host_alloc(static_cast<size_t>(m > 0 ? m : 1), TYM_ALLOC_STEP));
    if (basic_of_row == nullptr || row_flags == nullptr) {
        host_release(basic_of_row);
        host_release(row_flags);
        return kRunMemory;
    }
    for (int32_t i = 0; i < m; ++i) basic_of_row[i] = kNoColumn;
    rc = read_row_flags(ctx, row_flags);
    if (rc == 0) rc = place_columns(ctx, basic_of_row, row_flags);
    if (rc == 0) rc = complete_rows(ctx, basic_of_row);
    if (rc == 0) fill_header(ctx, basic_of_row);
    host_release(basic_of_row);
    host_release(row_flags);
    return rc;
}

}  // namespace tymlp
