// run_steps.cpp -- the steps of other parts that the driver can call.
//
// Each part sets its entry here when its step is built.
#include "control/run_steps.h"

#include "control/solve_combination.h"

#include "input/computational_form.h"
#include "input/dense_reader.h"
#include "input/initial_basis.h"
#include "input/sparse_reader.h"
#include "presolve/preprocess.h"
#include "simplex/pivot_history.h"
#include "simplex/pricing.h"
#include "simplex/scaling.h"
#include "simplex/work_store.h"

namespace tymlp {

const RunSteps& run_steps() {
    static const RunSteps steps = {
        /*read_dense=*/read_dense,
        /*read_sparse=*/read_sparse,
        /*preprocess=*/Preprocess,
        /*complete_form=*/complete_form,
        /*starting_basis=*/build_starting_basis,
        /*allocate_arrays=*/SetUpWorkStore,
        /*register_release=*/RegisterRelease,
        /*scale=*/ScaleProblem,
        /*open_pivot_history=*/OpenPivotHistory,
        /*solve_combination=*/solve_combination,
        /*release_sparse=*/ReleaseSparse,
        /*release_work_store=*/ReleaseWorkStore,
    };
    return steps;
}

}  // namespace tymlp
