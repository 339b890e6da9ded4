// solve_combination.cpp -- one objective row with one right-hand side.
#include "control/solve_combination.h"

#include <cmath>

#include "analysis/range_analysis.h"
#include "analysis/sensitivity.h"
#include "base/host_link.h"
#include "control/attention.h"
#include "control/end_run.h"
#include "control/status_macro.h"
#include "dual/dual_path.h"
#include "input/objectives.h"
#include "simplex/invert.h"
#include "simplex/phases.h"
#include "simplex/pricing.h"
#include "simplex/pricing_vector.h"
#include "simplex/primal_values.h"

#if __has_include("report/problem_summary.h")
#include "report/problem_summary.h"
#define QMLP_HAVE_PROBLEM_SUMMARY 1
#endif
#include "output/progress_report.h"
#include "output/reported_values.h"
#include "report/constraint_summary.h"
#include "report/infeasibility_report.h"
#include "report/output_data_sets.h"
#include "report/solution_summary.h"
#include "report/tableau_matrix_views.h"
#include "report/variable_summary.h"

namespace tymlp {
namespace {

constexpr int kMsgEndPause = 169;
constexpr int kMsgReadPause = 179;
constexpr int kMsgSingularWithPrimalin = 187;
constexpr int kMsgSingularMarkedBasic = 188;
constexpr int kMsgSingularStart = 189;
constexpr int kMsgFeasiblePause = 212;
constexpr int kMsgInfeasibleMarkedBasic = 225;
constexpr int kMsgInfeasibleWithPrimalin = 226;
constexpr int16_t kReadPauseWithMessage = 1;

int name_length(const char* name, int length) {
    while (length > 0 && name[length - 1] == ' ') --length;
    return length;
}

bool primalin_given(const LpContext* ctx) { return ctx->handles.data_given[kDsPrimalIn] != 0; }

void pause_for(LpContext* ctx, int reason) {
    bool interacted = false;
    ctx->solver.run_status = PhasePause(ctx, reason, &interacted);
}

// Step 3: a starting basis that cannot be factorised ends the run.
void report_singular_start(LpContext* ctx) {
    const ProblemModel& pm = ctx->model;
    if (primalin_given(ctx)) {
        const char* obj = objective_name(pm.current_objective);
        const char* rhs = pm.current_rhs != nullptr ? pm.current_rhs->name : "";
        const int obj_len = name_length(obj, pm.row_name_length);
        const int rhs_len = pm.current_rhs != nullptr ? name_length(rhs, pm.column_name_length) : 0;
        const TymArg args[] = {arg_int(obj_len), arg_text(obj, obj_len), arg_int(rhs_len), arg_text(rhs, rhs_len)};
        host_message(kMsgSingularWithPrimalin, 4, args);
    } else if (pm.marked_basic > 0) {
        host_message(kMsgSingularMarkedBasic);
    } else {
        host_message(kMsgSingularStart);
    }
    end_run(ctx, kEndBadData);
}

void starting_basis_step(LpContext* ctx) {
    const int rc = set_up_starting_basis(ctx);
    if (rc == kRunMemory) end_run(ctx, kEndMemory);
    if (rc == kRunBadData) end_run(ctx, kEndBadData);
    if (rc == kRunSingular) report_singular_start(ctx);
    if (rc == kRunIo) end_run(ctx, kEndIo);
}

// Steps 7 and 8: phase 1 with the phase-1 objective in place of the real one.
// The phase-1 objective's column is held out of every choice.
ObjectiveRecord* hold_phase1_column(LpContext* ctx) {
    ProblemModel& pm = ctx->model;
    ComputationalForm& f = ctx->form;
    ObjectiveRecord* p1 = pm.phase1_objective != nullptr ? pm.phase1_objective : pm.objectives;
    if (p1 != nullptr && p1->column >= 0) {
        f.status[p1->column] = static_cast<uint8_t>(f.status[p1->column] | kStatHeld);
        f.upper[p1->column] = 0.0;
        f.value[p1->column] = 1.0;
    }
    return p1;
}

void phase1_step(LpContext* ctx, bool again = false) {
    SolverState& sv = ctx->solver;
    ProblemModel& pm = ctx->model;
    ObjectiveRecord* p1 = hold_phase1_column(ctx);
    if (sv.optimal != 0) return;
    pm.saved_objective = pm.current_objective;
    if (p1 != nullptr) pm.current_objective = p1;
    EnterPhase(ctx, kPhase1, !again);  // a phase that runs again counts on
    const int code = RunPhase(ctx, PrimalPhase1);
    sv.run_status = code == 0 ? refactorise_after_phase(ctx) : code;
    pm.current_objective = pm.saved_objective;
    pm.saved_objective = nullptr;
    ctx->options.phasemix = 0.0;
}

// Steps 9 and 12: feasibility from the phase-1 objective, optimality from
// the largest dual infeasibility of the real objective.
void evaluate(LpContext* ctx, bool first) {
    SolverState& sv = ctx->solver;
    sv.delta = ctx->options.bepsilon;
    sv.phase1_value = phase1_objective_value(ctx);
    if (first) {
        if (sv.phase1_value == 0.0) sv.primal_feasible = 1;
    } else if (sv.phase1_value > 0.0) {
        sv.primal_feasible = 0;
    }
    const int16_t phase = sv.phase;
    sv.phase = kPhase2;
    double largest = 0.0;
    if (largest_dual_infeasibility(ctx, &largest) != 0) end_run(ctx, kEndMemory);
    sv.max_dual_infeasibility = largest;
    const double scaling = sv.objective_scaling > 0.0 ? sv.objective_scaling : 1.0;
    const bool optimal = largest <= ctx->options.epsilon * scaling;
    if (optimal) sv.optimal = 1;
    sv.phase = first ? static_cast<int16_t>(optimal ? kPhase2 : kPhase1) : phase;
}

void phase2_step(LpContext* ctx, bool again) {
    SolverState& sv = ctx->solver;
    if (sv.primal_feasible == 0 || sv.optimal != 0 || sv.run_status != kRunOk) return;
    EnterPhase(ctx, kPhase2, !again);
    const int code = RunPhase(ctx, PrimalPhase2);
    if (code == 0) {
        sv.optimal = 1;
        sv.run_status = refactorise_after_phase(ctx);
    } else {
        sv.run_status = code;
    }
}

// EPSILON back at the user's value after a continuation that priced with a
// smaller one.
void restore_epsilon(LpContext* ctx) {
    SolverState& sv = ctx->solver;
    if (sv.saved_epsilon == 0.0) return;
    ctx->options.epsilon = sv.saved_epsilon;
    sv.saved_epsilon = 0.0;
}

// BEPSILON and REPSILON back at the user's values after a continuation of
// phase 1, phase 2 and the dual phase that worked with smaller ones.
void restore_tolerances(LpContext* ctx) {
    SolverState& sv = ctx->solver;
    if (sv.saved_bepsilon != 0.0) {
        ctx->options.bepsilon = sv.saved_bepsilon;
        sv.saved_bepsilon = 0.0;
    }
    if (sv.saved_repsilon != 0.0) {
        ctx->options.repsilon = sv.saved_repsilon;
        sv.saved_repsilon = 0.0;
    }
    if (sv.saved_leaving_epsilon != 0.0) {
        ctx->options.epsilon = sv.saved_leaving_epsilon;
        sv.saved_leaving_epsilon = 0.0;
    }
}

void dual_step(LpContext* ctx) {
    SolverState& sv = ctx->solver;
    if (sv.optimal == 0 || sv.primal_feasible != 0 || sv.run_status != kRunOk) return;
    EnterPhase(ctx, kPhase3, true);
    const int code = RunPhase(ctx, DualPhase);
    if (code == 0) {
        sv.primal_feasible = 1;
        sv.run_status = refactorise_after_phase(ctx);
    } else if (code != kStopNestedFailed) {
        sv.run_status = code;  // a nested phase 2 that failed stored its own code
    }
}

// The dual simplex path in place of phase 1: the shifted problem solved to
// primal feasibility, the shifts taken off, and the flags set as phase 1's
// evaluation sets them (an attractive column left by the shifts sends the
// solve on to phase 2).  A path that cannot keep its accuracy hands the
// basis it reached to the primal phases.
void dual_path_step(LpContext* ctx) {
    SolverState& sv = ctx->solver;
    hold_phase1_column(ctx);
    int rc = DualPathPrepare(ctx);
    if (rc == kRunOk && DualInfeasibleUnboxed(ctx) > 0) {
        // Dual phase 1: its iterations count as phase 1's.
        rc = DualPhase1Begin(ctx);
        int code = kStopFinished;
        if (rc == kRunOk) {
            EnterPhase(ctx, kPhase1, true);
            code = RunPhase(ctx, DualSimplexPhase);
        }
        const int restored = DualPhase1End(ctx);
        if (rc == kRunOk) rc = restored;
        if (rc == kRunOk && code != kStopFinished && code != kStopSingular && code != kStopDualUnbounded) {
            sv.run_status = code;
            return;
        }
    }
    if (rc == kRunOk) rc = DualPathStart(ctx, true);
    if (rc == kRunMemory) end_run(ctx, kEndMemory);
    if (rc != kRunOk) end_run(ctx, kEndIo);
    EnterPhase(ctx, kPhase3, true);
    const int code = RunPhase(ctx, DualSimplexPhase);
    if (code == kStopDualUnbounded) {
        // No column can repair a row: infeasible, with the last point kept
        // for the reports (the flags stay clear).
        sv.run_status = refactorise_after_phase(ctx);
        return;
    }
    if (code != kStopFinished && code != kStopSingular) {
        sv.run_status = code;
        return;
    }
    rc = DualPathRemoveShifts(ctx);
    if (rc == kRunMemory) end_run(ctx, kEndMemory);
    if (rc != kRunOk) end_run(ctx, kEndIo);
    if (code == kStopSingular) {
        host_note("The dual simplex could not keep its accuracy; the primal phases go on from its basis.");
        const int again = RecomputePrimal(ctx);
        if (again == kRunMemory) end_run(ctx, kEndMemory);
        if (again != kRunOk) end_run(ctx, kEndIo);
        phase1_step(ctx);
        evaluate(ctx, true);
        return;
    }
    sv.run_status = refactorise_after_phase(ctx);
    if (sv.run_status != kRunOk) return;
    evaluate(ctx, true);
    if (sv.primal_feasible == 0) {
        // Feasibility lost on fresh factors: phase 1 repairs it.
        phase1_step(ctx, true);
        evaluate(ctx, true);
    }
}

bool dual_path_chosen(const LpContext* ctx) {
    const int16_t a = ctx->options.algorithm;
    if (a == kAlgorithmDual) return true;
    return a == kAlgorithmAuto && !primalin_given(ctx);
}

// Steps 15 and 16: the outcome when neither flag was earned.
void infeasible_step(LpContext* ctx) {
    SolverState& sv = ctx->solver;
    remove_attention(ctx);
    sv.limit = nullptr;
    if (sv.primal_feasible != 0 || sv.optimal != 0) return;
    if (sv.run_status == kRunOk) sv.run_status = kRunInfeasible;
    if (ctx->model.marked_basic > 0) {
        host_message(kMsgInfeasibleMarkedBasic);
        end_run(ctx, kEndBadData);
    }
    if (primalin_given(ctx)) {
        host_message(kMsgInfeasibleWithPrimalin);
        end_run(ctx, kEndBadData);
    }
}

// Step 17: later combinations keep this objective at the value it reached.
void goal_program_step(LpContext* ctx) {
    if (ctx->options.goalprogram == 0 || ctx->solver.run_status != kRunOk) return;
    const ObjectiveRecord* obj = ctx->model.current_objective;
    if (obj == nullptr || obj->column < 0) return;
    ComputationalForm& f = ctx->form;
    const int32_t j = obj->column;
    f.status[j] = static_cast<uint8_t>(f.status[j] & ~kStatHeld);
    f.lower[j] = f.value[j];
    f.upper[j] = f.value[j];
}

// Step 21: a report that runs out of memory or cannot reach its files ends
// the run the same way a solver step would.
void report_slot(LpContext* ctx, int rc) {
    if (rc == kRunMemory) end_run(ctx, kEndMemory);
    if (rc != 0) end_run(ctx, kEndIo);
}

// Steps 7 to 14: the phases and branch and bound.
void solve_phases(LpContext* ctx) {
    SolverState& sv = ctx->solver;

    // 7, 8. Phase 1.  9. Evaluation.  (Or the dual simplex path.)
    if (dual_path_chosen(ctx)) {
        dual_path_step(ctx);
    } else {
        phase1_step(ctx);
        evaluate(ctx, true);
    }

    // 10. FEASIBLEPAUSE.
    if (ctx->options.feasiblepause != 0 && sv.primal_feasible != 0) {
        host_message(kMsgFeasiblePause);
        EnterPhase(ctx, kPhase2, true);
        pause_for(ctx, kRunFeasiblePause);
    }

    // 11. Phase 2.  12. Evaluation.  13. Dual phase.  An optimal ending is
    // then checked on fresh factors; one that does not hold sends the solve
    // back to phase 2 or phase 1, a bounded number of times.
    for (int32_t round = 0;; ++round) {
        phase2_step(ctx, round > 0);
        restore_epsilon(ctx);
        if (sv.phase == kPhase2) evaluate(ctx, false);
        dual_step(ctx);
        restore_tolerances(ctx);
        EndingCheck check = check_optimal_ending(ctx, round);
        if (check == EndingCheck::kConfirmed) check = check_infeasible_ending(ctx, round);
        if (check == EndingCheck::kConfirmed) check = check_unbounded_ending(ctx, round);
        if (check == EndingCheck::kConfirmed) break;
        if (check == EndingCheck::kFeasibilityLost) {
            phase1_step(ctx, true);
            evaluate(ctx, true);
        }
    }

    // 14. Branch and bound, for an integer problem whose relaxation is optimal.
    integer_phase_step(ctx);
}

}  // namespace

int solve_combination(LpContext* ctx) {
    SolverState& sv = ctx->solver;
    ProblemModel& pm = ctx->model;

    // 1. Fresh bookkeeping for this combination.
    ctx->bb.cutoff = -ctx->options.infinity;
    ctx->bb.feasible_count = 0;
    sv.counter = &sv.iterations[0];
    sv.iterations[0] = 0;
    sv.iterations[2] = 0;  // the dual phase and the node LPs of this combination
    sv.bb_ran = 0;
    sv.primal_feasible = 0;
    sv.optimal = 0;
    sv.unverified = 0;
    sv.saved_epsilon = 0.0;
    sv.saved_bepsilon = 0.0;
    sv.saved_repsilon = 0.0;
    sv.saved_leaving_epsilon = 0.0;
    ctx->phases.ratio.unbounded = 0;

    // 2. The objective of this combination.
    ObjectiveRecord* obj = nullptr;
    const int sel = select_objective(ctx, pm.objective_index, &obj);
    if (sel == kRunMemory) end_run(ctx, kEndMemory);
    if (sel != 0 || obj == nullptr) end_run(ctx, kEndBadData);
    pm.current_objective = obj;

    // 3. Starting basis.  4. Problem summary.
    starting_basis_step(ctx);
#ifdef QMLP_HAVE_PROBLEM_SUMMARY
    print_problem_summary(ctx);
#endif
    // 5. READPAUSE.  6. Attention handler.
    if (ctx->options.readpause != 0) {
        if (ctx->options.readpause == kReadPauseWithMessage) host_message(kMsgReadPause);
        pause_for(ctx, kRunPause);
    }
    install_attention(ctx);

    if (pm.contradicting_bounds > 0) {
        // A column whose bounds leave it no value (named when the problem
        // was read) makes the problem infeasible before any phase runs.
        sv.run_status = kRunInfeasible;
    } else {
        solve_phases(ctx);
    }

    // 15, 16.  17. GOALPROGRAM.
    infeasible_step(ctx);
    // Contradicting bounds prove the infeasibility by themselves; no phase
    // ran, so there is no certificate of the simplex to check.
    if (sv.bb_ran == 0 && pm.contradicting_bounds == 0) check_certified_ending(ctx);
    if (sv.bb_ran != 0)
        integer_goal_program_step(ctx);
    else
        goal_program_step(ctx);

    // 18. Final values.
    if (sv.run_status == kRunOk) {
        const int rc = RecomputePrimal(ctx);
        if (rc == kRunMemory) end_run(ctx, kEndMemory);
        if (rc != 0) end_run(ctx, kEndIo);
        check_final_values(ctx);
    }

    // The live progress line of the host goes before anything is printed.
    end_progress(ctx);

    // 19. ENDPAUSE.  20. Status macro variable.
    if (ctx->options.endpause != 0) {
        host_message(kMsgEndPause);
        pause_for(ctx, sv.run_status);
    }
    set_status_macro(ctx, sv.run_status);

    // 21. Reports, in this order.
    report_slot(ctx, print_solution_summary(ctx));
    report_slot(ctx, print_variable_summary(ctx, nullptr, 0, kSelectAll));
    report_slot(ctx, print_infeasible_columns(ctx));
    report_slot(ctx, print_constraint_summary(ctx, nullptr, 0));
    report_slot(ctx, print_infeasible_rows(ctx));
    if (ctx->options.tableauprint != 0) report_slot(ctx, print_current_tableau(ctx));
    report_slot(ctx, write_primalout(ctx));
    report_slot(ctx, write_dualout(ctx));
    report_slot(ctx, write_activeout(ctx));
    report_slot(ctx, write_tableauout(ctx));
    report_slot(ctx, print_rhs_range_summary(ctx));
    report_slot(ctx, print_price_range_summary(ctx));
    report_slot(ctx, print_rhs_sensitivity(ctx));
    report_slot(ctx, print_price_sensitivity(ctx));

    // 22. The next combination starts from the continuous optimum's basis
    // (GOALPROGRAM: made feasible again for the objective now held).
    if (hand_on_root_basis(ctx)) dual_step(ctx);

    // 23. Sparse-pricing data do not outlive the combination.
    if (ctx->options.sparsepricing != 0) ReleaseSparse(ctx);
    return sv.run_status;
}

}  // namespace tymlp
