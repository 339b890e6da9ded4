// heuristic_entries.cpp -- the heuristics' table and when each runs.
#include "heuristics/heuristic_entries.h"

#include "base/host_link.h"
#include "heuristics/heuristic_incumbent.h"
#include "heuristics/heuristic_rows.h"
#include "heuristics/heuristics.h"

namespace tymlp {
namespace {

constexpr int kEvaluationBranched = 0;
constexpr int kEvaluationIncumbent = 15;
constexpr int kMsgHeuristicSummary = 421;

constexpr HeuristicEntry kTable[] = {
    {"simple rounding", 1, HeuristicTiming::kEveryNode, run_simple_rounding},
    {"shifting rounding", 1, HeuristicTiming::kEveryNode, run_shifting_rounding},
    {"fractional diving", 2, HeuristicTiming::kDive, run_fractional_diving},
    {"pseudocost diving", 2, HeuristicTiming::kDive, run_pseudocost_diving},
    {"guided diving", 2, HeuristicTiming::kDive, run_guided_diving},
};
constexpr int kTableSize = static_cast<int>(sizeof kTable / sizeof kTable[0]);
static_assert(kTableSize <= kHeuristicKinds, "the counts of HeuristicState hold every entry");

bool runs(const LpContext* ctx, int kind) { return ctx->options.heuristics >= kTable[kind].level; }

// The next dive rule in turn that the options allow, or -1.
int next_dive(LpContext* ctx) {
    HeuristicState& h = ctx->heuristics;
    for (int tries = 0; tries < kTableSize; ++tries) {
        const int kind = h.dive_turn++ % kTableSize;
        if (kTable[kind].timing == HeuristicTiming::kDive && runs(ctx, kind)) return kind;
    }
    return -1;
}

int after_node(LpContext* ctx, int evaluation, bool root) {
    HeuristicState& h = ctx->heuristics;
    int rc = prepare_heuristic_rows(ctx);
    if (rc != 0) return rc;
    if (root) h.search_iterations = ctx->solver.iterations[2];
    if (evaluation == kEvaluationIncumbent) {
        remember_incumbent_values(ctx);
        return 0;
    }
    if (evaluation != kEvaluationBranched) return 0;
    for (int kind = 0; kind < kTableSize && rc == 0; ++kind)
        if (kTable[kind].timing == HeuristicTiming::kEveryNode && runs(ctx, kind)) {
            ++h.calls[kind];
            rc = kTable[kind].run(ctx, kind);
        }
    if (rc != 0) return rc;
    if (root) {
        // Every dive rule once at the root, where a first incumbent matters most.
        for (int kind = 0; kind < kTableSize && rc == 0; ++kind)
            if (kTable[kind].timing == HeuristicTiming::kDive && runs(ctx, kind)) rc = kTable[kind].run(ctx, kind);
        return rc;
    }
    const int32_t every = ctx->options.divefreq > 0 ? ctx->options.divefreq : 1;
    if (ctx->bb.iteration % every != 0) return 0;
    const int kind = next_dive(ctx);
    return kind >= 0 ? kTable[kind].run(ctx, kind) : 0;
}

}  // namespace

int heuristic_count() { return kTableSize; }
const HeuristicEntry& heuristic_entry(int kind) { return kTable[kind]; }
const char* heuristic_name(int kind) { return kind >= 0 && kind < kTableSize ? kTable[kind].name : "?"; }

SearchHeuristics start_search_heuristics(LpContext* ctx) {
    HeuristicState& h = ctx->heuristics;
    for (int kind = 0; kind < kHeuristicKinds; ++kind) h.found[kind] = h.calls[kind] = 0;
    h.lp_iterations = 0;
    h.search_iterations = ctx->solver.iterations[2];
    h.incumbent_known = 0;
    h.dive_turn = 0;
    h.strong_branchings = 0;
    h.strong_iterations = 0;
    if (ctx->options.heuristics <= 0 || ctx->model.integer_count <= 0) return nullptr;
    return after_node;
}

void report_heuristics(LpContext* ctx) {
    HeuristicState& h = ctx->heuristics;
    if (h.prepared == 0 || ctx->entries.search_heuristics == nullptr) return;
    int32_t found = 0;
    for (int kind = 0; kind < kTableSize; ++kind) found += h.found[kind];
    const TymArg args[] = {arg_int(found), arg_int(static_cast<int32_t>(h.lp_iterations))};
    host_message(kMsgHeuristicSummary, 2, args);
}

}  // namespace tymlp
