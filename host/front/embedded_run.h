// embedded_run.h -- a whole program run inside a caller's own process, with
// its log, listing, tables and output data sets handed back in memory.
//
// The qmlp command and an embedding (the Python package) share everything
// below this entry: the program runner, the step runner, the loaded
// procedure module, the data engines and the table output.  The caller gets
// what the command would have printed or written, and nothing is left
// behind: the log, listing and table document go through a private
// temporary folder, the WORK library is removed at the end, and the SIGINT
// action the caller had is put back.  Runs are serialised: the host's parts
// keep one program's state at a time.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace qmlp::host {

// One variable of a data set read back: numbers as the host stores them
// (missing values keep their coded patterns, see missing_letter) or texts
// without their trailing blanks.
struct EmbeddedColumn {
    std::string name;
    bool numeric = true;
    std::vector<double> numbers;
    std::vector<std::string> texts;
};

struct EmbeddedDataSet {
    std::string name;  // "LIB.MEMBER", "MEMBER" or the path, as the log names it
    std::vector<EmbeddedColumn> columns;
    bool readable = true;  // false when it could not be read back (the log says why)
};

struct EmbeddedStep {
    int number = 0;
    int end_code = 0;     // the module's end of step (exit_status.h)
    int exit_status = 0;  // what that end code asks of the command
    bool status_set = false;  // whether the step set _QMLP_
    std::string status_macro;  // _QMLP_ as the step left it
    size_t log_begin = 0;  // the step's part of the log: [log_begin, log_end)
    size_t log_end = 0;
    std::vector<EmbeddedDataSet> outputs;  // the data sets the step committed
};

enum class EmbeddedSource {
    Program,    // `program` is the text of a program
    SolveFile,  // `problem_path` is an MPS or LP file, solved as `qmlp solve` does
    SolveData,  // `problem_path` is a data set file, solved the same way
};

struct EmbeddedRequest {
    EmbeddedSource source = EmbeddedSource::Program;
    std::string program;
    std::string problem_path;
    bool sparse = true;                // SolveData: the layout of the data set
    std::vector<std::string> options;  // Solve*: the LP statement's options as written
    std::string program_dir = ".";
    std::string default_lib;                      // empty: program_dir
    std::map<std::string, std::string> libnames;  // library -> folder
    std::map<std::string, std::string> sqlite_libraries;  // library -> database file
    int64_t memsize = 0;  // 0: physical memory
    std::string module_path;
    bool read_outputs = true;  // read back every data set a step commits
};

struct EmbeddedRun {
    int exit_status = 0;  // the exit status the command would end with
    std::string log;
    std::string listing;
    std::string tables_json;  // every table, as the command's --json writes them
    std::vector<EmbeddedStep> steps;
    std::map<std::string, std::string> macros;  // every macro variable at the end
};

// Runs the request; returns run.exit_status.
int run_embedded(const EmbeddedRequest& request, EmbeddedRun& run);

}  // namespace qmlp::host
