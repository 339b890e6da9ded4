// solution_summary.h -- how the solve of a combination ended: a note in the
// log and the SolutionSummary table.
#pragma once

#include <cstdint>

#include "base/lp_context.h"

namespace tymlp {

// Longest subtitle of the solution summary.
inline constexpr int kSubtitleBytes = 90;

// The outcome the note and the subtitle are built from.
struct SolveOutcome {
    bool in_phase;  // the run stopped inside phase 1, 2 or 3 (a limit is still set)
    int16_t phase;
    int code;  // the termination code (run status)
    bool feasible;
    bool optimal;
    bool integer;       // integer columns or special ordered sets
    int32_t solutions;  // integer-feasible solutions found
    bool active_nodes;  // branch and bound still has active nodes
    bool unverified;    // UNSTABLE because the solution failed the check of its ending
};
SolveOutcome solve_outcome(const LpContext* ctx);

// Issues the log note for `o` (messages of group 202; see the .cpp for the
// rules) and returns the code the subtitle uses: for a finished integer
// problem with termination code 0 that is 15 (solutions, active nodes),
// 0 (solutions, none active), 22 (no solution, active nodes) or 23 (no
// solution, none active); otherwise the termination code itself.
int solution_note(LpContext* ctx, const SolveOutcome& o, bool current_is_incumbent);

// Builds the subtitle into buf[0 .. kSubtitleBytes) (blank padded): catalogue
// texts, each preceded by "/", for the phase in progress, the status and the
// integer outcome.  A text equal to the one before it is not repeated.
void solution_subtitle(const SolveOutcome& o, int subtitle_code, char* buf);

// The note, then (PRINTLEVEL -1 or more) the SolutionSummary factoid
// (template "Qm.Lp.SolutionSummary", label 253/220): objective value,
// iterations of the three phases, integer iterations and solutions, columns
// marked basic, time, inversions, EPSILON, INFINITY, the three iteration
// limits, IMAXIT, TIME and the subtitle.  Any open iteration log is ended
// and closed first.  Returns 0.
int print_solution_summary(LpContext* ctx);

}  // namespace tymlp
