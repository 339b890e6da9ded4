// run_files.h -- the files a run reads and writes, so that no output of the
// run is written over one of its inputs or over another of its outputs.
//
// Files are compared by device and inode, so that two names of one file
// (a relative and an absolute path, a symbolic or a hard link) are one
// file.  A file that does not exist yet is compared by its absolute path
// with the symbolic links of its folders resolved.  Devices, pipes and
// terminals are never the same file as anything: many outputs may go to
// /dev/null or to a terminal at once.
#pragma once

#include <string>

namespace qmlp::host::data {

enum class RunFileKind {
    kInput,         // the program file, the MPS file of a solve
    kOutput,        // the log, the listing, the reports, the symbols file
    kDataSetInput,  // a data set the run opened for reading
};

// Forgets every file of the run.
void run_files_reset();

// Records `path` under `role` ("the listing file", "the data set PM").
void run_files_note(const std::string& path, RunFileKind kind, const std::string& role);

// The role of a recorded file of one of `kinds` that `path` also names, or
// an empty string.  kinds is a bit set of 1 << RunFileKind.
std::string run_files_role_of(const std::string& path, unsigned kinds);

inline constexpr unsigned run_file_bit(RunFileKind kind) { return 1u << static_cast<unsigned>(kind); }
inline constexpr unsigned kAnyRunFile = 7u;

// True when `a` and `b` name the same regular file (or the same new one).
bool same_file(const std::string& a, const std::string& b);

}  // namespace qmlp::host::data
