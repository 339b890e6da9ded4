// sparse_reader.cpp -- the sparse reader: setup, two passes over the data,
// and the records and value columns that are complete only at the end.
#include "input/sparse_reader.h"

#include "base/context_memory.h"
#include "base/host_link.h"
#include "input/column_lists.h"
#include "input/model_records.h"
#include "input/infinite_values.h"
#include "input/sparse_state.h"

namespace tymlp {
namespace {

enum FinishMessage : int { kMsgUntypedRow = 205 };

constexpr int kReadObservation = 0;

// Reads every observation through `pass`; stops at the first non-zero result.
int read_pass(SparseReader& r, int (*pass)(SparseReader&)) {
    r.observation = 0;
    for (;;) {
        const int status = host_data_read_next(r.ds);
        if (status > kReadObservation) return 0;
        if (status < kReadObservation) return kRunIo;
        ++r.observation;
        const int rc = pass(r);
        if (rc != 0) return rc;
    }
}

void untyped_notes(SparseReader& r) {
    for (NameNode* node = r.rows.first; node != nullptr; node = node->next_created) {
        if (node->reserved == 0) continue;
        const TymArg arg = arg_text(node->name, r.rows.width);
        host_message(kMsgUntypedRow, 1, &arg);
    }
}

// Infinite right-hand sides: a row that does not bind becomes a free row,
// one that never holds is an error; the values themselves become 0.
void resolve_infinite_rhs(SparseReader& r) {
    ProblemModel& m = r.ctx->model;
    const int32_t count = r.value_count[kValueRhs];
    for (int32_t i = 0; i < m.rows; ++i) {
        int plus = 0, minus = 0, finite = 0;
        for (int32_t k = 0; k < count; ++k) {
            double& v = r.values[kValueRhs][k].values[i];
            const int sign = infinity_sign(v);
            plus += sign > 0 ? 1 : 0;
            minus += sign < 0 ? 1 : 0;
            finite += sign == 0 ? 1 : 0;
            if (sign != 0) v = 0.0;
        }
        RowRecord& rec = r.row_recs[i];
        const InfiniteRhs outcome = classify_rhs(rec.flags, plus, minus, finite);
        if (report_infinite_rhs(outcome, row_name_at(r, i), r.rows.width)) r.result = kRunSemantic;
        if (outcome == InfiniteRhs::kNotBinding) make_row_free(m, rec);
    }
}

// The first range column gives constraint rows their range values.
void apply_ranges(SparseReader& r) {
    if (r.value_count[kValueRange] > 1) {
        const TymArg arg = arg_text("RANGE");
        host_message(kMsgOnlyOne, 1, &arg);
        r.result = kRunSemantic;
    }
    ProblemModel& m = r.ctx->model;
    m.range_variables = r.value_count[kValueRange];
    if (r.value_count[kValueRange] == 0) return;
    double* range = r.values[kValueRange][0].values;
    const uint8_t ranged = kRowLessEqual | kRowGreaterEqual | kRowEquality;
    for (int32_t i = 0; i < m.rows; ++i) {
        RowRecord& rec = r.row_recs[i];
        if (infinity_sign(range[i]) != 0) {
            if ((rec.flags & kRowEquality) != 0 && report_infinite_range(range[i], row_name_at(r, i), r.rows.width))
                r.result = kRunSemantic;
            range[i] = 0.0;  // an inequality with an infinite range is not ranged
        }
        if (range[i] == 0.0 || (rec.flags & ranged) == 0) continue;
        rec.link.range = range[i];
        rec.flags |= kRowRange;
        ++m.range_rows;
    }
}

int write_records(SparseReader& r) {
    ProblemModel& m = r.ctx->model;
    for (int32_t i = 0; i < m.rows; ++i) {
        const int rc = write_row(r.ctx, i, r.row_recs[i], row_name_at(r, i));
        if (rc != 0) return rc;
    }
    for (int32_t j = 0; j < m.columns; ++j) {
        const int rc = write_column(r.ctx, j, r.col_recs[j], column_name_at(r, j));
        if (rc != 0) return rc;
    }
    m.structural_count = m.columns;
    return 0;
}

int write_value_columns(SparseReader& r) {
    const int32_t m = r.ctx->model.rows;
    for (int vk = 0; vk < kValueKinds; ++vk) {
        for (int32_t k = 0; k < r.value_count[vk]; ++k) {
            const int rc = list_write_values(r.values[vk][k].entry, 0, r.values[vk][k].values, m);
            if (rc != 0) return rc;
        }
    }
    return 0;
}

// Each price vector holds one value per structural column.
int write_price_vectors(SparseReader& r) {
    const int32_t n = r.ctx->model.structural_count;
    if (r.price_first == nullptr) return 0;
    auto* dense =
        static_cast<double*>(ctx_alloc(r.ctx, sizeof(double) * static_cast<size_t>(n > 0 ? n : 1), TYM_ALLOC_LONG));
    if (dense == nullptr) return kRunMemory;
    int rc = 0;
    for (PriceVector* vec = r.price_first; rc == 0 && vec != nullptr; vec = vec->next) {
        for (int32_t j = 0; j < n; ++j) dense[j] = 0.0;
        for (int32_t k = 0; k < vec->count; ++k) dense[vec->columns[k]] = vec->values[k];
        rc = list_write_values(vec->entry, 0, dense, n);
    }
    ctx_free(r.ctx, dense);
    return rc;
}

int run(SparseReader& r) {
    int rc = check_observations(r.ds);
    if (rc == kRunSemantic) r.ctx->model.data_fault_named = true;  // empty in either layout
    if (rc != 0) return rc;
    rc = sparse_setup(r);
    if (rc != 0) return rc;
    rc = read_pass(r, sparse_pass1);
    if (rc == 0) rc = sparse_untyped_rows(r);
    if (rc != 0) return rc;
    if (host_data_rewind(r.ds) != 0) {
        host_message(kMsgRewindFailed);
        return kRunSemantic;
    }
    rc = read_pass(r, sparse_pass2);
    if (rc == 0) rc = sparse_finish(r);
    return rc != 0 ? rc : r.result;
}

}  // namespace

int sparse_finish(SparseReader& r) {
    untyped_notes(r);
    resolve_infinite_rhs(r);
    apply_ranges(r);
    int rc = write_records(r);
    if (rc == 0) rc = coef_window_close(r.ctx, &r.window);
    if (rc == 0) rc = write_value_columns(r);
    if (rc == 0) rc = add_default_rhs(r.ctx);
    if (rc == 0) rc = write_price_vectors(r);
    return rc;
}

void sparse_release(SparseReader& r) {
    LpContext* ctx = r.ctx;
    coef_window_close(ctx, &r.window);
    pair_index_free(ctx, &r.pair_index);
    name_tree_free(ctx, &r.rows);
    name_tree_free(ctx, &r.columns);
    name_tree_free(ctx, &r.long_rows.whole);
    name_tree_free(ctx, &r.long_rows.cut);
    name_tree_free(ctx, &r.long_columns.whole);
    name_tree_free(ctx, &r.long_columns.cut);
    for (int vk = 0; vk < kValueKinds; ++vk) {
        for (int32_t k = 0; k < r.value_count[vk]; ++k) ctx_free(ctx, r.values[vk][k].values);
        ctx_free(ctx, r.values[vk]);
        r.values[vk] = nullptr;
    }
    for (PriceVector* vec = r.price_first; vec != nullptr;) {
        PriceVector* next = vec->next;
        ctx_free(ctx, vec->columns);
        ctx_free(ctx, vec->values);
        ctx_free(ctx, vec);
        vec = next;
    }
    r.price_first = r.price_last = nullptr;
    ctx_free(ctx, r.row_recs);
    ctx_free(ctx, r.row_names);
    ctx_free(ctx, r.col_recs);
    ctx_free(ctx, r.col_names);
    reader_free_all(ctx, r.blocks);
}

int read_sparse(LpContext* ctx) {
    int rc = open_problem_data(ctx);
    if (rc != 0) return rc;
    SparseReader r{};
    r.ctx = ctx;
    r.ds = ctx->handles.data_in;
    rc = run(r);
    sparse_release(r);
    close_problem_data(ctx);
    return rc;
}

}  // namespace tymlp
