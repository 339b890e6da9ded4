// column_attributes.h -- what the attribute rows of the data do to a column:
// bounds, fixing, integrality, the basis and unrestricted marks, charges.
//
// Both readers apply the same rules; the caller owns the column record and
// writes it back.  Messages: 26 (a note) when a column is declared fixed,
// integer or charged a second time.
#pragma once

#include <cstdint>

#include "base/lp_context.h"

namespace tymlp {

// Upper-bound value: flag 0x2000, upper = min(upper, v).
void apply_upper(ColumnRecord& col, double v);

// Lower-bound value: flag 0x1000, lower = max(lower, v).
void apply_lower(ColumnRecord& col, double v);

// Fixed value: flag 0x4000, lower = upper = v (message 26 when fixed before).
void apply_fixed(ColumnRecord& col, const char* name, int name_length, double v);

// Integer column with priority v: flag 0x0020 and its integer-variable
// record (message 26 when integer before).  Returns kRunOk or kRunMemory.
int apply_integer(LpContext* ctx, int32_t j, ColumnRecord& col, const char* name, int name_length, double v,
                  IntegerVariable** tail);

// Binary column with priority v: flag 0x0100, bounds 0 and 1, and its
// integer-variable record.  Returns kRunOk or kRunMemory.
int apply_binary(LpContext* ctx, int32_t j, ColumnRecord& col, double v, IntegerVariable** tail);

// Fixed-charge mark: flag 0x0002 (message 26 when charged before).
void apply_charge(ColumnRecord& col, const char* name, int name_length);

}  // namespace tymlp
