// message_vector.cpp -- vector 1 of the host object: numbered messages,
// catalogue texts, note lines and flush.
#include <cstdarg>
#include <cstring>
#include <string>
#include <vector>

#include "host_api.h"
#include "output/catalogue.h"
#include "output/log_sink.h"
#include "output/note_format.h"

namespace qmlp::host {
namespace {

int message_entry(int facility, int number, int nargs, const TymArg* args) {
    std::vector<TymArg> list;
    if (nargs > 0 && args != nullptr) list.assign(args, args + nargs);
    const output::MessageEntry* entry = facility == output::kMessageFacility ? output::find_message(number) : nullptr;
    if (entry == nullptr) {
        // A number without a text is our own omission: say so, and still
        // show what the module wanted to tell.
        std::string text =
            "Message " + std::to_string(facility) + "/" + std::to_string(number) + " has no text in the host catalogue";
        for (size_t k = 0; k < list.size(); ++k) text += (k == 0 ? ": " : ", ") + output::render_arg(list[k]);
        text += ".";
        log_line(Severity::Warning, text);
        return 0;
    }
    log_line(entry->severity, output::render_message(*entry, list));
    return 0;
}

int catalogue_text_entry(int group, int number, const TymArg* arg, char* buf, int buflen) {
    const std::optional<std::string> text = catalogue_label(group, number, arg);
    if (!text || buf == nullptr || buflen <= 0) return -1;
    const size_t n = std::min(text->size(), static_cast<size_t>(buflen - 1));
    std::memcpy(buf, text->data(), n);
    buf[n] = '\0';
    return static_cast<int>(n);
}

int note_entry(const char* format, ...) {
    va_list ap;
    va_start(ap, format);
    output::NoteText note = output::format_note(format, ap);
    va_end(ap);
    while (!note.text.empty() && note.text.back() == '\n') note.text.pop_back();
    if (note.note_prefix) {
        log_line(Severity::Note, note.text);
        return 0;
    }
    size_t start = 0;
    while (true) {
        const size_t nl = note.text.find('\n', start);
        log_raw(std::string_view(note.text).substr(start, nl - start));
        if (nl == std::string::npos) break;
        start = nl + 1;
    }
    return 0;
}

int flush_entry() {
    output_flush();
    return 0;
}

const TymMessageVector kMessageVector = {sizeof(TymMessageVector), message_entry, catalogue_text_entry, note_entry,
                                         flush_entry};

}  // namespace

const TymMessageVector* message_vector() { return &kMessageVector; }

}  // namespace qmlp::host
