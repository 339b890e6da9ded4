// integer_vars.h -- the integer-variable records of integer and binary
// columns, created by the readers and read by branch and bound.
//
// Records live on the context's heap, linked from bb.variables in the order
// the data first made each column integer or binary.  A column record keeps
// the list position of its record in `integer_record` (-1: none).
#pragma once

#include <cstdint>

#include "base/lp_context.h"

namespace tymlp {

// The integer value of a priority taken from the data: truncated toward 0
// and held within the int32 range.
int32_t priority_from_value(double value);

// Gives column j (its record `col`, written back by the caller) an
// integer-variable record when it has none: appended to bb.variables, its
// position stored in col.integer_record, model.integer_count + 1.  The
// record's priority becomes `priority`; with `binary` its flag 0x100 is set
// and model.binary_count grows the first time.  `tail` caches the last
// record of the list between calls (null to search for it).  Returns kRunOk, or
// kRunMemory when the heap is exhausted.
int set_integer_record(LpContext* ctx, int32_t j, ColumnRecord& col, int32_t priority, bool binary,
                       IntegerVariable** tail);

// The record at list position `index`, or null.
IntegerVariable* integer_variable_at(LpContext* ctx, int32_t index);

}  // namespace tymlp
