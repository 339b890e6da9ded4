// adopt_incumbent.cpp -- an integer solution known before the search
// becomes the incumbent.
#include "integer/adopt_incumbent.h"

#include <cmath>

#include "integer/bb_internal.h"
#include "integer/incumbent_check.h"
#include "integer/node_records.h"
#include "integer/node_store.h"
#include "simplex/phases.h"
#include "simplex/primal_values.h"

namespace tymlp {

int adopt_integer_solution(LpContext* ctx, const double* values, ActiveNode* node, bool bound_from_solution,
                           Adoption* adoption) {
    BbState& bb = ctx->bb;
    ComputationalForm& f = ctx->form;
    *adoption = Adoption::kFailed;
    int k = 0;
    for (const IntegerVariable* v = bb.variables; v != nullptr; v = v->next, ++k) {
        const int32_t j = v->column;
        f.lower[j] = f.upper[j] = std::nearbyint(values[k]) * f.column_scale[j];
    }
    int rc = RecomputePrimal(ctx);
    if (rc != 0) {
        release_node(ctx, node);
        return rc;
    }
    EnterPhase(ctx, kPhase3, false);
    const int code = RunPhase(ctx, DualPhase);
    ctx->solver.run_status = kRunOk;
    switch (code) {
        case kStopFinished:
            if (!incumbent_holds(ctx)) {
                release_node(ctx, node);
                return 0;
            }
            if (bound_from_solution) node->bound = current_z(ctx);
            if (node->bound > bb.cutoff) bb.cutoff = node->bound;
            if ((rc = save_node(ctx, node)) != 0) return rc;
            bb.incumbent = node;
            *adoption = Adoption::kAdopted;
            return 0;
        case kStopCutoff:
            release_node(ctx, node);
            *adoption = Adoption::kCutOff;
            return 0;
        case kStopTime:
        case kStopIterations:
        case kStopPause:
        case kStopPivots: release_node(ctx, node); return code;
        default: release_node(ctx, node); return 0;
    }
}

}  // namespace tymlp
