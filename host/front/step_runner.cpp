// step_runner.cpp -- calling the procedure and catching the end of step.
#include "front/step_runner.h"

#include <exception>
#include <new>

#include "front/attention.h"
#include "front/exit_status.h"
#include "front/front_services.h"
#include "front/host_object.h"
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
        return kEndNormal;  // the procedure returned without ending the step
    } catch (const StepEnded& e) {
        if (e.end_code == kEndMemory) {
            // The module may end for lack of memory before it can say so
            // itself (for example when even its run context does not fit).
            log_error("The LP step ended for lack of memory (the WORKMEMORY= option or the --memsize limit).");
        }
        return e.end_code;
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
