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

// Row lists: bounds, live pairs, diagonal first, triangular, no duplicate
// columns; marks the slots they cover.  Sums their lengths into total.
int CheckRows(const InverseStore& s, CheckWork& w, int64_t& total) {
    const InverseSlot* e = s.elements;
    const int32_t m = s.m;
    std::memset(w.covered, 0, static_cast<size_t>(s.rowFree));
    for (int32_t i = 0; i < m; ++i) w.stamp[i] = -1;
    total = 0;
    for (int32_t r = 0; r < m; ++r) {
        const int32_t rs = s.rowStart[r];
        const int32_t re = s.rowEnd[r];
        if (rs < 0 || re < rs || re >= s.rowFree) return kStoreBadRowList;
        const int32_t k = w.stepOfRow[r];
        for (int32_t q = rs; q <= re; ++q) {
            const int32_t c = e[q].column;
            if (c < 0 || c >= m || w.covered[q]) return kStoreBadRowList;
            w.covered[q] = 1;
            if (w.stamp[c] == r) return kStoreMismatch;
            w.stamp[c] = r;
            if (q == rs && c != s.pivotCol[k]) return kStoreBadDiagonal;
            if (q > rs && w.stepOfCol[c] <= k) return kStoreNotTriangular;
        }
        total += re - rs + 1;
    }
    for (int32_t q = 0; q < s.rowFree; ++q)
        if (!w.covered[q] && e[q].column != kFreeField) return kStoreStrayEntry;
    return kStoreOk;
}

// Patterns: bounds, live row fields, diagonal first, no duplicate rows, and
// every (row, column) also present in the row list.
int CheckPatterns(const InverseStore& s, CheckWork& w, int64_t& total) {
    const InverseSlot* e = s.elements;
    const int32_t m = s.m;
    std::memset(w.covered, 0, static_cast<size_t>(s.colFree));
    for (int32_t i = 0; i < m; ++i) w.stamp[i] = -1;
    total = 0;
    for (int32_t c = 0; c < m; ++c) {
        const int32_t cs = s.colStart[c];
        const int32_t ce = s.colEnd[c];
        if (cs < 0 || ce < cs || ce >= s.colFree) return kStoreBadPattern;
        for (int32_t q = cs; q <= ce; ++q) {
            const int32_t r = e[q].row;
            if (r < 0 || r >= m || w.covered[q]) return kStoreBadPattern;
            w.covered[q] = 1;
            if (w.stamp[r] == c) return kStoreMismatch;
            w.stamp[r] = c;
            if (q == cs && r != s.pivotRow[w.stepOfCol[c]]) return kStoreBadDiagonal;
            if (FindInRow(s, r, c) < 0) return kStoreMismatch;
        }
        total += ce - cs + 1;
    }
    for (int32_t q = 0; q < s.colFree; ++q)
        if (!w.covered[q] && e[q].row != kFreeField) return kStoreStrayEntry;
    return kStoreOk;
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
