// lu_left_looking.cpp -- the default factorisation (LU = 2): left-looking,
// one basis column per step in order of increasing count, each transformed
// by the L columns made so far and pivoted with threshold partial pivoting.
//
// The transformation of a column is a sparse triangular solve: a depth-first
// search over the L columns from the column's already-pivoted rows finds,
// in post-order, every pivoted row the result can reach; applying the L
// columns in reverse post-order is then a valid topological order, and the
// work is proportional to the entries touched, not to m.
#include <cmath>
#include <cstring>

#include "factor/lu_internal.h"
#include "factor/lu_kernel.h"

namespace tymlp {
namespace {

constexpr int32_t kNone = -1;

// Row flags.  The search over the L columns follows only rows whose flags
// are all clear (pivoted and not yet reached), which one test decides.
constexpr int32_t kTouched = 1;
constexpr int32_t kUnpivoted = 2;

// Temporaries of one call, carved from one host block.
struct LeftWork {
    int32_t* bucketHead;  // [m+1] first column with each input count
    int32_t* bucketNext;  // [m] next column with the same count
    int32_t* rowFlags;    // [m] kTouched while the current step touches a row, kUnpivoted until pivoted
    int32_t* etaFirst;    // [m] by pivot row: ordinal of its L column's first eta
    int32_t* etaEnd;      // [m] by pivot row: one past its L column's last eta
    int32_t* reach;       // [m] pivoted rows reached, in post-order
    int32_t* stackRow;    // [m] depth-first search stack: row
    int32_t* stackNext;   // [m] depth-first search stack: next eta ordinal
    // Views of the store's integer workspace.
    int32_t* rowStep;     // [m] step at which a row was pivoted, kNone before
    int32_t* colStep;     // [m] step at which a column was processed
    int32_t* candidates;  // [m] rows of strictly decreasing count
    int32_t* rowList;     // [m] unpivoted rows touched by the current step
    int32_t reachCount;
    int32_t rowCount;
};

// Host block: the eight arrays of LeftWork up to stackNext, of m entries
// each but for the m+1 bucket heads.
constexpr int32_t kLeftArrays = 8;
constexpr int32_t kLeftExtra = 1;

void CarveLeftWork(LeftWork& w, int32_t* block, InverseStore& s) {
    const int32_t m = s.m;
    w.bucketHead = block;
    w.bucketNext = w.bucketHead + (m + 1);
    w.rowFlags = w.bucketNext + m;
    w.etaFirst = w.rowFlags + m;
    w.etaEnd = w.etaFirst + m;
    w.reach = w.etaEnd + m;
    w.stackRow = w.reach + m;
    w.stackNext = w.stackRow + m;
    w.rowStep = s.intWork;
    w.colStep = s.intWork + m;
    w.candidates = s.intWork + 2 * m;
    w.rowList = s.intWork + 3 * m;
}

// Counts the input and sorts it into column order.  Active row counts go to
// rowEnd, U row counts (zero) to rowStart.  Returns the largest |value|, or
// -1 when the input holds a row or column number outside 0..m-1.
double PrepareInput(InverseStore& s) {
    const int32_t m = s.m;
    InverseSlot* e = s.elements;
    std::memset(s.rowStart, 0, static_cast<size_t>(m) * sizeof(int32_t));
    std::memset(s.rowEnd, 0, static_cast<size_t>(m) * sizeof(int32_t));
    std::memset(s.colEnd, 0, static_cast<size_t>(m) * sizeof(int32_t));
    double largest = 0.0;
    for (int32_t i = 0; i < s.nelem; ++i) {
        const int32_t r = e[i].row;
        const int32_t c = e[i].column;
        if (r < 0 || r >= m || c < 0 || c >= m) return -1.0;
        s.rowEnd[r] += 1;
        s.colEnd[c] += 1;
        if (std::fabs(e[i].value) > largest) largest = std::fabs(e[i].value);
    }
    int32_t sum = 0;
    for (int32_t c = 0; c < m; ++c) {
        s.colStart[c] = sum;
        sum += s.colEnd[c];
    }
    SortSlotsByKey(e, m, false, s.colStart, s.colEnd);
    return largest;
}

// Depth-first search over the L columns from pivoted row `root`, appending
// the rows it finishes to the reach list (post-order).  The slot cursor of
// the row on top of the stack is kept in a register while its etas are
// scanned; most of them lead to rows already reached or not yet pivoted.
void Reach(InverseStore& s, LeftWork& w, int32_t root) {
    const InverseSlot* e = s.elements;
    // The eta with ordinal o sits in slot top - o.
    const int32_t top = s.capacity - 1;
    int32_t* flags = w.rowFlags;
    int32_t* stackRow = w.stackRow;
    int32_t* stackNext = w.stackNext;
    const int32_t* etaFirst = w.etaFirst;
    const int32_t* etaEnd = w.etaEnd;
    int32_t* reach = w.reach;
    int32_t reached = w.reachCount;
    int32_t depth = 0;
    flags[root] = kTouched;
    stackRow[0] = root;
    stackNext[0] = etaFirst[root];
    while (depth >= 0) {
        const int32_t r = stackRow[depth];
        const int32_t end = etaEnd[r];
        int32_t o = stackNext[depth];
        while (o < end && flags[e[top - o].column] != 0) ++o;
        if (o < end) {
            const int32_t t = e[top - o].column;
            stackNext[depth] = o + 1;
            flags[t] = kTouched;
            ++depth;
            stackRow[depth] = t;
            stackNext[depth] = etaFirst[t];
            continue;
        }
        reach[reached++] = r;
        --depth;
    }
    w.reachCount = reached;
}

// Step 4b-c: scatters column c and transforms it by the L columns.
void TransformColumn(InverseStore& s, LeftWork& w, int32_t c) {
    InverseSlot* e = s.elements;
    double* spike = s.spike;
    w.reachCount = 0;
    w.rowCount = 0;
    for (int32_t q = s.colStart[c]; q <= s.colEnd[c]; ++q) {
        const int32_t r = e[q].row;
        spike[r] += e[q].value;
        if (w.rowFlags[r] != kUnpivoted) continue;  // pivoted, or listed already
        w.rowFlags[r] = kUnpivoted | kTouched;
        w.rowList[w.rowCount++] = r;
        s.rowEnd[r] -= 1;
    }
    for (int32_t q = s.colStart[c]; q <= s.colEnd[c]; ++q) {
        const int32_t r = e[q].row;
        if (w.rowFlags[r] == 0) Reach(s, w, r);
    }
    // The L columns in reverse post-order.  The arrays and the list's count
    // in locals: stores into the spike and the lists could otherwise be
    // stores into the work record as far as the compiler knows.
    const InverseSlot* top = e + (s.capacity - 1);  // the eta with ordinal o is top[-o]
    int32_t* flags = w.rowFlags;
    int32_t* rowList = w.rowList;
    const int32_t* etaFirst = w.etaFirst;
    const int32_t* etaEnd = w.etaEnd;
    int32_t rowCount = w.rowCount;
    for (int32_t i = w.reachCount - 1; i >= 0; --i) {
        const int32_t r = w.reach[i];
        const double v = spike[r];
        if (v == 0.0) continue;
        const InverseSlot* eta = top - etaFirst[r];
        const InverseSlot* const stop = top - etaEnd[r];
        for (; eta != stop; --eta) {
            const int32_t t = eta->column;
            spike[t] += v * eta->value;
            if ((flags[t] & kTouched) != 0) continue;
            flags[t] |= kTouched;
            rowList[rowCount++] = t;
        }
    }
    w.rowCount = rowCount;
}

// Step 4d: threshold partial pivoting among the unpivoted rows, preferring
// the sparsest acceptable row.  Returns the pivot row (kNone when every
// candidate is negligible) and the largest candidate magnitude in g.
int32_t ChoosePivot(InverseStore& s, LeftWork& w, double& g) {
    const double* spike = s.spike;
    g = 0.0;
    int32_t largestRow = kNone;
    int32_t candidates = 0;
    int32_t smallestCount = INT32_MAX;
    for (int32_t i = 0; i < w.rowCount; ++i) {
        const int32_t r = w.rowList[i];
        const double a = std::fabs(spike[r]);
        if (!(a > s.dropTolerance)) continue;
        s.rowEnd[r] += 1;
        if (s.rowEnd[r] < smallestCount) {
            smallestCount = s.rowEnd[r];
            w.candidates[candidates++] = r;
        }
        if (a > g) {
            g = a;
            largestRow = r;
        }
    }
    if (largestRow == kNone || !(g > s.dropTolerance)) return kNone;
    const double acceptable = s.pivotThreshold * g;
    for (int32_t i = candidates - 1; i >= 0; --i)
        if (std::fabs(spike[w.candidates[i]]) > acceptable) return w.candidates[i];
    return largestRow;
}

// Step 4h-i: writes U's column c (pivot first) and L's column (etas at the
// top).  Room has been checked.
void StoreColumn(InverseStore& s, LeftWork& w, int32_t c, int32_t p) {
    InverseSlot* e = s.elements;
    const double* spike = s.spike;
    const double small = s.dropTolerance;
    int32_t length = 1;
    for (int32_t i = 0; i < w.reachCount; ++i)
        if (std::fabs(spike[w.reach[i]]) > small) ++length;

    const int32_t oldStart = s.colStart[c];
    const int32_t oldEnd = s.colEnd[c];
    int32_t dst = oldStart;
    if (oldEnd - oldStart + 1 >= length) {
        for (int32_t q = oldStart + length; q <= oldEnd; ++q) FreeSlot(e[q]);
    } else {
        for (int32_t q = oldStart; q <= oldEnd; ++q) FreeSlot(e[q]);
        dst = s.colFree;
        s.colFree += length;
    }
    s.colStart[c] = dst;
    s.colEnd[c] = dst + length - 1;
    e[dst] = InverseSlot{spike[p], p, c};
    s.rowStart[p] += 1;
    int32_t next = dst + 1;
    for (int32_t i = 0; i < w.reachCount; ++i) {
        const int32_t r = w.reach[i];
        if (!(std::fabs(spike[r]) > small)) continue;
        e[next++] = InverseSlot{spike[r], r, c};
        s.rowStart[r] += 1;
    }
    s.uCount += length;

    w.etaFirst[p] = s.etaCount;
    const double pivot = spike[p];
    for (int32_t i = 0; i < w.rowCount; ++i) {
        const int32_t t = w.rowList[i];
        if (t == p || !(std::fabs(spike[t]) > small)) continue;
        s.etaCount += 1;
        e[s.capacity - s.etaCount] = InverseSlot{-spike[t] / pivot, p, t};
    }
    w.etaEnd[p] = s.etaCount;
}

void ClearStep(InverseStore& s, LeftWork& w) {
    for (int32_t i = 0; i < w.reachCount; ++i) {
        s.spike[w.reach[i]] = 0.0;
        w.rowFlags[w.reach[i]] &= ~kTouched;
    }
    for (int32_t i = 0; i < w.rowCount; ++i) {
        s.spike[w.rowList[i]] = 0.0;
        w.rowFlags[w.rowList[i]] &= ~kTouched;
    }
}

// Step 5: moves the (value, column) pairs into row order by following the
// permutation cycles in place; the row fields stay, so the column patterns
// remain where the columns were written.  A placed pair's column is kept as
// -2 - column until the sweep ends.
void ArrangeRows(InverseStore& s) {
    InverseSlot* e = s.elements;
    const int32_t m = s.m;
    int32_t sum = 0;
    for (int32_t r = 0; r < m; ++r) {
        const int32_t count = s.rowStart[r];
        s.rowStart[r] = sum;
        s.rowEnd[r] = sum;  // cursor: the diagonal's place is reserved
        sum += count;
    }
    auto destination = [&](int32_t slot, int32_t row, int32_t col) {
        if (slot == s.colStart[col]) return s.rowStart[row];
        s.rowEnd[row] += 1;
        return s.rowEnd[row];
    };
    for (int32_t q = 0; q < s.colFree; ++q) {
        if (e[q].column < 0) continue;  // free, or already placed
        double value = e[q].value;
        int32_t col = e[q].column;
        int32_t row = e[q].row;
        int32_t from = q;
        FreePair(e[q]);
        for (;;) {
            const int32_t d = destination(from, row, col);
            InverseSlot& slot = e[d];
            if (slot.column == kFreeField) {
                slot.value = value;
                slot.column = -2 - col;
                break;
            }
            const double nextValue = slot.value;
            const int32_t nextCol = slot.column;
            slot.value = value;
            slot.column = -2 - col;
            value = nextValue;
            col = nextCol;
            row = slot.row;
            from = d;
        }
    }
    for (int32_t q = 0; q < sum; ++q) e[q].column = -2 - e[q].column;
    s.rowFree = sum;
}

double Factorise(InverseStore& s, LeftWork& w) {
    const int32_t m = s.m;
    double modulus = PrepareInput(s);
    if (modulus < 0.0) return 0.0;
    // Slots above colFree are never read before they are written, so the
    // rest of the store is left as it is (the work stays proportional to
    // the factors, not to the capacity).
    s.colFree = s.nelem;
    std::memset(s.spike, 0, static_cast<size_t>(m) * sizeof(double));
    for (int32_t i = 0; i < m; ++i) {
        w.rowFlags[i] = kUnpivoted;
        w.rowStep[i] = kNone;
        w.colStep[i] = kNone;
    }

    for (int32_t count = 0; count <= m; ++count) w.bucketHead[count] = kNone;
    for (int32_t c = m - 1; c >= 0; --c) {
        const int32_t count = PatternLength(s, c);
        if (count <= 0) return 0.0;
        w.bucketNext[c] = w.bucketHead[count];
        w.bucketHead[count] = c;
    }

    int32_t cursor = 1;
    for (int32_t k = 0; k < m; ++k) {
        while (w.bucketHead[cursor] == kNone) ++cursor;
        const int32_t c = w.bucketHead[cursor];
        w.bucketHead[cursor] = w.bucketNext[c];
        s.pivotCol[k] = c;

        TransformColumn(s, w, c);
        double g = 0.0;
        const int32_t p = ChoosePivot(s, w, g);
        if (p == kNone) {
            ClearStep(s, w);
            return 0.0;
        }
        s.pivotRow[k] = p;
        w.rowStep[p] = k;
        w.rowFlags[p] &= ~kUnpivoted;
        w.colStep[c] = k;
        if (g > modulus) modulus = g;

        const int64_t need = static_cast<int64_t>(s.colFree) + s.etaCount + w.reachCount + w.rowCount;
        if (s.capacity <= need) {
            const int64_t granted = GrowStore(s, need);
            if (granted < 0) {
                ClearStep(s, w);
                return static_cast<double>(granted);
            }
            CompressStore(s, kCompressFactor);
            s.compressions += 1;
        }
        StoreColumn(s, w, c, p);
        ClearStep(s, w);
    }
    ArrangeRows(s);
    return modulus;
}

}  // namespace

// FactorLeftLooking: factorises B given in input layout (slots 0..nelem-1,
// any order of columns) into the final layout; see FactorRoutine.  The spike
// is zero on exit.  Temporaries: one host block, released on every exit; if
// it cannot be had the result is the negated byte count.
double FactorLeftLooking(InverseStore& s) {
    return RunFactorisation(s, kLeftArrays, kLeftExtra, [](InverseStore& store, int32_t* block) {
        LeftWork w{};
        CarveLeftWork(w, block, store);
        return Factorise(store, w);
    });
}

}  // namespace tymlp
