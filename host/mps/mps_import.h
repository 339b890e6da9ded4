// mps_import.h -- `qmlp import-mps`: converts an MPS file into a sparse-layout
// data set.
#pragma once

namespace qmlp::host {

// argv[0] is "import-mps"; returns the process exit status.
int mps_import_command(int argc, char** argv);

}  // namespace qmlp::host
