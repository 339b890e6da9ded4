// certificates.h -- the proofs behind an infeasible or an unbounded ending,
// recomputed in extended precision before the ending is accepted.
//
// Infeasible: row multipliers y such that y'A x, over every x within the
// column bounds, cannot reach y'b (a Farkas certificate).  Unbounded: a
// direction r with A r = 0 that no bound stops and along which the
// objective improves.  Either is checked in wide arithmetic against the
// data of the computational form (scaled by powers of 2, so exactly the
// user's problem), with margins far above the rounding of the check.
#pragma once

#include <cstdint>

#include "base/lp_context.h"

namespace tymlp {

struct CertificateCheck {
    bool holds = false;
    // What spoils the best certificate tried: a column whose bound the
    // certificate needs but that has none (or a row of the ray whose
    // residual is too large, `row` set), and by how much relative to its
    // terms; -1 when the margin itself falls short by `shortfall`.
    int32_t index = -1;
    bool row = false;
    double shortfall = 0.0;
    // Infeasible endings: the largest price (in scaled units) of a nonbasic
    // column that spoils the first certificate tried by moving towards an
    // infinite bound: phase 1 may go on with a tolerance below it.
    double price = 0.0;
    bool tried = false;
    // Unbounded endings: the rate (in scaled units) at which the column
    // that spoils the ray moves towards its finite bound.
    double pivot = 0.0;
};

// An infeasible ending on the current basis: multipliers from the phase-1
// costs of the basic columns outside their bounds (all of them, then each
// of the worst few alone).  Inverts the basis and recomputes the values
// first.  Returns kRunOk with the outcome in *check, kRunMemory, kRunIo or
// kRunSingular.
int CheckInfeasibleCertificate(LpContext* ctx, CertificateCheck* check);

// An unbounded ending: the ray of column q moving in `direction` (+1 up,
// -1 down) from the current basis.  Returns kRunOk with the outcome in
// *check, kRunMemory or kRunIo.
int CheckUnboundedRay(LpContext* ctx, int32_t q, double direction, CertificateCheck* check);

}  // namespace tymlp
