// mps_summary.h -- the short report of what an MPS import wrote.
#pragma once

#include <cstdio>
#include <string>

#include "mps/mps_model.h"
#include "mps/mps_writer.h"

namespace qmlp::host::mps {

// One "label: value" line per count, so that a person can compare them with
// the procedure's problem summary and a script can parse them.  `format`
// names the source format ("MPS", "LP").
void print_summary(std::FILE* out, const char* format, const std::string& source, const std::string& target,
                   const Model& model, const Counts& counts, const WritePlan& plan);

}  // namespace qmlp::host::mps
