// dual_leaving_heap.cpp -- the primal-infeasible rows of the dual path, kept
// in a max-heap on their steepest-edge scores.
//
// An iteration changes the basic values only where the entering column's
// transform and the flipped columns' transform are nonzero, and the weights
// only where the entering column's transform is: so the scores change at
// those positions alone.  Each of them is re-scored and moved in the heap,
// and the leaving row is the heap's top, at a cost that follows the
// nonzeros the iteration touched rather than the number of rows.  Ties go to
// the lowest basis position, the choice a scan of every row makes.
#include "dual/dual_internal.h"

namespace tymlp {
namespace {

// The score of basis position i: squared bound violation over the weight,
// 0 when the value is within the tolerance or the column is held.
double position_score(const LpContext* ctx, int32_t i, double tol) {
    const ComputationalForm& f = ctx->form;
    const int32_t j = f.header[i];
    if ((f.status[j] & kStatHeld) != 0) return 0.0;
    const double x = f.value[j];
    double v = 0.0;
    if (x < f.lower[j] - tol)
        v = f.lower[j] - x;
    else if (x > f.upper[j] + tol)
        v = x - f.upper[j];
    else
        return 0.0;
    return v * v / ctx->dual.weight[i];
}

// Whether position a goes before position b.
bool before(const DualPathState& ds, int32_t a, int32_t b) {
    return ds.score[a] > ds.score[b] || (ds.score[a] == ds.score[b] && a < b);
}

void place(DualPathState& ds, int32_t at, int32_t i) {
    ds.heap[at] = i;
    ds.heap_at[i] = at;
}

void sift_up(DualPathState& ds, int32_t at) {
    const int32_t i = ds.heap[at];
    while (at > 0) {
        const int32_t parent = (at - 1) / 2;
        if (!before(ds, i, ds.heap[parent])) break;
        place(ds, at, ds.heap[parent]);
        at = parent;
    }
    place(ds, at, i);
}

void sift_down(DualPathState& ds, int32_t at) {
    const int32_t i = ds.heap[at];
    for (;;) {
        int32_t child = 2 * at + 1;
        if (child >= ds.heap_size) break;
        if (child + 1 < ds.heap_size && before(ds, ds.heap[child + 1], ds.heap[child])) child += 1;
        if (!before(ds, ds.heap[child], i)) break;
        place(ds, at, ds.heap[child]);
        at = child;
    }
    place(ds, at, i);
}

void remove_at(DualPathState& ds, int32_t at) {
    const int32_t gone = ds.heap[at];
    ds.heap_at[gone] = -1;
    ds.heap_size -= 1;
    if (at == ds.heap_size) return;
    const int32_t moved = ds.heap[ds.heap_size];
    place(ds, at, moved);
    sift_up(ds, at);
    sift_down(ds, ds.heap_at[moved]);
}

void rebuild(LpContext* ctx) {
    DualPathState& ds = ctx->dual;
    const int32_t m = ctx->model.rows;
    const double tol = DualPrimalTolerance(ctx);
    ds.heap_size = 0;
    for (int32_t i = 0; i < m; ++i) {
        ds.score[i] = position_score(ctx, i, tol);
        ds.heap_at[i] = -1;
        if (ds.score[i] > 0.0) place(ds, ds.heap_size++, i);
    }
    for (int32_t at = ds.heap_size / 2 - 1; at >= 0; --at) sift_down(ds, at);
    ds.heap_valid = 1;
}

}  // namespace

void LeavingHeapInvalidate(LpContext* ctx) { ctx->dual.heap_valid = 0; }

void LeavingHeapTouch(LpContext* ctx, int32_t i) {
    DualPathState& ds = ctx->dual;
    if (ds.heap_valid == 0) return;  // the next choice rebuilds it anyway
    const double s = position_score(ctx, i, DualPrimalTolerance(ctx));
    const int32_t at = ds.heap_at[i];
    ds.score[i] = s;
    if (s > 0.0) {
        if (at < 0) {
            place(ds, ds.heap_size++, i);
            sift_up(ds, ds.heap_size - 1);
        } else {
            sift_up(ds, at);
            sift_down(ds, ds.heap_at[i]);
        }
    } else if (at >= 0) {
        remove_at(ds, at);
    }
}

int32_t LeavingHeapTop(LpContext* ctx) {
    DualPathState& ds = ctx->dual;
    if (ds.heap_valid == 0) rebuild(ctx);
    return ds.heap_size > 0 ? ds.heap[0] : -1;
}

}  // namespace tymlp
