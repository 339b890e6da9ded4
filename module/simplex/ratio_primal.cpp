// ratio_primal.cpp -- the primal ratio tests of phases 1 and 2.
//
// Pass 1 relaxes every bound by the working tolerance delta and finds the
// largest step theta_max that keeps all basic columns within their relaxed
// bounds; pass 2 takes, among the columns that block within theta_max, the
// one with the largest pivot magnitude.  Choosing a large pivot among nearly
// tied ratios keeps the factors stable, at the price of a bounded
// infeasibility of at most delta, which grows slowly (and is reset by the
// phases) so that degenerate steps still make progress.
#include <cmath>
#include <cstring>

#include "base/context_memory.h"
#include "base/numeric.h"
#include "factor/factor_entries.h"
#include "simplex/pivot_history.h"
#include "simplex/ratio_tests.h"
#include "simplex/work_store.h"

namespace tymlp {
namespace {

constexpr double kDeltaShare = 0.99;
constexpr double kCeilingPower = 0.375;
constexpr double kIncrementPower = 0.625;
// Breakpoints and the lowest-index rule only consider pivots at least this
// share of the largest one met.
constexpr double kRelativePivot = 0.001;

struct Candidate {
    int32_t position = -1;
    double ratio = 0.0;
};

bool finite(const LpContext* ctx, double bound) { return std::fabs(bound) < ctx->options.infinity; }

// The entering column's own price, used to choose the direction of a free
// column: stored reduced cost under sparse pricing, else c_q - y'a_q.
double raw_price(LpContext* ctx, int32_t q, const double* values, const int32_t* rows, int32_t count) {
    const PricingState& p = ctx->phases.pricing;
    if (p.stored_active != 0 && p.reduced != nullptr) return p.reduced[q];
    const bool phase1 = ctx->solver.phase == kPhase1;
    const ObjectiveRecord* obj = phase1 ? ctx->model.saved_objective : ctx->model.current_objective;
    double c = 0.0;
    if (obj != nullptr && obj->column == q) c = phase1 ? ctx->options.phasemix * obj->sense : obj->sense;
    double s = 0.0;
    for (int32_t k = 0; k < count; ++k) s += ctx->form.duals[rows[k]] * values[k];
    return c - s;
}

// work = B^-1 a_q, its possibly nonzero positions listed in the ratio
// state.  Returns 0 or the fetch status; *price the raw price.
int transform_entering(LpContext* ctx, int32_t q, double* price) {
    ComputationalForm& f = ctx->form;
    const int32_t m = ctx->model.rows;
    const double* values = nullptr;
    const int32_t* rows = nullptr;
    int32_t count = 0;
    const int rc = FetchColumn(ctx, q, &values, &rows, &count);
    if (rc != 0) return rc;
    RatioState& rs = ctx->phases.ratio;
    if (rs.work_zero_elsewhere != 0) {
        for (int32_t k = 0; k < rs.work_nonzero_count; ++k) f.work[rs.work_nonzero[k]] = 0.0;
    } else {
        std::memset(f.work, 0, static_cast<size_t>(m) * sizeof(double));
    }
    for (int32_t k = 0; k < count; ++k) f.work[rows[k]] += values[k];
    *price = (f.status[q] & kStatHeld) != 0 ? raw_price(ctx, q, values, rows, count) : 0.0;
    rs.work_nonzero_count = ctx->entries.factor->ftran_sparse(ctx->inverse, f.work, rows, count, rs.work_nonzero);
    rs.work_zero_elsewhere = 1;
    return 0;
}

void move_basics(LpContext* ctx, double theta) {
    ComputationalForm& f = ctx->form;
    const RatioState& rs = ctx->phases.ratio;
    if (theta == 0.0) return;
    for (int32_t k = 0; k < rs.work_nonzero_count; ++k) {
        const int32_t i = rs.work_nonzero[k];
        const double a = f.work[i];
        if (a != 0.0) f.value[f.header[i]] -= theta * a;
    }
}

void set_bit(uint8_t& st, uint8_t bit, bool on) { st = static_cast<uint8_t>(on ? (st | bit) : (st & ~bit)); }

int ratio_test(LpContext* ctx, bool phase1) {
    ComputationalForm& f = ctx->form;
    SolverState& sv = ctx->solver;
    RatioState& rs = ctx->phases.ratio;
    const LpOptions& o = ctx->options;
    const int32_t q = sv.entering;
    const int32_t h = sv.entering_pos;
    const double inf = o.infinity;
    const double repsilon = o.repsilon;
    const double delta = sv.delta;
    int rc = ReserveRatioArrays(ctx);
    double price = 0.0;
    if (rc == 0) rc = transform_entering(ctx, q, &price);
    if (rc != 0) return rc;

    // Direction and the entering column's own bound distance.
    const bool free_q = (f.status[q] & kStatHeld) != 0;
    const bool decreasing = (f.status[q] & kStatAtUpper) != 0 || (free_q && price < 0.0);
    const double dir = decreasing ? -1.0 : 1.0;
    rs.direction = dir;
    double theta_flip = inf;
    if (!free_q) {
        const double far = decreasing ? f.lower[q] : f.upper[q];
        if (finite(ctx, far)) theta_flip = decreasing ? f.value[q] - f.lower[q] : f.upper[q] - f.value[q];
    }
    double theta_max = theta_flip < inf ? theta_flip + delta : inf;

    // Pass 1, over the positions the FTRAN listed.  They come in no
    // particular order, so every choice below breaks its ties by basis
    // position explicitly; which candidates pass 2 sees does not depend on
    // the order, since theta_max only falls and a ratio above it at any time
    // stays above it.
    rs.work_listed = 0;
    int32_t candidates = 0;
    int32_t breakpoints = 0;
    double largest_break = repsilon;
    for (int32_t k = 0; k < rs.work_nonzero_count; ++k) {
        const int32_t i = rs.work_nonzero[k];
        const double alpha = f.work[i];
        if (alpha == 0.0) continue;
        const int32_t j = f.header[i];
        if ((f.status[j] & kStatHeld) != 0) continue;
        const double a = dir * alpha;
        const double x = f.value[j];
        if (a > repsilon) {
            if (finite(ctx, f.lower[j])) {
                const double s = f.lower[j] - x;
                if (s <= delta && -s / a <= theta_max) {
                    rs.candidate_position[candidates] = i;
                    rs.candidate_ratio[candidates++] = -s / a;
                    theta_max = std::fmin(theta_max, (delta - s) / a);
                }
            }
            if (phase1 && finite(ctx, f.upper[j]) && x > f.upper[j] + delta) {
                rs.breakpoint_position[breakpoints] = i;
                rs.breakpoint_ratio[breakpoints++] = (x - f.upper[j]) / a;
                largest_break = std::fmax(largest_break, a);
            }
        } else if (a < -repsilon) {
            if (finite(ctx, f.upper[j])) {
                const double s = f.upper[j] - x;
                if (s >= -delta && s / -a <= theta_max) {
                    rs.candidate_position[candidates] = i;
                    rs.candidate_ratio[candidates++] = s / -a;
                    theta_max = std::fmin(theta_max, (s + delta) / -a);
                }
            }
            if (phase1 && finite(ctx, f.lower[j]) && x < f.lower[j] - delta) {
                rs.breakpoint_position[breakpoints] = i;
                rs.breakpoint_ratio[breakpoints++] = (f.lower[j] - x) / -a;
                largest_break = std::fmax(largest_break, -a);
            }
        }
    }

    // Pass 2: the largest pivot among the candidates within theta_max (the
    // lowest basis position on ties).
    Candidate chosen;
    double largest = 0.0;
    bool below_flip = false;
    for (int32_t k = 0; k < candidates; ++k) {
        if (rs.candidate_ratio[k] > theta_max) continue;
        if (rs.candidate_ratio[k] < theta_flip) below_flip = true;
        const int32_t i = rs.candidate_position[k];
        const double mag = std::fabs(f.work[i]);
        if (mag > repsilon && (mag > largest || (mag == largest && i < chosen.position))) {
            largest = mag;
            chosen = {i, rs.candidate_ratio[k]};
        }
    }
    if (phase1 && chosen.position >= 0 && chosen.ratio <= 0.0 && o.blandsrule != 0) {
        // Degenerate: the smallest column number among the acceptable pivots.
        const double floor = std::fmax(repsilon, kRelativePivot * largest);
        int32_t best_column = -1;
        for (int32_t k = 0; k < candidates; ++k) {
            const int32_t i = rs.candidate_position[k];
            if (rs.candidate_ratio[k] > theta_max || std::fabs(f.work[i]) < floor) continue;
            if (best_column < 0 || f.header[i] < best_column) {
                best_column = f.header[i];
                chosen = {i, 0.0};
            }
        }
    }

    // Phase 1: the farthest breakpoint within the relaxed step (the highest
    // basis position on ties).
    Candidate breakpoint;
    bool leaves_upper = false;
    if (phase1 && breakpoints > 0) {
        const double floor = kRelativePivot * largest_break;
        for (int32_t k = 0; k < breakpoints; ++k) {
            const int32_t i = rs.breakpoint_position[k];
            if (std::fabs(f.work[i]) <= floor) continue;
            const double ratio = rs.breakpoint_ratio[k];
            if (breakpoint.position < 0 || ratio > breakpoint.ratio ||
                (ratio == breakpoint.ratio && i > breakpoint.position))
                breakpoint = {i, ratio};
        }
        if (breakpoint.position >= 0 && breakpoint.ratio > 0.0 && breakpoint.ratio <= theta_max) {
            chosen = breakpoint;
            leaves_upper = dir * f.work[breakpoint.position] >= 0.0;
        } else {
            breakpoint.position = -1;
        }
    }

    bool flip = false;
    if (breakpoint.position < 0) {
        if (theta_flip < inf && (chosen.position < 0 || !below_flip))
            flip = true;
        else if (chosen.position < 0)
            return kRatioUnbounded;
        else
            leaves_upper = dir * f.work[chosen.position] <= 0.0;
    }

    double theta = flip ? theta_flip : chosen.ratio;
    // Every exchange moves by at least the tolerance increment over the pivot:
    // a degenerate vertex is left by a tiny step instead of being circled
    // forever, the leaving column ending at most that far outside its bound
    // (within the working tolerance, which grows by the same increment).
    if (!flip) theta = std::fmax(theta, DeltaIncrement() / std::fabs(f.work[chosen.position]));
    if (theta < 0.0) theta = 0.0;
    if (decreasing) theta = -theta;
    rs.theta = theta;
    sv.delta += DeltaIncrement();

    if (flip) {
        f.value[q] = decreasing ? f.lower[q] : f.upper[q];
        rc = RecordPivot(ctx, q, q);
        set_bit(f.status[q], kStatAtUpper, !decreasing);
        sv.leaving = q;
        sv.leaving_pos = h;
        move_basics(ctx, theta);
        return rc != 0 ? rc : kRatioBoundFlip;
    }
    const int32_t r = chosen.position;
    const int32_t l = f.header[r];
    rs.pivot = f.work[r];
    rs.work_listed = 1;
    rc = RecordPivot(ctx, q, l);
    set_bit(f.status[l], kStatAtUpper, leaves_upper);
    f.value[q] += theta;
    set_bit(f.status[q], kStatAtUpper, false);
    sv.leaving = l;
    sv.leaving_pos = r;
    return rc;
}

}  // namespace

double DeltaCeiling() { return kDeltaShare * std::pow(kUnitRoundoff, kCeilingPower); }
double DeltaIncrement() { return kDeltaShare * std::pow(kUnitRoundoff, kIncrementPower); }

int ReserveRatioArrays(LpContext* ctx) {
    RatioState& rs = ctx->phases.ratio;
    const int32_t m = ctx->model.rows;
    if (rs.candidate_capacity >= m && rs.candidate_position != nullptr) return 0;
    const size_t count = static_cast<size_t>(m > 0 ? m : 1);
    ctx_free(ctx, rs.candidate_position);
    ctx_free(ctx, rs.candidate_ratio);
    ctx_free(ctx, rs.breakpoint_position);
    ctx_free(ctx, rs.breakpoint_ratio);
    ctx_free(ctx, rs.work_nonzero);
    rs.candidate_position = static_cast<int32_t*>(ctx_alloc(ctx, count * sizeof(int32_t), TYM_ALLOC_LONG));
    rs.candidate_ratio = static_cast<double*>(ctx_alloc(ctx, count * sizeof(double), TYM_ALLOC_LONG));
    rs.breakpoint_position = static_cast<int32_t*>(ctx_alloc(ctx, count * sizeof(int32_t), TYM_ALLOC_LONG));
    rs.breakpoint_ratio = static_cast<double*>(ctx_alloc(ctx, count * sizeof(double), TYM_ALLOC_LONG));
    rs.work_nonzero = static_cast<int32_t*>(ctx_alloc(ctx, count * sizeof(int32_t), TYM_ALLOC_LONG));
    rs.work_listed = 0;
    ForgetWorkNonzeros(ctx);
    if (rs.candidate_position == nullptr || rs.candidate_ratio == nullptr || rs.breakpoint_position == nullptr ||
        rs.breakpoint_ratio == nullptr || rs.work_nonzero == nullptr) {
        rs.candidate_capacity = 0;
        return kRunMemory;
    }
    rs.candidate_capacity = m;
    return 0;
}

int PrimalRatio(LpContext* ctx) { return ratio_test(ctx, false); }

int Phase1Ratio(LpContext* ctx) { return ratio_test(ctx, true); }

}  // namespace tymlp
