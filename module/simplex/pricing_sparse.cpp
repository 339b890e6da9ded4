// pricing_sparse.cpp -- sparse pricing: the reduced costs of all nonbasic
// columns are kept up to date from a row-wise copy of the nonbasic matrix,
// so that an iteration costs one row of B^-1 and the rows of the copy where
// that row is not negligible, instead of one inner product per column.
//
// Each row of the copy has room for every entry the row has over all n
// columns, so a column that becomes nonbasic is appended without moving a
// row; a column that becomes basic leaves its rows by swapping in each row's
// last entry.
#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstring>

#include "base/context_memory.h"
#include "base/numeric.h"
#include "simplex/price_tree.h"
#include "simplex/pricing.h"
#include "simplex/pricing_vector.h"
#include "simplex/work_store.h"

namespace tymlp {
namespace {

// Entries of rho below this magnitude contribute nothing worth a row pass.
constexpr double kNegligibleRho = kUnitRoundoff;
// The Devex weights are trusted while half the entering column's weight
// does not exceed its recomputed reference norm.
constexpr double kDevexTrust = 0.5;
// A list of nonzeros is sorted rather than all positions passed over while
// it holds at most this share (1/k) of them.
constexpr int32_t kSparseShare = 8;

bool in_copy_candidate(const LpContext* ctx, int32_t j) {
    const uint8_t st = ctx->form.status[j];
    return (st & (kStatBasic | kStatArtificial)) == 0;
}

int append_column(LpContext* ctx, int32_t j) {
    PricingState& p = ctx->phases.pricing;
    const double* values = nullptr;
    const int32_t* rows = nullptr;
    int32_t count = 0;
    const int rc = FetchColumn(ctx, j, &values, &rows, &count);
    if (rc != 0) return rc;
    for (int32_t k = 0; k < count; ++k) {
        const int32_t i = rows[k];
        const int64_t at = p.row_start[i] + p.row_count[i];
        p.copy_columns[at] = j;
        p.copy_values[at] = values[k];
        p.row_count[i] += 1;
    }
    p.copy_basic[j] = 0;
    return 0;
}

int remove_column(LpContext* ctx, int32_t j) {
    PricingState& p = ctx->phases.pricing;
    const double* values = nullptr;
    const int32_t* rows = nullptr;
    int32_t count = 0;
    const int rc = FetchColumn(ctx, j, &values, &rows, &count);
    if (rc != 0) return rc;
    for (int32_t k = 0; k < count; ++k) {
        const int32_t i = rows[k];
        const int64_t first = p.row_start[i];
        const int64_t last = first + p.row_count[i] - 1;
        for (int64_t e = first; e <= last; ++e) {
            if (p.copy_columns[e] != j) continue;
            p.copy_columns[e] = p.copy_columns[last];
            p.copy_values[e] = p.copy_values[last];
            p.row_count[i] -= 1;
            break;
        }
    }
    p.copy_basic[j] = 1;
    return 0;
}

int build_copy(LpContext* ctx) {
    PricingState& p = ctx->phases.pricing;
    const int32_t m = ctx->model.rows;
    const int32_t n = ctx->model.columns;
    if (p.row_start == nullptr) p.row_start = ctx_alloc_array<int64_t>(ctx, m);
    if (p.row_count == nullptr) p.row_count = ctx_alloc_array<int32_t>(ctx, m);
    if (p.copy_basic == nullptr) p.copy_basic = ctx_alloc_array<uint8_t>(ctx, n);
    if (p.row_start == nullptr || p.row_count == nullptr || p.copy_basic == nullptr) return kRunMemory;
    std::memset(p.row_count, 0, static_cast<size_t>(m) * sizeof(int32_t));
    for (int32_t j = 0; j < n; ++j) {
        const double* values = nullptr;
        const int32_t* rows = nullptr;
        int32_t count = 0;
        const int rc = FetchColumn(ctx, j, &values, &rows, &count);
        if (rc != 0) return rc;
        for (int32_t k = 0; k < count; ++k) p.row_count[rows[k]] += 1;
    }
    int64_t total = 0;
    for (int32_t i = 0; i < m; ++i) {
        p.row_start[i] = total;
        total += p.row_count[i];
        p.row_count[i] = 0;
    }
    ctx_free_array(ctx, p.copy_columns);
    ctx_free_array(ctx, p.copy_values);
    p.copy_columns = ctx_alloc_array<int32_t>(ctx, total);
    p.copy_values = ctx_alloc_array<double>(ctx, total);
    if (p.copy_columns == nullptr || p.copy_values == nullptr) return kRunMemory;
    for (int32_t j = 0; j < n; ++j) {
        p.copy_basic[j] = 1;
        if (!in_copy_candidate(ctx, j)) continue;
        const int rc = append_column(ctx, j);
        if (rc != 0) return rc;
    }
    p.copy_built = 1;
    return 0;
}

void reset_framework(LpContext* ctx) {
    PricingState& p = ctx->phases.pricing;
    const int32_t n = ctx->model.columns;
    if (p.weight == nullptr || p.framework == nullptr) return;
    PriceTreeInvalidate(ctx);
    for (int32_t j = 0; j < n; ++j) {
        p.weight[j] = 1.0;
        p.framework[j] = 1;
    }
}

void clear_pivot_row(PricingState& p) {
    for (int32_t k = 0; k < p.touched_count; ++k) {
        p.pivot_row[p.touched[k]] = 0.0;
        p.touched_mark[p.touched[k]] = 0;
    }
    p.touched_count = 0;
}

// The positions where the transformed entering column in the work vector
// is nonzero, in ascending order, when the last ratio test listed them and
// they are few (a sum over them then adds the same terms in the same order
// as a pass over all m positions, without the zeros); otherwise none.
int32_t sorted_work_nonzeros(LpContext* ctx, const int32_t** positions) {
    RatioState& rs = ctx->phases.ratio;
    const int32_t count = rs.work_nonzero_count;
    *positions = nullptr;
    if (rs.work_nonzero == nullptr || rs.candidate_position == nullptr || count > ctx->model.rows / kSparseShare)
        return 0;
    int32_t* sorted = rs.candidate_position;
    std::copy(rs.work_nonzero, rs.work_nonzero + count, sorted);
    std::sort(sorted, sorted + count);
    *positions = sorted;
    return count;
}

// The stored-price rule by a pass over the nonbasic part of the header.
void scan_stored_prices(const LpContext* ctx, bool devex, double* price, int32_t* column, int32_t* header_pos) {
    const ComputationalForm& f = ctx->form;
    const int32_t m = ctx->model.rows;
    const int32_t n = ctx->model.columns;
    double best = *price;
    *column = -1;
    for (int32_t h = m; h < n; ++h) {
        double d = 0.0;
        if (!StoredPrice(ctx, f.header[h], devex, &d) || !(d > best)) continue;
        best = d;
        *column = f.header[h];
        *header_pos = h;
    }
    *price = best;
}

// The stored-price rule: the best oriented stored reduced cost, divided by
// the framework weight under Devex; the first in header order on ties.
// Inside primal phase 2 the tournament tree gives the same choice without
// the pass.
int StoredPriceRule(LpContext* ctx) {
    PricingState& p = ctx->phases.pricing;
    if (p.reduced == nullptr) return kRunMemory;
    p.price = -ctx->options.infinity;
    p.major_passes += 1;
    p.source = kSourceRule;
    const bool devex = ctx->options.devex != 0 && p.weight != nullptr && p.framework != nullptr;
    double price = p.price;
    int32_t column = -1;
    int32_t header_pos = -1;
    if (PriceTreeChoose(ctx, &price, &column, &header_pos)) {
#ifndef NDEBUG
        double scanned = p.price;
        int32_t scanned_column = -1;
        int32_t scanned_pos = -1;
        scan_stored_prices(ctx, devex, &scanned, &scanned_column, &scanned_pos);
        assert(scanned_column == column && (column < 0 || (scanned == price && scanned_pos == header_pos)));
#endif
    } else {
        scan_stored_prices(ctx, devex, &price, &column, &header_pos);
    }
    if (column >= 0) {
        p.price = price;
        ctx->solver.entering_pos = header_pos;
        ctx->solver.entering = column;
    }
    return 0;
}

}  // namespace

int RecomputeReducedCosts(LpContext* ctx) {
    PricingState& p = ctx->phases.pricing;
    const ComputationalForm& f = ctx->form;
    const int32_t m = ctx->model.rows;
    const int32_t n = ctx->model.columns;
    PriceTreeInvalidate(ctx);
    PricingVector(ctx);
    std::memset(p.reduced, 0, static_cast<size_t>(n) * sizeof(double));
    const double* y = f.duals;
    for (int32_t i = 0; i < m; ++i) {
        const double yi = y[i];
        if (yi == 0.0) continue;
        const int64_t first = p.row_start[i];
        const int64_t last = first + p.row_count[i];
        for (int64_t e = first; e < last; ++e) p.reduced[p.copy_columns[e]] -= yi * p.copy_values[e];
    }
    const ObjectiveRecord* obj = ctx->model.current_objective;
    if (obj != nullptr && obj->column >= 0 && (f.status[obj->column] & kStatBasic) == 0)
        p.reduced[obj->column] += obj->sense;
    for (int32_t j = 0; j < n; ++j)
        if ((f.status[j] & kStatBasic) != 0) p.reduced[j] = 0.0;
    return 0;
}

int SparseSetUp(LpContext* ctx) {
    PricingState& p = ctx->phases.pricing;
    const int32_t m = ctx->model.rows;
    const int32_t n = ctx->model.columns;
    if (p.reduced == nullptr) p.reduced = ctx_alloc_array<double>(ctx, n);
    if (p.pivot_row == nullptr) p.pivot_row = ctx_alloc_array<double>(ctx, n);
    if (p.touched == nullptr) p.touched = ctx_alloc_array<int32_t>(ctx, n);
    if (p.touched_mark == nullptr) p.touched_mark = ctx_alloc_array<uint8_t>(ctx, n);
    if (p.rho == nullptr) {
        p.rho = ctx_alloc_array<double>(ctx, m);
        p.rho_count = 0;
    }
    if (p.rho_rows == nullptr) p.rho_rows = ctx_alloc_array<int32_t>(ctx, m);
    if (p.reduced == nullptr || p.pivot_row == nullptr || p.touched == nullptr || p.touched_mark == nullptr ||
        p.rho == nullptr || p.rho_rows == nullptr)
        return kRunMemory;
    int rc = p.copy_built != 0 ? RefreshRowCopy(ctx) : build_copy(ctx);
    if (rc != 0) return rc;
    if (ctx->options.devex != 0) {
        if (p.weight == nullptr) p.weight = ctx_alloc_array<double>(ctx, n);
        if (p.framework == nullptr) p.framework = ctx_alloc_array<uint8_t>(ctx, n);
        if (p.weight == nullptr || p.framework == nullptr) return kRunMemory;
        reset_framework(ctx);
    }
    rc = RecomputeReducedCosts(ctx);
    if (rc != 0) return rc;
    clear_pivot_row(p);
    p.stored_active = 1;
    ctx->entries.pricing = StoredPriceRule;
    return 0;
}

void SparsePivotRow(LpContext* ctx, int32_t r) {
    PricingState& p = ctx->phases.pricing;
    const int32_t m = ctx->model.rows;
    clear_pivot_row(p);
    p.rho_count = BasisInverseRowListed(ctx, r, p.rho, p.rho_rows, p.rho_count);
    // Rows in ascending order either way, so that each pivot row entry sums
    // its terms in the same order; a short list is sorted, a long one is
    // passed over for all m rows.
    const bool listed = p.rho_count >= 0 && p.rho_count <= m / kSparseShare;
    if (listed) std::sort(p.rho_rows, p.rho_rows + p.rho_count);
    const int32_t* rows = p.rho_rows;
    const int32_t passes = listed ? p.rho_count : m;
    // The arrays and the touched count in locals: the stores below could
    // alias the pricing state as far as the compiler knows.
    const double* rho = p.rho;
    const int64_t* row_start = p.row_start;
    const int32_t* row_count = p.row_count;
    const int32_t* columns = p.copy_columns;
    const double* values = p.copy_values;
    double* pivot_row = p.pivot_row;
    uint8_t* mark = p.touched_mark;
    int32_t* touched = p.touched;
    int32_t count = p.touched_count;
    for (int32_t k = 0; k < passes; ++k) {
        const int32_t i = listed ? rows[k] : k;
        const double ri = rho[i];
        if (std::fabs(ri) < kNegligibleRho) continue;
        const int64_t first = row_start[i];
        const int64_t last = first + row_count[i];
        for (int64_t e = first; e < last; ++e) {
            const int32_t j = columns[e];
            if (mark[j] == 0) {
                mark[j] = 1;
                touched[count++] = j;
            }
            pivot_row[j] += ri * values[e];
        }
    }
    p.touched_count = count;
}

void UpdateDevexWeights(LpContext* ctx, int32_t q, int32_t l) {
    PricingState& p = ctx->phases.pricing;
    if (ctx->options.devex == 0 || p.weight == nullptr || p.framework == nullptr) return;
    const ComputationalForm& f = ctx->form;
    const int32_t m = ctx->model.rows;
    const int32_t r = ctx->solver.leaving_pos;
    double s = p.framework[q] != 0 ? 1.0 : 0.0;
    const int32_t* positions = nullptr;
    const int32_t count = sorted_work_nonzeros(ctx, &positions);
    for (int32_t k = 0; k < (positions != nullptr ? count : m); ++k) {
        const int32_t i = positions != nullptr ? positions[k] : k;
        const int32_t j = i == r ? l : f.header[i];
        if (p.framework[j] != 0) s += f.work[i] * f.work[i];
    }
    const double root = std::sqrt(s);
    if (kDevexTrust * p.weight[q] > root) {
        reset_framework(ctx);
        return;
    }
    const double alpha_rq = std::fabs(ctx->phases.ratio.pivot);
    if (alpha_rq == 0.0) return;
    const double t = root / alpha_rq;
    for (int32_t k = 0; k < p.touched_count; ++k) {
        const int32_t j = p.touched[k];
        if ((f.status[j] & kStatBasic) != 0) continue;
        const double w = std::fabs(p.pivot_row[j]) * t;
        if (w > p.weight[j]) p.weight[j] = w;
    }
    p.weight[q] = 1.0;
    p.weight[l] = t > 1.0 ? t : 1.0;
}

int UpdateReducedCosts(LpContext* ctx, int32_t q, int32_t l) {
    PricingState& p = ctx->phases.pricing;
    if (ctx->solver.updates_since_inversion == 0) return RecomputeReducedCosts(ctx);
    const double alpha_rq = ctx->phases.ratio.pivot;
    if (alpha_rq == 0.0) return RecomputeReducedCosts(ctx);
    const double mu = p.reduced[q] / alpha_rq;
    for (int32_t k = 0; k < p.touched_count; ++k) {
        const int32_t j = p.touched[k];
        p.reduced[j] -= p.pivot_row[j] * mu;
    }
    p.reduced[q] = 0.0;
    p.reduced[l] = -mu;
    return 0;
}

int UpdateRowCopy(LpContext* ctx, int32_t q, int32_t l) {
    PricingState& p = ctx->phases.pricing;
    if (p.copy_built == 0) return build_copy(ctx);
    int rc = 0;
    if (p.copy_basic[q] == 0 && (ctx->form.status[q] & kStatBasic) != 0) rc = remove_column(ctx, q);
    if (rc == 0 && p.copy_basic[l] != 0 && in_copy_candidate(ctx, l)) rc = append_column(ctx, l);
    return rc;
}

int RefreshRowCopy(LpContext* ctx) {
    PricingState& p = ctx->phases.pricing;
    if (p.copy_built == 0) return 0;
    const int32_t n = ctx->model.columns;
    for (int32_t j = 0; j < n; ++j) {
        const bool want = in_copy_candidate(ctx, j);
        const bool have = p.copy_basic[j] == 0;
        int rc = 0;
        if (have && !want)
            rc = remove_column(ctx, j);
        else if (!have && want)
            rc = append_column(ctx, j);
        if (rc != 0) return rc;
    }
    return 0;
}

void ReleaseSparse(LpContext* ctx) {
    PricingState& p = ctx->phases.pricing;
    PriceTreeInvalidate(ctx);
    if (p.copy_built == 0 && p.reduced == nullptr) return;
    ctx_free_array(ctx, p.copy_columns);
    ctx_free_array(ctx, p.copy_values);
    ctx_free_array(ctx, p.row_start);
    ctx_free_array(ctx, p.row_count);
    ctx_free_array(ctx, p.copy_basic);
    ctx_free_array(ctx, p.reduced);
    ctx_free_array(ctx, p.pivot_row);
    ctx_free_array(ctx, p.touched);
    ctx_free_array(ctx, p.touched_mark);
    ctx_free_array(ctx, p.rho);
    ctx_free_array(ctx, p.rho_rows);
    p.rho_count = 0;
    p.touched_count = 0;
    p.copy_built = 0;
    p.stored_active = 0;
    if (ctx->entries.pricing != nullptr) ctx->entries.pricing = nullptr;
}

}  // namespace tymlp
