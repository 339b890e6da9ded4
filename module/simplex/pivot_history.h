// pivot_history.h -- the file of recorded exchanges that lets inversion
// undo the newest exchanges of a basis that turned out singular.
//
// Record k (16 bytes at byte 16*k) holds the entering column, the leaving
// column and their two status bytes as they were when it was written.  The
// ratio tests write one before every exchange; a bound flip is written with
// the flipped column as both the entering and the leaving column.
//
// Beside it, the leave ban list: the columns a repair re-entered, which must
// not leave again while the history holds nothing to undo.
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

// Opens the pivot history file (run step 14).  Returns 0, or 25 after the
// host's status report.
int OpenPivotHistory(LpContext* ctx);

// RecordPivot: appends (entering, leaving, status of entering, status of
// leaving) as record number pivot_history_count.  No-op without a history
// file.  Returns 0, or 25 after the host's I/O error report.
int RecordPivot(LpContext* ctx, int32_t entering, int32_t leaving);

// Reads record k.  Returns 0, or 25 after the host's I/O error report.
int ReadPivotRecord(LpContext* ctx, int32_t k, PivotRecord* rec);

// Forgets every pivot history record (the file stays open).
void ClearPivotHistory(LpContext* ctx);

// Closes the history file after an error; inversion then cannot repair.
void DropPivotHistory(LpContext* ctx);

// The leave ban list: basic columns the dual ratio choice must not pick to
// leave while the pivot history is empty (they were re-entered by a repair).
bool IsLeaveBanned(const LpContext* ctx, int32_t column);
// Appends a column unless the list is full (50); returns 1 when added.
int AddLeaveBan(LpContext* ctx, int32_t column);
void ClearLeaveBans(LpContext* ctx);

}  // namespace tymlp
