// matrix_store.h -- the columns of the computational form in a utility file.
//
// Column j is stored as its values (8 bytes each) followed by its row
// indexes (4 bytes each), the whole block padded to a multiple of 8 bytes;
// the directory keeps, per column, where the block is, its entry count and
// the cached copy the work store may hold.
#pragma once

#include <cstdint>

#include "base/lp_context.h"

namespace tymlp {

// Bytes of a column block of `count` entries.
int64_t matrix_block_bytes(int32_t count);

// Opens the matrix store file when it is not open yet (25 after the host's
// status report when it cannot be had) and sizes the directory to `n` items
// (9): items already there keep their place, new ones are empty.
int open_matrix_store(LpContext* ctx, int32_t n);

// Appends column j at the end of the file and records its position and
// count in the directory.  Returns kRunOk, kRunIo (file) or kRunMemory (no padding buffer).
int matrix_write_column(LpContext* ctx, int32_t j, const double* values, const int32_t* rows, int32_t count);

// Rewrites column j in place (same count) at its recorded position.
int matrix_rewrite_column(LpContext* ctx, int32_t j, const double* values, const int32_t* rows);

// The matrix traversal: the values and rows of column j, from its cached
// copy when it has one, else read into the traversal buffer (valid until the
// next traversal).  Returns kRunOk, kRunMemory (no buffer memory) or kRunIo (file).
int traverse_column(LpContext* ctx, int32_t j, const double** values, const int32_t** rows, int32_t* count);

}  // namespace tymlp
