// solution_check.cpp -- the solution checked in the problem's own units.
#include "simplex/solution_check.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/context_memory.h"
#include "output/reported_values.h"
#include "simplex/phase_internal.h"
#include "simplex/pricing.h"
#include "simplex/work_store.h"

namespace tymlp {
namespace {

// The smallest value that counts as a value of its own when a row's size is
// measured (see the floor below).
constexpr double kSmallestValue = 1e-4;

// A reduced cost within this share of the terms it is summed from is
// rounding noise.
constexpr double kPriceNoiseShare = 1e-11;

void note(SolutionViolation* worst, ViolationKind kind, int32_t index, double relative) {
    if (!(relative > worst->relative)) return;
    worst->kind = kind;
    worst->index = index;
    worst->relative = relative;
}

// The row a logical column belongs to (its single entry), or -1.
int32_t logical_row(const LpContext* ctx, int32_t j, const int32_t* rows, int32_t count) {
    return j >= ctx->model.structural_count && count == 1 ? rows[0] : -1;
}

}  // namespace

namespace {

int verify(LpContext* ctx, SolutionViolation* worst, bool with_duals) {
    *worst = SolutionViolation{};
    const ComputationalForm& f = ctx->form;
    const ProblemModel& pm = ctx->model;
    const int32_t m = pm.rows;
    const int32_t n = pm.columns;
    if (f.value == nullptr || f.rhs == nullptr || m <= 0) return kRunOk;
    double* activity = ctx_alloc_array<double>(ctx, m);
    double* size = ctx_alloc_array<double>(ctx, m);
    double* largest_entry = ctx_alloc_array<double>(ctx, m);
    if (activity == nullptr || size == nullptr || largest_entry == nullptr) {
        ctx_free_array(ctx, activity);
        ctx_free_array(ctx, size);
        ctx_free_array(ctx, largest_entry);
        return kRunMemory;
    }
    // Row activities and sizes in scaled units: a row's residual and its
    // size share the row's factor, so their ratio is that of the user's.
    int rc = kRunOk;
    for (int32_t j = 0; j < n && rc == kRunOk; ++j) {
        const double x = f.value[j];
        const double* values = nullptr;
        const int32_t* rows = nullptr;
        int32_t count = 0;
        rc = FetchColumn(ctx, j, &values, &rows, &count);
        if (rc != kRunOk) break;
        for (int32_t k = 0; k < count; ++k) {
            activity[rows[k]] += values[k] * x;
            size[rows[k]] += std::fabs(values[k] * x);
            largest_entry[rows[k]] = std::max(largest_entry[rows[k]], std::fabs(values[k]));
        }
    }
    // A row whose own terms are all near zero is measured against a floor:
    // the size its largest entry would give a value of kSmallestValue.  The
    // basic values carry rounding errors in proportion to the solution as a
    // whole, and a value of that order is noise, not a violation.
    const int32_t phase1_row = pm.phase1_objective != nullptr ? pm.phase1_objective->row : -1;
    for (int32_t i = 0; i < m && rc == kRunOk; ++i) {
        const double noise = kSmallestValue * largest_entry[i];
        size[i] = std::max({size[i] + std::fabs(f.rhs[i]), noise, std::numeric_limits<double>::min()});
        if (i == phase1_row) continue;
        note(worst, ViolationKind::kRowResidual, i, std::fabs(activity[i] - f.rhs[i]) / size[i]);
    }

    const double inf = ctx->options.infinity;
    const ObjectiveRecord* objective = pm.current_objective;
    const int16_t phase = ctx->solver.phase;
    ctx->solver.phase = kPhase2;  // prices of the real objective
    for (int32_t j = 0; j < n && rc == kRunOk; ++j) {
        if ((f.status[j] & kStatHeld) != 0) continue;  // objective and free-row columns have no bounds
        const double* values = nullptr;
        const int32_t* rows = nullptr;
        int32_t count = 0;
        rc = FetchColumn(ctx, j, &values, &rows, &count);
        if (rc != kRunOk) break;
        const double x = f.value[j];
        const double lower = f.lower[j], upper = f.upper[j];
        const bool basic = (f.status[j] & kStatBasic) != 0;
        double outside = 0.0;  // nonbasic columns sit on their bounds
        if (basic && std::fabs(lower) < inf && x < lower) outside = lower - x;
        if (basic && std::fabs(upper) < inf && x > upper) outside = x - upper;
        if (outside > 0.0) {
            const int32_t row = logical_row(ctx, j, rows, count);
            double reference = 0.0;
            if (row >= 0) {
                reference = size[row];
            } else {
                // Structural: in the user's units, against max(1, |bound|).
                const double s = column_scale(ctx, j);
                outside /= s;
                reference = std::max(1.0, std::fabs((x < lower ? lower : upper) / s));
            }
            note(worst, ViolationKind::kColumnBound, j, outside / reference);
        }
        if (basic || f.duals == nullptr || !with_duals) continue;
        double price = 0.0;
        rc = ColumnPrice(ctx, j, objective, false, &price);
        if (rc != kRunOk || !(price > 0.0)) continue;
        double terms = objective != nullptr && j == objective->column ? 1.0 : 0.0;
        for (int32_t k = 0; k < count; ++k) terms += std::fabs(f.duals[rows[k]] * values[k]);
        note(worst, ViolationKind::kDualSign, j, price / std::max(1.0, terms));
    }
    ctx->solver.phase = phase;
    ctx_free_array(ctx, activity);
    ctx_free_array(ctx, size);
    ctx_free_array(ctx, largest_entry);
    return rc;
}

}  // namespace

int VerifySolution(LpContext* ctx, SolutionViolation* worst) { return verify(ctx, worst, true); }

int VerifyPrimalSolution(LpContext* ctx, SolutionViolation* worst) { return verify(ctx, worst, false); }

namespace {

// The step the column at `j` can take along its edge before a basic column,
// or the column itself, reaches a bound (INFINITY when none does).  The
// transformed column is in the work vector.
double edge_length(const LpContext* ctx, int32_t j, double price_sign) {
    const ComputationalForm& f = ctx->form;
    const int32_t m = ctx->model.rows;
    const double inf = ctx->options.infinity;
    const double pivot = ctx->options.repsilon;
    // Direction: up from the lower bound, down from the upper one; a free
    // column moves the way its reduced cost improves.
    double dir = (f.status[j] & kStatAtUpper) != 0 ? -1.0 : 1.0;
    if ((f.status[j] & kStatHeld) != 0) dir = price_sign;
    double step = std::numeric_limits<double>::infinity();
    if (std::fabs(f.lower[j]) < inf && std::fabs(f.upper[j]) < inf) step = f.upper[j] - f.lower[j];
    for (int32_t i = 0; i < m; ++i) {
        const double a = dir * f.work[i];
        const int32_t b = f.header[i];
        if (std::fabs(a) <= pivot || (f.status[b] & kStatHeld) != 0) continue;
        const double x = f.value[b];
        if (a > 0.0 && std::fabs(f.lower[b]) < inf) step = std::min(step, std::max(0.0, x - f.lower[b]) / a);
        if (a < 0.0 && std::fabs(f.upper[b]) < inf) step = std::min(step, std::max(0.0, f.upper[b] - x) / -a);
    }
    return step;
}

}  // namespace

int LongestEdgeGain(LpContext* ctx, double* price, double* gain) {
    *price = 0.0;
    *gain = 0.0;
    const ComputationalForm& f = ctx->form;
    const int32_t n = ctx->model.columns;
    if (f.duals == nullptr || f.work == nullptr) return kRunOk;
    const ObjectiveRecord* objective = ctx->model.current_objective;
    const double epsilon = ctx->options.epsilon;
    const int16_t phase = ctx->solver.phase;
    ctx->solver.phase = kPhase2;
    // The best priced columns within EPSILON, kept in descending order.
    std::pair<double, int32_t> best[kLongEdgeCandidates];
    int32_t kept = 0;
    int rc = kRunOk;
    for (int32_t j = 0; j < n && rc == kRunOk; ++j) {
        if ((f.status[j] & kStatBasic) != 0) continue;
        double p = 0.0;
        rc = ColumnPrice(ctx, j, objective, false, &p);
        if (rc != kRunOk || !(p > 0.0) || p > epsilon) continue;
        if (kept == kLongEdgeCandidates && p <= best[kept - 1].first) continue;
        // A price at the level of rounding noise says nothing, however long
        // the edge: along a ray of zero cost it would read as unbounded.
        const double* values = nullptr;
        const int32_t* rows = nullptr;
        int32_t count = 0;
        if ((rc = FetchColumn(ctx, j, &values, &rows, &count)) != kRunOk) break;
        double terms = objective != nullptr && j == objective->column ? 1.0 : 0.0;
        for (int32_t e = 0; e < count; ++e) terms += std::fabs(f.duals[rows[e]] * values[e]);
        if (p <= kPriceNoiseShare * terms) continue;
        int32_t k = kept < kLongEdgeCandidates ? kept++ : kept - 1;
        for (; k > 0 && best[k - 1].first < p; --k) best[k] = best[k - 1];
        best[k] = {p, j};
    }
    ctx->solver.phase = phase;
    for (int32_t k = 0; k < kept && rc == kRunOk; ++k) {
        const int32_t j = best[k].second;
        rc = TransformColumn(ctx, j);
        if (rc != kRunOk) break;
        // ColumnPrice negates the reduced cost at an upper bound and takes
        // the absolute value for a free column: recover its sign for the
        // direction of a free one.
        double sign = 1.0;
        if ((f.status[j] & kStatHeld) != 0) {
            double d = objective != nullptr && j == objective->column ? objective->sense : 0.0;
            const double* values = nullptr;
            const int32_t* rows = nullptr;
            int32_t count = 0;
            rc = FetchColumn(ctx, j, &values, &rows, &count);
            if (rc != kRunOk) break;
            for (int32_t e = 0; e < count; ++e) d -= f.duals[rows[e]] * values[e];
            sign = d < 0.0 ? -1.0 : 1.0;
        }
        const double g = best[k].first * edge_length(ctx, j, sign);
        if (g > *gain) {
            *gain = g;
            *price = best[k].first;
        }
    }
    return rc;
}

}  // namespace tymlp
