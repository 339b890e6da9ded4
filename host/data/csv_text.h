// csv_text.h -- character values and names as text in a data set file.
#pragma once

#include <string>
#include <string_view>

namespace qmlp::host::data {

// Appends a blank-padded character value as one field: trailing blanks
// (and NUL bytes) dropped, bytes that are not UTF-8 replaced by '?' (a
// character cut at the end of a fixed-width field is dropped), and the
// value quoted when it holds a comma, a quote or a line break.
void append_text_field(std::string& out, std::string_view raw);

// A blank-padded character value as clean text: trailing blanks (and NUL
// bytes) dropped, bytes that are not UTF-8 replaced as above.
std::string clean_utf8(std::string_view raw);

// A valid variable name made from `name`: letters, digits and underscores
// kept, every other byte turned into '_', a leading digit prefixed with
// '_', and the whole cut to 32 characters.
std::string make_valid_name(std::string_view name);

}  // namespace qmlp::host::data
