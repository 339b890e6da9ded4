// sos_sets.h -- special ordered sets as the readers build them and branch
// and bound reads them.
//
// A set is a list of member columns with one reference value per member and
// a mark for an equality set (exactly one member nonzero, SOSLE/SOSEQ in the
// data).  Sets live on the context's heap and are linked from
// model.sos_sets in creation order; model.sos_count counts them.  Branch and
// bound sets the reference values (a member's lower bound at its start).
#pragma once

#include <cstdint>

#include "base/lp_context.h"

namespace tymlp {

struct SosSet {
    SosSet* next;      // next set in creation order
    int32_t count;     // members
    int32_t capacity;  // members the arrays hold
    int16_t equality;  // 1: exactly one member nonzero (SOSEQ); 0: at most one (SOSLE)
    int16_t reserved;
    int32_t* members;           // member column numbers in the order they joined
    double* reference;          // one reference value per member
    char name[kMaxNameLength];  // blank padded; the row name the data gave the set
};

// Creates an empty set named `name` (name_length bytes, cut to
// kMaxNameLength) and links it behind the last set.  Returns the set, or
// null when the heap is exhausted.
SosSet* sos_create(LpContext* ctx, const char* name, int name_length, bool equality);

// Adds column j unless it is a member already.  Returns kRunOk, or kRunMemory when the
// member arrays cannot grow.
int sos_add_member(LpContext* ctx, SosSet* set, int32_t j);

// True when column j is a member of the set.
bool sos_has_member(const SosSet* set, int32_t j);

}  // namespace tymlp
