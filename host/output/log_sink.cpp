// log_sink.cpp -- the log: numbered messages, note lines and host errors.
#include "output/log_sink.h"

#include <cerrno>
#include <cstring>

#include "output/progress_line.h"
#include "output/staged_output.h"

namespace qmlp::host {
namespace output {
namespace {

std::FILE* g_log = nullptr;  // nullptr = standard error
bool g_owned = false;
StagedOutput g_staged;  // the log file, staged beside an existing target
std::string g_log_path;  // empty = standard error
std::string g_failure;   // the reason of the first failed write, if any

void write_text(std::string_view text) {
    std::FILE* f = log_stream();
    const bool shared = progress_shares_terminal(f);
    if (shared) progress_clear();
    errno = 0;
    const bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    if ((!written || std::fflush(f) != 0) && g_failure.empty()) g_failure = std::strerror(errno != 0 ? errno : EIO);
    if (shared) progress_redraw();
}

}  // namespace

std::FILE* log_stream() { return g_log != nullptr ? g_log : stderr; }

bool log_open(const std::string& path) {
    log_close();
    g_failure.clear();
    if (path.empty()) return true;
    std::string why;
    std::FILE* f = g_staged.open(path, &why);
    if (f == nullptr) {
        write_text(fold_message(severity_prefix(Severity::Error),
                                "The log file " + path + " cannot be opened (" + why + ")."));
        return false;
    }
    g_log = f;
    g_owned = true;
    g_log_path = path;
    g_failure.clear();
    return true;
}

bool log_close() {
    bool ok = true;
    if (g_log != nullptr && g_owned) {
        if (std::fflush(g_log) != 0 && g_failure.empty()) g_failure = std::strerror(errno);
        std::string why;
        if (!g_staged.commit("log", &why)) {
            // The log file is gone: the last word goes to standard error.
            g_log = nullptr;
            write_text(fold_message(severity_prefix(Severity::Error), why));
            ok = false;
        }
    }
    g_log = nullptr;
    g_owned = false;
    g_log_path.clear();
    return ok;
}

bool log_check_written() {
    if (g_failure.empty()) return true;
    const std::string where = g_log_path.empty() ? "standard error" : "the log file " + g_log_path;
    const std::string line = "ERROR: The log could not be written completely to " + where + " (" + g_failure + ").\n";
    std::fwrite(line.data(), 1, line.size(), stderr);  // the log itself cannot take it
    std::fflush(stderr);
    return false;
}

const char* severity_prefix(Severity severity) {
    switch (severity) {
        case Severity::Warning: return "WARNING: ";
        case Severity::Error: return "ERROR: ";
        case Severity::Note:
        default: return "NOTE: ";
    }
}

std::string fold_message(std::string_view prefix, std::string_view text, size_t width) {
    const std::string indent(kLogContinuationIndent, ' ');
    std::string out;
    std::string line(prefix);
    bool line_has_words = false;

    auto end_line = [&]() {
        while (!line.empty() && line.back() == ' ') line.pop_back();
        out += line;
        out += '\n';
        line = indent;
        line_has_words = false;
    };

    size_t i = 0;
    while (i <= text.size()) {
        if (i == text.size()) break;
        if (text[i] == '\n') {
            end_line();
            ++i;
            continue;
        }
        // The next word with the blanks in front of it.
        size_t j = i;
        while (j < text.size() && text[j] == ' ') ++j;
        size_t k = j;
        while (k < text.size() && text[k] != ' ' && text[k] != '\n') ++k;
        const std::string_view blanks = text.substr(i, j - i);
        const std::string_view word = text.substr(j, k - j);
        if (line_has_words && line.size() + blanks.size() + word.size() > width) {
            end_line();
            line += word;
        } else {
            line += blanks;
            line += word;
        }
        if (!word.empty()) line_has_words = true;
        i = k;
    }
    if (line_has_words || out.empty()) end_line();
    return out;
}

}  // namespace output

void log_line(Severity severity, std::string_view text) {
    output::write_text(output::fold_message(output::severity_prefix(severity), text));
}

std::string printable_text(std::string_view text, size_t limit) {
    static const char* const kHex = "0123456789ABCDEF";
    std::string out;
    size_t i = 0;
    while (i < text.size()) {
        if (out.size() >= limit) {
            out += "...";
            break;
        }
        const auto byte = static_cast<unsigned char>(text[i]);
        // The length of a well-formed UTF-8 sequence starting here, or 0.
        size_t length = 0;
        if (byte >= 0x20 && byte < 0x7F)
            length = 1;
        else if (byte >= 0xC2 && byte <= 0xDF)
            length = 2;
        else if (byte >= 0xE0 && byte <= 0xEF)
            length = 3;
        else if (byte >= 0xF0 && byte <= 0xF4)
            length = 4;
        for (size_t k = 1; k < length; ++k)
            if (i + k >= text.size() || (static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) length = 0;
        if (length == 0) {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
            ++i;
            continue;
        }
        out.append(text.substr(i, length));
        i += length;
    }
    return out;
}

void log_raw(std::string_view line) {
    std::string text(line);
    if (text.empty() || text.back() != '\n') text += '\n';
    output::write_text(text);
}

}  // namespace qmlp::host
