// solution_results.cpp -- reported quantities that need the matrix columns.
#include "simplex/solution_results.h"

#include <cstring>

#include "base/context_memory.h"
#include "factor/factor_entries.h"
#include "simplex/work_store.h"

namespace tymlp {
namespace {

// The stored reduced cost d_j = c_j - y'a_j of the scaled problem.
int scaled_reduced_cost(LpContext* ctx, const ReportBasis& b, int32_t j, double* out) {
    const double* values = nullptr;
    const int32_t* rows = nullptr;
    int32_t count = 0;
    const int rc = FetchColumn(ctx, j, &values, &rows, &count);
    if (rc != 0) return rc;
    const double* y = ctx->form.duals;
    double d = j == b.objective_column ? b.sense : 0.0;
    if (y != nullptr)
        for (int32_t k = 0; k < count; ++k) d -= y[rows[k]] * values[k];
    *out = d;
    return 0;
}

}  // namespace

int column_reduced_cost(LpContext* ctx, const ReportBasis& b, int32_t j, double* out) {
    double d = 0.0;
    const int rc = scaled_reduced_cost(ctx, b, j, &d);
    if (rc != 0) return rc;
    // Adding 0 turns a negative zero (0 - 0 * a) into a plain one.
    *out = d * column_scale(ctx, j) * b.sense / b.column_scale + 0.0;
    return 0;
}

int column_price(LpContext* ctx, const ReportBasis& b, int32_t j, double* out) {
    *out = 0.0;
    if (j >= ctx->model.structural_count) return 0;
    const double* values = nullptr;
    const int32_t* rows = nullptr;
    int32_t count = 0;
    const int rc = FetchColumn(ctx, j, &values, &rows, &count);
    if (rc != 0) return rc;
    for (int32_t k = 0; k < count; ++k)
        if (rows[k] == b.objective_row) *out += values[k] * b.row_scale * column_scale(ctx, j);
    return 0;
}

int recompute_activities(LpContext* ctx) {
    ReportState& r = ctx->report;
    const int32_t m = ctx->model.rows;
    if (r.activity == nullptr || r.activity_rows < m) {
        ctx_free(ctx, r.activity);
        r.activity = static_cast<double*>(
            ctx_alloc(ctx, static_cast<size_t>(m > 0 ? m : 1) * sizeof(double), TYM_ALLOC_LONG_ZERO));
        r.activity_rows = r.activity != nullptr ? m : 0;
        if (r.activity == nullptr) return kRunMemory;
    }
    std::memset(r.activity, 0, static_cast<size_t>(m) * sizeof(double));
    const double* x = ctx->form.value;
    for (int32_t j = 0; j < ctx->model.structural_count; ++j) {
        if (x[j] == 0.0) continue;
        const double* values = nullptr;
        const int32_t* rows = nullptr;
        int32_t count = 0;
        const int rc = FetchColumn(ctx, j, &values, &rows, &count);
        if (rc != 0) return rc;
        for (int32_t k = 0; k < count; ++k) r.activity[rows[k]] += values[k] * x[j];
    }
    for (int32_t i = 0; i < m; ++i) r.activity[i] *= row_scale(ctx, i);
    return 0;
}

bool tableau_available(const LpContext* ctx) {
    const int code = ctx->solver.run_status;
    if (code == kRunSingular || code == kRunUnstable) return false;
    if (ctx->solver.modulus == 0.0 || ctx->inverse.elements == nullptr) return false;
    return ctx->form.rhs != nullptr && ctx->form.header != nullptr;
}

int tableau_basic_values(LpContext* ctx, double* out) {
    const ComputationalForm& f = ctx->form;
    const int32_t m = ctx->model.rows;
    std::memcpy(out, f.rhs, static_cast<size_t>(m) * sizeof(double));
    ctx->entries.factor->ftran(ctx->inverse, out);
    for (int32_t k = 0; k < m; ++k) out[k] /= column_scale(ctx, f.header[k]);
    return 0;
}

int tableau_row(LpContext* ctx, int32_t k, double* work, double* out) {
    const ComputationalForm& f = ctx->form;
    const int32_t m = ctx->model.rows;
    const int32_t n = ctx->model.columns;
    std::memset(work, 0, static_cast<size_t>(m) * sizeof(double));
    work[k] = 1.0 / column_scale(ctx, f.header[k]);
    ctx->entries.factor->btran(ctx->inverse, work);
    for (int32_t j = 0; j < n; ++j) {
        const double* values = nullptr;
        const int32_t* rows = nullptr;
        int32_t count = 0;
        const int rc = FetchColumn(ctx, j, &values, &rows, &count);
        if (rc != 0) return rc;
        double entry = 0.0;
        for (int32_t e = 0; e < count; ++e) entry += values[e] * work[rows[e]];
        out[j] = entry * column_scale(ctx, j);
    }
    return 0;
}

}  // namespace tymlp
