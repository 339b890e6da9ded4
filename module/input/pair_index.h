// pair_index.h -- which (row, column) pairs already have a coefficient, so
// that the sparse reader can tell a second value for the same place.
#pragma once

#include <cstdint>

#include "base/lp_context.h"

namespace tymlp {

// Open-addressing hash table from (row, column) to the coefficient index.
struct PairIndex {
    int64_t* keys;     // (row << 32 | column) + 1; 0 = empty slot
    int64_t* entries;  // coefficient index of the pair
    int64_t capacity;  // slots (a power of 2)
    int64_t count;
};

// The coefficient index of (row, column), or -1.
int64_t pair_index_find(const PairIndex* index, int32_t row, int32_t column);

// Records (row, column) -> entry.  Returns kRunOk or kRunMemory.
int pair_index_add(LpContext* ctx, PairIndex* index, int32_t row, int32_t column, int64_t entry);

// Returns the table's memory.
void pair_index_free(LpContext* ctx, PairIndex* index);

}  // namespace tymlp
