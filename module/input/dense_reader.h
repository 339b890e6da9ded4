// dense_reader.h -- the dense layout: one observation per row of the
// problem, one numeric variable per structural column.
#pragma once

#include "base/lp_context.h"

namespace tymlp {

// Reads the DATA= data set in the dense layout into the row store, the
// column store, the coefficient file, the objective records, the
// right-hand-side, range, RHSSEN and PRICESEN lists, the integer-variable
// records and the special ordered sets.  Errors in the variable lists and
// in observations are all reported (numbered messages) before it returns.
// Returns kRunOk; kRunSemantic when any statement or data error was reported; kRunMemory when
// memory is lacking; kRunIo when the data set or a utility file failed.
int read_dense(LpContext* ctx);

}  // namespace tymlp
