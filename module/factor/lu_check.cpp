// lu_check.cpp -- read-only verification of the inverse store's invariants.
#include <cstdint>
#include <cstring>

#include "base/host_link.h"
#include "factor/lu_check.h"
#include "factor/lu_internal.h"

namespace tymlp {
namespace {

struct CheckWork {
    int32_t* stepOfRow;  // [m]
    int32_t* stepOfCol;  // [m]
    int32_t* stamp;      // [m]
    uint8_t* covered;    // [max(rowFree, colFree)] slot belongs to a list
};

int CheckCounters(const InverseStore& s) {
    if (s.m < 0 || s.capacity < 0 || s.etaCount < 0 || s.etaCount > s.capacity) return kStoreBadCounters;
    const int32_t below = s.capacity - s.etaCount;
    if (s.rowFree < 0 || s.rowFree > below || s.colFree < 0 || s.colFree > below) return kStoreBadCounters;
    if (s.uCount < 0 || s.uCount > s.rowFree || s.uCount > s.colFree) return kStoreBadCounters;
    return kStoreOk;
}

int CheckPermutations(const InverseStore& s, CheckWork& w) {
    const int32_t m = s.m;
    for (int32_t i = 0; i < m; ++i) w.stepOfRow[i] = w.stepOfCol[i] = -1;
    for (int32_t k = 0; k < m; ++k) {
        const int32_t r = s.pivotRow[k];
        const int32_t c = s.pivotCol[k];
        if (r < 0 || r >= m || c < 0 || c >= m) return kStoreBadPermutation;
        if (w.stepOfRow[r] != -1 || w.stepOfCol[c] != -1) return kStoreBadPermutation;
        w.stepOfRow[r] = k;
        w.stepOfCol[c] = k;
    }
    return kStoreOk;
}

// One view of U: the row lists read the (value, column) pairs of the slots,
// the column patterns their row fields.
struct ListView {
    const int32_t* start;  // [m] first slot of each list
    const int32_t* end;    // [m] last slot of each list
    int32_t freeAt;        // first slot above every list of the view
    bool pairs;            // true: the entries are the pairs' columns; false: the row fields
    int badList;           // the outcome for a list out of bounds or an entry out of range
};

int32_t ViewEntry(const InverseSlot& slot, bool pairs) { return pairs ? slot.column : slot.row; }

// What both views must satisfy: every list within 0..freeAt-1, its entries
// in 0..m-1, live and distinct, no slot in two lists, and no live entry
// outside a list.  `entryCheck(list, q, entry)` adds the view's own test
// for slot q of a list; it returns kStoreOk or the outcome to report.  Sums
// the lists' lengths into total.
template <typename EntryCheck>
int CheckLists(const InverseStore& s, CheckWork& w, const ListView& v, int64_t& total, EntryCheck entryCheck) {
    const InverseSlot* e = s.elements;
    const int32_t m = s.m;
    std::memset(w.covered, 0, static_cast<size_t>(v.freeAt));
    for (int32_t i = 0; i < m; ++i) w.stamp[i] = -1;
    total = 0;
    for (int32_t list = 0; list < m; ++list) {
        const int32_t first = v.start[list];
        const int32_t last = v.end[list];
        if (first < 0 || last < first || last >= v.freeAt) return v.badList;
        for (int32_t q = first; q <= last; ++q) {
            const int32_t entry = ViewEntry(e[q], v.pairs);
            if (entry < 0 || entry >= m || w.covered[q]) return v.badList;
            w.covered[q] = 1;
            if (w.stamp[entry] == list) return kStoreMismatch;
            w.stamp[entry] = list;
            const int status = entryCheck(list, q, entry);
            if (status != kStoreOk) return status;
        }
        total += last - first + 1;
    }
    for (int32_t q = 0; q < v.freeAt; ++q)
        if (!w.covered[q] && ViewEntry(e[q], v.pairs) != kFreeField) return kStoreStrayEntry;
    return kStoreOk;
}

// Row lists: besides CheckLists, the diagonal first and U triangular.
int CheckRows(const InverseStore& s, CheckWork& w, int64_t& total) {
    const ListView rows{s.rowStart, s.rowEnd, s.rowFree, true, kStoreBadRowList};
    return CheckLists(s, w, rows, total, [&](int32_t r, int32_t q, int32_t c) {
        const int32_t k = w.stepOfRow[r];
        if (q == s.rowStart[r] && c != s.pivotCol[k]) return kStoreBadDiagonal;
        if (q > s.rowStart[r] && w.stepOfCol[c] <= k) return kStoreNotTriangular;
        return kStoreOk;
    });
}

// Patterns: besides CheckLists, the diagonal's row first and every
// (row, column) also present in the row list.
int CheckPatterns(const InverseStore& s, CheckWork& w, int64_t& total) {
    const ListView patterns{s.colStart, s.colEnd, s.colFree, false, kStoreBadPattern};
    return CheckLists(s, w, patterns, total, [&](int32_t c, int32_t q, int32_t r) {
        if (q == s.colStart[c] && r != s.pivotRow[w.stepOfCol[c]]) return kStoreBadDiagonal;
        if (FindInRow(s, r, c) < 0) return kStoreMismatch;
        return kStoreOk;
    });
}

int CheckEtas(const InverseStore& s) {
    const InverseSlot* e = s.elements;
    for (int32_t q = s.capacity - s.etaCount; q < s.capacity; ++q) {
        const int32_t p = e[q].row;
        const int32_t t = e[q].column;
        if (p < 0 || p >= s.m || t < 0 || t >= s.m || p == t) return kStoreBadEta;
    }
    return kStoreOk;
}

int RunChecks(const InverseStore& s, CheckWork& w) {
    int status = CheckPermutations(s, w);
    if (status != kStoreOk) return status;
    int64_t rowTotal = 0;
    int64_t colTotal = 0;
    status = CheckRows(s, w, rowTotal);
    if (status != kStoreOk) return status;
    status = CheckPatterns(s, w, colTotal);
    if (status != kStoreOk) return status;
    if (rowTotal != colTotal || rowTotal != s.uCount) return kStoreMismatch;
    return CheckEtas(s);
}

}  // namespace

int CheckInverseStore(const InverseStore& s) {
    int status = CheckCounters(s);
    if (status != kStoreOk || s.m == 0) return status;
    const size_t ints = 3 * static_cast<size_t>(s.m);
    const size_t slots = static_cast<size_t>(s.rowFree > s.colFree ? s.rowFree : s.colFree);
    auto* block = static_cast<int32_t*>(host_alloc(ints * sizeof(int32_t) + slots + 1, TYM_ALLOC_STEP));
    if (block == nullptr) return kStoreNoMemory;
    CheckWork w{block, block + s.m, block + 2 * s.m, reinterpret_cast<uint8_t*>(block + ints)};
    status = RunChecks(s, w);
    host_release(block);
    return status;
}

}  // namespace tymlp
