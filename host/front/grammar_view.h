// grammar_view.h -- a checked, searchable view of a module's grammar
// descriptor (tym_grammar.h).
//
// Keyword-table indexes are 0-based positions in the length-prefixed list.
// A trailing "$" of a table entry is a mark of the module and not part of
// the word: the entry "BEPSILON$" is matched by the word BEPSILON.  Words
// match case-insensitively; when a word occurs twice the first entry counts.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "tym_grammar.h"

namespace qmlp::front {

class GrammarView {
  public:
    // Decodes and checks `grammar`; false with the reason in *why when the
    // descriptor is malformed (bad magic, indexes or slots out of range).
    bool load(const TymGrammar* grammar, std::string* why);

    // Index of a word in the keyword table, -1 when absent.
    int keyword_index(std::string_view word) const;
    // The keyword text (upper-case, without its "$" mark).
    const std::string& keyword(int index) const { return keywords_[static_cast<size_t>(index)]; }
    // The statement named by keyword `index`, nullptr when none.
    const TymStatementDef* statement(int index) const;
    // The option of `stmt` spelled by keyword `index`, nullptr when none.
    const TymOptionDef* option(const TymStatementDef& stmt, int index) const;
    // The value of value keyword `index` among the choices of `opt`; false
    // when it is not one of them.
    bool choice(const TymOptionDef& opt, int index, int* value) const;

  private:
    std::vector<std::string> keywords_;
    std::unordered_map<std::string, int> index_;
    std::vector<TymStatementDef> statements_;
    std::vector<TymOptionDef> options_;
    std::vector<TymChoiceDef> choices_;
};

}  // namespace qmlp::front
