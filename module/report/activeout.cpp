// activeout.cpp -- the ACTIVEOUT data set.
#include <cstring>

#include "base/context_memory.h"
#include "base/host_link.h"
#include "input/model_records.h"
#include "input/reader_common.h"
#include "integer/active_check.h"
#include "integer/active_names.h"
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
    r.values = ctx_alloc_array<double>(ctx, count > 0 ? count : 1);
    ActiveName* names = ctx_alloc_array<ActiveName>(ctx, count > 0 ? count : 1);
    if (r.values == nullptr || names == nullptr) return kRunMemory;
    const DataSetVariable fixed[] = {
        {"_STATUS_", TYM_VAR_CHAR, 8, "Bounds status.", r.status},
        {"_PROB_", TYM_VAR_NUMERIC, kDataSetNumberBytes, "Problem number.", &r.problem},
        {"_OBJECT_", TYM_VAR_NUMERIC, kDataSetNumberBytes, "Objective value.", &r.objective},
        {"_SINFEA_", TYM_VAR_NUMERIC, kDataSetNumberBytes, "Sum of infeasibilities.", &r.infeasibility},
        {"_PROJEC_", TYM_VAR_NUMERIC, kDataSetNumberBytes, "Project.", &r.projection},
        {"_PSEUDO_", TYM_VAR_NUMERIC, kDataSetNumberBytes, "Pseudocost.", &r.estimate},
    };
    // The count and the check value close the variables, after the integer
    // columns, so that readers that know only the older layout still find
    // everything where they look for it (by name).
    const DataSetVariable closing[] = {
        {"_NODES_", TYM_VAR_NUMERIC, kDataSetNumberBytes, "Nodes that follow, or the place of this node.", &r.nodes},
        {"_CHECK_", TYM_VAR_NUMERIC, kDataSetNumberBytes, "Check value.", &r.check},
    };
    int rc = open_solution_data_set(ctx, SolutionDataSet::Active, fixed, count + 2);
    if (rc == 0) rc = active_variable_names(ctx, names);
    if (rc != 0) {
        ctx_free_array(ctx, names);
        return rc;
    }
    if (column_name_width(ctx) > kMaxActiveName) {
        const TymArg args[] = {arg_int(kMaxActiveName), arg_int(kMaxActiveName)};
        host_message(kMsgNamesCut, 2, args);
    }
    for (int k = 0; k < count && rc == 0; ++k) {
        const DataSetVariable var{names[k].text, TYM_VAR_NUMERIC, kDataSetNumberBytes, "", &r.values[k]};
        rc = define_variable(ctx->handles.activeout, var);
    }
    ctx_free_array(ctx, names);
    for (const DataSetVariable& var : closing)
        if (rc == 0) rc = define_variable(ctx->handles.activeout, var);
    return rc;
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

// The values just filled into the section's check value.
void check_values(LpContext* ctx, ActiveCheck* check) {
    const ActiveRecord& r = ctx->report.sets.active;
    for (int k = 0, n = integer_variable_count(ctx); k < n; ++k) check->add_whole(r.values[k], ctx->options.infinity);
}

int write_node(LpContext* ctx, ActiveNode* node, int32_t place, ActiveCheck* check) {
    ActiveRecord& r = ctx->report.sets.active;
    int rc = restore_node(ctx, node);
    if (rc != 0) return rc;
    r.nodes = place;
    r.check = host_missing('.');
    check->add_integer(node->stamp);
    r.problem = node->stamp;
    r.objective = user_objective(ctx, node->bound);
    r.infeasibility = node->infeasibility;
    r.projection = node->projection;
    r.estimate = node->estimate;
    set_status(r, "LOWERBD ");
    fill_values(ctx, 1);
    check_values(ctx, check);
    if ((rc = write_observation(ctx->handles.activeout)) != 0) return rc;
    set_status(r, "UPPERBD ");
    fill_values(ctx, 2);
    check_values(ctx, check);
    r.check = check->value();
    return write_observation(ctx->handles.activeout);
}

int write_state(LpContext* ctx, int32_t iteration) {
    BbState& bb = ctx->bb;
    ActiveRecord& r = ctx->report.sets.active;
    const double missing = host_missing('.');
    set_status(r, "INTBEST ");
    r.problem = iteration;
    r.projection = r.estimate = missing;
    const double floor = bb.cutoff + ctx->options.epsilon;
    // A pause inside a node's LP: that node is in no list but still to be
    // searched.
    ActiveNode* unsolved = bb.node_in_lp != 0 && bb.current != nullptr && bb.current != bb.root ? bb.current : nullptr;
    int32_t count = unsolved != nullptr ? 1 : 0;
    for (ActiveNode* node = bb.set_aside; node != nullptr; node = node->next)
        if (node->bound >= floor) ++count;
    for (ActiveNode* node = bb.oldest; node != nullptr; node = node->creation[1])
        if (node->bound >= floor) ++count;
    r.nodes = count;
    ActiveCheck check;
    check.add_integer(static_cast<int64_t>(bb.problem_digest));
    check.add_integer(iteration);
    check.add_integer(bb.incumbent != nullptr ? 1 : 0);
    int rc = 0;
    if (bb.incumbent != nullptr) {
        if ((rc = restore_node(ctx, bb.incumbent)) != 0) return rc;
        r.objective = user_objective(ctx, bb.incumbent->bound);
        r.infeasibility = bb.incumbent->infeasibility;
        fill_values(ctx, 0);
        check_values(ctx, &check);
    } else {
        r.objective = r.infeasibility = missing;
        fill_values(ctx, 0);
    }
    r.check = check.value();
    if ((rc = write_observation(ctx->handles.activeout)) != 0) return rc;
    int32_t place = 0;
    if (unsolved != nullptr) rc = write_node(ctx, unsolved, ++place, &check);
    for (ActiveNode* node = bb.set_aside; node != nullptr && rc == 0; node = node->next)
        if (node->bound >= floor) rc = write_node(ctx, node, ++place, &check);
    for (ActiveNode* node = bb.oldest; node != nullptr && rc == 0; node = node->creation[1])
        if (node->bound >= floor) rc = write_node(ctx, node, ++place, &check);
    return rc;
}

}  // namespace

int write_activeout(LpContext* ctx) {
    BbState& bb = ctx->bb;
    if (ctx->handles.data_given[kDsActiveOut] == 0 || bb.root == nullptr) return 0;
    if (bb.variables == nullptr && ctx->model.sos_count == 0) return 0;
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
