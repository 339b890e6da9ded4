// solution_check.cpp -- the solution checked in the problem's own units.
#include "simplex/solution_check.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/context_memory.h"
#include "simplex/pricing.h"
#include "simplex/work_store.h"

namespace tymlp {
namespace {

// The smallest value that counts as a value of its own when a row's size is
// measured (see the floor below).
constexpr double kSmallestValue = 1e-4;

double scale_of(const double* scales, int32_t k) { return scales != nullptr && scales[k] != 0.0 ? scales[k] : 1.0; }

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

int VerifySolution(LpContext* ctx, SolutionViolation* worst) {
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
                const double s = scale_of(f.column_scale, j);
                outside /= s;
                reference = std::max(1.0, std::fabs((x < lower ? lower : upper) / s));
            }
            note(worst, ViolationKind::kColumnBound, j, outside / reference);
        }
        if (basic || f.duals == nullptr) continue;
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

}  // namespace tymlp
