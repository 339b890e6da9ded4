// engine.h -- the storage engines behind data sets.
//
// A library keeps its data sets in one engine: CSV files in a folder, or
// tables of an SQLite database.  data_in.cpp and data_out.cpp hold what is
// the same for every engine (handles, variable lookup, binding, naming of
// output variables, commit rules); an engine only turns observations into
// values and values into stored observations.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "data/csv_schema.h"
#include "data/library.h"

namespace qmlp::host::data {

// One data set open for reading.  Engines report their own ERROR lines.
class InputReader {
  public:
    virtual ~InputReader() = default;
    const std::vector<VarSpec>& vars() const { return vars_; }
    // Moves to the next observation: 0 with one, 1 at the end, a negative
    // status (after an ERROR) when it cannot be read.
    virtual int next() = 0;
    // Values of the current observation: the number of a numeric variable
    // (missing values as the host's missing doubles), the text of a
    // character one (trailing blanks may remain).
    virtual double number(size_t var) const = 0;
    virtual std::string_view text(size_t var) const = 0;
    // Back to before the first observation: 0 or a negative status.
    virtual int rewind() = 0;

  protected:
    std::vector<VarSpec> vars_;
};

// A variable of an output data set, read from `address` at each write.
struct OutputVar {
    std::string name;
    int type = 1;  // TYM_VAR_NUMERIC or TYM_VAR_CHAR
    int length = kNumericLength;
    std::string label;
    const void* address = nullptr;
};

// One data set being written.  Nothing is visible under the data set's
// name before commit; destroying an uncommitted writer leaves the earlier
// version, if any, as it was.
class OutputWriter {
  public:
    virtual ~OutputWriter() = default;
    // Called once, before the first observation, with the final variables.
    virtual int start(const std::vector<OutputVar>& vars) = 0;
    // Stores one observation from the variables' addresses.
    virtual int write(const std::vector<OutputVar>& vars) = 0;
    // Makes the data set (with its labels) replace the earlier version.
    virtual int commit(const std::vector<OutputVar>& vars) = 0;
};

// nullptr after an ERROR line.
std::unique_ptr<InputReader> open_csv_input(const DataFile& file);
std::unique_ptr<OutputWriter> create_csv_output(const DataFile& file);
std::unique_ptr<InputReader> open_sqlite_input(const DataFile& file);
std::unique_ptr<OutputWriter> create_sqlite_output(const DataFile& file);

// How long an SQLite engine waits for a database another program has
// locked before it gives up (milliseconds).
void set_sqlite_busy_timeout(int milliseconds);
// Whether `path` can serve as the database of an SQLite library (an
// existing file or a new one in an existing folder); *why says why not.
bool sqlite_path_usable(const std::string& path, std::string* why);

}  // namespace qmlp::host::data
