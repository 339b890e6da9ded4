// progress_report.h -- where a solve stands, for the host's live progress
// line.
//
// The iteration tails call report_progress with the clock they read anyway,
// so an iteration costs one comparison; a report (the phase-1 sum of
// infeasibilities is a pass over the columns) goes out at most every
// kProgressIntervalMs.  The host decides whether to show it.
#pragma once

#include <cstdint>

#include "base/lp_context.h"

namespace tymlp {

inline constexpr int64_t kProgressIntervalMs = 250;

void report_progress(LpContext* ctx, int64_t now_ms);

// The solve ended: the host takes its line away.  Sent only when a report
// went out.
void end_progress(LpContext* ctx);

}  // namespace tymlp
