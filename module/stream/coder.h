// coder.h -- coders that turn one byte stream into another.
//
// A coder reads its input stream to the end and writes the coded form to
// its output stream (encode), or the reverse (decode).  Both return 0, or 1
// when a write found no room or a read found the coded form broken; a coder
// never reads or writes outside its streams, so a decode of arbitrary bytes
// ends with 1 instead of a fault.
//
// Coder types: 0 stored, 1 two-pass Huffman, 3 adaptive Huffman, 5 context
// model with arithmetic coding.  The coded form starts with a header (the
// type and the coder's parameters as 4-byte integers) unless the no-header
// flag is set.
#pragma once

#include <cstdint>

#include "stream/byte_stream.h"

namespace tymlp {

enum CoderType : int32_t {
    kCoderStored = 0,
    kCoderHuffman = 1,
    kCoderAdaptiveHuffman = 3,
    kCoderContextModel = 5,
};

enum CoderFlags : int32_t { kCoderTrace = 1, kCoderNoHeader = 2 };

// Set-information types every coder takes; types from 3 on are a coder's own.
enum CoderInfoType : int32_t {
    kCoderInfoInput = 0,   // the input stream
    kCoderInfoOutput = 1,  // the output stream
    kCoderInfoOrder = 3,   // context model: the model order (value)
    kCoderInfoFlags = 4,   // context model: its flags word (value)
};

struct Coder;

struct CoderMethods {
    int (*initialise)(LpContext* ctx, Coder* c);  // 0, or 1 when out of memory
    int (*set_info)(LpContext* ctx, Coder* c, int type, int64_t value);
    int (*encode)(LpContext* ctx, Coder* c);
    int (*decode)(LpContext* ctx, Coder* c);
    void (*close)(LpContext* ctx, Coder* c);
};

struct Coder {
    int32_t type;
    int32_t flags;  // CoderFlags
    ByteStream* input;
    ByteStream* output;
    void* state;  // the type's own
    const CoderMethods* methods;
};

// A new coder of `type`, or null: the type is refused with a note, or the
// host has no memory.
Coder* zcpaloc(LpContext* ctx, int type);

// Sets the input or output stream (types 0 and 1, `stream`) or a coder's
// own parameter (`value`).  Returns 0, or 1 with a note for an unknown type.
int coder_set_stream(LpContext* ctx, Coder* c, int type, ByteStream* stream);
int coder_set_info(LpContext* ctx, Coder* c, int type, int64_t value);

// Codes the whole input stream onto the output stream (or back).  The
// streams are begun here and ended; partial racks are flushed.
int coder_encode(LpContext* ctx, Coder* c);
int coder_decode(LpContext* ctx, Coder* c);

// Frees the coder and its state (not its streams).  Null is ignored.
void coder_close(LpContext* ctx, Coder* c);

// The entry points of each type (coder_*.cpp).
const CoderMethods& stored_coder_methods();
const CoderMethods& huffman_coder_methods();
const CoderMethods& adaptive_huffman_coder_methods();
const CoderMethods& context_model_coder_methods();

// The header the types share: the type, then `count` parameters.
bool write_coder_header(LpContext* ctx, Coder* c, const int32_t* parameters, int count);
// Reads and checks the type; fills `parameters`.  False when the header is
// missing or names another type.
bool read_coder_header(LpContext* ctx, Coder* c, int32_t* parameters, int count);

}  // namespace tymlp
