// bb_internal.h -- small pieces the branch-and-bound files share.
#pragma once

#include <cmath>

#include "base/lp_context.h"

namespace tymlp {

// The internal objective value z of the current solution: the objective
// column's value times the objective's sense (scaled units).
inline double current_z(const LpContext* ctx) {
    const ObjectiveRecord* obj = ctx->model.current_objective;
    if (obj == nullptr || obj->column < 0) return 0.0;
    return obj->sense * ctx->form.value[obj->column];
}

// A node value as branch and bound compares it: when every solution has an
// integral objective, no node can do better than the integer at or below
// its value (IEPSILON forgives the rounding of a value just below one).
inline double round_node_value(const LpContext* ctx, double z) {
    const BbState& bb = ctx->bb;
    if (bb.integral_objective == 0 || !(std::fabs(z) < ctx->options.infinity)) return z;
    const double s = bb.objective_scale;
    return std::floor(z / s + ctx->options.iepsilon) * s;
}

// Whether a value beats the cutoff by more than EPSILON.
inline bool beats_cutoff(const LpContext* ctx, double value) { return value - ctx->bb.cutoff > ctx->options.epsilon; }

// Sets the condition text of the current iteration (blank filled).
void set_condition(LpContext* ctx, const char* text);

// Evaluates the current node's LP solution: 0 children created ("ACTIVE"),
// 6 infeasible, 15 a new incumbent, 17 fathomed; or an error (9, 25).
int evaluate_node(LpContext* ctx);

}  // namespace tymlp
