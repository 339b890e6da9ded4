// lu_compress.cpp -- garbage collection of one structure of the slot array.
//
// The row lists and the column patterns share the slots, so each is packed
// on its own.  Lists are contiguous and never interleaved, which lets one
// sweep pack them without sorting: the last slot of every nonempty list is
// tagged with the list's number (its real field parked in end[]), and when
// the sweep meets a tag it knows the list just copied is complete.
#include "factor/lu_internal.h"
#include "factor/lu_kernel.h"

namespace tymlp {
namespace {

// Tag for list i; distinct from every row or column number and from the
// free mark.
inline int32_t ListTag(int32_t i) { return -2 - i; }
inline int32_t TaggedList(int32_t tag) { return -2 - tag; }

enum class Moves { WholeSlot, Pair, RowField };

// The field that says whether a slot belongs to the structure.
template <Moves kMoves>
inline int32_t& LiveField(InverseSlot& slot) {
    if constexpr (kMoves == Moves::Pair)
        return slot.column;
    else
        return slot.row;
}

template <Moves kMoves>
inline void MoveSlot(InverseSlot* e, int32_t to, int32_t from) {
    if constexpr (kMoves == Moves::WholeSlot) {
        e[to] = e[from];
    } else if constexpr (kMoves == Moves::Pair) {
        e[to].value = e[from].value;
        e[to].column = e[from].column;
    } else {
        e[to].row = e[from].row;
    }
}

// The sweep of one structure, its moves fixed at compile time.  Returns the
// number of live entries, which become the bottom slots.
template <Moves kMoves>
int32_t Pack(InverseStore& s, int32_t* start, int32_t* end, int32_t oldFree) {
    InverseSlot* e = s.elements;
    for (int32_t i = 0; i < s.m; ++i) {
        if (end[i] < start[i]) continue;
        int32_t& last = LiveField<kMoves>(e[end[i]]);
        const int32_t saved = last;
        last = ListTag(i);
        end[i] = saved;
    }
    int32_t to = 0;
    int32_t listBegin = 0;
    for (int32_t from = 0; from < oldFree; ++from) {
        const int32_t key = LiveField<kMoves>(e[from]);
        if (key == kFreeField) continue;
        if (to != from) MoveSlot<kMoves>(e, to, from);
        if (key <= ListTag(0)) {
            const int32_t i = TaggedList(key);
            LiveField<kMoves>(e[to]) = end[i];
            start[i] = listBegin;
            end[i] = to;
            listBegin = to + 1;
        }
        ++to;
    }
    return to;
}

}  // namespace

// CompressStore: mode 'c' packs whole slots of the column lists (the
// factorisation's view, live when the row field is set), 't' the (value,
// column) pairs of the row lists, 'f' the row numbers of the column
// patterns.  Lists keep their order; start/end of every nonempty list are
// right afterwards, empty lists keep end < start; the free counter becomes
// the number of live entries.  The fields vacated above it are left as they
// are: every routine writes a slot at or above the free counter before it
// reads it.  The eta file is not touched.
int CompressStore(InverseStore& s, char mode) {
    switch (mode) {
        case kCompressFactor: s.colFree = Pack<Moves::WholeSlot>(s, s.colStart, s.colEnd, s.colFree); return 0;
        case kCompressRows: s.rowFree = Pack<Moves::Pair>(s, s.rowStart, s.rowEnd, s.rowFree); return 0;
        case kCompressColumns: s.colFree = Pack<Moves::RowField>(s, s.colStart, s.colEnd, s.colFree); return 0;
        default: return 1;
    }
}

}  // namespace tymlp
