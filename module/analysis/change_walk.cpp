// change_walk.cpp -- the interval of the current basis along a change
// vector, and the basis change at its end.
#include "analysis/change_walk.h"

#include <cmath>
#include <cstring>

#include "base/host_link.h"
#include "factor/factor_entries.h"
#include "simplex/basis_header.h"
#include "simplex/phases.h"
#include "simplex/pricing.h"
#include "simplex/pricing_vector.h"
#include "simplex/primal_values.h"
#include "simplex/ratio_tests.h"
#include "simplex/update_basis.h"
#include "simplex/work_store.h"

namespace tymlp {
namespace {

// The working tolerance of the dual ratio test of a right-hand side step.
constexpr double kDualStepTolerance = 2.220446049250314e-16;

bool towards_plus(const ChangeWalk& walk) { return walk.target >= 0.0; }

int price_interval(LpContext* ctx, ChangeWalk& walk) {
    const ComputationalForm& f = ctx->form;
    const int32_t m = ctx->model.rows;
    const int32_t n = ctx->model.columns;
    for (int32_t k = 0; k < m; ++k) walk.w[k] = walk.change[f.header[k]];
    ctx->entries.factor->btran(ctx->inverse, walk.w);
    int rc = nonbasic_reduced_costs(ctx, walk.basis, walk.reduced);
    const double kappa = reduced_cost_rate_factor(ctx, walk.basis);
    walk.interval = unbounded_interval(ctx);
    for (int32_t h = m; h < n && rc == 0; ++h) {
        const int32_t v = f.header[h];
        walk.rate[v] = 0.0;
        if (excluded_from_entering(ctx, v)) continue;
        double delta = 0.0;
        rc = price_against(ctx, v, walk.w, walk.change[v], &delta);
        walk.rate[v] = kappa * delta;
        narrow_by_reduced_cost_at(ctx, walk.interval, v, h, walk.reduced[v], walk.rate[v], walk.phi);
    }
    for (int32_t k = 0; k < m; ++k) walk.rate[f.header[k]] = 0.0;
    return rc;
}

int rhs_interval(LpContext* ctx, ChangeWalk& walk) {
    const int32_t m = ctx->model.rows;
    const int rc = nonbasic_reduced_costs(ctx, walk.basis, walk.reduced);
    if (rc != 0) return rc;
    std::memcpy(walk.w, walk.change, static_cast<size_t>(m) * sizeof(double));
    ctx->entries.factor->ftran(ctx->inverse, walk.w);
    walk.interval = unbounded_interval(ctx);
    for (int32_t k = 0; k < m; ++k)
        narrow_by_basic_value(ctx, walk.interval, k, walk.w[k], ctx->options.repsilon, walk.phi);
    return 0;
}

// The column at the limiting position of the end towards the target.
int32_t limiting_position(const ChangeWalk& walk) {
    return towards_plus(walk) ? walk.interval.upper_position : walk.interval.lower_position;
}

void stop_walk(ChangeWalk& walk, int message, int code) {
    const TymArg args[] = {arg_text(walk.name, walk.name_length), arg_double(walk.phi)};
    host_message(message, 2, args);
    walk.stop = code;
}

// The column at header position h enters; the primal ratio test picks the
// column that leaves (or finds a bound flip).  The basic values, which do
// not depend on the prices, stay feasible.
int price_step(LpContext* ctx, ChangeWalk& walk, int32_t h) {
    SolverState& sv = ctx->solver;
    sv.entering = ctx->form.header[h];
    sv.entering_pos = h;
    const int code = PrimalRatio(ctx);
    if (code == kRatioUnbounded) {
        stop_walk(walk, kMsgPriceWalkUnbounded, kRatioUnbounded);
        return 0;
    }
    walk.entering = sv.entering;
    if (code == kRatioBoundFlip) {
        walk.leaving = sv.entering;
        return 0;
    }
    if (code != kRatioExchange) return code;
    walk.leaving = sv.leaving;
    UpdatePrimal(ctx);
    ExchangeBasis(ctx);
    const int rc = UpdateBasis(ctx);
    if (rc != 0) return rc;
    PricingVector(ctx);
    return 0;
}

// Dual ratio test for the basic column at position k leaving at its lower
// bound (`to_lower`) or its upper bound: the entering column keeps every
// reduced cost on its optimal side, the largest pivot among near ties.
// Returns the header position of the entering column, or -1.  Returns 9 or
// 25 through *rc when a column cannot be fetched.
int32_t dual_entering(LpContext* ctx, int32_t k, bool to_lower, const ChangeWalk& walk, double* rho, int* rc) {
    const ComputationalForm& f = ctx->form;
    const int32_t m = ctx->model.rows;
    const int32_t n = ctx->model.columns;
    const double repsilon = ctx->options.repsilon;
    BasisInverseRow(ctx, k, rho, false);
    double theta = ctx->options.infinity;
    // Pass 1: the smallest ratio with a little room; pass 2: the largest
    // pivot within it.
    for (int pass = 0; pass < 2; ++pass) {
        int32_t best = -1;
        double best_alpha = repsilon;
        for (int32_t h = m; h < n; ++h) {
            const int32_t j = f.header[h];
            if (excluded_from_entering(ctx, j)) continue;
            double alpha = 0.0;
            *rc = price_against(ctx, j, rho, 0.0, &alpha);
            if (*rc != 0) return -1;
            alpha = -alpha;  // rho'a_j
            if (std::fabs(alpha) <= repsilon) continue;
            // x_l moves by -alpha per unit of x_j: leaving at its lower
            // bound it must rise, at its upper bound fall.
            const bool up = (f.status[j] & kStatAtUpper) == 0;
            const bool free = (f.status[j] & kStatHeld) != 0;
            const bool raises = up ? alpha < 0.0 : alpha > 0.0;
            if (!free && raises != to_lower) continue;
            const double d = std::fabs(walk.reduced[j]);
            if (pass == 0) {
                const double ratio = (d + kDualStepTolerance) / std::fabs(alpha);
                if (ratio < theta) theta = ratio;
            } else if (d / std::fabs(alpha) <= theta && std::fabs(alpha) > best_alpha) {
                best = h;
                best_alpha = std::fabs(alpha);
            }
        }
        if (pass == 0 && theta >= ctx->options.infinity) return -1;
        if (pass == 1) return best;
    }
    return -1;
}

// The basic column at basis position k reaches its bound at phi and
// leaves; the dual ratio test picks the entering column.  The reduced
// costs, which do not depend on the right-hand side, stay optimal.
int rhs_step(LpContext* ctx, ChangeWalk& walk, int32_t k, double* rho) {
    ComputationalForm& f = ctx->form;
    SolverState& sv = ctx->solver;
    const int32_t l = f.header[k];
    const double direction = towards_plus(walk) ? 1.0 : -1.0;
    const bool to_lower = direction * walk.w[k] < 0.0;
    int rc = 0;
    const int32_t h = dual_entering(ctx, k, to_lower, walk, rho, &rc);
    if (rc != 0) return rc;
    if (h < 0) {
        stop_walk(walk, kMsgRhsWalkInfeasible, kRatioDualUnbounded);
        return 0;
    }
    const int32_t q = f.header[h];
    const double* values = nullptr;
    const int32_t* rows = nullptr;
    int32_t count = 0;
    rc = FetchColumn(ctx, q, &values, &rows, &count);
    if (rc != 0) return rc;
    ClearWorkVector(ctx);
    for (int32_t e = 0; e < count; ++e) f.work[rows[e]] += values[e];
    ctx->entries.factor->ftran(ctx->inverse, f.work);  // leaves the spike for the update
    sv.entering = q;
    sv.entering_pos = h;
    sv.leaving = l;
    sv.leaving_pos = k;
    walk.entering = q;
    walk.leaving = l;
    ExchangeBasis(ctx);
    f.status[q] = static_cast<uint8_t>(f.status[q] & ~kStatAtUpper);
    f.status[l] = static_cast<uint8_t>(to_lower ? (f.status[l] & ~kStatAtUpper) : (f.status[l] | kStatAtUpper));
    f.value[l] = to_lower ? f.lower[l] : f.upper[l];
    rc = UpdateBasis(ctx);
    if (rc == 0) rc = RecomputePrimal(ctx);
    if (rc == 0) PricingVector(ctx);
    return rc;
}

}  // namespace

int walk_interval(LpContext* ctx, ChangeWalk& walk) {
    const ComputationalForm& f = ctx->form;
    for (int32_t h = 0; h < ctx->model.columns; ++h) walk.position[f.header[h]] = h;
    return walk.price ? price_interval(ctx, walk) : rhs_interval(ctx, walk);
}

double walk_objective(const LpContext* ctx, const ChangeWalk& walk, double phi) {
    const ReportBasis& b = walk.basis;
    const ComputationalForm& f = ctx->form;
    if (walk.price) {
        double along = 0.0;
        for (int32_t j = 0; j < ctx->model.columns; ++j) along += walk.change[j] * f.value[j];
        return current_objective(ctx, b) + phi * along * row_scale(ctx, b.objective_row);
    }
    double rate = 0.0;
    for (int32_t k = 0; k < ctx->model.rows; ++k)
        if (f.header[k] == b.objective_column) rate = walk.w[k];
    return (f.value[b.objective_column] + phi * rate) / b.column_scale;
}

int walk_step(LpContext* ctx, ChangeWalk& walk) {
    const int32_t position = limiting_position(walk);
    if (position < 0) return 0;
    if (walk.price) return price_step(ctx, walk, position);
    double* rho = static_cast<double*>(
        host_alloc(static_cast<size_t>(ctx->model.rows > 0 ? ctx->model.rows : 1) * sizeof(double), TYM_ALLOC_STEP));
    if (rho == nullptr) return kRunMemory;
    const double delta = ctx->solver.delta;
    ctx->solver.delta = kDualStepTolerance;
    const int rc = rhs_step(ctx, walk, position, rho);
    ctx->solver.delta = delta;
    host_release(rho);
    return rc;
}

}  // namespace tymlp
