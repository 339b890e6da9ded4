// active_check.h -- the count and check value that close each section of
// an ACTIVEOUT data set, so that a reader can tell a complete section from
// one that was cut short, edited or pieced together.
//
// A section is one INTBEST observation and the LOWERBD/UPPERBD pairs that
// follow it.  The INTBEST observation carries the number of pairs in
// `_NODES_` and a check value of the section in `_CHECK_`; each pair
// carries its place (1, 2, ...) in `_NODES_`.  The check value digests the
// iteration count, the incumbent's integer values and every pair's stamp
// and bounds, all of them integers (or infinite bounds) that survive any
// data set format exactly.  Each section's check value starts from the
// problem's digest (the objective's sense and each integer column's bounds
// and price, taken when the search starts), so that the nodes of another
// problem's search are told apart even where the column names agree.
#pragma once

#include <cstdint>

namespace tymlp {

// Whether a bound read back from a data set stands for no bound: INFINITY
// (or more) in magnitude, allowing for a rendering that kept fewer digits.
bool is_infinite_bound(double value, double infinity);

class ActiveCheck {
  public:
    // A value that is whole (or an infinite bound, told by its sign).
    void add_whole(double value, double infinity);
    void add_integer(int64_t value);
    // Any double, bit for bit.
    void add_bits(double value);
    uint64_t digest() const { return hash_; }
    // The check value as a data set number: 40 bits, exact in any format
    // that keeps 13 digits.
    double value() const;

  private:
    uint64_t hash_ = 1469598103934665603ull;
};

}  // namespace tymlp
