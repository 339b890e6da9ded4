// problem_text_writers.h -- writes a model as an LP-format or a free-form
// MPS text, the inverse of the two importers.
//
// Both formats restrict names more than the data sets do (an LP name may
// not hold an operator or start with a digit, an MPS name of the free form
// may not hold a blank), so a name the format cannot carry is written in a
// legal form that no other name of its kind takes, and each such renaming
// is reported in `notes`.  What a format cannot express at all (several
// right-hand sides in an LP file, special ordered sets in an MPS file, an
// exactly-one set in either) is refused with `error` set, rather than
// written as a different problem.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "mps/mps_model.h"

namespace qmlp::host::lp {

struct TextWriteResult {
    std::vector<std::string> notes;  // renamings
    std::string error;               // set when the model cannot be written
};

// False with result.error set when the model has something the format
// cannot express; false with an empty error when the stream fails.
bool write_lp_text(const mps::Model& model, std::ostream& out, TextWriteResult& result);
bool write_mps_text(const mps::Model& model, std::ostream& out, TextWriteResult& result);

// An LP-format name for `name`: itself when legal, else a legal form.
// Exposed for the tests.
std::string legal_lp_name(const std::string& name);

}  // namespace qmlp::host::lp
