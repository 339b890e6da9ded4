// sparse_state.h -- the sparse reader's working state (internal to the
// sparse_*.cpp files).
#pragma once

#include <cstdint>

#include "input/coef_window.h"
#include "input/name_tree.h"
#include "input/pair_index.h"
#include "input/reader_common.h"
#include "input/reader_vars.h"
#include "input/type_keywords.h"

namespace tymlp {

// A right-hand-side, RHSSEN or range column named in the data, with its
// values for every row (written to its file at the end).
struct ValueColumn {
    ColumnListEntry* entry;
    double* values;  // one per row
};

// A price-sensitivity vector: (column, value) pairs in data order.
struct PriceVector {
    PriceVector* next;
    ColumnListEntry* entry;
    int32_t* columns;
    double* values;
    int32_t count;
    int32_t capacity;
};

// The value-column lists of the sparse layout, indexed like this.
enum ValueKind : int { kValueRhs = 0, kValueRhsSen = 1, kValueRange = 2, kValueKinds = 3 };

// What the fields of an observation give (the case table): t + r + c.
enum ObservationFields : int { kHasType = 1, kHasRow = 2, kHasColumn = 4 };

// Names longer than the name width (64 bytes at most) are cut to it.  Two
// different names with the same first bytes would silently become one row
// or one column, so the long names are kept whole to find such a pair.
struct LongNames {
    NameTree whole;  // names of at least the width, at the variable's length
    NameTree cut;    // the same cut to the width; attached: the whole node
    char* buffer;    // whole.width bytes
    bool warned;     // the first cut name has been reported
};

struct SparseReader {
    LpContext* ctx;
    TymDataIn ds;
    ReaderBlocks blocks;
    int result;  // 0, or 11 once an error was reported

    DataVar type_var;
    char* type_value;
    DataVar column_var;
    char* column_value;
    int pairs;  // row-name / coefficient variable pairs
    DataVar* row_vars;
    char** row_values;  // one field per row-name variable
    DataVar* coef_vars;
    double* coef_values;

    NameTree rows;
    NameTree columns;
    LongNames long_rows;     // active when a row-name variable is longer than the width
    LongNames long_columns;  // active when the column-name variable is

    RowRecord* row_recs;  // every row, written at the end
    char* row_names;      // row-name length bytes each
    int32_t row_capacity;
    ColumnRecord* col_recs;  // every structural column, written at the end
    char* col_names;
    int32_t col_capacity;

    ValueColumn* values[kValueKinds];
    int32_t value_count[kValueKinds];
    int32_t value_capacity[kValueKinds];
    PriceVector* price_first;
    PriceVector* price_last;

    CoefWindow window;
    PairIndex pair_index;
    IntegerVariable* integer_tail;

    // The observation being read.
    int64_t observation;
    char type[kTypeWidth];
    TypeKind kind;
    char column_name[kMaxNameLength];  // the column field at the column-name length
    char row_name[kMaxNameLength];     // the current pair's row name at the row-name length
};

inline char* row_name_at(SparseReader& r, int32_t i) {
    return r.row_names + static_cast<int64_t>(i) * r.ctx->model.row_name_length;
}
inline char* column_name_at(SparseReader& r, int32_t j) {
    return r.col_names + static_cast<int64_t>(j) * r.ctx->model.column_name_length;
}

// Checks a name field against the names met before when its variable is
// longer than the name width: the first cut name gives message 306, a
// different name that cuts to the same as an earlier one message 307.
// Returns kRunOk, kRunMemory, or kRunSemantic after message 307.
int sparse_long_name(SparseReader& r, LongNames& names, const char* field, int field_length, const char* variable);

// Setup: special variables, name lengths, stores, trees, the phase-1
// objective, the coefficient window and the bindings.  Returns kRunOk, kRunMemory, kRunIo or
// kRunSemantic (reading cannot start: a required variable is missing or wrong).
int sparse_setup(SparseReader& r);

// Decodes the type of the observation just read into r.type and r.kind and
// copies its column name.  False for an unknown type.
bool sparse_decode(SparseReader& r);

// The case number t + r + c of the observation just decoded.
int sparse_fields(SparseReader& r);

// True when the case table accepts the observation; with `report` the
// refusals (and message 252 for an empty observation) are issued and make
// the result 11.
bool sparse_case_ok(SparseReader& r, int fields, bool report);

// A new row at the next index: its record (flags) and name.  Returns the
// index, or -1 when memory is lacking.
int32_t sparse_new_row(SparseReader& r, uint8_t flags, const char* name);

// First pass over one observation.  Returns kRunOk, kRunMemory, or kRunSemantic to stop at once.
int sparse_pass1(SparseReader& r);

// Rows for the names that never received a kind: free rows, in the order
// the names were first met.  Returns kRunOk or kRunMemory.
int sparse_untyped_rows(SparseReader& r);

// Second pass over one observation.  Returns kRunOk, kRunMemory or kRunIo.
int sparse_pass2(SparseReader& r);

// After the second pass: notes for untyped rows, ranges, records, value
// columns, price vectors.  Returns kRunOk, kRunMemory or kRunIo.
int sparse_finish(SparseReader& r);

// Returns every block the reader holds.
void sparse_release(SparseReader& r);

}  // namespace tymlp
