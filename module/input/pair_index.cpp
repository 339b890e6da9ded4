// pair_index.cpp -- hash table of the (row, column) pairs read so far.
#include "input/pair_index.h"

#include "base/context_memory.h"

namespace tymlp {
namespace {

constexpr int64_t kFirstSlots = 1024;
// The table is grown before it is half full, so a probe sequence is short.
constexpr int64_t kLoadDivisor = 2;

int64_t key_of(int32_t row, int32_t column) {
    return ((static_cast<int64_t>(static_cast<uint32_t>(row)) << 32) | static_cast<uint32_t>(column)) + 1;
}

uint64_t hash_of(int64_t key) {
    uint64_t h = static_cast<uint64_t>(key);
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdull;
    h ^= h >> 33;
    return h;
}

void place(int64_t* keys, int64_t* entries, int64_t capacity, int64_t key, int64_t entry) {
    uint64_t slot = hash_of(key) & static_cast<uint64_t>(capacity - 1);
    while (keys[slot] != 0) slot = (slot + 1) & static_cast<uint64_t>(capacity - 1);
    keys[slot] = key;
    entries[slot] = entry;
}

int grow(LpContext* ctx, PairIndex* index) {
    const int64_t capacity = index->capacity > 0 ? index->capacity * 2 : kFirstSlots;
    auto* keys =
        static_cast<int64_t*>(ctx_alloc(ctx, static_cast<size_t>(capacity) * sizeof(int64_t), TYM_ALLOC_LONG_ZERO));
    auto* entries =
        static_cast<int64_t*>(ctx_alloc(ctx, static_cast<size_t>(capacity) * sizeof(int64_t), TYM_ALLOC_LONG));
    if (keys == nullptr || entries == nullptr) {
        ctx_free(ctx, keys);
        ctx_free(ctx, entries);
        return kRunMemory;
    }
    for (int64_t s = 0; s < index->capacity; ++s)
        if (index->keys[s] != 0) place(keys, entries, capacity, index->keys[s], index->entries[s]);
    ctx_free(ctx, index->keys);
    ctx_free(ctx, index->entries);
    index->keys = keys;
    index->entries = entries;
    index->capacity = capacity;
    return 0;
}

}  // namespace

int64_t pair_index_find(const PairIndex* index, int32_t row, int32_t column) {
    if (index->capacity == 0) return -1;
    const int64_t key = key_of(row, column);
    uint64_t slot = hash_of(key) & static_cast<uint64_t>(index->capacity - 1);
    while (index->keys[slot] != 0) {
        if (index->keys[slot] == key) return index->entries[slot];
        slot = (slot + 1) & static_cast<uint64_t>(index->capacity - 1);
    }
    return -1;
}

int pair_index_add(LpContext* ctx, PairIndex* index, int32_t row, int32_t column, int64_t entry) {
    if ((index->count + 1) * kLoadDivisor > index->capacity) {
        const int rc = grow(ctx, index);
        if (rc != 0) return rc;
    }
    place(index->keys, index->entries, index->capacity, key_of(row, column), entry);
    ++index->count;
    return 0;
}

void pair_index_free(LpContext* ctx, PairIndex* index) {
    ctx_free(ctx, index->keys);
    ctx_free(ctx, index->entries);
    *index = PairIndex{};
}

}  // namespace tymlp
