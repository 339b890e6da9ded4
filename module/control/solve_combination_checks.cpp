// solve_combination_checks.cpp -- the check of an optimal ending.
//
// The phases stop on prices weighted by Devex reference weights and on
// values updated step by step.  Weights that grew huge make an attractive
// column look flat, and updated values drift; neither may turn into an
// optimum reported as success.  So an ending that claims an optimum is
// measured again on fresh factors with true prices, and last in the
// problem's own units.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "base/host_link.h"
#include "control/end_run.h"
#include "control/solve_combination.h"
#include "input/model_records.h"
#include "input/reader_common.h"
#include "simplex/primal_values.h"
#include "simplex/solution_check.h"

namespace tymlp {
namespace {

constexpr int kMsgStillAttractive = 290;
constexpr int kMsgOutsideBounds = 291;
constexpr int kMsgNotVerified = 293;
constexpr int kMsgChecksExhausted = 294;
constexpr int kMsgLongEdge = 299;
// An edge whose objective change is below this share of the objective is
// left alone.
constexpr double kEdgeGainShare = 1e-12;

void report_violation(LpContext* ctx, const SolutionViolation& worst) {
    char name[kMaxNameLength + 1] = {};
    int length = 0;
    const char* what = "column";
    if (worst.kind == ViolationKind::kRowResidual) {
        RowRecord rec{};
        what = "row";
        if (read_row(ctx, worst.index, &rec, name) == 0) length = trimmed_length(name, ctx->model.row_name_length);
    } else {
        ColumnRecord rec{};
        if (read_column(ctx, worst.index, &rec, name) == 0)
            length = trimmed_length(name, ctx->model.column_name_length);
    }
    const TymArg args[] = {arg_text(what), arg_text(name, length), arg_double(worst.relative)};
    host_message(kMsgNotVerified, 3, args);
}

}  // namespace

EndingCheck check_optimal_ending(LpContext* ctx, int32_t round) {
    SolverState& sv = ctx->solver;
    if (sv.run_status != kRunOk || sv.optimal == 0 || sv.primal_feasible == 0) return EndingCheck::kConfirmed;
    // The values the solution will be reported with: nonbasic columns on
    // their bounds (a step may leave one within the working tolerance of
    // it), basic ones solved for on the fresh factors.
    const int recomputed = RecomputePrimal(ctx);
    if (recomputed == kRunMemory) end_run(ctx, kEndMemory);
    if (recomputed != kRunOk) end_run(ctx, kEndIo);
    sv.delta = ctx->options.bepsilon;
    const double outside = phase1_objective_value(ctx);
    double largest = 0.0;
    if (largest_dual_infeasibility(ctx, &largest) != 0) end_run(ctx, kEndMemory);
    const double scaling = sv.objective_scaling > 0.0 ? sv.objective_scaling : 1.0;
    const bool attractive = largest > ctx->options.epsilon * scaling;
    if (outside > 0.0 || attractive) {
        if (round >= kMaxEndingChecks) {
            const TymArg arg = arg_int(round);
            host_message(kMsgChecksExhausted, 1, &arg);
            // The flag the check contradicts is not claimed either.
            if (outside > 0.0) sv.primal_feasible = 0;
            if (attractive) sv.optimal = 0;
            sv.run_status = kRunUnstable;
            sv.unverified = 1;
            return EndingCheck::kConfirmed;
        }
        sv.optimal = 0;
        if (outside > 0.0) {
            const TymArg arg = arg_double(outside);
            host_message(kMsgOutsideBounds, 1, &arg);
            sv.primal_feasible = 0;
            return EndingCheck::kFeasibilityLost;
        }
        const TymArg arg = arg_double(largest);
        host_message(kMsgStillAttractive, 1, &arg);
        return EndingCheck::kAttractive;
    }
    // A price within EPSILON along an edge so long that it still moves the
    // objective: phase 2 goes on, pricing with a tolerance below that price.
    double edge_price = 0.0, edge_gain = 0.0;
    const int edges = LongestEdgeGain(ctx, &edge_price, &edge_gain);
    if (edges == kRunMemory) end_run(ctx, kEndMemory);
    if (edges != kRunOk) end_run(ctx, kEndIo);
    const ObjectiveRecord* objective = ctx->model.current_objective;
    const double z =
        objective != nullptr && objective->column >= 0 ? std::fabs(ctx->form.value[objective->column]) : 0.0;
    if (edge_gain > kEdgeGainShare * std::max(1.0, z) && round < kMaxEndingChecks) {
        const TymArg args[] = {arg_double(edge_price), arg_double(edge_gain)};
        host_message(kMsgLongEdge, 2, args);
        if (sv.saved_epsilon == 0.0) sv.saved_epsilon = ctx->options.epsilon;
        ctx->options.epsilon = edge_price / 2.0;
        sv.optimal = 0;
        return EndingCheck::kAttractive;
    }
    SolutionViolation worst;
    const int rc = VerifySolution(ctx, &worst);
    if (rc == kRunMemory) end_run(ctx, kEndMemory);
    if (rc != kRunOk) end_run(ctx, kEndIo);
    if (worst.relative > kVerifyTolerance) {
        report_violation(ctx, worst);
        if (worst.kind == ViolationKind::kDualSign)
            sv.optimal = 0;
        else
            sv.primal_feasible = 0;
        sv.run_status = kRunUnstable;
        sv.unverified = 1;
    }
    return EndingCheck::kConfirmed;
}

}  // namespace tymlp
