// reliability_branching.cpp -- pseudocost branching with strong branching
// for the variables whose pseudocosts are not yet reliable.
#include "integer/reliability_branching.h"

#include <algorithm>
#include <cmath>

#include "base/context_memory.h"
#include "integer/bb_internal.h"
#include "integer/branch_bound.h"
#include "integer/budgeted_dual.h"
#include "integer/node_records.h"
#include "integer/node_store.h"
#include "simplex/phases.h"

namespace tymlp {
namespace {

// Dual iterations per child: enough to see where the objective goes, far
// fewer than solving it.
constexpr int32_t kStrongIterations = 12;
// Unreliable candidates measured at one node, best pseudocost scores first.
constexpr int32_t kStrongCandidates = 8;
// A loss below this counts as this in the product, so that a variable with
// one free child is still ranked by its other.
constexpr double kSmallestLoss = 1e-6;

double score(double down_loss, double up_loss) {
    return std::max(down_loss, kSmallestLoss) * std::max(up_loss, kSmallestLoss);
}

double estimated_score(const IntegerVariable* v, double down) {
    return score(down * v->down_pseudocost, (1.0 - down) * v->up_pseudocost);
}

bool reliable(const LpContext* ctx, const IntegerVariable* v) {
    return std::min(v->up_count, v->down_count) >= ctx->options.reliability;
}

// One observed loss per unit into a pseudocost: the average of what was
// observed (the objective's coefficient, the start value, counts for none).
void record_loss(double per_unit, double* cost, int32_t* count) {
    *cost = *count == 0 ? per_unit : (*cost * *count + per_unit) / (*count + 1);
    ++*count;
}

// The loss of one child of v after a few dual iterations, per unit moved.
// A child the dual phase finds infeasible or beyond the cutoff loses
// everything down to the cutoff.  Returns 0, 9 or 25.
int measure_child(LpContext* ctx, ActiveNode* aside, IntegerVariable* v, double x, bool up, double parent_z,
                  double* loss, int64_t* used) {
    ComputationalForm& f = ctx->form;
    const int32_t j = v->column;
    if (up)
        f.lower[j] = std::ceil(x);
    else
        f.upper[j] = std::floor(x);
    const int code = resolve_within_budget(ctx, kStrongIterations, used);
    if (code == kStopMemory || code == kRunIo) return code;
    const double cutoff_gap = std::fabs(ctx->bb.cutoff) < ctx->options.infinity ? parent_z - ctx->bb.cutoff : 0.0;
    if (code == kStopDualUnbounded || code == kStopCutoff)
        *loss = std::max(cutoff_gap, std::max(parent_z - current_z(ctx), 1.0));
    else
        *loss = std::max(parent_z - current_z(ctx), 0.0);
    ctx->bb.parent_basis_in_memory = 0;
    return restore_node(ctx, aside);
}

}  // namespace

int prepare_reliability(LpContext* ctx) {
    BbState& bb = ctx->bb;
    if (bb.reliable_candidates != nullptr) return 0;
    const int32_t count = ctx->model.integer_count > 0 ? ctx->model.integer_count : 1;
    bb.reliable_candidates = ctx_alloc_array<IntegerVariable*>(ctx, count);
    bb.reliable_down = ctx_alloc_array<double>(ctx, count);
    return bb.reliable_candidates != nullptr && bb.reliable_down != nullptr ? 0 : kRunMemory;
}

void clear_reliable_candidates(LpContext* ctx) { ctx->bb.reliable_count = 0; }

void add_reliable_candidate(LpContext* ctx, IntegerVariable* v, double down) {
    BbState& bb = ctx->bb;
    if (bb.reliable_candidates == nullptr || bb.reliable_count >= ctx->model.integer_count) return;
    bb.reliable_candidates[bb.reliable_count] = v;
    bb.reliable_down[bb.reliable_count] = down;
    ++bb.reliable_count;
}

int choose_reliable_variable(LpContext* ctx, IntegerVariable** chosen) {
    BbState& bb = ctx->bb;
    const ComputationalForm& f = ctx->form;
    *chosen = nullptr;
    // BINFST: only the binary candidates compete when there are any.
    bool binary_only = false;
    if (ctx->options.binfst != 0)
        for (int32_t k = 0; k < bb.reliable_count && !binary_only; ++k)
            binary_only = (bb.reliable_candidates[k]->flags & kIntegerBinary) != 0;
    auto competes = [&](int32_t k) { return !binary_only || (bb.reliable_candidates[k]->flags & kIntegerBinary) != 0; };
    // The unreliable candidates with the best estimated scores are measured.
    int32_t measured[kStrongCandidates];
    int32_t measured_count = 0;
    for (int32_t k = 0; k < bb.reliable_count; ++k) {
        if (!competes(k) || reliable(ctx, bb.reliable_candidates[k])) continue;
        const double s = estimated_score(bb.reliable_candidates[k], bb.reliable_down[k]);
        if (measured_count < kStrongCandidates) {
            measured[measured_count++] = k;
        } else {
            int32_t worst = 0;
            for (int32_t t = 1; t < measured_count; ++t)
                if (estimated_score(bb.reliable_candidates[measured[t]], bb.reliable_down[measured[t]]) <
                    estimated_score(bb.reliable_candidates[measured[worst]], bb.reliable_down[measured[worst]]))
                    worst = t;
            if (s > estimated_score(bb.reliable_candidates[measured[worst]], bb.reliable_down[measured[worst]]))
                measured[worst] = k;
        }
    }
    if (measured_count > 0) {
        int rc = 0;
        ActiveNode* aside = save_state_aside(ctx, &rc);
        if (rc != 0) return rc;
        const double parent_z = current_z(ctx);
        int64_t used = 0;
        for (int32_t t = 0; t < measured_count && rc == 0; ++t) {
            IntegerVariable* v = bb.reliable_candidates[measured[t]];
            const double down = bb.reliable_down[measured[t]];
            const double x = f.value[v->column];
            double down_loss = 0.0, up_loss = 0.0;
            rc = measure_child(ctx, aside, v, x, false, parent_z, &down_loss, &used);
            if (rc == 0) rc = measure_child(ctx, aside, v, x, true, parent_z, &up_loss, &used);
            if (rc != 0) break;
            record_loss(down_loss / down, &v->down_pseudocost, &v->down_count);
            record_loss(up_loss / (1.0 - down), &v->up_pseudocost, &v->up_count);
            ++ctx->heuristics.strong_branchings;
        }
        ctx->heuristics.strong_iterations += used;
        release_node(ctx, aside);
        if (rc != 0) return rc;
    }
    double best = -1.0;
    for (int32_t k = 0; k < bb.reliable_count; ++k) {
        if (!competes(k)) continue;
        const double s = estimated_score(bb.reliable_candidates[k], bb.reliable_down[k]);
        if (*chosen == nullptr || s > best) {
            best = s;
            *chosen = bb.reliable_candidates[k];
        }
    }
    return 0;
}

}  // namespace tymlp
