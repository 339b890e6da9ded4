// lp_tokens.cpp -- cutting an LP-format text into tokens.
#include "lp/lp_tokens.h"

#include <cstring>

#include "mps/mps_fields.h"

namespace qmlp::host::lp {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Punctuation the format allows inside names.
constexpr const char* kNamePunctuation = "!\"#$%&()/,.;?@_'{}|~";

// The length of the number that starts at `at`: digits with at most one
// decimal point, then an exponent only when digits follow it, so that
// "2e" followed by a blank is the number 2 and the name e.
std::size_t number_length(const std::string& line, std::size_t at) {
    std::size_t i = at;
    bool digits = false;
    while (i < line.size() && is_digit(line[i])) {
        ++i;
        digits = true;
    }
    if (i < line.size() && line[i] == '.') {
        ++i;
        while (i < line.size() && is_digit(line[i])) {
            ++i;
            digits = true;
        }
    }
    if (!digits) return 0;
    if (i < line.size() && (line[i] == 'e' || line[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < line.size() && (line[j] == '+' || line[j] == '-')) ++j;
        if (j < line.size() && is_digit(line[j])) {
            while (j < line.size() && is_digit(line[j])) ++j;
            i = j;
        }
    }
    return i - at;
}

}  // namespace

bool is_name_char(char c) {
    return is_letter(c) || is_digit(c) || (c != '\0' && std::strchr(kNamePunctuation, c) != nullptr);
}

bool is_name_start(char c) { return is_name_char(c) && !is_digit(c) && c != '.'; }

bool tokenize(mps::LineSource& source, std::vector<Token>& tokens, std::string& error, int64_t& error_line) {
    std::string line;
    int64_t line_number = 0;
    for (;;) {
        const int got = source.next(line);
        if (got < 0) {
            error = source.error();
            error_line = line_number + 1;
            return false;
        }
        if (got == 0) break;
        ++line_number;
        bool first = true;
        std::size_t i = 0;
        while (i < line.size()) {
            const char c = line[i];
            if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
                ++i;
                continue;
            }
            if (c == '\\') break;  // a comment to the end of the line
            Token token;
            token.line = line_number;
            token.opens_line = first;
            first = false;
            const std::size_t length = number_length(line, i);
            if (length > 0) {
                token.kind = TokenKind::Number;
                token.text = line.substr(i, length);
                if (!mps::parse_number(token.text, token.value)) {
                    error = "number " + mps::quoted(token.text) + " is outside the range of floating-point numbers";
                    error_line = line_number;
                    return false;
                }
                i += length;
            } else if (is_name_start(c)) {
                std::size_t j = i;
                while (j < line.size() && is_name_char(line[j])) ++j;
                token.kind = TokenKind::Name;
                token.text = line.substr(i, j - i);
                i = j;
            } else {
                const char next = i + 1 < line.size() ? line[i + 1] : '\0';
                std::size_t width = 1;
                switch (c) {
                    case '+': token.kind = TokenKind::Plus; break;
                    case '-': token.kind = TokenKind::Minus; break;
                    case ':':
                        if (next == ':') width = 2;
                        token.kind = width == 2 ? TokenKind::DoubleColon : TokenKind::Colon;
                        break;
                    case '<':
                        if (next == '=') width = 2;
                        token.kind = TokenKind::LessEqual;
                        break;
                    case '>':
                        if (next == '=') width = 2;
                        token.kind = TokenKind::GreaterEqual;
                        break;
                    case '=':
                        if (next == '<' || next == '>') width = 2;
                        token.kind = next == '<'   ? TokenKind::LessEqual
                                     : next == '>' ? TokenKind::GreaterEqual
                                                   : TokenKind::Equal;
                        break;
                    default: token.kind = TokenKind::Other; break;
                }
                token.text = line.substr(i, width);
                i += width;
            }
            tokens.push_back(std::move(token));
        }
    }
    Token end;
    end.kind = TokenKind::End;
    end.line = line_number;
    end.opens_line = true;
    tokens.push_back(end);
    return true;
}

}  // namespace qmlp::host::lp
