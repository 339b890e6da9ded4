// bit_io.cpp -- the rack: bits to bytes and back.
#include "stream/bit_io.h"

#include "base/host_link.h"

namespace tymlp {

bool write_bit(LpContext* ctx, ByteStream* s, int bit) {
    if (bit != 0) s->rack |= s->mask;
    s->mask >>= 1;
    if (s->mask != 0) return true;
    const int rack = s->rack;
    s->rack = 0;
    s->mask = 128;
    if ((s->trace & kTraceBitOps) != 0) host_note("zbspb: Writing a rack: %o", rack);
    return stream_write_byte(ctx, s, rack);
}

bool write_bits(LpContext* ctx, ByteStream* s, uint32_t value, int n) {
    for (int k = n - 1; k >= 0; --k)
        if (!write_bit(ctx, s, static_cast<int>((value >> k) & 1u))) return false;
    return true;
}

bool flush_bits(LpContext* ctx, ByteStream* s) {
    if (s->mask == 128) return true;
    const int rack = s->rack;
    s->rack = 0;
    s->mask = 128;
    return stream_write_byte(ctx, s, rack);
}

bool write_bytes(LpContext* ctx, ByteStream* s, const uint8_t* bytes, int64_t n) {
    for (int64_t k = 0; k < n; ++k)
        if (!write_bits(ctx, s, bytes[k], 8)) return false;
    return true;
}

int read_bit(LpContext* ctx, ByteStream* s) {
    if (s->mask == 128) {
        int byte = 0;
        if (!stream_read_byte(ctx, s, &byte)) return -1;
        s->rack = byte;
        if ((s->trace & kTraceBitOps) != 0) host_note("zbsgbn: Read a rack: %o", byte);
    }
    const int bit = (s->rack & s->mask) != 0 ? 1 : 0;
    s->mask >>= 1;
    if (s->mask == 0) s->mask = 128;
    s->bit = bit;
    return bit;
}

bool read_bits(LpContext* ctx, ByteStream* s, int n, uint32_t* value) {
    uint32_t v = 0;
    for (int k = 0; k < n; ++k) {
        const int bit = read_bit(ctx, s);
        if (bit < 0) return false;
        v = (v << 1) | static_cast<uint32_t>(bit);
    }
    *value = v;
    return true;
}

bool read_bytes(LpContext* ctx, ByteStream* s, uint8_t* bytes, int64_t n) {
    for (int64_t k = 0; k < n; ++k) {
        uint32_t v = 0;
        if (!read_bits(ctx, s, 8, &v)) return false;
        bytes[k] = static_cast<uint8_t>(v);
    }
    return true;
}

bool write_int4(LpContext* ctx, ByteStream* s, int32_t value) {
    const uint32_t portable = host_int4_to_portable(value);
    const auto* bytes = reinterpret_cast<const uint8_t*>(&portable);
    for (int k = 0; k < 4; ++k)
        if (!stream_write_byte(ctx, s, bytes[k])) return false;
    return true;
}

bool read_int4(LpContext* ctx, ByteStream* s, int32_t* value) {
    uint32_t portable = 0;
    auto* bytes = reinterpret_cast<uint8_t*>(&portable);
    for (int k = 0; k < 4; ++k) {
        int byte = 0;
        if (!stream_read_byte(ctx, s, &byte)) return false;
        bytes[k] = static_cast<uint8_t>(byte);
    }
    *value = host_int4_from_portable(portable);
    return true;
}

}  // namespace tymlp
