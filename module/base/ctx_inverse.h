// ctx_inverse.h -- the sparse LU factors of the basis in one slot array.
//
// One array of 16-byte slots is used from both ends.  From the bottom it
// holds U twice over: the (value, column) pairs of the slots form the row
// lists of U (row r in rowStart[r] .. rowEnd[r], its diagonal first), while
// the row fields of the same slots form the column patterns of U (column c in
// colStart[c] .. colEnd[c], the row of its diagonal first).  The two views
// move independently: a routine that moves entries moves either the pairs or
// the row numbers, never both.  From the top it holds the eta file: slot
// capacity-1 is the first eta, capacity-etaCount the newest; an eta slot
// (mu, p, t) means x[t] += mu * x[p].  The L factor of a factorisation and
// the row operations of later updates are both such etas.
//
// Before a factorisation the basis columns sit in slots 0 .. nelem-1, column
// after column in basis-header order, each slot (coefficient, row, basis
// position).  The store lives inside the work store; it grows only through
// the memory-shift callback below.
#pragma once

#include <cstdint>

namespace tymlp {

// One slot of the inverse store.  A slot whose (value, column) pair is not
// part of a row list has column kFreeField; a slot whose row field is not
// part of a column pattern has row kFreeField.  In the eta file, row is the
// pivot row p and column the target row t.
struct InverseSlot {
    double value;
    int32_t row;
    int32_t column;
};
static_assert(sizeof(InverseSlot) == 16, "inverse store slots are 16 bytes");

inline constexpr int32_t kFreeField = -1;
inline constexpr int64_t kSlotBytes = 16;

// Enlargement callback of the inverse store (the work store's memory shift).
// Called with memoryShiftArg and the number of bytes wanted by reference.  On
// return *bytes holds the bytes granted (at least the request), or the request
// negated when nothing could be granted.  The granted bytes extend the slot
// array directly above its current end.  The callback may move the whole slot
// array: its owner then stores the new base in InverseStore::elements before
// returning, so callers must re-read `elements` after every call.  The return
// value is 0; the outcome is carried by *bytes alone.
using MemoryShiftCallback = int (*)(void* arg, int64_t* bytes);

struct InverseStore {
    InverseSlot* elements;            // base of the slot array (moves when the work store is reorganised)
    int32_t m;                        // order of the basis
    int32_t nelem;                    // input slots (nonzeros of B) placed at the bottom before factorising
    int32_t capacity;                 // slots in the array (the "aalloc" of the log lines)
    int32_t* rowStart;                // [m] first slot of row r's U list (its diagonal); row counts while factorising
    int32_t* rowEnd;                  // [m] last slot of row r's U list (rowStart-1 when empty)
    int32_t* colStart;                // [m] first slot of basis column c's pattern (its diagonal's row)
    int32_t* colEnd;                  // [m] last slot of column c's pattern (colStart-1 when empty)
    int32_t* pivotRow;                // [m] row pivoted at step k
    int32_t* pivotCol;                // [m] basis column pivoted at step k
    int32_t etaCount;                 // eta slots at the top of the array
    int32_t factorEtas;               // of these, the oldest ones, written by the last factorisation (its L)
    double* spike;                    // [m] dense scratch; after FTRAN it holds L^-1 a (by row); zero between uses
    double pivotThreshold;            // relative pivot tolerance u, EPSILON < u < 1 (default 0.1)
    double dropTolerance;             // entries of magnitude <= this are dropped (> 0)
    int32_t compressions;             // store compressions since the last factorisation
    int32_t uCount;                   // entries of U (live row pairs = live pattern rows)
    int32_t colFree;                  // first slot above every column pattern
    int32_t rowFree;                  // first slot above every row list
    int32_t* intWork;                 // [4m] integer workspace (shared with the dual vector by the owner)
    MemoryShiftCallback memoryShift;  // enlarges the store; may be null (then it cannot grow)
    void* memoryShiftArg;             // first argument of memoryShift (the run context)

    // Optional arrays (all null or all [m]) for solves that touch only what a
    // sparse right-hand side reaches.  The kernel keeps them; an owner that
    // writes the spike vector itself sets spikeCount to -1.
    int32_t* rowStep;     // step at which each row was pivoted (pivotRow inverted)
    int32_t* spikeList;   // rows where the spike may be nonzero (spikeCount of them)
    int32_t spikeCount;   // -1: the spike is not described by spikeList
    int32_t* reachMark;   // per row: the visit stamp of the last symbolic reach
    int32_t reachStamp;   // stamp of the current reach
    int32_t* reachStack;  // depth-first stack of rows
    int32_t* reachNext;   // per stack entry: the next pattern slot to follow
    int32_t* reachOrder;  // rows in the order the reach finished them
};

}  // namespace tymlp
