// run_steps.h -- the steps of a run that other parts of the module provide.
//
// The driver runs a fixed sequence (run_procedure.cpp).  Steps that live in
// other parts are reached through this table, so the driver does not depend
// on their files.  An entry stays null until its step exists; the driver
// then ends the run at that point rather than pretend the step ran.
// Each entry returns a run status as its step defines it.
#pragma once

#include "base/lp_context.h"

namespace tymlp {

struct RunSteps {
    int (*read_dense)(LpContext* ctx);           // dense input reader
    int (*read_sparse)(LpContext* ctx);          // sparse input reader (SPARSEDATA)
    int (*preprocess)(LpContext* ctx);           // preprocessing
    int (*complete_form)(LpContext* ctx);        // checks, logical columns, matrix store
    int (*starting_basis)(LpContext* ctx);       // header and artificial columns
    int (*allocate_arrays)(LpContext* ctx);      // scaling and solution arrays
    int (*register_release)(LpContext* ctx);     // work-store release routine with the host
    int (*scale)(LpContext* ctx);                // scaling
    int (*open_pivot_history)(LpContext* ctx);   // pivot history file
    int (*solve_combination)(LpContext* ctx);    // one objective row with one right-hand side
    void (*release_sparse)(LpContext* ctx);      // sparse-pricing data (end of combination, end_run)
    void (*release_work_store)(LpContext* ctx);  // the work store's overflow heap (end_run)
};

// The table of the steps built so far.
const RunSteps& run_steps();

}  // namespace tymlp
