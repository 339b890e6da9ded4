// byte_stream.h -- byte streams with bit-level access.
//
// A stream moves bytes in one direction (read or write) through the seven
// methods of its kind; the bit routines of bit_io.h assemble bits into the
// stream's rack one byte at a time on top of those methods.  The memory
// stream (kind 3) is the one the procedure uses: it reads or writes through
// a chain of caller-owned buffer segments without copying, and fails (nothing
// transferred) when the last segment is exhausted, which is how a coder
// learns that its output would not fit.
#pragma once

#include <cstdint>

#include "base/lp_context.h"

namespace tymlp {

enum StreamKind : int32_t {
    kStreamMemory = 3,  // a chain of caller-owned buffer segments
    kStreamBare = 7     // no methods: a rack for bit work on its own
};

enum StreamDirection : int32_t { kStreamRead = 0, kStreamWrite = 1 };

// Register-information types of the memory stream.
enum StreamInfoType : int32_t {
    kInfoAppendSegment = 0,   // append (buffer, length) when length > 0
    kInfoReplaceSegment = 1,  // replace the last segment; length <= 0 removes it
};

// Trace bits (0 in normal use).
enum StreamTrace : int32_t { kTraceStreamOps = 1, kTraceBitOps = 2 };

struct ByteStream;

// The methods of one stream kind.  A null method means the kind cannot do it.
struct StreamMethods {
    int (*register_info)(LpContext* ctx, ByteStream* s, int type, uint8_t* buffer, int64_t length);  // 0 ok, 1 failed
    void (*close)(LpContext* ctx, ByteStream* s);
    void (*begin)(LpContext* ctx, ByteStream* s);
    bool (*read_byte)(LpContext* ctx, ByteStream* s, int* byte);  // false at the end of the data
    void (*end)(LpContext* ctx, ByteStream* s);
    int (*last_byte)(LpContext* ctx, ByteStream* s);
    bool (*write_byte)(LpContext* ctx, ByteStream* s, int byte);  // false when no room is left
};

struct ByteStream {
    int32_t kind;
    int32_t direction;
    void* state;    // kind-specific
    int32_t trace;  // StreamTrace bits
    int32_t mask;   // bit position in the rack: 128 down to 1
    int32_t rack;   // the byte being assembled (write) or the last byte read (read)
    int32_t count;  // bytes moved since the stream began
    int32_t byte;   // last byte read
    int32_t bit;    // last bit read
    const StreamMethods* methods;
};

// A new stream of `kind` for `direction`, or null: the kind is refused with a
// note, or the host has no memory.  Kinds other than memory and bare are not
// offered (the procedure streams only memory).
ByteStream* zbsaloc(LpContext* ctx, int kind, int direction);

// Register information with the stream (for memory: a buffer segment).
// Returns 0, or 1 when the kind or the type refuses it (with a note).
int stream_register(LpContext* ctx, ByteStream* s, int type, uint8_t* buffer, int64_t length);

// Starts input or output at the first segment: empty rack, mask 128.
void stream_begin(LpContext* ctx, ByteStream* s);
// Ends input or output (traces only; a partial rack is flush_bits' work).
void stream_end(LpContext* ctx, ByteStream* s);

// One byte through the stream's methods; false at the end of the data or
// of the room.  A stream of the wrong direction refuses.
bool stream_read_byte(LpContext* ctx, ByteStream* s, int* byte);
bool stream_write_byte(LpContext* ctx, ByteStream* s, int byte);

// Frees the stream and its state (the registered buffers stay the caller's).
// A null stream is ignored.
void stream_close(LpContext* ctx, ByteStream* s);

}  // namespace tymlp
