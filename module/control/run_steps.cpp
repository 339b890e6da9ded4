// run_steps.cpp -- the steps of other parts that the driver can call.
//
// Each part sets its entry here when its step is built.
#include "control/run_steps.h"

namespace tymlp {

const RunSteps& run_steps() {
    static const RunSteps steps = {
        /*read_dense=*/nullptr,
        /*read_sparse=*/nullptr,
        /*preprocess=*/nullptr,
        /*complete_form=*/nullptr,
        /*starting_basis=*/nullptr,
        /*allocate_arrays=*/nullptr,
        /*register_release=*/nullptr,
        /*scale=*/nullptr,
        /*open_pivot_history=*/nullptr,
        /*solve_combination=*/nullptr,
        /*release_sparse=*/nullptr,
    };
    return steps;
}

}  // namespace tymlp
