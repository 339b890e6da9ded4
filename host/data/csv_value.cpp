#include "data/csv_value.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <system_error>

#include "data/names.h"
#include "host_api.h"

namespace qmlp::host::data {
namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The letter of a special missing value ".X", or 0.
char special_missing_letter(std::string_view text) {
    if (text.size() != 2 || text[0] != '.') return 0;
    char c = text[1];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if ((c >= 'A' && c <= 'Z') || c == '_') return c;
    return 0;
}

}  // namespace

ValueClass classify_value(std::string_view field, double* value) {
    const std::string_view text = trim_blanks(field);
    if (text.empty() || text == ".") {
        *value = missing_value('.');
        return ValueClass::Missing;
    }
    if (char letter = special_missing_letter(text)) {
        *value = missing_value(letter);
        return ValueClass::Missing;
    }
    std::string_view digits = text;
    if (digits.front() == '+') {
        digits.remove_prefix(1);
        if (!digits.empty() && digits.front() == '-') return ValueClass::Text;
    }
    const size_t first = (!digits.empty() && digits.front() == '-') ? 1 : 0;
    // The number must start with a digit or a point and a digit: this keeps
    // out "inf", "nan" and a lone sign, which the conversion would accept.
    if (digits.size() <= first) return ValueClass::Text;
    const char lead = digits[first];
    if (!is_digit(lead) && !(lead == '.' && digits.size() > first + 1 && is_digit(digits[first + 1])))
        return ValueClass::Text;
    double parsed = 0;
    const char* end = digits.data() + digits.size();
    auto [ptr, ec] = std::from_chars(digits.data(), end, parsed, std::chars_format::general);
    if (ptr != end) return ValueClass::Text;
    if (ec == std::errc::result_out_of_range) {
        // Either an overflow or an underflow; strtod tells them apart and
        // rounds an underflow to the nearest subnormal or zero.
        const std::string copy(digits);
        parsed = std::strtod(copy.c_str(), nullptr);
        if (!std::isfinite(parsed)) return ValueClass::Overflow;
    } else if (ec != std::errc()) {
        return ValueClass::Text;
    }
    *value = parsed;
    return ValueClass::Number;
}

void append_number(std::string& out, double value) {
    if (int letter = missing_letter(value)) {
        out += '.';
        if (letter != '.') out += static_cast<char>(letter);
        return;
    }
    char buf[kMaxNumberText];
    auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, value);
    if (ec != std::errc()) {
        out += '.';
        return;
    }
    out.append(buf, ptr);
}

}  // namespace qmlp::host::data
