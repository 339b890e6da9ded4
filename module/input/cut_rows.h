// cut_rows.h -- rows reserved for the cutting planes of the root.
//
// The node LP of an integer search can only take cutting planes if it has
// rows for them; the form's dimensions are fixed once it is built, so the
// rows are reserved before (base/ctx_cuts.h).  They are free rows with no
// coefficients: the LP, and everything solved on it, is the same until a
// cut fills one.
#pragma once

#include "base/lp_context.h"

namespace tymlp {

// How many rows the cut rounds of this run may fill: 0 unless CUTPASSES asks
// for rounds, the problem has integer columns, and the run solves exactly
// one combination (one objective, one right-hand side, no GOALPROGRAM: a
// cut derived for one right-hand side need not hold for another).
int32_t cut_rows_wanted(const LpContext* ctx);

// Appends the reserved rows behind the user's rows (free rows named _CUTn,
// right-hand side 0 in every right-hand-side, range and RHSSEN column) and
// records where they start.  Call after preprocessing and before the
// computational form.  Returns kRunOk, kRunMemory or kRunIo.
int reserve_cut_rows(LpContext* ctx);

// After the computational form: records the first reserved row's logical
// column (the reserved rows' logical columns are contiguous, in row order).
// Returns kRunOk or kRunIo.
int locate_cut_columns(LpContext* ctx);

}  // namespace tymlp
