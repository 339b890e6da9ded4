// mps_import.cpp -- the command line of `qmlp import-mps`.
#include "mps/mps_import.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "mps/mps_convert.h"

namespace qmlp::host {

namespace {

// The host's exit status for a bad command line.
constexpr int kExitUsage = 64;

void usage(std::FILE* to) {
    std::fputs(
        "usage: qmlp import-mps FILE.mps[.gz] [-o OUT.csv | -o -] [--summary] [--drop-free-rows]\n"
        "  Converts a fixed or free MPS file (plain or gzip) into a sparse-layout data set.\n"
        "  -o OUT.csv         output file (default: FILE.csv beside the input; '-' = standard output)\n"
        "  --summary          print the summary of counts on standard output instead of standard error\n"
        "  --drop-free-rows   leave out N rows other than the objective (default: keep them as free rows)\n",
        to);
}

}  // namespace

int run_import_command(int argc, char** argv, mps::ImportOptions options, const char* format_word,
                       bool takes_drop_free_rows, void (*usage)(std::FILE*)) {
    bool have_input = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-h" || arg == "--help") {
            usage(stdout);
            return 0;
        }
        if (arg == "-o" || arg == "--output") {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "ERROR: %s needs a file name\n", arg.c_str());
                usage(stderr);
                return kExitUsage;
            }
            options.output = argv[++i];
        } else if (arg.rfind("--output=", 0) == 0) {
            options.output = arg.substr(std::strlen("--output="));
        } else if (arg == "--summary") {
            options.summary_to_out = true;
        } else if (takes_drop_free_rows && arg == "--drop-free-rows") {
            options.drop_free_rows = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            std::fprintf(stderr, "ERROR: unknown option %s\n", arg.c_str());
            usage(stderr);
            return kExitUsage;
        } else if (have_input) {
            std::fprintf(stderr, "ERROR: more than one input file (%s)\n", arg.c_str());
            usage(stderr);
            return kExitUsage;
        } else {
            options.input = arg;
            have_input = true;
        }
    }
    if (!have_input) {
        std::fprintf(stderr, "ERROR: no %s file given\n", format_word);
        usage(stderr);
        return kExitUsage;
    }
    return mps::run_import(options, stdout, stderr);
}

int mps_import_command(int argc, char** argv) {
    return run_import_command(argc, argv, mps::ImportOptions{}, "MPS", true, usage);
}

}  // namespace qmlp::host
