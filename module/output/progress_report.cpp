// progress_report.cpp -- the progress report of the simplex phases and of
// branch and bound.
#include "output/progress_report.h"

#include "base/host_link.h"
#include "output/iteration_log.h"
#include "output/reported_values.h"

namespace tymlp {
namespace {

// An internal objective value z of branch and bound in the user's terms.
double user_objective(const LpContext* ctx, double z) {
    const ObjectiveRecord* obj = ctx->model.current_objective;
    const double scale = ctx->bb.objective_scale != 0.0 ? ctx->bb.objective_scale : 1.0;
    return z / scale * (obj != nullptr && obj->sense < 0 ? -1.0 : 1.0);
}

}  // namespace

void report_progress(LpContext* ctx, int64_t now_ms) {
    ReportState& r = ctx->report;
    if (now_ms < r.progress_next_ms || ctx->form.value == nullptr) return;
    r.progress_next_ms = now_ms + kProgressIntervalMs;
    const SolverState& sv = ctx->solver;
    const BbState& bb = ctx->bb;
    const double missing = host_missing('.');
    TymProgress p{};
    p.size = sizeof p;
    p.phase = sv.phase;
    p.iterations = static_cast<int64_t>(sv.iterations[0]) + sv.iterations[1] + sv.iterations[2];
    const ReportBasis b = report_basis(ctx);
    // Phase 1 works on the sum of infeasibilities; the objective means
    // something from phase 2 on.
    p.objective = b.valid && sv.phase != kPhase1 ? ctx->form.value[b.objective_column] / b.column_scale : missing;
    p.infeasibility = sv.phase == kPhase1 ? sum_of_violations(ctx) : 0.0;
    p.incumbent = missing;
    p.best_bound = missing;
    if (sv.bb_ran != 0) {
        p.stage = TYM_PROGRESS_INTEGER;
        p.nodes = bb.iteration;
        p.active = bb.active_count;
        if (bb.incumbent != nullptr) p.incumbent = user_objective(ctx, bb.incumbent->bound);
        const ActiveNode* best = bb.lists[kListByBound].high;
        if (bb.active_count > 0 && best != nullptr) p.best_bound = user_objective(ctx, best->bound);
    } else {
        p.stage = TYM_PROGRESS_SIMPLEX;
    }
    r.progress_sent = 1;
    host_progress(&p);
}

void end_progress(LpContext* ctx) {
    ReportState& r = ctx->report;
    r.progress_next_ms = 0;
    if (r.progress_sent == 0) return;
    r.progress_sent = 0;
    TymProgress p{};
    p.size = sizeof p;
    p.stage = TYM_PROGRESS_DONE;
    host_progress(&p);
}

}  // namespace tymlp
