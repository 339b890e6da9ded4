// guided_diving.cpp -- the dive towards the incumbent: the variable whose
// LP value is nearest its value in the incumbent is rounded that way.  The
// neighbourhood of a good solution is where better ones are often found.
#include <cmath>

#include "heuristics/diving.h"
#include "heuristics/heuristics.h"

namespace tymlp {
namespace {

bool nearest_incumbent(LpContext* ctx, IntegerVariable** chosen, bool* up) {
    const HeuristicState& h = ctx->heuristics;
    double best = 2.0;
    *chosen = nullptr;
    int k = 0;
    for (IntegerVariable* v = ctx->bb.variables; v != nullptr; v = v->next, ++k) {
        const double x = ctx->form.value[v->column];
        double down_part = 0.0, up_part = 0.0;
        if (!fractional(ctx, x, &down_part, &up_part)) continue;
        const double target = h.incumbent_values[k];
        const bool goes_up = target > x;
        const double distance = std::fabs(target - x);
        if (distance < best) {
            best = distance;
            *chosen = v;
            *up = goes_up;
        }
    }
    return *chosen != nullptr;
}

}  // namespace

int run_guided_diving(LpContext* ctx, int kind) {
    if (ctx->heuristics.incumbent_known == 0 || ctx->bb.incumbent == nullptr) return 0;
    return dive(ctx, kind, nearest_incumbent);
}

}  // namespace tymlp
