// exact_basis.h -- a small basis decided in exact arithmetic.
//
// The floating-point checks of an ending measure violations against
// tolerances relative to the terms they come from.  That is right for a
// large model, where nothing better is affordable, but a small problem
// with entries of very different sizes can be infeasible by less than
// those tolerances and still have an optimum far from the point they
// accept.  For a basis of at most kExactBasisRows rows the question can be
// settled exactly: the data of the computational form are the user's
// numbers times powers of two, so every one of them is a dyadic rational,
// and the basic values and the duals of the basis are quotients of exact
// integers, found by an elimination without fractions.  The basis is then
// primal feasible when every basic value lies within its bounds, and dual
// feasible when no nonbasic column has a positive price, both exactly.
//
// Basic columns with a single entry (the logical columns, as a rule) each
// settle their own row; only the rows and columns that remain go through
// the elimination, so the work grows with the structural part of the basis.
#pragma once

#include <cstdint>

#include "base/lp_context.h"

namespace tymlp {

// The largest number of rows, and of matrix entries, for which the exact
// decision is made; larger problems keep the floating-point checks alone.
inline constexpr int32_t kExactBasisRows = 50;
inline constexpr int64_t kExactBasisEntries = 5000;
// A preprocessed problem is not decided: its form differs from the user's
// problem by the rounding of the deductions that changed it.

struct ExactBasisCheck {
    bool decided = false;  // false: too large, a singular basis, or data it cannot take exactly
    bool primal_feasible = true;
    bool dual_feasible = true;
    int32_t column = -1;   // the column that fails worst (basic outside its bounds, or attractive)
    double outside = 0.0;  // the largest distance of a basic column outside its bounds (scaled units)
    double price = 0.0;    // the largest price of an attractive nonbasic column (scaled units)
};

// Decides the current basis (header, statuses and the nonbasic columns'
// values; the factors are not used).  The duals are decided only when
// `duals` is set and the basis is primal feasible.  A basis that is not
// primal feasible leaves its basic columns at the doubles nearest their
// exact values.  Returns kRunOk with the
// outcome in *check, kRunMemory or kRunIo.
int CheckBasisExactly(LpContext* ctx, bool duals, ExactBasisCheck* check);

struct ExactRayCheck {
    bool decided = false;
    bool holds = false;   // no basic column moves towards a finite bound
    int32_t column = -1;  // the basic column that stops the ray first by rate
    double rate = 0.0;    // its rate along the ray (scaled units)
};

// The ray of the nonbasic column q moving in `direction` (+1 up, -1 down)
// from the current basis, decided exactly: it holds when every basic column
// that moves along it moves towards an infinite bound.  However small the
// rate of a column that moves towards a finite bound, that bound ends the
// ray at some finite step.  Returns kRunOk with the outcome in *check,
// kRunMemory or kRunIo.
int CheckRayExactly(LpContext* ctx, int32_t q, double direction, ExactRayCheck* check);

}  // namespace tymlp
