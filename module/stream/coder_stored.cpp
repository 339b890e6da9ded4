// coder_stored.cpp -- coder type 0: the input stored as it is, after the
// header.  It never shrinks anything; it is the reference the other types
// are measured against and a way to move bytes through the bit layer.
#include "stream/bit_io.h"
#include "stream/coder.h"

namespace tymlp {
namespace {

int stored_encode(LpContext* ctx, Coder* c) {
    if (!write_coder_header(ctx, c, nullptr, 0)) return 1;
    int byte = 0;
    while (stream_read_byte(ctx, c->input, &byte))
        if (!write_bits(ctx, c->output, static_cast<uint32_t>(byte), 8)) return 1;
    return 0;
}

int stored_decode(LpContext* ctx, Coder* c) {
    if (!read_coder_header(ctx, c, nullptr, 0)) return 1;
    int byte = 0;
    while (stream_read_byte(ctx, c->input, &byte))
        if (!stream_write_byte(ctx, c->output, byte)) return 1;
    return 0;
}

const CoderMethods kMethods = {nullptr, nullptr, stored_encode, stored_decode, nullptr};

}  // namespace

const CoderMethods& stored_coder_methods() { return kMethods; }

}  // namespace tymlp
