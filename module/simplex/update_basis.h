// update_basis.h -- bringing the factors up to date after one basis exchange.
#pragma once

#include "base/lp_context.h"

namespace tymlp {

// UpdateBasis: called once per basis exchange, after the header and status
// bytes changed.  Preconditions: the spike of the inverse store still holds
// L^-1 a_q of the entering column from its FTRAN; solver.leaving_pos is the
// basis position that changed, solver.entering and solver.leaving the two
// columns.  Replaces the column of U (UpdateFactor) unless INVFREQ updates
// have accumulated, in which case it inverts and records the exchange in the
// pivot history.  An update that fails (modulus <= 0) issues message 51 with
// the iteration number and the phase and inverts; an unstable modulus inverts
// while fewer than 100 were seen.  More than 10 store compressions during one
// call enlarge the store by 20 percent.  On exit solver.modulus is the
// update's or inversion's modulus.  Returns 0; 1 singular (from an
// inversion); 9 memory; 25 file error.
int UpdateBasis(LpContext* ctx);

}  // namespace tymlp
