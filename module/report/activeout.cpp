// activeout.cpp -- the ACTIVEOUT data set.
#include <cstring>

#include "base/context_memory.h"
#include "base/host_link.h"
#include "input/model_records.h"
#include "input/reader_common.h"
#include "integer/branch_bound.h"
#include "integer/node_records.h"
#include "report/data_set_support.h"
#include "report/output_data_sets.h"

namespace tymlp {
namespace {

constexpr int kMsgNamesCut = 250;
constexpr int kMaxActiveName = 32;
constexpr int32_t kFullRestore = -99999;  // no node is then a child of the last branching

int integer_variable_count(const LpContext* ctx) {
    int count = 0;
    for (const IntegerVariable* v = ctx->bb.variables; v != nullptr; v = v->next) ++count;
    return count;
}

int open_activeout(LpContext* ctx) {
    ActiveRecord& r = ctx->report.sets.active;
    const int count = integer_variable_count(ctx);
    r.values = ctx_alloc_array<double>(ctx, count);
    if (r.values == nullptr) return kRunMemory;
    const DataSetVariable fixed[] = {
        {"_STATUS_", TYM_VAR_CHAR, 8, "Bounds status.", r.status},
        {"_PROB_", TYM_VAR_NUMERIC, kDataSetNumberBytes, "Problem number.", &r.problem},
        {"_OBJECT_", TYM_VAR_NUMERIC, kDataSetNumberBytes, "Objective value.", &r.objective},
        {"_SINFEA_", TYM_VAR_NUMERIC, kDataSetNumberBytes, "Sum of infeasibilities.", &r.infeasibility},
        {"_PROJEC_", TYM_VAR_NUMERIC, kDataSetNumberBytes, "Project.", &r.projection},
        {"_PSEUDO_", TYM_VAR_NUMERIC, kDataSetNumberBytes, "Pseudocost.", &r.estimate},
    };
    int rc = open_solution_data_set(ctx, SolutionDataSet::Active, fixed, count);
    if (rc != 0) return rc;
    if (column_name_width(ctx) > kMaxActiveName) {
        const TymArg args[] = {arg_int(kMaxActiveName), arg_int(kMaxActiveName)};
        host_message(kMsgNamesCut, 2, args);
    }
    int k = 0;
    for (const IntegerVariable* v = ctx->bb.variables; v != nullptr; v = v->next, ++k) {
        ColumnRecord rec{};
        char name[kMaxNameLength + 1];
        if ((rc = read_column(ctx, v->column, &rec, name)) != 0) return rc;
        int length = trimmed_length(name, column_name_width(ctx));
        if (length > kMaxActiveName) length = kMaxActiveName;
        name[length] = '\0';
        const DataSetVariable var{name, TYM_VAR_NUMERIC, kDataSetNumberBytes, "", &r.values[k]};
        if ((rc = define_variable(ctx->handles.activeout, var)) != 0) return rc;
    }
    return 0;
}

// The objective in the user's units from an internal bound (larger is better).
double user_objective(const LpContext* ctx, double bound) {
    const ObjectiveRecord* obj = ctx->model.current_objective;
    const double sense = obj != nullptr ? obj->sense : 1.0;
    const double scale = ctx->bb.objective_scale != 0 ? ctx->bb.objective_scale : 1.0;
    return bound * sense / scale;
}

// The integer variables' values, lower or upper bounds, in the user's units.
void fill_values(LpContext* ctx, int which) {
    const ComputationalForm& f = ctx->form;
    double* out = ctx->report.sets.active.values;
    int k = 0;
    for (const IntegerVariable* v = ctx->bb.variables; v != nullptr; v = v->next, ++k) {
        const int32_t j = v->column;
        const double internal = which == 0 ? f.value[j] : which == 1 ? f.lower[j] : f.upper[j];
        out[k] = internal / f.column_scale[j];
    }
}

void set_status(ActiveRecord& r, const char* word) { std::memcpy(r.status, word, 8); }

int write_node(LpContext* ctx, ActiveNode* node) {
    ActiveRecord& r = ctx->report.sets.active;
    int rc = restore_node(ctx, node);
    if (rc != 0) return rc;
    r.problem = node->stamp;
    r.objective = user_objective(ctx, node->bound);
    r.infeasibility = node->infeasibility;
    r.projection = node->projection;
    r.estimate = node->estimate;
    set_status(r, "LOWERBD ");
    fill_values(ctx, 1);
    if ((rc = write_observation(ctx->handles.activeout)) != 0) return rc;
    set_status(r, "UPPERBD ");
    fill_values(ctx, 2);
    return write_observation(ctx->handles.activeout);
}

int write_state(LpContext* ctx, int32_t iteration) {
    BbState& bb = ctx->bb;
    ActiveRecord& r = ctx->report.sets.active;
    const double missing = host_missing('.');
    set_status(r, "INTBEST ");
    r.problem = iteration;
    r.projection = r.estimate = missing;
    int rc = 0;
    if (bb.incumbent != nullptr) {
        if ((rc = restore_node(ctx, bb.incumbent)) != 0) return rc;
        r.objective = user_objective(ctx, bb.incumbent->bound);
        r.infeasibility = bb.incumbent->infeasibility;
    } else {
        r.objective = r.infeasibility = missing;
    }
    fill_values(ctx, 0);
    if ((rc = write_observation(ctx->handles.activeout)) != 0) return rc;
    const double floor = bb.cutoff + ctx->options.epsilon;
    for (ActiveNode* node = bb.set_aside; node != nullptr && rc == 0; node = node->next)
        if (node->bound >= floor) rc = write_node(ctx, node);
    for (ActiveNode* node = bb.oldest; node != nullptr && rc == 0; node = node->creation[1])
        if (node->bound >= floor) rc = write_node(ctx, node);
    return rc;
}

}  // namespace

int write_activeout(LpContext* ctx) {
    BbState& bb = ctx->bb;
    if (ctx->handles.data_given[kDsActiveOut] == 0 || bb.variables == nullptr || bb.root == nullptr) return 0;
    int rc = ready_solution_data_set(ctx, SolutionDataSet::Active, open_activeout);
    if (rc != 0) return rc;
    // Every node is read from its record in full while the current state
    // waits aside, and comes back afterwards.
    ActiveNode* aside = save_state_aside(ctx, &rc);
    if (rc != 0) return rc;
    const int32_t iteration = bb.iteration;
    bb.iteration = kFullRestore;
    rc = write_state(ctx, iteration);
    bb.iteration = iteration;
    const int restored = restore_state_aside(ctx, aside);
    return rc != 0 ? rc : restored;
}

}  // namespace tymlp
