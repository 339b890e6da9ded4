// ctx_dual.h -- the dual simplex path's part of the run context: reduced
// costs with their cost shifts, the dual steepest-edge weights, a row-wise
// copy of the matrix for the pivot row, and the scratch vectors of one
// iteration.
//
// Arrays come from the block chain the first time the path runs and are
// kept for the run (m and n do not change within a run).
#pragma once

#include <cstdint>

namespace tymlp {

struct DualPathState {
    int32_t m;  // rows the arrays were allocated for (0: none yet)
    int32_t n;  // columns the arrays were allocated for

    // Reduced costs in the minimising sense (d_j >= 0 is right for a column
    // at its lower bound), of the costs with the shifts added.
    double* reduced;  // n
    double* shift;    // n: cost shift of each column (0 when none)
    int32_t shifted;  // columns whose shift is not 0

    // Dual steepest-edge weights ||e_r' B^-1||^2 by basis position.
    double* weight;          // m
    int32_t* basis_copy;     // m: the header the weights belong to
    int16_t weights_exact;   // weights computed, not reset to 1

    // The primal-infeasible basis positions as a max-heap on their
    // steepest-edge scores, kept up to date from the positions an iteration
    // changes; rebuilt from scratch whenever heap_valid is 0.
    double* score;           // m: squared infeasibility over weight (0: feasible)
    int32_t* heap;           // m: basis positions, best first
    int32_t* heap_at;        // m: where each position is in heap, -1 when absent
    int32_t heap_size;
    int16_t heap_valid;

    // Header position of every nonbasic column, checked before each use and
    // rebuilt when something else moved the header.
    int32_t* header_at;      // n

    // Row-wise copy of every column of the matrix.
    int64_t* row_start;  // m + 1
    int32_t* row_column;
    double* row_value;
    int16_t row_copy_built;

    // One iteration: row r of B^-1, the pivot row, and FTRAN results.
    double* rho;          // m, zero between iterations
    int32_t* rho_index;   // m
    int32_t rho_count;
    double* alpha_row;    // n, zero between iterations
    int32_t* row_index;   // n: columns listed in alpha_row
    uint8_t* row_mark;    // n
    int32_t row_count;
    double* tau;          // m: B^-1 rho for the weight update
    int32_t* tau_index;   // m
    double* flip;         // m: B^-1 times the flipped columns' moves
    int32_t* flip_index;  // m
    int32_t* flip_rows;   // m: rows of the flipped columns' sum
    int32_t* column_index;  // m: basis positions where the entering column is nonzero
    int32_t column_count;

    // Ratio test candidates.
    int32_t* candidate;   // 2n: candidates, then their order by ratio
    double* cand_ratio;   // 2n: ratios, then the smallest relaxed ratio of each tail
    int32_t* flipped;     // n: columns flipped by the last ratio test
    int32_t flipped_count;

    // The bounds, status bits and right-hand side set aside while the
    // auxiliary problem of the dual phase 1 is solved.
    double* saved_lower;   // n
    double* saved_upper;   // n
    uint8_t* saved_status; // n
    double* saved_rhs;     // m
    int16_t auxiliary;     // the auxiliary bounds are in place

    // Bookkeeping of one run of the path.
    int16_t ready;          // set up for the current combination
    int16_t perturbed;      // costs perturbed at the start
    int32_t troubles;       // consecutive iterations refused for accuracy
    int32_t infeasible_checks;
    int32_t optimal_checks;
    double pivot_tolerance;  // smallest pivot-row entry the ratio test takes
};

}  // namespace tymlp
