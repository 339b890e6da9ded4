// coder_adaptive.cpp -- coder type 3: adaptive Huffman.
//
// Encoder and decoder start from the same small tree (the end symbol and
// the escape, weight 1 each) and update it identically after every byte,
// so no table is sent.  A byte value met for the first time goes out as the
// escape's code followed by its 8 bits, and gets a leaf of its own.
//
// The tree keeps the sibling property: nodes are numbered so that weights
// never increase with the number, and the two children of a node sit next
// to each other (child and child + 1).  Incrementing a weight then needs at
// most a swap with the first node of equal weight on each level, which keeps
// the tree a Huffman tree of the counts seen so far.
#include <algorithm>

#include "base/host_link.h"
#include "stream/bit_io.h"
#include "stream/coder.h"

namespace tymlp {
namespace {

constexpr int kEndSymbol = 256;
constexpr int kEscapeSymbol = 257;
constexpr int kLeaves = 258;
constexpr int kNodes = 2 * kLeaves - 1;  // 515
constexpr int kRoot = 0;
constexpr uint32_t kMaxWeight = 32768;  // halve every weight when the root reaches it

struct Node {
    uint32_t weight;
    int16_t parent;
    int16_t child;  // a leaf: its symbol; otherwise the first of two children
    bool is_leaf;
};

struct AdaptiveTree {
    int16_t leaf[kLeaves];  // the node of each symbol, -1 while unseen
    Node node[kNodes];
    int next_free;
};

void start_tree(AdaptiveTree& t) {
    std::fill(t.leaf, t.leaf + kLeaves, static_cast<int16_t>(-1));
    t.node[kRoot] = Node{2, -1, 1, false};
    t.node[1] = Node{1, kRoot, kEndSymbol, true};
    t.node[2] = Node{1, kRoot, kEscapeSymbol, true};
    t.leaf[kEndSymbol] = 1;
    t.leaf[kEscapeSymbol] = 2;
    t.next_free = 3;
}

// Repoints the links into node `i` after it moved there.
void relink(AdaptiveTree& t, int i) {
    if (t.node[i].is_leaf) {
        t.leaf[t.node[i].child] = static_cast<int16_t>(i);
    } else {
        t.node[t.node[i].child].parent = static_cast<int16_t>(i);
        t.node[t.node[i].child + 1].parent = static_cast<int16_t>(i);
    }
}

// Exchanges the subtrees at nodes i and j; each keeps its place's parent.
void swap_nodes(AdaptiveTree& t, int i, int j) {
    std::swap(t.node[i], t.node[j]);
    std::swap(t.node[i].parent, t.node[j].parent);
    relink(t, i);
    relink(t, j);
}

// Rebuilds the tree from its leaves with their weights halved (rounded up).
// The two lightest live nodes become siblings, heaviest pair numbered
// first: listing the merged pairs in reverse order of merging gives node
// numbers whose weights never increase, with siblings side by side.
void rebuild(AdaptiveTree& t) {
    Node leaves[kLeaves];
    int count = 0;
    for (int i = 0; i < t.next_free; ++i)
        if (t.node[i].is_leaf) {
            leaves[count] = t.node[i];
            leaves[count].weight = (leaves[count].weight + 1) / 2;
            ++count;
        }
    std::stable_sort(leaves, leaves + count, [](const Node& a, const Node& b) { return a.weight < b.weight; });
    // Merge with two queues: taken[] lists nodes in the order they were
    // taken, pairs side by side; made[] holds the weights of merged nodes.
    struct Item {
        uint32_t weight;
        int16_t source;  // >= 0: leaves[source]; < 0: merged pair -(source + 1)
    };
    Item taken[kNodes];
    Item merged[kLeaves];
    int leaf_at = 0, merged_at = 0, merged_count = 0, taken_count = 0;
    auto take = [&]() {
        const bool from_leaves =
            leaf_at < count && (merged_at == merged_count || leaves[leaf_at].weight <= merged[merged_at].weight);
        taken[taken_count++] =
            from_leaves ? Item{leaves[leaf_at].weight, static_cast<int16_t>(leaf_at++)} : merged[merged_at++];
    };
    while ((count - leaf_at) + (merged_count - merged_at) > 1) {
        take();
        take();
        const int pair = (taken_count - 2) / 2;
        merged[merged_count++] =
            Item{taken[taken_count - 2].weight + taken[taken_count - 1].weight, static_cast<int16_t>(-(pair + 1))};
    }
    // Number the nodes: the root 0, then the pairs from the last merged down,
    // the heavier of each pair first.  pair_node[p] is the node made by pair p.
    int16_t pair_node[kLeaves];
    const int pairs = taken_count / 2;
    t.node[kRoot] = Node{merged[merged_count - 1].weight, -1, 0, false};
    pair_node[pairs - 1] = kRoot;
    int number = 1;
    for (int p = pairs - 1; p >= 0; --p) {
        const int parent = pair_node[p];
        t.node[parent].child = static_cast<int16_t>(number);
        for (int side = 1; side >= 0; --side, ++number) {  // the heavier (taken second) first
            const Item& item = taken[2 * p + side];
            Node& n = t.node[number];
            n.weight = item.weight;
            n.parent = static_cast<int16_t>(parent);
            if (item.source >= 0) {
                n.is_leaf = true;
                n.child = leaves[item.source].child;
                t.leaf[n.child] = static_cast<int16_t>(number);
            } else {
                n.is_leaf = false;
                pair_node[-(item.source + 1)] = static_cast<int16_t>(number);
            }
        }
    }
    t.next_free = number;
}

// Adds a leaf for `symbol` of weight 0 by splitting the last (lightest)
// node into itself and the new leaf.
void add_leaf(AdaptiveTree& t, int symbol) {
    const int lightest = t.next_free - 1;
    const int moved = t.next_free;
    const int fresh = t.next_free + 1;
    t.next_free += 2;
    t.node[moved] = t.node[lightest];
    t.node[moved].parent = static_cast<int16_t>(lightest);
    t.leaf[t.node[moved].child] = static_cast<int16_t>(moved);
    t.node[lightest].child = static_cast<int16_t>(moved);
    t.node[lightest].is_leaf = false;
    t.node[fresh] = Node{0, static_cast<int16_t>(lightest), static_cast<int16_t>(symbol), true};
    t.leaf[symbol] = static_cast<int16_t>(fresh);
}

// Counts one more `symbol`: every weight on its path grows by one, each node
// first trading places with the lowest-numbered node of its weight so that
// the order of weights holds.
void update(AdaptiveTree& t, int symbol) {
    if (t.node[kRoot].weight >= kMaxWeight) rebuild(t);
    if (t.leaf[symbol] < 0) add_leaf(t, symbol);
    int current = t.leaf[symbol];
    while (current != -1) {
        ++t.node[current].weight;
        int target = current;
        while (target > kRoot && t.node[target - 1].weight < t.node[current].weight) --target;
        if (target != current) {
            swap_nodes(t, current, target);
            current = target;
        }
        current = t.node[current].parent;
    }
}

// The bits of the path from the root to `node`: collected upwards, written
// root first.  The first child of a pair is bit 0.
bool write_path(LpContext* ctx, ByteStream* s, const AdaptiveTree& t, int node) {
    uint8_t bits[kNodes];
    int length = 0;
    for (int n = node; n != kRoot; n = t.node[n].parent)
        bits[length++] = static_cast<uint8_t>(n - t.node[t.node[n].parent].child);
    for (int k = length - 1; k >= 0; --k)
        if (!write_bit(ctx, s, bits[k])) return false;
    return true;
}

AdaptiveTree* new_tree() {
    auto* t = static_cast<AdaptiveTree*>(host_alloc(sizeof(AdaptiveTree), TYM_ALLOC_LONG_ZERO));
    if (t != nullptr) start_tree(*t);
    return t;
}

bool encode_symbol(LpContext* ctx, Coder* c, AdaptiveTree& t, int symbol) {
    const bool trace = (c->flags & kCoderTrace) != 0;
    if (t.leaf[symbol] >= 0) {
        if (trace) host_note("EncodeSymbol: %3d:%2x --> ", symbol, symbol);
        return write_path(ctx, c->output, t, t.leaf[symbol]);
    }
    if (trace) host_note("EncodeSymbol: %3d:%2x directly", symbol, symbol);
    return write_path(ctx, c->output, t, t.leaf[kEscapeSymbol]) &&
           write_bits(ctx, c->output, static_cast<uint32_t>(symbol), 8);
}

int adaptive_encode(LpContext* ctx, Coder* c) {
    AdaptiveTree* t = new_tree();
    if (t == nullptr) return 1;
    bool ok = write_coder_header(ctx, c, nullptr, 0);
    int byte = 0;
    while (ok && stream_read_byte(ctx, c->input, &byte)) {
        ok = encode_symbol(ctx, c, *t, byte);
        update(*t, byte);
    }
    if (ok) ok = encode_symbol(ctx, c, *t, kEndSymbol);
    host_release(t);
    return ok ? 0 : 1;
}

int adaptive_decode(LpContext* ctx, Coder* c) {
    AdaptiveTree* t = new_tree();
    if (t == nullptr) return 1;
    bool ok = read_coder_header(ctx, c, nullptr, 0);
    const bool trace = (c->flags & kCoderTrace) != 0;
    while (ok) {
        int node = kRoot;
        while (ok && !t->node[node].is_leaf) {
            const int bit = read_bit(ctx, c->input);
            ok = bit >= 0;
            if (ok) node = t->node[node].child + bit;
        }
        if (!ok) break;
        int symbol = t->node[node].child;
        if (symbol == kEndSymbol) break;
        if (symbol == kEscapeSymbol) {
            uint32_t direct = 0;
            ok = read_bits(ctx, c->input, 8, &direct) && t->leaf[direct] < 0;
            if (!ok) break;
            symbol = static_cast<int>(direct);
            if (trace) host_note("DecodeSymbol: %3d:%2x directly", symbol, symbol);
        } else if (trace) {
            host_note("DecodeSymbol: %3d:%2x <-- ", symbol, symbol);
        }
        ok = stream_write_byte(ctx, c->output, symbol);
        update(*t, symbol);
    }
    host_release(t);
    return ok ? 0 : 1;
}

const CoderMethods kMethods = {nullptr, nullptr, adaptive_encode, adaptive_decode, nullptr};

}  // namespace

const CoderMethods& adaptive_huffman_coder_methods() { return kMethods; }

}  // namespace tymlp
