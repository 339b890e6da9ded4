// branch_bound_run.cpp -- the search loop: one integer iteration per pass.
//
// A pass first logs the iteration just done and checks every limit and
// pause point, then selects a node, solves its LP with the dual phase from
// the parent's basis and evaluates the solution.  Pauses return at once in
// a batch run; every limit then ends the search with its status.
#include <cmath>

#include "base/host_link.h"
#include "integer/bb_internal.h"
#include "integer/branch_bound.h"
#include "integer/node_select.h"
#include "integer/node_store.h"
#include "integer/reduced_cost_fixing.h"
#include "output/iteration_log.h"
#include "output/progress_report.h"
#include "simplex/phases.h"
#include "simplex/primal_values.h"

namespace tymlp {
namespace {

constexpr int kMsgIterationLimit = 61;
constexpr int kMsgIntegerLimit = 60;
constexpr int kMsgTimeLimit = 58;
constexpr int kMsgIntegerPause = 171;
constexpr int kMsgIntegerFeasiblePause = 173;
constexpr int kMsgInterrupted = 206;
constexpr int kMsgSingularNode = 231;
constexpr int kMsgProximity = 235;
constexpr int kMsgProximityPause = 236;
constexpr int kMsgUnverifiedNodes = 396;
constexpr int32_t kUnlimited = 2147483647;
constexpr int64_t kMillisecondsPerSecond = 1000;
// REPSILON below 2^-53: a singular node basis cannot be helped by retrying.
constexpr double kSmallestRetryRepsilon = 1.1102230246251565e-16;
constexpr int kSelectRetry = 1;  // restore found the node's basis singular

enum Evaluation : int { kBranched = 0, kInfeasible = 6, kIncumbent = 15, kFathomed = 17 };

bool pause(LpContext* ctx, int reason) {
    bool interacted = false;
    PhasePause(ctx, reason, &interacted);
    return interacted;
}

// Elapsed time as the phases keep it, with the time spent outside them.
bool beyond_time(LpContext* ctx) {
    SolverState& sv = ctx->solver;
    const int64_t now = host_clock_ms();
    if (now < 0) return false;
    if (sv.last_clock_ms > 0 && now >= sv.last_clock_ms) sv.elapsed_ms += now - sv.last_clock_ms;
    sv.last_clock_ms = now;
    report_progress(ctx, now);
    return static_cast<double>(sv.elapsed_ms) > ctx->options.time * kMillisecondsPerSecond;
}

void count_iteration(LpContext* ctx, int delta) {
    ctx->bb.iteration += delta;
    ctx->bb.ipause_count += delta;
    ctx->solver.ipivot_count -= delta;
}

double user_value(const LpContext* ctx, double z) {
    const ObjectiveRecord* obj = ctx->model.current_objective;
    return z / ctx->bb.objective_scale * (obj != nullptr && obj->sense < 0 ? -1.0 : 1.0);
}

void proximity_pause(LpContext* ctx, double proximity) {
    const BbState& bb = ctx->bb;
    const LpOptions& o = ctx->options;
    if (!(o.proximitypause > 0.0) || (bb.improved == 0 && bb.incumbent == nullptr) || bb.active_count == 0) return;
    if (std::isnan(proximity) || proximity > o.proximitypause) return;
    host_message(kMsgProximityPause);
    const ActiveNode* best = bb.lists[kListByBound].high;
    if (bb.incumbent != nullptr && best != nullptr && !(bb.incumbent->bound > best->bound)) {
        const TymArg args[] = {arg_double(proximity), arg_double(user_value(ctx, bb.incumbent->bound)),
                               arg_double(user_value(ctx, best->bound))};
        host_message(kMsgProximity, 3, args);
    }
    pause(ctx, kRunProximityPause);
}

// Step 1 of a pass: the log line of the iteration just done, then the
// pause points and limits.  Returns 0 to go on, else the code to end with.
int pass_head(LpContext* ctx) {
    BbState& bb = ctx->bb;
    SolverState& sv = ctx->solver;
    const LpOptions& o = ctx->options;
    const double proximity = print_integer_log_line(ctx);
    if (bb.ipause_count >= o.ipause) {
        host_message(kMsgIntegerPause);
        pause(ctx, kRunIPause);
        bb.ipause_count = 0;
    }
    if (sv.ipivot_count <= 0) {
        host_message(kMsgIntegerPause);
        sv.ipivot_count = kUnlimited;
        pause(ctx, kRunIPivot);
    }
    if (sv.iterations[2] >= o.maxit3) {
        const TymArg args[] = {arg_int(kPhase3), arg_int(kPhase3)};
        host_message(kMsgIterationLimit, 2, args);
        pause(ctx, kRunMaxIter);
        if (sv.iterations[2] >= o.maxit3) return kRunMaxIter;
    }
    if (bb.iteration >= o.imaxit) {
        host_message(kMsgIntegerLimit);
        pause(ctx, kRunIntMaxIter);
        if (bb.iteration >= o.imaxit) return kRunIntMaxIter;
    }
    if (beyond_time(ctx)) {
        host_message(kMsgTimeLimit);
        pause(ctx, kRunMaxTime);
        if (beyond_time(ctx)) return kRunMaxTime;
    }
    if (o.ifeasiblepause >= 1 && bb.last_evaluation == kIncumbent && bb.feasible_count > 0 &&
        bb.feasible_count % o.ifeasiblepause == 0) {
        host_message(kMsgIntegerFeasiblePause);
        pause(ctx, kRunIntFeasible);
    }
    proximity_pause(ctx, proximity);
    host_attention_poll();
    if (sv.break_flag != 0) {
        host_message(kMsgInterrupted);
        pause(ctx, kRunBreak);
    }
    count_iteration(ctx, 1);
    return 0;
}

// The primal heuristics, when installed, look at the node's LP solution
// just evaluated.  Returns 0, 9 or 25.
int after_evaluation(LpContext* ctx, int result, bool root) {
    if (ctx->entries.search_heuristics == nullptr || (result != kBranched && result != kIncumbent)) return 0;
    return ctx->entries.search_heuristics(ctx, result, root);
}

void set_aside_current(LpContext* ctx) {
    BbState& bb = ctx->bb;
    ActiveNode* node = bb.current;
    const TymArg arg = arg_int(bb.iteration);
    host_message(kMsgSingularNode, 1, &arg);
    node->state = kNodeSetAside;
    node->next = bb.set_aside;
    bb.set_aside = node;
    bb.current = nullptr;
}

// The set-aside nodes back into the active store.  Returns 0 or 9.
int return_set_aside(LpContext* ctx) {
    BbState& bb = ctx->bb;
    ActiveNode* node = bb.set_aside;
    bb.set_aside = nullptr;
    while (node != nullptr) {
        ActiveNode* next = node->next;
        node->state = kNodeAllocated;
        node->next = nullptr;
        const int rc = add_node(ctx, node);
        if (rc != 0) return rc;
        node = next;
    }
    return 0;
}

// The current node back into the active store, unsolved.  Its record still
// holds its bounds and its parent's basis; what is in memory now is a
// partial dual phase, which no child of the last branching may start from.
int requeue_current(LpContext* ctx) {
    BbState& bb = ctx->bb;
    ActiveNode* node = bb.current;
    bb.current = nullptr;
    bb.parent_basis_in_memory = 0;
    bb.branch_column = -1;
    count_iteration(ctx, -1);
    if (node == nullptr) return 0;
    node->state = kNodeAllocated;
    return add_node(ctx, node);
}

// Step 2: a node, restored and current (*found).  Returns 0, or the code
// to end the search with (*undo tells whether the iteration count goes
// back); 0 without a node found ends the search too.
int select_step(LpContext* ctx, bool* found, bool* undo) {
    BbState& bb = ctx->bb;
    bool retried = false;
    *found = false;
    *undo = false;
    for (;;) {
        const int rc = ctx->entries.select_node(ctx);
        if (rc == 0) break;
        if (rc == kSelectNoneLeft) {
            if (retried) return 0;
            if (bb.set_aside == nullptr) {
                *undo = true;
                return 0;
            }
            const int back = return_set_aside(ctx);
            if (back != 0) {
                *undo = true;
                return back;
            }
            if (ctx->options.repsilon < kSmallestRetryRepsilon) {
                *undo = true;
                return kRunSingular;
            }
            retried = true;
            continue;
        }
        if (rc == kSelectRetry) {
            if (bb.active_count == 0) return kRunSingular;
            set_aside_current(ctx);
            continue;
        }
        *undo = true;
        return rc;
    }
    *found = true;
    if (apply_fixings(ctx)) return RecomputePrimal(ctx);
    return 0;
}

// Step 3: the node's LP by the dual phase, and what its ending means.
// Returns 0 to go on, else the code to end the search with.
int solve_node(LpContext* ctx) {
    BbState& bb = ctx->bb;
    SolverState& sv = ctx->solver;
    bb.evaluated = 0;
    ctx->report.integer_log.problem = bb.current->stamp;
    set_condition(ctx, "");
    beyond_time(ctx);  // the phase's clock starts where this one stops
    EnterPhase(ctx, kPhase3, false);
    bb.node_in_lp = 1;
    int code = RunPhase(ctx, DualPhase);
    bb.node_in_lp = 0;
    if (code == kStopNestedFailed) code = sv.run_status;  // the nested phase 2 stored its own code
    sv.run_status = kRunOk;
    EnterPhase(ctx, kPhase3, false);
    switch (code) {
        case kStopFinished: {
            bb.evaluated = 1;
            const int result = evaluate_node(ctx);
            bb.last_evaluation = static_cast<int16_t>(result);
            const int heuristics = after_evaluation(ctx, result, false);
            if (heuristics != 0) return heuristics;
            switch (result) {
                case kBranched: set_condition(ctx, "ACTIVE"); return 0;
                case kFathomed: set_condition(ctx, "FATHOMED"); return 0;
                case kIncumbent:
                    set_condition(ctx, "SUBOPTIMAL");
                    bb.improved = 1;
                    return 0;
                case kInfeasible: set_condition(ctx, "INFEASIBLE"); return 0;
                default: return result;
            }
        }
        case kStopSingular:
            if (bb.active_count == 0) return kRunSingular;
            set_aside_current(ctx);
            set_condition(ctx, "SINGULAR");
            for (int32_t j = 0; j < ctx->model.columns; ++j) ctx->form.value[j] = 0.0;
            return 0;
        case kStopDualUnbounded:
        case kStopCutoff:
            set_condition(ctx, code == kStopCutoff ? "FATHOMED" : "INFEASIBLE");
            release_node(ctx, bb.current);
            bb.current = nullptr;
            return 0;
        case kStopUnbounded: return kBbNodeLpUnbounded;
        case kStopTime:
        case kStopIterations:
        case kStopPause:
        case kStopPivots:
        case kStopInterrupted: {
            // The node's LP was stopped before it said anything about the
            // node: it is still to be searched, so it goes back among the
            // active nodes (ACTIVE and ACTIVEOUT count it) and the
            // iteration that took it is not counted as done.
            const int back = requeue_current(ctx);
            return back != 0 ? back : code;
        }
        default: return code;  // memory, file, or an ending the search cannot act on
    }
}

// The search has run out of nodes.  An integral node whose solution failed
// its check was dropped without its subtree being searched; when its bound
// still beats the best checked integer solution, that subtree may hold a
// better one, and the search must not claim an optimum (nor that no
// integer solution exists).  Returns 0 or kRunUnstable.
int search_exhausted(LpContext* ctx) {
    const BbState& bb = ctx->bb;
    if (bb.unverified_count == 0 || !beats_cutoff(ctx, bb.unverified_bound)) return 0;
    const ObjectiveRecord* obj = ctx->model.current_objective;
    const double scale = bb.objective_scale != 0.0 ? bb.objective_scale : 1.0;
    const double sense = obj != nullptr && obj->sense < 0 ? -1.0 : 1.0;
    const TymArg args[] = {arg_int(bb.unverified_count), arg_double(bb.unverified_bound / scale * sense)};
    host_message(kMsgUnverifiedNodes, 2, args);
    return kRunUnstable;
}

}  // namespace

int run_branch_and_bound(LpContext* ctx) {
    BbState& bb = ctx->bb;
    const bool resumed = bb.iteration != 0;
    count_iteration(ctx, 1);
    if (bb.current != nullptr) ctx->report.integer_log.problem = bb.current->stamp;
    bb.branch_column = -1;
    set_condition(ctx, "");
    if (!resumed) {
        bb.unverified_count = 0;
        bb.unverified_bound = 0.0;
        const int result = evaluate_node(ctx);
        bb.last_evaluation = static_cast<int16_t>(result);
        const int heuristics = after_evaluation(ctx, result, true);
        if (heuristics != 0) return heuristics;
        if (result == kIncumbent) {
            count_iteration(ctx, -1);  // an integer root is no integer iteration
            bb.improved = 1;
            return 0;
        }
        if (result != kBranched) return result == kInfeasible || result == kFathomed ? search_exhausted(ctx) : result;
        set_condition(ctx, "ACTIVE");
    }
    for (bool first = true;; first = false) {
        if (!(first && resumed)) {
            const int stop = pass_head(ctx);
            if (stop != 0) return stop;
        }
        bool found = false;
        bool undo = false;
        const int selected = select_step(ctx, &found, &undo);
        if (undo) count_iteration(ctx, -1);
        if (selected != 0) return selected;
        if (!found) return search_exhausted(ctx);
        const int solved = solve_node(ctx);
        if (solved != 0) return solved;
    }
}

}  // namespace tymlp
