// cut_pool.h -- cutting planes found in one round, before they become rows.
//
// Every cut is held as  sum_j values[k] x_columns[k] <= rhs  in the scaled
// units of the computational form (integer columns are never scaled, so
// integrality reads the same there).  A round's separators offer cuts to the
// pool; the pool keeps the ones that cut the current LP point off by enough
// (efficacy: the violation divided by the norm of the coefficients) and
// that are not nearly parallel to a better one already chosen.
#pragma once

#include <cstdint>
#include <vector>

#include "base/lp_context.h"

namespace tymlp {

struct CutCandidate {
    int32_t family = 0;  // CutFamily
    std::vector<int32_t> columns;
    std::vector<double> values;
    double rhs = 0.0;
    double efficacy = 0.0;  // violation at the LP point / Euclidean norm of the coefficients
};

struct CutPool {
    std::vector<CutCandidate> cuts;
};

// Least efficacy a cut needs, and the largest cosine it may make with a
// better cut that was kept.
inline constexpr double kMinEfficacy = 1e-5;
inline constexpr double kMaxParallelism = 0.999;

// Violation of a cut at the point x (positive: the point is cut off).
double cut_violation(const CutCandidate& cut, const double* x);

// Sets the cut's efficacy at the point x and offers it to the pool: kept
// when its efficacy is at least kMinEfficacy.  Returns true when kept.
bool offer_cut(CutPool& pool, CutCandidate&& cut, const double* x);

// The cuts to install, best first: sorted by efficacy, each kept only when
// its cosine with every cut kept before it is at most kMaxParallelism, at
// most `limit` of them.
std::vector<const CutCandidate*> select_cuts(const CutPool& pool, int32_t limit);

}  // namespace tymlp
