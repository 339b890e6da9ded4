// program_runner.h -- running a whole program: host statements in order,
// LP steps through the step runner.
//
// A step is the LP statement and the statements after it, up to and
// including QUIT, or up to the next LP or host statement, or the end of the
// program.  Outside a step only host statements are known; any other
// statement is an error (its line is named) and is skipped.
#pragma once

#include <functional>
#include <string_view>

#include "front/module_loader.h"
#include "front/terminal.h"

namespace qmlp::front {

struct ProgramSettings {
    bool interactive = false;            // --interactive
    TerminalReader* terminal = nullptr;  // nullptr: no terminal input
    // Loads the module; called once, before anything runs, when the program
    // has at least one step.  Returns nullptr after logging why it failed.
    std::function<ProcedureEntry()> load_procedure;
    // Called around every step (both may be empty): a caller that runs the
    // program in its own process collects each step's results here.
    std::function<void(int step_number)> step_starting;
    std::function<void(int step_number, int end_code)> step_finished;
};

// Runs the program text; returns the exit status (exit_status.h).  Macro
// variables keep what the program set; the caller writes them out.
int run_program(std::string_view text, const ProgramSettings& settings);

}  // namespace qmlp::front
