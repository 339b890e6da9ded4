// mps_fields.h -- splitting an MPS data line into fields, and the value and
// name checks every section shares.
//
// An MPS line can be written in two ways.  Free form separates fields by
// blanks, so names cannot contain blanks.  Fixed form places fields in fixed
// columns (2-3, 5-12, 15-22, 25-36, 40-47, 50-61), so names may contain
// blanks and a field may be empty.  The reader tries the fixed reading when
// a line fits the fixed columns and falls back to the free reading.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace qmlp::host::mps {

inline constexpr int kFixedFieldCount = 6;
using FixedFields = std::array<std::string_view, kFixedFieldCount>;

// Tokens separated by blanks or tabs.
std::vector<std::string_view> split_free(std::string_view line);

// The six fixed fields, each trimmed; false when the line has non-blank
// characters between the fields, past column 61, or a tab.
bool split_fixed(std::string_view line, FixedFields& fields);

// A number as MPS files write it: optional sign (a leading '+' too),
// digits, decimal point, exponent with E or D, or "inf"/"infinity".  Not a
// number, "nan" or a value outside the double range: false.
bool parse_number(std::string_view text, double& value);

// Empty when `name` is acceptable as a row, column or set name, otherwise
// the reason: too long, or a character outside printable ASCII (such names
// could not be written to, or read back from, the data set unchanged).
std::string check_name(std::string_view name);

// Shortest text that reads back to exactly `value` ("inf", "-inf" for
// infinities).
std::string format_number(double value);

// `text` in single quotes for an error message, bytes outside printable
// ASCII shown as '?'.
std::string quoted(std::string_view text);

// Upper-cased copy, for keywords.
std::string upper(std::string_view text);

// Trimmed of blanks and tabs on both sides.
std::string_view trim(std::string_view text);

}  // namespace qmlp::host::mps
