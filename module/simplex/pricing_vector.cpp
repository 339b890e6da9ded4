// pricing_vector.cpp -- the dual vector y = B^-T c of the current phase.
#include "simplex/pricing_vector.h"

#include <cstring>

#include "factor/factor_entries.h"

namespace tymlp {
namespace {

constexpr double kBelowLower = 1.0;  // raising the column reduces the infeasibility
constexpr double kAboveUpper = -1.0;

// Phase 1: c_i is the gradient of the sum of infeasibilities at basis
// position i.
int32_t phase1_costs(LpContext* ctx, double* c) {
    const ComputationalForm& f = ctx->form;
    const int32_t m = ctx->model.rows;
    const double delta = ctx->solver.delta;
    int32_t infeasible = 0;
    for (int32_t i = 0; i < m; ++i) {
        const int32_t j = f.header[i];
        if ((f.status[j] & kStatHeld) != 0) continue;
        const double x = f.value[j];
        if (x > f.upper[j] + delta) {
            c[i] = kAboveUpper;
            ++infeasible;
        } else if (x < f.lower[j] - delta) {
            c[i] = kBelowLower;
            ++infeasible;
        }
    }
    return infeasible;
}

}  // namespace

int32_t ObjectiveBasisPosition(LpContext* ctx, ObjectiveRecord* rec) {
    const ComputationalForm& f = ctx->form;
    const int32_t m = ctx->model.rows;
    const int32_t j = rec->column;
    if (j < 0 || j >= ctx->model.columns || (f.status[j] & kStatBasic) == 0) {
        rec->basis_position = -1;
        return -1;
    }
    const int32_t p = rec->basis_position;
    if (p >= 0 && p < m && f.header[p] == j) return p;
    rec->basis_position = -1;
    for (int32_t i = 0; i < m; ++i)
        if (f.header[i] == j) rec->basis_position = i;
    return rec->basis_position;
}

void PricingVector(LpContext* ctx) {
    ComputationalForm& f = ctx->form;
    ProblemModel& pm = ctx->model;
    const int32_t m = pm.rows;
    double* c = f.duals;
    std::memset(c, 0, static_cast<size_t>(m) * sizeof(double));
    if (ctx->solver.phase == kPhase1) {
        ctx->solver.infeasible_count = phase1_costs(ctx, c);
    } else {
        ctx->solver.infeasible_count = 0;
        ObjectiveRecord* obj = pm.current_objective;
        const int32_t p = obj != nullptr ? ObjectiveBasisPosition(ctx, obj) : -1;
        if (p >= 0) c[p] = obj->sense;
    }
    ObjectiveRecord* aside = pm.saved_objective;
    if (ctx->options.phasemix != 0.0 && aside != nullptr) {
        const int32_t p = ObjectiveBasisPosition(ctx, aside);
        if (p >= 0) c[p] = aside->sense * ctx->options.phasemix;
    }
    ctx->entries.factor->btran(ctx->inverse, c);
}

}  // namespace tymlp
