// note_format.cpp -- the note line formatter (see note_format.h).
#include "output/note_format.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace qmlp::host::output {
namespace {

enum class Length { None, Char, Short, Long, LongLong, LongDouble, Max, Ptrdiff };

// snprintf of one directive into a growing string.
template <typename T>
void append_formatted(std::string& out, const std::string& spec, T value) {
    char small[128];
    const int n = std::snprintf(small, sizeof small, spec.c_str(), value);
    if (n < 0) return;
    if (static_cast<size_t>(n) < sizeof small) {
        out.append(small, static_cast<size_t>(n));
        return;
    }
    std::vector<char> big(static_cast<size_t>(n) + 1);
    std::snprintf(big.data(), big.size(), spec.c_str(), value);
    out.append(big.data(), static_cast<size_t>(n));
}

}  // namespace

NoteText format_note(const char* format, va_list ap_in) {
    NoteText result;
    if (format == nullptr) return result;
    va_list ap;
    va_copy(ap, ap_in);
    std::string& out = result.text;

    for (const char* p = format; *p != '\0'; ++p) {
        if (*p != '%') {
            out += *p;
            continue;
        }
        const char* start = p++;
        std::string spec = "%";
        while (*p != '\0' && std::strchr("-+ #0", *p) != nullptr) spec += *p++;
        if (*p == '*') {
            spec += std::to_string(va_arg(ap, int));
            ++p;
        } else {
            while (*p >= '0' && *p <= '9') spec += *p++;
        }
        if (*p == '.') {
            spec += *p++;
            if (*p == '*') {
                spec += std::to_string(va_arg(ap, int));
                ++p;
            } else {
                while (*p >= '0' && *p <= '9') spec += *p++;
            }
        }
        Length length = Length::None;
        std::string length_text;
        if (*p == 'h') {
            length_text += *p++;
            length = Length::Short;
            if (*p == 'h') {
                length_text += *p++;
                length = Length::Char;
            }
        } else if (*p == 'l') {
            length_text += *p++;
            length = Length::Long;
            if (*p == 'l') {
                length_text += *p++;
                length = Length::LongLong;
            }
        } else if (*p == 'L') {
            length_text += *p++;
            length = Length::LongDouble;
        } else if (*p == 'j') {
            length_text += *p++;
            length = Length::Max;
        } else if (*p == 't') {
            length_text += *p++;
            length = Length::Ptrdiff;
        }
        const char conv = *p;
        if (conv == '\0') {
            out.append(start);
            break;
        }
        switch (conv) {
            case '%': out += '%'; break;
            case 'z': result.note_prefix = true; break;
            case 'd':
            case 'i': {
                spec += length_text;
                spec += conv;
                if (length == Length::Long)
                    append_formatted(out, spec, va_arg(ap, long));
                else if (length == Length::LongLong)
                    append_formatted(out, spec, va_arg(ap, long long));
                else if (length == Length::Max)
                    append_formatted(out, spec, va_arg(ap, intmax_t));
                else if (length == Length::Ptrdiff)
                    append_formatted(out, spec, va_arg(ap, std::ptrdiff_t));
                else
                    append_formatted(out, spec, va_arg(ap, int));
                break;
            }
            case 'u':
            case 'o':
            case 'x':
            case 'X': {
                spec += length_text;
                spec += conv;
                if (length == Length::Long)
                    append_formatted(out, spec, va_arg(ap, unsigned long));
                else if (length == Length::LongLong)
                    append_formatted(out, spec, va_arg(ap, unsigned long long));
                else if (length == Length::Max)
                    append_formatted(out, spec, va_arg(ap, uintmax_t));
                else if (length == Length::Ptrdiff)
                    append_formatted(out, spec, va_arg(ap, std::ptrdiff_t));
                else
                    append_formatted(out, spec, va_arg(ap, unsigned int));
                break;
            }
            case 'e':
            case 'E':
            case 'f':
            case 'F':
            case 'g':
            case 'G': {
                if (length == Length::LongDouble) {
                    spec += 'L';
                    spec += conv;
                    append_formatted(out, spec, va_arg(ap, long double));
                } else {
                    spec += conv;
                    append_formatted(out, spec, va_arg(ap, double));
                }
                break;
            }
            case 'c':
                spec += 'c';
                append_formatted(out, spec, va_arg(ap, int));
                break;
            case 's': {
                const char* s = va_arg(ap, const char*);
                spec += 's';
                append_formatted(out, spec, s != nullptr ? s : "(null)");
                break;
            }
            case 'p':
                spec += 'p';
                append_formatted(out, spec, va_arg(ap, void*));
                break;
            default:
                // Unknown directives (and %n) are shown as written.
                out.append(start, static_cast<size_t>(p - start + 1));
                break;
        }
    }
    va_end(ap);
    return result;
}

}  // namespace qmlp::host::output
