// csv_schema.h -- the variables of a data set file.
//
// The header row names the variables.  "name$" declares a character
// variable whose length is that of its longest value; "name$N" one of
// length N.  Any other variable is numeric when every value that is not a
// missing value is a number, character otherwise.  Finding that out takes
// one pass over the file, which also checks every row, so a file that opens
// is known to be well formed.  Passes are remembered per file (identity,
// size and modification time), so opening the same file again is cheap.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace qmlp::host::data {

inline constexpr int kMaxCharLength = 32767;
inline constexpr int kNumericLength = 8;

struct VarSpec {
    std::string name;  // as written in the header (case kept)
    int type = 1;      // TYM_VAR_NUMERIC or TYM_VAR_CHAR
    int length = kNumericLength;
    bool declared = false;  // the header fixed the type ("$")
    // A variable read as character although most of its values are numbers:
    // the line and the value of its first cell that is not a number (0 when
    // the variable is not such a one).  One stray cell ("nan", "0x10",
    // " 5 ") must not turn a column of numbers into text unannounced.
    int64_t stray_text_line = 0;
    std::string stray_text;
    // A variable of declared length ("$N") with longer values, which are
    // read cut to N: the line and value of the first one (0 when none).
    int64_t cut_line = 0;
    std::string cut_text;
    // Two different values that become the same when cut: their lines and
    // values (0 when none).  Names merged like this would silently make
    // two rows or columns one.
    int64_t merged_line[2] = {0, 0};
    std::string merged_text[2];
};

struct CsvSchema {
    std::vector<VarSpec> vars;
    int64_t data_offset = 0;  // byte offset of the first row after the header
    int64_t data_line = 1;    // its line number
    int64_t observations = 0;
};

// Parses the header row (found on `line`); 0, or kBadData with `error`.
int parse_header(const std::vector<std::string>& fields, int64_t line, std::vector<VarSpec>& vars, std::string& error);

// Reads the whole file open on fd (whose stat is `st`) and fills `schema`;
// 0, or a negative status with `error` ("line N: what").
int load_schema(int fd, const struct stat& st, CsvSchema& schema, std::string& error);

// The bytes of `value` (trailing blanks dropped) that a variable of
// `length` bytes keeps: cut at a character boundary when longer.
std::string_view cut_to_length(std::string_view value, int length);

// "the row has 3 values, but the header names 4 variables"
std::string row_width_mismatch(size_t values, size_t variables);

// Values of a variable of declared length long enough to be cut, by what
// is kept of them: the first full value and its line for each.  A cut at a
// character boundary keeps at least N - 3 bytes, so shorter values can never
// meet a cut one.
using LongValues = std::map<std::string, std::pair<std::string, int64_t>, std::less<>>;
// Records a value of a variable of declared length: the first cut value,
// and the first two different values that become the same when cut
// (`line` is the line or observation that holds it).
void note_declared_length(VarSpec& var_def, LongValues& long_values, std::string_view value, int64_t line);

// Forgets remembered passes (tests, end of program).
void clear_schema_cache();

}  // namespace qmlp::host::data
