// phase_primal.cpp -- primal phase 1 (drive the sum of infeasibilities to
// zero) and primal phase 2 (improve the objective while staying feasible).
#include <cmath>

#include "base/context_memory.h"
#include "base/host_link.h"
#include "base/numeric.h"
#include "simplex/invert.h"
#include "simplex/phase_internal.h"
#include "simplex/phases.h"
#include "simplex/price_tree.h"
#include "simplex/pricing.h"
#include "simplex/pricing_vector.h"
#include "simplex/primal_values.h"
#include "simplex/ratio_tests.h"
#include "simplex/update_basis.h"

namespace tymlp {
namespace {

constexpr int kMsgUnboundedConfirmed = 246;
constexpr int kMsgUnboundedNotConfirmed = 292;
constexpr int kMsgRayDoubtful = 295;
constexpr int kMsgInfeasibleNotConfirmed = 296;
// Rechecks of an unbounded or infeasible ending within one run of a phase;
// each costs a factorisation, and one that keeps failing must end.
constexpr int32_t kMaxEndingRechecks = 10;
// Entries of the transformed entering column below this share of its
// largest entry are rounding noise.
constexpr double kNoiseShare = 1e3 * kUnitRoundoff;
// The degeneracy guard switches to the lowest-index rule after this share
// of n consecutive degenerate steps.
constexpr double kDegenerateShare = 0.1;
// PHASEMIX is dropped once phase 1 gains less than this per iteration.
constexpr double kPhasemixMinGain = 0.4;

double true_objective_value(const LpContext* ctx) {
    const ObjectiveRecord* obj = ctx->model.saved_objective;
    if (obj == nullptr || obj->column < 0) return 0.0;
    return ctx->form.value[obj->column];
}

int32_t artificial_count(const LpContext* ctx) {
    int32_t k = 0;
    for (int32_t j = 0; j < ctx->model.columns; ++j) k += (ctx->form.status[j] & kStatArtificial) != 0 ? 1 : 0;
    return k;
}

// The memory of one random choice's prices, or false when it cannot be had
// (the draws are then priced every time).
bool start_random_round(LpContext* ctx, int32_t span) {
    PhaseLoopState& loop = ctx->phases.loop;
    if (loop.random_capacity < span) {
        ctx_free_array(ctx, loop.random_prices);
        ctx_free_array(ctx, loop.random_stamps);
        loop.random_capacity = 0;
        loop.random_prices = ctx_alloc_array<double>(ctx, span);
        loop.random_stamps = ctx_alloc_array<uint32_t>(ctx, span);
        if (loop.random_prices == nullptr || loop.random_stamps == nullptr) return false;
        for (int32_t k = 0; k < span; ++k) loop.random_stamps[k] = 0;
        loop.random_capacity = span;
        loop.random_round = 0;
    }
    if (++loop.random_round == 0) {  // the stamps wrapped: start them afresh
        for (int32_t k = 0; k < loop.random_capacity; ++k) loop.random_stamps[k] = 0;
        loop.random_round = 1;
    }
    return true;
}

// Prices the column at header position h for the random choice, or takes
// the price it had earlier in the same choice.
int price_drawn(LpContext* ctx, int32_t h, bool remembered) {
    PhaseLoopState& loop = ctx->phases.loop;
    const int32_t k = h - ctx->model.rows;
    if (remembered && loop.random_stamps[k] == loop.random_round) {
        ctx->phases.pricing.price = loop.random_prices[k];
        ctx->solver.entering_pos = h;
        ctx->solver.entering = ctx->form.header[h];
        return 0;
    }
    const int rc = PriceColumn(ctx, h);
    if (rc != 0 || !remembered) return rc;
    loop.random_stamps[k] = loop.random_round;
    loop.random_prices[k] = ctx->phases.pricing.price;
    return 0;
}

// Phase 1's random choice: columns drawn at random are priced one at a
// time until one is attractive.  A choice draws up to n times from the
// n - m - 1 positions; when those are few and their columns long (many rows,
// few structural columns), pricing every draw afresh would cost n times a
// column's length per iteration.  Returns 0 or a fetch status.
int random_choice(LpContext* ctx, int32_t artificials) {
    PhaseLoopState& loop = ctx->phases.loop;
    PricingState& p = ctx->phases.pricing;
    const int32_t m = ctx->model.rows;
    const int32_t n = ctx->model.columns;
    const double epsilon = ctx->options.epsilon;
    p.price = -1.0;
    const int32_t span = n - m - 1;
    const bool remembered = span > 0 && start_random_round(ctx, span);
    for (int32_t t = 0; t < n && span > 0; ++t) {
        const double u = NextRandom(ctx);
        const int32_t h = m + static_cast<int32_t>(std::trunc(u * span));
        loop.random_tries += 1;
        const int rc = price_drawn(ctx, h, remembered);
        if (rc != 0) return rc;
        if (p.price > epsilon) break;
    }
    int rc = 0;
    if (p.price > epsilon) {
        p.source = kSourceRandom;
    } else {
        rc = RunPricing(ctx);
        p.source = kSourceRule;
    }
    const double allowed = ctx->options.randompricemult * static_cast<double>(n - artificials - m);
    const int32_t iterations = ctx->solver.counter != nullptr ? *ctx->solver.counter : 0;
    if (static_cast<double>(loop.random_tries) > allowed || iterations > m) loop.random_on = 0;
    return rc;
}

// A phase-1 exchange after the ratio test prepared it.
int exchange_phase1(LpContext* ctx) {
    UpdatePrimal(ctx);
    ExchangeBasis(ctx);
    StorePivotRow(ctx);
    const int rc = UpdateBasis(ctx);
    if (rc != 0) return rc;
    PricingVector(ctx);
    return 0;
}

// Degeneracy guard: long runs of zero steps switch to the lowest-index rule,
// which cannot cycle; the first real step switches back.
void degeneracy_guard(LpContext* ctx) {
    if (ctx->options.blandsrule == 0) return;
    PhaseLoopState& loop = ctx->phases.loop;
    PricingState& p = ctx->phases.pricing;
    if (ctx->phases.ratio.theta == 0.0) {
        loop.degenerate_count += 1;
        if (p.saved_rule == nullptr && loop.degenerate_count > kDegenerateShare * ctx->model.columns) {
            p.saved_rule = ctx->entries.pricing;
            ctx->entries.pricing = LowestIndexPricing;
            ctx->options.blandsrule_in_use = 1;
            loop.random_on = 0;
        }
        return;
    }
    if (p.saved_rule != nullptr) {
        ctx->entries.pricing = p.saved_rule;
        p.saved_rule = nullptr;
        ctx->options.blandsrule_in_use = 0;
        SetUpPricing(ctx);
    }
    loop.degenerate_count = 0;
}

void phasemix_check(LpContext* ctx) {
    PhaseLoopState& loop = ctx->phases.loop;
    const int32_t iterations = *ctx->solver.counter + 1;
    const double now = true_objective_value(ctx);
    if (iterations > ctx->model.rows && (loop.objective_memory - now) / iterations < kPhasemixMinGain)
        ctx->options.phasemix = 0.0;
    loop.objective_memory = now;
}

// Phase 1 found no attractive column (or no infeasibility): once more from
// freshly computed values and the plain phase-1 costs.  An ending that would
// declare the problem infeasible is measured on fresh factors too (the
// first time, then again at most kMaxEndingRechecks times): updated factors
// and values may have drifted far enough to hide an attractive column.
int recheck_phase1(LpContext* ctx, bool* done, int32_t* fresh_checks) {
    SolverState& sv = ctx->solver;
    sv.delta = ctx->options.bepsilon;
    ctx->options.phasemix = 0.0;
    int rc = RecomputePrimal(ctx);
    if (rc != 0) return rc;
    PricingVector(ctx);
    rc = RunPricing(ctx);
    *done = rc == 0 && ctx->phases.pricing.price <= ctx->options.epsilon;
    if (rc != 0 || !*done || sv.infeasible_count == 0 || *fresh_checks >= kMaxEndingRechecks) return rc;
    ++*fresh_checks;
    if ((rc = Invert(ctx)) != 0) return rc;
    if ((rc = RecomputePrimal(ctx)) != 0) return rc;
    PricingVector(ctx);
    SetUpPricing(ctx);  // fresh Devex weights: the prices are plain again
    if ((rc = FullPricing(ctx)) != 0) return rc;
    *done = sv.infeasible_count == 0 || ctx->phases.pricing.price <= ctx->options.epsilon;
    if (!*done) host_message(kMsgInfeasibleNotConfirmed);
    return 0;
}

// Phase 2 found nothing that blocks the entering column: once more on fresh
// factors, values and true prices, as phase 1 does.  *result is the new
// ratio test's outcome; *finished says that no column is attractive after
// all.  Returns 0 or a stop code.
int recheck_unbounded(LpContext* ctx, int* result, bool* finished) {
    int rc = Invert(ctx);
    if (rc == 0 && ctx->options.sparsepricing != 0) rc = SparseSetUp(ctx);
    if (rc != 0) return rc;
    if (ctx->options.sparsepricing == 0) SetUpPricing(ctx);
    if ((rc = FullPricing(ctx)) != 0) return rc;
    *finished = ctx->phases.pricing.price <= ctx->options.epsilon;
    if (!*finished) *result = PrimalRatio(ctx);
    return 0;
}

// The unbounded direction of the last ratio test, looked at once more: a
// basic column whose entry in the transformed entering column is too small
// for the ratio test (below REPSILON) but above rounding noise, and that
// moves towards a finite bound, would stop the step in exact arithmetic,
// however far away.  Returns true for a true ray; otherwise *noise is the
// rounding-noise level of the column, the smallest pivot worth taking.
bool direction_is_unbounded(const LpContext* ctx, double* noise) {
    const ComputationalForm& f = ctx->form;
    const RatioState& rs = ctx->phases.ratio;
    const int32_t m = ctx->model.rows;
    const double inf = ctx->options.infinity;
    double largest = 0.0;
    for (int32_t i = 0; i < m; ++i) largest = std::fmax(largest, std::fabs(f.work[i]));
    *noise = kNoiseShare * largest;
    for (int32_t i = 0; i < m; ++i) {
        const double a = rs.direction * f.work[i];
        const int32_t j = f.header[i];
        if (std::fabs(a) <= *noise || (f.status[j] & kStatHeld) != 0) continue;
        if (a > 0.0 && std::fabs(f.lower[j]) < inf) return false;
        if (a < 0.0 && std::fabs(f.upper[j]) < inf) return false;
    }
    return true;
}

// The ratio test once more with pivots down to `smallest` allowed: the
// step that exact arithmetic would take, instead of an unbounded claim.
int ratio_with_small_pivots(LpContext* ctx, double smallest) {
    const double saved = ctx->options.repsilon;
    ctx->options.repsilon = smallest;
    const int rc = PrimalRatio(ctx);
    ctx->options.repsilon = saved;
    return rc;
}

}  // namespace

int PrimalPhase1(LpContext* ctx) {
    SolverState& sv = ctx->solver;
    PricingState& p = ctx->phases.pricing;
    PhaseLoopState& loop = ctx->phases.loop;
    const double epsilon = ctx->options.epsilon;
    int code = PhaseEntryChecks(ctx);
    if (code != kContinue) return code;
    if (sv.delta <= 0.0) sv.delta = ctx->options.bepsilon;
    SetUpPricing(ctx);
    PricingVector(ctx);
    loop.objective_memory = true_objective_value(ctx);
    loop.random_on = 1;
    loop.random_tries = 0;
    loop.degenerate_count = 0;
    const int32_t artificials = artificial_count(ctx);
    int32_t fresh_checks = 0;

    for (;;) {
        ResetDeltaAtCeiling(ctx);
        int rc = loop.random_on != 0 ? random_choice(ctx, artificials) : RunPricing(ctx);
        if (rc != 0) return rc;
        if (sv.infeasible_count == 0 || p.price <= epsilon) {
            bool done = false;
            rc = recheck_phase1(ctx, &done, &fresh_checks);
            if (rc != 0) return rc;
            if (done) return kStopFinished;
        }
        rc = Phase1Ratio(ctx);
        if (rc == kRatioUnbounded) {
            rc = RecomputePrimal(ctx);
            if (rc != 0) return rc;
            PricingVector(ctx);
            rc = FullPricing(ctx);
            if (rc != 0) return rc;
            if (sv.infeasible_count == 0 || p.price <= epsilon) return kStopFinished;
            rc = Phase1Ratio(ctx);
            if (rc == kRatioUnbounded) {
                host_message(kMsgUnboundedConfirmed);
                ctx->phases.ratio.unbounded = 1;
                return kStopFinished;
            }
        }
        if (rc == kRatioExchange) {
            rc = exchange_phase1(ctx);
            if (rc != 0) return rc;
        } else if (rc != kRatioBoundFlip) {
            return rc;
        }
        degeneracy_guard(ctx);
        phasemix_check(ctx);
        code = IterationTail(ctx);
        if (code != kContinue) return code;
    }
}

namespace {

// Tells the stored-price rule's tree what an exchange changed: the columns
// of the pivot row (new reduced costs and weights), and the leaving column.
void refresh_price_tree(LpContext* ctx, int32_t l) {
    const PricingState& p = ctx->phases.pricing;
    PriceTreeRefreshMany(ctx, p.touched, p.touched_count);
    PriceTreeRefresh(ctx, l);
}

int primal_phase2(LpContext* ctx) {
    SolverState& sv = ctx->solver;
    PricingState& p = ctx->phases.pricing;
    const double epsilon = ctx->options.epsilon;
    const bool sparse = ctx->options.sparsepricing != 0;
    if (sv.delta <= 0.0) sv.delta = ctx->options.bepsilon;
    int rc = 0;
    if (sparse)
        rc = SparseSetUp(ctx);
    else
        SetUpPricing(ctx);
    if (rc == 0 && !sparse) PricingVector(ctx);
    if (rc == 0) rc = RunPricing(ctx);
    if (rc != 0) return rc;
    if (p.price <= epsilon) return kStopFinished;
    int code = PhaseEntryChecks(ctx);
    if (code != kContinue) return code;

    int32_t unbounded_checks = 0;
    int32_t small_pivot_steps = 0;
    for (;;) {
        ResetDeltaAtCeiling(ctx);
        rc = PrimalRatio(ctx);
        if (rc == kRatioUnbounded && unbounded_checks < kMaxEndingRechecks) {
            ++unbounded_checks;
            bool finished = false;
            const int status = recheck_unbounded(ctx, &rc, &finished);
            if (status != 0) return status;
            if (finished || rc != kRatioUnbounded) host_message(kMsgUnboundedNotConfirmed);
            if (finished) return kStopFinished;
        }
        if (rc == kRatioUnbounded) {
            double noise = 0.0;
            if (direction_is_unbounded(ctx, &noise)) return kStopUnbounded;
            host_message(kMsgRayDoubtful);
            if (small_pivot_steps < kMaxEndingRechecks) {
                ++small_pivot_steps;
                rc = ratio_with_small_pivots(ctx, noise);
            }
            if (rc == kRatioUnbounded) {
                sv.unverified = 1;
                return kRunUnstable;
            }
        }
        if (rc == kRatioExchange) {
            const int32_t q = sv.entering;
            const int32_t l = sv.leaving;
            UpdatePrimal(ctx);
            ExchangeBasis(ctx);
            if (sparse) PriceTreeExchange(ctx, q, l);
            if (sparse) {
                SparsePivotRow(ctx, sv.leaving_pos);
                UpdateDevexWeights(ctx, q, l);
            } else {
                StorePivotRow(ctx);
            }
            rc = UpdateBasis(ctx);
            if (rc != 0) return rc;
            if (sparse) {
                rc = UpdateRowCopy(ctx, q, l);
                if (rc == 0) rc = UpdateReducedCosts(ctx, q, l);
                if (rc != 0) return rc;
                refresh_price_tree(ctx, l);
            } else {
                PricingVector(ctx);
            }
        } else if (rc != kRatioBoundFlip) {
            return rc;
        } else {
            PriceTreeRefresh(ctx, sv.entering);  // its bound, so its orientation, changed
        }
        TailCount(ctx);
        rc = RunPricing(ctx);
        if (rc != 0) return rc;
        if (p.price <= epsilon) return kStopFinished;
        code = TailChecks(ctx);
        if (code != kContinue) return code;
    }
}

}  // namespace

// The stored-price rule's tree is kept up to date only by this loop.
int PrimalPhase2(LpContext* ctx) {
    PriceTreeEnable(ctx, ctx->options.sparsepricing != 0);
    const int code = primal_phase2(ctx);
    PriceTreeEnable(ctx, false);
    return code;
}

}  // namespace tymlp
