// cut_families.h -- the families of cutting planes, one file each, behind
// one small table: a new family is one new file and one line of the table.
#pragma once

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

// The separators every round runs, in order; `*count` receives their number.
const CutSeparator* const* cut_separators(int32_t* count);

}  // namespace tymlp
