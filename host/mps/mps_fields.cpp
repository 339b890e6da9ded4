// mps_fields.cpp -- field splitting, numbers and names of MPS lines.
#include "mps/mps_fields.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "mps/mps_model.h"

namespace qmlp::host::mps {

namespace {

// Zero-based [begin, end) columns of the six fixed fields.
constexpr std::size_t kFieldBegin[kFixedFieldCount] = {1, 4, 14, 24, 39, 49};
constexpr std::size_t kFieldEnd[kFixedFieldCount] = {3, 12, 22, 36, 47, 61};

bool is_blank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::string_view trim(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && is_blank(text[begin])) ++begin;
    while (end > begin && is_blank(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

std::vector<std::string_view> split_free(std::string_view line) {
    std::vector<std::string_view> tokens;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && is_blank(line[i])) ++i;
        std::size_t start = i;
        while (i < line.size() && !is_blank(line[i])) ++i;
        if (i > start) tokens.push_back(line.substr(start, i - start));
    }
    return tokens;
}

bool split_fixed(std::string_view line, FixedFields& fields) {
    if (line.find('\t') != std::string_view::npos) return false;
    std::size_t column = 0;
    for (int f = 0; f < kFixedFieldCount; ++f) {
        // The gap before the field must be blank.
        for (; column < kFieldBegin[f] && column < line.size(); ++column) {
            if (line[column] != ' ') return false;
        }
        if (kFieldBegin[f] >= line.size()) {
            fields[f] = {};
        } else {
            std::size_t end = std::min(kFieldEnd[f], line.size());
            fields[f] = trim(line.substr(kFieldBegin[f], end - kFieldBegin[f]));
        }
        column = kFieldEnd[f];
    }
    for (; column < line.size(); ++column) {
        if (line[column] != ' ') return false;
    }
    return true;
}

bool parse_number(std::string_view text, double& value) {
    if (text.empty()) return false;
    std::string buffer(text);
    std::size_t start = 0;
    if (buffer[0] == '+') {
        start = 1;
        // "+-1" or "++1" are not numbers.
        if (buffer.size() == 1 || buffer[1] == '-' || buffer[1] == '+') return false;
    }
    // Fortran-style exponent: 1.5D+03.
    bool digits = false;
    for (std::size_t i = start; i < buffer.size(); ++i) {
        char c = buffer[i];
        if (c >= '0' && c <= '9') digits = true;
        if ((c == 'D' || c == 'd') && digits) buffer[i] = 'E';
    }
    const char* first = buffer.data() + start;
    const char* last = buffer.data() + buffer.size();
    auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::general);
    if (ec != std::errc() || ptr != last) return false;
    return !std::isnan(value);
}

std::string check_name(std::string_view name) {
    if (name.size() > kMaxNameLength) {
        return "name longer than " + std::to_string(kMaxNameLength) + " characters";
    }
    for (char c : name) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || u > 0x7e) return "name contains a character outside printable ASCII";
    }
    return {};
}

// A piece of the input inside an error message, quoted; bytes outside
// printable ASCII are shown as '?' so that a damaged file cannot send
// control sequences to the terminal.
std::string quoted(std::string_view text) {
    std::string out = "'";
    for (char c : text) {
        const unsigned char u = static_cast<unsigned char>(c);
        out += (u < 0x20 || u > 0x7e) ? '?' : c;
    }
    return out + "'";
}

std::string format_number(double value) {
    char buffer[64];
    auto [ptr, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return ec == std::errc() ? std::string(buffer, ptr) : std::string("?");
}

std::string upper(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

}  // namespace qmlp::host::mps
