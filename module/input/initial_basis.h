// initial_basis.h -- the arrays of the computational form and the starting
// basis of the run (driver step 10).
#pragma once

#include "base/lp_context.h"

namespace tymlp {

// Allocates the bound, status and header arrays (room for every column and
// one artificial column per row) and the right-hand-side array, and sets
// the starting basis:
//   - bounds: structural columns from their records (lower 0 unless a lower
//     bound, a fixed value, a binary mark or the unrestricted mark says
//     otherwise); logical columns from their records;
//   - status: 0x20 for integer and binary columns, 0x10 for free columns
//     (structural columns without bounds, free-row and objective columns),
//     0x80 for a nonbasic column that has only an upper bound;
//   - basic: each row gets one basic column: its objective column, else a
//     column the data marked basic with a coefficient in the row (marked
//     columns are placed in column order, each in the first row of its chain
//     still open), else its own logical column, else a new artificial column
//     (flags 0x0004, status 0x44, bounds 0 and 0, coefficient +1 when the
//     row's right-hand side in the first right-hand-side column is not
//     negative and -1 when it is, named after the row) added to the column
//     store, the coefficient file and the matrix store;
//   - header: the m basic columns in column order, then the others.
// The right-hand-side array holds the first right-hand-side column.
// Preconditions: the computational form is complete (logical columns, the
// matrix store).  Returns kRunOk, kRunMemory or kRunIo.
int build_starting_basis(LpContext* ctx);

}  // namespace tymlp
