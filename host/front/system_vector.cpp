// system_vector.cpp -- clock, formatting, settings, portable integers and
// missing values for the module.
#include "front/system_vector.h"

#include <bit>
#include <chrono>
#include <cstring>
#include <string_view>

#include "front/attention.h"
#include "front/lexer.h"
#include "host_api.h"

namespace qmlp::front {
namespace {

std::map<std::string, std::string>& settings() {
    static std::map<std::string, std::string> table;
    return table;
}

// Blank-pads (or cuts) text into the field: right-aligned or left-aligned.
void put_field(std::string_view text, int width, bool right, char* buf) {
    if (width <= 0) {
        if (buf) buf[0] = '\0';
        return;
    }
    const size_t w = static_cast<size_t>(width);
    std::memset(buf, ' ', w);
    const size_t n = std::min(text.size(), w);
    std::memcpy(buf + (right ? w - n : 0), text.data(), n);
    buf[w] = '\0';
}

int64_t clock_ms() {
    // The module reads the clock in its iteration loops: a good place to
    // notice that the user asked the program to end.
    check_interrupt();
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

int setting(const char* name, char* buf, int buflen) {
    if (!name) return -1;
    auto it = settings().find(to_upper(name));
    if (it == settings().end()) return -1;
    if (buf && buflen > 0) {
        const size_t n = std::min(it->second.size(), static_cast<size_t>(buflen - 1));
        std::memcpy(buf, it->second.data(), n);
        buf[n] = '\0';
    }
    return static_cast<int>(it->second.size());
}

double missing(char which) { return host::missing_value(which); }
int missing_kind(double value) { return host::missing_letter(value); }

const TymSystemVector kSystemVector = {
    sizeof(TymSystemVector), clock_ms,           format_int, format_double, format_name, setting,
    int4_to_portable,        int4_from_portable, missing,    missing_kind, host::progress_line_report};

}  // namespace

void set_host_settings(const std::map<std::string, std::string>& values) {
    settings().clear();
    for (const auto& [k, v] : values) settings()[to_upper(k)] = v;
}

int format_int(int64_t value, int width, char* buf) {
    if (!buf) return 0;
    const std::string text = std::to_string(value);
    if (width > 0 && text.size() > static_cast<size_t>(width)) {
        put_field(std::string(static_cast<size_t>(width), '*'), width, true, buf);  // does not fit
        return width;
    }
    put_field(text, width, true, buf);
    return width < 0 ? 0 : width;
}

int format_double(double value, int width, char* buf) {
    if (!buf) return 0;
    if (width <= 0) {
        buf[0] = '\0';
        return 0;
    }
    std::string text = host::best_format(value, width);
    while (!text.empty() && text.front() == ' ') text.erase(0, 1);
    if (text.size() > static_cast<size_t>(width)) text.assign(static_cast<size_t>(width), '*');  // does not fit
    put_field(text, width, true, buf);
    return width;
}

int format_name(const char* format, int64_t value, int width, char* buf) {
    if (!buf) return 0;
    std::string out;
    bool used = false;
    for (const char* p = format ? format : ""; *p; ++p) {
        if (*p != '%') {
            out += *p;
            continue;
        }
        if (p[1] == '%') {
            out += '%';
            ++p;
            continue;
        }
        // One "%i" / "%-i" / "%d" (a width between is ignored: the name is
        // as long as its number).
        const char* q = p + 1;
        while (*q == '-' || (*q >= '0' && *q <= '9')) ++q;
        if ((*q == 'i' || *q == 'd') && !used) {
            out += std::to_string(value);
            used = true;
            p = q;
        } else {
            out += *p;  // anything else is plain text
        }
    }
    put_field(out, width, false, buf);
    return width < 0 ? 0 : width;
}

uint32_t int4_to_portable(int32_t value) {
    const auto u = static_cast<uint32_t>(value);
    if constexpr (std::endian::native == std::endian::big) return u;
    return ((u & 0xFFu) << 24) | ((u & 0xFF00u) << 8) | ((u >> 8) & 0xFF00u) | (u >> 24);
}

int32_t int4_from_portable(uint32_t value) {
    return static_cast<int32_t>(int4_to_portable(static_cast<int32_t>(value)));
}

const TymSystemVector* system_vector() { return &kSystemVector; }

}  // namespace qmlp::front
