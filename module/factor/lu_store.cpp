// lu_store.cpp -- growing the inverse store, the list operations that the
// factorisations and the update share, and the factorisations' common frame.
#include <cstring>
#include <utility>

#include "base/host_link.h"
#include "factor/lu_internal.h"
#include "factor/lu_kernel.h"

namespace tymlp {

// GrowStore: asks the memory-shift callback for (need - capacity + 1) slots.
// The granted slots extend the array at the top; the eta file moves up by
// that many slots so that it stays at the top, and every slot between the
// old and the new position of the eta file is freed.  Precondition: the
// callback honours the contract of MemoryShiftCallback.  Returns 0 when at
// least the requested slots were added, else the negated byte request (any
// slots that were granted are kept even then).
int64_t GrowStore(InverseStore& s, int64_t need) {
    const int64_t slots = need - s.capacity + 1;
    if (slots <= 0) return 0;
    const int64_t bytes = slots * kSlotBytes;
    if (s.memoryShift == nullptr || need >= INT32_MAX) return -bytes;

    int64_t granted = bytes;
    s.memoryShift(s.memoryShiftArg, &granted);
    if (granted < 0) return granted;

    int64_t added = granted / kSlotBytes;
    if (added > INT32_MAX - static_cast<int64_t>(s.capacity)) added = INT32_MAX - static_cast<int64_t>(s.capacity);
    const int32_t oldCap = s.capacity;
    const int32_t newCap = static_cast<int32_t>(oldCap + added);
    InverseSlot* e = s.elements;  // the callback may have moved the array
    if (s.etaCount > 0)
        std::memmove(e + newCap - s.etaCount, e + oldCap - s.etaCount,
                     static_cast<size_t>(s.etaCount) * sizeof(InverseSlot));
    // Slots below the moved eta file that are not part of it now are free.
    const int32_t freeFrom = oldCap - s.etaCount;
    const int32_t freeTo = newCap - s.etaCount;
    for (int32_t i = freeFrom; i < freeTo; ++i) FreeSlot(e[i]);
    s.capacity = newCap;
    return added >= slots ? 0 : -bytes;
}

int64_t MakeRoom(InverseStore& s, char mode, int64_t len) {
    auto freeAt = [&]() -> int64_t { return mode == kCompressRows ? s.rowFree : s.colFree; };
    if (s.capacity > freeAt() + s.etaCount + len) return 0;
    if (s.capacity <= static_cast<int64_t>(s.uCount) + s.etaCount + len) {
        const int64_t g = GrowStore(s, static_cast<int64_t>(s.uCount) + s.etaCount + len);
        if (g < 0) return g;
    }
    CompressStore(s, mode);
    s.compressions += 1;
    // A structure may hold a few more live entries than uCount while a row is
    // being rewritten; make sure the packed structure really leaves room.
    if (s.capacity <= freeAt() + s.etaCount + len) {
        const int64_t g = GrowStore(s, freeAt() + s.etaCount + len);
        if (g < 0) return g;
    }
    // A compression costs the whole store: when it freed little, the next
    // one would come after a few appends, and every update would pay for a
    // pass over the store.  A quarter of the used part kept free spaces
    // compressions so that their cost spreads over as many appends.  (Only
    // asked for: a refusal leaves the store as the caller needs it.)
    const int64_t used = static_cast<int64_t>(freeAt()) + s.etaCount + len;
    if (s.capacity - used < used / 4) (void)GrowStore(s, used + used / 4);
    return 0;
}

int32_t FindInRow(const InverseStore& s, int32_t r, int32_t c) {
    const InverseSlot* e = s.elements;
    for (int32_t q = s.rowStart[r]; q <= s.rowEnd[r]; ++q)
        if (e[q].column == c) return q;
    return -1;
}

bool RemoveFromPattern(InverseStore& s, int32_t c, int32_t r) {
    InverseSlot* e = s.elements;
    const int32_t last = s.colEnd[c];
    for (int32_t q = s.colStart[c]; q <= last; ++q) {
        if (e[q].row != r) continue;
        e[q].row = e[last].row;
        e[last].row = kFreeField;
        s.colEnd[c] = last - 1;
        return true;
    }
    return false;
}

void MoveToPatternFront(InverseStore& s, int32_t c, int32_t r) {
    InverseSlot* e = s.elements;
    const int32_t front = s.colStart[c];
    for (int32_t q = front; q <= s.colEnd[c]; ++q) {
        if (e[q].row != r) continue;
        std::swap(e[q].row, e[front].row);
        return;
    }
}

void MoveToRowFront(InverseStore& s, int32_t r, int32_t q) {
    InverseSlot* e = s.elements;
    const int32_t front = s.rowStart[r];
    if (q == front) return;
    std::swap(e[q].value, e[front].value);
    std::swap(e[q].column, e[front].column);
}

int64_t AppendToPattern(InverseStore& s, int32_t c, int32_t r) {
    InverseSlot* e = s.elements;
    int32_t cs = s.colStart[c];
    int32_t ce = s.colEnd[c];
    if (ce >= cs) {
        if (ce + 1 < s.colFree && e[ce + 1].row == kFreeField) {
            e[ce + 1].row = r;
            s.colEnd[c] = ce + 1;
            return 0;
        }
        if (ce + 1 == s.colFree && s.etaCount + s.colFree < s.capacity) {
            e[s.colFree].row = r;
            s.colFree += 1;
            s.colEnd[c] = ce + 1;
            return 0;
        }
    }
    const int32_t len = ce >= cs ? ce - cs + 1 : 0;
    const int64_t g = MakeRoom(s, kCompressColumns, len + 1);
    if (g < 0) return g;
    e = s.elements;
    cs = s.colStart[c];  // compression may have moved the pattern
    const int32_t dst = s.colFree;
    for (int32_t q = 0; q < len; ++q) {
        e[dst + q].row = e[cs + q].row;
        e[cs + q].row = kFreeField;
    }
    e[dst + len].row = r;
    s.colStart[c] = dst;
    s.colEnd[c] = dst + len;
    s.colFree = dst + len + 1;
    return 0;
}

int64_t AppendToRow(InverseStore& s, int32_t r, double value, int32_t c) {
    InverseSlot* e = s.elements;
    const int32_t re = s.rowEnd[r];
    if (re + 1 >= 0 && re + 1 < s.rowFree && e[re + 1].column == kFreeField) {
        e[re + 1].value = value;
        e[re + 1].column = c;
        s.rowEnd[r] = re + 1;
        return 0;
    }
    const int32_t len = RowLength(s, r) > 0 ? RowLength(s, r) : 0;
    // A row that moves leaves free slots behind its new end, a quarter of
    // its length: a long row that grows by one entry an update (the
    // objective's, in a basis of many rows) then moves once every so many
    // updates instead of at each.
    const int32_t spare = len / 4;
    int64_t g = MakeRoom(s, kCompressRows, static_cast<int64_t>(len) + 1 + spare);
    if (g < 0) g = MakeRoom(s, kCompressRows, len + 1);
    if (g < 0) return g;
    e = s.elements;
    const int32_t rs = s.rowStart[r];  // compression may have moved the row
    const int32_t dst = s.rowFree;
    for (int32_t q = 0; q < len; ++q) {
        e[dst + q].value = e[rs + q].value;
        e[dst + q].column = e[rs + q].column;
        FreePair(e[rs + q]);
    }
    e[dst + len].value = value;
    e[dst + len].column = c;
    s.rowStart[r] = dst;
    s.rowEnd[r] = dst + len;
    int32_t room = spare;
    if (s.capacity - s.etaCount - (dst + len + 1) <= room) room = 0;
    for (int32_t q = 1; q <= room; ++q) FreePair(e[dst + len + q]);
    s.rowFree = dst + len + 1 + room;
    return 0;
}

// In-place distribution sort: each bucket's cursor walks its range; a slot
// of another key is swapped to that key's cursor, so every slot moves at
// most once to its final bucket.
void SortSlotsByKey(InverseSlot* e, int32_t m, bool byRow, int32_t* start, int32_t* end) {
    if (m <= 0) return;
    auto key = [&](int32_t i) { return byRow ? e[i].row : e[i].column; };
    const int32_t total = start[m - 1] + end[m - 1];
    for (int32_t b = 0; b < m; ++b) end[b] = start[b];
    for (int32_t b = 0; b < m; ++b) {
        const int32_t limit = b + 1 < m ? start[b + 1] : total;
        while (end[b] < limit) {
            const int32_t i = end[b];
            const int32_t k = key(i);
            if (k == b) {
                end[b] += 1;
            } else {
                std::swap(e[i], e[end[k]]);
                end[k] += 1;
            }
        }
    }
    for (int32_t b = 0; b < m; ++b) end[b] -= 1;
}

void FreeSlotsAbove(InverseStore& s, int32_t from) {
    InverseSlot* e = s.elements;
    const int32_t to = s.capacity - s.etaCount;
    for (int32_t i = from; i < to; ++i) FreeSlot(e[i]);
}

double RunFactorisation(InverseStore& s, int32_t perRow, int32_t extra, FactorBody body) {
    s.etaCount = 0;
    s.factorEtas = 0;
    s.compressions = 0;
    s.uCount = 0;
    s.rowFree = 0;
    s.colFree = 0;
    if (s.m <= 0) return 0.0;
    const size_t bytes = (static_cast<size_t>(perRow) * s.m + extra) * sizeof(int32_t);
    auto* block = static_cast<int32_t*>(host_alloc(bytes, TYM_ALLOC_STEP));
    if (block == nullptr) return -static_cast<double>(bytes);
    const double modulus = body(s, block);
    host_release(block);
    // Fresh factors leave the spike zero; sparse solves find each row's step.
    s.spikeCount = modulus > 0.0 ? 0 : -1;
    s.factorEtas = modulus > 0.0 ? s.etaCount : 0;
    if (modulus > 0.0 && s.rowStep != nullptr)
        for (int32_t k = 0; k < s.m; ++k) s.rowStep[s.pivotRow[k]] = k;
    return modulus;
}

}  // namespace tymlp
