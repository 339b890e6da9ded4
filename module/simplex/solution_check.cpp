// solution_check.cpp -- the solution checked in the problem's own units.
#include "simplex/solution_check.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/context_memory.h"
#include "base/host_link.h"
#include "input/model_records.h"
#include "input/reader_common.h"
#include "output/reported_values.h"
#include "simplex/phase_internal.h"
#include "simplex/pricing.h"
#include "simplex/work_store.h"

namespace tymlp {
namespace {

constexpr int kMsgNotVerified = 293;

// The smallest value that counts as a value of its own when a row's size is
// measured (see the floor below).
constexpr double kSmallestValue = 1e-4;

// A reduced cost within this share of the terms it is summed from is
// rounding noise.
constexpr double kPriceNoiseShare = 1e-11;

void note(SolutionViolation* worst, ViolationKind kind, int32_t index, double relative, double amount = 0.0) {
    if (!(relative > worst->relative)) return;
    worst->kind = kind;
    worst->index = index;
    worst->relative = relative;
    worst->amount = amount;
}

// The row a logical column belongs to (its single entry), or -1.
int32_t logical_row(const LpContext* ctx, int32_t j, const int32_t* rows, int32_t count) {
    return j >= ctx->model.structural_count && count == 1 ? rows[0] : -1;
}

}  // namespace

namespace {

enum class PointKind { kOptimal, kPrimal, kInteger };

// How far a column lies outside its bounds (0 inside); for bounds that
// cross, every value is outside one of them.
double outside_bounds(double x, double lower, double upper, double inf) {
    double outside = 0.0;
    if (std::fabs(lower) < inf && x < lower) outside = lower - x;
    if (std::fabs(upper) < inf && x > upper) outside = std::max(outside, x - upper);
    return outside;
}

// The value the user is given for column j: within its bounds, and for an
// integer column of an integer solution the nearest integer (in the user's
// units), so that the rows are measured at exactly that point.
double projected_value(const LpContext* ctx, int32_t j, PointKind kind) {
    const ComputationalForm& f = ctx->form;
    const double inf = ctx->options.infinity;
    double x = f.value[j];
    if ((f.status[j] & kStatHeld) != 0) return x;
    if (kind == PointKind::kInteger && (f.status[j] & kStatInteger) != 0) {
        const double s = column_scale(ctx, j);
        x = std::nearbyint(x / s) * s;
    }
    if (std::fabs(f.upper[j]) < inf && x > f.upper[j]) x = f.upper[j];
    if (std::fabs(f.lower[j]) < inf && x < f.lower[j]) x = f.lower[j];
    return x;
}

struct VerifyArrays {
    double* point = nullptr;
    double* activity = nullptr;
    double* size = nullptr;
    double* largest_entry = nullptr;
    void release(LpContext* ctx) {
        ctx_free_array(ctx, point);
        ctx_free_array(ctx, activity);
        ctx_free_array(ctx, size);
        ctx_free_array(ctx, largest_entry);
    }
};

int verify(LpContext* ctx, SolutionViolation* worst, PointKind kind) {
    *worst = SolutionViolation{};
    const ComputationalForm& f = ctx->form;
    const ProblemModel& pm = ctx->model;
    const int32_t m = pm.rows;
    const int32_t n = pm.columns;
    if (f.value == nullptr || f.rhs == nullptr || m <= 0) return kRunOk;
    VerifyArrays a;
    a.point = ctx_alloc_array<double>(ctx, n);
    a.activity = ctx_alloc_array<double>(ctx, m);
    a.size = ctx_alloc_array<double>(ctx, m);
    a.largest_entry = ctx_alloc_array<double>(ctx, m);
    if (a.point == nullptr || a.activity == nullptr || a.size == nullptr || a.largest_entry == nullptr) {
        a.release(ctx);
        return kRunMemory;
    }
    const double inf = ctx->options.infinity;
    const double ieps = ctx->options.iepsilon;
    // Row activities and sizes in scaled units at the projected point: a
    // row's residual and its size share the row's factor, so their ratio is
    // that of the user's.  A column a little outside its bounds is moved
    // onto them first: with large entries, a bound violation too small to
    // notice in the column's own units can carry a row far off its
    // right-hand side, and the user is given the point on the bound.
    int rc = kRunOk;
    for (int32_t j = 0; j < n && rc == kRunOk; ++j) {
        const double x = projected_value(ctx, j, kind);
        a.point[j] = x;
        const double* values = nullptr;
        const int32_t* rows = nullptr;
        int32_t count = 0;
        rc = FetchColumn(ctx, j, &values, &rows, &count);
        if (rc != kRunOk) break;
        for (int32_t k = 0; k < count; ++k) {
            a.activity[rows[k]] += values[k] * x;
            a.size[rows[k]] += std::fabs(values[k] * x);
            a.largest_entry[rows[k]] = std::max(a.largest_entry[rows[k]], std::fabs(values[k]));
        }
    }
    // A row whose own terms are all near zero is measured against a floor:
    // the size its largest entry would give a value of kSmallestValue.  The
    // basic values carry rounding errors in proportion to the solution as a
    // whole, and a value of that order is noise, not a violation.
    const int32_t phase1_row = pm.phase1_objective != nullptr ? pm.phase1_objective->row : -1;
    for (int32_t i = 0; i < m && rc == kRunOk; ++i) {
        const double noise = kSmallestValue * a.largest_entry[i];
        a.size[i] = std::max({a.size[i] + std::fabs(f.rhs[i]), noise, std::numeric_limits<double>::min()});
        // A cut row is no row of the user's problem; where the integer
        // columns are rounded, its logical column would not follow them.
        if (i == phase1_row || is_cut_row(ctx->cuts, i)) continue;
        const double residual = std::fabs(a.activity[i] - f.rhs[i]);
        note(worst, ViolationKind::kRowResidual, i, residual / a.size[i], residual);
    }

    const ObjectiveRecord* objective = pm.current_objective;
    const int16_t phase = ctx->solver.phase;
    ctx->solver.phase = kPhase2;  // prices of the real objective
    for (int32_t j = 0; j < n && rc == kRunOk; ++j) {
        if ((f.status[j] & kStatHeld) != 0) continue;  // objective and free-row columns have no bounds
        if (is_cut_column(ctx->cuts, j)) continue;     // no column of the user's problem
        const double* values = nullptr;
        const int32_t* rows = nullptr;
        int32_t count = 0;
        rc = FetchColumn(ctx, j, &values, &rows, &count);
        if (rc != kRunOk) break;
        const double x = f.value[j];
        const double lower = f.lower[j], upper = f.upper[j];
        const bool basic = (f.status[j] & kStatBasic) != 0;
        const double s = column_scale(ctx, j);
        if (kind == PointKind::kInteger && (f.status[j] & kStatInteger) != 0) {
            const double user = x / s;
            note(worst, ViolationKind::kIntegrality, j, std::fabs(user - std::nearbyint(user)) > ieps ? 1.0 : 0.0);
        }
        // Every column, basic or not: a nonbasic column sits on a bound, but
        // bounds that cross leave it outside the other one.
        double outside = outside_bounds(x, lower, upper, inf);
        const double scaled_outside = outside;
        if (outside > 0.0) {
            const int32_t row = logical_row(ctx, j, rows, count);
            double reference = 0.0;
            if (row >= 0) {
                reference = a.size[row];
            } else {
                // Structural: in the user's units, against max(1, |bound|).
                outside /= s;
                reference = std::max(1.0, std::fabs((x < lower ? lower : upper) / s));
            }
            note(worst, ViolationKind::kColumnBound, j, outside / reference, scaled_outside);
        }
        if (basic || f.duals == nullptr || kind != PointKind::kOptimal) continue;
        double price = 0.0;
        rc = ColumnPrice(ctx, j, objective, false, &price);
        if (rc != kRunOk || !(price > 0.0)) continue;
        double terms = objective != nullptr && j == objective->column ? 1.0 : 0.0;
        for (int32_t k = 0; k < count; ++k) terms += std::fabs(f.duals[rows[k]] * values[k]);
        note(worst, ViolationKind::kDualSign, j, price / std::max(1.0, terms), price);
    }
    ctx->solver.phase = phase;
    a.release(ctx);
    return rc;
}

}  // namespace

int VerifySolution(LpContext* ctx, SolutionViolation* worst) { return verify(ctx, worst, PointKind::kOptimal); }

int VerifyPrimalSolution(LpContext* ctx, SolutionViolation* worst) { return verify(ctx, worst, PointKind::kPrimal); }

int VerifyIntegerSolution(LpContext* ctx, SolutionViolation* worst) { return verify(ctx, worst, PointKind::kInteger); }

double LargestBasicOutside(const LpContext* ctx) {
    const ComputationalForm& f = ctx->form;
    double largest = 0.0;
    for (int32_t i = 0; i < ctx->model.rows; ++i) {
        const int32_t j = f.header[i];
        if ((f.status[j] & kStatHeld) != 0) continue;
        largest = std::max(largest, outside_bounds(f.value[j], f.lower[j], f.upper[j], ctx->options.infinity));
    }
    return largest;
}

void ReportViolation(LpContext* ctx, const SolutionViolation& worst) {
    char name[kMaxNameLength + 1] = {};
    int length = 0;
    const char* what = "column";
    if (worst.kind == ViolationKind::kRowResidual) {
        RowRecord rec{};
        what = "row";
        if (read_row(ctx, worst.index, &rec, name) == 0) length = trimmed_length(name, ctx->model.row_name_length);
    } else if (worst.index >= 0) {
        ColumnRecord rec{};
        if (read_column(ctx, worst.index, &rec, name) == 0)
            length = trimmed_length(name, ctx->model.column_name_length);
    }
    const TymArg args[] = {arg_text(what), arg_text(name, length), arg_double(worst.relative)};
    host_message(kMsgNotVerified, 3, args);
}

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
