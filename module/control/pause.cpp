// pause.cpp -- the pause loop and the actions of its statements.
#include "control/pause.h"

#include "base/host_link.h"
#include "control/end_run.h"
#include "control/grammar.h"
#include "control/option_check.h"
#include "control/option_slots.h"
#include "control/parser_state.h"
#include "control/status_macro.h"
#include "factor/factor_entries.h"
#include "integer/branch_bound.h"
#include "output/iteration_log.h"
#include "output/output_connection.h"
#include "report/output_data_sets.h"
#include "simplex/pricing_vector.h"

namespace tymlp {
namespace {

constexpr int kMsgIpivotNotInteger = 217;
constexpr int32_t kNoCountdown = 2147483647;

bool integer_problem(const LpContext* ctx) { return ctx->model.integer_count > 0 || ctx->model.sos_count > 0; }

// RESET: the option check, then what depends on the options.  New output
// data sets replace the old ones (closed with what they hold).
int reset_options(LpContext* ctx, const TymParseRecord* rec) {
    int rc = check_options(ctx, rec);
    ctx->entries.factor = FactorEntriesFor(ctx->options.lu);
    if (rc == 0 && ctx->solver.bb_ran != 0 && apply_selection_options(ctx) != 0) rc = kRunMemory;
    TymDataOut* open[] = {&ctx->handles.primalout, &ctx->handles.dualout, &ctx->handles.activeout,
                          &ctx->handles.tableauout};
    const int numbers[] = {kDsPrimalOut, kDsDualOut, kDsActiveOut, kDsTableauOut};
    for (int k = 0; k < 4; ++k) {
        const TymDataRef* ref = rec->data[numbers[k]];
        if (ref == nullptr) continue;
        if (*open[k] != nullptr) host_out_close(*open[k], 1);
        *open[k] = nullptr;
        ctx->handles.data_ref[numbers[k]] = *ref;
        ctx->handles.data_given[numbers[k]] = 1;
    }
    return rc;
}

// QUIT SAVE: the output data sets are written before the run ends.
void write_outputs(LpContext* ctx) {
    // In branch and bound the data sets hold the best integer solution (or
    // the relaxation without one), as at the end of a search.
    if (ctx->bb.root != nullptr && ctx->solver.bb_ran != 0) {
        ctx->bb.branch_column = -1;
        restore_best_node(ctx);
    }
    // Inside a phase the prices may be a pivot behind (the reduced costs are
    // updated in place); the data sets get them fresh.
    if (ctx->form.duals != nullptr && ctx->form.header != nullptr) PricingVector(ctx);
    write_primalout(ctx);
    write_dualout(ctx);
    write_activeout(ctx);
    write_tableauout(ctx);
}

}  // namespace

int statement_action(LpContext* ctx, const TymParseRecord* rec, int* status) {
    SolverState& sv = ctx->solver;
    switch (rec->statement) {
        case kStmtRun: return 0;
        case kStmtQuit: sv.interactive = 0; return 0;
        case kStmtShow:
            // SHOW alone shows both.
            if (tym_flag(rec, kBitShowOptions) || !tym_flag(rec, kBitShowStatus)) show_options(ctx);
            if (tym_flag(rec, kBitShowStatus) || !tym_flag(rec, kBitShowOptions)) show_status(ctx);
            return 1;
        case kStmtPrint: print_requested(ctx, rec); return 1;
        case kStmtReset: {
            const int rc = reset_options(ctx, rec);
            if (rc == kRunSemantic || rc == kRunMemory) *status = rc;
            return 1;
        }
        case kStmtPivot:
            sv.pivot_count = 1;
            sv.pivot_request = 1;
            sv.pivot_allowance = 1;
            return 0;
        case kStmtIPivot:
            if (!integer_problem(ctx)) {
                host_message(kMsgIpivotNotInteger);
                return 1;
            }
            sv.ipivot_count = 1;
            sv.ipivot_request = 1;
            return 0;
        default: return 1;  // LP again, or a variable list: nothing to do in a pause
    }
}

int Pause(LpContext* ctx, int reason) {
    SolverState& sv = ctx->solver;
    if (sv.interactive == 0) return sv.run_status;
    if (sv.statement_done == 1 && sv.break_flag == 0) return sv.run_status;

    const int entry_status = sv.run_status;
    sv.statement_done = 0;
    sv.break_flag = 0;
    set_status_macro(ctx, reason);
    ctx->options.readpause = 0;
    // No pivot is requested until a PIVOT or IPIVOT statement asks.
    sv.pivot_count = sv.ipivot_count = kNoCountdown;
    sv.pivot_request = sv.ipivot_request = 0;

    // Everything printed so far reaches the user before the first prompt;
    // an open iteration log ends here and starts again with its next line.
    close_iteration_logs(ctx, true);
    close_output_objects(ctx);
    open_output_connection(ctx);
    host_flush();

    ParserState* state = parser_state();
    const TymGrammar* grammar = build_grammar_descriptor(ctx);
    TymParser parser = grammar != nullptr && state != nullptr
                           ? host_parser_open(grammar, &state->control, ctx, 1, parser_debug_flags())
                           : nullptr;
    int status = entry_status;
    bool quit_save = false;
    sv.in_pause = 1;
    sv.pause_status = reason;
    if (parser != nullptr) {
        TymParser outer = ctx->handles.parser;
        ctx->handles.parser = parser;
        for (;;) {
            TymParseRecord* rec = nullptr;
            if (host_parser_read(parser, &rec) != 0 || rec == nullptr) {
                sv.statement_done = 1;
                break;
            }
            if (rec->error != 0) continue;  // the host has reported it
            const int before = status;
            if (rec->statement == kStmtReset) status = entry_status;  // a good RESET mends a bad one
            if (rec->statement == kStmtQuit) quit_save = tym_flag(rec, kBitQuitSave) != 0;
            const int leave = statement_action(ctx, rec, &status);
            sv.run_status = status;
            // _QMLP_ and SHOW STATUS follow what a statement made of the run
            // status (a bad RESET, and the good one that mends it).
            if (status != before) {
                sv.pause_status = status != entry_status ? status : reason;
                set_status_macro(ctx, sv.pause_status);
            }
            if (leave == 0) break;
        }
        host_parser_close(parser);
        ctx->handles.parser = outer;
    }
    sv.in_pause = 0;
    sv.run_status = status;

    if (sv.interactive == 0) {
        if (quit_save) write_outputs(ctx);
        end_run(ctx, kEndQuit);
    }
    return status;
}

}  // namespace tymlp
