// sparse_reader.h -- the sparse layout (SPARSEDATA): one coefficient or one
// attribute per observation, rows and columns known by name.
#pragma once

#include "base/lp_context.h"

namespace tymlp {

// Reads the DATA= data set in the sparse layout into the same problem
// model as the dense reader, in two passes: the first gives every row name
// its kind and index, the second adds the coefficients, the attributes and
// the values of the right-hand-side, RHSSEN, range and price-sensitivity
// columns.  Returns kRunOk; kRunSemantic after reporting statement or data errors (an
// unknown type and a row given two kinds stop at once); kRunMemory when memory is
// lacking; kRunIo when the data set or a utility file failed.
int read_sparse(LpContext* ctx);

}  // namespace tymlp
