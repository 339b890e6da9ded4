// run_procedure.cpp -- the run sequence of one invocation.
#include "control/run_procedure.h"

#include "base/host_link.h"
#include "control/attention.h"
#include "control/create_context.h"
#include "control/end_run.h"
#include "control/parser_state.h"
#include "control/run_steps.h"
#include "control/statement_step.h"
#include "input/bound_check.h"
#include "input/column_lists.h"
#include "input/cut_rows.h"
#include "output/output_connection.h"
#include "simplex/scaling.h"

namespace tymlp {
namespace {

constexpr int kMsgOtherLayout = 210;

// A step that does not exist yet ends the run normally at this point.
template <typename Step>
Step require(LpContext* ctx, Step step) {
    if (step == nullptr) end_run(ctx, kEndNormal);
    return step;
}

// Ends the run when `result` has an end code in `map` (pairs of result and
// end code, ended by a zero result).
struct ResultMap {
    int result;
    int end_code;
};

void end_on(LpContext* ctx, int result, const ResultMap* map) {
    for (; map->result != 0; ++map)
        if (map->result == result) end_run(ctx, map->end_code);
}

constexpr ResultMap kFormResults[] = {{kRunMemory, kEndMemory}, {kRunSemantic, kEndBadData}, {kRunIo, kEndIo}, {0, 0}};
constexpr ResultMap kBasisResults[] = {{kRunMemory, kEndMemory}, {kRunIo, kEndIo}, {0, 0}};
constexpr ResultMap kMemoryOnly[] = {{kRunMemory, kEndMemory}, {0, 0}};
constexpr ResultMap kPreprocessResults[] = {
    {kRunMemory, kEndMemory}, {kRunSemantic, kEndBadData}, {kRunIo, kEndIo}, {0, 0}};

// Loads right-hand-side column r into the array, divided by the row scale
// factors when rows are scaled.
int load_rhs(LpContext* ctx, int32_t r) {
    ColumnListEntry* entry = list_entry(ctx, kListRhs, r);
    ctx->model.current_rhs = entry;
    ComputationalForm& f = ctx->form;
    if (f.rhs == nullptr || entry == nullptr) return 0;
    const int rc = list_read_values(entry, 0, f.rhs, ctx->model.rows);
    if (rc != 0) return rc;
    DivideRhsByRowScale(ctx, f.rhs);
    return 0;
}

// ACTIVEIN holds the active nodes of an earlier branch and bound; the
// integer phase reads it.  A data set that does not exist is bad data like
// any other input, found before anything is solved.
void check_activein(LpContext* ctx) {
    HostHandles& h = ctx->handles;
    if (h.data_given[kDsActiveIn] == 0) return;
    h.activein = host_data_open(&h.data_ref[kDsActiveIn]);
    if (h.activein == nullptr) end_run(ctx, kEndBadData);  // the host has named the data set and why
}

}  // namespace

int end_code_of_run_status(int run_status) {
    switch (run_status) {
        case kRunBadData: return kEndBadData;
        case kRunMemory: return kEndMemory;
        case kRunIo: return kEndIo;
        default: return kEndNormal;
    }
}

void handle_reader_result(LpContext* ctx, int result) {
    switch (result) {
        case kRunOk: ctx->solver.run_status = kRunOk; return;
        case kRunMemory: end_run(ctx, kEndMemory);
        case kRunSyntax: end_run(ctx, kEndSyntax);
        case kRunSemantic: {
            // After a fault of the data itself (an empty data set, merged
            // names, numbers read as text) a hint about the layout misleads.
            if (ctx->model.data_fault_named) end_run(ctx, kEndSemantic);
            const char* other = ctx->options.sparsedata != 0 ? "dense" : "sparse";
            const TymArg arg = arg_text(other, ctx->options.sparsedata != 0 ? 5 : 6);
            host_message(kMsgOtherLayout, 1, &arg);
            end_run(ctx, kEndSemantic);
        }
        case kRunIo: end_run(ctx, kEndIo);
        default: return;  // the run goes on with its status unchanged
    }
}

void run_combinations(LpContext* ctx, int (*solve)(LpContext* ctx)) {
    const int32_t rhs_count = ctx->model.lists[kListRhs].count;
    const int32_t objectives = ctx->model.objective_count;
    for (int32_t r = 0; r < rhs_count && ctx->solver.run_status == kRunOk; ++r) {
        ctx->model.rhs_index = r;
        const int rc = load_rhs(ctx, r);
        if (rc == kRunMemory) end_run(ctx, kEndMemory);
        if (rc != 0) end_run(ctx, kEndIo);
        // Alternate the direction so that the last objective of one pass is
        // the first of the next: its basis is the best start there.
        const bool forward = r % 2 == 0;
        for (int32_t k = 1; k < objectives && ctx->solver.run_status == kRunOk; ++k) {
            ctx->model.objective_index = forward ? k : objectives - k;
            solve(ctx);
        }
    }
}

void run_after_statement(LpContext* ctx) {
    const RunSteps& steps = run_steps();
    handle_reader_result(ctx, require(ctx, ctx->entries.reader)(ctx));
    check_activein(ctx);
    end_on(ctx, check_column_bounds(ctx), kBasisResults);
    install_attention(ctx);
    // Bounds that leave a column no value make every combination infeasible;
    // there is nothing to tighten then.
    if (ctx->model.contradicting_bounds == 0)
        end_on(ctx, require(ctx, steps.preprocess)(ctx), kPreprocessResults);
    // Rows for the cutting planes of the root, when asked for (CUTPASSES).
    end_on(ctx, reserve_cut_rows(ctx), kFormResults);
    end_on(ctx, require(ctx, steps.complete_form)(ctx), kFormResults);
    end_on(ctx, locate_cut_columns(ctx), kFormResults);
    end_on(ctx, require(ctx, steps.starting_basis)(ctx), kBasisResults);
    end_on(ctx, require(ctx, steps.allocate_arrays)(ctx), kMemoryOnly);
    require(ctx, steps.register_release)(ctx);
    if (require(ctx, steps.scale)(ctx) != 0) end_run(ctx, kEndMemory);
    if (require(ctx, steps.open_pivot_history)(ctx) != 0) end_run(ctx, kEndIo);
    run_combinations(ctx, require(ctx, steps.solve_combination));
    end_run(ctx, end_code_of_run_status(ctx->solver.run_status));
}

void run_procedure() {
    if (module_init() != 0) host_end_step(kEndMemory);
    LpContext* ctx = nullptr;
    if (create_context(&ctx) != 0) {
        release_parser_state();
        host_end_step(kEndMemory);
    }
    parser_state()->ctx = ctx;
    if (open_output_connection(ctx) < 0) end_run(ctx, kEndNormal);
    const int rc = statement_step(ctx);
    if (rc == kRunMemory) end_run(ctx, kEndMemory);
    if (rc != 0) end_step_at_once(ctx, kEndSemantic);
    run_after_statement(ctx);
}

}  // namespace tymlp
