// statement_step.h -- reading the procedure's statements with the host
// parser: the statement step of the run and the parser callbacks.
#pragma once

#include "base/lp_context.h"
#include "tym_grammar.h"

namespace tymlp {

// The statement step.  Installs the callbacks in the parser state record's
// control block, builds the grammar descriptor, opens the host parser on the
// step's statements (handle kept in the context) and runs it.  On success
// the seven data set references of the LP statement are copied into the
// context.  Returns kRunOk; kRunMemory when memory is lacking (grammar descriptor, name
// lists); kRunSemantic when the LP statement had an error, an option failed, or the
// parser gave no record.
int statement_step(LpContext* ctx);

// The statement callback: the LP statement runs the option check (11 sets
// the run status) and chooses the factorisation routine; RESET runs the
// check on its options (9 and 11 become the run status); PIVOT and IPIVOT
// set their countdowns; QUIT and RUN after a failure end the step at once
// with 1 and 3000.  Returns kRunOk (go on).
int statement_callback(void* cookie, TymParseRecord* rec);

// The variable-list callback: appends the names (up to 32 characters each)
// to the context's list of the statement.  Returns kRunOk; a name list that
// cannot grow sets the run status to kRunMemory.
int varlist_callback(void* cookie, int statement, int count, const char* const* names);

// The end callback: the step's statements are used up.
int end_callback(void* cookie);

// Copies the data set references of an LP record into the context.
void take_data_references(LpContext* ctx, const TymParseRecord* rec);

}  // namespace tymlp
