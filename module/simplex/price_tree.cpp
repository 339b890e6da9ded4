// price_tree.cpp -- the tournament tree of the stored-price rule.
#include "simplex/price_tree.h"

#include <cmath>

#include "base/context_memory.h"
#include "simplex/pricing.h"

namespace tymlp {

struct PriceTree {
    int32_t leaves;      // a power of two, at least twice the nonbasic columns
    int32_t next_leaf;   // the leaf the next column to become nonbasic takes
    int32_t columns;     // n when built
    int16_t enabled;     // primal phase 2 keeps the tree up to date
    int16_t valid;       // the leaves describe the current prices and header
    int16_t devex;       // built with Devex-weighted prices
    int16_t dense;       // the last exchange changed too many prices to refresh one by one
    int32_t* best;       // [2 * leaves] best leaf below each node, -1 none
    int32_t* live;       // [2 * leaves] live leaves below each node
    double* value;       // [leaves] price of the column at each leaf
    int32_t* column_at;  // [leaves] column at each leaf, -1 none
    int32_t* leaf_of;    // [n] leaf of each nonbasic column, -1 none
};

namespace {

constexpr int32_t kDenseRefreshShare = 8;

bool devex_weighted(const LpContext* ctx) {
    const PricingState& p = ctx->phases.pricing;
    return ctx->options.devex != 0 && p.weight != nullptr && p.framework != nullptr;
}

// The better of two leaves: the larger price, the earlier leaf on ties.
int32_t better(const PriceTree& t, int32_t a, int32_t b) {
    if (a < 0) return b;
    if (b < 0) return a;
    if (t.value[b] > t.value[a] || (t.value[b] == t.value[a] && b < a)) return b;
    return a;
}

// Brings the ancestors of `leaf` up to date.  Once an ancestor keeps its
// best leaf (another leaf, whose price did not change) and its live count,
// nothing above it changes either.
void pull_up(PriceTree& t, int32_t leaf) {
    for (int32_t node = (t.leaves + leaf) >> 1; node >= 1; node >>= 1) {
        const int32_t best = better(t, t.best[2 * node], t.best[2 * node + 1]);
        const int32_t live = t.live[2 * node] + t.live[2 * node + 1];
        if (best == t.best[node] && live == t.live[node] && best != leaf) return;
        t.best[node] = best;
        t.live[node] = live;
    }
}

// Sets the leaf of column j (or empties it for j = -1) without pulling up.
void set_leaf(const LpContext* ctx, PriceTree& t, int32_t leaf, int32_t j) {
    const int32_t node = t.leaves + leaf;
    t.column_at[leaf] = j;
    t.live[node] = j >= 0 ? 1 : 0;
    double price = 0.0;
    t.best[node] = j >= 0 && StoredPrice(ctx, j, t.devex != 0, &price) ? leaf : -1;
    t.value[leaf] = price;
}

void free_tree(LpContext* ctx, PriceTree* t) {
    ctx_free_array(ctx, t->best);
    ctx_free_array(ctx, t->live);
    ctx_free_array(ctx, t->value);
    ctx_free_array(ctx, t->column_at);
    ctx_free_array(ctx, t->leaf_of);
}

// Sizes the arrays for the current n; false when memory is short.
bool reserve(LpContext* ctx, PriceTree& t) {
    const int32_t m = ctx->model.rows;
    const int32_t n = ctx->model.columns;
    int32_t leaves = 1;
    while (leaves < 2 * (n - m) + 2) leaves *= 2;
    if (t.leaves == leaves && t.columns == n && t.best != nullptr) return true;
    free_tree(ctx, &t);
    t.best = ctx_alloc_array<int32_t>(ctx, 2 * static_cast<int64_t>(leaves));
    t.live = ctx_alloc_array<int32_t>(ctx, 2 * static_cast<int64_t>(leaves));
    t.value = ctx_alloc_array<double>(ctx, leaves);
    t.column_at = ctx_alloc_array<int32_t>(ctx, leaves);
    t.leaf_of = ctx_alloc_array<int32_t>(ctx, n);
    if (t.best == nullptr || t.live == nullptr || t.value == nullptr || t.column_at == nullptr ||
        t.leaf_of == nullptr) {
        free_tree(ctx, &t);
        t.leaves = 0;
        return false;
    }
    t.leaves = leaves;
    t.columns = n;
    return true;
}

// Numbers the nonbasic columns in header order and builds every node.
bool rebuild(LpContext* ctx, PriceTree& t) {
    if (!reserve(ctx, t)) return false;
    const ComputationalForm& f = ctx->form;
    const int32_t m = ctx->model.rows;
    const int32_t n = ctx->model.columns;
    t.devex = devex_weighted(ctx) ? 1 : 0;
    for (int32_t j = 0; j < n; ++j) t.leaf_of[j] = -1;
    t.next_leaf = 0;
    for (int32_t h = m; h < n; ++h) {
        const int32_t j = f.header[h];
        t.leaf_of[j] = t.next_leaf;
        set_leaf(ctx, t, t.next_leaf++, j);
    }
    for (int32_t leaf = t.next_leaf; leaf < t.leaves; ++leaf) set_leaf(ctx, t, leaf, -1);
    for (int32_t node = t.leaves - 1; node >= 1; --node) {
        t.best[node] = better(t, t.best[2 * node], t.best[2 * node + 1]);
        t.live[node] = t.live[2 * node] + t.live[2 * node + 1];
    }
    t.valid = 1;
    return true;
}

// Live leaves before `leaf`: the column's place in the nonbasic header part.
int32_t rank_of(const PriceTree& t, int32_t leaf) {
    int32_t before = 0;
    for (int32_t node = t.leaves + leaf; node > 1; node >>= 1)
        if ((node & 1) != 0) before += t.live[node - 1];
    return before;
}

PriceTree* tree_of(LpContext* ctx) { return ctx->phases.pricing.price_tree; }

}  // namespace

bool StoredPrice(const LpContext* ctx, int32_t j, bool devex, double* price) {
    const ComputationalForm& f = ctx->form;
    const PricingState& p = ctx->phases.pricing;
    const uint8_t st = f.status[j];
    if ((st & kStatArtificial) != 0 || f.lower[j] == f.upper[j]) return false;
    double d = p.reduced[j];
    if ((st & kStatAtUpper) != 0)
        d = -d;
    else if ((st & kStatHeld) != 0)
        d = std::fabs(d);
    if (!(d > 0.0)) return false;
    if (devex) d /= p.weight[j];
    if (std::isnan(d)) return false;
    *price = d;
    return true;
}

void PriceTreeEnable(LpContext* ctx, bool on) {
    PricingState& p = ctx->phases.pricing;
    if (p.price_tree == nullptr) {
        if (!on) return;
        p.price_tree = static_cast<PriceTree*>(ctx_alloc(ctx, sizeof(PriceTree), TYM_ALLOC_LONG_ZERO));
        if (p.price_tree == nullptr) return;
    }
    p.price_tree->enabled = on ? 1 : 0;
    p.price_tree->valid = 0;
}

void PriceTreeInvalidate(LpContext* ctx) {
    PriceTree* t = tree_of(ctx);
    if (t != nullptr) t->valid = 0;
}

void PriceTreeExchange(LpContext* ctx, int32_t q, int32_t l) {
    PriceTree* t = tree_of(ctx);
    if (t == nullptr || t->valid == 0) return;
    const int32_t leaf_q = t->leaf_of[q];
    if (leaf_q < 0 || t->leaf_of[l] >= 0 || t->next_leaf >= t->leaves) {
        t->valid = 0;
        return;
    }
    t->leaf_of[q] = -1;
    set_leaf(ctx, *t, leaf_q, -1);
    pull_up(*t, leaf_q);
    const int32_t leaf_l = t->next_leaf++;
    t->leaf_of[l] = leaf_l;
    set_leaf(ctx, *t, leaf_l, l);
    pull_up(*t, leaf_l);
}

void PriceTreeRefresh(LpContext* ctx, int32_t j) {
    PriceTree* t = tree_of(ctx);
    if (t == nullptr || t->valid == 0) return;
    const int32_t leaf = t->leaf_of[j];
    if (leaf < 0) return;
    set_leaf(ctx, *t, leaf, j);
    pull_up(*t, leaf);
}

void PriceTreeRefreshMany(LpContext* ctx, const int32_t* columns, int32_t count) {
    PriceTree* t = tree_of(ctx);
    if (t == nullptr) return;
    // Past this share of the nonbasic columns a pass over all of them costs
    // less than refreshing each: the tree is dropped and the choice scans.
    if (count > (ctx->model.columns - ctx->model.rows) / kDenseRefreshShare) {
        t->valid = 0;
        t->dense = 1;
        return;
    }
    if (t->valid == 0) return;
    for (int32_t k = 0; k < count; ++k) PriceTreeRefresh(ctx, columns[k]);
}

bool PriceTreeChoose(LpContext* ctx, double* price, int32_t* column, int32_t* header_pos) {
    PriceTree* t = tree_of(ctx);
    if (t == nullptr || t->enabled == 0) return false;
    if (t->valid != 0 && (t->devex != 0) != devex_weighted(ctx)) t->valid = 0;
    // After a dense exchange the pass is cheaper than a rebuild that the
    // next dense one would throw away; the tree returns after a sparse one.
    if (t->valid == 0 && t->dense != 0) {
        t->dense = 0;
        return false;
    }
    if (t->valid == 0 && !rebuild(ctx, *t)) return false;
    const int32_t leaf = t->best[1];
    *column = -1;
    if (leaf < 0) return true;
    const int32_t j = t->column_at[leaf];
    const int32_t h = ctx->model.rows + rank_of(*t, leaf);
    // The header is the reference: a tree that lost step with it scans.
    if (h >= ctx->model.columns || ctx->form.header[h] != j) {
        t->valid = 0;
        return false;
    }
    *price = t->value[leaf];
    *column = j;
    *header_pos = h;
    return true;
}

}  // namespace tymlp
