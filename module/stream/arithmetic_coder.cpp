// arithmetic_coder.cpp -- interval narrowing and bit settling.
#include "stream/arithmetic_coder.h"

#include "stream/bit_io.h"

namespace tymlp {
namespace {

constexpr uint32_t kTop = 0x8000;
constexpr uint32_t kSecond = 0x4000;
constexpr uint32_t kMask = 0xFFFF;

void narrow(uint32_t* low, uint32_t* high, uint32_t low_count, uint32_t high_count, uint32_t total) {
    const uint32_t range = *high - *low + 1;
    *high = *low + range * high_count / total - 1;
    *low = *low + range * low_count / total;
}

}  // namespace

void start_encoder(ArithmeticEncoder* e) {
    e->low = 0;
    e->high = kMask;
    e->underflow = 0;
}

bool encode_range(LpContext* ctx, ByteStream* out, ArithmeticEncoder* e, uint32_t low_count, uint32_t high_count,
                  uint32_t total) {
    narrow(&e->low, &e->high, low_count, high_count, total);
    for (;;) {
        if ((e->high & kTop) == (e->low & kTop)) {
            const int bit = (e->high & kTop) != 0 ? 1 : 0;
            if (!write_bit(ctx, out, bit)) return false;
            for (; e->underflow > 0; --e->underflow)
                if (!write_bit(ctx, out, 1 - bit)) return false;
        } else if ((e->low & kSecond) != 0 && (e->high & kSecond) == 0) {
            ++e->underflow;
            e->low &= kSecond - 1;
            e->high |= kSecond;
        } else {
            return true;
        }
        e->low = (e->low << 1) & kMask;
        e->high = ((e->high << 1) & kMask) | 1u;
    }
}

bool finish_encoder(LpContext* ctx, ByteStream* out, ArithmeticEncoder* e) {
    const int bit = (e->low & kSecond) != 0 ? 1 : 0;
    if (!write_bit(ctx, out, bit)) return false;
    for (++e->underflow; e->underflow > 0; --e->underflow)
        if (!write_bit(ctx, out, 1 - bit)) return false;
    return write_bits(ctx, out, 0, 16);
}

bool start_decoder(LpContext* ctx, ByteStream* in, ArithmeticDecoder* d) {
    d->low = 0;
    d->high = kMask;
    return read_bits(ctx, in, 16, &d->code);
}

bool decoder_count(const ArithmeticDecoder* d, uint32_t total, uint32_t* count) {
    if (d->code < d->low || d->code > d->high) return false;
    const uint32_t range = d->high - d->low + 1;
    *count = ((d->code - d->low + 1) * total - 1) / range;
    return *count < total;
}

bool remove_range(LpContext* ctx, ByteStream* in, ArithmeticDecoder* d, uint32_t low_count, uint32_t high_count,
                  uint32_t total) {
    narrow(&d->low, &d->high, low_count, high_count, total);
    for (;;) {
        if ((d->high & kTop) == (d->low & kTop)) {
            // the settled bit simply leaves all three registers
        } else if ((d->low & kSecond) != 0 && (d->high & kSecond) == 0) {
            d->code ^= kSecond;
            d->low &= kSecond - 1;
            d->high |= kSecond;
        } else {
            return true;
        }
        const int bit = read_bit(ctx, in);
        if (bit < 0) return false;
        d->low = (d->low << 1) & kMask;
        d->high = ((d->high << 1) & kMask) | 1u;
        d->code = ((d->code << 1) & kMask) | static_cast<uint32_t>(bit);
    }
}

}  // namespace tymlp
