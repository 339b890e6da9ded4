// keyword_table.cpp -- the keyword table in its length-prefixed form.
#include "control/keyword_table.h"

namespace tymlp {
namespace {

constexpr size_t packed_size() {
    size_t n = 1;  // the closing zero length
    for (std::string_view w : kKeywords) n += 1 + w.size();
    return n;
}

constexpr std::array<uint8_t, packed_size()> pack() {
    std::array<uint8_t, packed_size()> out{};
    size_t at = 0;
    for (std::string_view w : kKeywords) {
        out[at++] = static_cast<uint8_t>(w.size());
        for (char c : w) out[at++] = static_cast<uint8_t>(c);
    }
    out[at] = 0;
    return out;
}

constexpr auto kPacked = pack();

}  // namespace

const uint8_t* keyword_bytes() { return kPacked.data(); }
size_t keyword_bytes_size() { return kPacked.size(); }

}  // namespace tymlp
