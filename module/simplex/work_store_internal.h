// work_store_internal.h -- pieces of the work store shared by its own files
// and by inversion (which adopts the bottom of the block for the factors).
#pragma once

#include <cstdint>

#include "base/lp_context.h"

namespace tymlp {

// y takes 16 bytes per row: 8 for its double, 8 more so that the same block
// can serve the factorisations as 4m int32 of workspace.
inline constexpr int64_t kDualBytesPerRow = 16;

// A severe shift first tries to add a quarter of the block, shrinking the
// addition by a tenth per refusal.
inline constexpr double kSevereGrowthShare = 0.25;
inline constexpr double kSevereShrink = 0.9;

// Results of DropOverflow.
inline constexpr int kOverflowReleased = 1;
inline constexpr int kNoOverflowHeap = 2;

// Forgets every cached copy inside the block (pinned copies stay).
void drop_unpinned(LpContext* ctx);

// `bytes` from the overflow heap (created on first use), or null.
void* overflow_alloc(LpContext* ctx, int64_t bytes);

}  // namespace tymlp
