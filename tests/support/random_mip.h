// random_mip.h -- small random mixed-integer problems for checking branch
// and bound against oracles.
//
// A pure-integer problem has 3 to 7 bounded integer or binary columns with
// small domains, integer coefficients and right-hand sides that are often
// fractional, so that its relaxation is fractional; it is small enough to be
// solved by enumerating every integer point.  A mixed problem adds
// continuous columns (bounded, half-bounded or free, so that some
// relaxations are unbounded) with one-decimal coefficients; another
// solver's MIP answer is its oracle.  Rows are built around a point inside
// the bounds, so most problems are feasible; some are pushed off it.
// A problem with special ordered sets has integer members and is solved by
// enumeration with the sets' rule: at most one member (exactly one for an
// equality set) away from its lower bound.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "random_lp.h"

namespace randmip {

using randlp::kInf;
using randlp::Row;
using randlp::RowKind;

enum class ColumnKind { Continuous, Integer, Binary };

struct OrderedSet {
    std::vector<int> members;
    bool equality = false;
};

struct Problem {
    uint64_t seed = 0;
    bool maximise = false;
    std::vector<double> c;
    std::vector<double> lower;
    std::vector<double> upper;
    std::vector<ColumnKind> kind;
    std::vector<Row> rows;
    std::vector<OrderedSet> sets;
    int columns() const { return static_cast<int>(c.size()); }
    // Every column integer and bounded: the problem can be enumerated.
    bool enumerable() const;
};

// A pure-integer or mixed problem; the same seed always gives the same one.
Problem generate(uint64_t seed);
// A pure-integer problem with one or two special ordered sets.
Problem generate_with_sets(uint64_t seed);
// A problem of generate's kind whose integer columns often have fractional
// bounds (moved out, moved in, now and then with no whole number left
// between them).
Problem generate_fractional(uint64_t seed);
// The same problem with every integer column's bounds rounded inward to
// whole numbers, as every integer solution must lie; *crossed tells
// whether a column is left without a whole number between its bounds.
Problem whole_bounds(const Problem& p, bool* crossed);

// The problem in the dense layout (rows, then UPPERBD, LOWERBD, UNRSTRCT,
// INTEGER, BINARY and SOSLE/SOSEQ rows) and in the sparse layout.
std::string dense_csv(const Problem& p);
std::string sparse_csv(const Problem& p);
// Free MPS with INTORG/INTEND markers (no sets).
std::string free_mps(const Problem& p);

enum class Ending { Optimal, Infeasible, Unbounded, Other };
const char* ending_name(Ending e);

struct Answer {
    Ending ending = Ending::Other;
    double objective = 0.0;
};

// Every integer point of an enumerable problem (the sets' rule applied),
// within each integer column's bounds rounded inward.
Answer enumerate(const Problem& p);

// Checks PRIMALOUT against the problem as generated: every column inside its
// bounds, integer columns integral, every row inside its interval, and the
// objective c'x.  Returns "" when all hold (with c'x in *objective).
std::string check_primal(const Problem& p, const std::filesystem::path& primalout, double* objective);

}  // namespace randmip
