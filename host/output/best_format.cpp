// best_format.cpp -- the "best" rendering of a number in a fixed field.
//
// A reader of a listing wants every number as short as its value allows and
// never a misleading one: integers print without a decimal point, values
// that fit in plain notation keep every digit that matters, and values that
// would lose their leading significant digit in plain notation switch to
// exponent form.  Missing values print as their letter codes.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

#include "host_api.h"

namespace qmlp::host {
namespace {

// Widest field we format; wider requests are clamped (no table column needs more).
constexpr int kMaxBestWidth = 64;
// Significant digits of a double worth printing in the fixed rendering.
constexpr int kMaxSignificantDigits = 17;
// Characters the exact exponent form of a small fraction must save before
// it is preferred to the exact plain form.
constexpr size_t kExponentSaving = 3;

// Strips trailing zeros of a fraction and a dangling decimal point.
void strip_fraction_zeros(std::string& s) {
    const auto dot = s.find('.');
    if (dot == std::string::npos) return;
    size_t end = s.size();
    while (end > dot + 1 && s[end - 1] == '0') --end;
    if (end == dot + 1) --end;
    s.erase(end);
}

// Significant digits shown by a plain rendering (leading zeros excluded,
// trailing zeros of the integer part counted).
int significant_digits(const std::string& s) {
    int count = 0;
    bool leading = true;
    for (char c : s) {
        if (c < '0' || c > '9') continue;
        if (leading && c == '0') continue;
        leading = false;
        ++count;
    }
    return count;
}

// v with `decimals` decimals, correctly rounded as by printf's %.*f (the
// library's own conversion, which needs no multiple-precision arithmetic);
// the length, or -1 when it does not fit in `size`.
int fixed_text(char* buf, size_t size, double v, int decimals) {
    const auto res = std::to_chars(buf, buf + size, v, std::chars_format::fixed, decimals);
    if (res.ec != std::errc()) return -1;
    return static_cast<int>(res.ptr - buf);
}

// Plain rendering with the most decimals that fit in width; empty when even
// the integer part does not fit.
std::string best_fixed(double v, int width) {
    char buf[512];
    // With d decimals the rendering is at least the integer part, a point
    // and d digits long, and the integer part is at least the rounded
    // rendering's length less one (a carry adds at most one digit): no d
    // above width less that length can fit, so the search starts there.
    const int whole = fixed_text(buf, sizeof buf, v, 0);
    if (whole < 0) return {};
    const int first = std::max(0, std::min(width, width - whole));
    for (int decimals = first; decimals >= 0; --decimals) {
        const int n = fixed_text(buf, sizeof buf, v, decimals);
        if (n < 0) return {};
        if (n <= width) {
            std::string s(buf, static_cast<size_t>(n));
            strip_fraction_zeros(s);
            return s;
        }
    }
    return {};
}

// Exponent rendering "1.25E-7" (no plus sign, no leading exponent zeros)
// with the most mantissa digits that fit; empty when nothing fits.
std::string best_exponent(double v, int width) {
    char buf[64];
    for (int digits = kMaxSignificantDigits - 1; digits >= 0; --digits) {
        const auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, digits);
        if (res.ec != std::errc()) return {};
        std::string s(buf, res.ptr);
        const auto e = s.find('e');
        std::string mantissa = s.substr(0, e);
        strip_fraction_zeros(mantissa);
        const int exponent = std::atoi(s.c_str() + e + 1);
        std::string out = mantissa + "E" + std::to_string(exponent);
        if (static_cast<int>(out.size()) <= width) return out;
    }
    return {};
}

// The most significant digits an exponent rendering of v can show in width:
// the sign, the "E" and the exponent take their room, the mantissa is one
// digit, or a digit, a point and the rest.  The exponent is taken at its
// shortest over the neighbours of the computed one, which covers both the
// logarithm's rounding and a carry of the mantissa, so the bound is never
// too small.
int exponent_digit_bound(double v, int width) {
    const int e = static_cast<int>(std::floor(std::log10(std::fabs(v))));
    size_t exponent_chars = std::to_string(e).size();
    for (const int k : {e - 1, e + 1}) exponent_chars = std::min(exponent_chars, std::to_string(k).size());
    const int room = width - (v < 0 ? 1 : 0) - 1 - static_cast<int>(exponent_chars);
    return room <= 0 ? 0 : std::max(1, room - 1);
}

// Exponent form with the shortest mantissa that reads back exactly.
std::string exact_exponent(double v) {
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific);
    if (res.ec != std::errc()) return {};
    std::string s(buf, res.ptr);
    const auto e = s.find('e');
    if (e == std::string::npos) return {};
    return s.substr(0, e) + "E" + std::to_string(std::atoi(s.c_str() + e + 1));
}

std::string right_align(const std::string& s, int width) {
    if (static_cast<int>(s.size()) >= width) return s;
    return std::string(static_cast<size_t>(width) - s.size(), ' ') + s;
}

}  // namespace

std::string best_format(double value, int width) {
    if (width < 1) width = 1;
    if (width > kMaxBestWidth) width = kMaxBestWidth;

    if (const int letter = missing_letter(value)) {
        std::string code = ".";
        if (letter != '.') code += static_cast<char>(letter);
        if (static_cast<int>(code.size()) > width) code.resize(static_cast<size_t>(width));
        return right_align(code, width);
    }
    if (value == 0.0) return right_align("0", width);  // also turns -0 into 0

    // The shortest plain rendering that reads back to the same double: when
    // it fits, nothing is lost.  A small fraction whose exact exponent form
    // is much shorter (1E-8 rather than 0.00000001) reads better that way.
    char exact[400];
    const auto res = std::to_chars(exact, exact + sizeof exact, value, std::chars_format::fixed);
    if (res.ec == std::errc()) {
        std::string s(exact, res.ptr);
        if (static_cast<int>(s.size()) <= width) {
            if (std::fabs(value) < 1.0) {
                const std::string e = exact_exponent(value);
                if (!e.empty() && e.size() + kExponentSaving <= s.size()) return right_align(e, width);
            }
            return right_align(s, width);
        }
    }

    // Otherwise compare what each notation keeps of the value; plain
    // notation wins ties because it is easier to read.
    const std::string fixed = best_fixed(value, width);
    const int fixed_digits = fixed.empty() ? 0 : significant_digits(fixed);
    if (!fixed.empty() && fixed_digits > 0 && fixed_digits >= exponent_digit_bound(value, width))
        return right_align(fixed, width);
    const std::string expo = best_exponent(value, width);
    std::string mantissa = expo.substr(0, expo.find('E'));
    const int expo_digits = expo.empty() ? 0 : significant_digits(mantissa);
    if (!fixed.empty() && fixed_digits > 0 && fixed_digits >= expo_digits) return right_align(fixed, width);
    if (!expo.empty()) return right_align(expo, width);
    return std::string(static_cast<size_t>(width), '*');
}

}  // namespace qmlp::host
