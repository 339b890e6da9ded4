// solve_combination_basis.cpp -- the starting basis, the refactorisation at
// the end of a phase, and the two measures the driver evaluates.
#include <algorithm>
#include <cmath>

#include "base/context_memory.h"
#include "base/host_link.h"
#include "control/solve_combination.h"
#include "cuts/root_cuts.h"
#include "input/primalin.h"
#include "simplex/invert.h"
#include "simplex/phases.h"
#include "simplex/pivot_history.h"
#include "simplex/pricing.h"
#include "simplex/pricing_vector.h"
#include "simplex/primal_values.h"

namespace tymlp {
namespace {

// Nonbasic columns sit at the bound their status names (0 for a free one or
// one whose bound is infinite), which the basic values are computed from.
void nonbasic_at_bounds(LpContext* ctx) {
    ComputationalForm& f = ctx->form;
    const int32_t m = ctx->model.rows;
    const int32_t n = ctx->model.columns;
    const double inf = ctx->options.infinity;
    for (int32_t h = m; h < n; ++h) {
        const int32_t j = f.header[h];
        const double b = (f.status[j] & kStatAtUpper) != 0 ? f.upper[j] : f.lower[j];
        f.value[j] = std::fabs(b) < inf ? b : 0.0;
    }
}

void pin_artificials(LpContext* ctx) {
    ComputationalForm& f = ctx->form;
    const int32_t n = ctx->model.columns;
    for (int32_t j = 0; j < n; ++j) {
        if ((f.status[j] & kStatArtificial) == 0) continue;
        f.lower[j] = 0.0;
        f.upper[j] = 0.0;
    }
}

// The solution a PRIMALIN basis gives an integer problem, measured under
// the bounds PRIMALIN brought.  One that is not integer feasible (an integer
// column further than IEPSILON from an integer) is said, since the user may
// have meant it as the incumbent.  One that is integer feasible and feasible
// is kept for branch and bound, which starts from it as its first incumbent.
int check_primalin_integer_solution(LpContext* ctx) {
    const ComputationalForm& f = ctx->form;
    BbState& bb = ctx->bb;
    if (ctx->model.integer_count == 0 && ctx->model.sos_count == 0) return 0;
    constexpr int kMsgNotIntegerFeasible = 186;
    double sum = 0.0;
    for (int32_t j = 0; j < ctx->model.columns; ++j) {
        if ((f.status[j] & kStatInteger) == 0) continue;
        const double x = f.value[j] / f.column_scale[j];
        const double distance = std::fmin(x - std::floor(x), std::ceil(x) - x);
        if (distance > ctx->options.iepsilon) sum += distance;
    }
    if (sum != 0.0) {
        host_message(kMsgNotIntegerFeasible);
        return 0;
    }
    if (phase1_objective_value(ctx) != 0.0 || bb.variables == nullptr) return 0;
    if (bb.primalin_values == nullptr) {
        bb.primalin_values = ctx_alloc_array<double>(ctx, ctx->model.integer_count, TYM_ALLOC_STEP_ZERO);
        if (bb.primalin_values == nullptr) return kRunMemory;
    }
    int32_t k = 0;
    for (const IntegerVariable* v = bb.variables; v != nullptr && k < ctx->model.integer_count; v = v->next, ++k)
        bb.primalin_values[k] = f.value[v->column] / f.column_scale[v->column];
    bb.primalin_solution = 1;
    return keep_known_point(ctx);
}

}  // namespace

int set_up_starting_basis(LpContext* ctx) {
    InstallPhaseHooks(ctx);
    pin_artificials(ctx);
    ctx->bb.primalin_solution = 0;
    ComputationalForm& f = ctx->form;
    const int32_t n = ctx->model.columns;
    const bool primalin = ctx->handles.data_given[kDsPrimalIn] != 0;
    const bool integer = ctx->model.integer_count > 0 || ctx->model.sos_count > 0;
    // The bounds a PRIMALIN of an integer problem brings last only while its
    // solution is measured; the problem's own come back then.
    double* lower = nullptr;
    double* upper = nullptr;
    if (primalin && integer) {
        lower = ctx_alloc_array<double>(ctx, n, TYM_ALLOC_STEP_ZERO);
        upper = ctx_alloc_array<double>(ctx, n, TYM_ALLOC_STEP_ZERO);
        if (lower == nullptr || upper == nullptr) return kRunMemory;
        std::copy(f.lower, f.lower + n, lower);
        std::copy(f.upper, f.upper + n, upper);
    }
    if (primalin) {
        const int marked = mark_primalin_basis(ctx);
        if (marked != 0) return marked;
    }
    RebuildHeader(ctx);
    nonbasic_at_bounds(ctx);
    ctx->solver.delta = ctx->options.bepsilon;
    int rc = Invert(ctx);
    if (rc != 0) return rc;
    rc = RecomputePrimal(ctx);
    if (rc != 0 || lower == nullptr) return rc;
    rc = check_primalin_integer_solution(ctx);
    if (rc != 0) return rc;
    // The phase-1 column keeps the upper bound PRIMALIN gave it.
    const ObjectiveRecord* phase1 = ctx->model.phase1_objective;
    for (int32_t j = 0; j < n; ++j) {
        if (phase1 != nullptr && j == phase1->column) continue;
        f.lower[j] = lower[j];
        f.upper[j] = upper[j];
    }
    ctx_free_array(ctx, lower);
    ctx_free_array(ctx, upper);
    nonbasic_at_bounds(ctx);
    return RecomputePrimal(ctx);
}

int refactorise_after_phase(LpContext* ctx) {
    ClearPivotHistory(ctx);
    ClearLeaveBans(ctx);
    const int rc = Invert(ctx);
    return rc == kRunSingular ? kRunUnstable : rc;
}

double phase1_objective_value(const LpContext* ctx) {
    const ComputationalForm& f = ctx->form;
    const int32_t m = ctx->model.rows;
    const double delta = ctx->solver.delta;
    double sum = 0.0;
    for (int32_t i = 0; i < m; ++i) {
        const int32_t j = f.header[i];
        if ((f.status[j] & kStatHeld) != 0) continue;
        const double x = f.value[j];
        if (x > f.upper[j] + delta)
            sum += x - f.upper[j];
        else if (x < f.lower[j] - delta)
            sum += f.lower[j] - x;
    }
    return sum;
}

int largest_dual_infeasibility(LpContext* ctx, double* value) {
    PricingVector(ctx);
    const int rc = FullPricing(ctx);
    if (rc != 0) return rc;
    const double price = ctx->phases.pricing.price;
    *value = price > 0.0 ? price : 0.0;
    return 0;
}

}  // namespace tymlp
