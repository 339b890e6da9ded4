// mps_import.h -- `qmlp import-mps`: converts an MPS file into a sparse-layout
// data set.
#pragma once

#include <cstdio>

#include "mps/mps_convert.h"

namespace qmlp::host {

// argv[0] is "import-mps"; returns the process exit status.
int mps_import_command(int argc, char** argv);

// The command line shared by the import commands: -o/--output, --summary,
// --drop-free-rows when `takes_drop_free_rows`, one input file; `options`
// carries the reader.  `format_word` names the file kind in the message for
// a missing input.
int run_import_command(int argc, char** argv, mps::ImportOptions options, const char* format_word,
                       bool takes_drop_free_rows, void (*usage)(std::FILE*));

}  // namespace qmlp::host
