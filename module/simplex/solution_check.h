// solution_check.h -- the last word before a solution is called optimal:
// the solution checked in the problem's own units, independently of the
// tolerances the phases work with on the scaled problem.
//
// Three measures, each relative to the sizes of the terms that meet in it:
//   - every row's residual sum_j a_ij p_j - b_i (logical columns included)
//     at the point p the user is given, every column moved onto its bounds,
//     relative to sum_j |a_ij p_j| + |b_i|;
//   - every column's distance outside its bounds, basic or not, relative to
//     its row's size for a logical column and to max(1, |bound|) for a
//     structural one;
//   - every nonbasic column's dual sign violation (its price as the phases
//     see it, when positive), relative to |c_j| + sum_i |y_i a_ij| and never
//     to less than 1 in scaled units (the phases' own scale).
// A scaled solve can meet its tolerances and still miss these: a row whose
// entries are all tiny and that was not scaled, say.
#pragma once

#include <cstdint>

#include "base/lp_context.h"

namespace tymlp {

enum class ViolationKind : int { kNone = 0, kRowResidual = 1, kColumnBound = 2, kDualSign = 3, kIntegrality = 4 };

struct SolutionViolation {
    ViolationKind kind = ViolationKind::kNone;
    int32_t index = -1;     // the row (kRowResidual) or the column
    double relative = 0.0;  // the size of the violation relative to its terms
    double amount = 0.0;    // its size in scaled units (a price for kDualSign)
};

// The relative tolerance of the check: what a sound floating-point solution
// of a reasonably conditioned problem meets with room to spare.
inline constexpr double kVerifyTolerance = 1e-6;

// Measures the current solution (values, duals of the current objective)
// and leaves the largest relative violation in *worst.  Returns kRunOk,
// kRunMemory or kRunIo (a column that cannot be fetched).
int VerifySolution(LpContext* ctx, SolutionViolation* worst);

// The first two measures only: a point that is to be kept for its values
// (an integer solution of branch and bound), whatever its duals.
int VerifyPrimalSolution(LpContext* ctx, SolutionViolation* worst);

// An integer solution: as VerifyPrimalSolution, at the point with every
// integer column rounded to its nearest integer; an integer column further
// than IEPSILON from it counts as a violation of 1 (kIntegrality).
int VerifyIntegerSolution(LpContext* ctx, SolutionViolation* worst);

// The WARNING that names the worst violation of a solution and its size.
void ReportViolation(LpContext* ctx, const SolutionViolation& worst);

// The largest distance of a basic column outside its bounds, in scaled
// units (objective and free-row columns have none).
double LargestBasicOutside(const LpContext* ctx);

// A column whose price is positive but within EPSILON is not attractive to
// the phases, yet along a long enough edge it still changes the objective
// by more than rounding: the step to the first blocking bound times the
// price.  Looks at the (at most kLongEdgeCandidates) best priced such
// columns; *gain receives the largest objective change in scaled units
// (INFINITY when nothing blocks) and *price that column's price, 0 when
// there is none.  Returns kRunOk, kRunMemory or kRunIo.
int LongestEdgeGain(LpContext* ctx, double* price, double* gain);

inline constexpr int32_t kLongEdgeCandidates = 20;

}  // namespace tymlp
