// dataset_problem.h -- a problem data set (dense or sparse layout) read
// back into the model the MPS and LP texts are written from.
//
// This follows the procedure's own reading of the two layouts for what a
// problem file can hold: rows (LE, EQ, GE, FREE, one MAX or MIN), right-hand
// sides, ranges, bounds (UPPERBD, LOWERBD, FIXED, UNRSTRCT), INTEGER and
// BINARY columns and special ordered sets.  What has no place in such a
// file is refused (fixed charges, a second objective) or left out with a
// warning (price and right-hand-side change vectors, a starting basis,
// branching priorities), never changed into something else.
#pragma once

#include <string>
#include <vector>

#include "data/engine.h"
#include "mps/mps_model.h"

namespace qmlp::host::exporting {

enum class Layout { Detect, Dense, Sparse };

struct DatasetReport {
    std::string error;                  // set when the data set cannot be exported
    std::vector<std::string> warnings;  // what was left out
};

// Detect: sparse when the data set has a variable whose name begins with
// "_COL" and one beginning with "_COEF", dense otherwise.
bool read_problem_dataset(data::InputReader& input, Layout layout, mps::Model& model, DatasetReport& report);

}  // namespace qmlp::host::exporting
