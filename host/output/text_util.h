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

// A subtitle as a reader sees it.  A subtitle that begins with "/" is a
// sequence of texts, each preceded by "/" ("/Phase 2/Optimal"): its parts
// are shown separated by " / " without the leading mark ("Phase 2 /
// Optimal").  Any other subtitle is shown as it is, trimmed.
inline std::string display_subtitle(std::string_view s) {
    const std::string text = trim(s);
    if (text.empty() || text[0] != '/') return text;
    std::string out;
    size_t start = 1;
    while (start <= text.size()) {
        size_t end = text.find('/', start);
        if (end == std::string::npos) end = text.size();
        const std::string part = trim(std::string_view(text).substr(start, end - start));
        if (!part.empty()) out += (out.empty() ? "" : " / ") + part;
        start = end + 1;
    }
    return out;
}

}  // namespace qmlp::host::output
