// program_text.h -- reading the text of a program.
//
// A program is read in pieces, so that an input without end (a device, a
// runaway pipe) is refused once one statement grows past the bound instead
// of taking all memory.  A UTF-8 byte-order mark at its start is dropped,
// as the data set reader drops one.
#pragma once

#include <cstddef>
#include <istream>
#include <string>

namespace qmlp::front {

// The longest statement a program may hold, in bytes: as long as the
// longest MPS line or data set value.
inline constexpr std::size_t kMaxStatementBytes = 1 << 20;

enum class ProgramRead { kOk, kReadFailed, kStatementTooLong };

// Reads the whole program from `in` into `text`.  On kStatementTooLong,
// `*line` is the line where the statement that grew too long starts.
ProgramRead read_program_text(std::istream& in, std::string& text, std::size_t* line);

}  // namespace qmlp::front
