// bit_io.h -- bit and integer input and output on a byte stream.
//
// Bits fill the rack from its most significant position (mask 128) down;
// a full rack goes out as one byte.  Reading takes a new byte whenever the
// mask is back at 128.  Every routine reports the end of the data or of the
// room instead of inventing bits, so a decoder fed arbitrary bytes stops.
#pragma once

#include <cstdint>

#include "stream/byte_stream.h"

namespace tymlp {

bool write_bit(LpContext* ctx, ByteStream* s, int bit);
// The `n` low bits of `value` (n <= 32), most significant first.
bool write_bits(LpContext* ctx, ByteStream* s, uint32_t value, int n);
// Writes a partial rack (its low bits zero); nothing when the rack is empty.
bool flush_bits(LpContext* ctx, ByteStream* s);
// `n` bytes as 8 bits each, most significant first.
bool write_bytes(LpContext* ctx, ByteStream* s, const uint8_t* bytes, int64_t n);

// The next bit (0 or 1), or -1 at the end of the data.
int read_bit(LpContext* ctx, ByteStream* s);
// An `n`-bit value (n <= 32), most significant bit first, into *value;
// false at the end of the data.
bool read_bits(LpContext* ctx, ByteStream* s, int n, uint32_t* value);
bool read_bytes(LpContext* ctx, ByteStream* s, uint8_t* bytes, int64_t n);

// 4-byte integers through the stream's byte methods, in the host's portable
// byte order.
bool write_int4(LpContext* ctx, ByteStream* s, int32_t value);
bool read_int4(LpContext* ctx, ByteStream* s, int32_t* value);

}  // namespace tymlp
