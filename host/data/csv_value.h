// csv_value.h -- numbers and missing values as text in a data set file.
//
// Reading: a field is a number (decimal, optional sign and exponent, blanks
// around it ignored), a missing value (empty, ".", ".A" to ".Z", "._"; the
// letter in either case) or text.  Writing: the shortest text that reads
// back as the very same double, or the missing value's code.
#pragma once

#include <string>
#include <string_view>

namespace qmlp::host::data {

enum class ValueClass {
    Number,    // *value holds it
    Missing,   // *value holds the host's missing value for its letter
    Overflow,  // a number too large for a double
    Text,      // anything else
};

ValueClass classify_value(std::string_view field, double* value);

// Appends the text of a double to `out`.
void append_number(std::string& out, double value);

// Longest text append_number produces (sign, 17 digits, point, exponent).
inline constexpr int kMaxNumberText = 32;

}  // namespace qmlp::host::data
