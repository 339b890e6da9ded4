// ratio_tests.h -- how far an iteration moves and which basic column leaves.
#pragma once

#include <cstdint>

#include "base/lp_context.h"

namespace tymlp {

// Results of the ratio tests.  A failed column fetch or file write comes
// back as its run status (kRunMemory, kRunIo) instead, so results are
// compared and returned as an int.
enum RatioResult : int {
    kRatioExchange = 0,       // a basic column leaves; the entering column takes its place
    kRatioDualUnbounded = 6,  // no column can enter the dual step
    kRatioUnbounded = 7,      // nothing blocks the entering column
    kRatioBoundFlip = 8       // the entering column reaches its other bound first
};

// The working feasibility tolerance: its ceiling and the increment each
// ratio test adds to it.
double DeltaCeiling();
double DeltaIncrement();

// PrimalRatio: for the entering column chosen by pricing (solver.entering,
// solver.entering_pos) fetches and FTRANs it into the work vector (the
// inverse store's spike keeps L^-1 a_q for the factor update), runs the
// two-pass test with bounds relaxed by delta and decides: a bound flip of the
// entering column (x_q moves to its other bound, the basic values follow,
// pivot record (q, q); kRatioBoundFlip), an exchange (the leaving column and
// its basis position are set, its at-upper bit says where it leaves, x_q
// moves by theta, pivot record (q, leaving); kRatioExchange; the basic values
// are left to UpdatePrimal), or unbounded (kRatioUnbounded).  kRunMemory or
// kRunIo when the column cannot be fetched or the record cannot be written.
int PrimalRatio(LpContext* ctx);

// Phase1Ratio: as PrimalRatio, and infeasible basic columns moving towards
// feasibility are breakpoints: the farthest one within the relaxed step is
// preferred to the nearest blocking column; with BLANDSRULE a degenerate
// choice goes to the smallest column number.
int Phase1Ratio(LpContext* ctx);

// DualLeaving: the basic column (not free) with the largest bound violation
// above EPSILON becomes the leaving column (first on ties; columns on the
// leave ban list are skipped while the pivot history is empty).  Returns the
// violation, or 0 when the basis is primal feasible.
double DualLeaving(LpContext* ctx);

// DualRatio: row r of B^-1 and the pivot row, then the entering column by
// the breakpoint list of the dual ratios (with bound flips when
// `allow_flips`: nonbasic columns passed on the way flip to their other
// bound).  Sets the entering column, its header position, the pivot
// element (ratio.pivot), the signed dual step (ratio.dual_step) and the
// price (its reduced cost).  Returns kRatioExchange, kRatioDualUnbounded when
// no column can enter (the problem is primal infeasible), kRunMemory when a
// column cannot be fetched.
// Precondition: pricing.reduced and pricing.pivot_row exist (n each).
int DualRatio(LpContext* ctx, bool allow_flips);

// Makes sure the candidate arrays hold m entries.  Returns kRunOk or kRunMemory.
int ReserveRatioArrays(LpContext* ctx);

}  // namespace tymlp
