// node_store.cpp -- node records, the creation list and the ordered lists.
//
// Insertion into an ordered list uses the list's sampled index: a sorted
// array of (node, stamp) samples with the low end first and the high end
// last.  A binary search over the samples finds the stretch of the list
// that holds the new key, and a walk of at most about `spacing` steps finds
// its place.  Samples are never removed when their node leaves the list;
// a sample is valid only while its node is allocated and still carries the
// stamp it had when sampled, and invalid samples are dropped when met.
#include "integer/node_store.h"

#include <cstring>

#include "base/context_memory.h"
#include "base/run_end.h"

namespace tymlp {
namespace {

// The links of each ordered list inside a node, and its key.
using Links = ActiveNode* (ActiveNode::*)[2];
constexpr Links kLinks[kNodeListKinds] = {&ActiveNode::by_bound, &ActiveNode::by_projection, &ActiveNode::by_estimate,
                                          &ActiveNode::by_error};
constexpr double ActiveNode::*kKeys[kNodeListKinds] = {&ActiveNode::bound, &ActiveNode::projection,
                                                       &ActiveNode::estimate, &ActiveNode::error};
constexpr int kLower = 0;
constexpr int kHigher = 1;
constexpr int kOlder = 0;
constexpr int kNewer = 1;

ActiveNode*& link(ActiveNode* node, NodeListKind kind, int side) { return (node->*kLinks[kind])[side]; }
double key(const ActiveNode* node, NodeListKind kind) { return node->*kKeys[kind]; }

bool in_use(const LpContext* ctx, int kind) { return (ctx->bb.lists_in_use & (1u << kind)) != 0; }

bool valid(const SampleEntry& e) {
    return e.node != nullptr && e.node->state >= kNodeAllocated && e.node->stamp == e.stamp;
}

SampleEntry sample(ActiveNode* node) { return SampleEntry{node, node->stamp}; }

// Resizes the index to `capacity` entries, keeping those in use.  Returns 0 or 9.
int resize_index(LpContext* ctx, SampledIndex& idx, int32_t capacity) {
    SampleEntry* entries = ctx_alloc_array<SampleEntry>(ctx, capacity, TYM_ALLOC_LONG);
    if (entries == nullptr) return kRunMemory;
    if (idx.entries != nullptr) {
        const int32_t keep = idx.count < capacity ? idx.count : capacity;
        std::memcpy(entries, idx.entries, static_cast<size_t>(keep) * sizeof(SampleEntry));
        ctx_free(ctx, idx.entries);
    }
    idx.entries = entries;
    idx.capacity = capacity;
    return 0;
}

void drop_entries(SampledIndex& idx, int32_t first, int32_t count) {
    std::memmove(idx.entries + first, idx.entries + first + count,
                 static_cast<size_t>(idx.count - first - count) * sizeof(SampleEntry));
    idx.count -= count;
}

// Makes entry 0 the low end (side kLower) or the last entry the high end
// (kHigher), dropping the stale samples in front of the first valid one;
// with fewer than two valid samples the index becomes (low end, high end).
void anchor_end(NodeList& list, int side) {
    SampledIndex& idx = list.index;
    ActiveNode* end = side == kLower ? list.low : list.high;
    const int32_t at = side == kLower ? 0 : idx.count - 1;
    if (idx.count >= 2 && valid(idx.entries[at]) && idx.entries[at].node == end) return;
    int32_t found = -1;
    if (side == kLower) {
        for (int32_t i = 0; i < idx.count && found < 0; ++i)
            if (valid(idx.entries[i])) found = i;
    } else {
        for (int32_t i = idx.count - 1; i >= 0 && found < 0; --i)
            if (valid(idx.entries[i])) found = i;
    }
    if (found < 0) {
        idx.count = 0;
    } else if (idx.entries[found].node == end) {
        if (side == kLower)
            drop_entries(idx, 0, found);
        else
            idx.count = found + 1;
    } else {
        idx.entries[at] = sample(end);
    }
    if (idx.count < 2) {
        idx.entries[0] = sample(list.low);
        idx.entries[1] = sample(list.high);
        idx.count = 2;
    }
}

void link_after(NodeList& list, NodeListKind kind, ActiveNode* after, ActiveNode* node) {
    ActiveNode* next = after != nullptr ? link(after, kind, kHigher) : list.low;
    link(node, kind, kLower) = after;
    link(node, kind, kHigher) = next;
    if (after != nullptr)
        link(after, kind, kHigher) = node;
    else
        list.low = node;
    if (next != nullptr)
        link(next, kind, kLower) = node;
    else
        list.high = node;
}

// Inserts a sample for `node` at entry position `at`, growing the array when
// it is full.  Returns 0 or 9.
int insert_entry(LpContext* ctx, SampledIndex& idx, int32_t at, ActiveNode* node) {
    if (idx.count >= idx.capacity) {
        const int rc = resize_index(ctx, idx, (3 * idx.capacity + 3) / 2);
        if (rc != 0) return rc;
    }
    std::memmove(idx.entries + at + 1, idx.entries + at, static_cast<size_t>(idx.count - at) * sizeof(SampleEntry));
    idx.entries[at] = sample(node);
    ++idx.count;
    return 0;
}

// Ordered insertion of `node` into list `kind`.  Returns 0 or 9.
int insert_ordered(LpContext* ctx, NodeListKind kind, ActiveNode* node) {
    NodeList& list = ctx->bb.lists[kind];
    SampledIndex& idx = list.index;
    const double k = key(node, kind);
    link(node, kind, kLower) = link(node, kind, kHigher) = nullptr;
    if (list.low == nullptr) {
        list.low = list.high = node;
        return 0;
    }
    if (idx.capacity == 0) {
        const int32_t room = idx.initial_capacity > 2 ? idx.initial_capacity : 2;
        if (resize_index(ctx, idx, room) != 0) return kRunMemory;
        idx.count = 0;
    }
    const int32_t active = ctx->bb.active_count;
    const int32_t by_share = static_cast<int32_t>(active * idx.fraction + 1.0);
    idx.spacing = by_share > idx.min_spacing ? by_share : idx.min_spacing;
    idx.max_count = 2 * (active / idx.spacing) + 2;

    anchor_end(list, kLower);
    if (k < key(list.low, kind)) {
        link_after(list, kind, nullptr, node);
        idx.entries[0] = sample(node);
        return 0;
    }
    anchor_end(list, kHigher);
    if (key(list.high, kind) <= k) {
        link_after(list, kind, list.high, node);
        idx.entries[idx.count - 1] = sample(node);
        return 0;
    }

    // Binary search for the last sample whose key is at most k.
    int32_t lo = 0;
    int32_t hi = idx.count - 1;
    while (hi - lo >= 2) {
        const int32_t mid = (lo + hi) / 2;
        if (!valid(idx.entries[mid])) {
            drop_entries(idx, mid, 1);
            --hi;
            continue;
        }
        if (key(idx.entries[mid].node, kind) <= k)
            lo = mid;
        else
            hi = mid;
    }

    // Walk from the two samples around the key towards each other, leaving
    // new samples every `spacing` steps on the way up: whichever walk meets
    // the place first ends the search, so a place near the higher sample
    // (children of the best node, in a best-first search) is found at once.
    ActiveNode* reached = idx.entries[lo].node;
    if (key(reached, kind) > k) reached = list.low;  // a sample out of order: walk from the low end
    ActiveNode* above = idx.entries[hi].node;
    if (!valid(idx.entries[hi]) || key(above, kind) <= k) above = nullptr;  // no walk down
    int32_t steps = 0;
    int32_t entry = lo;
    for (;;) {
        ActiveNode* next = link(reached, kind, kHigher);
        if (next == nullptr || key(next, kind) > k) break;
        reached = next;
        if (++steps % idx.spacing == 0 && idx.count < idx.max_count && entry + 1 < idx.count) {
            if (insert_entry(ctx, idx, entry + 1, reached) != 0) return kRunMemory;
            ++entry;
        }
        if (above == nullptr) continue;
        above = link(above, kind, kLower);
        if (above != nullptr && key(above, kind) <= k) {
            reached = above;  // the last node with a key of at most k
            break;
        }
    }
    link_after(list, kind, reached, node);

    if (idx.count * 2 < idx.capacity && idx.capacity > idx.initial_capacity)
        return resize_index(ctx, idx, 2 * idx.capacity / 3 + 1);
    return 0;
}

void unlink_ordered(LpContext* ctx, NodeListKind kind, ActiveNode* node) {
    NodeList& list = ctx->bb.lists[kind];
    ActiveNode* lower = link(node, kind, kLower);
    ActiveNode* higher = link(node, kind, kHigher);
    if (lower != nullptr)
        link(lower, kind, kHigher) = higher;
    else if (list.low == node)
        list.low = higher;
    if (higher != nullptr)
        link(higher, kind, kLower) = lower;
    else if (list.high == node)
        list.high = lower;
    link(node, kind, kLower) = link(node, kind, kHigher) = nullptr;
}

}  // namespace

ActiveNode* allocate_node(LpContext* ctx) {
    BbState& bb = ctx->bb;
    ActiveNode* node = bb.free_list;
    if (node != nullptr) {
        bb.free_list = node->next;
        const int32_t record = node->record;
        ActiveNode* everyone = node->everyone;
        std::memset(static_cast<void*>(node), 0, sizeof *node);
        node->record = record;
        node->everyone = everyone;
    } else {
        node = static_cast<ActiveNode*>(ctx_alloc(ctx, sizeof(ActiveNode), TYM_ALLOC_LONG_ZERO));
        if (node == nullptr) end_run_from_step(ctx, kEndMemory);
        node->record = -1;
        node->everyone = bb.all_nodes;
        bb.all_nodes = node;
    }
    node->state = kNodeAllocated;
    return node;
}

void release_node(LpContext* ctx, ActiveNode* node) {
    if (node == nullptr) return;
    node->state = kNodeCurrent;
    node->next = ctx->bb.free_list;
    ctx->bb.free_list = node;
}

int add_node(LpContext* ctx, ActiveNode* node) {
    BbState& bb = ctx->bb;
    node->creation[kOlder] = bb.newest;
    node->creation[kNewer] = nullptr;
    if (bb.newest != nullptr)
        bb.newest->creation[kNewer] = node;
    else
        bb.oldest = node;
    bb.newest = node;
    ++bb.active_count;
    for (int kind = 0; kind < kNodeListKinds; ++kind) {
        if (!in_use(ctx, kind)) continue;
        if (insert_ordered(ctx, static_cast<NodeListKind>(kind), node) != 0) return kRunMemory;
    }
    return 0;
}

void remove_node(LpContext* ctx, ActiveNode* node) {
    BbState& bb = ctx->bb;
    ActiveNode* older = node->creation[kOlder];
    ActiveNode* newer = node->creation[kNewer];
    if (older != nullptr)
        older->creation[kNewer] = newer;
    else if (bb.oldest == node)
        bb.oldest = newer;
    if (newer != nullptr)
        newer->creation[kOlder] = older;
    else if (bb.newest == node)
        bb.newest = older;
    node->creation[kOlder] = node->creation[kNewer] = nullptr;
    for (int kind = 0; kind < kNodeListKinds; ++kind)
        if (in_use(ctx, kind)) unlink_ordered(ctx, static_cast<NodeListKind>(kind), node);
    --bb.active_count;
}

void discard_node(LpContext* ctx, ActiveNode* node) {
    remove_node(ctx, node);
    release_node(ctx, node);
}

int rebuild_projection_list(LpContext* ctx) {
    BbState& bb = ctx->bb;
    if (!in_use(ctx, kListByProjection)) return 0;
    NodeList& list = bb.lists[kListByProjection];
    ctx_free_array(ctx, list.index.entries);
    list.index.capacity = 0;
    list.index.count = 0;
    list.low = list.high = nullptr;
    // Insertion sizes the index by the active count; count up as the list grows.
    const int32_t active = bb.active_count;
    bb.active_count = 0;
    int rc = 0;
    for (ActiveNode* node = bb.oldest; node != nullptr && rc == 0; node = node->creation[kNewer]) {
        rc = insert_ordered(ctx, kListByProjection, node);
        ++bb.active_count;
    }
    bb.active_count = active;
    return rc;
}

NodeListKind list_of_rule(int16_t rule) {
    switch (rule) {
        case kNodeProject: return kListByProjection;
        case kNodePseudoc: return kListByEstimate;
        case kNodeError: return kListByError;
        default: return kListByBound;
    }
}

double node_key(const ActiveNode* node, NodeListKind kind) { return key(node, kind); }

ActiveNode* list_neighbour(const ActiveNode* node, NodeListKind kind, int side) { return (node->*kLinks[kind])[side]; }

void forget_list_samples(LpContext* ctx) {
    for (NodeList& list : ctx->bb.lists) list.index.count = 0;
}

void reset_node_store(LpContext* ctx) {
    BbState& bb = ctx->bb;
    for (NodeList& list : bb.lists) {
        ctx_free_array(ctx, list.index.entries);
        list.index.capacity = 0;
        list.index.count = 0;
        list.low = list.high = nullptr;
    }
    bb.oldest = bb.newest = nullptr;
    bb.free_list = nullptr;
    for (ActiveNode* node = bb.all_nodes; node != nullptr; node = node->everyone) {
        node->state = kNodeCurrent;
        node->next = bb.free_list;
        bb.free_list = node;
    }
    bb.set_aside = nullptr;
    bb.current = bb.root = bb.incumbent = nullptr;
    bb.active_count = 0;
}

}  // namespace tymlp
