// dual_row.cpp -- the leaving row of a dual iteration and its pivot row.
//
// The leaving row is the basic column whose bound violation, squared and
// divided by its steepest-edge weight, is largest: the violation measured
// against the length of the dual edge it would move along.  The pivot row
// alpha_r = e_r' B^-1 A is formed from the rows that e_r' B^-1 reaches when
// their entries are a small share of the matrix's, so a sparse row costs
// what it touches; a dense one is priced column by column.
#include <algorithm>
#include <cstring>

#include "dual/dual_internal.h"
#include "factor/factor_entries.h"
#include "simplex/pivot_history.h"
#include "simplex/work_store.h"

namespace tymlp {
namespace {

// The pivot row is formed row-wise while the entries of the rows rho
// reaches are fewer than this share of the matrix's entries: a row-wise
// entry costs a scattered update and a mark where a column-wise one is a
// plain inner-product term.
constexpr double kRowWiseShare = 0.4;

void list_column(DualPathState& ds, int32_t j) {
    if (ds.row_mark[j] != 0) return;
    ds.row_mark[j] = 1;
    ds.row_index[ds.row_count++] = j;
}

void row_wise(LpContext* ctx) {
    DualPathState& ds = ctx->dual;
    const uint8_t* status = ctx->form.status;
    for (int32_t k = 0; k < ds.rho_count; ++k) {
        const int32_t i = ds.rho_index[k];
        const double r = ds.rho[i];
        if (r == 0.0) continue;
        for (int64_t e = ds.row_start[i]; e < ds.row_start[i + 1]; ++e) {
            const int32_t j = ds.row_column[e];
            if ((status[j] & (kStatBasic | kStatArtificial)) != 0) continue;
            list_column(ds, j);
            ds.alpha_row[j] += r * ds.row_value[e];
        }
    }
}

int column_wise(LpContext* ctx) {
    DualPathState& ds = ctx->dual;
    const ComputationalForm& f = ctx->form;
    const int32_t m = ctx->model.rows;
    const int32_t n = ctx->model.columns;
    for (int32_t h = m; h < n; ++h) {
        const int32_t j = f.header[h];
        if ((f.status[j] & kStatArtificial) != 0) continue;
        const double* values = nullptr;
        const int32_t* rows = nullptr;
        int32_t count = 0;
        const int rc = FetchCachedColumn(ctx, j, &values, &rows, &count);
        if (rc != 0) return rc;
        double s = 0.0;
        for (int32_t k = 0; k < count; ++k) s += ds.rho[rows[k]] * values[k];
        if (s == 0.0) continue;
        list_column(ds, j);
        ds.alpha_row[j] = s;
    }
    return kRunOk;
}

}  // namespace

int32_t ChooseLeavingRow(LpContext* ctx) {
    const ComputationalForm& f = ctx->form;
    const DualPathState& ds = ctx->dual;
    const SolverState& sv = ctx->solver;
    const int32_t m = ctx->model.rows;
    const double tol = DualPrimalTolerance(ctx);
    const bool history_empty = ctx->model.pivot_history_count == 0;
    // Banned columns can sit anywhere in the heap: only then is every row
    // looked at.
    if (!(history_empty && sv.leave_ban_count > 0)) return LeavingHeapTop(ctx);
    double best = 0.0;
    int32_t chosen = -1;
    for (int32_t i = 0; i < m; ++i) {
        const int32_t j = f.header[i];
        if ((f.status[j] & kStatHeld) != 0) continue;
        const double x = f.value[j];
        double v = 0.0;
        if (x < f.lower[j] - tol)
            v = f.lower[j] - x;
        else if (x > f.upper[j] + tol)
            v = x - f.upper[j];
        else
            continue;
        const double score = v * v / ds.weight[i];
        if (score <= best) continue;
        if (history_empty && sv.leave_ban_count > 0 && IsLeaveBanned(ctx, j)) continue;
        best = score;
        chosen = i;
    }
    return chosen;
}

int ComputePivotRow(LpContext* ctx, int32_t r) {
    DualPathState& ds = ctx->dual;
    const int32_t m = ctx->model.rows;
    ds.rho[r] = 1.0;
    int32_t count = ctx->entries.factor->btran_sparse(ctx->inverse, ds.rho, &r, 1, ds.rho_index);
    if (count < 0) {
        count = 0;
        for (int32_t i = 0; i < m; ++i)
            if (ds.rho[i] != 0.0) ds.rho_index[count++] = i;
    }
    ds.rho_count = count;
    if (ds.row_copy_built != 0) {
        // What the row-wise product would touch, counted up to the point
        // where the column-wise one is known to be cheaper.
        const double limit = kRowWiseShare * static_cast<double>(ds.row_start[m]);
        double reach = 0.0;
        for (int32_t k = 0; k < count && reach < limit; ++k) {
            const int32_t i = ds.rho_index[k];
            reach += static_cast<double>(ds.row_start[i + 1] - ds.row_start[i]);
        }
        if (reach < limit) {
            row_wise(ctx);
            return kRunOk;
        }
    }
    return column_wise(ctx);
}

void ClearPivotRow(LpContext* ctx) {
    DualPathState& ds = ctx->dual;
    for (int32_t k = 0; k < ds.rho_count; ++k) ds.rho[ds.rho_index[k]] = 0.0;
    ds.rho_count = 0;
    for (int32_t k = 0; k < ds.row_count; ++k) {
        const int32_t j = ds.row_index[k];
        ds.alpha_row[j] = 0.0;
        ds.row_mark[j] = 0;
    }
    ds.row_count = 0;
}

void BoundFlippingRatio(LpContext* ctx, double delta, int32_t* entering) {
    const ComputationalForm& f = ctx->form;
    DualPathState& ds = ctx->dual;
    const double tol_pivot = ds.pivot_tolerance;
    const double tol_dual = kDualFeasibilityTolerance;
    const double tol_primal = DualPrimalTolerance(ctx);
    const double inf = ctx->options.infinity;
    // A leaving column below its lower bound turns the row's sign around.
    const double sign = delta < 0.0 ? -1.0 : 1.0;
    *entering = -1;
    ds.flipped_count = 0;

    // The candidates: columns whose move in the right direction repairs
    // the row, with their ratios d_j / alpha~_j.
    int32_t count = 0;
    for (int32_t k = 0; k < ds.row_count; ++k) {
        const int32_t j = ds.row_index[k];
        const double a = sign * ds.alpha_row[j];
        const NonbasicKind kind = nonbasic_kind(ctx, j);
        bool take = false;
        switch (kind) {
            case NonbasicKind::kAtLower: take = a > tol_pivot; break;
            case NonbasicKind::kAtUpper: take = a < -tol_pivot; break;
            case NonbasicKind::kFree: take = std::fabs(a) > tol_pivot; break;
            default: break;
        }
        if (!take) continue;
        const double d = ds.reduced[j];
        ds.candidate[count] = j;
        ds.cand_ratio[count] = kind == NonbasicKind::kFree ? std::fabs(d / a) : d / a;
        ++count;
    }

    // Harris passes: each takes every candidate within the relaxed step;
    // while the row's infeasibility outlasts what flipping them all costs,
    // they flip and the walk goes on.  The first pass looks at the list as
    // it stands (most walks end there); a walk that goes on sorts what is
    // left by ratio, so that each later pass is a run of the sorted list.
    double slope = std::fabs(delta);
    auto relaxed = [&](int32_t k) { return ds.cand_ratio[k] + tol_dual / std::fabs(ds.alpha_row[ds.candidate[k]]); };
    auto boxed_range = [&](int32_t j) {
        const bool boxed = finite_bound(ctx, f.lower[j]) && finite_bound(ctx, f.upper[j]) &&
                           nonbasic_kind(ctx, j) != NonbasicKind::kFree;
        return boxed ? f.upper[j] - f.lower[j] : inf;
    };
    if (count == 0) return;
    double bound = inf;
    for (int32_t k = 0; k < count; ++k) bound = std::fmin(bound, relaxed(k));
    double cost = 0.0;
    int32_t best = -1;
    double best_alpha = 0.0;
    for (int32_t k = 0; k < count; ++k) {
        if (ds.cand_ratio[k] > bound) continue;
        const int32_t j = ds.candidate[k];
        const double a = std::fabs(ds.alpha_row[j]);
        const double range = boxed_range(j);
        cost = range < inf && cost < inf ? cost + a * range : inf;
        if (a > best_alpha) best_alpha = a, best = j;
    }
    // Stop where the flips would use up the infeasibility (or leave no more
    // than the tolerance of it): the row then needs a pivot, not a proof of
    // infeasibility.
    if (cost >= inf || slope - cost <= tol_primal) {
        *entering = best;
        return;
    }
    slope -= cost;
    int32_t kept = 0;
    for (int32_t k = 0; k < count; ++k) {
        if (ds.cand_ratio[k] <= bound) {
            ds.flipped[ds.flipped_count++] = ds.candidate[k];
        } else {
            ds.candidate[kept] = ds.candidate[k];
            ds.cand_ratio[kept] = ds.cand_ratio[k];
            ++kept;
        }
    }
    count = kept;
    if (count == 0) {
        ds.flipped_count = 0;  // nothing can enter: no flip either
        return;
    }

    // The rest, sorted by ratio, with the smallest relaxed ratio of every
    // tail: a pass starting at `start` takes the run up to that bound.
    int32_t* order = ds.candidate + ds.n;
    for (int32_t k = 0; k < count; ++k) order[k] = k;
    std::sort(order, order + count, [&ds](int32_t x, int32_t y) {
        return ds.cand_ratio[x] < ds.cand_ratio[y] || (ds.cand_ratio[x] == ds.cand_ratio[y] && x < y);
    });
    double* tail = ds.cand_ratio + ds.n;
    for (int32_t k = count - 1; k >= 0; --k) {
        const double r = relaxed(order[k]);
        tail[k] = k + 1 < count && tail[k + 1] < r ? tail[k + 1] : r;
    }
    int32_t start = 0;
    while (start < count) {
        const double pass_bound = tail[start];
        cost = 0.0;
        best = -1;
        best_alpha = 0.0;
        int32_t end = start;
        while (end < count && ds.cand_ratio[order[end]] <= pass_bound) {
            const int32_t j = ds.candidate[order[end]];
            const double a = std::fabs(ds.alpha_row[j]);
            const double range = boxed_range(j);
            cost = range < inf && cost < inf ? cost + a * range : inf;
            if (a > best_alpha) best_alpha = a, best = j;
            ++end;
        }
        if (cost >= inf || slope - cost <= tol_primal) {
            *entering = best;
            return;
        }
        slope -= cost;
        for (int32_t k = start; k < end; ++k) ds.flipped[ds.flipped_count++] = ds.candidate[order[k]];
        start = end;
    }
    ds.flipped_count = 0;  // nothing can enter: no flip either
}

}  // namespace tymlp
