// branching.cpp -- penalties, pseudocosts, the VARSELECT rules and the
// order of the children.
//
// The penalties look one dual simplex step ahead.  Row r of the tableau
// gives the basic integer column x_j = beta - sum_k alpha_k x_k over the
// nonbasic columns.  Pushing x_j down to floor(x_j) (a fall of f) needs a
// nonbasic column that lowers x_j as it leaves its bound, and the cheapest
// such column costs f * w_k / v_k of the objective (w_k its reduced cost
// against moving, v_k the rate at which it moves x_j); that is a lower
// bound on the down child's loss, because the dual objective only falls
// from there.  The up penalty is the same for a rise of 1 - f.  The
// combined penalty is that of a Gomory cut from the same row: a lower
// bound on the loss of both children at once.
//
// PENSUM adds the larger of the up and down penalties to the combined one.
// On a degenerate relaxation the combined penalty is 0 for most candidates
// and ranks nothing; the larger penalty still tells a variable whose one
// child is expensive from one whose children both cost nothing, and
// branching on the former raises the bound of the search.  Where the
// combined penalty is positive it keeps its say: ranking by the larger
// penalty alone lets the bound stall on problems whose cuts are informative.
#include "integer/branching.h"

#include <cmath>

#include "integer/penalty_rows.h"
#include "integer/reliability_branching.h"
#include "simplex/node_lp.h"
#include "simplex/pricing.h"

namespace tymlp {
namespace {

constexpr double kPseudocostWeightOfNew = 0.05;
constexpr double kPseudocostWeightOfOld = 0.95;

// Where column j sits in the basis (-1: nonbasic).  prepare_penalties
// records every basic column's place once per node; an entry it did not
// write is found out by the header and the header is searched instead.
int32_t basis_position(const LpContext* ctx, int32_t j) {
    const int32_t m = ctx->model.rows;
    const int32_t* header = ctx->form.header;
    const int32_t known = ctx->bb.penalty_rows.position[j];
    if (known >= 0 && known < m && header[known] == j) return known;
    for (int32_t i = 0; i < m; ++i)
        if (header[i] == j) return i;
    return -1;
}

// The rule's score of a fractional variable, its start value and whether a
// score replaces the best so far.
double start_score(const LpContext* ctx, int16_t rule) {
    const double inf = ctx->options.infinity;
    switch (rule) {
        case kVarClose: return 1.0;
        case kVarPenalty:
        case kVarPenaltySum: return -inf;
        case kVarPrior: return inf;
        case kVarPrice: return -inf;
        default: return 0.0;  // FAR, PSEUDOC
    }
}

bool replaces(int16_t rule, double score, double best) {
    switch (rule) {
        case kVarClose: return score <= best;
        case kVarPenalty:
        case kVarPenaltySum: return score > best;
        case kVarPrior: return score <= best;
        default: return score >= best;  // FAR, PSEUDOC, PRICE
    }
}

// PENSUM's score.  An infinite penalty (a child that cannot exist) ranks
// first, as it does under PENALTY.
double penalty_sum(const Penalties& p) { return p.combined + std::fmax(p.down, p.up); }

bool uses_penalties(int16_t rule) { return rule == kVarPenalty || rule == kVarPenaltySum; }

// A nonbasic column with no bound on either side (or held by the phases):
// not tied to one direction.
bool movable_both_ways(const LpContext* ctx, int32_t k) {
    const ComputationalForm& f = ctx->form;
    const double inf = ctx->options.infinity;
    if ((f.status[k] & kStatHeld) != 0) return true;
    return !(f.lower[k] > -inf) && !(f.upper[k] < inf);
}

}  // namespace

int prepare_penalties(LpContext* ctx) {
    const int rc = build_penalty_rows(ctx);
    if (rc != 0) return rc;
    const int32_t* header = ctx->form.header;
    int32_t* position = ctx->bb.penalty_rows.position;
    for (int32_t i = 0; i < ctx->model.rows; ++i) position[header[i]] = i;
    return NodeReducedCosts(ctx, ctx->bb.reduced);
}

int compute_penalties(LpContext* ctx, int32_t j, Penalties* out) {
    const ComputationalForm& f = ctx->form;
    const LpOptions& o = ctx->options;
    const double inf = o.infinity;
    const int32_t r = basis_position(ctx, j);
    if (r < 0) {
        // A nonbasic column at a fractional bound: there is no row to look
        // ahead with, so nothing is known of either child's loss.  0 is the
        // sound bound; an infinite one would drop a child that may hold the
        // optimum.
        *out = Penalties{0.0, 0.0, 0.0};
        return 0;
    }
    *out = Penalties{inf, inf, inf};
    double* rho = ctx->bb.rho;
    BasisInverseRow(ctx, r, rho, false);
    // Only the columns the row reaches can move x_j: the others have alpha 0.
    form_tableau_row(ctx, rho);
    const PenaltyRows& pr = ctx->bb.penalty_rows;

    const double x = f.value[j];
    const double frac = x - std::floor(x);
    const double g = frac - 1.0;
    for (int32_t t = 0; t < pr.touched_count; ++t) {
        const int32_t k = pr.touched[t];
        const uint8_t st = f.status[k];
        if ((st & (kStatBasic | kStatArtificial)) != 0 || f.lower[k] == f.upper[k]) continue;
        const double alpha = pr.alpha[k];
        const double d = ctx->bb.reduced[k];
        if (std::fabs(alpha) > o.repsilon && movable_both_ways(ctx, k)) {
            // A free column moves either way: it serves both children at
            // the price of its reduced cost, and no cut can be derived.
            const double w = std::fabs(d);
            out->down = std::fmin(out->down, frac * w / std::fabs(alpha));
            out->up = std::fmin(out->up, -g * w / std::fabs(alpha));
            out->combined = 0.0;
            continue;
        }
        const bool at_upper = (st & kStatAtUpper) != 0;
        const double v = at_upper ? -alpha : alpha;
        const double w = at_upper ? std::fmax(0.0, d) : std::fmax(0.0, -d);
        const bool integer = (st & kStatInteger) != 0;
        const double phi = v - std::floor(v);
        const double integer_gamma = phi <= frac ? phi / frac : (1.0 - phi) / (1.0 - frac);
        double gamma;
        if (v > o.repsilon) {
            double loss = frac * w / v;
            if (integer) loss = std::fmin(loss, w);
            out->down = std::fmin(out->down, loss);
            gamma = integer ? integer_gamma : v / frac;
        } else if (v < -o.repsilon) {
            double loss = g * w / v;
            if (integer) loss = std::fmin(loss, w);
            out->up = std::fmin(out->up, loss);
            gamma = integer ? integer_gamma : v / g;
        } else {
            continue;
        }
        if (gamma > o.epsilon) out->combined = std::fmin(out->combined, w / gamma);
    }
    clear_tableau_row(ctx);
    return 0;
}

void start_choice(LpContext* ctx, VariableChoice* choice) {
    *choice = VariableChoice{};
    const double start = start_score(ctx, ctx->options.varselect);
    choice->best_score[0] = choice->best_score[1] = start;
    choice->penalties_known = uses_penalties(ctx->options.varselect);
    if (ctx->options.varselect == kVarReliable) clear_reliable_candidates(ctx);
}

int offer_variable(LpContext* ctx, VariableChoice* choice, IntegerVariable* v, double down, double up) {
    const LpOptions& o = ctx->options;
    const int16_t rule = o.varselect;
    if (uses_penalties(rule) && choice->offered >= o.penaltydepth) {
        choice->stop = true;
        return 0;
    }
    ++choice->offered;
    Penalties penalties{};
    double score = 0.0;
    switch (rule) {
        case kVarClose:
        case kVarFar: score = std::fmin(down, up); break;
        case kVarPenalty:
        case kVarPenaltySum: {
            const int rc = compute_penalties(ctx, v->column, &penalties);
            if (rc != 0) return rc;
            score = rule == kVarPenalty ? penalties.combined : penalty_sum(penalties);
            break;
        }
        case kVarPrior: score = v->priority; break;
        case kVarPseudoc: score = std::fmin(up * v->up_pseudocost, down * v->down_pseudocost); break;
        case kVarReliable:
            // The choice is made once every candidate is known
            // (integer/reliability_branching.h).
            add_reliable_candidate(ctx, v, down);
            score = std::fmax(up * v->up_pseudocost, 1e-6) * std::fmax(down * v->down_pseudocost, 1e-6);
            break;
        default: score = v->price; break;
    }
    const int group = o.binfst != 0 && (v->flags & kIntegerBinary) != 0 ? 1 : 0;
    if (choice->best[group] == nullptr || replaces(rule, score, choice->best_score[group])) {
        choice->best[group] = v;
        choice->best_score[group] = score;
        choice->penalties[group] = penalties;
    }
    return 0;
}

IntegerVariable* chosen_variable(const VariableChoice* choice, Penalties* penalties, bool* have_penalties) {
    const int group = choice->best[1] != nullptr ? 1 : 0;
    *penalties = choice->penalties[group];
    *have_penalties = choice->best[group] != nullptr && choice->penalties_known;
    return choice->best[group];
}

void update_pseudocost(LpContext* ctx, const ActiveNode* node, double z) {
    IntegerVariable* v = node->branch_variable;
    if (v == nullptr || !(node->change > 0.0)) return;
    const double loss = std::fmax(node->parent_z - z, 0.0);
    const double per_unit = loss / node->change;
    double& cost = node->stamp >= 0 ? v->down_pseudocost : v->up_pseudocost;
    int32_t& count = node->stamp >= 0 ? v->down_count : v->up_count;
    if (ctx->options.varselect == kVarReliable) {
        // Reliability rests on how many losses a pseudocost has seen, so
        // it is their average (the objective's coefficient it starts from
        // counts for none).
        cost = count == 0 ? per_unit : (cost * count + per_unit) / (count + 1);
    } else {
        cost = kPseudocostWeightOfNew * per_unit + kPseudocostWeightOfOld * cost;
    }
    ++count;
}

bool up_child_first(int32_t lifotype, double down_penalty, double up_penalty) {
    switch (lifotype) {
        case 1: return !(up_penalty >= down_penalty);
        case 2: return true;
        case 3: return false;
        default: return up_penalty > down_penalty;
    }
}

}  // namespace tymlp
