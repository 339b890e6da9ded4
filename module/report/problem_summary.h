// problem_summary.h -- the ProblemSummary table: the shape of the problem of
// the current combination.
#pragma once

#include <cstdint>

#include "base/lp_context.h"

namespace tymlp {

// The counts the table shows, taken from the row and column stores.
struct ProblemCounts {
    int32_t structural;
    int32_t nonnegative;
    int32_t unrestricted;
    int32_t lower_only;
    int32_t upper_only;
    int32_t both_bounds;
    int32_t fixed;
    int32_t integer;  // integer and binary columns
    int32_t binary;
    int32_t fixed_charge;
    int32_t slack;    // less-or-equal and fixed-charge rows
    int32_t surplus;  // greater-or-equal rows
    int32_t equality;
    int32_t free_rows;
    int32_t objective_rows;  // including the phase-1 objective
    int32_t rows;
    int64_t nonzeros;            // coefficients of the structural columns
    int64_t objective_nonzeros;  // of these, the ones in objective rows
    double density;              // percent
};

// Counts the structural columns by kind (precedence: binary, integer, both
// bounds, upper bound only, lower bound only, unrestricted, fixed, else
// non-negative), the rows by kind, and the density of the constraint matrix
// 100 x constraint nonzeros / ((rows - objective rows) x (structural + slack
// + surplus)), 0 when every row is an objective row.  The coefficients of
// the objective rows are left out of the numerator as their rows are left
// out of the denominator, so the density never passes 100.  Returns 0 or 25.
int count_problem(LpContext* ctx, ProblemCounts* out);

// Prints ProblemSummary (template "Qm.Lp.ProblemSummary", label 253/210)
// for the current objective and right-hand-side column, unless PRINTLEVEL
// is -2.  Returns 0, or 25 when a store cannot be read.  A failed table
// request ends the run (table_output.h).
int print_problem_summary(LpContext* ctx);

}  // namespace tymlp
