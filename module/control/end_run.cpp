// end_run.cpp -- releasing a run and ending the host step.
#include "control/end_run.h"

#include "base/context_memory.h"
#include "base/host_link.h"
#include "control/parser_state.h"
#include "control/run_steps.h"
#include "control/status_macro.h"
#include "input/column_lists.h"
#include "output/output_connection.h"

namespace tymlp {
namespace {

void close_util(TymUtil* file) {
    if (*file != nullptr) host_util_close(*file);
    *file = nullptr;
}

void close_in(TymDataIn* ds) {
    if (*ds != nullptr) host_data_close(*ds);
    *ds = nullptr;
}

// Returns false when a data set to keep could not be written.
bool close_out(TymDataOut* ds, bool keep) {
    int rc = 0;
    if (*ds != nullptr) rc = host_out_close(*ds, keep ? 1 : 0);
    *ds = nullptr;
    return !keep || rc >= 0;
}

// Commits the output data sets before the status is set: a run whose
// output was lost must not read as a success.  Returns false when one of
// them could not be written (the host has named it).
bool commit_outputs(LpContext* ctx) {
    HostHandles& h = ctx->handles;
    bool ok = close_out(&h.primalout, true);
    ok = close_out(&h.dualout, true) && ok;
    ok = close_out(&h.tableauout, true) && ok;
    ok = close_out(&h.activeout, true) && ok;
    return ok;
}

void close_stores(LpContext* ctx) {
    ProblemModel& m = ctx->model;
    close_util(&m.column_store);
    close_util(&m.row_store);
    close_util(&m.matrix_store);
    close_util(&m.pivot_history);
    close_util(&m.coef_file);
    close_util(&m.node_file);
    list_close_all(ctx);
}

void close_data_sets(LpContext* ctx, bool keep_outputs) {
    HostHandles& h = ctx->handles;
    close_out(&h.primalout, keep_outputs);
    close_out(&h.dualout, keep_outputs);
    close_out(&h.tableauout, keep_outputs);
    close_out(&h.activeout, keep_outputs);
    close_in(&h.primalin);
    close_in(&h.activein);
    close_in(&h.data_in);
}

// Host services the run may still have hooked.
void detach_from_host(LpContext* ctx) {
    HostHandles& h = ctx->handles;
    if (h.attention_installed != 0) host_attention_remove();
    h.attention_installed = 0;
    if (h.release_registered != 0 && h.release_callback != nullptr) host_unregister_release(h.release_callback, ctx);
    h.release_registered = 0;
}

// The pointers into blocks of the chain are cleared with it.
void forget_blocks(LpContext* ctx) {
    ctx->form = ComputationalForm{};
    ctx->model.directory = nullptr;
    ctx->model.directory_size = 0;
    ctx->model.traverse_buffer = nullptr;
    ctx->model.traverse_capacity = 0;
    for (VarList& list : ctx->varlists) list = VarList{};
}

// The last steps: parser, heap, parser state record, context, end of step.
[[noreturn]] void finish(LpContext* ctx, int end_code) {
    if (ctx->handles.parser != nullptr) host_parser_close(ctx->handles.parser);
    ctx->handles.parser = nullptr;
    if (ctx->handles.heap != nullptr) host_heap_destroy(ctx->handles.heap);
    ctx->handles.heap = nullptr;
    release_parser_state();
    host_release(ctx);
    host_end_step(end_code);
}

}  // namespace

void release_run_resources(LpContext* ctx, bool keep_outputs) {
    if (ctx->options.sparsepricing != 0 && run_steps().release_sparse != nullptr) run_steps().release_sparse(ctx);
    if (run_steps().release_work_store != nullptr) run_steps().release_work_store(ctx);
    detach_from_host(ctx);
    ctx_free_all(ctx);
    forget_blocks(ctx);
    close_stores(ctx);
    close_data_sets(ctx, keep_outputs);
}

void end_run(LpContext* ctx, int end_code) {
    const bool keep_outputs = end_code == kEndNormal || end_code == kEndQuit;
    if (keep_outputs && !commit_outputs(ctx)) end_code = kEndIo;

    // The phase bookkeeping goes back to its start before the status is
    // reported, and the status text is built while the arrays and nodes it
    // reads are still allocated.
    ctx->solver.counter = &ctx->solver.iterations[0];
    ctx->solver.phase = kPhaseNone;
    ctx->solver.iterations[0] = 0;
    const int imposed = run_status_for_end_code(end_code);
    if (imposed >= 0) {
        ctx->solver.run_status = imposed;
        set_status_macro(ctx, imposed);
    }

    release_run_resources(ctx, keep_outputs);
    if (end_code == kEndMemory) host_memory_report();
    close_output_objects(ctx);
    finish(ctx, end_code);
}

void end_step_at_once(LpContext* ctx, int end_code) {
    // A step that ends before it solves anything says why in _QMLP_, so
    // that an earlier step's status does not read as this one's.
    const int status = ctx->solver.run_status != 0 ? ctx->solver.run_status : run_status_for_end_code(end_code);
    if (status > 0) set_status_macro(ctx, status);
    release_run_resources(ctx, false);
    close_output_objects(ctx);
    finish(ctx, end_code);
}

}  // namespace tymlp
