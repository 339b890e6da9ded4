// simple_rounding.cpp -- every fractional integer variable of the LP
// solution rounded in a direction that keeps every row it is in.
//
// The LP solution keeps every row, so a variable whose rows all allow it
// to move one way can be rounded that way for free.  The variables are
// rounded one after another and each move is judged at the point the
// earlier moves left, so a row that one rounding loosens can take another's
// tightening.  The continuous columns stay where the LP put them; the
// checked incumbent path solves for them again once the integers are fixed.
#include <cmath>
#include <initializer_list>

#include "heuristics/heuristic_incumbent.h"
#include "heuristics/heuristic_rows.h"
#include "heuristics/heuristics.h"
#include "integer/bb_internal.h"

namespace tymlp {

int round_fractional_variables(LpContext* ctx, bool* complete) {
    const ComputationalForm& f = ctx->form;
    const double ieps = ctx->options.iepsilon;
    *complete = true;
    for (const IntegerVariable* v = ctx->bb.variables; v != nullptr; v = v->next) {
        const int32_t j = v->column;
        const double x = ctx->heuristics.point[j];
        if (std::fabs(x - std::nearbyint(x)) <= ieps) {
            const int rc = move_point_column(ctx, j, std::nearbyint(x));
            if (rc != 0) return rc;
            continue;
        }
        // The nearer whole number first: it moves the rows least.
        const double near = std::nearbyint(x);
        const double far = near < x ? near + 1.0 : near - 1.0;
        bool moved = false;
        for (double target : {near, far}) {
            if (target < f.lower[j] || target > f.upper[j]) continue;
            double change = 0.0;
            int rc = shortfall_change(ctx, j, target - x, &change);
            if (rc != 0) return rc;
            if (change > 0.0) continue;
            rc = move_point_column(ctx, j, target);
            if (rc != 0) return rc;
            moved = true;
            break;
        }
        if (!moved) *complete = false;
    }
    return 0;
}

int run_simple_rounding(LpContext* ctx, int kind) {
    load_current_point(ctx);
    bool complete = false;
    int rc = round_fractional_variables(ctx, &complete);
    if (rc != 0 || !complete) return rc;
    if (!beats_cutoff(ctx, point_objective(ctx))) return 0;
    Offer offer = Offer::kRefused;
    return offer_heuristic_point(ctx, kind, &offer);
}

}  // namespace tymlp
