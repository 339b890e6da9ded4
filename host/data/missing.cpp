// missing.cpp -- the host's missing values.
//
// A missing value is a NaN whose two most significant bytes are FF FF and
// whose third byte is the complement of a letter's character code; the low
// five bytes are zero.  The letter tells ordinary missing ('.') from the
// special missing values 'A'..'Z' and '_'.  '_' is stored under the code of
// '-', the host's long-standing encoding, so that values written by other
// programs of the host decode to the same letter.
#include <bit>
#include <cstdint>

#include "host_api.h"

namespace qmlp::host {
namespace {

constexpr uint64_t kMissingTop = 0xFFFFull << 48;
constexpr uint64_t kTopMask = 0xFFFFull << 48;
constexpr int kLetterShift = 40;
constexpr uint64_t kLetterMask = 0xFFull << kLetterShift;
constexpr uint64_t kLowMask = (1ull << kLetterShift) - 1;
constexpr uint64_t kExponentMask = 0x7FFull << 52;

// The character whose complement goes into the third byte.
char stored_char(char which) {
    if (which >= 'A' && which <= 'Z') return which;
    if (which == '_') return '-';
    return '.';
}

}  // namespace

double missing_value(char which) {
    const auto code = static_cast<uint8_t>(~static_cast<uint8_t>(stored_char(which)));
    return std::bit_cast<double>(kMissingTop | (static_cast<uint64_t>(code) << kLetterShift));
}

int missing_letter(double value) {
    const auto bits = std::bit_cast<uint64_t>(value);
    if ((bits & kExponentMask) != kExponentMask) return 0;
    if ((bits & kTopMask) != kMissingTop || (bits & kLowMask) != 0) return '.';
    const auto c = static_cast<char>(static_cast<uint8_t>(~((bits & kLetterMask) >> kLetterShift)));
    if (c >= 'A' && c <= 'Z') return c;
    if (c == '-') return '_';
    return '.';
}

}  // namespace qmlp::host
