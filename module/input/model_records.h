// model_records.h -- reading and writing the records of the problem model.
//
// Rows, columns and coefficients live in host utility files.  Every routine
// here returns kRunOk, or kRunIo after the host's status report when the utility file
// failed (or was never opened).  Names are passed blank padded at the
// store's name length; a null name reads as / writes blanks.
#pragma once

#include <cstdint>

#include "base/lp_context.h"

namespace tymlp {

// Bytes of a row or column record for a given name length (fixed part plus
// name, rounded up to a multiple of 8).
int32_t row_record_length(int32_t name_length);
int32_t column_record_length(int32_t name_length);

// Opens the row store, the column store and the coefficient file with the
// record lengths of the current name lengths (model.row_name_length,
// model.column_name_length; 8 when still 0).  Stores already open stay.
// Returns kRunOk, or kRunIo when a file cannot be opened (the others stay open and
// end_run closes them).
int open_model_stores(LpContext* ctx);

// Row k: record k at byte k * row record length.
int write_row(LpContext* ctx, int32_t k, const RowRecord& rec, const char* name);
int read_row(LpContext* ctx, int32_t k, RowRecord* rec, char* name);

// Column k: record k at byte k * column record length.
int write_column(LpContext* ctx, int32_t k, const ColumnRecord& rec, const char* name);
int read_column(LpContext* ctx, int32_t k, ColumnRecord* rec, char* name);

// A row or column record as a reader starts it: no entries, no links;
// columns unbounded (-INFINITY, +INFINITY of the options) and not integer.
RowRecord empty_row(uint8_t flags);
ColumnRecord empty_column(const LpContext* ctx, uint16_t flags);

// Appends coefficient `value` of (row, column) as entry model.coef_count and
// links it behind the last entry of its row and of its column: the previous
// last entries are patched in the file, and `row_rec` / `col_rec` (the
// caller's copies of the two records, written back by the caller) get the
// new counts and first/last entries.
int append_coefficient(LpContext* ctx, int32_t row, RowRecord& row_rec, int32_t column, ColumnRecord& col_rec,
                       double value);

// Reads coefficient entry k.
int read_coefficient(LpContext* ctx, int64_t k, CoefEntry* entry);

}  // namespace tymlp
