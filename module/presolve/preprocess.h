// preprocess.h -- the preprocessing step of the run: before the
// computational form is built, the problem in the row store, the column
// store, the coefficient file and the right-hand-side column is reduced:
// infeasible and redundant rows are found, column bounds tightened, binary
// columns fixed and the coefficients of binary columns reduced.  The reduced
// problem has the same optimal solutions as the original.
#pragma once

#include "base/lp_context.h"

namespace tymlp {

struct PreprocessWork;

// Preprocess: nothing to do (0) when PREPROCESS is off or there is no
// right-hand-side column; with more than one right-hand-side column message
// 259 and 11, nothing changed.  Otherwise copies the rows, the structural
// columns and the right-hand side into a temporary heap and runs passes
// k = 1 .. PMAXIT (message 280 with k before each) while a pass changes a
// bound or fixes a column; a user break after a pass stops them (message
// 281, break flag cleared).  Then message 282, the copies are written back
// from the start of their files and the heap is destroyed.
// Returns kRunOk; kRunMemory no memory; kRunSemantic a pass found an infeasible row (nothing written
// back); kRunIo a store failed.
int Preprocess(LpContext* ctx);

// PreprocessPass: one pass over every constraint row (tests and reductions)
// followed by the pass report; sets w->change_count to the bounds changed
// and columns fixed.  Reduced coefficients are already in the coefficient
// file.  Returns kRunOk, kRunMemory, kRunSemantic (an infeasible row) or kRunIo.
int PreprocessPass(LpContext* ctx, PreprocessWork* w);

}  // namespace tymlp
