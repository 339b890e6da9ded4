// name_tree.h -- balanced (AVL) trees of fixed-width names, through which
// the sparse reader finds rows and columns by name.
//
// Names are compared byte by byte over the tree's name width.  Nodes come
// from chunks taken from the host allocator and live until name_tree_free;
// they are also chained in creation order so that the reader can visit
// names in the order the data first gave them.
#pragma once

#include <cstdint>

#include "base/lp_context.h"

namespace tymlp {

struct NameNode {
    NameNode* left;
    NameNode* right;
    NameNode* next_created;  // creation order
    int32_t height;          // of the subtree rooted here (a leaf has 1)
    int32_t index;           // row or column index; -1 while it has none
    int16_t code;            // attribute type remembered by a row name; -1 none
    uint8_t kind;            // row flags of the row kind a row name was given; 0 none
    uint8_t reserved;
    void* attached;  // what the name stands for besides a row (a set, a vector)
    char name[1];    // `width` bytes follow (the node is allocated larger)
};

struct NameChunk;

struct NameTree {
    NameNode* root;
    NameNode* first;  // oldest node
    NameNode* last;   // newest node
    int32_t count;
    int32_t width;       // bytes compared
    NameChunk* chunks;   // node memory
    int64_t chunk_free;  // bytes left in the newest chunk
};

// An empty tree of names `width` bytes wide.
void name_tree_init(NameTree* tree, int32_t width);

// The node of `name` (width bytes), or null.
NameNode* name_tree_find(const NameTree* tree, const char* name);

// The node of `name`, created (index -1, code -1, kind 0) when absent;
// *created tells which.  Null when memory is lacking.
NameNode* name_tree_insert(LpContext* ctx, NameTree* tree, const char* name, bool* created);

// Returns the node memory; the tree is empty afterwards.
void name_tree_free(LpContext* ctx, NameTree* tree);

// Height of the tree (0 when empty); for checks.
int32_t name_tree_height(const NameTree* tree);

}  // namespace tymlp
