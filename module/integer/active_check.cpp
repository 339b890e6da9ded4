// active_check.cpp -- the check value of an ACTIVEOUT section (FNV-1a over
// the section's integers).
#include "integer/active_check.h"

#include <cmath>
#include <cstring>

namespace tymlp {
namespace {

constexpr uint64_t kFnvPrime = 1099511628211ull;
constexpr uint64_t kFortyBits = (1ull << 40) - 1;
constexpr int64_t kPlusInfinity = INT64_MAX;
constexpr int64_t kMinusInfinity = INT64_MIN;
// A bound written as INFINITY may come back a few digits short of it.
constexpr double kInfiniteShare = 0.5;
// Beyond this a double is whole anyway and no longer fits llround.
constexpr double kLargestRounded = 4e18;

}  // namespace

bool is_infinite_bound(double value, double infinity) { return !(std::fabs(value) < kInfiniteShare * infinity); }

void ActiveCheck::add_integer(int64_t value) {
    auto bits = static_cast<uint64_t>(value);
    for (int byte = 0; byte < 8; ++byte, bits >>= 8) {
        hash_ ^= bits & 0xFFu;
        hash_ *= kFnvPrime;
    }
}

void ActiveCheck::add_bits(double value) {
    int64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    add_integer(bits);
}

void ActiveCheck::add_whole(double value, double infinity) {
    if (std::isnan(value)) {
        add_integer(0);
        return;
    }
    if (is_infinite_bound(value, infinity)) {
        add_integer(value > 0 ? kPlusInfinity : kMinusInfinity);
        return;
    }
    if (std::fabs(value) > kLargestRounded) {
        add_bits(value);
        return;
    }
    add_integer(std::llround(value));
}

double ActiveCheck::value() const {
    // Fold the high bits in, so that every bit of the hash has a say.
    return static_cast<double>((hash_ ^ (hash_ >> 40)) & kFortyBits);
}

}  // namespace tymlp
