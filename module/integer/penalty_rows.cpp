// penalty_rows.cpp -- the rows of the tableau the penalties look at.
#include "integer/penalty_rows.h"

#include "base/context_memory.h"
#include "simplex/work_store.h"

namespace tymlp {

int build_penalty_rows(LpContext* ctx) {
    PenaltyRows& pr = ctx->bb.penalty_rows;
    if (pr.built != 0) return 0;
    const ComputationalForm& f = ctx->form;
    const int32_t m = ctx->model.rows;
    const int32_t n = ctx->model.columns;
    pr.start = ctx_alloc_array<int32_t>(ctx, m + 1);
    pr.alpha = ctx_alloc_array<double>(ctx, n);
    pr.touched = ctx_alloc_array<int32_t>(ctx, n);
    pr.mark = ctx_alloc_array<uint8_t>(ctx, n);
    pr.position = ctx_alloc_array<int32_t>(ctx, n);
    if (pr.start == nullptr || pr.alpha == nullptr || pr.touched == nullptr || pr.mark == nullptr ||
        pr.position == nullptr)
        return kRunMemory;
    for (int32_t k = 0; k < n; ++k) pr.position[k] = -1;
    // Two passes over the columns: count each row's entries, then place
    // them; columns are visited in ascending order, so each row lists its
    // columns in ascending order.
    for (int pass = 0; pass < 2; ++pass) {
        if (pass == 1) {
            for (int32_t i = 0; i < m; ++i) pr.start[i + 1] += pr.start[i];
            const int32_t total = pr.start[m];
            pr.columns = ctx_alloc_array<int32_t>(ctx, total > 0 ? total : 1);
            pr.values = ctx_alloc_array<double>(ctx, total > 0 ? total : 1);
            if (pr.columns == nullptr || pr.values == nullptr) return kRunMemory;
        }
        for (int32_t k = 0; k < n; ++k) {
            if ((f.status[k] & kStatArtificial) != 0) continue;
            const double* values = nullptr;
            const int32_t* rows = nullptr;
            int32_t count = 0;
            const int rc = FetchCachedColumn(ctx, k, &values, &rows, &count);
            if (rc != 0) return rc;
            for (int32_t e = 0; e < count; ++e) {
                const int32_t i = rows[e];
                if (pass == 0) {
                    ++pr.start[i + 1];
                } else {
                    // start[i] serves as the next free place of row i here,
                    // and is moved back below.
                    pr.columns[pr.start[i]] = k;
                    pr.values[pr.start[i]] = values[e];
                    ++pr.start[i];
                }
            }
        }
    }
    for (int32_t i = m; i > 0; --i) pr.start[i] = pr.start[i - 1];
    pr.start[0] = 0;
    pr.built = 1;
    return 0;
}

void form_tableau_row(LpContext* ctx, const double* rho) {
    PenaltyRows& pr = ctx->bb.penalty_rows;
    const int32_t m = ctx->model.rows;
    int32_t count = pr.touched_count;
    for (int32_t i = 0; i < m; ++i) {
        const double r = rho[i];
        if (r == 0.0) continue;
        for (int32_t e = pr.start[i]; e < pr.start[i + 1]; ++e) {
            const int32_t k = pr.columns[e];
            if (pr.mark[k] == 0) {
                pr.mark[k] = 1;
                pr.touched[count++] = k;
            }
            pr.alpha[k] += r * pr.values[e];
        }
    }
    pr.touched_count = count;
}

void clear_tableau_row(LpContext* ctx) {
    PenaltyRows& pr = ctx->bb.penalty_rows;
    for (int32_t t = 0; t < pr.touched_count; ++t) {
        const int32_t k = pr.touched[t];
        pr.alpha[k] = 0.0;
        pr.mark[k] = 0;
    }
    pr.touched_count = 0;
}

}  // namespace tymlp
