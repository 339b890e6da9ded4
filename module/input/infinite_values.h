// infinite_values.h -- the special missing values .I (+infinity) and .M
// (-infinity) where the data gives numbers of the problem.
//
// A bound may be infinite: a lower bound of -infinity frees the column
// below, while a lower bound of +infinity (or an upper bound of -infinity)
// leaves no value for it.  A right-hand side may be infinite on the side
// its row leaves open, and then the row does not bind; on the side it
// bounds, no solution could satisfy it.  A coefficient or a cost has no
// meaning as infinity.  Both readers apply these rules the same way, so
// that no infinity is ever read as 0.
#pragma once

#include <cstdint>

#include "base/lp_context.h"

namespace tymlp {

enum InfiniteValueMessage : int {
    kMsgRowNotBinding = 371,        // row (a note)
    kMsgRowNeverHolds = 372,        // row
    kMsgRowMixedInfinity = 373,     // row
    kMsgInfiniteCoefficient = 374,  // row, column, observation
    kMsgInfiniteRange = 377,        // row
    kMsgInfiniteChange = 378,       // row, column, observation
};

// +1 for .I, -1 for .M, 0 for any other value; a number of magnitude 1e305
// or more counts as the infinity of its sign.
int infinity_sign(double v);

// A bound value of the data as a number: .I and .M become +-INFINITY; any
// other missing value stays missing (it gives no bound).
double bound_value(const LpContext* ctx, double v);

// What the right-hand sides of one row make of it, from the number of its
// right-hand-side columns that hold .I (plus), .M (minus) and anything else.
enum class InfiniteRhs {
    kFinite,      // no infinite value
    kNotBinding,  // infinite on the open side in every column: a free row
    kNeverHolds,  // infinite on a side the row bounds (or an objective's constant)
    kMixed        // infinite on the open side in some columns, finite in others
};
InfiniteRhs classify_rhs(uint8_t row_flags, int plus, int minus, int finite);

// The message of an outcome other than kFinite, naming the row.  Returns
// true when the outcome is an error of the data.
bool report_infinite_rhs(InfiniteRhs outcome, const char* row, int row_length);

// The error of an infinite coefficient or cost.
void report_infinite_coefficient(const char* row, int row_length, const char* column, int column_length,
                                 int64_t observation);

// The error of an infinite value in a change vector (a PRICESEN row or an
// RHSSEN column): a parametric walk along it has no first step.
// Names the vector and the row or column of the value.
void report_infinite_change(const char* vector, int vector_length, const char* member, int member_length,
                            int64_t observation);

// An infinite range of an equality row would open it on one side; read as
// no range it would silently stay an equality.  Reports it (naming the row)
// and returns true when `range` is infinite.  A less-or-equal or
// greater-or-equal row with an infinite range is simply not ranged.
bool report_infinite_range(double range, const char* row, int row_length);

// Turns a constraint row that does not bind into a free row, keeping the
// row counts of the model right.
void make_row_free(ProblemModel& m, RowRecord& rec);

}  // namespace tymlp
