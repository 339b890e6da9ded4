// refine_basis.cpp -- iterative refinement of the basic solution.
#include "simplex/refine_basis.h"

#include <cmath>

#include "base/context_memory.h"
#include "factor/factor_entries.h"
#include "simplex/pricing_vector.h"
#include "simplex/work_store.h"

namespace tymlp {
namespace {

using Wide = long double;

// A residual this far below the terms it is summed from is as small as the
// wide sums can tell: refining further only adds their own noise.
constexpr Wide kWideNoise = 1e-18L;

struct RefineArrays {
    Wide* value = nullptr;     // n: every column's value, the basic ones refined
    Wide* residual = nullptr;  // m
    Wide* terms = nullptr;     // m: sum of |terms| of each residual
    double* correction = nullptr;
    bool get(LpContext* ctx, int32_t m, int32_t n) {
        value = ctx_alloc_array<Wide>(ctx, n);
        residual = ctx_alloc_array<Wide>(ctx, m);
        terms = ctx_alloc_array<Wide>(ctx, m);
        correction = ctx_alloc_array<double>(ctx, m);
        return value != nullptr && residual != nullptr && terms != nullptr && correction != nullptr;
    }
    void release(LpContext* ctx) {
        ctx_free_array(ctx, value);
        ctx_free_array(ctx, residual);
        ctx_free_array(ctx, terms);
        ctx_free_array(ctx, correction);
    }
};

// r = b - A x in wide arithmetic; returns false when r is noise everywhere.
int primal_residual(LpContext* ctx, RefineArrays& a, bool* worth) {
    const ComputationalForm& f = ctx->form;
    const int32_t m = ctx->model.rows;
    const int32_t n = ctx->model.columns;
    for (int32_t i = 0; i < m; ++i) {
        a.residual[i] = f.rhs != nullptr ? f.rhs[i] : 0.0;
        a.terms[i] = std::fabs(a.residual[i]);
    }
    for (int32_t j = 0; j < n; ++j) {
        const Wide x = a.value[j];
        if (x == 0.0L) continue;
        const double* values = nullptr;
        const int32_t* rows = nullptr;
        int32_t count = 0;
        const int rc = FetchColumn(ctx, j, &values, &rows, &count);
        if (rc != kRunOk) return rc;
        for (int32_t k = 0; k < count; ++k) {
            const Wide t = static_cast<Wide>(values[k]) * x;
            a.residual[rows[k]] -= t;
            a.terms[rows[k]] += std::fabs(t);
        }
    }
    *worth = false;
    for (int32_t i = 0; i < m; ++i) {
        if (std::fabs(a.residual[i]) > kWideNoise * a.terms[i]) *worth = true;
        a.correction[i] = static_cast<double>(a.residual[i]);
    }
    return kRunOk;
}

int refine_primal(LpContext* ctx, RefineArrays& a) {
    ComputationalForm& f = ctx->form;
    const int32_t m = ctx->model.rows;
    const int32_t n = ctx->model.columns;
    for (int32_t j = 0; j < n; ++j) a.value[j] = f.value[j];
    for (int32_t round = 0; round < kRefinementRounds; ++round) {
        bool worth = false;
        const int rc = primal_residual(ctx, a, &worth);
        if (rc != kRunOk) return rc;
        if (!worth) break;
        ctx->entries.factor->ftran(ctx->inverse, a.correction);
        for (int32_t i = 0; i < m; ++i) a.value[f.header[i]] += a.correction[i];
    }
    for (int32_t i = 0; i < m; ++i) f.value[f.header[i]] = static_cast<double>(a.value[f.header[i]]);
    return kRunOk;
}

// y solving B'y = c_B (c_B by basis position), refined in place (y by row).
int refine_multipliers(LpContext* ctx, RefineArrays& a, const double* basic_costs, double* y_out) {
    const ComputationalForm& f = ctx->form;
    const int32_t m = ctx->model.rows;
    Wide* y = a.value;  // m of its n entries
    for (int32_t i = 0; i < m; ++i) y[i] = y_out[i];
    for (int32_t round = 0; round < kRefinementRounds; ++round) {
        bool worth = false;
        for (int32_t p = 0; p < m; ++p) {
            const double* values = nullptr;
            const int32_t* rows = nullptr;
            int32_t count = 0;
            const int rc = FetchColumn(ctx, f.header[p], &values, &rows, &count);
            if (rc != kRunOk) return rc;
            Wide r = basic_costs[p];
            Wide terms = std::fabs(r);
            for (int32_t k = 0; k < count; ++k) {
                const Wide t = static_cast<Wide>(values[k]) * y[rows[k]];
                r -= t;
                terms += std::fabs(t);
            }
            if (std::fabs(r) > kWideNoise * terms) worth = true;
            a.correction[p] = static_cast<double>(r);
        }
        if (!worth) break;
        ctx->entries.factor->btran(ctx->inverse, a.correction);
        for (int32_t i = 0; i < m; ++i) y[i] += a.correction[i];
    }
    for (int32_t i = 0; i < m; ++i) y_out[i] = static_cast<double>(y[i]);
    return kRunOk;
}

// The duals of the current objective: c_B is its sense at its basis
// position, 0 elsewhere.
int refine_duals(LpContext* ctx, RefineArrays& a) {
    ComputationalForm& f = ctx->form;
    const int32_t m = ctx->model.rows;
    ObjectiveRecord* objective = ctx->model.current_objective;
    if (objective == nullptr || f.duals == nullptr) return kRunOk;
    const int32_t position = ObjectiveBasisPosition(ctx, objective);
    double* costs = ctx_alloc_array<double>(ctx, m);
    if (costs == nullptr) return kRunMemory;
    if (position >= 0) costs[position] = objective->sense;
    const int rc = refine_multipliers(ctx, a, costs, f.duals);
    ctx_free_array(ctx, costs);
    return rc;
}

}  // namespace

int RefineSolution(LpContext* ctx, bool duals) {
    const int32_t m = ctx->model.rows;
    const int32_t n = ctx->model.columns;
    if (ctx->form.value == nullptr || m <= 0) return kRunOk;
    RefineArrays a;
    if (!a.get(ctx, m, n)) {
        a.release(ctx);
        return kRunMemory;
    }
    int rc = refine_primal(ctx, a);
    if (rc == kRunOk && duals) rc = refine_duals(ctx, a);
    a.release(ctx);
    return rc;
}

}  // namespace tymlp

namespace tymlp {

int RefineMultipliers(LpContext* ctx, const double* basic_costs, double* y) {
    const int32_t m = ctx->model.rows;
    RefineArrays a;
    if (!a.get(ctx, m, m)) {
        a.release(ctx);
        return kRunMemory;
    }
    const int rc = refine_multipliers(ctx, a, basic_costs, y);
    a.release(ctx);
    return rc;
}

int RefineTransformedColumn(LpContext* ctx, int32_t q, double* alpha) {
    const ComputationalForm& f = ctx->form;
    const int32_t m = ctx->model.rows;
    RefineArrays a;
    if (!a.get(ctx, m, m)) {
        a.release(ctx);
        return kRunMemory;
    }
    Wide* wide = a.value;  // by basis position
    for (int32_t p = 0; p < m; ++p) wide[p] = alpha[p];
    int rc = kRunOk;
    for (int32_t round = 0; round < kRefinementRounds && rc == kRunOk; ++round) {
        // r = a_q - B alpha
        const double* values = nullptr;
        const int32_t* rows = nullptr;
        int32_t count = 0;
        for (int32_t i = 0; i < m; ++i) a.residual[i] = 0.0L, a.terms[i] = 0.0L;
        if ((rc = FetchColumn(ctx, q, &values, &rows, &count)) != kRunOk) break;
        for (int32_t k = 0; k < count; ++k) a.residual[rows[k]] = values[k], a.terms[rows[k]] = std::fabs(values[k]);
        for (int32_t p = 0; p < m && rc == kRunOk; ++p) {
            if (wide[p] == 0.0L) continue;
            if ((rc = FetchColumn(ctx, f.header[p], &values, &rows, &count)) != kRunOk) break;
            for (int32_t k = 0; k < count; ++k) {
                const Wide t = static_cast<Wide>(values[k]) * wide[p];
                a.residual[rows[k]] -= t;
                a.terms[rows[k]] += std::fabs(t);
            }
        }
        if (rc != kRunOk) break;
        bool worth = false;
        for (int32_t i = 0; i < m; ++i) {
            if (std::fabs(a.residual[i]) > kWideNoise * a.terms[i]) worth = true;
            a.correction[i] = static_cast<double>(a.residual[i]);
        }
        if (!worth) break;
        ctx->entries.factor->ftran(ctx->inverse, a.correction);
        for (int32_t p = 0; p < m; ++p) wide[p] += a.correction[p];
    }
    for (int32_t p = 0; p < m; ++p) alpha[p] = static_cast<double>(wide[p]);
    a.release(ctx);
    return rc;
}

}  // namespace tymlp
