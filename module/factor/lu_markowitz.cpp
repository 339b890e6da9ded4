// lu_markowitz.cpp -- the alternative factorisation (LU = 1): right-looking
// elimination choosing each pivot by the Markowitz cost (r - 1)(c - 1)
// under a relative threshold, the counts kept in doubly linked buckets.
//
// It works directly on the final structures: row lists of (value, column)
// and column patterns of row numbers.  While it runs, a column pattern
// lists only the rows not yet pivoted, so a pattern's length is the
// column's active count and its rows are exactly those to eliminate.  The
// row operation is the update's EliminateRow, so the factors it leaves are
// updated and solved like any other.
#include <cmath>
#include <cstring>

#include "factor/lu_internal.h"
#include "factor/lu_kernel.h"

namespace tymlp {
namespace {

constexpr int32_t kNone = -1;

// Doubly linked buckets of items (rows or columns) by count 0..m.
struct Buckets {
    int32_t* head;  // [m+1]
    int32_t* prev;  // [m]
    int32_t* next;  // [m]
    int32_t* key;   // [m] bucket an item is in, kNone when not linked

    void Link(int32_t item, int32_t count) {
        key[item] = count;
        prev[item] = kNone;
        next[item] = head[count];
        if (head[count] != kNone) prev[head[count]] = item;
        head[count] = item;
    }
    void Unlink(int32_t item) {
        const int32_t count = key[item];
        if (count == kNone) return;
        if (prev[item] != kNone)
            next[prev[item]] = next[item];
        else
            head[count] = next[item];
        if (next[item] != kNone) prev[next[item]] = prev[item];
        key[item] = kNone;
    }
};

struct MarkowitzWork {
    Buckets rows;
    Buckets cols;
    int32_t* rowStep;  // [m] step at which a row was pivoted, kNone before
    int32_t* colStep;  // [m] step at which a column was pivoted
    int32_t* targets;  // [m] rows to eliminate at the current step
    int32_t* touched;  // [m] columns whose count may have changed
    int32_t* colMark;  // [m] 1 while a column is on the touched list
    int32_t touchedCount;
};

// Host block: two heads of m+1, two key arrays and five m-arrays; the links
// live in the store's integer workspace.
constexpr int32_t kMarkowitzArrays = 9;
constexpr int32_t kMarkowitzExtra = 2;

void CarveMarkowitzWork(MarkowitzWork& w, int32_t* block, InverseStore& s) {
    const int32_t m = s.m;
    w.rows.head = block;
    w.cols.head = w.rows.head + (m + 1);
    w.rows.key = w.cols.head + (m + 1);
    w.cols.key = w.rows.key + m;
    w.rowStep = w.cols.key + m;
    w.colStep = w.rowStep + m;
    w.targets = w.colStep + m;
    w.touched = w.targets + m;
    w.colMark = w.touched + m;
    w.rows.prev = s.intWork;
    w.rows.next = s.intWork + m;
    w.cols.prev = s.intWork + 2 * m;
    w.cols.next = s.intWork + 3 * m;
}

// Step 1: drops negligible input entries, sorts the rest into row lists and
// builds the column patterns from them.  Returns the largest |value|, 0 when
// a row or column is empty, -1 for a row or column number out of range.
double PrepareRows(InverseStore& s) {
    const int32_t m = s.m;
    InverseSlot* e = s.elements;
    int32_t kept = 0;
    double largest = 0.0;
    std::memset(s.rowEnd, 0, static_cast<size_t>(m) * sizeof(int32_t));
    std::memset(s.colEnd, 0, static_cast<size_t>(m) * sizeof(int32_t));
    for (int32_t i = 0; i < s.nelem; ++i) {
        const InverseSlot slot = e[i];
        if (slot.row < 0 || slot.row >= m || slot.column < 0 || slot.column >= m) return -1.0;
        if (!(std::fabs(slot.value) > s.dropTolerance)) continue;
        e[kept++] = slot;
        s.rowEnd[slot.row] += 1;
        s.colEnd[slot.column] += 1;
        if (std::fabs(slot.value) > largest) largest = std::fabs(slot.value);
    }
    s.nelem = kept;
    s.uCount = s.rowFree = s.colFree = kept;
    FreeSlotsAbove(s, kept);
    int32_t rowSum = 0;
    int32_t colSum = 0;
    for (int32_t i = 0; i < m; ++i) {
        if (s.rowEnd[i] == 0 || s.colEnd[i] == 0) return 0.0;
        s.rowStart[i] = rowSum;
        rowSum += s.rowEnd[i];
        s.colStart[i] = colSum;
        colSum += s.colEnd[i];
        s.colEnd[i] = s.colStart[i] - 1;  // fill cursor
    }
    SortSlotsByKey(e, m, true, s.rowStart, s.rowEnd);
    for (int32_t r = 0; r < m; ++r)
        for (int32_t q = s.rowStart[r]; q <= s.rowEnd[r]; ++q) {
            const int32_t c = e[q].column;
            s.colEnd[c] += 1;
            e[s.colEnd[c]].row = r;
        }
    return largest;
}

double RowMax(const InverseStore& s, int32_t r) {
    double g = 0.0;
    for (int32_t q = s.rowStart[r]; q <= s.rowEnd[r]; ++q) g = std::fmax(g, std::fabs(s.elements[q].value));
    return g;
}

// Step 2: the pivot search.  Counts k = 1, 2, ...: columns of count k (each
// entry costs (r_i - 1)(k - 1) and, for k > 1, must pass the threshold
// against its row's largest entry), then rows of count k (entries passing
// the threshold cost (c_j - 1)(k - 1)).  The search ends once the best cost
// cannot be beaten by a larger count.  Returns false when nothing is left.
bool SearchPivot(const InverseStore& s, const MarkowitzWork& w, int32_t& pivotRowOut, int32_t& pivotColOut) {
    const InverseSlot* e = s.elements;
    const int64_t m = s.m;
    const double u = s.pivotThreshold;
    int64_t best = m * m;
    pivotRowOut = kNone;
    pivotColOut = kNone;
    for (int64_t k = 1; k <= m; ++k) {
        const int64_t bound = (k - 1) * (k - 1);
        if (best <= bound) break;
        for (int32_t c = w.cols.head[k]; c != kNone; c = w.cols.next[c]) {
            for (int32_t q = s.colStart[c]; q <= s.colEnd[c]; ++q) {
                const int32_t i = e[q].row;
                const int64_t cost = (static_cast<int64_t>(RowLength(s, i)) - 1) * (k - 1);
                if (cost >= best) continue;
                if (k > 1) {
                    const int32_t at = FindInRow(s, i, c);
                    if (at < 0 || std::fabs(e[at].value) < u * RowMax(s, i)) continue;
                }
                best = cost;
                pivotRowOut = i;
                pivotColOut = c;
                if (best <= bound) return true;
            }
        }
        for (int32_t r = w.rows.head[k]; r != kNone; r = w.rows.next[r]) {
            const double g = RowMax(s, r);
            for (int32_t q = s.rowStart[r]; q <= s.rowEnd[r]; ++q) {
                if (std::fabs(e[q].value) < u * g) continue;
                const int32_t c = e[q].column;
                const int64_t cost = (static_cast<int64_t>(PatternLength(s, c)) - 1) * (k - 1);
                if (cost >= best) continue;
                best = cost;
                pivotRowOut = r;
                pivotColOut = c;
                if (best <= bound) return true;
            }
        }
    }
    return pivotRowOut != kNone;
}

void TouchRowColumns(const InverseStore& s, MarkowitzWork& w, int32_t r, int32_t skip) {
    for (int32_t q = s.rowStart[r]; q <= s.rowEnd[r]; ++q) {
        const int32_t c = s.elements[q].column;
        if (c == skip || w.colMark[c]) continue;
        w.colMark[c] = 1;
        w.touched[w.touchedCount++] = c;
    }
}

// Step 3: pivots on (i, j): row i leaves every active pattern, every other
// row of column j is eliminated with row i, and the counts of the touched
// rows and columns are brought up to date.  Returns the largest value the
// eliminations stored (0 if none), -1 when an active row or column became
// empty (singular), or the negative result of GrowStore (below -1).
double Pivot(InverseStore& s, MarkowitzWork& w, int32_t i, int32_t j) {
    MoveToRowFront(s, i, FindInRow(s, i, j));
    int32_t targetCount = 0;
    for (int32_t q = s.colStart[j]; q <= s.colEnd[j]; ++q) {
        const int32_t r = s.elements[q].row;
        if (r != i) w.targets[targetCount++] = r;
        s.elements[q].row = kFreeField;
    }
    s.colEnd[j] = s.colStart[j] - 1;

    w.touchedCount = 0;
    TouchRowColumns(s, w, i, j);
    for (int32_t q = s.rowStart[i] + 1; q <= s.rowEnd[i]; ++q) RemoveFromPattern(s, s.elements[q].column, i);

    double largest = 0.0;
    bool emptied = false;
    const double pivotValue = s.elements[s.rowStart[i]].value;
    for (int32_t n = 0; n < targetCount; ++n) {
        const int32_t t = w.targets[n];
        MoveToRowFront(s, t, FindInRow(s, t, j));
        TouchRowColumns(s, w, t, j);
        const double mu = -s.elements[s.rowStart[t]].value / pivotValue;
        const double produced = EliminateRow(s, i, t, mu);
        if (produced < 0.0) return produced < -1.0 ? produced : -2.0;
        s.uCount -= 1;
        largest = std::fmax(largest, produced);
        w.rows.Unlink(t);
        if (RowLength(s, t) <= 0)
            emptied = true;
        else
            w.rows.Link(t, RowLength(s, t));
    }
    for (int32_t n = 0; n < w.touchedCount; ++n) {
        const int32_t c = w.touched[n];
        w.colMark[c] = 0;
        w.cols.Unlink(c);
        if (PatternLength(s, c) <= 0)
            emptied = true;
        else
            w.cols.Link(c, PatternLength(s, c));
    }
    return emptied ? -1.0 : largest;
}

// Step 4: the column patterns of U, rebuilt from the row lists in pivot
// order and filled from their ends, list rows by decreasing step, so each
// starts with its diagonal's row.
void RebuildPatterns(InverseStore& s) {
    InverseSlot* e = s.elements;
    const int32_t m = s.m;
    const int32_t top = s.colFree > s.rowFree ? s.colFree : s.rowFree;
    for (int32_t q = 0; q < top; ++q) e[q].row = kFreeField;
    std::memset(s.colEnd, 0, static_cast<size_t>(m) * sizeof(int32_t));
    for (int32_t r = 0; r < m; ++r)
        for (int32_t q = s.rowStart[r]; q <= s.rowEnd[r]; ++q) s.colEnd[e[q].column] += 1;
    int32_t sum = 0;
    for (int32_t c = 0; c < m; ++c) {
        s.colStart[c] = sum;
        sum += s.colEnd[c];
        s.colEnd[c] = sum;  // fill cursor, one past the end
    }
    for (int32_t k = 0; k < m; ++k) {
        const int32_t r = s.pivotRow[k];
        for (int32_t q = s.rowStart[r]; q <= s.rowEnd[r]; ++q) {
            const int32_t c = e[q].column;
            s.colEnd[c] -= 1;
            e[s.colEnd[c]].row = r;
        }
    }
    for (int32_t c = 0; c < m; ++c) s.colEnd[c] = (c + 1 < m ? s.colStart[c + 1] : sum) - 1;
    s.colFree = sum;
}

double Factorise(InverseStore& s, MarkowitzWork& w) {
    const int32_t m = s.m;
    double modulus = PrepareRows(s);
    if (modulus <= 0.0) return 0.0;
    std::memset(s.spike, 0, static_cast<size_t>(m) * sizeof(double));
    for (int32_t i = 0; i <= m; ++i) w.rows.head[i] = w.cols.head[i] = kNone;
    for (int32_t i = m - 1; i >= 0; --i) {
        w.rowStep[i] = w.colStep[i] = kNone;
        w.colMark[i] = 0;
        w.rows.Link(i, RowLength(s, i));
        w.cols.Link(i, PatternLength(s, i));
    }

    for (int32_t k = 0; k < m; ++k) {
        int32_t i = kNone;
        int32_t j = kNone;
        if (!SearchPivot(s, w, i, j)) return 0.0;
        w.rowStep[i] = k;
        w.colStep[j] = k;
        w.rows.Unlink(i);
        w.cols.Unlink(j);
        const double produced = Pivot(s, w, i, j);
        if (produced == -1.0) return 0.0;
        if (produced < 0.0) return produced;
        modulus = std::fmax(modulus, produced);
    }
    for (int32_t r = 0; r < m; ++r) s.pivotRow[w.rowStep[r]] = r;
    for (int32_t c = 0; c < m; ++c) s.pivotCol[w.colStep[c]] = c;
    RebuildPatterns(s);
    return modulus;
}

}  // namespace

// FactorMarkowitz: factorises B given in input layout into the final layout;
// see FactorRoutine.  Input entries of magnitude <= dropTolerance are treated
// as absent.  The spike is zero on exit.  Temporaries: one host block,
// released on every exit; if it cannot be had the result is the negated
// byte count.
double FactorMarkowitz(InverseStore& s) {
    return RunFactorisation(s, kMarkowitzArrays, kMarkowitzExtra, [](InverseStore& store, int32_t* block) {
        MarkowitzWork w{};
        CarveMarkowitzWork(w, block, store);
        return Factorise(store, w);
    });
}

}  // namespace tymlp
