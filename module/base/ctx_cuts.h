// ctx_cuts.h -- the rows the cutting planes of the root live in.
//
// Cutting planes are rows of the node LP, but never rows of the user's
// problem.  So that the computational form keeps its size for the whole run
// (node records hold one status byte per column, the factors one slot per
// row), the rows are reserved before the form is built: free rows with no
// coefficients, appended behind the user's rows, whose logical columns form
// one contiguous block behind the user's logical columns.  A reserved row
// is inert while its logical column is free and basic; a cut fills it with
// coefficients and gives its logical column the bounds [0, +INFINITY).
// Reports and output data sets skip the reserved rows and their logical
// columns (is_cut_row, is_cut_column).
#pragma once

#include <cstdint>

namespace tymlp {

// Families of cutting planes, in the order the log counts them.
enum CutFamily : int32_t {
    kCutGomory = 0,
    kCutKnapsackCover = 1,
    kCutMixedRounding = 2,
    kCutStrengthenedRow = 3,
    kCutFamilies = 4
};

// What a reserved row holds.  A retired cut keeps its coefficients, but its
// logical column is free and basic again, so the row constrains nothing.
enum CutRowState : uint8_t { kCutRowEmpty = 0, kCutRowActive = 1, kCutRowRetired = 2 };

struct CutState {
    int32_t first_row;            // first reserved row (0 when none is reserved)
    int32_t row_count;            // reserved rows
    int32_t used_rows;            // reserved rows that hold a cut (active or retired)
    int32_t first_column;         // logical column of the first reserved row
    int32_t usable;               // 1 when the reserved rows' logical columns lie in one block, as cuts need
    int32_t added[kCutFamilies];  // cuts put into the LP, by family
    int32_t retired;              // cuts made inert again after they went slack
    int32_t rejected_by_check;    // cuts the known solution refuted (CUTCHECK)
    int32_t rounds;               // rounds run at the root
    double root_bound_before;     // internal objective value before and after the cuts
    double root_bound_after;
    uint8_t* row_state;    // per reserved row: CutRowState
    uint8_t* referenced;   // per reserved row: 1 when a later cut has its logical column as a term
    uint8_t* root_status;  // every column's status at the continuous optimum, before the first cut
    double* known_point;   // a known integer solution, every column, scaled units (CUTCHECK), or none
};

inline bool cut_rows_reserved(const CutState& c) { return c.row_count > 0; }

// The rows of the user's problem: every row before the reserved ones.
inline int32_t user_row_count(const CutState& c, int32_t rows) { return c.row_count > 0 ? c.first_row : rows; }

// Whether row i, or column j, is one of the reserved cut rows or their
// logical columns (never shown to the user).
inline bool is_cut_row(const CutState& c, int32_t i) {
    return c.row_count > 0 && i >= c.first_row && i < c.first_row + c.row_count;
}
inline bool is_cut_column(const CutState& c, int32_t j) {
    return c.row_count > 0 && j >= c.first_column && j < c.first_column + c.row_count;
}

}  // namespace tymlp
