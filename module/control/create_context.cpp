// create_context.cpp -- allocating the run context and its defaults.
#include "control/create_context.h"

#include <cstdint>
#include <cstring>

#include "base/context_memory.h"
#include "base/host_link.h"
#include "control/end_run.h"
#include "control/option_table.h"
#include "control/run_steps.h"

namespace tymlp {
namespace {

// Solver defaults.
constexpr int32_t kUnlimited = 2147483647;
constexpr double kCompressionRateLimit = 0.1;

void set_flag_defaults(LpOptions& o) {
    o.devex = 1;
    o.sparsepricing = 1;
    o.pararestore = 1;
    o.endpause = 0;
    o.flow = 0;
    o.paraprint = 0;
    o.tableauprint = 0;
    o.feasiblepause = 0;
    o.sparsedata = 0;
    o.rangeprice = 0;
    o.rangerhs = 0;
    o.goalprogram = 0;
    o.readpause = 0;
    o.binfst = 0;
    o.auto_select = 0;
    o.blandsrule = 0;
    o.blandsrule_in_use = 0;
    o.node_coder_type = 0;
}

void set_sampled_index_defaults(LpContext* ctx) {
    for (NodeList& list : ctx->bb.lists) {
        list.index.fraction = ctx->options.cpercent;
        list.index.min_spacing = ctx->options.clength;
        list.index.initial_capacity = ctx->options.csize;
    }
}

void set_model_defaults(LpContext* ctx) {
    ctx->model.row_name_length = kDefaultNameLength;
    ctx->model.column_name_length = kDefaultNameLength;
}

void set_solver_defaults(LpContext* ctx) {
    SolverState& s = ctx->solver;
    s.run_status = kRunOk;
    s.phase = kPhaseNone;
    s.counter = &s.iterations[0];
    s.limit = nullptr;
    s.pivot_allowance = kUnlimited;
    s.ipivot_count = kUnlimited;  // no IPIVOT statement yet
    s.interactive = 1;
    s.compression_rate_limit = kCompressionRateLimit;
    BbState& bb = ctx->bb;
    bb.branch_column = -1;
    std::memset(bb.condition, ' ', sizeof bb.condition);
}

}  // namespace

void set_option_defaults(LpContext* ctx) {
    const OptionSpec* table = option_table();
    for (int i = 0; i < option_table_size(); ++i) {
        const OptionSpec& entry = table[i];
        const double value = option_default(entry);
        option_set(ctx->options, entry, entry.field, value);
        if ((entry.rules & kRulePair) != 0) option_set(ctx->options, entry, entry.field2, value);
    }
    set_flag_defaults(ctx->options);
    set_sampled_index_defaults(ctx);
}

int create_context(LpContext** out) {
    *out = nullptr;
    auto* ctx = static_cast<LpContext*>(host_alloc(sizeof(LpContext), TYM_ALLOC_LONG_ZERO));
    if (ctx == nullptr) return kRunMemory;
    ctx->handles.heap = create_module_heap();
    if (ctx->handles.heap == nullptr) {
        host_release(ctx);
        return kRunMemory;
    }
    set_option_defaults(ctx);
    set_model_defaults(ctx);
    set_solver_defaults(ctx);
    ctx->entries.reader = run_steps().read_dense;
    ctx->entries.end_run = end_run;
    *out = ctx;
    return 0;
}

}  // namespace tymlp
