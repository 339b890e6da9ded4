// grammar_view.cpp -- decoding and checking a grammar descriptor.
#include "front/grammar_view.h"

#include <cstdint>

#include "front/lexer.h"

namespace qmlp::front {
namespace {

constexpr int kFlagBits = TYM_FLAG_BYTES * 8;
// Table sizes beyond these cannot be indexed by the 16-bit fields.
constexpr intptr_t kMaxTableEntries = 65535;

intptr_t entry_number(const TymGrammar* g, int entry) { return reinterpret_cast<intptr_t>(g->entry[entry]); }

bool uses_flag_bit(int kind) {
    return kind == TYM_OPT_FLAG || kind == TYM_OPT_FLAG_VALUE || kind == TYM_OPT_FLAG_PAIR || kind == TYM_OPT_LIST;
}

// Checks the slot (or data set / list number) an option writes.
bool option_slot_ok(const TymOptionDef& o, int slot_count, std::string* why) {
    int limit = 0;
    int width = 1;
    switch (o.kind) {
        case TYM_OPT_FLAG: return true;
        case TYM_OPT_NUMBER:
        case TYM_OPT_CHOICE:
        case TYM_OPT_FLAG_VALUE: limit = slot_count; break;
        case TYM_OPT_PAIR:
        case TYM_OPT_FLAG_PAIR:
            limit = slot_count;
            width = 2;
            break;
        case TYM_OPT_DATASET: limit = TYM_MAX_DATASETS; break;
        case TYM_OPT_LIST: limit = TYM_MAX_LISTS; break;
        default: *why = "option kind " + std::to_string(o.kind) + " is unknown"; return false;
    }
    if (o.slot + width > limit) {
        *why = "slot " + std::to_string(o.slot) + " is out of range";
        return false;
    }
    return true;
}

}  // namespace

bool GrammarView::load(const TymGrammar* g, std::string* why) {
    keywords_.clear();
    index_.clear();
    statements_.clear();
    options_.clear();
    choices_.clear();
    if (!g) {
        *why = "no grammar descriptor";
        return false;
    }
    if (entry_number(g, TYM_GR_MAGIC) != TYM_GRAMMAR_MAGIC) {
        *why = "the descriptor has a wrong magic number";
        return false;
    }

    const intptr_t kw_count = entry_number(g, TYM_GR_KEYWORD_COUNT);
    const auto* kw = static_cast<const uint8_t*>(g->entry[TYM_GR_KEYWORDS]);
    if (!kw || kw_count <= 0 || kw_count > kMaxTableEntries) {
        *why = "the keyword table is missing or empty";
        return false;
    }
    for (intptr_t i = 0; i < kw_count; ++i) {
        const uint8_t len = *kw++;
        if (len == 0) {
            *why = "the keyword table ends after " + std::to_string(i) + " words, the descriptor says " +
                   std::to_string(kw_count);
            return false;
        }
        std::string word = to_upper(std::string_view(reinterpret_cast<const char*>(kw), len));
        kw += len;
        if (word.size() > 1 && word.back() == '$') word.pop_back();
        // A word may stand twice: once among the token classes at the head of
        // the table and once in its ascending part.  Statements use the
        // ascending part, so the later entry wins.
        index_[word] = static_cast<int>(i);
        keywords_.push_back(std::move(word));
    }
    if (*kw != 0) {
        *why = "the keyword table has more words than the descriptor says";
        return false;
    }

    const intptr_t n_stmt = entry_number(g, TYM_GR_STATEMENT_COUNT);
    const intptr_t n_opt = entry_number(g, TYM_GR_OPTION_COUNT);
    const intptr_t n_choice = entry_number(g, TYM_GR_CHOICE_COUNT);
    const intptr_t slot_count = entry_number(g, TYM_GR_SLOT_COUNT);
    if (n_stmt <= 0 || n_stmt > kMaxTableEntries || !g->entry[TYM_GR_STATEMENTS]) {
        *why = "the statement table is missing";
        return false;
    }
    if (n_opt < 0 || n_opt > kMaxTableEntries || (n_opt > 0 && !g->entry[TYM_GR_OPTIONS])) {
        *why = "the option table is missing";
        return false;
    }
    if (n_choice < 0 || n_choice > kMaxTableEntries || (n_choice > 0 && !g->entry[TYM_GR_CHOICES])) {
        *why = "the choice table is missing";
        return false;
    }
    if (slot_count < 0 || slot_count > TYM_MAX_SLOTS) {
        *why = "the slot count " + std::to_string(slot_count) + " is out of range";
        return false;
    }

    const auto* st = static_cast<const TymStatementDef*>(g->entry[TYM_GR_STATEMENTS]);
    statements_.assign(st, st + n_stmt);
    if (n_opt > 0) {
        const auto* op = static_cast<const TymOptionDef*>(g->entry[TYM_GR_OPTIONS]);
        options_.assign(op, op + n_opt);
    }
    if (n_choice > 0) {
        const auto* ch = static_cast<const TymChoiceDef*>(g->entry[TYM_GR_CHOICES]);
        choices_.assign(ch, ch + n_choice);
    }

    for (size_t i = 0; i < statements_.size(); ++i) {
        const TymStatementDef& s = statements_[i];
        const std::string where = "statement " + std::to_string(i) + ": ";
        if (s.keyword >= keywords_.size()) {
            *why = where + "keyword index out of range";
            return false;
        }
        if (s.kind != TYM_STMT_OPTIONS && s.kind != TYM_STMT_VARLIST) {
            *why = where + "unknown statement kind";
            return false;
        }
        if (static_cast<size_t>(s.first_option) + s.option_count > options_.size()) {
            *why = where + "options out of range";
            return false;
        }
    }
    for (size_t i = 0; i < options_.size(); ++i) {
        const TymOptionDef& o = options_[i];
        const std::string where = "option " + std::to_string(i) + ": ";
        std::string reason;
        if (o.keyword >= keywords_.size()) {
            *why = where + "keyword index out of range";
            return false;
        }
        if (!option_slot_ok(o, static_cast<int>(slot_count), &reason)) {
            *why = where + reason;
            return false;
        }
        if (uses_flag_bit(o.kind) && o.bit >= kFlagBits) {
            *why = where + "flag bit out of range";
            return false;
        }
        if (o.kind == TYM_OPT_CHOICE && static_cast<size_t>(o.choice_first) + o.choice_count > choices_.size()) {
            *why = where + "choices out of range";
            return false;
        }
    }
    for (size_t i = 0; i < choices_.size(); ++i) {
        if (choices_[i].keyword >= keywords_.size()) {
            *why = "choice " + std::to_string(i) + ": keyword index out of range";
            return false;
        }
    }
    return true;
}

int GrammarView::keyword_index(std::string_view word) const {
    auto it = index_.find(to_upper(word));
    return it == index_.end() ? -1 : it->second;
}

const TymStatementDef* GrammarView::statement(int index) const {
    for (const TymStatementDef& s : statements_)
        if (s.keyword == index) return &s;
    return nullptr;
}

const TymOptionDef* GrammarView::option(const TymStatementDef& stmt, int index) const {
    for (int i = 0; i < stmt.option_count; ++i) {
        const TymOptionDef& o = options_[static_cast<size_t>(stmt.first_option + i)];
        if (o.keyword == index) return &o;
    }
    return nullptr;
}

bool GrammarView::choice(const TymOptionDef& opt, int index, int* value) const {
    for (int i = 0; i < opt.choice_count; ++i) {
        const TymChoiceDef& c = choices_[static_cast<size_t>(opt.choice_first + i)];
        if (c.keyword == index) {
            *value = c.value;
            return true;
        }
    }
    return false;
}

}  // namespace qmlp::front
