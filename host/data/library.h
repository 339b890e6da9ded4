// library.h -- libraries and the files behind data set names.
//
// A data set is named `member` (the default library), `lib.member` (a library
// assigned by LIBNAME or --libname, or WORK, a temporary folder of the
// program run) or by a quoted path.  In a CSV library the file of a member
// is <folder>/<member in lower case>.csv; on input a file whose name differs
// only in case is accepted too.  In an SQLite library a member is the table
// of that name (in lower case when written) in the library's database.
#pragma once

#include <string>

#include "host_api.h"

namespace qmlp::host::data {

inline constexpr const char* kWorkLibrary = "WORK";
inline constexpr const char* kDataExtension = ".csv";
inline constexpr const char* kLabelsExtension = ".labels";

enum class Engine { Csv, Sqlite };

struct DataFile {
    Engine engine = Engine::Csv;
    std::string display;  // "LIB.MEMBER", "MEMBER" or the path as given
    std::string folder;   // folder that holds the file
    std::string file;     // the data file (SQLite: the database)
    std::string labels;   // the side file of variable labels (CSV)
    std::string table;    // the member's table (SQLite)
};

void library_configure(const HostConfig& config);
// Resolves a reference; false (after an ERROR line) when the library is not
// assigned, the name is not valid or the WORK folder cannot be created.
// On input an existing file differing only in case is preferred.
bool resolve_data_file(const TymDataRef& ref, bool for_input, DataFile& out);
// The folder for temporary files: $TMPDIR, else /tmp.
std::string temp_base_folder();
// Removes the WORK folder and everything in it (end of program).
void library_shutdown();
// Remembers the most recently committed output data set.
void set_last_dataset(const TymDataRef& ref);
// True for the folder of the WORK library (its files go at program end).
bool in_work_library(const std::string& folder);
// Records a file written into the WORK library, so that a fatal signal
// removes it along with the folder.
void note_work_file(const std::string& path);

}  // namespace qmlp::host::data
