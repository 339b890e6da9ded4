// block_compress.cpp -- a coder run over two memory streams, and the stored
// fallback.
#include "stream/block_compress.h"

#include <cstring>

namespace tymlp {
namespace {

struct StreamPair {
    ByteStream* in = nullptr;
    ByteStream* out = nullptr;
};

bool open_pair(LpContext* ctx, StreamPair* p, const uint8_t* input, int64_t in_length, uint8_t* output,
               int64_t out_capacity) {
    p->in = zbsaloc(ctx, kStreamMemory, kStreamRead);
    p->out = zbsaloc(ctx, kStreamMemory, kStreamWrite);
    if (p->in == nullptr || p->out == nullptr) return false;
    // The read stream never writes: the cast only fits the segment record.
    return stream_register(ctx, p->in, kInfoAppendSegment, const_cast<uint8_t*>(input), in_length) == 0 &&
           stream_register(ctx, p->out, kInfoAppendSegment, output, out_capacity) == 0;
}

void close_pair(LpContext* ctx, StreamPair* p) {
    stream_close(ctx, p->in);
    stream_close(ctx, p->out);
}

// The adaptive Huffman coder codes a block without a header: its type is
// known from the node store's settings, and node records are short.
void set_block_header_rule(Coder* c) {
    if (c->type == kCoderAdaptiveHuffman) c->flags |= kCoderNoHeader;
}

}  // namespace

int block_compress(LpContext* ctx, Coder* c, const uint8_t* input, int64_t length, uint8_t* output,
                   int64_t* out_length) {
    output[0] = 0;
    std::memset(output + 1, 0, static_cast<size_t>(length));
    set_block_header_rule(c);
    StreamPair p;
    if (!open_pair(ctx, &p, input, length, output + 1, length)) {
        close_pair(ctx, &p);
        return 1;
    }
    coder_set_stream(ctx, c, kCoderInfoInput, p.in);
    coder_set_stream(ctx, c, kCoderInfoOutput, p.out);
    const bool coded = length > 0 && coder_encode(ctx, c) == 0;
    const int64_t written = p.out->count;
    close_pair(ctx, &p);
    c->input = c->output = nullptr;
    if (coded) {
        *out_length = written + 1;
        return 0;
    }
    output[0] = kBlockStored;
    if (length > 0) std::memcpy(output + 1, input, static_cast<size_t>(length));
    *out_length = length + 1;
    return 0;
}

int block_decompress(LpContext* ctx, Coder* c, const uint8_t* input, int64_t length, uint8_t* output, int64_t capacity,
                     int64_t* out_length) {
    *out_length = 0;
    if (length < 1) return 1;
    if ((input[0] & kBlockStored) != 0) {
        if (length - 1 > capacity) return 1;
        if (length > 1) std::memcpy(output, input + 1, static_cast<size_t>(length - 1));
        *out_length = length - 1;
        return 0;
    }
    set_block_header_rule(c);
    StreamPair p;
    if (!open_pair(ctx, &p, input + 1, length - 1, output, capacity)) {
        close_pair(ctx, &p);
        return 1;
    }
    coder_set_stream(ctx, c, kCoderInfoInput, p.in);
    coder_set_stream(ctx, c, kCoderInfoOutput, p.out);
    const int rc = coder_decode(ctx, c);
    *out_length = rc == 0 ? p.out->count : 0;
    close_pair(ctx, &p);
    c->input = c->output = nullptr;
    return rc;
}

int coder_type_of_tree_type(int tree_type) {
    switch (tree_type) {
        case 1: return kCoderHuffman;
        case 2: return kCoderAdaptiveHuffman;
        case 3: return kCoderContextModel;
        default: return -1;
    }
}

}  // namespace tymlp
