// byte_stream.cpp -- stream creation, the memory stream, and the byte entry
// points every kind shares.
#include "stream/byte_stream.h"

#include "base/host_link.h"

namespace tymlp {
namespace {

// One caller-owned buffer of a memory stream's chain.
struct Segment {
    uint8_t* buffer;
    int64_t length;
    Segment* next;
};

struct MemoryState {
    Segment* first;
    Segment* cursor;  // segment being read or written; null when exhausted
    int64_t offset;   // position in the cursor segment
};

MemoryState* memory(ByteStream* s) { return static_cast<MemoryState*>(s->state); }

Segment* last_segment(MemoryState* m) {
    Segment* seg = m->first;
    while (seg != nullptr && seg->next != nullptr) seg = seg->next;
    return seg;
}

int memory_register(LpContext*, ByteStream* s, int type, uint8_t* buffer, int64_t length) {
    MemoryState* m = memory(s);
    if (type == kInfoAppendSegment || (type == kInfoReplaceSegment && m->first == nullptr)) {
        if (length <= 0) return 0;
        auto* seg = static_cast<Segment*>(host_alloc(sizeof(Segment), TYM_ALLOC_LONG_ZERO));
        if (seg == nullptr) return 1;
        seg->buffer = buffer;
        seg->length = length;
        Segment* tail = last_segment(m);
        (tail == nullptr ? m->first : tail->next) = seg;
        return 0;
    }
    if (type == kInfoReplaceSegment) {
        Segment* tail = last_segment(m);
        if (length > 0) {
            tail->buffer = buffer;
            tail->length = length;
            return 0;
        }
        Segment** link = &m->first;
        while (*link != tail) link = &(*link)->next;
        *link = nullptr;
        if (m->cursor == tail) m->cursor = nullptr;
        host_release(tail);
        return 0;
    }
    host_note("zbsmem/Register: Information type not recognized.");
    return 1;
}

void memory_close(LpContext*, ByteStream* s) {
    MemoryState* m = memory(s);
    for (Segment* seg = m->first; seg != nullptr;) {
        Segment* next = seg->next;
        host_release(seg);
        seg = next;
    }
    host_release(m);
    s->state = nullptr;
}

void memory_begin(LpContext*, ByteStream* s) {
    MemoryState* m = memory(s);
    m->cursor = m->first;
    m->offset = 0;
    if ((s->trace & kTraceStreamOps) != 0) host_note("zbsmem: Initializing IO");
}

void memory_end(LpContext*, ByteStream* s) {
    if ((s->trace & kTraceStreamOps) != 0) host_note("zbsmem: Ending IO");
}

// The next position of the chain, moving past exhausted segments; null at
// the end of the last one.
uint8_t* memory_next(MemoryState* m) {
    while (m->cursor != nullptr && m->offset >= m->cursor->length) {
        m->cursor = m->cursor->next;
        m->offset = 0;
    }
    if (m->cursor == nullptr) return nullptr;
    return m->cursor->buffer + m->offset++;
}

bool memory_read(LpContext*, ByteStream* s, int* byte) {
    const uint8_t* at = memory_next(memory(s));
    if (at == nullptr) return false;
    *byte = *at;
    return true;
}

bool memory_write(LpContext*, ByteStream* s, int byte) {
    uint8_t* at = memory_next(memory(s));
    if (at == nullptr) return false;
    *at = static_cast<uint8_t>(byte);
    return true;
}

int memory_last_byte(LpContext*, ByteStream* s) { return s->byte; }

const StreamMethods kMemoryMethods = {memory_register, memory_close,     memory_begin, memory_read,
                                      memory_end,      memory_last_byte, memory_write};
const StreamMethods kBareMethods = {};

}  // namespace

ByteStream* zbsaloc(LpContext*, int kind, int direction) {
    if (kind != kStreamMemory && kind != kStreamBare) {
        host_note("zbsaloc: Byte stream type not recognized.");
        return nullptr;
    }
    auto* s = static_cast<ByteStream*>(host_alloc(sizeof(ByteStream), TYM_ALLOC_LONG_ZERO));
    if (s == nullptr) return nullptr;
    s->kind = kind;
    s->direction = direction == kStreamWrite ? kStreamWrite : kStreamRead;
    s->mask = 128;
    if (kind == kStreamMemory) {
        s->state = host_alloc(sizeof(MemoryState), TYM_ALLOC_LONG_ZERO);
        if (s->state == nullptr) {
            host_release(s);
            return nullptr;
        }
        s->methods = &kMemoryMethods;
    } else {
        s->methods = &kBareMethods;
    }
    return s;
}

int stream_register(LpContext* ctx, ByteStream* s, int type, uint8_t* buffer, int64_t length) {
    if (s->methods->register_info == nullptr) {
        host_note("Information type not recognized for this stream.");
        return 1;
    }
    return s->methods->register_info(ctx, s, type, buffer, length);
}

void stream_begin(LpContext* ctx, ByteStream* s) {
    s->mask = 128;
    s->rack = 0;
    s->count = 0;
    if (s->methods->begin != nullptr) s->methods->begin(ctx, s);
}

void stream_end(LpContext* ctx, ByteStream* s) {
    if (s->methods->end != nullptr) s->methods->end(ctx, s);
}

bool stream_read_byte(LpContext* ctx, ByteStream* s, int* byte) {
    if (s->direction != kStreamRead || s->methods->read_byte == nullptr) return false;
    if (!s->methods->read_byte(ctx, s, byte)) return false;
    s->byte = *byte;
    ++s->count;
    return true;
}

bool stream_write_byte(LpContext* ctx, ByteStream* s, int byte) {
    if (s->direction != kStreamWrite || s->methods->write_byte == nullptr) return false;
    if (!s->methods->write_byte(ctx, s, byte)) return false;
    ++s->count;
    return true;
}

void stream_close(LpContext* ctx, ByteStream* s) {
    if (s == nullptr) return;
    if (s->methods->close != nullptr) s->methods->close(ctx, s);
    host_release(s);
}

}  // namespace tymlp
