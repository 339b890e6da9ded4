// lu_compress.cpp -- garbage collection of one structure of the slot array.
//
// The row lists and the column patterns share the slots, so each is packed
// on its own.  Lists are contiguous and never interleaved, which lets one
// sweep pack them without sorting: the last slot of every nonempty list is
// tagged with the list's number (its real field parked in end[]), and when
// the sweep meets a tag it knows the list just copied is complete.
#include "simplex/lu_internal.h"
#include "simplex/lu_kernel.h"

namespace tymlp {
namespace {

// Tag for list i; distinct from every row or column number and from the
// free mark.
inline int32_t ListTag(int32_t i) { return -2 - i; }
inline int32_t TaggedList(int32_t tag) { return -2 - tag; }

enum class Moves { WholeSlot, Pair, RowField };

struct Structure {
    int32_t* start;
    int32_t* end;
    int32_t* freeCounter;
    Moves moves;
    bool keyIsRow;  // the field that says whether a slot is live
};

bool Describe(InverseStore& s, char mode, Structure& out) {
    switch (mode) {
        case kCompressFactor:
            out = {s.colStart, s.colEnd, &s.colFree, Moves::WholeSlot, true};
            return true;
        case kCompressRows:
            out = {s.rowStart, s.rowEnd, &s.rowFree, Moves::Pair, false};
            return true;
        case kCompressColumns:
            out = {s.colStart, s.colEnd, &s.colFree, Moves::RowField, true};
            return true;
        default:
            return false;
    }
}

}  // namespace

// CompressStore: mode 'c' packs whole slots of the column lists (the
// factorisation's view, live when the row field is set), 't' the (value,
// column) pairs of the row lists, 'f' the row numbers of the column
// patterns.  Lists keep their order; start/end of every nonempty list are
// right afterwards, empty lists keep end < start; the free counter becomes
// the number of live entries and the vacated fields above it are freed.
// The eta file is not touched.
int CompressStore(InverseStore& s, char mode) {
    Structure st{};
    if (!Describe(s, mode, st)) return 1;
    InverseSlot* e = s.elements;
    auto field = [&](int32_t i) -> int32_t& { return st.keyIsRow ? e[i].row : e[i].column; };

    for (int32_t i = 0; i < s.m; ++i) {
        if (st.end[i] < st.start[i]) continue;
        int32_t& last = field(st.end[i]);
        const int32_t saved = last;
        last = ListTag(i);
        st.end[i] = saved;
    }

    const int32_t oldFree = *st.freeCounter;
    int32_t to = 0;
    int32_t listBegin = 0;
    for (int32_t from = 0; from < oldFree; ++from) {
        const int32_t key = field(from);
        if (key == kFreeField) continue;
        if (to != from) {
            switch (st.moves) {
                case Moves::WholeSlot:
                    e[to] = e[from];
                    break;
                case Moves::Pair:
                    e[to].value = e[from].value;
                    e[to].column = e[from].column;
                    break;
                case Moves::RowField:
                    e[to].row = e[from].row;
                    break;
            }
        }
        if (key <= ListTag(0)) {
            const int32_t i = TaggedList(key);
            field(to) = st.end[i];
            st.start[i] = listBegin;
            st.end[i] = to;
            listBegin = to + 1;
        }
        ++to;
    }
    for (int32_t i = to; i < oldFree; ++i) {
        switch (st.moves) {
            case Moves::WholeSlot:
                FreeSlot(e[i]);
                break;
            case Moves::Pair:
                FreePair(e[i]);
                break;
            case Moves::RowField:
                e[i].row = kFreeField;
                break;
        }
    }
    *st.freeCounter = to;
    return 0;
}

}  // namespace tymlp
