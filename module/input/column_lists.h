// column_lists.h -- right-hand-side, range, RHSSEN and PRICESEN columns.
//
// Each list entry owns a utility file with one double per row (per column
// for PRICESEN) in index order.  The readers append entries and write
// values; the driver loads the current right-hand side from its entry.
// Failures: 9 when the entry cannot be allocated, 25 (after the host's
// status report) when its file fails.
#pragma once

#include <cstdint>

#include "base/lp_context.h"

namespace tymlp {

// Appends an entry named `name` (name_length bytes, cut to kMaxNameLength,
// blank padded) to list `kind`, opens its file and counts it.  *out receives
// the entry.  Returns kRunOk, kRunMemory or kRunIo.
int list_append(LpContext* ctx, ColumnListKind kind, const char* name, int name_length, ColumnListEntry** out);

// The entry at position `index` (0-based) of list `kind`, or null.
ColumnListEntry* list_entry(LpContext* ctx, ColumnListKind kind, int32_t index);

// Writes `count` values starting at element `first` of the entry's file.
int list_write_values(ColumnListEntry* entry, int64_t first, const double* values, int64_t count);

// Reads `count` values starting at element `first` of the entry's file.
int list_read_values(ColumnListEntry* entry, int64_t first, double* values, int64_t count);

// Closes the files of every entry of every list (the entries themselves
// live on the context's heap).
void list_close_all(LpContext* ctx);

}  // namespace tymlp
