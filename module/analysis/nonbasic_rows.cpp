// nonbasic_rows.cpp -- the row-wise copy of the nonbasic columns.
#include "analysis/nonbasic_rows.h"

#include "analysis/analysis_support.h"
#include "base/host_link.h"
#include "simplex/work_store.h"

namespace tymlp {
namespace {

template <typename T>
T* take(int64_t count) {
    return static_cast<T*>(host_alloc(static_cast<size_t>(count > 0 ? count : 1) * sizeof(T), TYM_ALLOC_STEP_ZERO));
}

bool listed(const LpContext* ctx, int32_t v) {
    return (ctx->form.status[v] & kStatBasic) == 0 && !excluded_from_entering(ctx, v);
}

}  // namespace

NonbasicRows::~NonbasicRows() {
    if (starts_ != nullptr) host_release(starts_);
    if (columns_ != nullptr) host_release(columns_);
    if (values_ != nullptr) host_release(values_);
}

int NonbasicRows::build(LpContext* ctx) {
    const int32_t m = ctx->model.rows;
    const int32_t n = ctx->model.columns;
    starts_ = take<int32_t>(m + 1);
    if (starts_ == nullptr) return kRunMemory;
    // Count the entries of each row, then place them.
    int64_t total = 0;
    for (int32_t v = 0; v < n; ++v) {
        if (!listed(ctx, v)) continue;
        const double* values = nullptr;
        const int32_t* rows = nullptr;
        int32_t count = 0;
        const int rc = FetchCachedColumn(ctx, v, &values, &rows, &count);
        if (rc != 0) return rc;
        for (int32_t k = 0; k < count; ++k) ++starts_[rows[k] + 1];
        total += count;
    }
    for (int32_t i = 0; i < m; ++i) starts_[i + 1] += starts_[i];
    columns_ = take<int32_t>(total);
    values_ = take<double>(total);
    int32_t* next = take<int32_t>(m);
    if (columns_ == nullptr || values_ == nullptr || next == nullptr) {
        if (next != nullptr) host_release(next);
        return kRunMemory;
    }
    for (int32_t i = 0; i < m; ++i) next[i] = starts_[i];
    int rc = 0;
    for (int32_t v = 0; v < n && rc == 0; ++v) {
        if (!listed(ctx, v)) continue;
        const double* values = nullptr;
        const int32_t* rows = nullptr;
        int32_t count = 0;
        rc = FetchCachedColumn(ctx, v, &values, &rows, &count);
        for (int32_t k = 0; rc == 0 && k < count; ++k) {
            const int32_t slot = next[rows[k]]++;
            columns_[slot] = v;
            values_[slot] = values[k];
        }
    }
    host_release(next);
    return rc;
}

int32_t NonbasicRows::accumulate(const double* w, int32_t m, double* acc, uint8_t* mark, int32_t* touched) const {
    int32_t count = 0;
    for (int32_t i = 0; i < m; ++i) {
        const double wi = w[i];
        if (wi == 0.0) continue;
        for (int32_t s = starts_[i]; s < starts_[i + 1]; ++s) {
            const int32_t v = columns_[s];
            acc[v] -= wi * values_[s];
            if (mark[v] == 0) {
                mark[v] = 1;
                touched[count++] = v;
            }
        }
    }
    return count;
}

}  // namespace tymlp
