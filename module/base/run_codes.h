// run_codes.h -- run statuses and end codes shared by every step of a run.
//
// A run status is what every step routine returns and what the context keeps
// as the outcome of the run so far; the status macro variable turns it into a
// word.  An end code is what the run hands to the host when the step ends.
#pragma once

#include <cstdint>

namespace tymlp {

// Run statuses.  0 is success; the solver outcomes keep their numbers so that
// the status words of the macro variable can be looked up by code.
enum RunStatus : int {
    kRunOk = 0,
    kRunSingular = 1,
    kRunMaxTime = 3,
    kRunMaxIter = 4,
    kRunPause = 5,
    kRunInfeasible = 6,
    kRunUnbounded = 7,
    kRunMemory = 9,
    kRunSyntax = 10,
    kRunSemantic = 11,
    kRunUnstable = 12,
    kRunPivot = 13,
    kRunIntFeasible = 15,
    kRunFathomed = 17,
    kRunIntMaxIter = 18,
    kRunIPause = 19,
    kRunActive = 21,
    kRunRelaxed = 22,
    kRunIntInfeasible = 23,
    kRunMemoryAlt = 24,
    kRunIo = 25,
    kRunBadData = 26,
    kRunBreak = 27,
    kRunIPivot = 28,
    kRunProximityPause = 29,
    kRunFeasiblePause = 30,
    kRunBug = 99
};

// End codes handed to end_run and on to the host's end of step.
enum EndCode : int {
    kEndNormal = 0,       // normal end; run status stays as it is
    kEndQuit = 1,         // QUIT, or a failed restore between combinations
    kEndBadData = 1008,   // run status becomes 26
    kEndMemory = 1016,    // run status becomes 9; the host prints its memory report
    kEndIo = 1020,        // run status becomes 25
    kEndSemantic = 2000,  // run status becomes 11
    kEndSyntax = 3000     // run status becomes 10
};

// The run status an end code imposes, or -1 when the end code leaves the run
// status as it is (0 and 1).
int run_status_for_end_code(int end_code);

}  // namespace tymlp
