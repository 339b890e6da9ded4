// arithmetic_coder.h -- a 16-bit arithmetic coder over a bit stream.
//
// A symbol is a range [low_count, high_count) of a total: the coder narrows
// its [low, high] interval to that share and sends the leading bits once
// low and high agree on them.  When the interval straddles the middle
// closely (low 01..., high 10...) the second bit is set aside as an
// underflow bit and sent, inverted, after the next settled bit.  Totals must
// stay below 2^14 so that every symbol keeps a non-empty share.
#pragma once

#include <cstdint>

#include "stream/byte_stream.h"

namespace tymlp {

struct ArithmeticEncoder {
    uint32_t low;
    uint32_t high;
    int32_t underflow;
};

struct ArithmeticDecoder {
    uint32_t low;
    uint32_t high;
    uint32_t code;
};

void start_encoder(ArithmeticEncoder* e);
bool encode_range(LpContext* ctx, ByteStream* out, ArithmeticEncoder* e, uint32_t low_count, uint32_t high_count,
                  uint32_t total);
// Settles the interval: the second bit of low, the underflow bits, then 16
// zero bits so that the decoder's look-ahead finds data.
bool finish_encoder(LpContext* ctx, ByteStream* out, ArithmeticEncoder* e);

// Reads the first 16 bits; false when the data ends before.
bool start_decoder(LpContext* ctx, ByteStream* in, ArithmeticDecoder* d);
// The count within [0, total) the code points at; false when the code has
// left the interval (a broken stream).
bool decoder_count(const ArithmeticDecoder* d, uint32_t total, uint32_t* count);
// Takes the decoded symbol's range out, as the encoder did; false when the
// data ends.
bool remove_range(LpContext* ctx, ByteStream* in, ArithmeticDecoder* d, uint32_t low_count, uint32_t high_count,
                  uint32_t total);

}  // namespace tymlp
