// phase_exchange.cpp -- the basis exchange and the value updates around it,
// the phase word and counters, and phase 1's random generator.
#include "simplex/basis_header.h"
#include "simplex/phases.h"
#include "simplex/pricing.h"

namespace tymlp {
namespace {

constexpr int16_t kQueueEmptyType = 2;
constexpr uint32_t kSeedStart = 1234567;
constexpr uint64_t kModulus = 2147483647ULL;                     // 2^31 - 1
constexpr uint64_t kMultiplier = 6060ULL * 65536ULL + 55934ULL;  // 397204094

// Queued header positions follow the header after an exchange at h: the
// nonbasic part closed its gap there.
void adjust_queue(LpContext* ctx, int32_t h) {
    PricingState& p = ctx->phases.pricing;
    const LpOptions& o = ctx->options;
    if (o.pricetype == 0 || p.queue_position == nullptr) return;
    if (p.stored_active != 0 && ctx->solver.phase >= kPhase2) return;
    const int32_t n = ctx->model.columns;
    const int32_t replacement = o.pricetype == kQueueEmptyType ? -1 : n - 1;
    for (int32_t s = 0; s < p.queue_capacity; ++s) {
        int32_t& pos = p.queue_position[s];
        if (pos > h)
            pos -= 1;
        else if (pos == h)
            pos = replacement;
    }
}

// After an in-place exchange at h only position h changed its column: a
// queued h now names the leaving column, as a queued position of the
// shifting exchange does when it is replaced by n-1.
void adjust_queue_in_place(LpContext* ctx, int32_t h) {
    PricingState& p = ctx->phases.pricing;
    const LpOptions& o = ctx->options;
    if (o.pricetype == 0 || p.queue_position == nullptr) return;
    if (p.stored_active != 0 && ctx->solver.phase >= kPhase2) return;
    if (o.pricetype != kQueueEmptyType) return;
    for (int32_t s = 0; s < p.queue_capacity; ++s)
        if (p.queue_position[s] == h) p.queue_position[s] = -1;
}

}  // namespace

void ExchangeInPlace(LpContext* ctx, int32_t header_pos, int32_t basis_pos) {
    SwapIntoBasisInPlace(ctx, header_pos, basis_pos);
    adjust_queue_in_place(ctx, header_pos);
}

void ExchangeAt(LpContext* ctx, int32_t header_pos, int32_t basis_pos) {
    SwapIntoBasis(ctx, header_pos, basis_pos);
    adjust_queue(ctx, header_pos);
}

void ExchangeBasis(LpContext* ctx) { ExchangeAt(ctx, ctx->solver.entering_pos, ctx->solver.leaving_pos); }

void UpdatePrimal(LpContext* ctx) {
    ComputationalForm& f = ctx->form;
    RatioState& rs = ctx->phases.ratio;
    const int32_t m = ctx->model.rows;
    const double theta = rs.theta;
    const bool listed = rs.work_listed != 0;
    rs.work_listed = 0;
    if (theta == 0.0) return;
    // The ratio test that prepared this exchange listed where the work
    // vector is nonzero; without that list every position is looked at.
    const int32_t count = listed ? rs.work_nonzero_count : m;
    for (int32_t k = 0; k < count; ++k) {
        const int32_t i = listed ? rs.work_nonzero[k] : k;
        const double a = f.work[i];
        if (a != 0.0) f.value[f.header[i]] -= theta * a;
    }
}

void UpdateDuals(LpContext* ctx) {
    PricingState& p = ctx->phases.pricing;
    const ComputationalForm& f = ctx->form;
    const int32_t q = ctx->solver.entering;
    const int32_t l = ctx->solver.leaving;
    const double t = ctx->phases.ratio.dual_step;
    const double alpha_q = ctx->phases.ratio.pivot;
    const double d_q = p.reduced[q];
    for (int32_t k = 0; k < p.touched_count; ++k) {
        const int32_t j = p.touched[k];
        if ((f.status[j] & kStatBasic) != 0) continue;
        p.reduced[j] -= t * p.pivot_row[j];
    }
    p.reduced[q] = 0.0;
    p.reduced[l] = alpha_q != 0.0 ? -d_q / alpha_q : 0.0;
}

void EnterPhase(LpContext* ctx, int16_t phase, bool clear) {
    SolverState& sv = ctx->solver;
    LpOptions& o = ctx->options;
    sv.phase = phase;
    sv.counter = &sv.iterations[phase - 1];
    sv.limit = phase == kPhase1 ? &o.maxit1 : phase == kPhase2 ? &o.maxit2 : &o.maxit3;
    if (clear) *sv.counter = 0;
    ctx->phases.pricing.major_passes = 0;
}

double NextRandom(LpContext* ctx) {
    uint32_t& seed = ctx->phases.loop.seed;
    if (seed == 0) seed = kSeedStart;
    seed = static_cast<uint32_t>((kMultiplier * seed) % kModulus);
    return static_cast<double>(seed) / static_cast<double>(kModulus);
}

void InstallPhaseHooks(LpContext* ctx) {
    ctx->engine.hooks.exchange_basis = ExchangeAt;
    ctx->engine.hooks.refresh_row_copy = RefreshRowCopy;
}

}  // namespace tymlp
