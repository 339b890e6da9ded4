// lp_tokens.h -- the tokens of an LP-format text.
//
// The format is free of line structure except in two ways: a section keyword
// counts only as the first word of a line, and a backslash starts a comment
// that runs to the end of its line.  So the text is cut into tokens that
// remember their line and whether they open it, and the reader works on the
// token stream.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "mps/mps_lines.h"

namespace qmlp::host::lp {

enum class TokenKind : uint8_t {
    Name,          // a row, column or set name, or a keyword
    Number,        // an unsigned decimal number
    Plus,          // +
    Minus,         // -
    Colon,         // :
    DoubleColon,   // ::
    LessEqual,     // <=, =<, <
    GreaterEqual,  // >=, =>, >
    Equal,         // =
    Other,         // any other character (quadratic brackets, '*', '^', ...)
    End            // end of the text
};

struct Token {
    TokenKind kind = TokenKind::End;
    std::string text;         // as written
    double value = 0.0;       // Number only
    int64_t line = 0;         // 1-based
    bool opens_line = false;  // first token of its line
};

// Cuts the whole text into tokens, the End token last.  False on an input
// failure or a malformed number (a number outside the range of doubles),
// with `error` and `error_line` set.
bool tokenize(mps::LineSource& source, std::vector<Token>& tokens, std::string& error, int64_t& error_line);

// Characters that may continue a name (letters, digits and the format's
// punctuation); a name may not start with a digit or a period.
bool is_name_char(char c);
bool is_name_start(char c);

}  // namespace qmlp::host::lp
