// mps_convert.h -- one MPS import from file to data set: read, check, write
// to a temporary file, rename.  The command line of `qmlp import-mps` and
// the tests both go through run_import.
#pragma once

#include <cstdio>
#include <string>

#include "mps/mps_reader.h"

namespace qmlp::host::mps {

struct ImportOptions {
    std::string input;            // the MPS file, plain or gzip
    std::string output;           // empty: default_output_path(input); "-": standard output
    bool summary_to_out = false;  // the summary goes to `out` instead of `err`
    bool drop_free_rows = false;  // leave N rows other than the objective out
    // The reader of the input's format; the LP-format importer passes its own.
    bool (*read)(LineSource& source, Model& model, ReadReport& report) = read_mps;
    const char* format_name = "MPS";  // for the summary's first line
};

// FILE.mps, FILE.mps.gz, FILE.lp, FILE.lp.gz, FILE.gz (any case of the
// suffixes) -> FILE.csv in the same folder; any other name gets ".csv"
// appended.
std::string default_output_path(const std::string& input);

// True for FILE.lp and FILE.lp.gz (any case).
bool is_lp_path(const std::string& path);

// Returns the exit status: 0 when the data set was written, 2 when the input
// file is bad or a file operation failed ("ERROR: <file>:<line>: <what>" on
// `err`; no output file is left behind).  Warnings go to `err`; the data set
// goes to `out` when the output is "-".
int run_import(const ImportOptions& options, std::FILE* out, std::FILE* err);

}  // namespace qmlp::host::mps
