// computational_form.h -- the checks before the computational form and the
// form itself: one logical column per row, and every column in the matrix
// store.
#pragma once

#include "base/lp_context.h"

namespace tymlp {

// Checks, in this order:
//   1. GOALPROGRAM with more than one right-hand-side column: message 249,
//      and the run ends through end_run with 2000 (does not return);
//   2. no objective row (objective count below 2): message 33, the result
//      becomes kRunSemantic and the checks go on;
//   3. no row: message 35, kRunSemantic at once.
// Returns kRunOk or kRunSemantic.
int check_model(LpContext* ctx);

// Appends the logical column of every row (in row order) to the column
// store with its coefficient in its own row:
//   equality with range r: flags 0x0001, -1 (r >= 0) or +1 (r < 0), upper |r|
//   equality without range: none
//   free: 0x8000, +1, upper INFINITY
//   less-or-equal: slack 0x0400, +1, upper INFINITY (|r| for a range row)
//   greater-or-equal: surplus 0x0800, -1, upper INFINITY (|r| for a range row)
//   objective: 0x0008, -1, upper INFINITY; counted as basic; its objective
//              record takes the column
// Lower bounds are 0; names are the rows' names cut to the shorter name
// length.  Each row record keeps its logical column.  Returns kRunOk, kRunMemory or kRunIo.
int add_logical_columns(LpContext* ctx);

// Opens the matrix store, sizes its directory for every column and writes
// each column's coefficients (from its chain in the coefficient file) into
// it.  Returns kRunOk, kRunMemory or kRunIo.
int fill_matrix_store(LpContext* ctx);

// The driver step: check_model, add_logical_columns, fill_matrix_store.
// Returns kRunOk, kRunMemory, kRunSemantic (a check failed; kRunSemantic from check 2 only after the form is
// complete) or kRunIo.
int complete_form(LpContext* ctx);

}  // namespace tymlp
