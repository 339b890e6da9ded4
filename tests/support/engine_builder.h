// engine_builder.h -- a run context holding a small problem in the
// computational form, on the mini host, for tests and micro-benchmarks of
// the simplex engine: model stores, matrix store, form arrays and a basis,
// without the readers.
#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "base/lp_context.h"

namespace enginetest {

inline constexpr double kInf = 1.0e30;

struct ColumnSpec {
    std::vector<std::pair<int32_t, double>> entries;  // (row, value)
    double lower = 0.0;
    double upper = kInf;
    uint8_t status = 0;  // extra status bits (integer, held, at upper, ...)
};

// Columns 0 .. structural-1 are structural, the rest logical.
struct ProblemSpec {
    int32_t rows = 0;
    int32_t structural = 0;
    std::vector<ColumnSpec> columns;
    std::vector<double> rhs;     // one per row (empty: zeros)
    int32_t objective_row = -1;  // row whose logical column is the objective (-1: none)
    double objective_sense = 1.0;
};

// Creates a context on the current mini host (the caller installs it) with
// the problem written to the model stores and the matrix store, the form
// arrays allocated (lower, upper, status, header, rhs), every row counted as
// a less-or-equal row and the right-hand side stored as one right-hand-side
// column.  The work store is not set up yet: options may still be changed.
tymlp::LpContext* BuildContext(const ProblemSpec& spec);

// SetUpWorkStore; asserts nothing, returns its status.
int SetUpEngine(tymlp::LpContext* ctx);

// Marks `basic` (m columns) basic in this order, every other column
// nonbasic at its lower bound, and rebuilds the header so that position i
// holds basic[i].
void SetBasis(tymlp::LpContext* ctx, const std::vector<int32_t>& basic);

// Releases the context the way the end of a run does, without ending a step.
void DestroyContext(tymlp::LpContext* ctx);

// The same problem with a slack column (+1 in its row) appended for every
// row: columns structural .. structural+m-1.
ProblemSpec WithSlacks(ProblemSpec spec);

// A basis for `spec` (which must carry a slack per row, as WithSlacks makes
// it): a triangular crash takes structural columns in order of increasing
// count, each pivoting on its largest acceptable entry in a row no earlier
// choice touched; the rows left over keep their slacks.  Nonsingular and as
// structural as the crash can make it.
std::vector<int32_t> CrashBasis(const ProblemSpec& spec);

// Column-wise product B x for the basis `basic` of `spec` (x by position).
std::vector<double> BasisTimes(const ProblemSpec& spec, const std::vector<int32_t>& basic,
                               const std::vector<double>& x);

}  // namespace enginetest
