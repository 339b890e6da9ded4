// grammar.h -- the grammar the host parser reads the procedure's statements
// with: keyword table (keyword_table.h), statements, options, value
// keywords, and the descriptor that points at them.
#pragma once

#include "base/lp_context.h"
#include "tym_grammar.h"

namespace tymlp {

// The grammar tables (static, shared by every run).
const TymStatementDef* grammar_statements();
int grammar_statement_count();
const TymOptionDef* grammar_options();
int grammar_option_count();
const TymChoiceDef* grammar_choices();
int grammar_choice_count();

// The descriptor template: 22 entries pointing at the tables above.
const TymGrammar& grammar_template();

// Builds a descriptor from the template in a block of the run's block
// chain (released by end_run).  Returns it, or null when memory is lacking.
TymGrammar* build_grammar_descriptor(LpContext* ctx);

}  // namespace tymlp
