// node_select.cpp -- the plain and the mixed node-selection rules.
#include "integer/node_select.h"

#include <cmath>

#include "integer/bb_internal.h"
#include "integer/node_records.h"
#include "integer/node_store.h"

namespace tymlp {
namespace {

constexpr int32_t kNoDeltaItCount = -2147483647;
constexpr int32_t kAutoEvery = 100;
constexpr double kControlOfAutoAlone = 0.5;
constexpr double kDiveDepthQuarter = 0.25;
constexpr double kHalf = 0.5;

bool reaches_target(const LpContext* ctx, const ActiveNode* node) { return node->bound >= ctx->bb.target; }

bool created_last_iteration(const LpContext* ctx, const ActiveNode* node) {
    const int32_t magnitude = node->stamp < 0 ? -node->stamp : node->stamp;
    return magnitude != 0 && magnitude == ctx->bb.iteration - 1;
}

// The CANSELECT candidate of the plain rule; *backtrack is set when the rule
// gives way to BACKTRACK.
ActiveNode* canselect_candidate(const LpContext* ctx, bool* backtrack) {
    const BbState& bb = ctx->bb;
    const int16_t rule = ctx->options.canselect;
    if (rule == kNodeLifo) {
        ActiveNode* newest = bb.newest;
        if (!beats_cutoff(ctx, newest->bound)) return newest;
        for (ActiveNode* n = newest; n != nullptr; n = n->creation[0])
            if (reaches_target(ctx, n)) return n;
        *backtrack = true;
        return nullptr;
    }
    ActiveNode* candidate = node_by_rule(ctx, rule);
    if (rule != kNodeObj && beats_cutoff(ctx, candidate->bound) && !reaches_target(ctx, candidate)) *backtrack = true;
    return candidate;
}

// One of the mixed rule's dives: the candidate, counted against the phase's
// quota.  Returns false when the quota is used up (the phase ends).
bool dive_pick(LpContext* ctx, int phase, ActiveNode* candidate, bool depth_limited) {
    MixState& mix = ctx->bb.mix;
    if (mix.picks[phase] >= mix.quota[phase]) return false;
    if (mix.dive_depth == 0) {
        mix.dive_depth = 1;
    } else if (created_last_iteration(ctx, candidate) && (!depth_limited || mix.dive_depth < mix.dive_depth_limit)) {
        ++mix.dive_depth;
    } else {
        ++mix.picks[phase];
        mix.dive_depth = 0;
    }
    return mix.picks[phase] < mix.quota[phase];
}

// The mixed rule's candidate, moving through the phases as their quotas
// are used up.
ActiveNode* mixed_candidate(LpContext* ctx) {
    BbState& bb = ctx->bb;
    MixState& mix = bb.mix;
    for (int turn = 0; turn < 4; ++turn) {
        switch (mix.phase) {
            case 0:
                if (mix.picks[0] < mix.quota[0]) {
                    ++mix.picks[0];
                    return node_by_rule(ctx, ctx->options.canselect);
                }
                mix.phase = 1;
                mix.picks[1] = 0;
                mix.dive_depth = 0;
                break;
            case 1:
                if (dive_pick(ctx, 1, bb.newest, true)) return bb.newest;
                mix.phase = 2;
                mix.picks[2] = 0;
                mix.dive_depth = 0;
                break;
            default:
                if (dive_pick(ctx, 2, bb.lists[kListByBound].low, false)) return bb.lists[kListByBound].low;
                mix.phase = 0;
                mix.picks[0] = 0;
                break;
        }
    }
    return node_by_rule(ctx, ctx->options.canselect);
}

// AUTO: a new control value every 100th integer iteration, from the number
// of active nodes.
void auto_control(LpContext* ctx) {
    const BbState& bb = ctx->bb;
    const LpOptions& o = ctx->options;
    if (o.auto_select == 0 || bb.incumbent == nullptr || bb.iteration % kAutoEvery != 0) return;
    const double a = bb.active_count;
    const double first = o.auto_first;
    const double second = o.auto_second;
    const bool given = !std::isnan(o.control);
    double c = 1.0;
    if (a <= first)
        c = given ? o.control : kControlOfAutoAlone;
    else if (a < second)
        c = given ? o.control + a * (1.0 - o.control) / second : (1.0 + a / second) / 2.0;
    set_mix(ctx, c);
}

}  // namespace

ActiveNode* node_by_rule(const LpContext* ctx, int16_t rule) {
    const BbState& bb = ctx->bb;
    switch (rule) {
        case kNodeLifo: return bb.newest;
        case kNodeFifo: return bb.oldest;
        default: return bb.lists[list_of_rule(rule)].high;
    }
}

int take_node(LpContext* ctx, ActiveNode* node) {
    BbState& bb = ctx->bb;
    remove_node(ctx, node);
    if (!beats_cutoff(ctx, node->bound)) {
        release_node(ctx, node);
        return kTakeFathomed;
    }
    node->state = kNodeCurrent;
    bb.current = node;
    return restore_node(ctx, node);
}

int select_plain(LpContext* ctx) {
    BbState& bb = ctx->bb;
    const LpOptions& o = ctx->options;
    while (bb.active_count > 0) {
        bool backtrack = false;
        ActiveNode* candidate = canselect_candidate(ctx, &backtrack);
        if (bb.incumbent != nullptr) {
            const int32_t before = bb.deltait_counter++;
            if (before >= o.deltait) {
                bb.deltait_counter = kNoDeltaItCount;
                backtrack = true;
            }
        }
        if (backtrack) candidate = node_by_rule(ctx, o.backtrack);
        const int rc = take_node(ctx, candidate);
        if (rc != kTakeFathomed) return rc;
    }
    return kSelectNoneLeft;
}

int select_mixed(LpContext* ctx) {
    BbState& bb = ctx->bb;
    auto_control(ctx);
    while (bb.active_count > 0) {
        const int rc = take_node(ctx, mixed_candidate(ctx));
        if (rc != kTakeFathomed) return rc;
    }
    return kSelectNoneLeft;
}

void set_mix(LpContext* ctx, double c) {
    MixState& mix = ctx->bb.mix;
    const double eps = ctx->options.epsilon;
    const double n = ctx->model.integer_count;
    mix.control = c;
    if (c <= eps) {
        mix.quota[0] = mix.runs;
        mix.quota[1] = mix.quota[2] = 0;
        mix.dive_depth_limit = 0;
    } else if (c < kDiveDepthQuarter) {
        mix.quota[0] = static_cast<int32_t>(std::floor((kDiveDepthQuarter - c) * 4.0 * mix.runs)) + 1;
        mix.quota[1] = 1;
        mix.quota[2] = 0;
        mix.dive_depth_limit = 1;
    } else if (c < kHalf) {
        mix.quota[0] = 1;
        mix.quota[1] = 1;
        mix.quota[2] = 0;
        mix.dive_depth_limit = static_cast<int32_t>(std::floor((c - kDiveDepthQuarter) * 4.0 * mix.depth_scale)) + 1;
    } else if (c < 1.0 - eps) {
        const double d = c - kHalf;
        mix.quota[0] = 1;
        mix.quota[1] = static_cast<int32_t>(std::floor(2.0 * d * (1.0 - d) * mix.dive_scale)) + 1;
        mix.quota[2] = static_cast<int32_t>(std::floor(2.0 * d * d * mix.dive_scale));
        mix.dive_depth_limit = static_cast<int32_t>(n);
    } else {
        mix.quota[0] = mix.quota[1] = 0;
        mix.quota[2] = mix.runs;
        mix.dive_depth_limit = static_cast<int32_t>(n);
    }
}

void update_target(LpContext* ctx) {
    BbState& bb = ctx->bb;
    if (!std::isnan(ctx->options.wobjective) || bb.active_count == 0 || bb.incumbent == nullptr) return;
    const ActiveNode* best = bb.lists[kListByBound].high;
    if (best == nullptr) return;
    const double b = best->bound;
    const double i = bb.incumbent->bound;
    const double target = i < b ? b - (b - i) * ctx->options.pwobjective : i;
    bb.target = round_node_value(ctx, target);
}

}  // namespace tymlp
