// ctx_form.h -- the arrays of the computational form.
//
// Allocated after preparation (n = all columns, m = rows); every array is a
// block of the context's block chain and is returned by end_run.  A pointer
// stays null until its array exists, so readers of the form (the status
// macro variable, the reports) can tell "not yet computed" from a value.
#pragma once

#include <cstdint>

namespace tymlp {

// Status bits of a column in the computational form.
enum ColumnStatus : uint8_t {
    kStatArtificial = 0x04,  // never chosen to enter
    kStatHeld = 0x10,        // objective, free-row and fixed-by-goal columns; free columns in pricing
    kStatInteger = 0x20,     // integer column (skipped by column scaling)
    kStatBasic = 0x40,
    kStatAtUpper = 0x80  // nonbasic at its upper bound
};

struct ComputationalForm {
    double* value;         // n: current value of each column (scaled units)
    double* lower;         // n: lower bound
    double* upper;         // n: upper bound
    uint8_t* status;       // n: ColumnStatus bits
    int32_t* header;       // n: column indexes, the m basic ones first in basis order
    double* rhs;           // m: right-hand side of the current right-hand-side column
    double* duals;         // m: simplex multipliers y
    double* row_scale;     // m: scale factor of each row (1.0 unscaled)
    double* column_scale;  // n: scale factor of each column (1.0 unscaled)
    double* work;          // m: receives FTRAN'd columns
    double* scratch;       // m: the inverse store's spike vector
    int32_t allocated_n;   // n the arrays were allocated for (0 = not allocated)
    int32_t allocated_m;   // m the arrays were allocated for
};

}  // namespace tymlp
