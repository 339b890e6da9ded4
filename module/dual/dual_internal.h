// dual_internal.h -- the pieces of the dual simplex path that its files
// share.
#pragma once

#include <cmath>
#include <cstdint>

#include "base/lp_context.h"

namespace tymlp {

// Tolerances of the path, in scaled units.
inline constexpr double kDualPivotTolerance = 1e-7;     // smallest pivot-row entry taken
inline constexpr double kDualFeasibilityTolerance = 1e-7;  // Harris tolerance of the reduced costs
inline constexpr double kWeightFloor = 1e-12;           // steepest-edge weights stay above this

// What kind of nonbasic column j is, for the dual ratio test.
enum class NonbasicKind : int { kAtLower, kAtUpper, kFree, kFixed, kNever };

inline bool finite_bound(const LpContext* ctx, double b) { return std::fabs(b) < ctx->options.infinity; }

inline NonbasicKind nonbasic_kind(const LpContext* ctx, int32_t j) {
    const ComputationalForm& f = ctx->form;
    const uint8_t st = f.status[j];
    if ((st & kStatArtificial) != 0) return NonbasicKind::kNever;
    const bool lo = finite_bound(ctx, f.lower[j]);
    const bool up = finite_bound(ctx, f.upper[j]);
    if ((st & kStatHeld) != 0 || (!lo && !up)) return NonbasicKind::kFree;
    if (lo && up && f.upper[j] - f.lower[j] <= 0.0) return NonbasicKind::kFixed;
    if ((st & kStatAtUpper) != 0 && up) return NonbasicKind::kAtUpper;
    if (lo) return NonbasicKind::kAtLower;
    return NonbasicKind::kAtUpper;
}

// The primal feasibility tolerance of the leaving row choice.
double DualPrimalTolerance(const LpContext* ctx);

// Allocates the arrays once per run.  kRunOk or kRunMemory.
int ReserveDualArrays(LpContext* ctx);

// The row-wise copy of every column.  kRunOk, kRunMemory or kRunIo.
int BuildRowCopy(LpContext* ctx);

// Reduced costs of every nonbasic column from scratch, with the shifts,
// on the current factors.  kRunOk, kRunMemory or kRunIo.
int ComputeReducedCosts(LpContext* ctx);

// The steepest-edge weights of the current basis: 1 for a basis of logical
// columns (exact), exact by one BTRAN per row for a small basis, else 1.
void ResetWeights(LpContext* ctx);

// The leaving basis position by the largest squared infeasibility over its
// weight, or -1 when the basis is primal feasible within the tolerance.
int32_t ChooseLeavingRow(LpContext* ctx);

// The primal-infeasible rows by score (dual_leaving_heap.cpp).  Touch
// re-scores basis position i after its value, weight or column changed;
// Invalidate makes the next Top score every row afresh (after the factors,
// the values or the weights were renewed as a whole).  Top is the best
// position, or -1 when every row is feasible within the tolerance.
void LeavingHeapInvalidate(LpContext* ctx);
void LeavingHeapTouch(LpContext* ctx, int32_t i);
int32_t LeavingHeapTop(LpContext* ctx);

// rho = e_r' B^-1 (listed) and the pivot row alpha_r over the nonbasic
// columns, row-wise when rho is sparse.  kRunOk, kRunMemory or kRunIo.
int ComputePivotRow(LpContext* ctx, int32_t r);

// Empties rho and the pivot row (they are zero between iterations).
void ClearPivotRow(LpContext* ctx);

// The bound-flipping ratio test with Harris' tolerance for the leaving
// row's infeasibility `delta` (x_r minus the bound it goes to).  Sets
// *entering (-1 when no column can enter: the row proves infeasibility) and
// lists in the path state the columns passed on the way, which flip.
void BoundFlippingRatio(LpContext* ctx, double delta, int32_t* entering);

}  // namespace tymlp
