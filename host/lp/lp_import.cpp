// lp_import.cpp -- the command line of `qmlp import-lp`.
#include "lp/lp_import.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "lp/lp_reader.h"
#include "mps/mps_convert.h"
#include "mps/mps_import.h"

namespace qmlp::host {

namespace {

// The host's exit status for a bad command line.
constexpr int kExitUsage = 64;

void usage(std::FILE* to) {
    std::fputs(
        "usage: qmlp import-lp FILE.lp[.gz] [-o OUT.csv | -o -] [--summary]\n"
        "  Converts an LP-format file (plain or gzip) into a sparse-layout data set.\n"
        "  -o OUT.csv         output file (default: FILE.csv beside the input; '-' = standard output)\n"
        "  --summary          print the summary of counts on standard output instead of standard error\n",
        to);
}

}  // namespace

int lp_import_command(int argc, char** argv) {
    mps::ImportOptions options;
    options.read = lp::read_lp;
    options.format_name = "LP";
    return run_import_command(argc, argv, options, "LP", false, usage);
}

}  // namespace qmlp::host
