// solve_command.h -- `qmlp solve FILE.mps[.gz] [OPTION=VALUE | KEYWORD ...]`:
// an MPS file imported into a temporary folder and solved by a program of
// one LP step, written here from the options of the command line.
//
// The options are those of the LP statement, written as in a program.  The
// iteration limits and TIME are set as high as their checks allow unless the
// command line gives them.  A data set value that looks like a file (it ends
// in ".csv" or is not a name or lib.name) is quoted, so that it is a path
// from the current folder.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qmlp::front {

// Whether one option of the command line can go into the LP statement as
// written; *why says why not (";" would end the statement, DATA= is the
// imported file).
bool solve_option_acceptable(const std::string& option, std::string* why);

// The option as it goes into the statement: a data set value that is a
// file path is quoted (inner double quotes doubled); anything else as given.
std::string solve_option_text(const std::string& option);

// The options `qmlp solve` adds for speed when the command line names no
// ALGORITHM: the fastest measured path, its factorisation unless the
// command line names LU, and its refactorisation rule unless it names
// INVTYPE or INVFREQ ("" when the command line chose the algorithm).
std::string solve_default_options(const std::vector<std::string>& options);

// The options `qmlp solve` adds for the search of an integer problem:
// HEURISTICS=2 unless the command line names HEURISTICS, VARSELECT=RELIABLE
// unless it names VARSELECT (the combination measured fastest on the shared
// MIPLIB 3 instances); "" when it names both.  They do nothing for a
// problem without integer columns.
std::string solve_search_options(const std::vector<std::string>& options);

// The whole program: the LP statement on `data_path` (the sparse layout, or
// the dense one when `sparse` is false), the limits the options leave unset,
// the fastest path unless the options name one (solve_default_options), the
// search options (solve_search_options), the options, and RUN.
std::string solve_program(const std::string& data_path, const std::vector<std::string>& options, bool sparse = true);

// The MPS file imported into a folder of its own under $TMPDIR (else /tmp);
// the folder goes when the object does, whatever happened in between.
class ImportedProblem {
  public:
    ImportedProblem() = default;
    ImportedProblem(const ImportedProblem&) = delete;
    ImportedProblem& operator=(const ImportedProblem&) = delete;
    ~ImportedProblem();

    // Imports `mps_file`; the import's messages (its summary, warnings and
    // errors) go to the log.  Returns 0, or the exit status to end with.
    int import(const std::string& mps_file);
    // The imported data set (valid after a successful import).
    const std::string& data_path() const { return data_path_; }
    // Whether the import's summary counted integer or binary columns.
    bool has_integer_columns() const { return integer_columns_; }

  private:
    std::string folder_;
    std::string data_path_;
    bool integer_columns_ = false;
    void note_summary_line(const std::string& line);
    int folder_slot_ = -1;
    int file_slot_ = -1;
};

}  // namespace qmlp::front
