// engine_mps.h -- a ProblemSpec read from an MPS file (plain or gzip), for
// tests and micro-benchmarks that want real bases: every row gets one
// logical column with a single +-1 entry, so CrashBasis applies directly.
#pragma once

#include <string>

#include "engine_builder.h"

namespace enginetest {

// Structural columns in file order, then one logical per row in row order:
// L rows +1 (slack), G rows -1 (surplus), E rows +1 (an artificial, fixed
// at 0), N rows -1 for the objective and +1 for the other free rows (held).
// Bounds at or beyond 1e30 in magnitude become kInf; the right-hand side is
// the first set.  Returns false with *error set when the file cannot be read.
bool ProblemFromMps(const std::string& path, ProblemSpec* spec, std::string* error);

// The shared Netlib instance `name` (e.g. "afiro") of the bench folder.
std::string NetlibPath(const std::string& name);

}  // namespace enginetest
