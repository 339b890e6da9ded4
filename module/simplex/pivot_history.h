// pivot_history.h -- the file of recorded exchanges that lets inversion
// undo the newest exchanges of a basis that turned out singular.
//
// Record k (16 bytes at byte 16*k) holds the entering column, the leaving
// column and their two status bytes as they were when it was written.  The
// ratio tests write one before every exchange; a bound flip is written with
// the flipped column as both the entering and the leaving column.
#pragma once

#include <cstdint>

#include "base/lp_context.h"

namespace tymlp {

struct PivotRecord {
    int32_t entering;
    int32_t leaving;
    int32_t entering_status;
    int32_t leaving_status;
};
static_assert(sizeof(PivotRecord) == 16, "pivot history records are 16 bytes");

// Reads record k.  Returns 0, or 25 after the host's I/O error report.
int ReadPivotRecord(LpContext* ctx, int32_t k, PivotRecord* rec);

// Closes the history file after an error; inversion then cannot repair.
void DropPivotHistory(LpContext* ctx);

}  // namespace tymlp
