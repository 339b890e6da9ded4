// lu_eliminate.cpp -- the row operation shared by the update and the
// Markowitz factorisation.
#include <cmath>

#include "factor/lu_internal.h"
#include "factor/lu_kernel.h"

namespace tymlp {

// EliminateRow: row b := row b + mu * row a, where row b's first entry is
// the one being eliminated (it is dropped, not computed) and row a's first
// entry is its pivot.  Row b is rewritten at rowFree; results of magnitude
// <= dropTolerance are dropped and b leaves their column patterns; fill-in
// joins the patterns.  The eta (mu, a, b) is appended to the eta file.
// The caller accounts for the eliminated entry (uCount and column pattern).
// Precondition: spike is zero; a != b.  On exit spike is zero again.
// Returns the largest |value| stored into row b (0 if none), or the
// negative result of GrowStore when the store could not be enlarged (the
// factors are then fit only for a new factorisation).
double EliminateRow(InverseStore& s, int32_t a, int32_t b, double mu) {
    const int64_t len = static_cast<int64_t>(RowLength(s, b)) + RowLength(s, a);
    const int64_t room = MakeRoom(s, kCompressRows, len);
    if (room < 0) return static_cast<double>(room);

    // The free counter and the slot base are kept in locals while entries
    // are written (the store itself could alias the slots as far as the
    // compiler knows); they go back to the store before any call that may
    // read them or move the slot array.
    InverseSlot* e = s.elements;
    double* spike = s.spike;
    const double small = s.dropTolerance;
    const int32_t aStart = s.rowStart[a];
    const int32_t aEnd = s.rowEnd[a];
    for (int32_t q = aStart + 1; q <= aEnd; ++q) spike[e[q].column] = e[q].value;

    // Existing entries of row b, moved to rowFree as they are updated.
    double largest = 0.0;
    const int32_t oldStart = s.rowStart[b];
    const int32_t oldEnd = s.rowEnd[b];
    const int32_t newStart = s.rowFree;
    int32_t free = newStart;
    FreePair(e[oldStart]);
    for (int32_t q = oldStart + 1; q <= oldEnd; ++q) {
        const int32_t col = e[q].column;
        const double v = e[q].value + mu * spike[col];
        FreePair(e[q]);
        spike[col] = 0.0;
        if (std::fabs(v) <= small) {
            s.uCount -= 1;
            RemoveFromPattern(s, col, b);
            continue;
        }
        e[free].value = v;
        e[free].column = col;
        ++free;
        if (std::fabs(v) > largest) largest = std::fabs(v);
    }
    s.rowFree = free;
    s.rowStart[b] = newStart;
    s.rowEnd[b] = free - 1;

    // Fill-in: row a's entries whose columns row b did not have.
    for (int32_t q = aStart + 1; q <= aEnd; ++q) {
        const int32_t col = e[q].column;
        const double source = spike[col];
        if (source == 0.0) continue;
        spike[col] = 0.0;
        const double v = mu * source;
        if (std::fabs(v) <= small) continue;
        InverseSlot& dst = e[s.rowFree];
        dst.value = v;
        dst.column = col;
        s.rowFree += 1;
        s.rowEnd[b] = s.rowFree - 1;
        s.uCount += 1;
        if (std::fabs(v) > largest) largest = std::fabs(v);
        const int64_t g = AppendToPattern(s, col, b);
        e = s.elements;  // a grown store may have moved
        if (g < 0) {
            // Leave the spike clean for whoever refactorises next.
            for (int32_t r = q + 1; r <= aEnd; ++r) spike[e[r].column] = 0.0;
            return static_cast<double>(g);
        }
    }
    s.rowEnd[b] = s.rowFree - 1;

    if (s.capacity <= s.etaCount + s.colFree + 1) {
        const int64_t g = MakeRoom(s, kCompressColumns, 1);
        if (g < 0) return static_cast<double>(g);
    }
    s.etaCount += 1;
    InverseSlot& eta = s.elements[s.capacity - s.etaCount];
    eta.value = mu;
    eta.row = a;
    eta.column = b;
    return largest;
}

}  // namespace tymlp
