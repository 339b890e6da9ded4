// coder.cpp -- creating coders and the entry points all types share.
#include "stream/coder.h"

#include "base/host_link.h"
#include "stream/bit_io.h"

namespace tymlp {

Coder* zcpaloc(LpContext* ctx, int type) {
    const CoderMethods* methods = nullptr;
    switch (type) {
        case kCoderStored: methods = &stored_coder_methods(); break;
        case kCoderHuffman: methods = &huffman_coder_methods(); break;
        case kCoderAdaptiveHuffman: methods = &adaptive_huffman_coder_methods(); break;
        case kCoderContextModel: methods = &context_model_coder_methods(); break;
        default: host_note("zcpaloc: Compression type not recognized."); return nullptr;
    }
    auto* c = static_cast<Coder*>(host_alloc(sizeof(Coder), TYM_ALLOC_LONG_ZERO));
    if (c == nullptr) return nullptr;
    c->type = type;
    c->methods = methods;
    if (methods->initialise != nullptr && methods->initialise(ctx, c) != 0) {
        coder_close(ctx, c);
        return nullptr;
    }
    return c;
}

int coder_set_stream(LpContext* ctx, Coder* c, int type, ByteStream* stream) {
    if (type == kCoderInfoInput) {
        c->input = stream;
        return 0;
    }
    if (type == kCoderInfoOutput) {
        c->output = stream;
        return 0;
    }
    return coder_set_info(ctx, c, type, 0);
}

int coder_set_info(LpContext* ctx, Coder* c, int type, int64_t value) {
    if (c->methods->set_info != nullptr && c->methods->set_info(ctx, c, type, value) == 0) return 0;
    host_note("Information type not recognized for this stream.");
    return 1;
}

namespace {

int run_coder(LpContext* ctx, Coder* c, int (*step)(LpContext*, Coder*)) {
    if (c->input == nullptr || c->output == nullptr || step == nullptr) return 1;
    stream_begin(ctx, c->input);
    stream_begin(ctx, c->output);
    int rc = step(ctx, c);
    if (rc == 0 && !flush_bits(ctx, c->output)) rc = 1;
    stream_end(ctx, c->input);
    stream_end(ctx, c->output);
    return rc;
}

}  // namespace

int coder_encode(LpContext* ctx, Coder* c) { return run_coder(ctx, c, c->methods->encode); }

int coder_decode(LpContext* ctx, Coder* c) { return run_coder(ctx, c, c->methods->decode); }

void coder_close(LpContext* ctx, Coder* c) {
    if (c == nullptr) return;
    if (c->methods->close != nullptr) c->methods->close(ctx, c);
    host_release(c);
}

bool write_coder_header(LpContext* ctx, Coder* c, const int32_t* parameters, int count) {
    if ((c->flags & kCoderNoHeader) != 0) return true;
    if (!write_int4(ctx, c->output, c->type)) return false;
    for (int k = 0; k < count; ++k)
        if (!write_int4(ctx, c->output, parameters[k])) return false;
    return true;
}

bool read_coder_header(LpContext* ctx, Coder* c, int32_t* parameters, int count) {
    if ((c->flags & kCoderNoHeader) != 0) return true;
    int32_t type = -1;
    if (!read_int4(ctx, c->input, &type) || type != c->type) return false;
    for (int k = 0; k < count; ++k)
        if (!read_int4(ctx, c->input, &parameters[k])) return false;
    return true;
}

}  // namespace tymlp
