// ctx_solver.h -- the state of the solve: run status, phase bookkeeping,
// feasibility flags, pause countdowns, and the factorisation counters.
#pragma once

#include <cstdint>

namespace tymlp {

// Phase word values.
enum PhaseWord : int16_t { kPhaseNone = 0, kPhase1 = 1, kPhase2 = 2, kPhase3 = 3 };

// Longest leave ban list of the factorisation repair.
inline constexpr int kLeaveBanMax = 50;

struct SolverState {
    int32_t run_status;             // RunStatus of the run so far
    int16_t phase;                  // PhaseWord
    int32_t iterations[3];          // iteration counters of phases 1, 2, 3
    int32_t* counter;               // the current phase's counter (points into iterations)
    int32_t* limit;                 // the current phase's limit (points at maxit1/2/3), or none
    int32_t since_pause;            // iterations since the last pause (compared with PAUSE)
    int32_t pivot_allowance;        // pivots still allowed; 2147483647 = unrestricted
    int16_t primal_feasible;        // 1 when the phase-1 objective is 0
    int16_t optimal;                // 1 when no reduced cost exceeds the tolerance
    volatile int32_t break_flag;    // set by the attention handler
    double phase1_value;            // value of the phase-1 objective
    double max_dual_infeasibility;  // largest dual infeasibility of the last evaluation
    double objective_scaling;       // scale of the objective in the optimality test
    double proximity;               // last PROXIMITY of the status macro variable

    // Interaction (pauses and interactive statements).
    int32_t interactive;     // 1 at creation; QUIT clears it
    int16_t statement_done;  // set by the parser's end callback
    int32_t pivot_count;     // PIVOT countdown
    int32_t pivot_request;   // PIVOT request word
    int32_t ipivot_count;    // IPIVOT countdown
    int32_t ipivot_request;  // IPIVOT request word
    int16_t in_pause;        // 1 while a pause reads statements
    int32_t pause_status;    // the status a pause shows: its reason, or what a statement there made the run status
    int16_t bad_statements;  // statements of a pause that were refused (the step then ends non-zero)

    // Time.
    int64_t elapsed_ms;     // milliseconds spent in the phases
    int64_t last_clock_ms;  // last clock reading

    // Factorisation bookkeeping.
    int32_t inversions;               // inversions in the run
    int32_t updates_since_inversion;  // factor updates since the last inversion (the "invcnt" of the log lines)
    double modulus;                   // last factorisation or update modulus (0 = singular)
    int32_t unstable_count;           // times the modulus was judged too large
    double compression_rate_limit;    // store sizing threshold, 0.1 at start
    int32_t leave_ban[kLeaveBanMax];  // columns banned from leaving after a repair
    int16_t leave_ban_count;
    // INVTYPE=AUTO: the work a fresh factorisation and what follows it is
    // judged to cost, the extra solve work the updates have added since,
    // summed over the iterations, and U's entries when it was factorised.
    double refactor_work;
    double refactor_growth_sum;
    int32_t refactor_u_base;

    // Choice of the current iteration (pricing and the ratio tests set it;
    // the factor update and the repair read it).
    int32_t entering;          // entering column q
    int32_t entering_pos;      // header position of q
    int32_t leaving;           // leaving column
    int32_t leaving_pos;       // basis position the leaving column held
    double delta;              // working feasibility tolerance of the ratio tests
    int32_t infeasible_count;  // infeasible basic columns found by the phase-1 pricing vector

    int16_t bb_ran;         // 1 when branch and bound ran in this combination
    int16_t unverified;     // the solution failed the check of its ending (run status UNSTABLE)
    double saved_epsilon;   // EPSILON while a continuation prices with a smaller one (0: none)
    double saved_bepsilon;  // BEPSILON while a continuation works to a tighter feasibility tolerance (0: none)
    double saved_repsilon;  // REPSILON while a continuation takes smaller pivots (0: none)
    double saved_leaving_epsilon;  // EPSILON while the dual phase takes leaving rows below it (0: none)
};

}  // namespace tymlp
