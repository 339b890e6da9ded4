// active_names.h -- the names the integer columns take as variables of the
// ACTIVEOUT and ACTIVEIN data sets.
#pragma once

#include "base/lp_context.h"

namespace tymlp {

// A data set variable name holds at most this many characters.
inline constexpr int kActiveNameMost = 32;

// One name, zero terminated.
struct ActiveName {
    char text[kActiveNameMost + 1];
};

// The variable name of each integer column, in the order of the
// integer-variable list, into names[0 .. integer count).  A column name is
// cut to 32 characters; data set names are compared without regard to
// case, so a cut name that meets an earlier one (or one of the data set's
// own underscore-framed variables) has its end replaced by "_2", "_3", ...
// until it is unique: two columns must never be bound to one variable.
// The writer and the reader call this alike, so they agree on every name.
// Returns 0, or the code of a failed read of the column store.
int active_variable_names(LpContext* ctx, ActiveName* names);

}  // namespace tymlp
