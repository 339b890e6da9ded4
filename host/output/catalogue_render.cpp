// catalogue_render.cpp -- argument substitution for catalogue texts and the
// lookup entries of host_api.h.
#include <cctype>
#include <string>

#include "output/catalogue.h"
#include "output/text_util.h"

namespace qmlp::host {
namespace output {

std::string render_arg(const TymArg& arg) {
    switch (arg.type) {
        case TYM_ARG_INT: return std::to_string(arg.v.i);
        case TYM_ARG_DOUBLE: return trim(best_format(arg.v.d, 12));
        case TYM_ARG_TEXT: return rtrim(counted_text(arg.v.s, arg.len));
        default: return "?";
    }
}

std::string substitute(std::string_view text, const std::vector<std::string>& values) {
    std::string out;
    out.reserve(text.size() + 16);
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '%' || i + 1 >= text.size()) {
            out += c;
            continue;
        }
        const char next = text[i + 1];
        if (next == '%') {
            out += '%';
            ++i;
        } else if (next >= '1' && next <= '9') {
            const size_t k = static_cast<size_t>(next - '1');
            out += k < values.size() ? values[k] : std::string("?");
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

int highest_placeholder(std::string_view text) {
    int highest = 0;
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '%') continue;
        if (text[i + 1] == '%') {
            ++i;
        } else if (text[i + 1] >= '1' && text[i + 1] <= '9') {
            highest = std::max(highest, text[i + 1] - '0');
        }
    }
    return highest;
}

std::string render_message(const MessageEntry& entry, const std::vector<TymArg>& args) {
    const std::string_view spec(entry.args);
    std::vector<std::string> values(spec.size());
    size_t printed = 0;
    for (char c : spec)
        if (c != 'n') ++printed;

    if (args.size() < spec.size() && args.size() == printed) {
        // The lengths travelled inside the text arguments only: match the
        // arguments to the printed positions in order.
        size_t next = 0;
        for (size_t k = 0; k < spec.size(); ++k) {
            if (spec[k] == 'n') continue;
            values[k] = render_arg(args[next++]);
        }
    } else {
        values.resize(std::max(spec.size(), args.size()));
        for (size_t k = 0; k < args.size(); ++k) values[k] = render_arg(args[k]);
        for (size_t k = args.size(); k < spec.size(); ++k) values[k] = "?";
    }
    if (entry.blank_text != nullptr) {
        bool all_blank = true;
        for (size_t k = 0; k < spec.size() && k < values.size(); ++k)
            if (spec[k] != 'n' && !values[k].empty()) all_blank = false;
        if (all_blank) return entry.blank_text;
    }
    return substitute(entry.text, values);
}

}  // namespace output

std::optional<std::string> catalogue_message(int facility, int number, const std::vector<TymArg>& args) {
    if (facility != output::kMessageFacility) return std::nullopt;
    const output::MessageEntry* entry = output::find_message(number);
    if (entry == nullptr) return std::nullopt;
    return output::render_message(*entry, args);
}

std::optional<std::string> catalogue_label(int group, int number, const TymArg* arg) {
    if (group != output::kLabelGroup) return std::nullopt;
    const output::LabelEntry* entry = output::find_label(number);
    if (entry == nullptr) return std::nullopt;
    std::vector<std::string> values;
    values.push_back(arg != nullptr ? output::render_arg(*arg) : std::string());
    std::string text = output::substitute(entry->text, values);
    // A label whose argument was not given must not keep the blanks around
    // the empty place.
    if (arg == nullptr && output::highest_placeholder(entry->text) > 0) {
        std::string tidy;
        for (char c : text)
            if (c != ' ' || (!tidy.empty() && tidy.back() != ' ')) tidy += c;
        text = output::rtrim(tidy);
    }
    return text;
}

}  // namespace qmlp::host
