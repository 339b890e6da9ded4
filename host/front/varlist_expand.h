// varlist_expand.h -- the names of a variable-list statement after
// expansion against the DATA= data set.
//
//   _ALL_                  every variable, in data set order
//   _NUMERIC_              the numeric variables
//   _CHARACTER_, _CHAR_    the character variables
//   a-b                    a, b and every variable between them in data set
//                          order (a must not come after b)
//   x1-x12                 when a or b is not in the data set and both are
//                          one prefix with numbers: x1, x2, ..., x12
//   name                   as written
//
// Names that the data set does not have are passed on unchanged, so that
// the module can report them with its own message; without a data set the
// special names are passed on unchanged as well.
#pragma once

#include <string>
#include <vector>

#include "front/statement_parser.h"
#include "host_api.h"

namespace qmlp::front {

// Longest numbered range expanded (x1-x100000 is accepted).
constexpr long kMaxNumberedRange = 100000;

// True when expanding `items` needs the data set's variables.
bool varlist_needs_dataset(const std::vector<VarItem>& items);

// Appends the expanded names to `out`; returns an empty string, or the
// reason why the list cannot be expanded.  `vars` may be nullptr when the
// data set is not available.
std::string expand_varlist(const std::vector<VarItem>& items, const std::vector<host::VarInfo>* vars,
                           std::vector<std::string>& out);

}  // namespace qmlp::front
