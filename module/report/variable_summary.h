// variable_summary.h -- the VariableSummary table: one line per column with
// its status, type, price, activity and reduced cost.
#pragma once

#include <cstdint>

#include "base/lp_context.h"

namespace tymlp {

// Which structural columns a summary without a list shows (the PRINT
// statement's selection keywords choose these).  A zero value is one below
// EPSILON in magnitude after unscaling and FUZZ; an integer column is an
// integer or binary one.
enum VariableSelection : int {
    kSelectInteger = 1,
    kSelectNonInteger = 2,
    kSelectNonZero = 3,
    kSelectZero = 4,
    kSelectIntegerNonZero = 5,
    kSelectIntegerZero = 6,
    kSelectNonIntegerNonZero = 7,
    kSelectAll = 99  // any value other than 1..7 selects every column
};

// The status word of column j (8 characters, blank padded):
//   basic      "DEGEN   " when |x_j| < EPSILON (internal value), else "BASIC   "
//   nonbasic   "ALTER   " when its reduced cost is exactly 0; with distinct
//              bounds "LOWBD   " at a non-zero lower bound (within EPSILON) of
//              a non-integer column, blank at least EPSILON below the upper
//              bound or for an integer column, else "UPPBD   "; with equal
//              bounds blank.
const char* variable_status_word(const LpContext* ctx, int32_t j, double reduced_cost, bool integer);

// The "Col" text of a line: `number` right-aligned in 6 characters, or the
// mark " *INF*" (the run ended infeasible and the value lies outside its
// bounds by more than EPSILON) or " *UBD*" (the run ended unbounded and j
// entered in the iteration that found the ray).  Returns true when marked.
bool variable_col_text(const LpContext* ctx, int32_t j, int64_t number, char* out6);

// The lines a summary table of columns or rows prints at the PRINTLEVEL in
// force: 1, every selected line; 0 and -2, none; -1, only when the run
// ended infeasible, and then only the marked lines.
enum class SummaryLines { None, MarkedOnly, All };
SummaryLines summary_lines(const LpContext* ctx);

// Prints VariableSummary (data object "VariableSummaryData", label 253/230;
// template "Qm.Lp.VariableSummary", label 253/231).  With a list, the listed
// columns (0-based indexes, any column of the model) are shown in list order
// and "Col" is the column's number counted from 1; without one (list null),
// the structural columns chosen by `selection`, "Col" counting the lines
// shown.  The lines printed follow summary_lines.  Returns 0, 9 or 25 (a
// column that cannot be fetched or read).
int print_variable_summary(LpContext* ctx, const int32_t* list, int32_t count, int selection);

}  // namespace tymlp
