// cut_families.h -- the families of cutting planes, one file each, behind
// one small table: a new family is one new file and one line of the table.
#pragma once

#include <cstdint>
#include <vector>

#include "base/lp_context.h"
#include "cuts/cut_pool.h"

namespace tymlp {

// A separator offers the cuts it finds at the current optimal LP point
// (ctx->form.value, with the factors of its basis) to the pool.  It returns
// 0, or 9 or 25 when a column could not be fetched.
struct CutSeparator {
    const char* name;
    int32_t family;  // CutFamily
    int (*separate)(LpContext* ctx, CutPool& pool);
};

extern const CutSeparator kGomorySeparator;
extern const CutSeparator kKnapsackCoverSeparator;
extern const CutSeparator kStrengthenedRowSeparator;

// Coefficient strengthening of one row  sum a_k x_k <= *rhs  whose largest
// activity over the columns' bounds is `largest`: the coefficients of the
// binary columns (binary[k] != 0) are tightened where the row is slack at
// one of their values, and *rhs with them.  Every point with those columns
// at 0 or 1 that keeps the row keeps the result.  True when anything moved.
bool strengthen_row(double largest, std::vector<double>* coefficients, const std::vector<uint8_t>& binary, double* rhs);

// The separators every round runs, in order; `*count` receives their number.
const CutSeparator* const* cut_separators(int32_t* count);

}  // namespace tymlp
