// program_runner.cpp -- statements to steps and host statements.
#include "front/program_runner.h"

#include <vector>

#include "front/attention.h"
#include "front/exit_status.h"
#include "front/front_services.h"
#include "front/help_text.h"
#include "front/host_statements.h"
#include "front/lexer.h"
#include "front/statement_splitter.h"
#include "front/step_runner.h"

namespace qmlp::front {
namespace {

bool starts_step(const Statement& s) { return statement_keyword(s) == "LP"; }

int run_observed_step(int number, std::vector<Statement> step, ProcedureEntry entry, const StepSettings& step_settings,
                      const ProgramSettings& settings) {
    if (settings.step_starting) settings.step_starting(number);
    const int end_code = run_step(number, std::move(step), entry, step_settings);
    if (settings.step_finished) settings.step_finished(number, end_code);
    return end_code;
}

// One past the last statement of the step that starts at `first`.
size_t step_end(const std::vector<Statement>& stmts, size_t first) {
    size_t i = first + 1;
    while (i < stmts.size()) {
        const Statement& s = stmts[i];
        if (starts_step(s) || host_statement_kind(s) != HostStatementKind::None) break;
        ++i;
        if (statement_keyword(s) == "QUIT") break;
    }
    return i;
}

// After the program, an interactive run goes on with statements typed at
// the LP> prompt: host statements, and LP steps (the LP statement and what
// follows it up to RUN or QUIT; the pauses of the step read the rest).
// QUIT outside a step, or the end of the terminal input, ends the program.
void interactive_tail(const ProgramSettings& settings, const StepSettings& step_settings, ProcedureEntry& entry,
                      int& step_number, ExitStatus& status) {
    Statement s;
    while (settings.terminal->read_statement(s)) {
        check_interrupt();
        const std::string kw = statement_keyword(s);
        if (kw == "QUIT") return;
        if (kw == "HELP") {
            print_top_level_help();
            continue;
        }
        if (const HostStatementKind kind = host_statement_kind(s); kind != HostStatementKind::None) {
            if (!execute_host_statement(s, kind)) status.program_error();
            continue;
        }
        if (!starts_step(s)) {
            log_error("The statement \"" + message_text(s.text) +
                      "\" is not known outside an LP step; start a step with LP, or end with QUIT.");
            continue;
        }
        std::vector<Statement> step{s};
        for (std::string k = kw; k != "RUN" && k != "QUIT";) {
            Statement next;
            if (!settings.terminal->read_statement(next)) break;
            k = statement_keyword(next);
            step.push_back(std::move(next));
        }
        if (!entry && settings.load_procedure) entry = settings.load_procedure();
        if (!entry) {
            status.program_error();
            return;
        }
        status.step_ended(run_observed_step(++step_number, std::move(step), entry, step_settings, settings));
    }
}

}  // namespace

int run_program(std::string_view text, const ProgramSettings& settings) {
    ExitStatus status;
    std::vector<SplitProblem> problems;
    const std::vector<Statement> stmts = split_statements(text, &problems);
    for (const SplitProblem& p : problems) {
        if (p.is_error) {
            log_error(p.text);
            status.program_error();
        } else {
            log_warning(p.text);
        }
    }

    ProcedureEntry entry = nullptr;
    for (const Statement& s : stmts) {
        if (!starts_step(s)) continue;
        entry = settings.load_procedure ? settings.load_procedure() : nullptr;
        if (!entry) return kExitModuleLoad;
        break;
    }

    const StepSettings step_settings{settings.interactive, settings.terminal};
    int step_number = 0;
    try {
        size_t i = 0;
        while (i < stmts.size()) {
            check_interrupt();
            const Statement& s = stmts[i];
            if (starts_step(s)) {
                const size_t end = step_end(stmts, i);
                std::vector<Statement> step(stmts.begin() + static_cast<long>(i),
                                            stmts.begin() + static_cast<long>(end));
                status.step_ended(run_observed_step(++step_number, std::move(step), entry, step_settings, settings));
                i = end;
                continue;
            }
            ++i;
            if (!s.terminated) log_warning(line_prefix(s) + "the last statement has no closing \";\".");
            if (const HostStatementKind kind = host_statement_kind(s); kind != HostStatementKind::None) {
                if (!execute_host_statement(s, kind)) status.program_error();
                continue;
            }
            log_error(line_prefix(s) + "statement \"" + message_text(s.text) +
                      "\" is not known outside an LP step; it is skipped.");
            status.program_error();
        }
        if (settings.interactive && settings.terminal != nullptr)
            interactive_tail(settings, step_settings, entry, step_number, status);
    } catch (const ProgramInterrupted&) {
        log_error(attention_abort_by_second_break() ? "The program was ended by a second interrupt."
                                                    : "The program was ended by an interrupt.");
        services().flush();
        return kExitInterrupted;
    }
    return status.value();
}

}  // namespace qmlp::front
