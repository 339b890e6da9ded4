// certificates.cpp -- Farkas certificates and unbounded rays, checked in
// extended precision.
#include "simplex/certificates.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "base/context_memory.h"
#include "factor/factor_entries.h"
#include "simplex/invert.h"
#include "simplex/phase_internal.h"
#include "simplex/primal_values.h"
#include "simplex/refine_basis.h"
#include "simplex/work_store.h"

namespace tymlp {
namespace {

using Wide = long double;

// A term below this share of the terms it was summed from is taken as an
// exact zero of the certificate (the wide sums are good to about 1e-19).
constexpr Wide kZeroShare = 1e-15L;
// A certificate holds when its margin exceeds this share of its terms.
constexpr Wide kMarginShare = 1e-12L;
// A ray's component below this share of its largest one is taken as an
// exact zero: the refined components are good to about 1e-19 of the
// terms they come from, and a component above that share moving towards a
// finite bound stops the ray in exact arithmetic, however far away.
constexpr double kRayZeroShare = 1e-17;
// A ray's row residual may reach this share of the row's terms.
constexpr Wide kRayResidualShare = 1e-9L;
// Infeasible basic columns tried alone when all of them together fail.
constexpr int32_t kSingleRowTries = 10;

bool finite_bound(const LpContext* ctx, double bound) { return std::fabs(bound) < ctx->options.infinity; }

// How far the basic column at position p lies outside its bounds by more
// than `tolerance` (absolute) or a relative hair: > 0 below the lower one,
// < 0 above the upper one.
double basic_outside(const LpContext* ctx, int32_t p, double tolerance = 0.0) {
    const ComputationalForm& f = ctx->form;
    const int32_t j = f.header[p];
    if ((f.status[j] & kStatHeld) != 0) return 0.0;
    const double x = f.value[j];
    const double tiny = std::max(tolerance, 1e-14 * std::max(1.0, std::fabs(x)));
    if (finite_bound(ctx, f.lower[j]) && x < f.lower[j] - tiny) return f.lower[j] - x;
    if (finite_bound(ctx, f.upper[j]) && x > f.upper[j] + tiny) return f.upper[j] - x;
    return 0.0;
}

struct FarkasArrays {
    double* costs = nullptr;  // m: by basis position
    double* y = nullptr;      // m: by row
    bool get(LpContext* ctx, int32_t m) {
        costs = ctx_alloc_array<double>(ctx, m);
        y = ctx_alloc_array<double>(ctx, m);
        return costs != nullptr && y != nullptr;
    }
    void release(LpContext* ctx) {
        ctx_free_array(ctx, costs);
        ctx_free_array(ctx, y);
    }
};

// Tests multipliers y: over the bound box, y'A x lies in [low, high]; the
// certificate holds when y'b lies outside by a margin.
int test_farkas(LpContext* ctx, const double* y, CertificateCheck* check) {
    const ComputationalForm& f = ctx->form;
    const int32_t m = ctx->model.rows;
    const int32_t n = ctx->model.columns;
    Wide beta = 0.0L, scale = 0.0L;
    for (int32_t i = 0; i < m; ++i) {
        const Wide t = static_cast<Wide>(y[i]) * (f.rhs != nullptr ? f.rhs[i] : 0.0);
        beta += t;
        scale += std::fabs(t);
    }
    Wide low = 0.0L, high = 0.0L;
    bool low_infinite = false, high_infinite = false;
    int32_t low_spoiler = -1;
    double low_price = 0.0;
    Wide low_spoil = 0.0L;
    for (int32_t j = 0; j < n; ++j) {
        const double* values = nullptr;
        const int32_t* rows = nullptr;
        int32_t count = 0;
        const int rc = FetchColumn(ctx, j, &values, &rows, &count);
        if (rc != kRunOk) return rc;
        Wide d = 0.0L, terms = 0.0L;
        for (int32_t k = 0; k < count; ++k) {
            const Wide t = static_cast<Wide>(values[k]) * y[rows[k]];
            d += t;
            terms += std::fabs(t);
        }
        if (std::fabs(d) <= kZeroShare * terms) continue;
        const bool held = (f.status[j] & kStatHeld) != 0;
        const bool has_lower = !held && finite_bound(ctx, f.lower[j]);
        const bool has_upper = !held && finite_bound(ctx, f.upper[j]);
        const Wide relative = std::fabs(d) / terms;
        // d_j x_j is largest at the upper bound when d_j > 0, at the lower one otherwise.
        const bool high_at_upper = d > 0.0L;
        if (high_at_upper ? has_upper : has_lower) {
            const Wide t = d * (high_at_upper ? f.upper[j] : f.lower[j]);
            high += t;
            scale += std::fabs(t);
        } else {
            high_infinite = true;
        }
        if (high_at_upper ? has_lower : has_upper) {
            const Wide t = d * (high_at_upper ? f.lower[j] : f.upper[j]);
            low += t;
            scale += std::fabs(t);
        } else {
            low_infinite = true;
            if (relative > low_spoil) low_spoil = relative, low_spoiler = j;
            // A nonbasic column that could still lower y'A x without end:
            // phase 1 passed over its price as too small.
            if ((f.status[j] & kStatBasic) == 0) low_price = std::max(low_price, static_cast<double>(std::fabs(d)));
        }
    }
    const Wide margin = kMarginShare * scale;
    const bool above = !high_infinite && beta - high > margin;
    const bool below = !low_infinite && low - beta > margin;
    if (above || below) {
        check->holds = true;
        return kRunOk;
    }
    // Multipliers from phase-1 costs prove infeasibility on the low side:
    // y'A x >= y'b + (the sum of infeasibilities) over the box.  What
    // spoils that side is named.
    CertificateCheck spoiled;
    spoiled.price = low_price;
    if (low_infinite) {
        spoiled.index = low_spoiler;
        spoiled.shortfall = static_cast<double>(low_spoil);
    } else {
        spoiled.shortfall = static_cast<double>((margin - (low - beta)) / std::max(scale, Wide{1e-300L}));
    }
    if (!check->tried) *check = spoiled;
    check->tried = true;
    return kRunOk;
}

// Multipliers for the costs, with the rows of free columns (objectives,
// free rows) left out: no bound limits such a column.
int multipliers_for(LpContext* ctx, FarkasArrays& a) {
    const ComputationalForm& f = ctx->form;
    const int32_t m = ctx->model.rows;
    std::memcpy(a.y, a.costs, static_cast<size_t>(m) * sizeof(double));
    ctx->entries.factor->btran(ctx->inverse, a.y);
    int rc = RefineMultipliers(ctx, a.costs, a.y);
    if (rc != kRunOk) return rc;
    for (int32_t p = 0; p < m; ++p) {
        const int32_t j = f.header[p];
        if ((f.status[j] & kStatHeld) == 0) continue;
        const double* values = nullptr;
        const int32_t* rows = nullptr;
        int32_t count = 0;
        if ((rc = FetchColumn(ctx, j, &values, &rows, &count)) != kRunOk) return rc;
        if (count == 1) a.y[rows[0]] = 0.0;
    }
    return kRunOk;
}

}  // namespace

int CheckInfeasibleCertificate(LpContext* ctx, CertificateCheck* check) {
    *check = CertificateCheck{};
    const int32_t m = ctx->model.rows;
    if (m <= 0 || ctx->form.value == nullptr) return kRunOk;
    int rc = Invert(ctx);
    if (rc != kRunOk) return rc;
    if ((rc = RecomputePrimal(ctx)) != kRunOk) return rc;
    if ((rc = RefineSolution(ctx, false)) != kRunOk) return rc;
    FarkasArrays a;
    if (!a.get(ctx, m)) {
        a.release(ctx);
        return kRunMemory;
    }
    // All infeasible basic columns at once: the phase-1 costs, first with
    // phase 1's own tolerance (its prices are then those of this proof),
    // then with every column outside by more than a hair.
    int32_t infeasible = 0;
    const double tolerances[] = {ctx->options.bepsilon, 0.0};
    for (const double tolerance : tolerances) {
        if (rc != kRunOk || check->holds) break;
        infeasible = 0;
        for (int32_t p = 0; p < m; ++p) {
            const double outside = basic_outside(ctx, p, tolerance);
            a.costs[p] = outside > 0.0 ? 1.0 : outside < 0.0 ? -1.0 : 0.0;
            if (outside != 0.0) ++infeasible;
        }
        if (infeasible == 0) continue;
        rc = multipliers_for(ctx, a);
        if (rc == kRunOk) rc = test_farkas(ctx, a.y, check);
    }
    // Then the worst few alone: a dual-phase ending proves infeasibility
    // through its one leaving row.
    bool* tried = nullptr;
    if (rc == kRunOk && !check->holds && infeasible > 1) {
        tried = ctx_alloc_array<bool>(ctx, m);
        if (tried == nullptr) rc = kRunMemory;
    }
    for (int32_t t = 0; t < kSingleRowTries && rc == kRunOk && !check->holds && tried != nullptr; ++t) {
        int32_t worst = -1;
        double largest = 0.0;
        for (int32_t p = 0; p < m; ++p) {
            const double outside = std::fabs(basic_outside(ctx, p));
            if (!tried[p] && outside > largest) largest = outside, worst = p;
        }
        if (worst < 0) break;
        tried[worst] = true;
        std::memset(a.costs, 0, static_cast<size_t>(m) * sizeof(double));
        a.costs[worst] = basic_outside(ctx, worst) > 0.0 ? 1.0 : -1.0;
        rc = multipliers_for(ctx, a);
        if (rc == kRunOk) rc = test_farkas(ctx, a.y, check);
    }
    ctx_free_array(ctx, tried);
    a.release(ctx);
    return rc;
}

int CheckUnboundedRay(LpContext* ctx, int32_t q, double direction, CertificateCheck* check) {
    *check = CertificateCheck{};
    const ComputationalForm& f = ctx->form;
    const int32_t m = ctx->model.rows;
    const int32_t n = ctx->model.columns;
    const ObjectiveRecord* objective = ctx->model.current_objective;
    if (q < 0 || q >= n || objective == nullptr || objective->column < 0) return kRunOk;
    int rc = TransformColumn(ctx, q);
    if (rc != kRunOk) return rc;
    double* ray = ctx_alloc_array<double>(ctx, n);
    double* alpha = ctx_alloc_array<double>(ctx, m);
    Wide* residual = ctx_alloc_array<Wide>(ctx, m);
    Wide* terms = ctx_alloc_array<Wide>(ctx, m);
    if (ray == nullptr || alpha == nullptr || residual == nullptr || terms == nullptr) rc = kRunMemory;
    if (rc == kRunOk) {
        std::memcpy(alpha, f.work, static_cast<size_t>(m) * sizeof(double));
        rc = RefineTransformedColumn(ctx, q, alpha);
    }
    if (rc == kRunOk) {
        ray[q] = direction;
        for (int32_t p = 0; p < m; ++p) ray[f.header[p]] -= direction * alpha[p];
        double largest = 0.0;
        for (int32_t j = 0; j < n; ++j) largest = std::max(largest, std::fabs(ray[j]));
        // Every moving column free to move that way, the ray's residual
        // A r = 0 in every row, then the objective's own column improving.
        double spoil = 0.0;
        for (int32_t j = 0; j < n && rc == kRunOk; ++j) {
            const double r = ray[j];
            const double* values = nullptr;
            const int32_t* rows = nullptr;
            int32_t count = 0;
            if (r == 0.0) continue;
            if ((rc = FetchColumn(ctx, j, &values, &rows, &count)) != kRunOk) break;
            for (int32_t k = 0; k < count; ++k) {
                const Wide t = static_cast<Wide>(values[k]) * r;
                residual[rows[k]] += t;
                terms[rows[k]] += std::fabs(t);
            }
            if ((f.status[j] & kStatHeld) != 0 || std::fabs(r) <= kRayZeroShare * largest) continue;
            const bool blocked = r > 0.0 ? finite_bound(ctx, f.upper[j]) : finite_bound(ctx, f.lower[j]);
            if (blocked && std::fabs(r) / largest > spoil) {
                spoil = std::fabs(r) / largest;
                check->index = j;
                check->pivot = std::fabs(r);
            }
        }
        for (int32_t i = 0; i < m && rc == kRunOk && check->index < 0; ++i) {
            const Wide share = std::fabs(residual[i]) / std::max(terms[i], Wide{1e-300L});
            if (std::fabs(residual[i]) > kRayResidualShare * terms[i] && share > spoil) {
                spoil = static_cast<double>(share);
                check->index = i;
                check->row = true;
            }
        }
        const double gain = objective->sense * ray[objective->column];
        if (rc == kRunOk && check->index < 0) {
            const int32_t row = objective->row;
            const Wide objective_terms = row >= 0 && row < m ? terms[row] : 0.0L;
            if (gain > kMarginShare * objective_terms && gain > 0.0) {
                check->holds = true;
            } else {
                check->shortfall = 1.0;
            }
        } else {
            check->shortfall = spoil;
        }
    }
    ctx_free_array(ctx, ray);
    ctx_free_array(ctx, alpha);
    ctx_free_array(ctx, residual);
    ctx_free_array(ctx, terms);
    return rc;
}

}  // namespace tymlp
