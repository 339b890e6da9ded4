// solve_combination_integer.cpp -- the driver's steps around branch and
// bound: the integer phase itself, GOALPROGRAM after an integer solve, and
// the root basis handed on to the next combination.
#include <climits>

#include "base/context_memory.h"
#include "base/host_link.h"
#include "control/end_run.h"
#include "control/solve_combination.h"
#include "cuts/root_cuts.h"
#include "heuristics/heuristic_entries.h"
#include "input/model_records.h"
#include "input/reader_common.h"
#include "integer/activein.h"
#include "integer/adopt_incumbent.h"
#include "integer/bb_internal.h"
#include "integer/branch_bound.h"
#include "integer/integer_bounds.h"
#include "integer/node_store.h"
#include "integer/reduced_cost_fixing.h"
#include "output/reported_values.h"
#include "simplex/phases.h"
#include "simplex/primal_values.h"
#include "stream/node_coder.h"

namespace tymlp {
namespace {

constexpr int kMsgGoalWithoutInteger = 228;
constexpr int kMsgNodeRecords = 336;
constexpr int kMsgPrimalinIncumbent = 338;
constexpr int kMsgPrimalinNotIncumbent = 339;
constexpr int kMsgNoWholeNumber = 390;
constexpr int kMsgBoundsRounded = 391;

void end_on_failure(LpContext* ctx, int rc) {
    if (rc == kRunMemory) end_run(ctx, kEndMemory);
    if (rc != 0) end_run(ctx, kEndIo);
}

// The objective column held at `value` from now on: no longer free, both
// bounds at the value.
void fix_objective_column(LpContext* ctx, int32_t j, double value) {
    ComputationalForm& f = ctx->form;
    f.status[j] = static_cast<uint8_t>(f.status[j] & ~kStatHeld);
    f.lower[j] = value;
    f.upper[j] = value;
}

// A feasible integer solution PRIMALIN gave becomes the first incumbent,
// re-solved with its integer columns fixed; its value is the cutoff the
// search starts from.  The continuous relaxation was still solved first, so
// the search proves the optimum from the root instead of trusting that the
// solution was optimal (it may come from a search that was stopped).
int take_primalin_incumbent(LpContext* ctx) {
    BbState& bb = ctx->bb;
    if (bb.primalin_solution == 0) return 0;
    bb.primalin_solution = 0;
    Adoption adoption = Adoption::kFailed;
    const int rc = adopt_integer_solution(ctx, bb.primalin_values, allocate_node(ctx), true, &adoption);
    if (rc == 0 && adoption == Adoption::kAdopted) {
        ++bb.feasible_count;
        bb.deltait_counter = 0;
        if (bb.target < bb.cutoff) bb.target = bb.cutoff;
        const double scale = bb.objective_scale != 0.0 ? bb.objective_scale : 1.0;
        const ObjectiveRecord* obj = ctx->model.current_objective;
        const double sense = obj != nullptr ? obj->sense : 1.0;
        const TymArg args[] = {arg_double(bb.incumbent->bound * sense / scale)};
        host_message(kMsgPrimalinIncumbent, 1, args);
    } else if (rc == 0) {
        const char* why = adoption == Adoption::kCutOff ? "it does not beat the cutoff"
                          : adoption == Adoption::kNotKept
                              ? "its solution does not keep the special ordered sets or does not hold"
                              : "its linear program could not be solved";
        const TymArg args[] = {arg_text(why)};
        host_message(kMsgPrimalinNotIncumbent, 1, args);
    }
    const int restored = restore_root_node(ctx);
    return rc != 0 ? rc : restored;
}

// The relaxation solved again after bounds moved: by the dual phase, since
// moving bounds leaves the continuous optimum's prices feasible.  No cutoff
// may stop it: it is no node of a search.
int resolve_with_dual_phase(LpContext* ctx) {
    const int rc = RecomputePrimal(ctx);
    if (rc != 0) return rc;
    ctx->bb.cutoff = -ctx->options.infinity;
    EnterPhase(ctx, kPhase3, false);
    int code = RunPhase(ctx, DualPhase);
    if (code == kStopNestedFailed) code = ctx->solver.run_status;
    ctx->solver.run_status = kRunOk;
    return code;
}

int round_and_resolve(LpContext* ctx, double* saved) {
    const RoundedBounds rounded = round_integer_bounds(ctx, saved);
    if (rounded.changed > 0) {
        const TymArg arg = arg_int(rounded.changed);
        host_message(kMsgBoundsRounded, 1, &arg);
    }
    if (rounded.crossed_column >= 0) {
        ColumnRecord rec{};
        char name[kMaxNameLength + 1] = {};
        const int length = read_column(ctx, rounded.crossed_column, &rec, name) == 0
                               ? trimmed_length(name, ctx->model.column_name_length)
                               : 0;
        const TymArg arg = arg_text(name, length);
        host_message(kMsgNoWholeNumber, 1, &arg);
        return kRunIntInfeasible;
    }
    if (rounded.changed == 0) return 0;
    const int code = resolve_with_dual_phase(ctx);
    if (code != kStopDualUnbounded) return code;
    // No point of the relaxation is left within the whole bounds.  The
    // reports show the relaxation as the data gave it: the bounds go back
    // and the dual phase, whose prices stayed feasible, finds it again.
    restore_integer_bounds(ctx, saved);
    const int again = resolve_with_dual_phase(ctx);
    return again == kStopFinished ? kRunIntInfeasible : again;
}

// The integer columns' bounds made whole before the search, and the
// relaxation solved again when that moved one.  Returns 0 to search,
// kRunIntInfeasible when no integer point can exist, or the code of a dual
// phase that stopped otherwise.
int make_integer_bounds_whole(LpContext* ctx) {
    const int32_t integers = ctx->model.integer_count;
    double* saved = ctx_alloc_array<double>(ctx, 2 * (integers > 0 ? integers : 1));
    if (saved == nullptr) return kRunMemory;
    const int code = round_and_resolve(ctx, saved);
    ctx_free_array(ctx, saved);
    return code;
}

}  // namespace

void integer_phase_step(LpContext* ctx) {
    SolverState& sv = ctx->solver;
    if (sv.run_status != kRunOk || !integer_problem(ctx) || sv.primal_feasible == 0 || sv.optimal == 0) return;
    const int whole = make_integer_bounds_whole(ctx);
    if (whole == kRunMemory) end_run(ctx, kEndMemory);
    if (whole != 0 && whole != kRunIntInfeasible) {
        sv.run_status = whole;
        return;
    }
    // Cutting planes at the root (CUTPASSES), before anything keeps the root.
    end_on_failure(ctx, run_root_cuts(ctx));
    end_on_failure(ctx, prepare_fixing(ctx));
    EnterPhase(ctx, kPhase3, false);
    sv.bb_ran = 1;
    ctx->bb.node_coder_entries = node_coder_entries_for(ctx->options.treetype);
    const int initialised = initialise_branch_and_bound(ctx);
    if (initialised == kRunIo) end_run(ctx, kEndIo);
    if (initialised != 0) end_run(ctx, kEndMemory);
    const int64_t saved_before = ctx->bb.records_saved;
    const int64_t bytes_before = ctx->bb.record_bytes;
    // A problem with no integer point ends here, INT_INFEASIBLE: no
    // incumbent and no active node.
    if (whole == kRunIntInfeasible) {
        sv.run_status = kRunOk;
        ctx->bb.iteration = 0;
        release_fixing(ctx);
        return;
    }
    // A search an earlier run stopped goes on from its ACTIVEOUT.
    sv.run_status = take_primalin_incumbent(ctx);
    if (sv.run_status == kRunOk) sv.run_status = read_activein(ctx);
    ctx->entries.search_heuristics = start_search_heuristics(ctx);
    if (sv.run_status == kRunOk) sv.run_status = run_branch_and_bound(ctx);
    report_heuristics(ctx);
    // What the node store wrote, so that the record coders can be compared.
    const TymArg args[] = {arg_int(ctx->bb.records_saved - saved_before), arg_int(ctx->bb.record_bytes - bytes_before),
                           arg_int(ctx->options.treetype)};
    host_message(kMsgNodeRecords, 3, args);

    // The best node's basis for the reports, with no iteration limit on the way.
    const int32_t maxit3 = ctx->options.maxit3;
    ctx->options.maxit3 = INT_MAX;
    int restored = restore_best_node(ctx);
    // The cuts leave the LP, so that the reports are the user's problem's.
    if (restored == 0) restored = release_cuts_after_search(ctx);
    ctx->options.maxit3 = maxit3;
    sv.primal_feasible = 1;
    sv.optimal = 1;
    if (restored > sv.run_status) sv.run_status = restored;
    release_fixing(ctx);
}

void integer_goal_program_step(LpContext* ctx) {
    SolverState& sv = ctx->solver;
    const ObjectiveRecord* obj = ctx->model.current_objective;
    if (ctx->options.goalprogram == 0 || sv.run_status != kRunOk || obj == nullptr || obj->column < 0) return;
    const int32_t j = obj->column;
    const double value = ctx->form.value[j];
    if (sv.bb_ran == 0) {
        fix_objective_column(ctx, j, value);
        return;
    }
    if (ctx->bb.feasible_count == 0) {
        host_message(kMsgGoalWithoutInteger);
        return;
    }
    // The integer solution and the root (which starts the next combination)
    // both hold the objective at the integer optimum.
    fix_objective_column(ctx, j, value);
    int rc = 0;
    ActiveNode* aside = save_state_aside(ctx, &rc);
    end_on_failure(ctx, rc);
    rc = restore_root_node(ctx);
    if (rc == kRunSingular) end_run(ctx, kEndQuit);
    end_on_failure(ctx, rc);
    fix_objective_column(ctx, j, value);
    end_on_failure(ctx, save_root_node(ctx));
    rc = restore_state_aside(ctx, aside);
    if (rc == kRunSingular) end_run(ctx, kEndQuit);
    end_on_failure(ctx, rc);
}

bool last_combination(const LpContext* ctx) {
    const ProblemModel& pm = ctx->model;
    if (pm.rhs_index != pm.lists[kListRhs].count - 1) return false;
    const bool forward = pm.rhs_index % 2 == 0;
    return pm.objective_index == (forward ? pm.objective_count - 1 : 1);
}

bool hand_on_root_basis(LpContext* ctx) {
    SolverState& sv = ctx->solver;
    if (sv.bb_ran == 0 || last_combination(ctx)) return false;
    const int rc = restore_root_node(ctx);
    if (rc != 0) end_run(ctx, kEndQuit);
    sv.bb_ran = 0;
    if (ctx->options.goalprogram == 0 || sv.run_status != kRunOk) return false;
    // The dual phase that follows is no search: no cutoff may stop it.
    ctx->bb.cutoff = -ctx->options.infinity;
    sv.primal_feasible = 0;
    return true;
}

}  // namespace tymlp
