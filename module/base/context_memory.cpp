// context_memory.cpp -- the run's block chain and heap.
#include "base/context_memory.h"

#include <cstring>

#include "base/host_link.h"

namespace tymlp {

void* ctx_alloc(LpContext* ctx, size_t bytes, int flags) {
    auto* header = static_cast<BlockHeader*>(host_alloc(sizeof(BlockHeader) + bytes, flags));
    if (header == nullptr) return nullptr;
    header->prev = nullptr;
    header->next = ctx->handles.blocks;
    header->bytes = bytes;
    header->spare = 0;
    if (ctx->handles.blocks != nullptr) ctx->handles.blocks->prev = header;
    ctx->handles.blocks = header;
    ++ctx->handles.block_count;
    return header + 1;
}

void ctx_free(LpContext* ctx, void* block) {
    if (block == nullptr) return;
    BlockHeader* header = static_cast<BlockHeader*>(block) - 1;
    if (header->prev != nullptr)
        header->prev->next = header->next;
    else
        ctx->handles.blocks = header->next;
    if (header->next != nullptr) header->next->prev = header->prev;
    --ctx->handles.block_count;
    host_release(header);
}

void ctx_free_all(LpContext* ctx) {
    BlockHeader* header = ctx->handles.blocks;
    while (header != nullptr) {
        BlockHeader* next = header->next;
        host_release(header);
        header = next;
    }
    ctx->handles.blocks = nullptr;
    ctx->handles.block_count = 0;
}

void* ctx_heap_alloc(LpContext* ctx, size_t bytes) {
    if (ctx->handles.heap == nullptr) return nullptr;
    return heap_alloc_zeroed(ctx->handles.heap, bytes);
}

TymHeap create_module_heap() { return host_heap_create(kHeapKind, kHeapBlockBytes, kHeapOptions); }

void* heap_alloc_zeroed(TymHeap heap, size_t bytes) {
    void* p = host_heap_alloc(heap, bytes);
    if (p != nullptr) std::memset(p, 0, bytes);
    return p;
}

}  // namespace tymlp
