// primal_values.cpp -- basic values from scratch and the header from the
// status bytes.
#include "simplex/primal_values.h"

#include <cmath>
#include <cstring>

#include "factor/factor_entries.h"
#include "simplex/work_store.h"

namespace tymlp {
namespace {

// work -= x_j * a_j
int subtract_column(LpContext* ctx, int32_t j, double xj, double* work) {
    const double* values = nullptr;
    const int32_t* rows = nullptr;
    int32_t count = 0;
    const int rc = FetchColumn(ctx, j, &values, &rows, &count);
    if (rc != 0) return rc;
    for (int32_t k = 0; k < count; ++k) work[rows[k]] -= xj * values[k];
    return 0;
}

// x_B = B^-1 work, work already b - N x_N.
void solve_basic(LpContext* ctx) {
    ComputationalForm& f = ctx->form;
    const int32_t m = ctx->model.rows;
    ForgetWorkNonzeros(ctx);
    ctx->entries.factor->ftran(ctx->inverse, f.work);
    for (int32_t i = 0; i < m; ++i) f.value[f.header[i]] = f.work[i];
}

void load_rhs(LpContext* ctx) {
    ComputationalForm& f = ctx->form;
    const int32_t m = ctx->model.rows;
    ForgetWorkNonzeros(ctx);
    if (f.rhs != nullptr)
        std::memcpy(f.work, f.rhs, static_cast<size_t>(m) * sizeof(double));
    else
        std::memset(f.work, 0, static_cast<size_t>(m) * sizeof(double));
}

// A nonbasic column sits at a bound; an infinite bound is no place to sit,
// so such a column (a free one, or one with only the other bound) stays at 0.
double bound_value(const LpContext* ctx, int32_t j) {
    const ComputationalForm& f = ctx->form;
    const double infinity = ctx->options.infinity;
    const double b = (f.status[j] & kStatAtUpper) != 0 ? f.upper[j] : f.lower[j];
    return std::fabs(b) >= infinity ? 0.0 : b;
}

}  // namespace

int RecomputePrimal(LpContext* ctx) {
    ComputationalForm& f = ctx->form;
    const int32_t m = ctx->model.rows;
    const int32_t n = ctx->model.columns;
    std::memset(f.value, 0, static_cast<size_t>(n) * sizeof(double));
    load_rhs(ctx);
    for (int32_t h = m; h < n; ++h) {
        const int32_t j = f.header[h];
        const double xj = bound_value(ctx, j);
        if (xj == 0.0) continue;
        f.value[j] = xj;
        const int rc = subtract_column(ctx, j, xj, f.work);
        if (rc != 0) return rc;
    }
    solve_basic(ctx);
    return 0;
}

int RecomputeBasicValues(LpContext* ctx) {
    ComputationalForm& f = ctx->form;
    const int32_t m = ctx->model.rows;
    const int32_t n = ctx->model.columns;
    load_rhs(ctx);
    for (int32_t h = m; h < n; ++h) {
        const int32_t j = f.header[h];
        const double xj = f.value[j];
        if (xj == 0.0) continue;
        const int rc = subtract_column(ctx, j, xj, f.work);
        if (rc != 0) return rc;
    }
    solve_basic(ctx);
    return 0;
}

void RebuildHeader(LpContext* ctx) {
    ComputationalForm& f = ctx->form;
    const int32_t m = ctx->model.rows;
    const int32_t n = ctx->model.columns;
    int32_t basic = 0;
    int32_t nonbasic = m;
    int32_t backwards = m - 1;
    for (int32_t j = 0; j < n; ++j) {
        int32_t position;
        if ((f.status[j] & kStatBasic) != 0 && basic < m)
            position = basic++;
        else if (nonbasic < n)
            position = nonbasic++;
        else
            position = backwards--;
        f.header[position] = j;
    }
    for (ObjectiveRecord* rec = ctx->model.objectives; rec != nullptr; rec = rec->next) {
        rec->basis_position = -1;
        if (rec->column < 0 || rec->column >= n || (f.status[rec->column] & kStatBasic) == 0) continue;
        for (int32_t i = 0; i < m; ++i)
            if (f.header[i] == rec->column) rec->basis_position = i;
    }
}

}  // namespace tymlp
