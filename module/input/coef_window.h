// coef_window.h -- the coefficient window: the readers' way of appending to
// the coefficient file.
//
// The newest entries of the coefficient file are kept in a window in memory.
// An append lands in the window; when the window is full it is written out
// and starts again at the next entry.  Linking a new entry behind the last
// entry of its row and of its column changes that entry in the window when
// it is still there, and otherwise positions the file at 24 x index, reads
// the entry, changes it and writes it back.  The file is complete only
// after coef_window_flush.
#pragma once

#include <cstdint>

#include "base/lp_context.h"

namespace tymlp {

struct CoefWindow {
    CoefEntry* entries;  // window memory (capacity entries), from the block chain
    int64_t base;        // coefficient index of entries[0]
    int32_t used;        // entries in the window
    int32_t capacity;
};

// Allocates a window of `capacity` entries (at least 1) starting at entry
// model.coef_count.  Returns kRunOk or kRunMemory.
int coef_window_open(LpContext* ctx, CoefWindow* w, int64_t capacity);

// Appends coefficient `value` of (row, column) as entry model.coef_count and
// links it into its row and column chains; `row_rec` and `col_rec` are the
// caller's copies of the two records and receive the new counts and
// first/last entries.  Returns kRunOk, kRunMemory or kRunIo.
int coef_window_append(LpContext* ctx, CoefWindow* w, int32_t row, RowRecord& row_rec, int32_t column,
                       ColumnRecord& col_rec, double value);

// Replaces the value of entry k.  Returns kRunOk or kRunIo.
int coef_window_set_value(LpContext* ctx, CoefWindow* w, int64_t k, double value);

// Writes the window's entries to the file.  Returns kRunOk or kRunIo.
int coef_window_flush(LpContext* ctx, CoefWindow* w);

// Flushes and returns the window memory.  Returns the flush result.
int coef_window_close(LpContext* ctx, CoefWindow* w);

}  // namespace tymlp
