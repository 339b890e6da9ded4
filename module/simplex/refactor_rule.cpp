// refactor_rule.cpp -- factorise when the updates have made the solves dear
// enough (INVTYPE=AUTO), or every INVFREQ updates.
#include "simplex/refactor_rule.h"

#include <algorithm>

#include "base/ctx_options.h"

namespace tymlp {
namespace {

// FTRANs and BTRANs of one iteration that pass over the whole eta file and
// U: the leaving row's BTRAN, the entering column's FTRAN and, on the dual
// path, those of the weight update and of the bound flips.
constexpr double kSolvesPerIteration = 4.0;
// Work of a factorisation per slot it builds (the basis entries, U and L)
// and per row, against one entry visited by a solve: gathering the columns,
// the pivot search with its count lists, the row operations and the
// rebuilt column patterns all touch each slot several times and mostly out
// of cache order.  Measured on the generated separable LPs of
// bench/make_scaling_lps.py (about 45 ms for 10^5 rows of singletons,
// against one to two nanoseconds per entry of a solve).
constexpr double kFactorSlotWork = 40.0;
// Work per matrix entry and per column of what follows a factorisation:
// basic values from the nonbasic columns, the pricing vector, and on the
// dual path every reduced cost afresh.
constexpr double kRefreshEntryWork = 4.0;
// Updates allowed between factorisations: at least the classic 100, more on
// large bases, where a factorisation costs most and hypersparse updates add
// least, but never so many that the rounding of the updates is left to
// accumulate unchecked.
constexpr int32_t kCapFloor = 100;
constexpr int32_t kCapRowsPerUpdate = 50;
constexpr int32_t kCapCeiling = 2000;

bool auto_rule(const LpContext* ctx) { return ctx->options.invtype == kInvTypeAuto && ctx->solver.bb_ran == 0; }

// The work the updates add to one iteration's solves: their row operations
// in the eta file and the entries they added to U.
double update_growth(const LpContext* ctx) {
    const InverseStore& s = ctx->inverse;
    const double etas = static_cast<double>(std::max(0, s.etaCount - s.factorEtas));
    const double fill = static_cast<double>(std::max(0, s.uCount - ctx->solver.refactor_u_base));
    return kSolvesPerIteration * (etas + fill);
}

}  // namespace

int32_t AutoUpdateCap(int32_t m) { return std::clamp(kCapFloor + m / kCapRowsPerUpdate, kCapFloor, kCapCeiling); }

void NoteFactorisation(LpContext* ctx) {
    const InverseStore& s = ctx->inverse;
    SolverState& sv = ctx->solver;
    const ProblemModel& pm = ctx->model;
    const double slots = static_cast<double>(s.nelem) + s.uCount + std::max(0, s.factorEtas) + s.m;
    const double refresh = static_cast<double>(pm.coef_count) + pm.columns;
    sv.refactor_work = kFactorSlotWork * slots + kRefreshEntryWork * refresh;
    sv.refactor_growth_sum = 0.0;
    sv.refactor_u_base = s.uCount;
}

bool RefactorDue(LpContext* ctx) {
    SolverState& sv = ctx->solver;
    const int32_t k = sv.updates_since_inversion;
    if (!auto_rule(ctx)) return k >= ctx->options.invfreq;
    if (k >= AutoUpdateCap(ctx->model.rows)) return true;
    // The iteration just made ran its solves on the factors as they stand;
    // the next one would cost at least as much.  Once that exceeds the
    // period's average so far, a fresh factorisation lowers the average.
    const double growth = update_growth(ctx);
    sv.refactor_growth_sum += growth;
    return growth * k >= sv.refactor_work + sv.refactor_growth_sum;
}

}  // namespace tymlp
