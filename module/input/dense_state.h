// dense_state.h -- the dense reader's working state (internal to the
// dense_*.cpp files).
#pragma once

#include <cstdint>

#include "input/coef_window.h"
#include "input/reader_common.h"
#include "input/reader_vars.h"

namespace tymlp {

// A numeric special variable bound for reading, with its value column.
struct BoundValue {
    DataVar var;
    double value;            // the observation's value (bound field)
    ColumnListEntry* entry;  // its right-hand-side, RHSSEN or range column
};

struct DenseReader {
    LpContext* ctx;
    TymDataIn ds;
    ReaderBlocks blocks;
    int result;  // 0, or 11 once an error was reported

    bool has_type;
    DataVar type_var;
    char* type_value;  // type_var.length bytes
    bool has_id;
    DataVar id_var;
    char* id_value;  // id_var.length bytes

    BoundValue* rhs;  // right-hand-side variables
    int rhs_count;
    BoundValue* rhssen;  // RHS-sensitivity variables
    int rhssen_count;
    bool has_range;
    BoundValue range;

    DataVar* col_vars;   // structural columns
    double* col_values;  // their bound fields
    ColumnRecord* cols;  // their records, written at the end
    char* col_names;     // column-name length bytes each
    int32_t structural;

    CoefWindow window;
    IntegerVariable* integer_tail;
    int64_t observation;    // 1-based number of the observation read
    int64_t unknown_types;  // observations whose type is not recognised
    char row_name[kMaxNameLength];
};

// The name of structural column j (column-name length bytes).
inline char* dense_column_name(DenseReader& r, int32_t j) {
    return r.col_names + static_cast<int64_t>(j) * r.ctx->model.column_name_length;
}

// Setup: special variables, structural columns and their records, the
// stores, the value columns, the coefficient window, the phase-1 objective
// and the bindings.  Returns kRunOk, kRunMemory, kRunIo, or kRunSemantic after reporting list errors
// (r.has_type tells whether observations can still be read).
int dense_setup(DenseReader& r);

// One observation (already read): its row name, its type and its action.
// Returns kRunOk, kRunMemory or kRunIo; data errors set r.result to kRunSemantic.
int dense_observation(DenseReader& r);

// After the observations: how many had an unrecognised type, when more than
// were listed one by one.
void close_unknown_types(DenseReader& r);

}  // namespace tymlp
