// ctx_heuristics.h -- the state of the search's primal heuristics
// (heuristics/): the work arrays of the rounding and the dives, the
// integer values of the latest incumbent that a guided dive steers by, and
// the counts the log reports at the end of the search.
//
// The context starts zero filled; the arrays are allocated on the first
// call of a combination and live for the run.
#pragma once

#include <cstdint>

namespace tymlp {

inline constexpr int kHeuristicKinds = 8;

struct HeuristicState {
    int16_t prepared;                // the arrays below exist
    int32_t* row_logical;            // m: the logical column of each row, or -1
    double* row_logical_coef;        // m: its coefficient in its row
    int32_t objective_row;           // the row whose logical column is the objective's, or -1
    double* point;                   // n: the point a rounding works on
    double* activity;                // m: each row's activity without its logical column, at `point`
    double* incumbent_values;        // integer count: the latest incumbent's integer values
    int16_t incumbent_known;         // incumbent_values holds the current incumbent
    int32_t* candidates;             // integer count: work list of fractional variables
    int8_t* shifted;                 // n: the direction a shifting rounding last moved each column (0 none)
    int32_t dive_turn;               // which dive rule runs next at a node
    int64_t lp_iterations;           // dual iterations the dives took (they count as phase 3 iterations)
    int64_t search_iterations;       // phase 3 iterations when the search started
    int32_t found[kHeuristicKinds];  // incumbents found by each entry of the table
    int32_t calls[kHeuristicKinds];
    int32_t strong_branchings;  // candidates strong branching evaluated (VARSELECT=RELIABLE)
    int64_t strong_iterations;  // dual iterations strong branching took
};

}  // namespace tymlp
