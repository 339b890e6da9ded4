// price_tree.h -- the stored-price rule's choice without a pass over all
// nonbasic columns.
//
// The rule takes the largest oriented (and Devex-weighted) stored reduced
// cost, the first in header order on ties.  An iteration changes the
// reduced costs and weights only of the columns in the pivot row and of the
// entering and leaving columns, so the nonbasic columns are kept as leaves
// of a tournament tree: changing one leaf costs a path to the root, and the
// root holds the choice.  Header order is kept as leaf order: the nonbasic
// part of the header only ever loses a column at any place and gains one at
// its end, so the leaves are numbered in header order when the tree is
// built and a column that becomes nonbasic takes the next free leaf.  Each
// node also counts its live leaves, which gives a column's header position.
//
// The tree is only trusted inside primal phase 2, which tells it about
// every change; anything that changes many prices at once (recomputed
// reduced costs, a reset Devex framework, a new set-up) invalidates it, and
// the next choice rebuilds it from the header.
#pragma once

#include <cstdint>

#include "base/lp_context.h"

namespace tymlp {

// The stored-price rule's value of nonbasic column j: its stored reduced
// cost oriented by its status (negated at the upper bound, absolute when
// free) and divided by its Devex weight when `devex`.  False when j is not
// priced (artificial, fixed) or not attractive (value not above 0).
bool StoredPrice(const LpContext* ctx, int32_t j, bool devex, double* price);

// Turns the tree on (primal phase 2 keeps it up to date) or off (every
// other caller of the rule scans).  Both invalidate it.
void PriceTreeEnable(LpContext* ctx, bool on);

// The next choice rebuilds the tree.
void PriceTreeInvalidate(LpContext* ctx);

// After ExchangeBasis: q left the nonbasic part, l joined it at its end.
void PriceTreeExchange(LpContext* ctx, int32_t q, int32_t l);

// Column j's stored price or weight or status changed.
void PriceTreeRefresh(LpContext* ctx, int32_t j);

// The same for `count` columns at once; when they are many the tree is
// dropped, the next choice scans, and the one after a sparse exchange
// rebuilds it.
void PriceTreeRefreshMany(LpContext* ctx, const int32_t* columns, int32_t count);

// The choice as the stored-price rule's scan would make it: *column and
// *header_pos of the best column and *price its value; *column = -1 when no
// column is attractive.  Returns false when the tree is not in use (the
// caller scans) or could not be allocated.
bool PriceTreeChoose(LpContext* ctx, double* price, int32_t* column, int32_t* header_pos);

}  // namespace tymlp
