// lp_import.h -- `qmlp import-lp`: converts an LP-format file into a
// sparse-layout data set.
#pragma once

namespace qmlp::host {

// argv[0] is "import-lp"; returns the process exit status.
int lp_import_command(int argc, char** argv);

}  // namespace qmlp::host
