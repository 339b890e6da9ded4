// heuristic_incumbent.cpp -- a heuristic's point through the checked
// incumbent path.
#include "heuristics/heuristic_incumbent.h"

#include <climits>
#include <cmath>

#include "base/context_memory.h"
#include "base/host_link.h"
#include "heuristics/heuristic_entries.h"
#include "integer/adopt_incumbent.h"
#include "integer/bb_internal.h"
#include "integer/branch_bound.h"
#include "integer/node_store.h"
#include "simplex/phases.h"

namespace tymlp {
namespace {

constexpr int kMsgHeuristicIncumbent = 420;
constexpr double kNoTimeLimit = 1e300;

double user_objective(const LpContext* ctx, double z) {
    const ObjectiveRecord* obj = ctx->model.current_objective;
    const double scale = ctx->bb.objective_scale != 0.0 ? ctx->bb.objective_scale : 1.0;
    return z / scale * (obj != nullptr && obj->sense < 0 ? -1.0 : 1.0);
}

}  // namespace

int offer_heuristic_point(LpContext* ctx, int kind, Offer* offer) {
    BbState& bb = ctx->bb;
    HeuristicState& h = ctx->heuristics;
    const ComputationalForm& f = ctx->form;
    *offer = Offer::kRefused;
    const int32_t count = ctx->model.integer_count > 0 ? ctx->model.integer_count : 1;
    double* values = ctx_alloc_array<double>(ctx, count, TYM_ALLOC_STEP_ZERO);
    if (values == nullptr) return kRunMemory;
    int k = 0;
    // The values in the user's units, as PRIMALIN gives them.
    for (const IntegerVariable* v = bb.variables; v != nullptr; v = v->next, ++k)
        values[k] = h.point[v->column] / f.column_scale[v->column];
    int rc = 0;
    ActiveNode* aside = save_state_aside(ctx, &rc);
    if (rc != 0) {
        ctx_free_array(ctx, values);
        return rc;
    }
    const ActiveNode* before = bb.incumbent;
    // The fixed LP is no node of the search: its iterations count as the
    // integer phase's, but no limit of the search may stop it half way (the
    // next pass checks the limits).
    const int32_t maxit3 = ctx->options.maxit3;
    const double time = ctx->options.time;
    ctx->options.maxit3 = INT_MAX;
    ctx->options.time = kNoTimeLimit;
    Adoption adoption = Adoption::kFailed;
    rc = adopt_integer_solution(ctx, values, allocate_node(ctx), true, &adoption);
    ctx->options.maxit3 = maxit3;
    ctx->options.time = time;
    ctx_free_array(ctx, values);
    const int restored = restore_state_aside(ctx, aside);
    if (rc != 0 && rc != kStopPause && rc != kStopPivots && rc != kStopInterrupted) return rc;
    if (restored != 0) return restored;
    if (adoption == Adoption::kCutOff) *offer = Offer::kNotBetter;
    if (adoption != Adoption::kAdopted || bb.incumbent == before) return 0;
    *offer = Offer::kTaken;
    ++h.found[kind];
    const TymArg args[] = {arg_text(heuristic_name(kind)), arg_double(user_objective(ctx, bb.incumbent->bound)),
                           arg_int(bb.iteration)};
    host_message(kMsgHeuristicIncumbent, 3, args);
    for (k = 0; k < ctx->model.integer_count; ++k) h.incumbent_values[k] = 0.0;
    k = 0;
    for (const IntegerVariable* v = bb.variables; v != nullptr; v = v->next, ++k)
        h.incumbent_values[k] = std::nearbyint(h.point[v->column]);
    h.incumbent_known = 1;
    bb.improved = 1;
    return settle_new_incumbent(ctx);
}

void remember_incumbent_values(LpContext* ctx) {
    HeuristicState& h = ctx->heuristics;
    if (h.prepared == 0) return;
    int k = 0;
    for (const IntegerVariable* v = ctx->bb.variables; v != nullptr; v = v->next, ++k)
        h.incumbent_values[k] = std::nearbyint(ctx->form.value[v->column]);
    h.incumbent_known = 1;
}

}  // namespace tymlp
