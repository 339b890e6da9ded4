// export_command.h -- `qmlp export`: writes a problem data set (dense or
// sparse layout, a CSV file) as an MPS or LP file.
#pragma once

namespace qmlp::host {

// argv[0] is "export"; returns the process exit status.
int export_command(int argc, char** argv);

}  // namespace qmlp::host
