// mps_import.cpp -- `qmlp import-mps` command (placeholder until the reader lands).
#include "mps/mps_import.h"

#include <cstdio>

namespace qmlp::host {

int mps_import_command(int argc, char** argv) {
    (void)argc;
    (void)argv;
    std::fputs("ERROR: import-mps is not available yet\n", stderr);
    return 2;
}

}  // namespace qmlp::host
