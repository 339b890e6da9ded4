// pricing_vector.h -- the dual vector y of the current phase.
#pragma once

#include "base/lp_context.h"

namespace tymlp {

// PricingVector: y = B^-T c.  Phase 1: c_i = -1 for a basic column above its
// upper bound by more than solver.delta, +1 below its lower bound by more
// than delta, else 0 (free basic columns 0); solver.infeasible_count = the
// nonzero c_i.  Other phases: c = 0 except c at the current objective's basis
// position = its sense, infeasible_count = 0.  With PHASEMIX > 0 and a real
// objective set aside (model.saved_objective), c at its basis position =
// its sense * PHASEMIX.  Precondition: the inverse store holds the factors
// of the current basis; the spike is overwritten (see Solve).
void PricingVector(LpContext* ctx);

// The basis position of the objective record's column, or -1 when it is
// nonbasic; re-synchronises the record's cached position when it is stale.
int32_t ObjectiveBasisPosition(LpContext* ctx, ObjectiveRecord* rec);

}  // namespace tymlp
