// ratio_dual.cpp -- the leaving row and the entering column of the dual
// simplex.
//
// The dual ratio test walks the breakpoints of the dual objective along the
// pivot row in ascending order.  Passing a breakpoint flips that column to
// its other bound, which costs part of the leaving column's infeasibility;
// as long as infeasibility is left, going further improves the dual
// objective more.  The list is kept short by pruning every breakpoint beyond
// the point where the flips would certainly use up the infeasibility.
#include <cmath>
#include <cstring>

#include "base/context_memory.h"
#include "factor/factor_entries.h"
#include "simplex/pivot_history.h"
#include "simplex/pricing.h"
#include "simplex/ratio_tests.h"
#include "simplex/work_store.h"

namespace tymlp {
namespace {

constexpr int32_t kPruneEvery = 10;

struct BreakpointList {
    DualBreakpoint* first = nullptr;
    DualBreakpoint* last = nullptr;
};

bool finite(const LpContext* ctx, double bound) { return std::fabs(bound) < ctx->options.infinity; }

double range_of(const LpContext* ctx, int32_t j) {
    const ComputationalForm& f = ctx->form;
    if (!finite(ctx, f.lower[j]) || !finite(ctx, f.upper[j])) return ctx->options.infinity;
    return f.upper[j] - f.lower[j];
}

DualBreakpoint* new_breakpoint(LpContext* ctx) {
    RatioState& rs = ctx->phases.ratio;
    DualBreakpoint* b = rs.free_list;
    if (b != nullptr) {
        rs.free_list = b->next;
        std::memset(b, 0, sizeof *b);
        return b;
    }
    return static_cast<DualBreakpoint*>(ctx_alloc(ctx, sizeof(DualBreakpoint), TYM_ALLOC_LONG_ZERO));
}

void recycle(LpContext* ctx, DualBreakpoint* b) {
    b->next = ctx->phases.ratio.free_list;
    b->prev = nullptr;
    ctx->phases.ratio.free_list = b;
}

// Inserts in ascending ratio order; equal ratios go after the existing ones.
void insert(BreakpointList& list, DualBreakpoint* b) {
    DualBreakpoint* after = list.last;
    while (after != nullptr && after->ratio > b->ratio) after = after->prev;
    b->prev = after;
    b->next = after != nullptr ? after->next : list.first;
    if (b->next != nullptr)
        b->next->prev = b;
    else
        list.last = b;
    if (after != nullptr)
        after->next = b;
    else
        list.first = b;
}

// Drops every breakpoint beyond the one at which the accumulated slope
// passes the infeasibility g; returns the new cut.
double prune(LpContext* ctx, BreakpointList& list, double g, double cut) {
    const double inf = ctx->options.infinity;
    double slope = 0.0;
    for (DualBreakpoint* b = list.first; b != nullptr; b = b->next) {
        const double range = range_of(ctx, b->column);
        slope = range >= inf ? inf : slope + range * b->alpha;
        if (slope <= g) continue;
        const double new_cut = ctx->solver.delta / b->alpha + b->ratio;
        DualBreakpoint* drop = b->next;
        while (drop != nullptr && drop->ratio <= b->ratio) drop = drop->next;
        if (drop != nullptr) {
            list.last = drop->prev;
            list.last->next = nullptr;
            while (drop != nullptr) {
                DualBreakpoint* next = drop->next;
                recycle(ctx, drop);
                drop = next;
            }
        }
        return new_cut < cut ? new_cut : cut;
    }
    return cut;
}

void release_list(LpContext* ctx, BreakpointList& list) {
    DualBreakpoint* b = list.first;
    while (b != nullptr) {
        DualBreakpoint* next = b->next;
        recycle(ctx, b);
        b = next;
    }
    list.first = list.last = nullptr;
}

// alpha_j = rho'a_j for every nonbasic, non-artificial column into the
// pivot row (and the touched list), rho already in `rho`.
int dense_pivot_row(LpContext* ctx, const double* rho) {
    PricingState& p = ctx->phases.pricing;
    const ComputationalForm& f = ctx->form;
    const int32_t m = ctx->model.rows;
    const int32_t n = ctx->model.columns;
    for (int32_t k = 0; k < p.touched_count; ++k) p.pivot_row[p.touched[k]] = 0.0;
    p.touched_count = 0;
    for (int32_t h = m; h < n; ++h) {
        const int32_t j = f.header[h];
        if ((f.status[j] & kStatArtificial) != 0) continue;
        const double* values = nullptr;
        const int32_t* rows = nullptr;
        int32_t count = 0;
        const int rc = FetchColumn(ctx, j, &values, &rows, &count);
        if (rc != 0) return rc;
        double s = 0.0;
        for (int32_t k = 0; k < count; ++k) s += rho[rows[k]] * values[k];
        if (s == 0.0) continue;
        p.pivot_row[j] = s;
        p.touched[p.touched_count++] = j;
    }
    return 0;
}

// Whether moving column j (pivot-row entry alpha) can repair the leaving
// column's infeasibility in the right direction.
bool eligible(const LpContext* ctx, int32_t j, double alpha, bool leaving_above) {
    const uint8_t st = ctx->form.status[j];
    if ((st & kStatHeld) != 0) return true;
    const bool at_upper = (st & kStatAtUpper) != 0;
    if (leaving_above) return (alpha > 0.0 && !at_upper) || (alpha <= 0.0 && at_upper);
    return (alpha <= 0.0 && !at_upper) || (alpha > 0.0 && at_upper);
}

void set_bit(uint8_t& st, uint8_t bit, bool on) { st = static_cast<uint8_t>(on ? (st | bit) : (st & ~bit)); }

}  // namespace

double DualLeaving(LpContext* ctx) {
    const ComputationalForm& f = ctx->form;
    SolverState& sv = ctx->solver;
    const int32_t m = ctx->model.rows;
    const bool history_empty = ctx->model.pivot_history_count == 0;
    double best = ctx->options.epsilon;
    double found = 0.0;
    for (int32_t i = 0; i < m; ++i) {
        const int32_t j = f.header[i];
        if ((f.status[j] & kStatHeld) != 0) continue;
        const double v = std::fmax(f.lower[j] - f.value[j], f.value[j] - f.upper[j]);
        if (v <= best) continue;
        if (history_empty && sv.leave_ban_count > 0 && IsLeaveBanned(ctx, j)) continue;
        best = v;
        found = v;
        sv.leaving = j;
        sv.leaving_pos = i;
    }
    return found;
}

int DualRatio(LpContext* ctx, bool allow_flips) {
    ComputationalForm& f = ctx->form;
    SolverState& sv = ctx->solver;
    PricingState& p = ctx->phases.pricing;
    RatioState& rs = ctx->phases.ratio;
    const LpOptions& o = ctx->options;
    const int32_t m = ctx->model.rows;
    const int32_t n = ctx->model.columns;
    const double inf = o.infinity;
    const int32_t r = sv.leaving_pos;
    const int32_t l = sv.leaving;

    // Row r of B^-1 and the pivot row.
    if (p.stored_active != 0 && p.copy_built != 0) {
        SparsePivotRow(ctx, r);
    } else {
        ClearWorkVector(ctx);
        f.work[r] = 1.0;
        ctx->entries.factor->btran(ctx->inverse, f.work);
        const int rc = dense_pivot_row(ctx, f.work);
        if (rc != 0) return rc;
    }

    const bool below = f.value[l] < f.lower[l];
    double g = below ? f.lower[l] - f.value[l] : f.value[l] - f.upper[l];
    const bool leaving_above = !below;
    const double delta = sv.delta;

    BreakpointList list;
    double theta_d = inf;
    double cut = inf;
    int32_t inserted = 0;
    for (int32_t k = 0; k < p.touched_count; ++k) {
        const int32_t j = p.touched[k];
        const uint8_t st = f.status[j];
        if ((st & (kStatArtificial | kStatBasic)) != 0) continue;
        const double alpha = p.pivot_row[j];
        const double mag = std::fabs(alpha);
        if (mag < o.repsilon || !eligible(ctx, j, alpha, leaving_above)) continue;
        const double d = p.reduced[j];
        const double ratio = std::fabs(d / alpha);
        const double relaxed = (std::fabs(d) + delta) / mag;
        if (relaxed < theta_d) theta_d = relaxed;
        if (ratio > cut) continue;
        DualBreakpoint* b = new_breakpoint(ctx);
        if (b == nullptr) {
            release_list(ctx, list);
            return kRunMemory;
        }
        b->ratio = ratio > 0.0 ? ratio : 0.0;
        b->alpha = mag;
        b->column = j;
        insert(list, b);
        if (++inserted % kPruneEvery == 0) cut = prune(ctx, list, g, cut);
    }
    if (theta_d >= inf || list.first == nullptr) {
        release_list(ctx, list);
        return kRatioDualUnbounded;
    }

    // Walk the breakpoints, flipping while infeasibility is left.
    DualBreakpoint* reached = list.first;
    if (!allow_flips) {
        theta_d = list.first->ratio + delta;
    } else {
        while (reached->next != nullptr) {
            const int32_t j = reached->column;
            const double range = range_of(ctx, j);
            if (range >= inf) break;
            g -= range * reached->alpha;
            if (g < delta) break;
            f.status[j] = static_cast<uint8_t>(f.status[j] ^ kStatAtUpper);
            reached = reached->next;
        }
        if (reached != list.first) {
            theta_d = inf;
            for (DualBreakpoint* b = reached; b != nullptr; b = b->next)
                theta_d = std::fmin(theta_d, b->ratio + delta / b->alpha);
        }
    }

    // The largest pivot among the breakpoints within theta_d.
    DualBreakpoint* best = reached;
    for (DualBreakpoint* b = reached->next; b != nullptr; b = b->next)
        if (b->ratio <= theta_d && b->alpha > best->alpha) best = b;
    const int32_t q = best->column;
    const double ratio_q = best->ratio;
    release_list(ctx, list);

    sv.entering = q;
    int32_t hq = -1;
    for (int32_t h = m; h < n; ++h)
        if (f.header[h] == q) {
            hq = h;
            break;
        }
    sv.entering_pos = hq;
    const double alpha_q = p.pivot_row[q];
    rs.pivot = alpha_q;
    p.price = p.reduced[q];
    sv.delta += DeltaIncrement();
    const double increment_step = DeltaIncrement() / std::fabs(alpha_q);
    const double t = increment_step > ratio_q ? increment_step : ratio_q;
    rs.dual_step = below ? t : -t;
    set_bit(f.status[l], kStatAtUpper, !below);
    set_bit(f.status[q], kStatAtUpper, false);
    return kRatioExchange;
}

}  // namespace tymlp
