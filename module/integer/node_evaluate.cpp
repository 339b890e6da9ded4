// node_evaluate.cpp -- what the LP solution of a node means: a branch on a
// special ordered set, a branch on a fractional integer variable, or a new
// incumbent.
#include <cmath>
#include <cstring>

#include "base/host_link.h"
#include "input/sos_sets.h"
#include "integer/adopt_incumbent.h"
#include "integer/bb_internal.h"
#include "integer/branching.h"
#include "integer/incumbent_check.h"
#include "integer/node_records.h"
#include "integer/node_select.h"
#include "integer/node_store.h"
#include "integer/reduced_cost_fixing.h"
#include "integer/reliability_branching.h"

namespace tymlp {
namespace {

constexpr int kEvaluateBranched = 0;
constexpr int kEvaluateInfeasible = 6;
constexpr int kEvaluateIncumbent = 15;
constexpr int kEvaluateFathomed = 17;

// What a branch changes: an integer variable's bound, or a set's members.
struct Branch {
    IntegerVariable* variable;  // integer branch: the variable
    SosSet* set;                // set branch: the set and its branching member
    int32_t member;
    int32_t column;
    double x;  // the column's value
};

// Special ordered sets, in set order, until one needs a branch: two or more
// members away from their reference value, or an equality set with none.
// Returns true when a set yields a branch, and *infeasible when the set can
// no longer be satisfied.
bool sos_branch(LpContext* ctx, Branch* branch, bool* infeasible) {
    const ComputationalForm& f = ctx->form;
    const double ieps = ctx->options.iepsilon;
    const double eps = ctx->options.epsilon;
    *infeasible = false;
    for (SosSet* s = ctx->model.sos_sets; s != nullptr; s = s->next) {
        int32_t away = 0;
        for (int32_t k = 0; k < s->count; ++k)
            if (std::fabs(f.value[s->members[k]] - s->reference[k]) > ieps) ++away;
        int32_t member = -1;
        if (away >= 2) {
            for (int32_t k = 0; k < s->count && member < 0; ++k) {
                const int32_t j = s->members[k];
                if (f.value[j] - s->reference[k] > ieps && std::fabs(f.lower[j] - s->reference[k]) <= eps) member = k;
            }
        } else if (away == 0 && s->equality != 0) {
            for (int32_t k = 0; k < s->count && member < 0; ++k)
                if (f.upper[s->members[k]] > f.lower[s->members[k]]) member = k;
        } else {
            continue;
        }
        if (member < 0) {
            *infeasible = true;
            return false;
        }
        *branch = Branch{nullptr, s, member, s->members[member], f.value[s->members[member]]};
        return true;
    }
    return false;
}

// A node's error key: how far the estimate falls short of the incumbent,
// relative to how far the bound exceeds it.
double error_key(const LpContext* ctx, double bound, double estimate) {
    const double incumbent = ctx->bb.incumbent != nullptr ? ctx->bb.incumbent->bound : 0.0;
    if (bound == incumbent) return incumbent;
    return (incumbent - estimate) / (bound - incumbent);
}

// The bounds a child changes, applied to the bound vectors.
void apply_child_bounds(LpContext* ctx, const Branch& b, bool up) {
    ComputationalForm& f = ctx->form;
    if (b.variable != nullptr) {
        if (up)
            f.lower[b.column] = std::ceil(b.x);
        else
            f.upper[b.column] = std::floor(b.x);
        return;
    }
    // Set branch: the "down" child holds the member at its lower bound, the
    // "up" child holds every other member there (and in an equality set
    // lifts the member off it).
    const SosSet& s = *b.set;
    if (!up) {
        f.upper[b.column] = f.lower[b.column];
        return;
    }
    for (int32_t k = 0; k < s.count; ++k)
        if (k != b.member) f.upper[s.members[k]] = f.lower[s.members[k]];
    if (s.equality != 0) f.lower[b.column] += 1.0;
}

// Whether a child can have a solution at all.  A fractional bound of an
// integer column can leave no integer inside the child's bounds.  The set
// branch's "up" child holds every other member at its reference value,
// which a member whose lower bound has been lifted off it (an equality
// set's branch did that) cannot reach: that child would be its parent again.
bool child_possible(const LpContext* ctx, const Branch& b, bool up) {
    const ComputationalForm& f = ctx->form;
    const double eps = ctx->options.epsilon;
    if (f.lower[b.column] > f.upper[b.column] + eps) return false;
    if (b.set == nullptr || !up) return true;
    for (int32_t k = 0; k < b.set->count; ++k)
        if (k != b.member && f.lower[b.set->members[k]] > b.set->reference[k] + eps) return false;
    return true;
}

// The bounds the branch may change, kept to be put back.
struct SavedBounds {
    double lower;
    double upper;
    double* set_bounds;  // set branch: lower and upper of every member
};

void save_bounds(LpContext* ctx, const Branch& b, SavedBounds* saved) {
    const ComputationalForm& f = ctx->form;
    saved->lower = f.lower[b.column];
    saved->upper = f.upper[b.column];
    if (b.set == nullptr) return;
    for (int32_t k = 0; k < b.set->count; ++k) {
        saved->set_bounds[2 * k] = f.lower[b.set->members[k]];
        saved->set_bounds[2 * k + 1] = f.upper[b.set->members[k]];
    }
}

void put_back_bounds(LpContext* ctx, const Branch& b, const SavedBounds& saved) {
    ComputationalForm& f = ctx->form;
    if (b.set != nullptr) {
        for (int32_t k = 0; k < b.set->count; ++k) {
            f.lower[b.set->members[k]] = saved.set_bounds[2 * k];
            f.upper[b.set->members[k]] = saved.set_bounds[2 * k + 1];
        }
    }
    f.lower[b.column] = saved.lower;
    f.upper[b.column] = saved.upper;
}

// One child: allocated, keyed, added to the active store and saved.
int create_child(LpContext* ctx, const Branch& b, bool up, double bound, double z) {
    BbState& bb = ctx->bb;
    ActiveNode* child = allocate_node(ctx);
    child->branch_variable = b.variable;
    if (b.variable != nullptr) {
        const double frac = b.x - std::floor(b.x);
        child->change = up ? 1.0 - frac : frac;
    }
    child->parent_z = z;
    child->bound = bound;
    child->estimate = bound - bb.estimate_sum;
    child->projection = bound - bb.projection_weight * bb.infeasibility_sum;
    child->error = error_key(ctx, bound, child->estimate);
    child->infeasibility = bb.infeasibility_sum;
    child->stamp = up ? -bb.iteration : bb.iteration;
    int rc = add_node(ctx, child);
    if (rc == 0) rc = save_node(ctx, child);
    return rc;
}

// Step 4 of the evaluation: the children of the branch, each created only
// when its bound beats the cutoff.
int branch_on(LpContext* ctx, const Branch& b, const Penalties& p, double z) {
    BbState& bb = ctx->bb;
    ActiveNode* node = bb.current;
    if (b.variable != nullptr) update_pseudocost(ctx, node, z);
    if (bb.target < bb.cutoff) bb.target = bb.cutoff;
    bb.branch_column = b.column;
    if (!beats_cutoff(ctx, round_node_value(ctx, z - p.combined))) {
        release_node(ctx, node);
        bb.current = nullptr;
        return kEvaluateFathomed;
    }
    double set_bounds[2 * 64];
    SavedBounds saved{0.0, 0.0, set_bounds};
    double* room = nullptr;
    if (b.set != nullptr && b.set->count > 64) {
        room = static_cast<double*>(host_alloc(static_cast<size_t>(2 * b.set->count) * sizeof(double), TYM_ALLOC_STEP));
        if (room == nullptr) return kRunMemory;
        saved.set_bounds = room;
    }
    save_bounds(ctx, b, &saved);
    const bool up_first = up_child_first(ctx->options.lifotype, p.down, p.up);
    int created = 0;
    int rc = 0;
    for (int turn = 0; turn < 2 && rc == 0; ++turn) {
        const bool up = turn == 0 ? up_first : !up_first;
        const double bound = round_node_value(ctx, z - (up ? p.up : p.down));
        if (!beats_cutoff(ctx, bound)) continue;
        put_back_bounds(ctx, b, saved);
        apply_child_bounds(ctx, b, up);
        if (!child_possible(ctx, b, up)) continue;
        rc = create_child(ctx, b, up, bound, z);
        ++created;
    }
    put_back_bounds(ctx, b, saved);
    if (room != nullptr) host_release(room);
    if (rc != 0) return rc;
    release_node(ctx, node);
    bb.current = nullptr;
    bb.parent_basis_in_memory = created > 0 ? 1 : 0;
    return created > 0 ? kEvaluateBranched : kEvaluateFathomed;
}

// A new incumbent: the pruned store, the new target and projection weight,
// and the reduced-cost fixings it allows.
int accept_incumbent(LpContext* ctx, double z) {
    BbState& bb = ctx->bb;
    ActiveNode* node = bb.current;
    bb.branch_column = -1;
    if (bb.incumbent != nullptr && bb.incumbent != node) release_node(ctx, bb.incumbent);
    bb.incumbent = node;
    node->bound = z;
    node->infeasibility = bb.infeasibility_sum;
    bb.cutoff = z;
    const int rc = save_node(ctx, node);
    if (rc != 0) return rc;
    const int settled = settle_new_incumbent(ctx);
    return settled != 0 ? settled : kEvaluateIncumbent;
}

}  // namespace

int settle_new_incumbent(LpContext* ctx) {
    BbState& bb = ctx->bb;
    const ActiveNode* node = bb.incumbent;
    ++bb.feasible_count;
    ++bb.ifeasible_count;
    bb.deltait_counter = 0;
    update_target(ctx);
    int rc = 0;
    const ActiveNode* root = bb.root;
    if (root != nullptr && root->infeasibility > ctx->options.epsilon) {
        const double w = (root->bound - node->bound) / root->infeasibility;
        const double raise = bb.projection_weight - w;
        for (ActiveNode* n = bb.oldest; n != nullptr; n = n->creation[1]) n->projection += raise * n->infeasibility;
        bb.projection_weight = w;
        rc = rebuild_projection_list(ctx);
        if (rc != 0) return rc;
    }
    for (ActiveNode* n = bb.lists[kListByBound].low; n != nullptr && !beats_cutoff(ctx, n->bound);
         n = bb.lists[kListByBound].low)
        discard_node(ctx, n);
    record_fixings(ctx);
    return 0;
}

void set_condition(LpContext* ctx, const char* text) {
    char* c = ctx->bb.condition;
    std::memset(c, ' ', sizeof ctx->bb.condition);
    const size_t n = std::strlen(text);
    std::memcpy(c, text, n < sizeof ctx->bb.condition ? n : sizeof ctx->bb.condition);
}

int evaluate_node(LpContext* ctx) {
    BbState& bb = ctx->bb;
    const ComputationalForm& f = ctx->form;
    const double z = current_z(ctx);
    bb.infeasibility_sum = 0.0;
    bb.estimate_sum = 0.0;

    Branch branch{};
    bool infeasible = false;
    if (ctx->model.sos_count > 0 && sos_branch(ctx, &branch, &infeasible))
        return branch_on(ctx, branch, Penalties{0.0, 0.0, 0.0}, z);
    if (infeasible) {
        release_node(ctx, bb.current);
        bb.current = nullptr;
        return kEvaluateInfeasible;
    }

    int rc = prepare_penalties(ctx);
    if (rc == 0 && ctx->options.varselect == kVarReliable) rc = prepare_reliability(ctx);
    if (rc != 0) return rc;
    const double ieps = ctx->options.iepsilon;
    VariableChoice choice;
    start_choice(ctx, &choice);
    for (IntegerVariable* v = bb.variables; v != nullptr && !choice.stop; v = v->next) {
        const double x = f.value[v->column];
        const double down = x - std::floor(x);
        const double up = std::ceil(x) - x;
        const double m = std::fmin(down, up);
        if (m <= ieps) continue;
        bb.infeasibility_sum += m;
        bb.estimate_sum += std::fmin(up * v->up_pseudocost, down * v->down_pseudocost);
        rc = offer_variable(ctx, &choice, v, down, up);
        if (rc != 0) return rc;
    }

    if (bb.infeasibility_sum <= ctx->options.epsilon) {
        if (!incumbent_holds(ctx)) {
            // Not an integer solution the user could be given, but its
            // subtree is not searched either: the end of the search must
            // know that this bound was never beaten by a checked one.
            if (bb.unverified_count == 0 || z > bb.unverified_bound) bb.unverified_bound = z;
            ++bb.unverified_count;
            // The point with its integer columns fixed at the rounded values
            // may hold: then it is an integer solution, and its value all
            // but closes the node's bound.
            Adoption adoption = Adoption::kFailed;
            rc = adopt_rounded_point(ctx, &adoption);
            if (rc != 0) return rc;
            release_node(ctx, bb.current);
            bb.current = nullptr;
            return kEvaluateFathomed;
        }
        return accept_incumbent(ctx, z);
    }

    Penalties p{};
    bool have_penalties = false;
    IntegerVariable* v = chosen_variable(&choice, &p, &have_penalties);
    if (ctx->options.varselect == kVarReliable) {
        IntegerVariable* measured = nullptr;
        if ((rc = choose_reliable_variable(ctx, &measured)) != 0) return rc;
        if (measured != nullptr) v = measured;
    }
    if (!have_penalties) {
        rc = compute_penalties(ctx, v->column, &p);
        if (rc != 0) return rc;
    }
    branch = Branch{v, nullptr, -1, v->column, f.value[v->column]};
    return branch_on(ctx, branch, p, z);
}

}  // namespace tymlp
