// nonbasic_rows.h -- a row-wise copy of the nonbasic columns that may enter.
//
// Ranging every basic column's price asks for w'a_v over all nonbasic v
// once per basic column, with w = e_k B^-1 usually sparse.  Going through
// the rows where w is nonzero touches only the columns that can change,
// instead of every entry of every nonbasic column.
#pragma once

#include <cstdint>

#include "base/lp_context.h"

namespace tymlp {

class NonbasicRows {
  public:
    NonbasicRows() = default;
    ~NonbasicRows();
    NonbasicRows(const NonbasicRows&) = delete;
    NonbasicRows& operator=(const NonbasicRows&) = delete;

    // Builds the copy for the current basis.  Returns 0, 9 (no memory or a
    // column that cannot be fetched) or 25.
    int build(LpContext* ctx);

    // acc[v] -= sum_i w_i a_iv over the rows with w_i != 0.  Every column
    // whose entry is touched is listed once in `touched` (the count is
    // returned); `mark` flags the listed columns and the caller clears it.
    int32_t accumulate(const double* w, int32_t m, double* acc, uint8_t* mark, int32_t* touched) const;

  private:
    int32_t* starts_ = nullptr;  // m + 1
    int32_t* columns_ = nullptr;
    double* values_ = nullptr;
};

}  // namespace tymlp
