// exact_number.cpp -- exact integers and dyadic rationals.
#include "base/exact_number.h"

#include <algorithm>
#include <cmath>

namespace tymlp {

namespace {

constexpr int kLimbBits = 32;

int count_leading_zeros(uint32_t v) { return v == 0 ? 32 : __builtin_clz(v); }

}  // namespace

ExactInteger ExactInteger::FromUint64(uint64_t magnitude, bool negative) {
    ExactInteger r;
    while (magnitude != 0) {
        r.limbs_.push_back(static_cast<uint32_t>(magnitude));
        magnitude >>= kLimbBits;
    }
    r.negative_ = negative && !r.limbs_.empty();
    return r;
}

void ExactInteger::trim() {
    while (!limbs_.empty() && limbs_.back() == 0) limbs_.pop_back();
    if (limbs_.empty()) negative_ = false;
}

int64_t ExactInteger::bits() const {
    if (limbs_.empty()) return 0;
    return static_cast<int64_t>(limbs_.size()) * kLimbBits - count_leading_zeros(limbs_.back());
}

int64_t ExactInteger::trailing_zeros() const {
    for (size_t k = 0; k < limbs_.size(); ++k)
        if (limbs_[k] != 0) return static_cast<int64_t>(k) * kLimbBits + __builtin_ctz(limbs_[k]);
    return 0;
}

ExactInteger ExactInteger::negated() const {
    ExactInteger r = *this;
    r.negative_ = !negative_ && !limbs_.empty();
    return r;
}

ExactInteger ExactInteger::shifted_left(int64_t bits) const {
    if (limbs_.empty() || bits == 0) return *this;
    if (bits < 0) return shifted_right(-bits);
    const size_t whole = static_cast<size_t>(bits / kLimbBits);
    const int part = static_cast<int>(bits % kLimbBits);
    ExactInteger r;
    r.negative_ = negative_;
    r.limbs_.assign(whole, 0);
    uint32_t carry = 0;
    for (uint32_t limb : limbs_) {
        r.limbs_.push_back(part == 0 ? limb : (limb << part) | carry);
        carry = part == 0 ? 0 : limb >> (kLimbBits - part);
    }
    if (carry != 0) r.limbs_.push_back(carry);
    return r;
}

ExactInteger ExactInteger::shifted_right(int64_t bits) const {
    if (limbs_.empty() || bits == 0) return *this;
    const size_t whole = static_cast<size_t>(bits / kLimbBits);
    const int part = static_cast<int>(bits % kLimbBits);
    ExactInteger r;
    if (whole >= limbs_.size()) return r;
    r.negative_ = negative_;
    r.limbs_.reserve(limbs_.size() - whole);
    for (size_t k = whole; k < limbs_.size(); ++k) {
        uint32_t v = part == 0 ? limbs_[k] : limbs_[k] >> part;
        if (part != 0 && k + 1 < limbs_.size()) v |= limbs_[k + 1] << (kLimbBits - part);
        r.limbs_.push_back(v);
    }
    r.trim();
    return r;
}

int ExactInteger::compare_magnitude(const ExactInteger& a, const ExactInteger& b) {
    if (a.limbs_.size() != b.limbs_.size()) return a.limbs_.size() < b.limbs_.size() ? -1 : 1;
    for (size_t k = a.limbs_.size(); k-- > 0;)
        if (a.limbs_[k] != b.limbs_[k]) return a.limbs_[k] < b.limbs_[k] ? -1 : 1;
    return 0;
}

ExactInteger ExactInteger::add_magnitudes(const ExactInteger& a, const ExactInteger& b, bool negative) {
    const ExactInteger& longer = a.limbs_.size() >= b.limbs_.size() ? a : b;
    const ExactInteger& shorter = a.limbs_.size() >= b.limbs_.size() ? b : a;
    ExactInteger r;
    r.limbs_.resize(longer.limbs_.size() + 1);
    uint64_t carry = 0;
    for (size_t k = 0; k < longer.limbs_.size(); ++k) {
        carry += longer.limbs_[k];
        if (k < shorter.limbs_.size()) carry += shorter.limbs_[k];
        r.limbs_[k] = static_cast<uint32_t>(carry);
        carry >>= kLimbBits;
    }
    r.limbs_.back() = static_cast<uint32_t>(carry);
    r.negative_ = negative;
    r.trim();
    return r;
}

ExactInteger ExactInteger::subtract_magnitudes(const ExactInteger& larger, const ExactInteger& smaller,
                                               bool negative) {
    ExactInteger r;
    r.limbs_.resize(larger.limbs_.size());
    int64_t borrow = 0;
    for (size_t k = 0; k < larger.limbs_.size(); ++k) {
        int64_t v = static_cast<int64_t>(larger.limbs_[k]) - borrow;
        if (k < smaller.limbs_.size()) v -= smaller.limbs_[k];
        borrow = v < 0 ? 1 : 0;
        r.limbs_[k] = static_cast<uint32_t>(v + (borrow << kLimbBits));
    }
    r.negative_ = negative;
    r.trim();
    return r;
}

ExactInteger operator+(const ExactInteger& a, const ExactInteger& b) {
    if (a.is_zero()) return b;
    if (b.is_zero()) return a;
    if (a.negative_ == b.negative_) return ExactInteger::add_magnitudes(a, b, a.negative_);
    const int c = ExactInteger::compare_magnitude(a, b);
    if (c == 0) return ExactInteger();
    return c > 0 ? ExactInteger::subtract_magnitudes(a, b, a.negative_)
                 : ExactInteger::subtract_magnitudes(b, a, b.negative_);
}

ExactInteger operator-(const ExactInteger& a, const ExactInteger& b) { return a + b.negated(); }

ExactInteger operator*(const ExactInteger& a, const ExactInteger& b) {
    ExactInteger r;
    if (a.is_zero() || b.is_zero()) return r;
    r.limbs_.assign(a.limbs_.size() + b.limbs_.size(), 0);
    for (size_t i = 0; i < a.limbs_.size(); ++i) {
        const uint64_t ai = a.limbs_[i];
        if (ai == 0) continue;
        uint64_t carry = 0;
        for (size_t j = 0; j < b.limbs_.size(); ++j) {
            carry += ai * b.limbs_[j] + r.limbs_[i + j];
            r.limbs_[i + j] = static_cast<uint32_t>(carry);
            carry >>= kLimbBits;
        }
        r.limbs_[i + b.limbs_.size()] = static_cast<uint32_t>(carry);
    }
    r.negative_ = a.negative_ != b.negative_;
    r.trim();
    return r;
}

ExactInteger ExactInteger::DivideExactly(const ExactInteger& a, const ExactInteger& b) {
    ExactInteger q;
    if (a.is_zero() || b.is_zero()) return q;
    // Take the common power of two out, so that the divisor is odd and has
    // an inverse modulo 2^32.
    const int64_t twos = b.trailing_zeros();
    const ExactInteger num = a.shifted_right(twos);
    const ExactInteger den = b.shifted_right(twos);
    const size_t n = num.limbs_.size(), d = den.limbs_.size();
    if (n < d) return q;
    const size_t length = n - d + 1;
    // Newton's iteration for the inverse of the lowest limb: each step
    // doubles the correct low bits (an odd number is its own inverse
    // modulo 8).
    const uint32_t low = den.limbs_[0];
    uint32_t inverse = low;
    for (int k = 0; k < 5; ++k) inverse *= 2u - low * inverse;
    // The quotient is below 2^(32 * length), so the remainder is needed
    // only modulo that: each limb of the quotient clears one limb of it.
    std::vector<uint32_t> rest(num.limbs_.begin(), num.limbs_.begin() + static_cast<std::ptrdiff_t>(length));
    q.limbs_.assign(length, 0);
    for (size_t i = 0; i < length; ++i) {
        const uint32_t qi = rest[i] * inverse;
        q.limbs_[i] = qi;
        if (qi == 0) continue;
        uint64_t product_carry = 0, borrow = 0;
        for (size_t k = 0; i + k < length; ++k) {
            const uint64_t product = (k < d ? static_cast<uint64_t>(qi) * den.limbs_[k] : 0) + product_carry;
            product_carry = product >> kLimbBits;
            const uint64_t take = (product & 0xFFFFFFFFull) + borrow;
            const uint64_t have = rest[i + k];
            rest[i + k] = static_cast<uint32_t>(have - take);
            borrow = have < take ? 1 : 0;
            if (k >= d && product_carry == 0 && borrow == 0) break;
        }
    }
    q.negative_ = a.negative_ != b.negative_;
    q.trim();
    return q;
}

void ExactInteger::leading_bits(uint64_t* m, int64_t* e) const {
    *m = 0;
    *e = 0;
    if (limbs_.empty()) return;
    const int64_t length = bits();
    const ExactInteger top = length > 64 ? shifted_right(length - 64) : *this;
    uint64_t v = 0;
    for (size_t k = top.limbs_.size(); k-- > 0;) v = (v << kLimbBits) | top.limbs_[k];
    const int64_t shift = 64 - std::min<int64_t>(length, 64);
    *m = v << shift;
    *e = length - 64;
}

ExactDyadic ExactDyadic::FromDouble(double v) {
    ExactDyadic r;
    if (v == 0.0 || !std::isfinite(v)) return r;
    int exponent = 0;
    const double fraction = std::frexp(std::fabs(v), &exponent);  // [0.5, 1)
    const uint64_t mantissa = static_cast<uint64_t>(std::ldexp(fraction, 64 - 11));
    r.m = ExactInteger::FromUint64(mantissa, v < 0.0);
    r.e = exponent - (64 - 11);
    // Keep the mantissa odd: shorter numbers through every later product.
    const int64_t twos = r.m.trailing_zeros();
    r.m = r.m.shifted_right(twos);
    r.e += twos;
    return r;
}

ExactDyadic operator+(const ExactDyadic& a, const ExactDyadic& b) {
    if (a.is_zero()) return b;
    if (b.is_zero()) return a;
    const int64_t e = std::min(a.e, b.e);
    return ExactDyadic{a.m.shifted_left(a.e - e) + b.m.shifted_left(b.e - e), e};
}

ExactDyadic operator-(const ExactDyadic& a, const ExactDyadic& b) { return a + b.negated(); }

ExactDyadic operator*(const ExactDyadic& a, const ExactDyadic& b) {
    if (a.is_zero() || b.is_zero()) return ExactDyadic{};
    return ExactDyadic{a.m * b.m, a.e + b.e};
}

double RatioToDouble(const ExactDyadic& a, const ExactDyadic& b) {
    if (a.is_zero() || b.is_zero()) return 0.0;
    uint64_t ma = 0, mb = 0;
    int64_t ea = 0, eb = 0;
    a.m.leading_bits(&ma, &ea);
    b.m.leading_bits(&mb, &eb);
    const double q = static_cast<double>(ma) / static_cast<double>(mb);
    const int64_t e = ea + a.e - eb - b.e;
    const double clamped = static_cast<double>(std::clamp<int64_t>(e, -4000, 4000));
    const double v = std::ldexp(q, static_cast<int>(clamped));
    return a.sign() * b.sign() < 0 ? -v : v;
}

}  // namespace tymlp
