// lexer.cpp -- statement tokens.
#include "front/lexer.h"

#include "host_api.h"

#include <cstdlib>

namespace qmlp::front {

bool is_name_start(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool is_name_char(char c) { return is_name_start(c) || (c >= '0' && c <= '9'); }

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

// Length of the number starting at text[i] (0 when there is none).
size_t number_length(std::string_view text, size_t i) {
    size_t j = i;
    bool digits = false;
    while (j < text.size() && is_digit(text[j])) {
        ++j;
        digits = true;
    }
    if (j < text.size() && text[j] == '.') {
        size_t k = j + 1;
        bool frac = false;
        while (k < text.size() && is_digit(text[k])) {
            ++k;
            frac = true;
        }
        if (digits || frac) {
            j = k;
            digits = true;
        }
    }
    if (!digits) return 0;
    if (j < text.size() && (text[j] == 'e' || text[j] == 'E')) {
        size_t k = j + 1;
        if (k < text.size() && (text[k] == '+' || text[k] == '-')) ++k;
        if (k < text.size() && is_digit(text[k])) {
            while (k < text.size() && is_digit(text[k])) ++k;
            j = k;
        }
    }
    return j - i;
}

// Out-of-range numbers read as infinity (too large) or zero (too small),
// so that the option checks judge the value as written.  The program never
// changes the C locale, so the decimal point is always ".".
double number_value(const std::string& s) { return std::strtod(s.c_str(), nullptr); }

}  // namespace

std::vector<Token> tokenize(std::string_view text, bool* unclosed_quote) {
    std::vector<Token> out;
    if (unclosed_quote) *unclosed_quote = false;
    size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (is_blank(c)) {
            ++i;
            continue;
        }
        Token t;
        t.offset = i;
        if (is_name_start(c)) {
            size_t j = i + 1;
            while (j < text.size() && is_name_char(text[j])) ++j;
            t.kind = TokenKind::Word;
            t.text = std::string(text.substr(i, j - i));
            i = j;
        } else if (size_t n = number_length(text, i); n > 0) {
            t.kind = TokenKind::Number;
            t.text = std::string(text.substr(i, n));
            t.number = number_value(t.text);
            i += n;
        } else if (c == '\'' || c == '"') {
            t.kind = TokenKind::String;
            size_t j = i + 1;
            bool closed = false;
            while (j < text.size()) {
                if (text[j] == c) {
                    if (j + 1 < text.size() && text[j + 1] == c) {
                        t.text += c;
                        j += 2;
                        continue;
                    }
                    closed = true;
                    ++j;
                    break;
                }
                t.text += text[j++];
            }
            if (!closed && unclosed_quote) *unclosed_quote = true;
            i = j;
        } else {
            t.kind = TokenKind::Punct;
            t.text = std::string(1, c);
            ++i;
        }
        out.push_back(std::move(t));
    }
    Token end;
    end.offset = text.size();
    out.push_back(end);
    return out;
}

std::string message_text(std::string_view text) {
    // Line breaks and tabs of a statement read as blanks; any other control
    // byte, or a byte that is not UTF-8, is shown escaped, never sent raw.
    std::string flat(text);
    for (char& c : flat)
        if (c == '\n' || c == '\r' || c == '\t') c = ' ';
    return host::printable_text(flat, kMessageTextMax);
}

std::string to_upper(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

bool iequals(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
        if (x != y) return false;
    }
    return true;
}

std::string token_display(const Token& token) {
    switch (token.kind) {
        case TokenKind::Word: return host::printable_text(to_upper(token.text));
        case TokenKind::Number: return token.text;
        case TokenKind::String: return "'" + host::printable_text(token.text) + "'";
        case TokenKind::Punct: return "\"" + host::printable_text(token.text) + "\"";
        case TokenKind::End: return "the end of the statement";
    }
    return token.text;
}

}  // namespace qmlp::front
