// mps_reader.h -- reads an MPS text (fixed or free form) into a Model.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "mps/mps_lines.h"
#include "mps/mps_model.h"

namespace qmlp::host::mps {

struct Diagnostic {
    int64_t line = 0;  // 1-based line of the MPS text
    std::string text;
};

struct ReadReport {
    Diagnostic error;                  // set when read_mps returns false
    std::vector<Diagnostic> warnings;  // conventions applied along the way
};

// Reads sections NAME, OBJSENSE, OBJNAME, ROWS, COLUMNS (with integer
// markers), RHS, RANGES, BOUNDS up to ENDATA; whatever follows ENDATA is
// ignored.  On success `model` holds the whole problem and the objective row
// is chosen.  On the first fault (unknown section, unknown name,
// non-numeric value, duplicate entry, unsupported bound, input failure,
// missing ENDATA) returns false with report.error naming the line; `model`
// is then incomplete and must not be written.
bool read_mps(LineSource& source, Model& model, ReadReport& report);

}  // namespace qmlp::host::mps
