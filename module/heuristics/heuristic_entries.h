// heuristic_entries.h -- the table of the search's primal heuristics and
// the routine the search calls after each node's evaluation.
//
// A heuristic is one file and one line of the table: its name (the log's
// word for it), the HEURISTICS level from which it runs, and whether it
// runs at every node (the roundings, which cost no LP) or as a dive (at the
// root, then at every DIVEFREQ-th integer iteration, one dive rule after
// another).
#pragma once

#include "base/lp_context.h"

namespace tymlp {

enum class HeuristicTiming { kEveryNode, kDive };

struct HeuristicEntry {
    const char* name;
    int32_t level;  // HEURISTICS value from which it runs
    HeuristicTiming timing;
    int (*run)(LpContext* ctx, int kind);
};

int heuristic_count();
const HeuristicEntry& heuristic_entry(int kind);
const char* heuristic_name(int kind);

// The search's entry (RunEntries::search_heuristics) for the options in
// force, with the counts of the search about to start cleared: null when
// HEURISTICS is 0 or the problem has no integer column.
using SearchHeuristics = int (*)(LpContext* ctx, int evaluation, bool root);
SearchHeuristics start_search_heuristics(LpContext* ctx);

// Logs what the heuristics found in the search just ended (nothing when
// none ran).
void report_heuristics(LpContext* ctx);

}  // namespace tymlp
