// scaling.h -- power-of-two row and column scaling of the matrix store.
#pragma once

#include "base/lp_context.h"

namespace tymlp {

// The power of two nearest to t > 0 (a tie goes to the larger power).
double RoundToPowerOfTwo(double t);

// ScaleProblem: sets the row and column scale factors by SCALE and SCALETYPE
// (a range row is scaled like any other: its logical column takes the row
// factor, and with it the range, its finite upper bound), divides the
// stored coefficients by r_i * s_j, multiplies
// the structural bounds by s_j, and writes every column to its final place in
// the matrix store.  Preconditions: SetUpWorkStore ran; the current
// right-hand side is readable from model.lists (the first entry when none is
// current).  The right-hand side itself is not changed: callers loading it
// divide by the row scale (DivideRhsByRowScale).  The cache is emptied on
// exit.  Returns 0; 9 no memory; 25 matrix store error.
int ScaleProblem(LpContext* ctx);

// CheckTinyCoefficients: reports every structural coefficient below EPSILON
// in magnitude with message 214 (row name, column name); after 100 reports
// message 243 replaces the rest and the check stops.  Returns 0, or 9.
int CheckTinyCoefficients(LpContext* ctx);

// Divides the m values of `rhs` by the row scale factors when rows are scaled
// (SCALE 2 or 3) and the factors exist.
void DivideRhsByRowScale(const LpContext* ctx, double* rhs);

}  // namespace tymlp
