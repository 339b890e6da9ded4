// node_select.h -- which active node branch and bound solves next.
//
// Two rules, one chosen when branch and bound starts and kept in
// ctx->entries.select_node:
//   - the plain rule: CANSELECT picks the candidate (LIFO the newest node
//     whose bound reaches the target, FIFO the oldest, OBJ, PROJECT,
//     PSEUDOC and ERROR the top of their list), and BACKTRACK takes over
//     when the candidate falls short of the target and once DELTAIT
//     selections after each new incumbent;
//   - the mixed rule (AUTO, CONTROL): runs of CANSELECT picks, dives and
//     worst-bound picks, in proportions set by a control value between 0
//     (CANSELECT alone) and 1 (worst bound alone).
// Both return 0 when a node was taken (it is current and restored), 20 when
// no active node is left, or the error of the restore (1 singular, 9, 25).
#pragma once

#include "base/lp_context.h"

namespace tymlp {

inline constexpr int kSelectNoneLeft = 20;
inline constexpr int kTakeFathomed = 17;

int select_plain(LpContext* ctx);
int select_mixed(LpContext* ctx);

// Removes the node from the active store.  A node whose bound still beats
// the cutoff by more than EPSILON becomes current and is restored (the
// restore's result is returned); any other is released and 17 returned.
int take_node(LpContext* ctx, ActiveNode* node);

// The quotas of the mixed rule for control value c.
void set_mix(LpContext* ctx, double c);

// After a new incumbent: the target from the best active bound, unless
// WOBJECTIVE fixed it.
void update_target(LpContext* ctx);

// The node a CANSELECT or BACKTRACK value names: 1 the newest, 2 the oldest,
// 3 the largest bound, 4 to 6 the top of the projection, estimate and error
// lists.  None when no node is active.
ActiveNode* node_by_rule(const LpContext* ctx, int16_t rule);

}  // namespace tymlp
