// step_runner.cpp -- calling the procedure and catching the end of step.
#include "front/step_runner.h"

#include <exception>
#include <new>

#include "front/attention.h"
#include "front/exit_status.h"
#include "front/front_services.h"
#include "front/host_object.h"
#include "front/host_statements.h"
#include "front/lexer.h"
#include "front/parser_vector.h"
#include "front/step_context.h"
#include "front/step_vector.h"

namespace qmlp::front {
namespace {

StepContext* g_current = nullptr;

// Closes the step on every way out of run_step.
class StepScope {
  public:
    StepScope(StepContext& ctx) {
        set_current_step(&ctx);
        attention_step_begin();
        host_object_step_begin();
        services().step_begin(ctx.number);
    }
    ~StepScope() {
        close_all_parsers();
        attention_step_end();
        set_current_step(nullptr);
        services().step_end();
    }
    StepScope(const StepScope&) = delete;
    StepScope& operator=(const StepScope&) = delete;
};

// Statements of the step that no pause read: the run ended first (it
// finished, or failed, or the pivot a PIVOT asked for finished the solve).
// A QUIT that closes the step does what it asks when the run has ended.
void report_unread(const StepContext& ctx) {
    size_t end = ctx.statements.size();
    if (end > ctx.cursor && statement_keyword(ctx.statements[end - 1]) == "QUIT") --end;
    if (ctx.cursor >= end) return;
    std::string list;
    for (size_t k = ctx.cursor; k < end; ++k) {
        if (!list.empty()) list += " ";
        list += message_text(ctx.statements[k].text) + ";";
    }
    const Statement& first = ctx.statements[ctx.cursor];
    log_warning(line_prefix(first) +
                "the LP step ended without another pause, so these statements were not used: " + list);
}

// The end code of a step, with what its pauses refused: a statement error
// there ends an otherwise successful step with the status of a statement
// error.
int step_outcome(const StepContext& ctx, int end_code) {
    report_unread(ctx);
    if (ctx.refused_statement && exit_status_for_end_code(end_code) == kExitOk) return kEndSemantic;
    return end_code;
}

}  // namespace

StepContext* current_step() { return g_current; }
void set_current_step(StepContext* step) { g_current = step; }

int run_step(int number, std::vector<Statement> statements, ProcedureEntry entry, const StepSettings& settings) {
    StepContext ctx;
    ctx.number = number;
    ctx.statements = std::move(statements);
    ctx.interactive = settings.interactive;
    ctx.terminal = settings.terminal;

    StepScope scope(ctx);
    try {
        entry();
        return step_outcome(ctx, kEndNormal);  // the procedure returned without ending the step
    } catch (const StepEnded& e) {
        if (e.end_code == kEndMemory) {
            // The module may end for lack of memory before it can say so
            // itself (for example when even its run context does not fit).
            log_error("The LP step ended for lack of memory (the WORKMEMORY= option or the --memsize limit).");
        }
        return step_outcome(ctx, e.end_code);
    } catch (const std::bad_alloc&) {
        log_error("The host ran out of memory during the LP step.");
        return kEndMemory;
    } catch (const std::exception& e) {
        log_error(std::string("The LP step failed unexpectedly: ") + e.what() + ".");
        return kEndAbnormal;
    } catch (const ProgramInterrupted&) {
        throw;  // to the program runner, after the scope has closed the step
    } catch (...) {
        log_error("The LP step failed unexpectedly.");
        return kEndAbnormal;
    }
}

}  // namespace qmlp::front
