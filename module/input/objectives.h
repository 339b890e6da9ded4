// objectives.h -- the objective records and the choice of the combination's
// objective.
#pragma once

#include <cstdint>

#include "base/lp_context.h"

namespace tymlp {

// Appends an objective record for `row` with sense +1.0 (maximise) or -1.0
// (minimise) and the row's blank-padded name (row-name length bytes; null
// gives blanks), from the context's heap, and counts it.  The first record
// appended is the phase-1 objective.  Returns the record, or null when the
// heap is exhausted.
ObjectiveRecord* add_objective(LpContext* ctx, int32_t row, double sense, const char* name);

// Gives every objective record one order key per right-hand-side column, all
// 0 (input order), where it has none yet.  Returns kRunOk or kRunMemory.
int ensure_order_keys(LpContext* ctx);

// The j-th objective (1 <= j < objective count) when the objectives other
// than phase 1 are ordered by their key for right-hand-side column
// model.rhs_index (stable, ascending).  Returns kRunOk with *out set, kRunMemory when the
// sort buffer cannot be had, kRunBadData when j is out of range.
int select_objective(LpContext* ctx, int32_t j, ObjectiveRecord** out);

}  // namespace tymlp
