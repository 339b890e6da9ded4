// diving.cpp -- the dive of the diving heuristics.
//
// A dive is a depth-first probe without branching: the LP is re-solved
// from the last basis by the dual phase after each bound, which costs a few
// pivots.  The iterations of all dives together are held to a share of the
// search's own LP iterations, so that a search that dives does not spend
// most of its time doing so.
#include "heuristics/diving.h"

#include <algorithm>
#include <cmath>

#include "heuristics/heuristic_incumbent.h"
#include "heuristics/heuristic_rows.h"
#include "integer/bb_internal.h"
#include "integer/branch_bound.h"
#include "integer/budgeted_dual.h"
#include "simplex/phases.h"

namespace tymlp {
namespace {

constexpr int32_t kDiveIterationsAtLeast = 200;
constexpr double kDiveShareOfSearch = 0.2;
constexpr int32_t kDivesBeforeShare = 4;

// The iterations one dive may take: the continuous relaxation's own count,
// at least kDiveIterationsAtLeast.
int32_t dive_budget(const LpContext* ctx) {
    const SolverState& sv = ctx->solver;
    return std::max(kDiveIterationsAtLeast, sv.iterations[0] + sv.iterations[1]);
}

// Whether the dives so far leave room for another.
bool dives_within_share(const LpContext* ctx) {
    const HeuristicState& h = ctx->heuristics;
    const int64_t search = ctx->solver.iterations[2] - h.search_iterations - h.lp_iterations;
    const double allowed = kDiveShareOfSearch * static_cast<double>(search > 0 ? search : 0) +
                           static_cast<double>(kDivesBeforeShare) * dive_budget(ctx);
    return static_cast<double>(h.lp_iterations) < allowed;
}

bool integral_solution(const LpContext* ctx) {
    double down = 0.0, up = 0.0;
    for (const IntegerVariable* v = ctx->bb.variables; v != nullptr; v = v->next)
        if (fractional(ctx, ctx->form.value[v->column], &down, &up)) return false;
    return true;
}

}  // namespace

bool fractional(const LpContext* ctx, double x, double* down, double* up) {
    *down = x - std::floor(x);
    *up = std::ceil(x) - x;
    return std::fmin(*down, *up) > ctx->options.iepsilon;
}

int dive(LpContext* ctx, int kind, DiveRule rule) {
    ComputationalForm& f = ctx->form;
    HeuristicState& h = ctx->heuristics;
    if (!dives_within_share(ctx)) return 0;
    ++h.calls[kind];
    int rc = 0;
    ActiveNode* aside = save_state_aside(ctx, &rc);
    if (rc != 0) return rc;
    int64_t used = 0;
    const int32_t budget = dive_budget(ctx);
    bool flipped = false;
    for (int32_t depth = 0; depth <= ctx->model.integer_count; ++depth) {
        if (integral_solution(ctx)) {
            load_current_point(ctx);
            if (beats_cutoff(ctx, current_z(ctx))) {
                Offer offer = Offer::kRefused;
                rc = offer_heuristic_point(ctx, kind, &offer);
            }
            break;
        }
        IntegerVariable* v = nullptr;
        bool up = false;
        if (!rule(ctx, &v, &up)) break;
        const int32_t j = v->column;
        const double x = f.value[j];
        const double lower = f.lower[j];
        const double upper = f.upper[j];
        if (up)
            f.lower[j] = std::ceil(x);
        else
            f.upper[j] = std::floor(x);
        int code = resolve_within_budget(ctx, static_cast<int32_t>(budget - used), &used);
        if (code == kStopDualUnbounded && !flipped && used < budget) {
            // The other side of the first infeasible bound, once per dive.
            flipped = true;
            f.lower[j] = lower;
            f.upper[j] = upper;
            if (up)
                f.upper[j] = std::floor(x);
            else
                f.lower[j] = std::ceil(x);
            code = resolve_within_budget(ctx, static_cast<int32_t>(budget - used), &used);
        }
        if (code != kStopFinished) {
            if (code == kStopMemory || code == kRunIo) rc = code;
            break;
        }
    }
    h.lp_iterations += used;
    const int restored = restore_state_aside(ctx, aside);
    return rc != 0 ? rc : restored;
}

}  // namespace tymlp
