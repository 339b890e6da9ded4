// coder_huffman.cpp -- coder type 1: two-pass Huffman.
//
// The first pass counts the byte values; the counts, scaled to fit a byte,
// go out as a table and both sides build the same code tree from them.  The
// second pass writes each byte's code.  Symbol 256 marks the end, so the
// decoder needs no length.
#include <algorithm>
#include <cstring>

#include "base/host_link.h"
#include "stream/bit_io.h"
#include "stream/coder.h"

namespace tymlp {
namespace {

constexpr int kSymbols = 257;  // 256 byte values and the end
constexpr int kEndSymbol = 256;
constexpr int kMaxNodes = 2 * kSymbols - 1;
constexpr int kLongestGap = 2;  // zero counts a run of the table may carry

struct HuffmanTree {
    uint32_t count[kMaxNodes];
    int16_t child[kMaxNodes][2];  // -1 for a leaf
    int root;
    uint32_t code[kSymbols];  // the code of each symbol, its bits in the low end
    uint8_t length[kSymbols];
};

// Builds the tree: the two live nodes with the smallest counts (the lower
// number first on a tie) become the children of a new node.  Leaves are
// taken in (count, number) order; new nodes come out in order of growing
// count, so two queues find the two smallest without a search.
void build_tree(HuffmanTree& t) {
    int16_t leaves[kSymbols];
    int leaf_count = 0;
    for (int s = 0; s < kSymbols; ++s) {
        t.child[s][0] = t.child[s][1] = -1;
        if (t.count[s] != 0) leaves[leaf_count++] = static_cast<int16_t>(s);
    }
    std::stable_sort(leaves, leaves + leaf_count, [&](int16_t a, int16_t b) { return t.count[a] < t.count[b]; });
    int16_t inner[kMaxNodes];
    int leaf_at = 0, inner_at = 0, inner_count = 0;
    int next = kSymbols;
    auto take = [&]() -> int16_t {
        const bool from_leaves =
            leaf_at < leaf_count && (inner_at == inner_count || t.count[leaves[leaf_at]] <= t.count[inner[inner_at]]);
        return from_leaves ? leaves[leaf_at++] : inner[inner_at++];
    };
    t.root = leaf_count > 0 ? leaves[0] : kEndSymbol;
    while ((leaf_count - leaf_at) + (inner_count - inner_at) > 1) {
        const int16_t small = take();
        const int16_t second = take();
        t.count[next] = t.count[small] + t.count[second];
        t.child[next][0] = small;
        t.child[next][1] = second;
        inner[inner_count++] = static_cast<int16_t>(next);
        t.root = next++;
    }
}

void assign_codes(HuffmanTree& t, int node, uint32_t code, int depth) {
    if (t.child[node][0] < 0) {
        t.code[node] = code;
        t.length[node] = static_cast<uint8_t>(depth);
        return;
    }
    assign_codes(t, t.child[node][0], code << 1, depth + 1);
    assign_codes(t, t.child[node][1], (code << 1) | 1u, depth + 1);
}

// A table number.  Every number of the table (a byte value, or a count
// scaled to fit a byte) is below 256, so one byte carries it: with four,
// the table alone outweighs the short records the node store codes.
bool write_number(LpContext* ctx, ByteStream* s, uint32_t value) { return write_bits(ctx, s, value & 0xFFu, 8); }

bool read_number(LpContext* ctx, ByteStream* s, uint32_t* value) { return read_bits(ctx, s, 8, value); }

// Counts of byte values scaled so that the largest fits a byte; a value
// seen keeps a count of at least 1.
void scale_counts(uint32_t* count) {
    uint32_t largest = 0;
    for (int s = 0; s < 256; ++s) largest = std::max(largest, count[s]);
    if (largest == 0) {
        count[0] = 1;
        return;
    }
    const uint32_t divisor = largest / 255 + 1;
    for (int s = 0; s < 256; ++s) {
        const uint32_t scaled = count[s] / divisor;
        count[s] = scaled == 0 && count[s] != 0 ? 1 : scaled;
    }
}

// The table: runs (first, last, counts), a run carrying gaps of up to two
// zero counts; a 0 after the last run.
bool write_counts(LpContext* ctx, ByteStream* s, const uint32_t* count) {
    int first = 0;
    while (first < 256 && count[first] == 0) ++first;
    while (first < 256) {
        int last = first;
        for (int next = first + 1; next < 256; ++next) {
            if (count[next] == 0) continue;
            if (next - last - 1 > kLongestGap) break;
            last = next;
        }
        if (!write_number(ctx, s, first) || !write_number(ctx, s, last)) return false;
        for (int v = first; v <= last; ++v)
            if (!write_number(ctx, s, count[v])) return false;
        first = last + 1;
        while (first < 256 && count[first] == 0) ++first;
    }
    return write_number(ctx, s, 0);
}

bool read_counts(LpContext* ctx, ByteStream* s, uint32_t* count) {
    int after = 0;  // byte values below this are taken
    for (bool first_run = true;; first_run = false) {
        uint32_t first = 0, last = 0;
        if (!read_number(ctx, s, &first)) return false;
        if (!first_run && first == 0) return true;
        if (!read_number(ctx, s, &last)) return false;
        if (first < static_cast<uint32_t>(after) || last < first || last > 255) return false;
        for (uint32_t v = first; v <= last; ++v)
            if (!read_number(ctx, s, &count[v]) || count[v] > 255) return false;
        after = static_cast<int>(last) + 1;
    }
}

HuffmanTree* new_tree() {
    auto* t = static_cast<HuffmanTree*>(host_alloc(sizeof(HuffmanTree), TYM_ALLOC_LONG_ZERO));
    return t;
}

int huffman_encode(LpContext* ctx, Coder* c) {
    HuffmanTree* t = new_tree();
    if (t == nullptr) return 1;
    int byte = 0;
    while (stream_read_byte(ctx, c->input, &byte)) ++t->count[byte];
    scale_counts(t->count);
    t->count[kEndSymbol] = 1;
    bool ok = write_coder_header(ctx, c, nullptr, 0) && write_counts(ctx, c->output, t->count);
    if (ok) {
        build_tree(*t);
        assign_codes(*t, t->root, 0, 0);
        stream_begin(ctx, c->input);  // the second pass
        while (ok && stream_read_byte(ctx, c->input, &byte))
            ok = write_bits(ctx, c->output, t->code[byte], t->length[byte]);
        if (ok) ok = write_bits(ctx, c->output, t->code[kEndSymbol], t->length[kEndSymbol]);
    }
    host_release(t);
    return ok ? 0 : 1;
}

int huffman_decode(LpContext* ctx, Coder* c) {
    HuffmanTree* t = new_tree();
    if (t == nullptr) return 1;
    bool ok = read_coder_header(ctx, c, nullptr, 0) && read_counts(ctx, c->input, t->count);
    if (ok) {
        t->count[kEndSymbol] = 1;
        build_tree(*t);
        for (;;) {
            int node = t->root;
            while (ok && t->child[node][0] >= 0) {
                const int bit = read_bit(ctx, c->input);
                ok = bit >= 0;
                if (ok) node = t->child[node][bit];
            }
            if (!ok || node == kEndSymbol) break;
            ok = stream_write_byte(ctx, c->output, node);
        }
    }
    host_release(t);
    return ok ? 0 : 1;
}

const CoderMethods kMethods = {nullptr, nullptr, huffman_encode, huffman_decode, nullptr};

}  // namespace

const CoderMethods& huffman_coder_methods() { return kMethods; }

}  // namespace tymlp
