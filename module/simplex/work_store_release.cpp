// work_store_release.cpp -- giving memory back when the host asks for it.
#include <cstdint>

#include "base/host_link.h"
#include "simplex/work_store.h"

namespace tymlp {
namespace {

constexpr int16_t kSelectLifo = 1;
constexpr int32_t kNoDeltaIt = 2147483647;
constexpr int kMsgSwitchToLifo = 62;

// Nodes that cannot beat the cutoff are worth nothing: release them, and
// make the search depth-first so that few new nodes pile up.
void shrink_node_store(LpContext* ctx) {
    BbState& bb = ctx->bb;
    LpOptions& o = ctx->options;
    if (o.canselect != kSelectLifo || o.backtrack != kSelectLifo) host_message(kMsgSwitchToLifo);
    o.canselect = kSelectLifo;
    o.backtrack = kSelectLifo;
    o.deltait = kNoDeltaIt;
    void (*release)(LpContext*, ActiveNode*) = ctx->engine.hooks.release_node;
    if (release == nullptr) return;
    ActiveNode* node = bb.oldest;
    while (node != nullptr) {
        ActiveNode* next = node->creation[1];
        if (node->state == 1 && node->bound - bb.cutoff <= o.epsilon) release(ctx, node);
        node = next;
    }
}

}  // namespace

void FreeMemory(int64_t arg, void* cookie) {
    auto* ctx = static_cast<LpContext*>(cookie);
    if (ctx == nullptr) return;
    const WorkStore& w = ctx->engine.store;
    if (ctx->options.performance == 1)
        host_note("%3zLPFREMM -- arg=%i workmem=%li aalloc=%li balloc=%li ", static_cast<int>(arg),
                  static_cast<long>(w.block_bytes), static_cast<long>(ctx->inverse.capacity),
                  static_cast<long>(w.inverse_bytes_available));
    if (ctx->bb.active_count > 0) shrink_node_store(ctx);
    DropOverflow(ctx);
}

int RegisterRelease(LpContext* ctx) {
    HostHandles& h = ctx->handles;
    if (h.release_registered != 0) return 0;
    if (host_register_release(FreeMemory, ctx) == 0) {
        h.release_registered = 1;
        h.release_callback = FreeMemory;
    }
    return 0;
}

}  // namespace tymlp
