// lu_internal.h -- small list operations shared by the LU kernel files.
//
// Every helper that may enlarge the store (and so move the slot array)
// says so; callers re-read store.elements after calling it.
#pragma once

#include <cstdint>

#include "base/ctx_inverse.h"

namespace tymlp {

// Marks a slot's row-list view (value, column) as free.
inline void FreePair(InverseSlot& slot) {
    slot.value = 0.0;
    slot.column = kFreeField;
}

// Marks a whole slot as free in both views.
inline void FreeSlot(InverseSlot& slot) {
    slot.value = 0.0;
    slot.row = kFreeField;
    slot.column = kFreeField;
}

inline int32_t RowLength(const InverseStore& s, int32_t r) { return s.rowEnd[r] - s.rowStart[r] + 1; }
inline int32_t PatternLength(const InverseStore& s, int32_t c) { return s.colEnd[c] - s.colStart[c] + 1; }

// Slot of the eta with ordinal `ordinal` (0 = first eta ever written).
inline int32_t EtaSlot(const InverseStore& s, int32_t ordinal) { return s.capacity - 1 - ordinal; }

// Ensures `len` free slots above the free counter of `mode` (rows for
// kCompressRows, column patterns otherwise) below the eta file: when the gap
// is too small the store is grown if even a packed structure would not fit,
// then the structure is compressed and the compression counted.  May move
// the slot array.  Returns 0 or the negative result of GrowStore.
int64_t MakeRoom(InverseStore& s, char mode, int64_t len);

// Slot in row r holding column c, or -1.
int32_t FindInRow(const InverseStore& s, int32_t r, int32_t c);

// Removes row r from column c's pattern (the last row number fills its
// place).  Returns false when r is not in the pattern.
bool RemoveFromPattern(InverseStore& s, int32_t c, int32_t r);

// Puts row r at the front of column c's pattern (swapping with the front).
void MoveToPatternFront(InverseStore& s, int32_t c, int32_t r);

// Puts the pair in slot q at the front of row r's list (swapping).
void MoveToRowFront(InverseStore& s, int32_t r, int32_t q);

// Appends row r to column c's pattern: into the free slot after the pattern
// when there is one, by extending at colFree when the pattern ends there,
// otherwise by moving the pattern to colFree.  May move the slot array.
// Returns 0 or the negative result of GrowStore.
int64_t AppendToPattern(InverseStore& s, int32_t c, int32_t r);

// Appends (value, column c) to row r: into the free slot after the row when
// there is one below rowFree, otherwise by moving the row to rowFree.  May
// move the slot array.  Returns 0 or the negative result of GrowStore.
int64_t AppendToRow(InverseStore& s, int32_t r, double value, int32_t c);

// Sorts slots 0 .. n-1 in place by their row field (byRow) or column field,
// with keys 0 .. m-1 counted in advance: on entry start[key] holds the first
// slot of each key (prefix sums of the counts) and end[key] the count; on
// exit end[key] is the last slot of the key (start-1 when empty).
void SortSlotsByKey(InverseSlot* e, int32_t m, bool byRow, int32_t* start, int32_t* end);

// Frees every slot from `from` up to (not including) the eta file.
void FreeSlotsAbove(InverseStore& s, int32_t from);

// The part of a factorisation that works on the store, given a host block of
// the temporaries the routine asked for.  Returns the modulus (FactorRoutine).
using FactorBody = double (*)(InverseStore& s, int32_t* block);

// The frame both factorisations share: empties the factors' counters (etas,
// compressions, U entries, free counters), answers 0 (singular) for an
// empty basis, takes (perRow * m + extra) int32 of temporaries from the host
// and runs `body` on them, then gives them back.  Returns body's modulus,
// or the negated byte count when the temporaries cannot be had.
double RunFactorisation(InverseStore& s, int32_t perRow, int32_t extra, FactorBody body);

}  // namespace tymlp
