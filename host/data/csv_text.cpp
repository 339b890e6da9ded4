#include "data/csv_text.h"

#include "data/csv_scanner.h"
#include "data/names.h"

namespace qmlp::host::data {
// The value as clean UTF-8.
std::string clean_utf8(std::string_view raw) {
    std::string text(raw);
    for (char& c : text)
        if (c == '\0') c = ' ';
    text.resize(trim_right_blanks(text).size());
    size_t bad = 0;
    while (!is_valid_utf8(text, &bad)) {
        // A sequence cut short by the end of the field is dropped; any
        // other stray byte becomes '?'.
        size_t lead = bad;
        const auto b = static_cast<unsigned char>(text[lead]);
        const size_t want = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 0;
        bool tail_only = want > 0 && lead + want > text.size();
        for (size_t k = lead + 1; tail_only && k < text.size(); ++k)
            tail_only = (static_cast<unsigned char>(text[k]) & 0xC0) == 0x80;
        if (tail_only) {
            text.resize(lead);
            text.resize(trim_right_blanks(text).size());
        } else {
            text[lead] = '?';
        }
    }
    return text;
}

namespace {

bool needs_quotes(std::string_view text) { return text.find_first_of(",\"\r\n") != std::string_view::npos; }

}  // namespace

void append_text_field(std::string& out, std::string_view raw) {
    const std::string text = clean_utf8(raw);
    if (!needs_quotes(text)) {
        out += text;
        return;
    }
    out += '"';
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

std::string make_valid_name(std::string_view name) {
    std::string out;
    for (char c : name) {
        const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
        out += ok ? c : '_';
    }
    if (out.empty() || (out[0] >= '0' && out[0] <= '9')) out.insert(out.begin(), '_');
    if (out.size() > static_cast<size_t>(kMaxNameLength)) out.resize(kMaxNameLength);
    return out;
}

}  // namespace qmlp::host::data
