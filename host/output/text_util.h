// text_util.h -- small text helpers shared by the output part.
#pragma once

#include <cstring>
#include <string>
#include <string_view>

namespace qmlp::host::output {

// Text of a counted (possibly blank padded, possibly unterminated) buffer:
// len < 0 means zero terminated; the text ends at an embedded zero byte.
inline std::string counted_text(const char* s, int len) {
    if (s == nullptr) return {};
    size_t n = len < 0 ? std::strlen(s) : static_cast<size_t>(len);
    const void* zero = std::memchr(s, '\0', n);
    if (zero != nullptr) n = static_cast<size_t>(static_cast<const char*>(zero) - s);
    return std::string(s, n);
}

inline std::string rtrim(std::string_view s) {
    size_t end = s.size();
    while (end > 0 && (s[end - 1] == ' ' || s[end - 1] == '\0')) --end;
    return std::string(s.substr(0, end));
}

inline std::string trim(std::string_view s) {
    size_t begin = 0;
    while (begin < s.size() && s[begin] == ' ') ++begin;
    return rtrim(s.substr(begin));
}

inline bool is_blank(std::string_view s) { return trim(s).empty(); }

// Display width of UTF-8 text: code points, not bytes.
inline size_t display_width(std::string_view s) {
    size_t n = 0;
    for (unsigned char c : s)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

inline std::string pad_right(std::string_view s, size_t width) {
    std::string out(s);
    const size_t w = display_width(s);
    if (w < width) out.append(width - w, ' ');
    return out;
}

inline std::string pad_left(std::string_view s, size_t width) {
    const size_t w = display_width(s);
    std::string out;
    if (w < width) out.append(width - w, ' ');
    out += s;
    return out;
}

inline std::string center(std::string_view s, size_t width) {
    const size_t w = display_width(s);
    if (w >= width) return std::string(s);
    return std::string((width - w) / 2, ' ') + std::string(s);
}

}  // namespace qmlp::host::output
