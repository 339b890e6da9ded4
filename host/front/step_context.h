// step_context.h -- the step that is running: its statements and how far
// the statement parser has read them.
//
// The parsers the module opens during a step (the first parse, then one per
// pause) share one cursor over the step's statements, so that a pause goes
// on where the first parse stopped.
#pragma once

#include <optional>
#include <vector>

#include "front/statement_splitter.h"
#include "front/terminal.h"
#include "host_api.h"

namespace qmlp::front {

struct StepContext {
    int number = 0;                      // 1-based step number of the program
    std::vector<Statement> statements;   // the LP statement and those after it
    size_t cursor = 0;                   // next statement to parse
    bool end_signalled = false;          // the end callback has been called
    bool interactive = false;            // --interactive: pauses always prompt
    bool refused_statement = false;      // a pause refused a statement: the step ends non-zero
    TerminalReader* terminal = nullptr;  // nullptr: no terminal input
    // DATA= of the procedure statement, for variable-list expansion, and
    // its variables once read.
    std::optional<TymDataRef> data_ref;
    bool vars_loaded = false;
    bool vars_ok = false;
    std::vector<host::VarInfo> vars;
};

// The running step (nullptr between steps).  The step runner sets it.
StepContext* current_step();
void set_current_step(StepContext* step);

}  // namespace qmlp::front
