// lu_update.cpp -- replacing one column of U after a basis exchange.
//
// The entering column arrives as the spike L^-1 a_q.  It replaces U's
// column p; the rows between the step of p and the last step the spike
// reaches (the bump) then lose triangular form.  Rather than eliminating
// across the whole bump, the update first shrinks it: rows that do not
// depend on p leave at the front, rows that cannot reach p's old pivot row
// leave at the back, and column singletons of what remains are pivoted
// without arithmetic.  Only the core left after that is eliminated, one row
// operation (an eta) per entry, with threshold row interchanges.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "factor/lu_internal.h"
#include "factor/lu_kernel.h"

namespace tymlp {
namespace {

// Marks kept in the (otherwise zero) spike vector while the bump shrinks:
// by column for "depends on p", by row for "reaches p's row" and "in core".
constexpr double kMarkDepends = 1.0;
constexpr double kMarkReaches = 2.0;
constexpr double kMarkCore = 3.0;

// The spike's nonzero rows are visited from their list while they are at
// most this share (1/k) of the rows.
constexpr int32_t kListedSpikeShare = 8;

constexpr double kSingular = 0.0;
constexpr double kNoElimination = 1.0;

// The spike is zero again: through the list of its marked entries when the
// store keeps one, otherwise by clearing all m.
void ClearSpike(InverseStore& s) {
    if (s.spikeCount >= 0 && s.spikeList != nullptr) {
        for (int32_t k = 0; k < s.spikeCount; ++k) s.spike[s.spikeList[k]] = 0.0;
    } else {
        std::memset(s.spike, 0, static_cast<size_t>(s.m) * sizeof(double));
    }
    s.spikeCount = 0;
}

// Sets a mark in the spike vector, listing the entry when it was zero so
// that ClearSpike need not clear all m.
inline void SetMark(InverseStore& s, int32_t i, double mark) {
    if (s.spikeCount >= 0 && s.spikeList != nullptr && s.spike[i] == 0.0) s.spikeList[s.spikeCount++] = i;
    s.spike[i] = mark;
}

// SetMark for a run of marks: the spike, its list and the list's count in
// locals, so that the count is not reloaded after every store into the list
// (which, as far as the compiler knows, could be the store's own count).
// Done() puts the count back.
class SpikeMarks {
  public:
    explicit SpikeMarks(InverseStore& s)
        : s_(s),
          spike_(s.spike),
          list_(s.spikeList),
          count_(s.spikeCount),
          listing_(s.spikeCount >= 0 && s.spikeList != nullptr) {}
    double operator[](int32_t i) const { return spike_[i]; }
    void Set(int32_t i, double mark) {
        if (listing_ && spike_[i] == 0.0) list_[count_++] = i;
        spike_[i] = mark;
    }
    void Done() {
        if (listing_) s_.spikeCount = count_;
    }

  private:
    InverseStore& s_;
    double* spike_;
    int32_t* list_;
    int32_t count_;
    bool listing_;
};

// Appends the kept spike entry v of row r to column p (and to row r),
// starting the column with its first entry.  Returns 0 or the negative
// result of GrowStore.
int64_t AppendSpikeEntry(InverseStore& s, int32_t p, int32_t r, double v, bool& empty) {
    s.uCount += 1;
    const int64_t g = MakeRoom(s, kCompressColumns, 0);
    if (g < 0) return g;
    if (empty) s.colStart[p] = s.colFree;
    empty = false;
    s.elements[s.colFree].row = r;
    s.colEnd[p] = s.colFree;
    s.colFree += 1;
    return AppendToRow(s, r, v, p);
}

// Step 2 for a spike whose nonzero rows are listed: the same insertions as
// the sweep over all steps, visiting only the listed rows in step order.
int64_t InsertListedSpike(InverseStore& s, int32_t p, int32_t rp, int32_t& first, int32_t& last) {
    double* spike = s.spike;
    int32_t* rows = s.spikeList;
    const int32_t count = s.spikeCount;
    const int32_t* step = s.rowStep;
    std::sort(rows, rows + count, [step](int32_t a, int32_t b) { return step[a] < step[b]; });
    first = step[rp];
    last = -1;
    bool empty = true;
    for (int32_t k = 0; k < count; ++k) {
        const int32_t r = rows[k];
        const double v = spike[r];
        spike[r] = 0.0;
        if (!(std::fabs(v) > s.dropTolerance)) continue;
        const int64_t g = AppendSpikeEntry(s, p, r, v, empty);
        if (g < 0) return g;
        last = step[r];
    }
    s.spikeCount = 0;
    return 0;
}

// Step 1: takes column p out of U.  Returns the row of p's diagonal, or -1
// when p had no pattern (a damaged store; treated as singular).
int32_t RemoveColumn(InverseStore& s, int32_t p) {
    InverseSlot* e = s.elements;
    const int32_t cs = s.colStart[p];
    const int32_t ce = s.colEnd[p];
    if (ce < cs) return -1;
    const int32_t rp = e[cs].row;
    s.uCount -= ce - cs + 1;
    for (int32_t j = cs; j <= ce; ++j) {
        const int32_t r = e[j].row;
        e[j].row = kFreeField;
        const int32_t q = FindInRow(s, r, p);
        if (q < 0) continue;
        const int32_t re = s.rowEnd[r];
        e[q].value = e[re].value;
        e[q].column = e[re].column;
        FreePair(e[re]);
        s.rowEnd[r] = re - 1;
    }
    s.colEnd[p] = cs - 1;
    return rp;
}

// Step 2: inserts the spike as column p in pivot order, clearing the spike
// as it goes.  Sets first (the step of rp) and last (the last step with a
// kept entry, -1 if none).  Returns 0 or the negative result of GrowStore.
int64_t InsertSpike(InverseStore& s, int32_t p, int32_t rp, int32_t& first, int32_t& last) {
    // A short list is sorted by step; a long one costs more to sort than
    // the sweep over all steps.
    if (s.spikeCount >= 0 && s.spikeList != nullptr && s.rowStep != nullptr && s.spikeCount <= s.m / kListedSpikeShare)
        return InsertListedSpike(s, p, rp, first, last);
    // After the sweep the spike is zero: the marks that follow can be listed.
    if (s.spikeList != nullptr) s.spikeCount = 0;
    double* spike = s.spike;
    first = -1;
    last = -1;
    bool empty = true;
    for (int32_t k = 0; k < s.m; ++k) {
        const int32_t r = s.pivotRow[k];
        if (r == rp) first = k;
        const double v = spike[r];
        spike[r] = 0.0;
        if (!(std::fabs(v) > s.dropTolerance)) continue;
        const int64_t g = AppendSpikeEntry(s, p, r, v, empty);
        if (g < 0) return g;
        last = k;
    }
    return 0;
}

// Steps 4a-4d: shrinks the bump first..last to its core.  On exit the rows
// that do not depend on p fill first..front-1, the rows that do not reach
// rp fill back+1..last (both in their old order), the core rows fill
// front..back with rp at back and are marked kMarkCore, and the core list
// is also kept (in order) in pivotCol[last-(back-front) .. last].
void ShrinkBump(InverseStore& s, int32_t p, int32_t rp, int32_t first, int32_t last, int32_t& front, int32_t& back) {
    const InverseSlot* e = s.elements;
    SpikeMarks mark(s);
    int32_t* pivotRow = s.pivotRow;
    int32_t* pivotCol = s.pivotCol;

    // Forward pass: a row depends on p when its diagonal column has an
    // entry in a row that already depends on p.
    mark.Set(p, kMarkDepends);
    int32_t dependents = 0;
    int32_t moved = 0;
    for (int32_t k = first; k <= last; ++k) {
        const int32_t r = pivotRow[k];
        if (mark[pivotCol[k]] == kMarkDepends) {
            const int32_t re = s.rowEnd[r];
            for (int32_t q = s.rowStart[r]; q <= re; ++q) mark.Set(e[q].column, kMarkDepends);
            pivotCol[first + dependents] = r;
            ++dependents;
        } else {
            pivotRow[first + moved] = r;
            ++moved;
        }
    }
    front = first + moved;
    for (int32_t i = 1; i < dependents; ++i) pivotRow[front + i - 1] = pivotCol[first + i];
    pivotRow[last] = rp;
    mark.Set(rp, kMarkReaches);

    // Backward pass: a row is in the core when it has an entry in the
    // column of a core row below it (rp's column being p).
    int32_t core = 0;
    int32_t outside = 0;
    for (int32_t k = last; k >= front; --k) {
        const int32_t r = pivotRow[k];
        const int32_t c = k == last ? p : e[s.rowStart[r]].column;
        if (mark[r] == kMarkReaches) {
            pivotCol[last - core] = r;
            ++core;
            const int32_t ce = s.colEnd[c];
            for (int32_t q = s.colStart[c]; q <= ce; ++q) mark.Set(e[q].row, kMarkReaches);
        } else {
            pivotRow[last - outside] = r;
            ++outside;
        }
    }
    back = last - outside;
    for (int32_t i = 0; i < core; ++i) {
        const int32_t r = pivotCol[last - core + 1 + i];
        pivotRow[front + i] = r;
        mark.Set(r, kMarkCore);
    }
    mark.Done();
}

enum class SingletonOutcome { Singular, Complete, NeedsElimination };

// Step 4e: pivots column singletons of the core, starting with column p.
// On exit `j` is the first core position not yet placed and `c` the column
// still to be placed; the unplaced core rows fill j..back in their order.
SingletonOutcome PlaceSingletons(InverseStore& s, int32_t p, int32_t rp, int32_t front, int32_t back, int32_t last,
                                 int32_t& j, int32_t& c) {
    InverseSlot* e = s.elements;
    double* mark = s.spike;
    c = p;
    j = front;
    SingletonOutcome outcome = SingletonOutcome::NeedsElimination;
    while (j <= back) {
        int32_t count = 0;
        int32_t rowOfSingleton = -1;
        for (int32_t q = s.colStart[c]; q <= s.colEnd[c] && count < 2; ++q) {
            if (mark[e[q].row] != kMarkCore) continue;
            ++count;
            rowOfSingleton = e[q].row;
        }
        if (count == 0) return SingletonOutcome::Singular;
        if (count >= 2) break;

        const int32_t sRow = rowOfSingleton;
        const int32_t oldDiagonal = sRow == rp ? -1 : e[s.rowStart[sRow]].column;
        const int32_t q = FindInRow(s, sRow, c);
        if (q < 0) return SingletonOutcome::Singular;
        MoveToPatternFront(s, c, sRow);
        MoveToRowFront(s, sRow, q);
        s.pivotRow[j] = sRow;
        SetMark(s, sRow, kMarkReaches);
        ++j;
        // rp had no diagonal of its own: once it is placed, the core rows
        // left keep their diagonals and are triangular in their old order.
        if (sRow == rp) {
            outcome = SingletonOutcome::Complete;
            break;
        }
        c = oldDiagonal;
    }
    if (j > back) outcome = SingletonOutcome::Complete;

    const int32_t coreSize = back - front + 1;
    int32_t next = j;
    for (int32_t i = last - coreSize + 1; i <= last; ++i) {
        const int32_t r = s.pivotCol[i];
        if (mark[r] == kMarkCore) s.pivotRow[next++] = r;
    }
    return outcome;
}

// Step 5: eliminates the bottom row (rp) across the core j..back, column c
// being placed last.  Returns the modulus (>= 1), 0 singular, < 0 memory.
double EliminateCore(InverseStore& s, int32_t j, int32_t back, int32_t c) {
    double modulus = kNoElimination;
    int32_t t = s.pivotRow[back];
    for (int32_t pos = j; pos <= back; ++pos) {
        const int32_t i = s.pivotRow[pos];
        const int32_t cj = pos == back ? c : s.elements[s.rowStart[i]].column;
        const int32_t q = FindInRow(s, t, cj);
        if (q < 0) {
            if (pos == back) return kSingular;
            continue;
        }
        MoveToRowFront(s, t, q);
        if (pos == back) {
            if (s.elements[s.rowStart[t]].value == 0.0) return kSingular;
            MoveToPatternFront(s, cj, t);
            break;
        }
        const double a = std::fabs(s.elements[s.rowStart[i]].value);
        const double ev = std::fabs(s.elements[s.rowStart[t]].value);
        const double u = s.pivotThreshold;
        const bool interchange = a < ev * u || (a * u <= ev && RowLength(s, t) < RowLength(s, i));
        int32_t pivot = i;
        int32_t bottom = t;
        if (interchange) {
            s.pivotRow[pos] = t;
            s.pivotRow[back] = i;
            MoveToPatternFront(s, cj, t);
            pivot = t;
            bottom = i;
            t = i;
        }
        const double pivotValue = s.elements[s.rowStart[pivot]].value;
        if (pivotValue == 0.0) return kSingular;
        const double mu = -s.elements[s.rowStart[bottom]].value / pivotValue;
        const double produced = EliminateRow(s, pivot, bottom, mu);
        if (produced < 0.0) return produced;
        if (produced > modulus) modulus = produced;
        RemoveFromPattern(s, cj, bottom);
        s.uCount -= 1;
    }
    return modulus;
}

double Replace(InverseStore& s, int32_t p) {
    const int32_t rp = RemoveColumn(s, p);
    if (rp < 0) return kSingular;
    int32_t first = -1;
    int32_t last = -1;
    const int64_t inserted = InsertSpike(s, p, rp, first, last);
    if (inserted < 0) return static_cast<double>(inserted);
    if (RowLength(s, rp) <= 0 || PatternLength(s, p) <= 0 || last < first) return kSingular;

    int32_t front = first;
    int32_t back = last;
    ShrinkBump(s, p, rp, first, last, front, back);
    int32_t j = front;
    int32_t c = p;
    const SingletonOutcome outcome = PlaceSingletons(s, p, rp, front, back, last, j, c);
    if (outcome == SingletonOutcome::Singular) return kSingular;

    double modulus = kNoElimination;
    if (outcome == SingletonOutcome::NeedsElimination) {
        ClearSpike(s);
        modulus = EliminateCore(s, j, back, c);
        if (modulus <= 0.0) return modulus;
    }
    for (int32_t k = first; k <= last; ++k) s.pivotCol[k] = s.elements[s.rowStart[s.pivotRow[k]]].column;
    if (s.rowStep != nullptr)
        for (int32_t k = first; k <= last; ++k) s.rowStep[s.pivotRow[k]] = k;
    return modulus;
}

}  // namespace

// UpdateFactor: replaces U's column at basis position p by the spike (see
// lu_kernel.h).  Precondition: the spike holds L^-1 a_q of the entering
// column by row (all etas applied), and the factors are consistent.  On
// exit the spike is zero.  Returns 1.0 when no elimination was needed, the
// largest magnitude an elimination stored (>= 1.0) otherwise, 0 when the
// new basis is singular, < 0 when the store could not be enlarged; after a
// result <= 0 the factors are fit only for a new factorisation.
double UpdateFactor(InverseStore& s, int32_t p) {
    const double modulus = Replace(s, p);
    ClearSpike(s);
    return modulus;
}

}  // namespace tymlp
