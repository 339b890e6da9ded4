// dual_iterate.cpp -- the dual simplex iterations.
//
// One iteration: the leaving row by dual steepest edge, its pivot row, the
// entering column by the bound-flipping ratio test, then
//   - the passed columns flip to their other bounds and the basic values
//     follow (one FTRAN of their summed columns);
//   - tau = B^-1 rho for the weight update (one FTRAN);
//   - the entering column (the last FTRAN, whose spike the factor update
//     takes); its pivot must agree with the pivot row's, else the factors
//     are renewed and the iteration is tried again;
//   - basic values, reduced costs and weights move; the basis exchanges.
// Reduced costs that a step leaves on the wrong side (Harris' tolerance
// lets a step pass a breakpoint by a little) are shifted to zero, so the
// basis stays dual feasible for the shifted costs at every step.
#include <cstring>

#include "base/host_link.h"
#include "dual/dual_internal.h"
#include "dual/dual_path.h"
#include "factor/factor_entries.h"
#include "simplex/invert.h"
#include "simplex/phase_internal.h"
#include "simplex/phases.h"
#include "simplex/pivot_history.h"
#include "simplex/update_basis.h"
#include "simplex/work_store.h"

namespace tymlp {
namespace {

// Pivots from the row and from the column must agree to this relative
// accuracy.
constexpr double kPivotAgreement = 1e-7;
// Refused iterations in a row before the path gives up.
constexpr int32_t kMaxTroubles = 8;
// Fresh-factor checks of an ending within one call.
constexpr int32_t kMaxEndingChecks = 5;

void shift_to_zero(DualPathState& ds, int32_t j) {
    if (ds.shift[j] == 0.0) ds.shifted += 1;
    ds.shift[j] -= ds.reduced[j];
    ds.reduced[j] = 0.0;
}

// Fresh factors, basic values and reduced costs; weights reset when the
// factorisation's repair changed the basis.
int refresh(LpContext* ctx) {
    DualPathState& ds = ctx->dual;
    const int32_t m = ctx->model.rows;
    LeavingHeapInvalidate(ctx);
    int rc = Invert(ctx);
    if (rc != kRunOk) return rc;
    rc = ComputeReducedCosts(ctx);
    if (rc != kRunOk) return rc;
    const int32_t* header = ctx->form.header;
    for (int32_t i = 0; i < m; ++i)
        if (header[i] != ds.basis_copy[i]) {
            ResetWeights(ctx);
            break;
        }
    return kRunOk;
}

// The flips the ratio test decided: statuses, values, and the basic
// values through one FTRAN of the moved columns' sum.
int apply_flips(LpContext* ctx) {
    ComputationalForm& f = ctx->form;
    DualPathState& ds = ctx->dual;
    const int32_t m = ctx->model.rows;
    if (ds.flipped_count == 0) return kRunOk;
    int32_t rows_listed = 0;
    for (int32_t k = 0; k < ds.flipped_count; ++k) {
        const int32_t j = ds.flipped[k];
        const bool to_upper = (f.status[j] & kStatAtUpper) == 0;
        const double target = to_upper ? f.upper[j] : f.lower[j];
        const double move = target - f.value[j];
        f.value[j] = target;
        f.status[j] = static_cast<uint8_t>(f.status[j] ^ kStatAtUpper);
        if (move == 0.0) continue;
        const double* values = nullptr;
        const int32_t* rows = nullptr;
        int32_t count = 0;
        const int rc = FetchColumn(ctx, j, &values, &rows, &count);
        if (rc != 0) return rc;
        for (int32_t e = 0; e < count; ++e) {
            const int32_t i = rows[e];
            if (ds.flip[i] == 0.0) ds.flip_rows[rows_listed++] = i;
            ds.flip[i] += move * values[e];
            if (ds.flip[i] == 0.0) ds.flip[i] = 1e-300;  // stays listed once
        }
    }
    if (rows_listed == 0) return kRunOk;
    const int32_t listed = ctx->entries.factor->ftran_sparse(ctx->inverse, ds.flip, ds.flip_rows, rows_listed,
                                                             ds.flip_index);
    for (int32_t k = 0; k < listed; ++k) {
        const int32_t i = ds.flip_index[k];
        f.value[f.header[i]] -= ds.flip[i];
        ds.flip[i] = 0.0;
        LeavingHeapTouch(ctx, i);
    }
    (void)m;
    return kRunOk;
}

void undo_flips(LpContext* ctx) {
    ComputationalForm& f = ctx->form;
    DualPathState& ds = ctx->dual;
    for (int32_t k = 0; k < ds.flipped_count; ++k) {
        const int32_t j = ds.flipped[k];
        f.status[j] = static_cast<uint8_t>(f.status[j] ^ kStatAtUpper);
        f.value[j] = (f.status[j] & kStatAtUpper) != 0 ? f.upper[j] : f.lower[j];
    }
    ds.flipped_count = 0;
}

// tau = B^-1 rho (by basis position), listed.
int32_t solve_tau(LpContext* ctx) {
    DualPathState& ds = ctx->dual;
    for (int32_t k = 0; k < ds.rho_count; ++k) ds.tau[ds.rho_index[k]] = ds.rho[ds.rho_index[k]];
    return ctx->entries.factor->ftran_sparse(ctx->inverse, ds.tau, ds.rho_index, ds.rho_count, ds.tau_index);
}

void clear_tau(DualPathState& ds, int32_t count) {
    for (int32_t k = 0; k < count; ++k) ds.tau[ds.tau_index[k]] = 0.0;
}

// work = B^-1 a_q, listed in the ratio state (as the primal phases leave it).
int transform_entering(LpContext* ctx, int32_t q) {
    ComputationalForm& f = ctx->form;
    RatioState& rs = ctx->phases.ratio;
    const int32_t m = ctx->model.rows;
    const double* values = nullptr;
    const int32_t* rows = nullptr;
    int32_t count = 0;
    const int rc = FetchColumn(ctx, q, &values, &rows, &count);
    if (rc != 0) return rc;
    if (rs.work_zero_elsewhere != 0) {
        for (int32_t k = 0; k < rs.work_nonzero_count; ++k) f.work[rs.work_nonzero[k]] = 0.0;
    } else {
        std::memset(f.work, 0, static_cast<size_t>(m) * sizeof(double));
    }
    for (int32_t k = 0; k < count; ++k) f.work[rows[k]] += values[k];
    rs.work_nonzero_count = ctx->entries.factor->ftran_sparse(ctx->inverse, f.work, rows, count, rs.work_nonzero);
    rs.work_zero_elsewhere = 1;
    rs.work_listed = 0;
    return kRunOk;
}

// The squared length of column j of the matrix (1 when it has no entry).
int column_norm2(LpContext* ctx, int32_t j, double* norm2) {
    const double* values = nullptr;
    const int32_t* rows = nullptr;
    int32_t count = 0;
    const int rc = FetchColumn(ctx, j, &values, &rows, &count);
    if (rc != 0) return rc;
    double s = 0.0;
    for (int32_t k = 0; k < count; ++k) s += values[k] * values[k];
    *norm2 = s > 0.0 ? s : 1.0;
    return kRunOk;
}

// The header position of nonbasic column q from the position map, which
// is rebuilt when anything but this path's own exchanges moved the header
// (a factorisation's repair, a statement at a pause, the primal phases).
int32_t header_position(LpContext* ctx, int32_t q) {
    const int32_t* header = ctx->form.header;
    const int32_t m = ctx->model.rows;
    const int32_t n = ctx->model.columns;
    int32_t* at = ctx->dual.header_at;
    const int32_t h = at[q];
    if (h >= m && h < n && header[h] == q) return h;
    for (int32_t k = m; k < n; ++k) at[header[k]] = k;
    return header[at[q]] == q && at[q] >= m ? at[q] : -1;
}

// Values, reduced costs and weights after the exchange of row r (column p
// leaving towards `bound`, its squared length `leaving_norm2`) with column q.
void move_everything(LpContext* ctx, int32_t r, int32_t q, double bound, int32_t tau_count, double leaving_norm2) {
    ComputationalForm& f = ctx->form;
    DualPathState& ds = ctx->dual;
    const RatioState& rs = ctx->phases.ratio;
    const int32_t p = f.header[r];
    const double alpha_col = f.work[r];
    const double alpha_row = ds.alpha_row[q];

    // Primal: the leaving column lands on its bound.
    const double theta_p = (f.value[p] - bound) / alpha_col;
    for (int32_t k = 0; k < rs.work_nonzero_count; ++k) {
        const int32_t i = rs.work_nonzero[k];
        const double a = f.work[i];
        if (a != 0.0) f.value[f.header[i]] -= theta_p * a;
    }
    f.value[q] += theta_p;
    f.value[p] = bound;

    // Dual: the step that brings d_q to zero; the leaving column gets -theta.
    const double theta_d = ds.reduced[q] / alpha_row;
    for (int32_t k = 0; k < ds.row_count; ++k) {
        const int32_t j = ds.row_index[k];
        ds.reduced[j] -= theta_d * ds.alpha_row[j];
        bool wrong = false;
        switch (nonbasic_kind(ctx, j)) {
            case NonbasicKind::kAtLower: wrong = ds.reduced[j] < 0.0; break;
            case NonbasicKind::kAtUpper: wrong = ds.reduced[j] > 0.0; break;
            case NonbasicKind::kFree: wrong = ds.reduced[j] != 0.0; break;
            default: break;
        }
        if (wrong && j != q) shift_to_zero(ds, j);
    }
    ds.reduced[q] = 0.0;
    ds.reduced[p] = -theta_d;

    // Steepest-edge weights: w_r exact from rho, the others by the update
    // w_i - 2 k tau_i + k^2 w_r with k = alpha_iq / alpha_rq.  Rounding can
    // take an updated weight below its true value but never below a bound
    // the new basis guarantees: the new row i of B^-1 meets the leaving
    // column a_p in -k (row i of the old B^-1 met it in 0, row r in 1), so
    // its squared length is at least k^2 / ||a_p||^2.  (k^2 alone is that
    // bound only for a unit leaving column; for a structural one it lifted
    // weights far above their true values and the choice of the leaving
    // row lost its steepest-edge sense.)
    double w_r = 0.0;
    for (int32_t k = 0; k < ds.rho_count; ++k) {
        const double v = ds.rho[ds.rho_index[k]];
        w_r += v * v;
    }
    for (int32_t k = 0; k < rs.work_nonzero_count; ++k) {
        const int32_t i = rs.work_nonzero[k];
        if (i == r || f.work[i] == 0.0) continue;
        const double kappa = f.work[i] / alpha_col;
        double w = ds.weight[i] - 2.0 * kappa * ds.tau[i] + kappa * kappa * w_r;
        const double bound = kappa * kappa / leaving_norm2;
        const double floor = bound > kWeightFloor ? bound : kWeightFloor;
        ds.weight[i] = w > floor ? w : floor;
    }
    const double w_new = w_r / (alpha_col * alpha_col);
    ds.weight[r] = w_new > kWeightFloor ? w_new : kWeightFloor;
    clear_tau(ds, tau_count);
}

// One iteration on row r.  kContinue when it went through or was refused
// for accuracy (the caller loops), kStopDualUnbounded, kStopSingular, or a
// run status.
int iterate(LpContext* ctx, int32_t r) {
    ComputationalForm& f = ctx->form;
    DualPathState& ds = ctx->dual;
    SolverState& sv = ctx->solver;
    const int32_t p = f.header[r];
    const bool below = f.value[p] < f.lower[p];
    const double bound = below ? f.lower[p] : f.upper[p];

    int rc = ComputePivotRow(ctx, r);
    if (rc != kRunOk) return rc;
    int32_t q = -1;
    BoundFlippingRatio(ctx, f.value[p] - bound, &q);
    if (q < 0) {
        ClearPivotRow(ctx);
        // Confirmed only on fresh factors and with the smallest pivots the
        // options allow.
        if (sv.updates_since_inversion == 0 && ds.pivot_tolerance <= ctx->options.repsilon)
            return kStopDualUnbounded;
        ds.pivot_tolerance = ctx->options.repsilon;
        rc = refresh(ctx);
        return rc != kRunOk ? rc : kContinue;
    }

    // The entering column's reduced cost on the wrong side (within Harris'
    // tolerance) is shifted to zero: the step is then zero, never backwards.
    const double a_tilde = (below ? -1.0 : 1.0) * ds.alpha_row[q];
    if (ds.reduced[q] / a_tilde < 0.0) shift_to_zero(ds, q);

    rc = apply_flips(ctx);
    if (rc != kRunOk) return rc;
    const int32_t tau_count = solve_tau(ctx);
    rc = transform_entering(ctx, q);
    if (rc != kRunOk) return rc;

    const double alpha_col = f.work[r];
    const double alpha_row = ds.alpha_row[q];
    if (std::fabs(alpha_col - alpha_row) > kPivotAgreement * (1.0 + std::fabs(alpha_row)) ||
        std::fabs(alpha_col) < ctx->options.repsilon) {
        clear_tau(ds, tau_count);
        undo_flips(ctx);
        ClearPivotRow(ctx);
        if (++ds.troubles > kMaxTroubles) return kStopSingular;
        if (ds.troubles > 2) ds.pivot_tolerance *= 10.0;
        rc = refresh(ctx);
        return rc != kRunOk ? rc : kContinue;
    }
    ds.troubles = 0;
    ds.pivot_tolerance = kDualPivotTolerance;

    ctx->phases.pricing.price = -(ds.reduced[q] - ds.shift[q]);  // the true price, for the log
    double leaving_norm2 = 1.0;
    rc = column_norm2(ctx, p, &leaving_norm2);
    if (rc != kRunOk) return rc;
    move_everything(ctx, r, q, bound, tau_count, leaving_norm2);
    f.status[p] = static_cast<uint8_t>(below ? (f.status[p] & ~kStatAtUpper) : (f.status[p] | kStatAtUpper));
    f.status[q] = static_cast<uint8_t>(f.status[q] & ~kStatAtUpper);
    ClearPivotRow(ctx);

    sv.entering = q;
    sv.entering_pos = header_position(ctx, q);
    sv.leaving = p;
    sv.leaving_pos = r;
    ctx->phases.ratio.pivot = alpha_col;
    rc = RecordPivot(ctx, q, p);
    if (rc != kRunOk) return rc;
    // The nonbasic part's order means nothing to this path: the leaving
    // column takes the entering one's header position instead of the whole
    // tail moving up.
    ExchangeInPlace(ctx, sv.entering_pos, r);
    ds.header_at[p] = sv.entering_pos;
    ds.basis_copy[r] = q;
    LeavingHeapTouch(ctx, r);
    const RatioState& rs = ctx->phases.ratio;
    for (int32_t k = 0; k < rs.work_nonzero_count; ++k) LeavingHeapTouch(ctx, rs.work_nonzero[k]);
    rc = UpdateBasis(ctx);
    if (rc != kRunOk) return rc;
    if (sv.updates_since_inversion == 0) {
        // Refactorised: basic values are fresh, reduced costs follow.
        LeavingHeapInvalidate(ctx);
        rc = ComputeReducedCosts(ctx);
        if (rc != kRunOk) return rc;
        const int32_t m = ctx->model.rows;
        for (int32_t i = 0; i < m; ++i)
            if (f.header[i] != ds.basis_copy[i]) {
                ResetWeights(ctx);
                break;
            }
    }
    return kContinue;
}

}  // namespace

int DualSimplexPhase(LpContext* ctx) {
    DualPathState& ds = ctx->dual;
    SolverState& sv = ctx->solver;
    ctx->phases.pricing.source = kSourceRule;
    int code = PhaseEntryChecks(ctx);
    if (code != kContinue) return code;
    // Called again after a pause: statements may have used the factors'
    // scratch, so the reduced costs are taken afresh, and the values or
    // bounds may have changed, so the rows are scored afresh.
    LeavingHeapInvalidate(ctx);
    int rc = ComputeReducedCosts(ctx);
    if (rc != kRunOk) return rc;
    int32_t ending_checks = 0;
    for (;;) {
        const int32_t r = ChooseLeavingRow(ctx);
        if (r < 0) {
            if (sv.updates_since_inversion == 0 || ending_checks >= kMaxEndingChecks) return kStopFinished;
            ++ending_checks;
            rc = refresh(ctx);
            if (rc != kRunOk) return rc;
            continue;
        }
        const int32_t before = sv.counter != nullptr ? *sv.counter : 0;
        code = iterate(ctx, r);
        if (code != kContinue) return code;
        if (ds.troubles > 0 || ds.pivot_tolerance != kDualPivotTolerance) continue;  // refused: no count
        (void)before;
        TailCount(ctx);
        code = TailChecks(ctx);
        if (code != kContinue) return code;
    }
}

}  // namespace tymlp
