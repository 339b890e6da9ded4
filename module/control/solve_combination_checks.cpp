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
#include "simplex/certificates.h"
#include "simplex/exact_basis.h"
#include "simplex/primal_values.h"
#include "simplex/refine_basis.h"
#include "simplex/solution_check.h"

namespace tymlp {
namespace {

constexpr int kMsgStillAttractive = 290;
constexpr int kMsgOutsideBounds = 291;
constexpr int kMsgChecksExhausted = 294;
constexpr int kMsgLongEdge = 299;
constexpr int kMsgRefinedOutside = 287;
// An edge whose objective change is below this share of the objective is
// left alone.
constexpr double kEdgeGainShare = 1e-12;
// A solution whose worst violation comes within this share of the
// tolerance is refined before it is judged.
constexpr double kMarginalShare = 1e-3;
// The tightest feasibility tolerance a continuation works to, and the
// share of the violation it takes.
constexpr double kTightestTolerance = 1e-15;
constexpr double kToleranceShare = 0.25;
constexpr int kMsgNotExact = 288;
constexpr int kMsgExactFails = 289;
// An exact decision may find a basic column outside its bounds by far
// less than the tolerances of the phases: the dual phase then goes on with
// a feasibility tolerance below that, down to this.
constexpr double kTightestExactTolerance = 1e-30;

// The dual phase takes as leaving only a basic column outside its bounds by
// more than EPSILON: a continuation for a smaller violation lowers that
// threshold with the feasibility tolerance, until the dual phase is over.
void tighten_for_dual_phase(LpContext* ctx, double tolerance) {
    SolverState& sv = ctx->solver;
    if (sv.saved_bepsilon == 0.0) sv.saved_bepsilon = ctx->options.bepsilon;
    ctx->options.bepsilon = std::min(ctx->options.bepsilon, tolerance);
    sv.delta = ctx->options.bepsilon;
    if (ctx->options.epsilon > ctx->options.bepsilon) {
        if (sv.saved_leaving_epsilon == 0.0) sv.saved_leaving_epsilon = ctx->options.epsilon;
        ctx->options.epsilon = ctx->options.bepsilon;
    }
}

// A refined solution that still fails its check goes on from its basis:
// on to the dual phase with a feasibility tolerance below the basic
// columns' violation when the point fails, back to phase 2 pricing below
// the offending price when a dual sign fails.  kConfirmed when there is
// nothing left to go on with.
EndingCheck continue_from_refined(LpContext* ctx, const SolutionViolation& worst) {
    SolverState& sv = ctx->solver;
    if (worst.kind == ViolationKind::kDualSign) {
        if (!(worst.amount > 0.0)) return EndingCheck::kConfirmed;
        if (sv.saved_epsilon == 0.0) sv.saved_epsilon = ctx->options.epsilon;
        ctx->options.epsilon = std::min(ctx->options.epsilon, worst.amount / 2.0);
        const TymArg arg = arg_double(worst.amount);
        host_message(kMsgStillAttractive, 1, &arg);
        sv.optimal = 0;
        return EndingCheck::kAttractive;
    }
    const double outside = LargestBasicOutside(ctx);
    if (!(outside > kTightestTolerance)) return EndingCheck::kConfirmed;
    tighten_for_dual_phase(ctx, std::max(kTightestTolerance, kToleranceShare * outside));
    const TymArg arg = arg_double(outside);
    // The prices held, so the basis is dual feasible: the dual phase takes
    // the refined values as they are (a primal phase would solve for them
    // again in double precision, where the violation may not show).
    host_message(kMsgRefinedOutside, 1, &arg);
    sv.primal_feasible = 0;
    return EndingCheck::kDualContinue;
}

void column_name_of(LpContext* ctx, int32_t j, char* name, int* length) {
    ColumnRecord rec{};
    *length = 0;
    if (j >= 0 && read_column(ctx, j, &rec, name) == 0) *length = trimmed_length(name, ctx->model.column_name_length);
}

// A solution that passed every floating-point check, decided exactly when
// its basis is small: a basic value outside its bounds by however little
// sends the solve on in the dual phase from the exact values, an
// attractive price on in phase 2; when the continuations are spent the
// solution is not called optimal.
EndingCheck decide_exactly(LpContext* ctx, int32_t round) {
    SolverState& sv = ctx->solver;
    // The relaxation of an integer problem is a bound for the search, not
    // an answer: the search's own solutions are checked where they are
    // found, and a relaxation left undecided would end the search.
    if (ctx->model.integer_count > 0) return EndingCheck::kConfirmed;
    ExactBasisCheck exact;
    const int rc = CheckBasisExactly(ctx, true, &exact);
    if (rc == kRunMemory) end_run(ctx, kEndMemory);
    if (rc != kRunOk) end_run(ctx, kEndIo);
    if (!exact.decided || (exact.primal_feasible && exact.dual_feasible)) return EndingCheck::kConfirmed;
    // A violation below what the phases can see in doubles is not worth a
    // continuation: none of them would find it.
    const double amount = exact.primal_feasible ? exact.price : exact.outside;
    if (round < kMaxEndingChecks && amount >= kTightestExactTolerance) {
        if (!exact.primal_feasible) {
            const TymArg args[] = {arg_text("a basic column lies outside its bounds"), arg_double(exact.outside)};
            host_message(kMsgNotExact, 2, args);
            tighten_for_dual_phase(ctx, std::max(kTightestExactTolerance, kToleranceShare * exact.outside));
            sv.primal_feasible = 0;
            return EndingCheck::kDualContinue;
        }
        const TymArg args[] = {arg_text("a nonbasic column still has a price"), arg_double(exact.price)};
        host_message(kMsgNotExact, 2, args);
        if (sv.saved_epsilon == 0.0) sv.saved_epsilon = ctx->options.epsilon;
        ctx->options.epsilon = std::min(ctx->options.epsilon, exact.price / 2.0);
        sv.optimal = 0;
        return EndingCheck::kAttractive;
    }
    char name[kMaxNameLength + 1] = {};
    int length = 0;
    column_name_of(ctx, exact.column, name, &length);
    const TymArg args[] = {arg_text(exact.primal_feasible ? "dual feasible" : "primal feasible"),
                           arg_text(name, length)};
    host_message(kMsgExactFails, 2, args);
    if (!exact.primal_feasible)
        sv.primal_feasible = 0;
    else
        sv.optimal = 0;
    sv.run_status = kRunUnstable;
    sv.unverified = 1;
    return EndingCheck::kConfirmed;
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
    int rc = VerifySolution(ctx, &worst);
    if (rc == kRunOk && worst.relative > kVerifyTolerance * kMarginalShare) {
        // Near or past the tolerance: the values and duals of this basis
        // beyond double precision decide, not their rounding errors.
        rc = RefineSolution(ctx, true);
        if (rc == kRunOk) rc = VerifySolution(ctx, &worst);
    }
    if (rc == kRunMemory) end_run(ctx, kEndMemory);
    if (rc != kRunOk) end_run(ctx, kEndIo);
    if (worst.relative > kVerifyTolerance) {
        if (round < kMaxEndingChecks) {
            const EndingCheck next = continue_from_refined(ctx, worst);
            if (next != EndingCheck::kConfirmed) return next;
        }
        ReportViolation(ctx, worst);
        if (worst.kind == ViolationKind::kDualSign)
            sv.optimal = 0;
        else
            sv.primal_feasible = 0;
        sv.run_status = kRunUnstable;
        sv.unverified = 1;
        return EndingCheck::kConfirmed;
    }
    return decide_exactly(ctx, round);
}

}  // namespace tymlp

namespace tymlp {

void check_final_values(LpContext* ctx) {
    SolverState& sv = ctx->solver;
    if (sv.run_status != kRunOk || sv.primal_feasible == 0 || sv.optimal == 0) return;
    const bool integer = sv.bb_ran != 0;
    if (integer && ctx->bb.feasible_count == 0) return;
    SolutionViolation worst;
    const int rc = integer ? VerifyIntegerSolution(ctx, &worst) : VerifySolution(ctx, &worst);
    if (rc == kRunMemory) end_run(ctx, kEndMemory);
    if (rc != kRunOk) end_run(ctx, kEndIo);
    if (worst.relative <= kVerifyTolerance) return;
    ReportViolation(ctx, worst);
    if (worst.kind == ViolationKind::kDualSign)
        sv.optimal = 0;
    else
        sv.primal_feasible = 0;
    sv.run_status = kRunUnstable;
    sv.unverified = 1;
}

}  // namespace tymlp

namespace tymlp {
namespace {

constexpr int kMsgInfeasibleNotCertified = 283;
constexpr int kMsgUnboundedNotCertified = 284;
constexpr int kMsgInfeasibleNotCertifiedYet = 285;
constexpr int kMsgRayBlocked = 286;

void column_name(LpContext* ctx, int32_t j, char* name, int* length) {
    ColumnRecord rec{};
    *length = 0;
    if (j >= 0 && read_column(ctx, j, &rec, name) == 0) *length = trimmed_length(name, ctx->model.column_name_length);
}

void row_name(LpContext* ctx, int32_t i, char* name, int* length) {
    RowRecord rec{};
    *length = 0;
    if (i >= 0 && read_row(ctx, i, &rec, name) == 0) *length = trimmed_length(name, ctx->model.row_name_length);
}

}  // namespace

EndingCheck check_infeasible_ending(LpContext* ctx, int32_t round) {
    SolverState& sv = ctx->solver;
    // Phase 1 without a feasible point, or the dual phase without an
    // entering column.
    const bool phase1_ending = sv.run_status == kRunOk && sv.primal_feasible == 0 && sv.optimal == 0;
    const bool dual_ending = sv.run_status == kRunInfeasible && sv.bb_ran == 0;
    if (!(phase1_ending || dual_ending) || round >= kMaxEndingChecks) return EndingCheck::kConfirmed;
    CertificateCheck check;
    const int rc = CheckInfeasibleCertificate(ctx, &check);
    if (rc == kRunMemory) end_run(ctx, kEndMemory);
    if (rc != kRunOk && rc != kRunSingular) end_run(ctx, kEndIo);
    if (rc != kRunOk || check.holds || !(check.price > 0.0)) return EndingCheck::kConfirmed;
    // A column phase 1 found too flat to take would still reduce the
    // infeasibility: phase 1 goes on, pricing below that column's price.
    if (sv.saved_epsilon == 0.0) sv.saved_epsilon = ctx->options.epsilon;
    ctx->options.epsilon = std::min(ctx->options.epsilon, check.price / 4.0);
    host_message(kMsgInfeasibleNotCertifiedYet);
    sv.run_status = kRunOk;
    sv.primal_feasible = 0;
    sv.optimal = 0;
    return EndingCheck::kFeasibilityLost;
}

namespace {

// A ray proves the problem unbounded only from a feasible point: a small
// basis is decided exactly first.  Returns the distance outside the bounds
// of the worst basic column (0 when the basis is feasible or too large to
// decide), and leaves its name in *column.
double exactly_outside(LpContext* ctx, int32_t* column) {
    ExactBasisCheck exact;
    const int rc = CheckBasisExactly(ctx, false, &exact);
    if (rc == kRunMemory) end_run(ctx, kEndMemory);
    if (rc != kRunOk) end_run(ctx, kEndIo);
    *column = exact.column;
    return exact.decided && !exact.primal_feasible ? exact.outside : 0.0;
}

}  // namespace

EndingCheck check_unbounded_ending(LpContext* ctx, int32_t round) {
    SolverState& sv = ctx->solver;
    if (sv.run_status != kRunUnbounded || round >= kMaxEndingChecks) return EndingCheck::kConfirmed;
    int32_t column = -1;
    const double outside = exactly_outside(ctx, &column);
    if (outside >= kTightestExactTolerance) {
        // Phase 1 again, with a feasibility tolerance below the violation.
        const TymArg args[] = {arg_text("the unbounded ending starts from a basic column outside its bounds"),
                               arg_double(outside)};
        host_message(kMsgNotExact, 2, args);
        if (sv.saved_bepsilon == 0.0) sv.saved_bepsilon = ctx->options.bepsilon;
        ctx->options.bepsilon =
            std::max(kTightestExactTolerance, std::min(ctx->options.bepsilon, kToleranceShare * outside));
        sv.delta = ctx->options.bepsilon;
        sv.run_status = kRunOk;
        sv.optimal = 0;
        sv.primal_feasible = 0;
        return EndingCheck::kFeasibilityLost;
    }
    CertificateCheck check;
    const int rc = CheckUnboundedRay(ctx, sv.entering, ctx->phases.ratio.direction, &check);
    if (rc == kRunMemory) end_run(ctx, kEndMemory);
    if (rc != kRunOk) end_run(ctx, kEndIo);
    if (check.holds) {
        // A rate below what the wide check can tell from zero still stops
        // the ray: a small basis is decided exactly.
        ExactRayCheck exact;
        const int exact_rc = CheckRayExactly(ctx, sv.entering, ctx->phases.ratio.direction, &exact);
        if (exact_rc == kRunMemory) end_run(ctx, kEndMemory);
        if (exact_rc != kRunOk) end_run(ctx, kEndIo);
        if (exact.decided && !exact.holds) {
            check.holds = false;
            check.pivot = exact.rate;
        }
    }
    if (check.holds || check.row || !(check.pivot > 0.0)) return EndingCheck::kConfirmed;
    // Exact arithmetic would stop the step at that column, however far
    // away: phase 2 goes on and may pivot on it.
    if (sv.saved_repsilon == 0.0) sv.saved_repsilon = ctx->options.repsilon;
    ctx->options.repsilon = std::min(ctx->options.repsilon, check.pivot / 2.0);
    host_message(kMsgRayBlocked);
    sv.run_status = kRunOk;
    sv.optimal = 0;
    sv.primal_feasible = 1;
    return EndingCheck::kAttractive;
}

void check_certified_ending(LpContext* ctx) {
    SolverState& sv = ctx->solver;
    if (sv.run_status != kRunInfeasible && sv.run_status != kRunUnbounded) return;
    if (sv.run_status == kRunUnbounded) {
        int32_t column = -1;
        if (exactly_outside(ctx, &column) > 0.0) {
            char name[kMaxNameLength + 1] = {};
            int length = 0;
            column_name(ctx, column, name, &length);
            const TymArg args[] = {arg_text("primal feasible"), arg_text(name, length)};
            host_message(kMsgExactFails, 2, args);
            sv.run_status = kRunUnstable;
            sv.unverified = 1;
            return;
        }
    }
    CertificateCheck check;
    const bool infeasible = sv.run_status == kRunInfeasible;
    const int rc = infeasible ? CheckInfeasibleCertificate(ctx, &check)
                              : CheckUnboundedRay(ctx, sv.entering, ctx->phases.ratio.direction, &check);
    if (rc == kRunMemory) end_run(ctx, kEndMemory);
    if (rc != kRunOk && rc != kRunSingular) end_run(ctx, kEndIo);
    if (rc == kRunOk && check.holds && !infeasible) {
        ExactRayCheck exact;
        const int exact_rc = CheckRayExactly(ctx, sv.entering, ctx->phases.ratio.direction, &exact);
        if (exact_rc == kRunMemory) end_run(ctx, kEndMemory);
        if (exact_rc != kRunOk) end_run(ctx, kEndIo);
        if (exact.decided && !exact.holds) {
            check.holds = false;
            check.index = exact.column;
            check.shortfall = 1.0;
        }
    }
    if (rc == kRunOk && check.holds) return;
    char name[kMaxNameLength + 1] = {};
    int length = 0;
    if (check.row)
        row_name(ctx, check.index, name, &length);
    else
        column_name(ctx, check.index, name, &length);
    if (infeasible) {
        const TymArg args[] = {arg_text(name, length), arg_double(check.shortfall)};
        host_message(kMsgInfeasibleNotCertified, 2, args);
    } else {
        const TymArg args[] = {arg_text(check.row ? "row" : "column"), arg_text(name, length),
                               arg_double(check.shortfall)};
        host_message(kMsgUnboundedNotCertified, 3, args);
    }
    sv.run_status = kRunUnstable;
    sv.unverified = 1;
}

}  // namespace tymlp
