// statement_parser.h -- one statement of the procedure, parsed by the
// module's grammar into a parse record.
//
// Syntax (tym_grammar.h): NAME item* where an item is an option of the
// statement or, for variable-list statements, a variable name or an "a-b"
// range.  Numbers may carry a sign.  A CHOICE option takes one of its value
// keywords or a plain number; PAIR values are "(a, b)" with the comma
// optional; data set names are member, lib.member or a quoted path; list
// items are names or numbers, optionally "first-last", separated by blanks or
// commas.  A repeated option keeps the last value; repeated lists add up.
//
// The first error ends the statement: the ERROR line names the statement and
// the offending word, and the record's error word is set.
#pragma once

#include <array>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "front/grammar_view.h"
#include "tym_grammar.h"

namespace qmlp::front {

// Error word of a record whose statement could not be parsed.
constexpr int32_t kRecordSyntaxError = 1;

// The parser traces through NOTE lines when asked to (open's debug flags).
constexpr int kTraceSyntax = 2;    // every token
constexpr int kTraceSemantic = 1;  // every finished record

// A name or an a-b range of a variable-list statement, before expansion.
struct VarItem {
    std::string first;
    std::string last;  // empty unless a range
};

// A parse record and everything its pointers lead to.  Not movable: the
// record points into the object itself.
struct ParsedStatement {
    ParsedStatement() = default;
    ParsedStatement(const ParsedStatement&) = delete;
    ParsedStatement& operator=(const ParsedStatement&) = delete;

    TymParseRecord record{};
    std::string text;                      // the statement text the record shows
    std::string name;                      // statement name, upper-case
    const TymStatementDef* def = nullptr;  // nullptr when the name was unknown
    std::array<TymDataRef, TYM_MAX_DATASETS> refs{};
    std::array<std::vector<TymListItem>, TYM_MAX_LISTS> items;
    std::deque<std::string> strings;     // texts the list items point at
    std::vector<VarItem> var_items;      // variable-list statements
    std::vector<std::string> var_names;  // after expansion
    std::vector<const char*> var_name_ptrs;

    bool is_procedure() const { return def && (def->flags & TYM_STMT_PROCEDURE); }
    bool is_varlist() const { return def && def->kind == TYM_STMT_VARLIST; }
    // Pins `s` for the record's lifetime and returns its characters.
    const char* keep(std::string s);
};

// Logs "Syntax error in statement "TEXT": REASON." and sets the error word.
void report_syntax_error(ParsedStatement& out, std::string_view reason);

// Parses `text` (macro references already resolved) into `out`.  For a
// procedure statement without DATA= the most recent data set becomes data
// reference 0; without one that is an error too.  Returns false when the
// record carries an error.
bool parse_statement(const GrammarView& grammar, std::string_view text, int debug_flags, ParsedStatement& out);

}  // namespace qmlp::front
