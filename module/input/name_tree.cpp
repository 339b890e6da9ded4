// name_tree.cpp -- AVL trees of fixed-width names with chunked node memory.
#include "input/name_tree.h"

#include <cstddef>
#include <cstring>

#include "base/context_memory.h"

namespace tymlp {

struct NameChunk {
    NameChunk* next;
    int64_t size;  // bytes of nodes after this header (keeps them 16-byte aligned)
};

namespace {

constexpr int64_t kFirstChunkBytes = 2 * 1024;
constexpr int64_t kChunkBytes = 64 * 1024;
constexpr int64_t kNodeAlign = 8;

int64_t node_bytes(int32_t width) {
    const int64_t raw = static_cast<int64_t>(offsetof(NameNode, name)) + (width > 0 ? width : 1);
    return (raw + kNodeAlign - 1) / kNodeAlign * kNodeAlign;
}

int32_t height(const NameNode* n) { return n != nullptr ? n->height : 0; }

void update(NameNode* n) {
    const int32_t l = height(n->left);
    const int32_t r = height(n->right);
    n->height = (l > r ? l : r) + 1;
}

NameNode* rotate_right(NameNode* n) {
    NameNode* l = n->left;
    n->left = l->right;
    l->right = n;
    update(n);
    update(l);
    return l;
}

NameNode* rotate_left(NameNode* n) {
    NameNode* r = n->right;
    n->right = r->left;
    r->left = n;
    update(n);
    update(r);
    return r;
}

// Restores the AVL condition at n after one of its subtrees grew by one.
NameNode* rebalance(NameNode* n) {
    update(n);
    const int32_t balance = height(n->left) - height(n->right);
    if (balance > 1) {
        if (height(n->left->left) < height(n->left->right)) n->left = rotate_left(n->left);
        return rotate_right(n);
    }
    if (balance < -1) {
        if (height(n->right->right) < height(n->right->left)) n->right = rotate_right(n->right);
        return rotate_left(n);
    }
    return n;
}

NameNode* new_node(LpContext* ctx, NameTree* tree, const char* name) {
    const int64_t bytes = node_bytes(tree->width);
    if (tree->chunks == nullptr || tree->chunk_free < bytes) {
        // Chunks double from a small first one: a small problem's names
        // take a page or two, not a large block filled with zeros.
        const int64_t grown = tree->chunks == nullptr ? kFirstChunkBytes : 2 * tree->chunks->size;
        const int64_t wanted = grown < kChunkBytes ? grown : kChunkBytes;
        const int64_t size = bytes > wanted ? bytes : wanted;
        auto* chunk =
            static_cast<NameChunk*>(ctx_alloc(ctx, sizeof(NameChunk) + static_cast<size_t>(size), TYM_ALLOC_LONG));
        if (chunk == nullptr) return nullptr;
        chunk->next = tree->chunks;
        chunk->size = size;
        tree->chunks = chunk;
        tree->chunk_free = size;
    }
    char* base = reinterpret_cast<char*>(tree->chunks + 1);
    auto* node = reinterpret_cast<NameNode*>(base + (tree->chunks->size - tree->chunk_free));
    tree->chunk_free -= bytes;
    std::memset(node, 0, static_cast<size_t>(bytes));
    node->height = 1;
    node->index = -1;
    node->code = -1;
    std::memcpy(node->name, name, static_cast<size_t>(tree->width));
    if (tree->last != nullptr)
        tree->last->next_created = node;
    else
        tree->first = node;
    tree->last = node;
    ++tree->count;
    return node;
}

struct InsertResult {
    NameNode* found;
    bool failed;
};

NameNode* insert(LpContext* ctx, NameTree* tree, NameNode* n, const char* name, InsertResult* out) {
    if (n == nullptr) {
        NameNode* made = new_node(ctx, tree, name);
        out->found = made;
        out->failed = made == nullptr;
        return made;
    }
    const int cmp = std::memcmp(name, n->name, static_cast<size_t>(tree->width));
    if (cmp == 0) {
        out->found = n;
        return n;
    }
    if (cmp < 0)
        n->left = insert(ctx, tree, n->left, name, out);
    else
        n->right = insert(ctx, tree, n->right, name, out);
    if (out->failed) return n;
    return rebalance(n);
}

}  // namespace

void name_tree_init(NameTree* tree, int32_t width) {
    *tree = NameTree{};
    tree->width = width;
}

NameNode* name_tree_find(const NameTree* tree, const char* name) {
    NameNode* n = tree->root;
    while (n != nullptr) {
        const int cmp = std::memcmp(name, n->name, static_cast<size_t>(tree->width));
        if (cmp == 0) return n;
        n = cmp < 0 ? n->left : n->right;
    }
    return nullptr;
}

NameNode* name_tree_insert(LpContext* ctx, NameTree* tree, const char* name, bool* created) {
    const int32_t before = tree->count;
    InsertResult result{nullptr, false};
    NameNode* root = insert(ctx, tree, tree->root, name, &result);
    if (result.failed) return nullptr;
    tree->root = root;
    *created = tree->count != before;
    return result.found;
}

void name_tree_free(LpContext* ctx, NameTree* tree) {
    NameChunk* chunk = tree->chunks;
    while (chunk != nullptr) {
        NameChunk* next = chunk->next;
        ctx_free(ctx, chunk);
        chunk = next;
    }
    const int32_t width = tree->width;
    name_tree_init(tree, width);
}

int32_t name_tree_height(const NameTree* tree) { return height(tree->root); }

}  // namespace tymlp
