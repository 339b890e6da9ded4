// staged_output.h -- the log and the listing, written beside a file they
// would replace and moved over it when the run ends.
//
// The log and the listing are opened before the run has read anything.  A
// target that already exists may be one of the run's own inputs (`--listing
// data.csv` for a program that reads data.csv): truncating it at the start
// would destroy the data before the run could refuse to read it.  So an
// existing regular file is left untouched while the run writes a temporary
// file beside it; at the end the temporary replaces the target, unless the
// run read the target as a data set, in which case the target keeps its data
// and the text stays in the temporary file, which the ERROR names.  A target
// that does not exist yet is written directly, and so is one that is not a
// regular file (a terminal, a pipe, /dev/null): renaming over a device would
// replace the device itself.
#pragma once

#include <cstdio>
#include <string>

namespace qmlp::host::output {

class StagedOutput {
  public:
    // Opens the file that takes the text meant for `path`; nullptr and *why
    // on failure.
    std::FILE* open(const std::string& path, std::string* why);
    // Closes the file and moves a staged text over its target.  False and a
    // complete sentence in *message when the target could not or must not be
    // replaced; `what` names the output ("listing", "log").
    bool commit(const char* what, std::string* message);
    // Closes without moving anything (a run that reconfigures its outputs
    // commits first; this is the fallback for a file never committed).
    void abandon();
    std::FILE* file() const { return file_; }
    const std::string& target() const { return target_; }

  private:
    std::FILE* file_ = nullptr;
    std::string target_;
    std::string temp_;  // empty when the target is written directly
    int temp_slot_ = -1;
};

}  // namespace qmlp::host::output
