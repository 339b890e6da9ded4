// solve_combination_basis.cpp -- the starting basis, the refactorisation at
// the end of a phase, and the two measures the driver evaluates.
#include <cmath>

#include "control/solve_combination.h"
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

}  // namespace

int set_up_starting_basis(LpContext* ctx) {
    InstallPhaseHooks(ctx);
    pin_artificials(ctx);
    if (ctx->handles.data_given[kDsPrimalIn] != 0) {
        const int marked = mark_primalin_basis(ctx);
        if (marked != 0) return marked;
    }
    RebuildHeader(ctx);
    nonbasic_at_bounds(ctx);
    ctx->solver.delta = ctx->options.bepsilon;
    const int rc = Invert(ctx);
    if (rc != 0) return rc;
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
