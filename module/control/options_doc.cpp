// options_doc.cpp -- the LP statement's options as a Markdown document.
#include "control/options_doc.h"

#include <cmath>
#include <cstdio>
#include <string_view>
#include <vector>

#include "base/ctx_options.h"
#include "control/grammar.h"
#include "control/keyword_table.h"
#include "control/option_slots.h"
#include "control/option_table.h"

namespace tymlp {
namespace {

bool experimental(uint16_t keyword) {
    const std::string_view word = kKeywords[keyword];
    return !word.empty() && word.back() == kExperimentalMark;
}

std::string word_of(uint16_t keyword) { return std::string(kKeywords[keyword]); }

// Options this procedure adds to the LP statement's classic set; the page
// marks them so that a reader knows a program that names none of them
// behaves as before.
constexpr std::string_view kExtensionOptions[] = {"ALGORITHM", "HEURISTICS", "DIVEFREQ", "RELIABILITY",
                                                  "CUTPASSES", "CUTCHECK",   "INVTYPE"};

// Values this procedure adds to a classic option's choices.
struct ExtensionChoice {
    uint16_t slot;
    int value;
};
constexpr ExtensionChoice kExtensionChoices[] = {{kSlotVarselect, kVarReliable}};

bool extension_choice(uint16_t slot, int value) {
    for (const ExtensionChoice& e : kExtensionChoices)
        if (e.slot == slot && e.value == value) return true;
    return false;
}

bool extension(uint16_t keyword) {
    const std::string_view word = kKeywords[keyword];
    for (std::string_view e : kExtensionOptions)
        if (word == e) return true;
    return false;
}

std::string number_text(double v) {
    if (v >= 1.7976931348623157e308) return "largest double";
    if (v <= -1.7976931348623157e308) return "-largest double";
    char text[40];
    std::snprintf(text, sizeof text, "%.10g", v);
    return text;
}

// Options that differ only in their keyword are aliases of one another.
bool same_option(const TymOptionDef& a, const TymOptionDef& b) {
    return a.kind == b.kind && a.bit == b.bit && a.slot == b.slot && a.choice_first == b.choice_first &&
           a.choice_count == b.choice_count;
}

const OptionSpec* spec_for_slot(uint16_t slot) {
    for (int k = 0; k < option_table_size(); ++k)
        if (option_table()[k].slot == slot) return &option_table()[k];
    return nullptr;
}

std::string range_text(const OptionSpec& s) {
    if (s.check_text != nullptr && s.check_text[0] != '\0' &&
        std::string_view(s.check_text).find('<') != std::string_view::npos)
        return std::string("`") + s.check_text + "`";
    return number_text(s.lo) + (s.lo_open ? " < x" : " <= x") + (s.hi_open ? " < " : " <= ") + number_text(s.hi);
}

std::string default_text(const OptionSpec& s) {
    switch (s.default_kind) {
        case DefaultKind::Missing: return "not given";
        case DefaultKind::GenericInfinity: return "largest double";
        case DefaultKind::Bepsilon: return "0.5 u^0.375 (u the unit roundoff)";
        case DefaultKind::Value: break;
    }
    if ((s.rules & kRuleSentinelDefault) != 0) return "not given";
    return number_text(s.default_value);
}

std::string choices_text(const TymOptionDef& o) {
    std::string out;
    const TymChoiceDef* choices = grammar_choices();
    for (uint16_t k = 0; k < o.choice_count; ++k) {
        const TymChoiceDef& c = choices[o.choice_first + k];
        if (experimental(c.keyword)) continue;
        if (!out.empty()) out += ", ";
        out += word_of(c.keyword) + " (" + std::to_string(c.value) +
               (extension_choice(o.slot, c.value) ? ", *extension*" : "") + ")";
    }
    return out;
}

const char* kind_text(uint8_t kind) {
    switch (kind) {
        case TYM_OPT_FLAG: return "keyword";
        case TYM_OPT_NUMBER: return "`=number`";
        case TYM_OPT_CHOICE: return "`=keyword` or `=number`";
        case TYM_OPT_PAIR: return "`=(a, b)`";
        case TYM_OPT_DATASET: return "`=data set`";
        case TYM_OPT_FLAG_VALUE: return "keyword, optionally `=number`";
        case TYM_OPT_FLAG_PAIR: return "keyword, optionally `=(a, b)`";
        case TYM_OPT_LIST: return "keyword, optionally `(list)`";
        default: return "?";
    }
}

}  // namespace

std::string lp_options_markdown() {
    const TymStatementDef* statements = grammar_statements();
    const TymStatementDef* lp = nullptr;
    for (int k = 0; k < grammar_statement_count(); ++k)
        if (statements[k].number == kStmtLp) lp = &statements[k];
    std::string out =
        "# Options of the LP statement\n\n"
        "This page is made from the procedure's own grammar and options table "
        "(`tests/module/control/options_doc_test.cpp` fails when it is stale; "
        "regenerate it with `QMLP_UPDATE_DOCS=1 build/module_tests "
        "--gtest_filter='OptionsDoc.*'`). Options marked *Extension* are additions "
        "of this procedure: a program that names none of them behaves as one "
        "without them.\n\n"
        "| Option | Aliases | Takes | Valid values | Default |\n"
        "|---|---|---|---|---|\n";
    if (lp == nullptr) return out;
    const TymOptionDef* options = grammar_options();
    std::vector<bool> done(static_cast<size_t>(lp->option_count), false);
    for (uint16_t a = 0; a < lp->option_count; ++a) {
        if (done[a]) continue;
        const TymOptionDef& o = options[lp->first_option + a];
        std::string aliases;
        for (uint16_t b = a + 1; b < lp->option_count; ++b) {
            const TymOptionDef& other = options[lp->first_option + b];
            if (!same_option(o, other)) continue;
            done[b] = true;
            if (experimental(other.keyword)) continue;
            aliases += (aliases.empty() ? "" : ", ") + word_of(other.keyword);
        }
        if (experimental(o.keyword)) continue;
        std::string valid, fallback;
        const bool valued = o.kind == TYM_OPT_NUMBER || o.kind == TYM_OPT_CHOICE || o.kind == TYM_OPT_PAIR ||
                            o.kind == TYM_OPT_FLAG_VALUE || o.kind == TYM_OPT_FLAG_PAIR;
        if (valued) {
            if (const OptionSpec* s = spec_for_slot(o.slot)) {
                valid = range_text(*s);
                fallback = default_text(*s);
            }
            if (o.kind == TYM_OPT_CHOICE) valid = choices_text(o) + (valid.empty() ? "" : "; " + valid);
        }
        if (extension(o.keyword)) valid = "*Extension.* " + valid;
        out += "| " + word_of(o.keyword) + " | " + aliases + " | " + kind_text(o.kind) + " | " + valid + " | " +
               fallback + " |\n";
    }
    return out;
}

}  // namespace tymlp
