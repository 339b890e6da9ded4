// random_lp.h -- small, badly scaled random LPs for checking every ending of
// the solver against an exact oracle.
//
// A problem has 4 to 9 rows and columns, coefficient magnitudes spread over
// ten decades, every row type (LE, GE, EQ, each optionally ranged), and
// columns with the default [0, inf), an upper bound, a negative lower bound,
// both bounds, or no bounds at all.  The right-hand sides are built around a
// point inside the bounds, so that most problems are feasible; some are
// pushed off it on purpose, and with few upper bounds some are unbounded.
// The same seed always gives the same problem.
#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace randlp {

inline constexpr double kInf = std::numeric_limits<double>::infinity();

enum class RowKind { Le, Ge, Eq };

struct Row {
    RowKind kind;
    double rhs;
    double range;  // 0: none; else the _RANGE_ value (sign matters for EQ)
    std::vector<double> a;
    // The interval the row's activity must lie in.
    double lower() const;
    double upper() const;
};

struct Problem {
    uint64_t seed = 0;
    bool maximise = false;
    std::vector<double> c;
    std::vector<double> lower;  // -kInf: none
    std::vector<double> upper;  // +kInf: none
    std::vector<Row> rows;
    int columns() const { return static_cast<int>(c.size()); }
};

Problem generate(uint64_t seed);

// The second family: no structure at all.  Every entry, cost and
// right-hand side is drawn on its own from magnitudes 1e-4 to 1e6 (six
// significant digits), a row holds each column with probability 0.7, rows
// are mostly GE with some EQ and LE, columns are nonnegative, and the
// objective is minimised.  Such problems are often infeasible or reach
// their optimum only through a basis that is nearly singular.
Problem generate_independent(uint64_t seed);

// The third family mixes, seed by seed, the shapes users meet that the two
// above leave out: 2 to 30 rows and columns; free columns, negative lower
// bounds, finite upper bounds, both, and fixed columns; ranged rows;
// problems that are mostly equations; degenerate ones, whose right-hand
// sides put many rows tight at one vertex; rows repeated exactly, scaled
// or nearly parallel; rows and columns without a single entry; entries of
// one row from 1e-6 to 1e7, or small whole numbers, or moderate values;
// costs that are often zero; MAX and MIN.  Each seed draws its own mixture,
// so the family covers combinations no one chose by hand.
Problem generate_varied(uint64_t seed);

// The problem as a dense-layout data set (CSV with _ID_, _TYPE_, the
// columns x1.., _RHS_ and _RANGE_).
std::string dense_csv(const Problem& p);

// The problem in free MPS form (ranges with the usual MPS meaning, which is
// the meaning of _RANGE_ in the dense layout).  A column without any entry
// is still declared, by a zero cost.
std::string free_mps(const Problem& p);

// Formats a double so that it reads back exactly.
std::string exact(double v);

}  // namespace randlp
