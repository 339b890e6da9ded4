// primal_values.h -- values of the basic columns from scratch, and the basis
// header rebuilt from the status bytes.
#pragma once

#include "base/lp_context.h"

namespace tymlp {

// RecomputePrimal: every nonbasic column goes to its bound (its upper bound
// when its status has 0x80, else its lower bound), then the basic values are
// computed by x_B = B^-1 (b - sum of nonbasic x_j a_j).  Precondition: the
// inverse store holds the factors of the current basis.  Returns 0, or the
// status of a failed column fetch (9, 25).
int RecomputePrimal(LpContext* ctx);

// The basic values from the current nonbasic values, as above but leaving the
// nonbasic x_j as they are (inversion uses this).  Returns 0, 9 or 25.
int RecomputeBasicValues(LpContext* ctx);

// RebuildHeader: the basic columns (status 0x40) in column order take basis
// positions 0, 1, ...; the others take m, m+1, ... and, when fewer than m
// columns are basic, the remaining basic positions counted back from m-1.
// The objective record's basis position follows its column.
void RebuildHeader(LpContext* ctx);

}  // namespace tymlp
