// computational_form.cpp -- logical columns and the matrix store.
#include "input/computational_form.h"

#include <cmath>
#include <cstring>

#include "base/context_memory.h"
#include "base/host_link.h"
#include "base/run_end.h"
#include "input/matrix_store.h"
#include "input/model_records.h"

namespace tymlp {
namespace {

constexpr int kMsgGoalWithManyRhs = 249;
constexpr int kMsgNoObjective = 33;
constexpr int kMsgNoRow = 35;

// Coefficients of the logical columns.
constexpr double kPlusOne = 1.0;
constexpr double kMinusOne = -1.0;

struct Logical {
    bool present;
    uint16_t flags;
    double coefficient;
    double upper;
};

// The logical column a row gets.
Logical logical_for(const LpContext* ctx, const RowRecord& row) {
    const double inf = ctx->options.infinity;
    const bool range = (row.flags & kRowRange) != 0;
    const double width = range ? std::fabs(row.link.range) : inf;
    if ((row.flags & kRowObjective) != 0) return {true, kColObjective, kMinusOne, inf};
    if ((row.flags & kRowEquality) != 0) {
        if (!range) return {false, 0, 0, 0};
        return {true, kColRange, row.link.range >= 0 ? kMinusOne : kPlusOne, width};
    }
    if ((row.flags & kRowFree) != 0) return {true, kColFree, kPlusOne, inf};
    if ((row.flags & kRowLessEqual) != 0) return {true, kColSlack, kPlusOne, width};
    if ((row.flags & kRowGreaterEqual) != 0) return {true, kColSurplus, kMinusOne, width};
    return {false, 0, 0, 0};  // fixed-charge rows have no logical column
}

ObjectiveRecord* objective_of_row(LpContext* ctx, int32_t row) {
    for (ObjectiveRecord* rec = ctx->model.objectives; rec != nullptr; rec = rec->next)
        if (rec->row == row) return rec;
    return nullptr;
}

// Gathers column j's coefficients from its chain into the buffers.
int gather_column(LpContext* ctx, const ColumnRecord& col, double* values, int32_t* rows, int32_t* count) {
    int32_t n = 0;
    for (int32_t k = col.first_entry; k != kNoEntry && n < col.entry_count; ++n) {
        CoefEntry e{};
        const int rc = read_coefficient(ctx, k, &e);
        if (rc != 0) return rc;
        values[n] = e.value;
        rows[n] = e.row;
        k = e.next_in_column;
    }
    *count = n;
    return 0;
}

}  // namespace

int check_model(LpContext* ctx) {
    const ProblemModel& m = ctx->model;
    if (ctx->options.goalprogram != 0 && m.lists[kListRhs].count > 1) {
        host_message(kMsgGoalWithManyRhs);
        end_run_from_step(ctx, kEndSemantic);
    }
    int result = 0;
    if (m.objective_count < 2) {
        host_message(kMsgNoObjective);
        result = kRunSemantic;
    }
    if (m.rows < 1) {
        host_message(kMsgNoRow);
        return kRunSemantic;
    }
    return result;
}

int add_logical_columns(LpContext* ctx) {
    ProblemModel& m = ctx->model;
    if (m.columns < m.structural_count) m.columns = m.structural_count;
    const int32_t copy = m.row_name_length < m.column_name_length ? m.row_name_length : m.column_name_length;
    char row_name[kMaxNameLength];
    char column_name[kMaxNameLength];
    for (int32_t i = 0; i < m.rows; ++i) {
        RowRecord row{};
        int rc = read_row(ctx, i, &row, row_name);
        if (rc != 0) return rc;
        const Logical logical = logical_for(ctx, row);
        if (!logical.present) continue;

        const int32_t j = m.columns;
        ColumnRecord col = empty_column(ctx, logical.flags);
        col.lower = 0;
        col.upper = logical.upper;
        col.logical_row = i;
        std::memset(column_name, ' ', sizeof column_name);
        std::memcpy(column_name, row_name, static_cast<size_t>(copy));
        rc = append_coefficient(ctx, i, row, j, col, logical.coefficient);
        if (rc == 0) rc = write_column(ctx, j, col, column_name);
        row.logical_column = j;
        if (rc == 0) rc = write_row(ctx, i, row, row_name);
        if (rc != 0) return rc;
        m.columns = j + 1;

        if (logical.flags == kColObjective) {
            ++m.basic_assigned;
            ObjectiveRecord* obj = objective_of_row(ctx, i);
            if (obj != nullptr) obj->column = j;
        }
    }
    return 0;
}

int fill_matrix_store(LpContext* ctx) {
    ProblemModel& m = ctx->model;
    int rc = open_matrix_store(ctx, m.columns);
    if (rc != 0) return rc;

    // Buffers for the longest column, grown as needed and returned on every path.
    int32_t capacity = 0;
    double* values = nullptr;
    int32_t* rows = nullptr;
    for (int32_t j = 0; j < m.columns && rc == 0; ++j) {
        ColumnRecord col{};
        rc = read_column(ctx, j, &col, nullptr);
        if (rc != 0) break;
        if (col.entry_count > capacity) {
            host_release(values);
            host_release(rows);
            capacity = col.entry_count;
            values = static_cast<double*>(host_alloc(static_cast<size_t>(capacity) * sizeof(double), TYM_ALLOC_STEP));
            rows = static_cast<int32_t*>(host_alloc(static_cast<size_t>(capacity) * sizeof(int32_t), TYM_ALLOC_STEP));
            if (values == nullptr || rows == nullptr) {
                rc = kRunMemory;
                break;
            }
        }
        int32_t count = 0;
        rc = gather_column(ctx, col, values, rows, &count);
        if (rc == 0) rc = matrix_write_column(ctx, j, values, rows, count);
    }
    host_release(values);
    host_release(rows);
    return rc;
}

int complete_form(LpContext* ctx) {
    int result = check_model(ctx);
    if (ctx->model.rows < 1) return result;
    int rc = add_logical_columns(ctx);
    if (rc == 0) rc = fill_matrix_store(ctx);
    if (rc != 0) return rc;
    return result;
}

}  // namespace tymlp
