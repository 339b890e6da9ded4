// branch_bound.cpp -- the start of branch and bound and the restores the
// driver asks for around it.
#include "integer/branch_bound.h"

#include <cmath>
#include <initializer_list>

#include "base/context_memory.h"
#include "input/sos_sets.h"
#include "integer/active_check.h"
#include "integer/bb_internal.h"
#include "integer/node_records.h"
#include "integer/node_select.h"
#include "integer/node_store.h"
#include "output/reported_values.h"
#include "simplex/solution_results.h"

namespace tymlp {
namespace {

constexpr int32_t kNotGiven = 2147483647;
constexpr int32_t kNoDeltaItCount = -2147483647;
constexpr int32_t kDeltaItPerInteger = 3;
constexpr int32_t kAutoFirstDefault = 20000;
constexpr int32_t kAutoSecondDefault = 250000;
constexpr double kControlOfAutoAlone = 0.7;
constexpr int32_t kPicksPerRun = 100;
constexpr int32_t kDivesPerInteger = 5;
// The cutoff a known value gives lies this many EPSILONs below it, so that
// a solution of exactly that value is still found.
constexpr double kCutoffMargin = 10.0;

bool all_binary(const LpContext* ctx) {
    const ComputationalForm& f = ctx->form;
    const double eps = ctx->options.epsilon;
    for (const IntegerVariable* v = ctx->bb.variables; v != nullptr; v = v->next)
        if (std::fabs(f.lower[v->column]) > eps || std::fabs(f.upper[v->column] - 1.0) > eps) return false;
    return true;
}

bool integral(double v, double eps) { return std::fabs(v - std::round(v)) <= eps; }

// The integer variables' prices and pseudocosts, and whether every solution
// has an integral objective: each column's coefficient is 0 or belongs to
// an integer column and is integral, and so is the objective's constant.
int price_integer_variables(LpContext* ctx) {
    BbState& bb = ctx->bb;
    const ComputationalForm& f = ctx->form;
    const ReportBasis b = report_basis(ctx);
    const double eps = ctx->options.epsilon;
    bool integral_objective = b.valid;
    for (int32_t j = 0; j < ctx->model.structural_count && integral_objective; ++j) {
        double c = 0.0;
        const int rc = column_price(ctx, b, j, &c);
        if (rc != 0) return rc;
        if (c != 0.0 && ((f.status[j] & kStatInteger) == 0 || !integral(c, eps))) integral_objective = false;
    }
    if (integral_objective && f.rhs != nullptr && !integral(row_rhs(ctx, b.objective_row), eps))
        integral_objective = false;
    bb.integral_objective = integral_objective ? 1 : 0;
    // The digest that ties an ACTIVEOUT section to this problem.
    ActiveCheck digest;
    const ObjectiveRecord* obj = ctx->model.current_objective;
    digest.add_bits(obj != nullptr ? obj->sense : 1.0);
    digest.add_integer(ctx->model.integer_count);
    for (IntegerVariable* v = bb.variables; v != nullptr; v = v->next) {
        double c = 0.0;
        const int rc = b.valid ? column_price(ctx, b, v->column, &c) : 0;
        if (rc != 0) return rc;
        v->price = std::ceil(c);
        v->up_pseudocost = v->down_pseudocost = std::fabs(c) * bb.objective_scale;
        const double s = f.column_scale[v->column];
        digest.add_whole(f.lower[v->column] / s, ctx->options.infinity);
        digest.add_whole(f.upper[v->column] / s, ctx->options.infinity);
        digest.add_bits(c);
    }
    bb.problem_digest = digest.digest();
    return 0;
}

double root_infeasibility(const LpContext* ctx) {
    const ComputationalForm& f = ctx->form;
    const double ieps = ctx->options.iepsilon;
    double sum = 0.0;
    for (const IntegerVariable* v = ctx->bb.variables; v != nullptr; v = v->next) {
        const double x = f.value[v->column];
        const double m = std::fmin(x - std::floor(x), std::ceil(x) - x);
        if (m > ieps) sum += m;
    }
    return sum;
}

// The cutoff from IOBJECTIVE, POBJECTIVE and DOBJECTIVE (in the user's
// units, then scaled) and the target from WOBJECTIVE; an incumbent known
// before the search raises both to its value.
void set_cutoff_and_target(LpContext* ctx) {
    BbState& bb = ctx->bb;
    const LpOptions& o = ctx->options;
    const ObjectiveRecord* obj = ctx->model.current_objective;
    const double s = obj != nullptr ? obj->sense : 1.0;
    const double u = current_z(ctx) / bb.objective_scale;
    const double inf = o.infinity;
    double cutoff = -inf;
    if (!std::isnan(o.iobjective)) cutoff = std::fmax(cutoff, s * o.iobjective);
    if (!std::isnan(o.pobjective)) cutoff = std::fmax(cutoff, u - std::fabs(u) * o.pobjective);
    if (!std::isnan(o.dobjective)) cutoff = std::fmax(cutoff, u - o.dobjective);
    bb.cutoff = cutoff > -inf ? bb.objective_scale * cutoff - kCutoffMargin * o.epsilon : -inf;
    bb.target = !std::isnan(o.wobjective) ? s * o.wobjective * bb.objective_scale : -inf;
    if (bb.incumbent != nullptr) {
        bb.cutoff = std::fmax(bb.cutoff, bb.incumbent->bound);
        bb.target = std::fmax(bb.target, bb.cutoff);
    }
}

void choose_selection(LpContext* ctx) {
    BbState& bb = ctx->bb;
    LpOptions& o = ctx->options;
    const bool control_given = !std::isnan(o.control);
    if (o.canselect == kNodeLifo && (o.auto_select != 0 || control_given)) o.canselect = kNodeObj;
    const int32_t n = ctx->model.integer_count;
    bb.mix = MixState{};
    bb.mix.runs = kPicksPerRun;
    bb.mix.dive_scale = kDivesPerInteger * n;
    bb.mix.depth_scale = n / 2 + 1;
    if (o.auto_first == 0) o.auto_first = kAutoFirstDefault;
    if (o.auto_second == 0) o.auto_second = kAutoSecondDefault;
    if (o.auto_select == 0 && !control_given) {
        ctx->entries.select_node = select_plain;
    } else {
        ctx->entries.select_node = select_mixed;
        set_mix(ctx, control_given ? o.control : kControlOfAutoAlone);
    }
    bb.lists_in_use = 1u << kListByBound;
    for (int16_t rule : {o.canselect, o.backtrack}) bb.lists_in_use |= static_cast<uint8_t>(1u << list_of_rule(rule));
}

int allocate_work_arrays(LpContext* ctx) {
    BbState& bb = ctx->bb;
    if (bb.rho == nullptr) bb.rho = ctx_alloc_array<double>(ctx, ctx->model.rows);
    if (bb.reduced == nullptr) bb.reduced = ctx_alloc_array<double>(ctx, ctx->model.columns);
    return bb.rho != nullptr && bb.reduced != nullptr ? 0 : kRunMemory;
}

}  // namespace

int initialise_branch_and_bound(LpContext* ctx) {
    BbState& bb = ctx->bb;
    LpOptions& o = ctx->options;
    const ComputationalForm& f = ctx->form;
    const int32_t integers = ctx->model.integer_count;
    reset_node_store(ctx);
    ctx->engine.hooks.release_node = discard_node;
    int rc = allocate_work_arrays(ctx);
    if (rc != 0) return rc;

    const ObjectiveRecord* obj = ctx->model.current_objective;
    bb.objective_scale =
        obj != nullptr && obj->column >= 0 && f.column_scale != nullptr ? f.column_scale[obj->column] : 1.0;
    if (!(bb.objective_scale > 0.0)) bb.objective_scale = 1.0;
    bb.all_binary = all_binary(ctx) ? 1 : 0;
    if (o.deltait == kNotGiven) o.deltait = integers > 0 ? kDeltaItPerInteger * integers : 1;
    choose_selection(ctx);
    bb.deltait_counter = kNoDeltaItCount;
    bb.ipause_count = 0;
    bb.ifeasible_count = 0;
    bb.iteration = 0;
    bb.improved = 0;
    bb.evaluated = 0;
    bb.last_evaluation = 0;
    bb.parent_basis_in_memory = 0;
    bb.projection_weight = 0.0;
    bb.branch_column = -1;
    if (o.penaltydepth == 0) o.penaltydepth = integers > 0 ? integers : 1;
    rc = price_integer_variables(ctx);
    if (rc != 0) return rc;
    set_cutoff_and_target(ctx);

    const double z = current_z(ctx);
    const double infeasibility = root_infeasibility(ctx);
    bb.root = allocate_node(ctx);
    bb.current = allocate_node(ctx);
    for (ActiveNode* node : {bb.root, bb.current}) {
        node->stamp = 0;
        node->bound = z;
        node->infeasibility = infeasibility;
        node->parent_z = z;
        rc = save_node(ctx, node);
        if (rc != 0) return rc;
    }
    bb.current->state = kNodeCurrent;
    for (SosSet* s = ctx->model.sos_sets; s != nullptr; s = s->next)
        for (int32_t k = 0; k < s->count; ++k) s->reference[k] = f.lower[s->members[k]];
    return 0;
}

int apply_selection_options(LpContext* ctx) {
    BbState& bb = ctx->bb;
    if (bb.root == nullptr) return 0;
    // The ordered lists the new rules need are filled afresh: every active
    // node leaves the store and comes back, oldest first, so the creation
    // order stays as it was.
    ActiveNode** nodes = ctx_alloc_array<ActiveNode*>(ctx, bb.active_count, TYM_ALLOC_STEP_ZERO);
    if (nodes == nullptr) return kRunMemory;
    int32_t count = 0;
    for (ActiveNode* n = bb.oldest; n != nullptr; n = n->creation[1]) nodes[count++] = n;
    for (int32_t k = 0; k < count; ++k) remove_node(ctx, nodes[k]);
    forget_list_samples(ctx);
    choose_selection(ctx);
    int rc = 0;
    for (int32_t k = 0; k < count && rc == 0; ++k) rc = add_node(ctx, nodes[k]);
    ctx_free_array(ctx, nodes);
    return rc;
}

int restore_best_node(LpContext* ctx) {
    BbState& bb = ctx->bb;
    ActiveNode* best = bb.incumbent != nullptr ? bb.incumbent : bb.root;
    if (best == nullptr) return 0;
    bb.parent_basis_in_memory = 0;  // always from the record, refactorised
    bb.current = best;
    return restore_node(ctx, best);
}

int restore_root_node(LpContext* ctx) {
    BbState& bb = ctx->bb;
    if (bb.root == nullptr) return 0;
    bb.parent_basis_in_memory = 0;
    return restore_node(ctx, bb.root);
}

int save_root_node(LpContext* ctx) { return ctx->bb.root != nullptr ? save_node(ctx, ctx->bb.root) : 0; }

ActiveNode* save_state_aside(LpContext* ctx, int* rc) {
    ActiveNode* node = allocate_node(ctx);
    node->stamp = 0;
    *rc = save_node(ctx, node);
    return node;
}

int restore_state_aside(LpContext* ctx, ActiveNode* node) {
    ctx->bb.parent_basis_in_memory = 0;
    const int rc = restore_node(ctx, node);
    release_node(ctx, node);
    return rc;
}

}  // namespace tymlp
