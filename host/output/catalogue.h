// catalogue.h -- the host's message catalogue (facility 202) and label
// catalogue (group 253), kept as data tables.
//
// A text refers to its arguments by position: "%1" is the first argument,
// "%2" the second, and so on ("%%" is a percent sign).  Each message entry
// also lists the arguments the module passes, one letter each:
//   i  an integer          d  a double (printed in best format)
//   s  a text              n  the length of the text that follows; it is
//                             consumed but never printed
// A module may pass a text's length either as its own argument or only in
// the text argument itself; rendering accepts both (see render_message).
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "host_api.h"

namespace qmlp::host::output {

constexpr int kMessageFacility = 202;
constexpr int kLabelGroup = 253;

struct MessageEntry {
    int number;
    Severity severity;
    const char* args;  // one letter per argument (i, d, s, n)
    const char* text;
    // Used instead of text when every printed argument is blank (an option
    // check text may be a single blank); nullptr = none.
    const char* blank_text = nullptr;
};

struct LabelEntry {
    int number;
    const char* text;  // may hold "%1", replaced by the one argument
};

std::span<const MessageEntry> message_table();
std::span<const LabelEntry> label_table();

const MessageEntry* find_message(int number);
const LabelEntry* find_label(int number);

// An argument as the log shows it: integers in decimal, doubles in best
// format without padding, texts without trailing blanks.
std::string render_arg(const TymArg& arg);

// Replaces "%k" by values[k-1] (a missing value shows as "?") and "%%" by "%".
std::string substitute(std::string_view text, const std::vector<std::string>& values);

// The message text with the arguments substituted.  When fewer arguments
// arrive than the entry lists and their count equals the number of printed
// (non-length) arguments, they are matched to the printed ones in order.
std::string render_message(const MessageEntry& entry, const std::vector<TymArg>& args);

// Highest "%k" a text refers to (0 when none).
int highest_placeholder(std::string_view text);

}  // namespace qmlp::host::output
