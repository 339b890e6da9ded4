// status_macro.h -- the one-line summary of a run in the host macro
// variable _QMLP_.
//
// The value is a sequence of KEY=value fields, each followed by one blank:
//   STATUS= PHASE= OBJECTIVE= P_FEAS= D_FEAS=
//   [INT_ITER= INT_FEAS= ACTIVE= INT_BEST= [PROXIMITY=]]   (integer problems)
//   PHASE1_ITER= PHASE2_ITER= PHASE3_ITER=
// Integers are written as their digits (left-aligned in a field of 15, the
// trailing blanks dropped); doubles in the host's best format in a field of
// 32, likewise left-aligned without blanks; "." stands for a value that does
// not exist.
#pragma once

#include "base/lp_context.h"

namespace tymlp {

// The macro variable's name.
inline constexpr const char* kStatusMacroName = "_QMLP_";
inline constexpr int kStatusMacroNameLength = 6;
// Room for the longest value.
inline constexpr int kStatusTextBytes = 512;

// The status word of a run status.  For 0 it depends on the problem: an
// integer problem with an integer-feasible solution is "INT_FEASIBLE" while
// active nodes remain and "SUCCESSFUL" when none remain; without one it is
// "INT_INFEASIBLE" when no active node remains and "RELAXED" otherwise.
const char* status_word(const LpContext* ctx, int run_status);

// Builds the value into buf (zero terminated) and returns its length.  Also
// keeps the PROXIMITY it computes in the context.
int build_status_text(LpContext* ctx, int run_status, char* buf, int buflen);

// Sets _QMLP_ for `run_status`.  Returns kRunOk.
int set_status_macro(LpContext* ctx, int run_status);

}  // namespace tymlp
