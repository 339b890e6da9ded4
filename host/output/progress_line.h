// progress_line.h -- the live progress line on standard error.
//
// While a solve runs, the module reports where it stands a few times a
// second; when standard error is a terminal (or --progress asks for it) the
// host shows the last report on one line that it rewrites in place.  The
// line is no part of the log or the listing: everything the host writes to
// the terminal (a log line, a listing line, the prompt) first takes it
// away, and it is never shown when standard error is redirected (unless
// --progress says so).
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "tym_host.h"

namespace qmlp::host::output {

// -1: show when standard error is a terminal; 0: never; 1: always.
void progress_configure(int mode);

// Takes a report of the module: shows it (at most kRedrawMs apart, so a
// burst of reports costs nothing) or, for TYM_PROGRESS_DONE, clears it.
int progress_report(const TymProgress* report);

// Takes the line away when it is shown; called before anything else is
// written to the terminal.
void progress_clear();

// Draws the last line again after other text went to the terminal, so that
// the line stays below it while the solve runs.
void progress_redraw();

// Forgets the last line (it is not drawn again until the next report).
void progress_forget();

// True when text written to `stream` lands on the terminal of the line:
// standard error, or standard output when that is a terminal too.  Output
// redirected elsewhere leaves the line alone.
bool progress_shares_terminal(std::FILE* stream);

// The text of the line for a report and the time since the solve began
// (exposed for the tests): "phase 2  iter 1234  obj 5.6  infeas 0  0:03"
// and, in branch and bound, nodes, active nodes, incumbent, best bound and
// the relative gap.
std::string progress_text(const TymProgress& report, int64_t elapsed_ms);

inline constexpr int64_t kRedrawMs = 200;

}  // namespace qmlp::host::output
