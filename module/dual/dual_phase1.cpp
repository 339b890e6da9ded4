// dual_phase1.cpp -- the dual phase 1: an auxiliary problem whose optimal
// basis is dual feasible for the real problem when the real problem has a
// dual feasible basis at all.
//
// With every bound replaced by 0 and +-1 and the right-hand side by 0,
// a basis is optimal for the auxiliary problem exactly when it minimises
// the sum of the real reduced costs' wrong-sign parts: each column of the
// auxiliary problem is boxed, so the dual simplex can start from any basis,
// and a free column takes part as [-1, 1] until it is basic.  The objective
// columns keep their bounds and their hold: they stay basic throughout.
#include <cstring>

#include "dual/dual_internal.h"
#include "dual/dual_path.h"
#include "simplex/primal_values.h"

namespace tymlp {
namespace {

bool objective_column(const LpContext* ctx, int32_t j) {
    for (const ObjectiveRecord* rec = ctx->model.objectives; rec != nullptr; rec = rec->next)
        if (rec->column == j) return true;
    return false;
}

}  // namespace

int32_t DualInfeasibleUnboxed(const LpContext* ctx) {
    const ComputationalForm& f = ctx->form;
    const DualPathState& ds = ctx->dual;
    const int32_t m = ctx->model.rows;
    const int32_t n = ctx->model.columns;
    const double tol = kDualFeasibilityTolerance;
    int32_t count = 0;
    for (int32_t h = m; h < n; ++h) {
        const int32_t j = f.header[h];
        const bool boxed = finite_bound(ctx, f.lower[j]) && finite_bound(ctx, f.upper[j]);
        const double d = ds.reduced[j];
        switch (nonbasic_kind(ctx, j)) {
            case NonbasicKind::kFree: count += std::fabs(d) > tol ? 1 : 0; break;
            case NonbasicKind::kAtLower: count += !boxed && d < -tol ? 1 : 0; break;
            case NonbasicKind::kAtUpper: count += !boxed && d > tol ? 1 : 0; break;
            default: break;
        }
    }
    return count;
}

int DualPhase1Begin(LpContext* ctx) {
    ComputationalForm& f = ctx->form;
    DualPathState& ds = ctx->dual;
    const int32_t m = ctx->model.rows;
    const int32_t n = ctx->model.columns;
    std::memcpy(ds.saved_lower, f.lower, static_cast<size_t>(n) * sizeof(double));
    std::memcpy(ds.saved_upper, f.upper, static_cast<size_t>(n) * sizeof(double));
    std::memcpy(ds.saved_status, f.status, static_cast<size_t>(n));
    if (f.rhs != nullptr) {
        std::memcpy(ds.saved_rhs, f.rhs, static_cast<size_t>(m) * sizeof(double));
        std::memset(f.rhs, 0, static_cast<size_t>(m) * sizeof(double));
    }
    for (int32_t j = 0; j < n; ++j) {
        uint8_t& st = f.status[j];
        if ((st & kStatArtificial) != 0 || objective_column(ctx, j)) continue;
        const bool lo = finite_bound(ctx, f.lower[j]);
        const bool up = finite_bound(ctx, f.upper[j]);
        f.lower[j] = lo ? 0.0 : -1.0;
        f.upper[j] = up ? 0.0 : 1.0;
        if (lo && up) f.lower[j] = f.upper[j] = 0.0;
        st = static_cast<uint8_t>(st & ~kStatHeld);
        // A column on its finite side stays there; the flips of the start
        // move it where its reduced cost asks.
        if ((st & kStatBasic) == 0) st = static_cast<uint8_t>(lo || !up ? (st & ~kStatAtUpper) : (st | kStatAtUpper));
    }
    ds.auxiliary = 1;
    return DualPathStart(ctx, false);
}

int DualPhase1End(LpContext* ctx) {
    ComputationalForm& f = ctx->form;
    DualPathState& ds = ctx->dual;
    const int32_t m = ctx->model.rows;
    const int32_t n = ctx->model.columns;
    if (ds.auxiliary == 0) return kRunOk;
    ds.auxiliary = 0;
    std::memcpy(f.lower, ds.saved_lower, static_cast<size_t>(n) * sizeof(double));
    std::memcpy(f.upper, ds.saved_upper, static_cast<size_t>(n) * sizeof(double));
    if (f.rhs != nullptr) std::memcpy(f.rhs, ds.saved_rhs, static_cast<size_t>(m) * sizeof(double));
    for (int32_t j = 0; j < n; ++j) {
        uint8_t& st = f.status[j];
        const uint8_t kept = static_cast<uint8_t>(kStatBasic | kStatAtUpper);
        st = static_cast<uint8_t>((ds.saved_status[j] & ~kept) | (st & kept));
        if ((st & kStatBasic) != 0) continue;
        // A nonbasic column sits on a finite bound (a free one at 0).
        const bool lo = finite_bound(ctx, f.lower[j]);
        const bool up = finite_bound(ctx, f.upper[j]);
        if (!up) st = static_cast<uint8_t>(st & ~kStatAtUpper);
        if (!lo && up) st = static_cast<uint8_t>(st | kStatAtUpper);
    }
    // The aux problem's cost shifts are forgotten: the real start sets its own.
    std::memset(ds.shift, 0, static_cast<size_t>(n) * sizeof(double));
    ds.shifted = 0;
    return RecomputePrimal(ctx);
}

}  // namespace tymlp
