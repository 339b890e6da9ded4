// fractional_diving.cpp -- the dive that rounds the least fractional
// variable to its nearer whole number: the bound that moves the LP least.
#include "heuristics/diving.h"
#include "heuristics/heuristics.h"

namespace tymlp {
namespace {

bool least_fractional(LpContext* ctx, IntegerVariable** chosen, bool* up) {
    double best = 1.0;
    *chosen = nullptr;
    for (IntegerVariable* v = ctx->bb.variables; v != nullptr; v = v->next) {
        double down_part = 0.0, up_part = 0.0;
        if (!fractional(ctx, ctx->form.value[v->column], &down_part, &up_part)) continue;
        const double distance = down_part < up_part ? down_part : up_part;
        if (distance < best) {
            best = distance;
            *chosen = v;
            *up = up_part < down_part;
        }
    }
    return *chosen != nullptr;
}

}  // namespace

int run_fractional_diving(LpContext* ctx, int kind) { return dive(ctx, kind, least_fractional); }

}  // namespace tymlp
