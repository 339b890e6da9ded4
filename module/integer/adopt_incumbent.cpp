// adopt_incumbent.cpp -- an integer solution known before the search
// becomes the incumbent.
#include "integer/adopt_incumbent.h"

#include <climits>
#include <cmath>

#include "base/context_memory.h"
#include "input/sos_sets.h"
#include "integer/bb_internal.h"
#include "integer/branch_bound.h"
#include "integer/incumbent_check.h"
#include "integer/node_records.h"
#include "integer/node_store.h"
#include "simplex/phases.h"
#include "simplex/primal_values.h"

namespace tymlp {
namespace {

// Whether the solution keeps every special ordered set: at most one member
// away from its reference value, and in an equality set exactly one.  Only
// the integer columns were fixed, so the LP may have spread a set.
bool sets_kept(const LpContext* ctx) {
    const ComputationalForm& f = ctx->form;
    const double ieps = ctx->options.iepsilon;
    for (const SosSet* s = ctx->model.sos_sets; s != nullptr; s = s->next) {
        int32_t away = 0;
        for (int32_t k = 0; k < s->count; ++k)
            if (std::fabs(f.value[s->members[k]] - s->reference[k]) > ieps) ++away;
        if (away > 1 || (away == 0 && s->equality != 0)) return false;
    }
    return true;
}

}  // namespace

int adopt_integer_solution(LpContext* ctx, const double* values, ActiveNode* node, bool bound_from_solution,
                           Adoption* adoption) {
    BbState& bb = ctx->bb;
    ComputationalForm& f = ctx->form;
    *adoption = Adoption::kFailed;
    // The values must lie within the bounds in force (the root's): fixing
    // a column outside them would solve another problem.
    const double eps = ctx->options.epsilon;
    int k = 0;
    for (const IntegerVariable* v = bb.variables; v != nullptr; v = v->next, ++k) {
        const int32_t j = v->column;
        const double x = std::nearbyint(values[k]) * f.column_scale[j];
        if (!std::isfinite(x) || x < f.lower[j] - eps * (1.0 + std::fabs(f.lower[j])) ||
            x > f.upper[j] + eps * (1.0 + std::fabs(f.upper[j]))) {
            release_node(ctx, node);
            return 0;
        }
    }
    k = 0;
    for (const IntegerVariable* v = bb.variables; v != nullptr; v = v->next, ++k) {
        const int32_t j = v->column;
        f.lower[j] = f.upper[j] = std::nearbyint(values[k]) * f.column_scale[j];
    }
    int rc = RecomputePrimal(ctx);
    if (rc != 0) {
        release_node(ctx, node);
        return rc;
    }
    EnterPhase(ctx, kPhase3, false);
    const int code = RunPhase(ctx, DualPhase);
    ctx->solver.run_status = kRunOk;
    switch (code) {
        case kStopFinished:
            if (!sets_kept(ctx) || !incumbent_holds(ctx)) {
                release_node(ctx, node);
                *adoption = Adoption::kNotKept;
                return 0;
            }
            if (bound_from_solution) node->bound = current_z(ctx);
            if (bb.incumbent != nullptr && bb.incumbent->bound >= node->bound) {
                release_node(ctx, node);
                *adoption = Adoption::kCutOff;
                return 0;
            }
            if (node->bound > bb.cutoff) bb.cutoff = node->bound;
            if ((rc = save_node(ctx, node)) != 0) return rc;
            if (bb.incumbent != nullptr) release_node(ctx, bb.incumbent);
            bb.incumbent = node;
            *adoption = Adoption::kAdopted;
            return 0;
        case kStopCutoff:
            release_node(ctx, node);
            *adoption = Adoption::kCutOff;
            return 0;
        case kStopTime:
        case kStopIterations:
        case kStopPause:
        case kStopPivots: release_node(ctx, node); return code;
        default: release_node(ctx, node); return 0;
    }
}

int adopt_rounded_point(LpContext* ctx, Adoption* adoption) {
    BbState& bb = ctx->bb;
    const ComputationalForm& f = ctx->form;
    *adoption = Adoption::kFailed;
    const int32_t count = ctx->model.integer_count > 0 ? ctx->model.integer_count : 1;
    double* values = ctx_alloc_array<double>(ctx, count, TYM_ALLOC_STEP_ZERO);
    if (values == nullptr) return kRunMemory;
    int k = 0;
    for (const IntegerVariable* v = bb.variables; v != nullptr; v = v->next, ++k)
        values[k] = f.value[v->column] / f.column_scale[v->column];
    int rc = 0;
    ActiveNode* aside = save_state_aside(ctx, &rc);
    if (rc != 0) {
        ctx_free_array(ctx, values);
        return rc;
    }
    const ActiveNode* before = bb.incumbent;
    const int32_t maxit3 = ctx->options.maxit3;
    const double time = ctx->options.time;
    ctx->options.maxit3 = INT_MAX;
    ctx->options.time = 1e300;
    rc = adopt_integer_solution(ctx, values, allocate_node(ctx), true, adoption);
    ctx->options.maxit3 = maxit3;
    ctx->options.time = time;
    ctx_free_array(ctx, values);
    const int restored = restore_state_aside(ctx, aside);
    if (rc != 0 && rc != kStopPause && rc != kStopPivots && rc != kStopInterrupted && rc != kStopTime &&
        rc != kStopIterations)
        return rc;
    if (restored != 0) return restored;
    if (*adoption != Adoption::kAdopted || bb.incumbent == before) return 0;
    bb.improved = 1;
    return settle_new_incumbent(ctx);
}

}  // namespace tymlp
