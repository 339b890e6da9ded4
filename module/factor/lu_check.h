// lu_check.h -- invariant checks of the inverse store, for tests and for
// the DEBUG run-time level.  The checks never change the store.
#pragma once

#include "base/ctx_inverse.h"

namespace tymlp {

// Outcome of CheckInverseStore: the first invariant found broken.
enum StoreCheck : int {
    kStoreOk = 0,
    kStoreBadCounters = 1,     // capacity, etaCount, rowFree, colFree, uCount out of range
    kStoreBadPermutation = 2,  // pivotRow or pivotCol is not a permutation of 0..m-1
    kStoreBadRowList = 3,      // a row list leaves 0..rowFree-1, holds a free pair or a bad column
    kStoreBadPattern = 4,      // a pattern leaves 0..colFree-1, holds a free row field or a bad row
    kStoreBadDiagonal = 5,     // a row or pattern does not start with the pivot of its step
    kStoreNotTriangular = 6,   // an off-diagonal entry of U lies at or before its row's step
    kStoreMismatch = 7,        // row lists and patterns disagree, or uCount is wrong
    kStoreStrayEntry = 8,      // a live slot below a free counter belongs to no list
    kStoreBadEta = 9,          // an eta names a row outside 0..m-1 or pivots on its own target
    kStoreNoMemory = 10        // the checker's temporaries could not be had
};

// Verifies a factorised (or updated) store: permutations, list bounds, the
// diagonal first in every row and pattern, U triangular in pivot order,
// every (row, column) entry present in both views exactly once, uCount,
// no live slot outside a list, and the eta file's row numbers.  Takes its
// temporaries from the host and returns them.
int CheckInverseStore(const InverseStore& store);

}  // namespace tymlp
