// node_lp.cpp -- reduced costs of a node's linear program.
#include "simplex/node_lp.h"

#include <cstring>

#include "simplex/pricing_vector.h"
#include "simplex/work_store.h"

namespace tymlp {

int NodeReducedCosts(LpContext* ctx, double* out) {
    const ComputationalForm& f = ctx->form;
    const int32_t m = ctx->model.rows;
    const int32_t n = ctx->model.columns;
    const ObjectiveRecord* objective = ctx->model.current_objective;
    const int16_t phase = ctx->solver.phase;
    if (phase == kPhase1) ctx->solver.phase = kPhase3;  // the real objective's prices
    PricingVector(ctx);
    ctx->solver.phase = phase;
    std::memset(out, 0, static_cast<size_t>(n) * sizeof(double));
    for (int32_t h = m; h < n; ++h) {
        const int32_t j = f.header[h];
        const double* values = nullptr;
        const int32_t* rows = nullptr;
        int32_t count = 0;
        const int rc = FetchCachedColumn(ctx, j, &values, &rows, &count);
        if (rc != 0) return rc;
        double d = objective != nullptr && objective->column == j ? objective->sense : 0.0;
        for (int32_t k = 0; k < count; ++k) d -= f.duals[rows[k]] * values[k];
        out[j] = d;
    }
    return 0;
}

}  // namespace tymlp
