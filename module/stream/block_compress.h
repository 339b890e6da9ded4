// block_compress.h -- compressing one memory block with a coder.
//
// A compressed block is a flags byte and then either the coder's output or,
// when that would not be shorter than the input, the input itself (flag bit
// 0).  So a block is never longer than its input plus one byte, and the
// output buffer of compress needs exactly length + 1 bytes.
#pragma once

#include <cstdint>

#include "stream/coder.h"

namespace tymlp {

enum BlockFlags : uint8_t { kBlockStored = 1 };

// Compresses `length` bytes of `input` into `output` (room for length + 1
// bytes); *out_length receives the block's length.  Returns 0, or 1 when the
// host has no memory for the streams.
int block_compress(LpContext* ctx, Coder* c, const uint8_t* input, int64_t length, uint8_t* output,
                   int64_t* out_length);

// Reverses block_compress into `output` (room for `capacity` bytes);
// *out_length receives the bytes restored.  Returns 0, or 1 when the block is
// broken or does not fit (nothing is read or written outside the buffers).
int block_decompress(LpContext* ctx, Coder* c, const uint8_t* input, int64_t length, uint8_t* output, int64_t capacity,
                     int64_t* out_length);

// TREETYPE 1, 2, 3 name coder types 1, 3, 5; anything else has no coder (-1).
int coder_type_of_tree_type(int tree_type);

}  // namespace tymlp
