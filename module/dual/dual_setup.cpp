// dual_setup.cpp -- what the dual simplex path needs before its first
// iteration: its arrays, a row-wise copy of the matrix, reduced costs from
// scratch, a dual feasible start, and the steepest-edge weights.
//
// A start is made dual feasible without a phase of its own: a nonbasic
// column with both bounds finite sits at the bound its reduced cost asks
// for, and any other column whose reduced cost has the wrong sign gets its
// cost shifted until the reduced cost is zero.  The dual iterations then
// solve the shifted problem to primal feasibility; the shifts come off at
// the end and the primal phase 2 prices out what they leave.
#include <cstring>

#include "base/context_memory.h"
#include "dual/dual_internal.h"
#include "dual/dual_path.h"
#include "factor/factor_entries.h"
#include "simplex/primal_values.h"
#include "simplex/ratio_tests.h"
#include "simplex/work_store.h"

namespace tymlp {
namespace {

// Exact weights cost one BTRAN per row; above this many rows a basis that
// is not all logical starts from weights of 1 instead.
constexpr int32_t kExactWeightRows = 4000;
// Random cost perturbation: relative size and its floor, in scaled units.
constexpr double kPerturbRelative = 1e-6;
constexpr double kPerturbFloor = 1e-6;

template <typename T>
bool take(LpContext* ctx, T*& p, int64_t count) {
    if (p == nullptr) p = ctx_alloc_array<T>(ctx, count);
    return p != nullptr;
}

// The minimising cost of basic column j: the objective column carries the
// objective's sense (negated, since the form maximises), every column its
// shift.
double cost_of(const LpContext* ctx, int32_t j) {
    const ObjectiveRecord* obj = ctx->model.current_objective;
    double c = ctx->dual.shift[j];
    if (obj != nullptr && obj->column == j) c -= obj->sense;
    return c;
}

// A multiplicative congruential generator of its own, so that the
// perturbation does not disturb the primal phases' random sequence.
double next_uniform(uint32_t* seed) {
    *seed = static_cast<uint32_t>((static_cast<uint64_t>(*seed) * 48271ULL) % 2147483647ULL);
    return static_cast<double>(*seed) / 2147483647.0;
}

void set_upper_bit(LpContext* ctx, int32_t j, bool on) {
    uint8_t& st = ctx->form.status[j];
    st = static_cast<uint8_t>(on ? (st | kStatAtUpper) : (st & ~kStatAtUpper));
}

// Puts the nonbasic columns where their reduced costs allow and shifts the
// costs of those that cannot move; perturbs when asked.  Returns whether a
// nonbasic value changed (the basic values must be solved for again).
bool make_dual_feasible(LpContext* ctx, bool perturb) {
    ComputationalForm& f = ctx->form;
    DualPathState& ds = ctx->dual;
    const int32_t m = ctx->model.rows;
    const int32_t n = ctx->model.columns;
    bool moved = false;
    uint32_t seed = 20261208u;
    for (int32_t h = m; h < n; ++h) {
        const int32_t j = f.header[h];
        double& d = ds.reduced[j];
        const NonbasicKind kind = nonbasic_kind(ctx, j);
        if (kind == NonbasicKind::kNever || kind == NonbasicKind::kFixed) continue;
        const bool boxed = finite_bound(ctx, f.lower[j]) && finite_bound(ctx, f.upper[j]);
        double s = 0.0;
        if (kind == NonbasicKind::kFree) {
            s = -d;
        } else if (boxed && std::fabs(d) > kDualFeasibilityTolerance) {
            // A reduced cost within the tolerance keeps its column where it
            // is (a restart from an optimal basis stays put); a shift below
            // puts a small wrong sign right instead.
            const bool want_upper = d < 0.0;
            if (want_upper != (kind == NonbasicKind::kAtUpper)) {
                set_upper_bit(ctx, j, want_upper);
                f.value[j] = want_upper ? f.upper[j] : f.lower[j];
                moved = true;
            }
        } else if (kind == NonbasicKind::kAtLower && d < 0.0) {
            s = -d;
        } else if (kind == NonbasicKind::kAtUpper && d > 0.0) {
            s = -d;
        }
        if (perturb && kind != NonbasicKind::kFree) {
            const double size = (kPerturbFloor + kPerturbRelative * std::fabs(d)) * (0.5 + 0.5 * next_uniform(&seed));
            const bool upper = (f.status[j] & kStatAtUpper) != 0 && finite_bound(ctx, f.upper[j]);
            s += upper ? -size : size;
        }
        if (s != 0.0) {
            if (ds.shift[j] == 0.0) ds.shifted += 1;
            ds.shift[j] += s;
            d += s;
        }
    }
    return moved;
}

}  // namespace

double DualPrimalTolerance(const LpContext* ctx) {
    const double t = 0.1 * ctx->options.bepsilon;
    return t > 1e-9 ? t : 1e-9;
}

int ReserveDualArrays(LpContext* ctx) {
    DualPathState& ds = ctx->dual;
    const int32_t m = ctx->model.rows;
    const int32_t n = ctx->model.columns;
    if (ds.m != 0 && (ds.m != m || ds.n != n)) return kRunMemory;  // dimensions are fixed within a run
    const bool ok = take(ctx, ds.reduced, n) && take(ctx, ds.shift, n) && take(ctx, ds.weight, m) &&
                    take(ctx, ds.basis_copy, m) && take(ctx, ds.row_start, static_cast<int64_t>(m) + 1) &&
                    take(ctx, ds.rho, m) && take(ctx, ds.rho_index, m) && take(ctx, ds.alpha_row, n) &&
                    take(ctx, ds.row_index, n) && take(ctx, ds.row_mark, n) && take(ctx, ds.tau, m) &&
                    take(ctx, ds.tau_index, m) && take(ctx, ds.flip, m) && take(ctx, ds.flip_index, m) &&
                    take(ctx, ds.flip_rows, m) && take(ctx, ds.column_index, m) && take(ctx, ds.candidate, 2 * static_cast<int64_t>(n)) &&
                    take(ctx, ds.cand_ratio, 2 * static_cast<int64_t>(n)) && take(ctx, ds.flipped, n) && take(ctx, ds.saved_lower, n) &&
                    take(ctx, ds.saved_upper, n) && take(ctx, ds.saved_status, n) && take(ctx, ds.saved_rhs, m) && take(ctx, ds.score, m) &&
                    take(ctx, ds.heap, m) && take(ctx, ds.heap_at, m) && take(ctx, ds.header_at, n);
    if (!ok) return kRunMemory;
    ds.m = m;
    ds.n = n;
    return ReserveRatioArrays(ctx);
}

int BuildRowCopy(LpContext* ctx) {
    DualPathState& ds = ctx->dual;
    if (ds.row_copy_built != 0) return kRunOk;
    const int32_t m = ctx->model.rows;
    const int32_t n = ctx->model.columns;
    std::memset(ds.row_start, 0, static_cast<size_t>(m + 1) * sizeof(int64_t));
    for (int32_t j = 0; j < n; ++j) {
        const double* values = nullptr;
        const int32_t* rows = nullptr;
        int32_t count = 0;
        const int rc = FetchCachedColumn(ctx, j, &values, &rows, &count);
        if (rc != 0) return rc;
        for (int32_t k = 0; k < count; ++k) ds.row_start[rows[k] + 1] += 1;
    }
    for (int32_t i = 0; i < m; ++i) ds.row_start[i + 1] += ds.row_start[i];
    const int64_t total = ds.row_start[m];
    ds.row_column = ctx_alloc_array<int32_t>(ctx, total);
    ds.row_value = ctx_alloc_array<double>(ctx, total);
    if (ds.row_column == nullptr || ds.row_value == nullptr) return kRunMemory;
    // Fill with a moving cursor per row (row_start[i] runs up to row i+1's
    // start), then shift the starts back.
    for (int32_t j = 0; j < n; ++j) {
        const double* values = nullptr;
        const int32_t* rows = nullptr;
        int32_t count = 0;
        const int rc = FetchCachedColumn(ctx, j, &values, &rows, &count);
        if (rc != 0) return rc;
        for (int32_t k = 0; k < count; ++k) {
            const int64_t at = ds.row_start[rows[k]]++;
            ds.row_column[at] = j;
            ds.row_value[at] = values[k];
        }
    }
    for (int32_t i = m; i > 0; --i) ds.row_start[i] = ds.row_start[i - 1];
    ds.row_start[0] = 0;
    ds.row_copy_built = 1;
    return kRunOk;
}

int ComputeReducedCosts(LpContext* ctx) {
    ComputationalForm& f = ctx->form;
    DualPathState& ds = ctx->dual;
    const int32_t m = ctx->model.rows;
    const int32_t n = ctx->model.columns;
    double* y = ds.tau;  // zero between uses; zeroed again below
    for (int32_t i = 0; i < m; ++i) y[i] = cost_of(ctx, f.header[i]);
    ctx->entries.factor->btran(ctx->inverse, y);
    for (int32_t i = 0; i < m; ++i) ds.reduced[f.header[i]] = 0.0;
    int rc = kRunOk;
    for (int32_t h = m; h < n && rc == kRunOk; ++h) {
        const int32_t j = f.header[h];
        if ((f.status[j] & kStatArtificial) != 0) {
            ds.reduced[j] = 0.0;
            continue;
        }
        const double* values = nullptr;
        const int32_t* rows = nullptr;
        int32_t count = 0;
        rc = FetchCachedColumn(ctx, j, &values, &rows, &count);
        if (rc != 0) break;
        double d = cost_of(ctx, j);
        for (int32_t k = 0; k < count; ++k) d -= y[rows[k]] * values[k];
        ds.reduced[j] = d;
    }
    std::memset(y, 0, static_cast<size_t>(m) * sizeof(double));
    return rc;
}

void ResetWeights(LpContext* ctx) {
    const ComputationalForm& f = ctx->form;
    DualPathState& ds = ctx->dual;
    const int32_t m = ctx->model.rows;
    bool logical = true;
    for (int32_t i = 0; i < m && logical; ++i) logical = f.header[i] >= ctx->model.structural_count;
    for (int32_t i = 0; i < m; ++i) {
        ds.weight[i] = 1.0;
        ds.basis_copy[i] = f.header[i];
    }
    ds.weights_exact = logical ? 1 : 0;
    ds.heap_valid = 0;
    if (logical || m > kExactWeightRows) return;
    for (int32_t r = 0; r < m; ++r) {
        double* rho = ds.rho;
        rho[r] = 1.0;
        const int32_t count = ctx->entries.factor->btran_sparse(ctx->inverse, rho, &r, 1, ds.rho_index);
        double w = 0.0;
        if (count < 0) {
            for (int32_t i = 0; i < m; ++i) {
                w += rho[i] * rho[i];
                rho[i] = 0.0;
            }
        } else {
            for (int32_t k = 0; k < count; ++k) {
                const int32_t i = ds.rho_index[k];
                w += rho[i] * rho[i];
                rho[i] = 0.0;
            }
        }
        ds.weight[r] = w > kWeightFloor ? w : kWeightFloor;
    }
    ds.weights_exact = 1;
}

int DualPathPrepare(LpContext* ctx) {
    DualPathState& ds = ctx->dual;
    int rc = ReserveDualArrays(ctx);
    if (rc == kRunOk) rc = BuildRowCopy(ctx);
    if (rc != kRunOk) return rc;
    std::memset(ds.shift, 0, static_cast<size_t>(ds.n) * sizeof(double));
    ds.shifted = 0;
    ds.perturbed = 0;
    ds.troubles = 0;
    ds.pivot_tolerance = kDualPivotTolerance;
    rc = ComputeReducedCosts(ctx);
    if (rc != kRunOk) return rc;
    ResetWeights(ctx);
    ds.ready = 1;
    return kRunOk;
}

int DualPathStart(LpContext* ctx, bool perturb) {
    DualPathState& ds = ctx->dual;
    int rc = ComputeReducedCosts(ctx);
    if (rc != kRunOk) return rc;
    if (make_dual_feasible(ctx, perturb)) {
        rc = RecomputePrimal(ctx);
        if (rc != kRunOk) return rc;
    }
    ds.perturbed = perturb ? 1 : 0;
    return kRunOk;
}

int DualPathRemoveShifts(LpContext* ctx) {
    DualPathState& ds = ctx->dual;
    if (ds.shift == nullptr) return kRunOk;
    std::memset(ds.shift, 0, static_cast<size_t>(ds.n) * sizeof(double));
    ds.shifted = 0;
    ds.perturbed = 0;
    return ComputeReducedCosts(ctx);
}

int32_t DualPathShiftCount(const LpContext* ctx) { return ctx->dual.shifted; }

}  // namespace tymlp
