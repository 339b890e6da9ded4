// names.h -- the host's identifiers: data set, library and variable names.
//
// A name is 1 to 32 characters, letters, digits and underscores, not starting
// with a digit.  Names compare without regard to case.
#pragma once

#include <cstring>
#include <string>
#include <string_view>

namespace qmlp::host::data {

inline constexpr int kMaxNameLength = 32;

bool is_valid_name(std::string_view name);
std::string to_upper(std::string_view text);
std::string to_lower(std::string_view text);
bool equal_ignore_case(std::string_view a, std::string_view b);
// The text without trailing blanks (and NUL bytes, which fixed-width fields
// sometimes carry instead of blanks).
std::string_view trim_right_blanks(std::string_view text);
// The text without leading and trailing blanks and tabs.
std::string_view trim_blanks(std::string_view text);

// A zero-terminated field of a fixed-size array, never read past its end.
template <size_t N>
std::string_view fixed_field(const char (&field)[N]) {
    return std::string_view(field, strnlen(field, N));
}

}  // namespace qmlp::host::data
