// node_coder.h -- compressed node records: TREETYPE 1, 2 and 3 code each
// packed node record with the two-pass Huffman, adaptive Huffman or
// context-model coder; a record the coder cannot shrink is stored as it is
// behind its flags byte (so a coded record is at most one byte longer).
#pragma once

#include <cstdint>

#include "base/lp_context.h"

namespace tymlp {

// Codes `length` bytes of `in` into `out` (room for `capacity` bytes, at
// least length + 1) with the coder TREETYPE names.  Returns 0, or 9 when
// the host has no memory for the coder or the room is too small.
int compress_node_record(LpContext* ctx, const uint8_t* in, int32_t length, uint8_t* out, int32_t capacity,
                         int32_t* out_length);

// Restores a record coded by compress_node_record into `out` (room for
// `capacity` bytes).  Returns 0, 9 without memory, or 25 when the record is
// broken (a node file damaged on disk).
int expand_node_record(LpContext* ctx, const uint8_t* in, int32_t length, uint8_t* out, int32_t capacity,
                       int32_t* out_length);

// The entries the node store codes its records through for TREETYPE 1 to 3,
// or none for TREETYPE 0 (records stored raw).
const NodeCoderEntries* node_coder_entries_for(int tree_type);

}  // namespace tymlp
