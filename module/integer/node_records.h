// node_records.h -- a node's linear-programming state in the node file:
// the status byte of every column and the bounds of the special-ordered-set
// members and of the integer variables.
//
// A record is a chain of blocks in a host utility file (model.node_file,
// opened on first use); each block is a 12-byte header (data capacity,
// position of the next block or -1, total record length) and its data.  A
// node reused from the free list writes its new record over its old chain,
// which grows by one block when the new record is longer.
//
// Bounds are stored as signed integers of the narrowest width (1, 2 or 4
// bytes) that holds every bound present at the first save, or as doubles
// when a set member has a fractional bound or a bound is beyond 2^31 - 1;
// when every integer variable is binary, two bytes hold the lower and upper
// bounds of eight variables.  With a node-record coder installed
// (TREETYPE 1 to 3) the stored bytes are the coded record.
#pragma once

#include "base/lp_context.h"

namespace tymlp {

// Writes the node's record from the current status bytes and bounds.
// Returns 0, 9 (no memory for the record buffer) or 25 (node file).
int save_node(LpContext* ctx, ActiveNode* node);

// Makes the node's state the current one; the node has just become current.
// Fast path: a child of the node solved in the previous integer iteration
// (no special ordered sets, not the root) only applies its branching bound
// to the branching column in memory; the parent's basis, still factorised,
// is its starting basis.  Otherwise the bounds are read from the record and,
// for a node older than the previous iteration or the root, the saved
// basis is refactorised.  The basic values are then recomputed.  Returns 0,
// 1 (the saved basis is singular), 9, or 25.
int restore_node(LpContext* ctx, ActiveNode* node);

// Forgets the value width and the record buffer so that the next save
// chooses them again from the bounds then present.
void forget_record_layout(LpContext* ctx);

}  // namespace tymlp
