// lexer.h -- the tokens of one statement.
//
// Words are a letter or "_" followed by letters, digits and "_".  Numbers
// are digits with an optional decimal point and exponent (".5", "1e-6",
// "2.");  a sign is never part of a number: "-" is punctuation, and the
// parser joins a sign to the number that follows where a value is
// expected.  Quoted strings lose their quotes, and a doubled quote inside
// stands for one.  Every other character is a one-character punctuation
// token.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qmlp::front {

enum class TokenKind { Word, Number, String, Punct, End };

struct Token {
    TokenKind kind = TokenKind::End;
    std::string text;   // Word: as written; Number: as written; String: the
                        // value without quotes; Punct: the character
    double number = 0;  // Number: its value (infinite when out of range)
    size_t offset = 0;  // byte offset in the statement text
};

// Tokens of `text`, ended by one End token.  An unclosed quote makes the
// rest of the text one String token and sets *unclosed_quote.
std::vector<Token> tokenize(std::string_view text, bool* unclosed_quote = nullptr);

// How a token reads in a message: words upper-cased, strings quoted,
// "end of statement" for End.
std::string token_display(const Token& token);

// A statement text cut for a message: at most kMessageTextMax characters,
// "..." marking a cut.
constexpr size_t kMessageTextMax = 300;
std::string message_text(std::string_view text);

std::string to_upper(std::string_view s);
bool iequals(std::string_view a, std::string_view b);
bool is_name_start(char c);
bool is_name_char(char c);

}  // namespace qmlp::front
