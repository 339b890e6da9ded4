// preprocess_work.h -- the working state of preprocessing and the routines
// its driver composes: in-memory copies of the problem with the coefficient
// window (preprocess_store.cpp), the activity bounds of a row
// (preprocess_activity.cpp), the tests and reductions of one row
// (preprocess_rows.cpp) and the pass report (preprocess_report.cpp).
//
// Everything here lives in one temporary host heap that the driver destroys
// before it returns.
#pragma once

#include <cstdint>

#include "base/lp_context.h"

namespace tymlp {

// Per-pass flags of a row.
enum PreRowFlag : uint16_t { kPreRowInfeasible = 0x0001, kPreRowEliminated = 0x0002 };

// Per-pass flags of a structural column (the same bits as the column flags
// that the change leaves in the column record).
enum PreColumnFlag : uint16_t { kPreLowerRaised = 0x1000, kPreUpperLowered = 0x2000, kPreFixed = 0x4000 };

struct PreRowWork {
    uint16_t flags;  // PreRowFlag bits of the current pass
};

struct PreColumnWork {
    uint16_t flags;      // PreColumnFlag bits of the current pass
    double fixed_value;  // with kPreFixed
    double new_lower;    // with kPreLowerRaised
    double new_upper;    // with kPreUpperLowered
};

// One reduced coefficient of the current pass.  `rhs` is the row's new
// right-hand side, or a value with all exponent bits set when the reduction
// left the right-hand side alone (pre_rhs_changed tells).
struct CoefChange {
    int32_t row;
    int32_t column;
    double coefficient;
    double rhs;
    CoefChange* next;
};

struct PreprocessWork {
    TymHeap heap;                  // temporary heap holding everything below
    int32_t rows;                  // m, including the phase-1 objective
    int32_t columns;               // structural columns
    RowRecord* row_records;        // copies of every row record
    char* row_names;               // rows x row-name length, blank padded
    ColumnRecord* column_records;  // copies of the structural column records
    char* column_names;            // columns x column-name length
    double* rhs;                   // the right-hand-side column
    PreRowWork* row_work;
    PreColumnWork* column_work;

    // Coefficient window: entries [window_base, window_base + window_used)
    // of the coefficient file, at most window_capacity of them.
    CoefEntry* window;
    int64_t window_base;
    int32_t window_used;
    int32_t window_capacity;

    CoefChange* changes;  // reductions of the current pass, in order
    CoefChange* last_change;
    int32_t change_count;  // bounds changed and columns fixed in the pass
    bool debug;            // DEBUG: every single change is listed
};

// ---- store (preprocess_store.cpp)

// Window of 240 x structural-columns bytes, 24 x when that cannot be had.
inline constexpr int64_t kPreWindowBytesPerColumn = 240;
inline constexpr int64_t kPreSmallWindowBytesPerColumn = 24;

// Creates the heap and the copies, and reads the row store, the structural
// column records, the right-hand-side column `rhs_entry` and the first
// window of the coefficient file.  Returns kRunOk, kRunMemory (no memory) or kRunIo (a store
// failed).  On failure the caller still calls close_preprocess_work.
int open_preprocess_work(LpContext* ctx, PreprocessWork* w, ColumnListEntry* rhs_entry);

// Copies coefficient entry k into *entry, re-reading the window from k when
// k lies outside it.  Returns kRunOk or kRunIo.
int pre_read_entry(LpContext* ctx, PreprocessWork* w, int64_t k, CoefEntry* entry);

// Replaces the value of coefficient k in the file at once (and in the window
// when the entry is there).  Returns kRunOk or kRunIo.
int pre_write_coefficient(LpContext* ctx, PreprocessWork* w, int64_t k, double value);

// Appends a change record; `rhs` as in CoefChange.  Returns kRunOk or kRunMemory.
int pre_add_change(PreprocessWork* w, int32_t row, int32_t column, double coefficient, double rhs);
double pre_rhs_unchanged();
bool pre_rhs_changed(double rhs);

// Clears the per-pass flags and releases the change records.
void pre_start_pass(PreprocessWork* w);

// Writes every row record, every structural column record and the
// right-hand-side column back from the start of their files.  Returns kRunOk or kRunIo.
int write_back_preprocess_work(LpContext* ctx, PreprocessWork* w, ColumnListEntry* rhs_entry);

// Destroys the heap (safe on a partly opened work state).
void close_preprocess_work(PreprocessWork* w);

// Name of row i / column j in the copies, blank padded at the model's length.
const char* pre_row_name(const LpContext* ctx, const PreprocessWork* w, int32_t i);
const char* pre_column_name(const LpContext* ctx, const PreprocessWork* w, int32_t j);

// ---- activity bounds (preprocess_activity.cpp)

// The interval a constraint row asks of its activity:
//   less-or-equal  (-inf, b]        with range r: [b - |r|, b]
//   greater-or-equal [b, +inf)      with range r: [b, b + |r|]
//   equality        [b, b]          with range r >= 0: [b, b + r]; r < 0: [b - |r|, b]
// `one_sided` rows (plain less-or-equal or greater-or-equal) are the only
// ones whose binary coefficients may be reduced: a reduction is exact for one
// side only.
struct RowSides {
    bool constraint;  // less-or-equal, equality or greater-or-equal
    bool has_lower;
    bool has_upper;
    double lower;
    double upper;
    bool one_sided;
    bool plain_equality;  // equality without range: tested by |U - L| < EPSILON
};
RowSides pre_row_sides(const RowRecord& row, double rhs);

// Bounds of a structural column as the solver will see them: the lower bound
// is -INFINITY for an unrestricted column, the record's lower bound when one
// was given (or the column is fixed or binary), otherwise 0; the upper bound
// is the record's when one was given (or fixed or binary), otherwise
// +INFINITY.  A bound at or beyond INFINITY counts as absent.
double pre_column_lower(const LpContext* ctx, const ColumnRecord& col);
double pre_column_upper(const LpContext* ctx, const ColumnRecord& col);

// True when v lies strictly inside (-INFINITY, +INFINITY).
bool pre_finite(const LpContext* ctx, double v);

// Minimum (lower) and maximum (upper) activity of a row; +-INFINITY when a
// side is unbounded.
struct RowActivity {
    double lower;
    double upper;
};

// Computes L and U of row i over the coefficients with |a| > PEPSILON, from
// the copies of the column records.  Returns kRunOk or kRunIo.
int pre_row_activity(LpContext* ctx, PreprocessWork* w, int32_t i, RowActivity* act);

// ---- row tests and reductions (preprocess_rows.cpp)

// Tests row i (constraint rows only): an infeasible row gets
// kPreRowInfeasible; a redundant one kPreRowEliminated and becomes a free
// row (counts adjusted); any other row is reduced: binary columns fixed,
// binary coefficients and right-hand sides of one-sided rows reduced (in the
// coefficient file at once, with a change record), bounds of continuous and
// integer columns tightened.  Returns kRunOk, kRunMemory or kRunIo.
int pre_examine_row(LpContext* ctx, PreprocessWork* w, int32_t i);

// ---- pass report (preprocess_report.cpp)

// Reports and counts the pass: message 260 per infeasible row, the other
// changes (one by one under DEBUG, 261 to 266) and one message 269 per
// nonzero count.  Sets w->change_count.  Returns kRunSemantic when a row was
// infeasible, else kRunOk.
int pre_report_pass(LpContext* ctx, PreprocessWork* w);

}  // namespace tymlp
