// shifting_rounding.cpp -- the rounding that simple rounding could not
// finish, repaired by shifting other integer variables.
//
// A variable that no direction rounds for free is rounded to the nearer
// whole number anyway, which leaves some rows short.  Each short row is
// then mended by a unit move of an integer variable in it: of the moves
// that lower the total shortfall of the rows they touch, the one that
// lowers it most, the objective deciding ties.  A column is never moved
// back the way it last came, so the repair cannot cycle, and it gives up
// after a number of moves proportional to the variables it rounded.
#include <cmath>
#include <initializer_list>

#include "heuristics/heuristic_incumbent.h"
#include "heuristics/heuristic_rows.h"
#include "heuristics/heuristics.h"
#include "integer/bb_internal.h"

namespace tymlp {
namespace {

constexpr int32_t kShiftsPerRounding = 2;
constexpr int32_t kShiftsAtLeast = 10;
constexpr int32_t kShiftsAtMost = 200;

// The first row that falls short at the point, or -1.
int32_t short_row(const LpContext* ctx) {
    for (int32_t i = 0; i < ctx->model.rows; ++i)
        if (row_shortfall(ctx, i, ctx->heuristics.activity[i]) > 0.0) return i;
    return -1;
}

struct Shift {
    int32_t column = -1;
    double delta = 0.0;
    double change = 0.0;
    double objective = 0.0;
};

// The best unit move of an integer column of row r.  Returns 0, 9 or 25.
int best_shift(LpContext* ctx, int32_t r, Shift* best) {
    const ComputationalForm& f = ctx->form;
    const HeuristicState& h = ctx->heuristics;
    const PenaltyRows& pr = ctx->bb.penalty_rows;
    *best = Shift{};
    for (int32_t e = pr.start[r]; e < pr.start[r + 1]; ++e) {
        const int32_t k = pr.columns[e];
        if (k >= ctx->model.structural_count || (f.status[k] & kStatInteger) == 0) continue;
        for (const double delta : {1.0, -1.0}) {
            if (h.shifted[k] == (delta > 0.0 ? -1 : 1)) continue;
            const double target = h.point[k] + delta;
            if (target < f.lower[k] || target > f.upper[k]) continue;
            double change = 0.0;
            double objective = 0.0;
            const int rc = shortfall_change(ctx, k, delta, &change, &objective);
            if (rc != 0) return rc;
            if (!(change < 0.0)) continue;
            const bool better = best->column < 0 || change < best->change - 1e-12 ||
                                (change <= best->change + 1e-12 && objective > best->objective);
            if (better) *best = Shift{k, delta, change, objective};
        }
    }
    return 0;
}

void clear_shifts(LpContext* ctx) {
    for (const IntegerVariable* v = ctx->bb.variables; v != nullptr; v = v->next)
        ctx->heuristics.shifted[v->column] = 0;
}

int repair(LpContext* ctx, int32_t rounded, bool* repaired) {
    HeuristicState& h = ctx->heuristics;
    int32_t allowance = kShiftsPerRounding * rounded + kShiftsAtLeast;
    if (allowance > kShiftsAtMost) allowance = kShiftsAtMost;
    *repaired = false;
    for (int32_t step = 0; step < allowance; ++step) {
        const int32_t r = short_row(ctx);
        if (r < 0) {
            *repaired = true;
            return 0;
        }
        Shift shift;
        int rc = best_shift(ctx, r, &shift);
        if (rc != 0 || shift.column < 0) return rc;
        rc = move_point_column(ctx, shift.column, h.point[shift.column] + shift.delta);
        if (rc != 0) return rc;
        h.shifted[shift.column] = shift.delta > 0.0 ? 1 : -1;
    }
    *repaired = short_row(ctx) < 0;
    return 0;
}

}  // namespace

int run_shifting_rounding(LpContext* ctx, int kind) {
    const ComputationalForm& f = ctx->form;
    HeuristicState& h = ctx->heuristics;
    load_current_point(ctx);
    bool complete = false;
    int rc = round_fractional_variables(ctx, &complete);
    // A complete rounding is simple rounding's, offered already.
    if (rc != 0 || complete) return rc;
    int32_t rounded = 0;
    for (const IntegerVariable* v = ctx->bb.variables; v != nullptr; v = v->next) {
        const int32_t j = v->column;
        const double x = h.point[j];
        if (x == std::nearbyint(x)) continue;
        double target = std::nearbyint(x);
        if (target < f.lower[j]) target = std::ceil(f.lower[j]);
        if (target > f.upper[j]) target = std::floor(f.upper[j]);
        if ((rc = move_point_column(ctx, j, target)) != 0) return rc;
        ++rounded;
    }
    clear_shifts(ctx);
    bool repaired = false;
    rc = repair(ctx, rounded, &repaired);
    clear_shifts(ctx);
    if (rc != 0 || !repaired || !beats_cutoff(ctx, point_objective(ctx))) return rc;
    Offer offer = Offer::kRefused;
    return offer_heuristic_point(ctx, kind, &offer);
}

}  // namespace tymlp
