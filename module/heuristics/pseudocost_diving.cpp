// pseudocost_diving.cpp -- the dive the pseudocosts steer: each variable is
// rounded the way its pseudocosts say is cheaper (or the way it nearly is
// already), and the variable whose cheaper way is cheapest relative to the
// other is bounded first.
#include "heuristics/diving.h"
#include "heuristics/heuristics.h"

namespace tymlp {
namespace {

constexpr double kNearlyDown = 0.3;
constexpr double kNearlyUp = 0.7;

bool cheapest_by_pseudocost(LpContext* ctx, IntegerVariable** chosen, bool* up) {
    double best = -1.0;
    *chosen = nullptr;
    for (IntegerVariable* v = ctx->bb.variables; v != nullptr; v = v->next) {
        double down_part = 0.0, up_part = 0.0;
        if (!fractional(ctx, ctx->form.value[v->column], &down_part, &up_part)) continue;
        const double down_cost = down_part * v->down_pseudocost;
        const double up_cost = up_part * v->up_pseudocost;
        bool goes_up = up_cost < down_cost;
        if (down_part < kNearlyDown) goes_up = false;
        if (down_part > kNearlyUp) goes_up = true;
        const double part = goes_up ? up_part : down_part;
        // How much cheaper the chosen way is than the other, for a variable
        // that need not move far.
        const double ratio = goes_up ? (1.0 + down_cost) / (1.0 + up_cost) : (1.0 + up_cost) / (1.0 + down_cost);
        const double score = (1.0 - part) * ratio;
        if (score > best) {
            best = score;
            *chosen = v;
            *up = goes_up;
        }
    }
    return *chosen != nullptr;
}

}  // namespace

int run_pseudocost_diving(LpContext* ctx, int kind) { return dive(ctx, kind, cheapest_by_pseudocost); }

}  // namespace tymlp
