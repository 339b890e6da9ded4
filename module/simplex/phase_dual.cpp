// phase_dual.cpp -- the dual simplex: from a basis whose reduced costs are
// optimal, move to primal feasibility, the objective getting worse at every
// step (so a cutoff can stop it early in branch and bound).
#include <cmath>
#include <cstring>

#include "base/context_memory.h"
#include "base/host_link.h"
#include "base/run_end.h"
#include "simplex/invert.h"
#include "simplex/phase_internal.h"
#include "simplex/phases.h"
#include "simplex/pivot_history.h"
#include "simplex/pricing.h"
#include "simplex/pricing_vector.h"
#include "simplex/primal_values.h"
#include "simplex/ratio_tests.h"
#include "simplex/update_basis.h"
#include "simplex/work_store.h"

namespace tymlp {
namespace {

constexpr int kMsgDualInfeasibleNotConfirmed = 298;
// Rechecks of an infeasible ending within one run of the dual phase.
constexpr int32_t kMaxInfeasibleRechecks = 10;

bool below_cutoff(const LpContext* ctx) {
    const ObjectiveRecord* obj = ctx->model.current_objective;
    if (obj == nullptr || obj->column < 0) return false;
    const double z = obj->sense * ctx->form.value[obj->column];
    return z - ctx->bb.cutoff < -ctx->options.epsilon;
}

// Reduced costs of every nonbasic column from a fresh pricing vector; tiny
// ones are taken as 0 so that they do not decide ratios by noise.
int dense_reduced_costs(LpContext* ctx) {
    PricingState& p = ctx->phases.pricing;
    const ComputationalForm& f = ctx->form;
    const int32_t m = ctx->model.rows;
    const int32_t n = ctx->model.columns;
    const ObjectiveRecord* obj = ctx->model.current_objective;
    PricingVector(ctx);
    std::memset(p.reduced, 0, static_cast<size_t>(n) * sizeof(double));
    for (int32_t h = m; h < n; ++h) {
        const int32_t j = f.header[h];
        const double* values = nullptr;
        const int32_t* rows = nullptr;
        int32_t count = 0;
        const int rc = FetchColumn(ctx, j, &values, &rows, &count);
        if (rc != 0) return rc;
        double d = obj != nullptr && obj->column == j ? obj->sense : 0.0;
        for (int32_t k = 0; k < count; ++k) d -= f.duals[rows[k]] * values[k];
        p.reduced[j] = std::fabs(d) < ctx->options.repsilon ? 0.0 : d;
    }
    return 0;
}

int set_up_reduced_costs(LpContext* ctx) {
    PricingState& p = ctx->phases.pricing;
    if (ctx->options.sparsepricing != 0) return SparseSetUp(ctx);
    const int32_t n = ctx->model.columns;
    if (p.reduced == nullptr) p.reduced = ctx_alloc_array<double>(ctx, n);
    if (p.pivot_row == nullptr) p.pivot_row = ctx_alloc_array<double>(ctx, n);
    if (p.touched == nullptr) p.touched = ctx_alloc_array<int32_t>(ctx, n);
    if (p.touched_mark == nullptr) p.touched_mark = ctx_alloc_array<uint8_t>(ctx, n);
    if (p.reduced == nullptr || p.pivot_row == nullptr || p.touched == nullptr || p.touched_mark == nullptr)
        end_run_from_step(ctx, kEndMemory);
    return dense_reduced_costs(ctx);
}

int dual_exchange(LpContext* ctx) {
    SolverState& sv = ctx->solver;
    const int32_t q = sv.entering;
    const int32_t l = sv.leaving;
    int rc = RecordPivot(ctx, q, l);
    if (rc != 0) return rc;
    UpdateDuals(ctx);
    rc = TransformColumn(ctx, q);
    if (rc != 0) return rc;
    ExchangeBasis(ctx);
    rc = UpdateBasis(ctx);
    if (rc != 0) return rc;
    rc = RecomputePrimal(ctx);
    if (rc != 0) return rc;
    if (ctx->phases.pricing.stored_active != 0) {
        rc = UpdateRowCopy(ctx, q, l);
        if (rc == 0 && sv.updates_since_inversion == 0) rc = RecomputeReducedCosts(ctx);
    } else if (sv.updates_since_inversion == 0) {
        rc = dense_reduced_costs(ctx);
    }
    return rc;
}

// Primal feasible again: when the dual steps left a reduced cost that is
// not optimal, phase 2 finishes the job.  Returns 0 to end the dual phase,
// kContinue to go on with dual steps, or a stop code.
int finish_with_phase2(LpContext* ctx) {
    SolverState& sv = ctx->solver;
    if (sv.counter != nullptr && sv.limit != nullptr && *sv.counter >= *sv.limit) return kStopIterations;
    PricingVector(ctx);
    const int rc = FullPricing(ctx);
    if (rc != 0) return rc;
    if (ctx->phases.pricing.price <= ctx->options.epsilon) return kStopFinished;
    EnterPhase(ctx, kPhase2, false);
    const int code = RunPhase(ctx, PrimalPhase2);
    sv.run_status = code;
    if (code != kStopFinished) return kStopNestedFailed;
    EnterPhase(ctx, kPhase3, false);
    ctx->phases.pricing.source = kSourceRule;
    if (DualLeaving(ctx) == 0.0) return kStopFinished;
    const int again = set_up_reduced_costs(ctx);
    return again != 0 ? again : kContinue;
}

}  // namespace

int DualPhase(LpContext* ctx) {
    SolverState& sv = ctx->solver;
    sv.delta = ctx->options.bepsilon;
    ctx->phases.pricing.source = kSourceRule;
    if (below_cutoff(ctx)) return kStopCutoff;
    if (DualLeaving(ctx) == 0.0) return kStopFinished;
    int code = PhaseEntryChecks(ctx);
    if (code != kContinue) return code;
    int rc = set_up_reduced_costs(ctx);
    if (rc != 0) return rc;

    int32_t infeasible_checks = 0;
    for (;;) {
        rc = DualRatio(ctx, true);
        if (rc == kRatioDualUnbounded && infeasible_checks < kMaxInfeasibleRechecks) {
            // No column can enter: the problem looks infeasible.  Measured
            // once more on fresh factors, values and reduced costs first.
            ++infeasible_checks;
            if ((rc = Invert(ctx)) != 0) return rc;
            if ((rc = set_up_reduced_costs(ctx)) != 0) return rc;
            if (DualLeaving(ctx) == 0.0) {
                host_message(kMsgDualInfeasibleNotConfirmed);
                code = finish_with_phase2(ctx);
                if (code != kContinue) return code;
                continue;
            }
            rc = DualRatio(ctx, true);
            if (rc != kRatioDualUnbounded) host_message(kMsgDualInfeasibleNotConfirmed);
        }
        if (rc == kRatioDualUnbounded) return kStopDualUnbounded;
        if (rc != kRatioExchange) return rc;
        rc = dual_exchange(ctx);
        if (rc != 0) return rc;
        TailCount(ctx);
        if (below_cutoff(ctx)) return kStopCutoff;
        if (DualLeaving(ctx) == 0.0) {
            code = finish_with_phase2(ctx);
            if (code != kContinue) return code;
        }
        code = TailChecks(ctx);
        if (code != kContinue) return code;
    }
}

}  // namespace tymlp
