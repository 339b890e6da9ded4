// node_coder.cpp -- the coder of TREETYPE over one node record.
#include "stream/node_coder.h"

#include "stream/block_compress.h"

namespace tymlp {
namespace {

// Records are read back by the same run with the same coder and its default
// parameters, so they carry no header: on records of tens of bytes its four
// to twelve bytes would eat much of what the coder saves.
Coder* coder_for(LpContext* ctx) {
    Coder* c = zcpaloc(ctx, coder_type_of_tree_type(ctx->options.treetype));
    if (c != nullptr) c->flags |= kCoderNoHeader;
    return c;
}

}  // namespace

int compress_node_record(LpContext* ctx, const uint8_t* in, int32_t length, uint8_t* out, int32_t capacity,
                         int32_t* out_length) {
    *out_length = 0;
    if (capacity < length + 1) return kRunMemory;
    Coder* c = coder_for(ctx);
    if (c == nullptr) return kRunMemory;
    int64_t coded = 0;
    const int rc = block_compress(ctx, c, in, length, out, &coded);
    coder_close(ctx, c);
    if (rc != 0) return kRunMemory;
    *out_length = static_cast<int32_t>(coded);
    return 0;
}

int expand_node_record(LpContext* ctx, const uint8_t* in, int32_t length, uint8_t* out, int32_t capacity,
                       int32_t* out_length) {
    *out_length = 0;
    Coder* c = coder_for(ctx);
    if (c == nullptr) return kRunMemory;
    int64_t restored = 0;
    const int rc = block_decompress(ctx, c, in, length, out, capacity, &restored);
    coder_close(ctx, c);
    if (rc != 0) return kRunIo;
    *out_length = static_cast<int32_t>(restored);
    return 0;
}

const NodeCoderEntries* node_coder_entries_for(int tree_type) {
    static const NodeCoderEntries kEntries = {compress_node_record, expand_node_record};
    return coder_type_of_tree_type(tree_type) >= 0 ? &kEntries : nullptr;
}

}  // namespace tymlp
