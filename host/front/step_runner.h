// step_runner.h -- one LP step: from the step boundaries of the host parts
// to the module's end of step.
#pragma once

#include <vector>

#include "front/module_loader.h"
#include "front/statement_splitter.h"
#include "front/terminal.h"

namespace qmlp::front {

struct StepSettings {
    bool interactive = false;            // --interactive
    TerminalReader* terminal = nullptr;  // nullptr: no terminal input
};

// Runs step `number` whose statements start with the LP statement: opens the
// step in the data and output parts, calls the procedure entry and catches
// its end of step, then closes the step again on every path.  Returns the
// end code (0 when the entry returned without ending the step, kEndAbnormal
// after an unexpected failure).  Throws ProgramInterrupted, after the step
// has been closed, when a second break asked the program to end.
int run_step(int number, std::vector<Statement> statements, ProcedureEntry entry, const StepSettings& settings);

}  // namespace qmlp::front
