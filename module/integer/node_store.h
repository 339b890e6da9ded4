// node_store.h -- the store of active nodes: node records, the free list,
// the creation-order list and the ordered lists with their sampled
// indexes.
//
// Every active node is in the creation-order list (oldest to newest) and in
// the bound list; the projection, estimate and error lists are kept only
// when a selection rule names them (bb.lists_in_use, fixed when branch and
// bound starts).  Ordered lists ascend by their key, so the high end holds
// the best node; equal keys go after the nodes already there.  The node's
// linear-programming state lives in the node file (integer/node_records.h).
#pragma once

#include "base/lp_context.h"

namespace tymlp {

// A node ready for use, state kNodeAllocated: the head of the free list
// (which keeps its record position, so that its new record overwrites the
// old one) or a new zero-filled record with record -1.  Ends the run with
// 1016 when the host has no memory for one.
ActiveNode* allocate_node(LpContext* ctx);

// Puts the node on the free list with state kNodeCurrent; nothing is freed.
void release_node(LpContext* ctx, ActiveNode* node);

// Adds the node at the newest end of the creation list and into every
// ordered list in use; the active count grows by one.  Returns 0, or 9 when
// an index cannot be allocated.
int add_node(LpContext* ctx, ActiveNode* node);

// Unlinks the node from every list it is in and clears its links; the
// active count drops by one.
void remove_node(LpContext* ctx, ActiveNode* node);

// remove_node, then release_node (the work store's memory-release hook).
void discard_node(LpContext* ctx, ActiveNode* node);

// Empties the projection list and its index and inserts every active node
// again, oldest first.  Returns 0 or 9.
int rebuild_projection_list(LpContext* ctx);

// Which ordered list a CANSELECT or BACKTRACK value names (bound for LIFO,
// FIFO and OBJ, which need only the creation list and the bound list).
NodeListKind list_of_rule(int16_t rule);

// The key of a node in an ordered list.
double node_key(const ActiveNode* node, NodeListKind kind);

// The neighbour of a node in an ordered list: side 0 lower key, 1 higher.
ActiveNode* list_neighbour(const ActiveNode* node, NodeListKind kind, int side);

// Drops every sample of every sampled index.  Needed when nodes leave the
// store and come back (a change of selection rule): a sample of a node that
// left still looks valid, and an insertion that walked from it would walk
// outside the list.
void forget_list_samples(LpContext* ctx);

// Empties every list and index and puts every node ever allocated on the
// free list (their records in the node file are reused by later nodes).
void reset_node_store(LpContext* ctx);

}  // namespace tymlp
