// coder_context.cpp -- coder type 5: a finite-context model driving the
// arithmetic coder.
//
// Each byte is predicted from the bytes before it: the table of the longest
// context (the model order) first.  A byte that table has not seen costs an
// escape, and the next shorter context is tried with the bytes already
// offered excluded, so no share of the range is wasted on them.  Order -1
// knows every byte; order -2 holds the two control symbols (flush, done).
// Encoder and decoder build the same tables as they go, so nothing but the
// coded bits is sent.
#include <algorithm>
#include <cstring>
#include <new>

#include "base/context_memory.h"
#include "base/host_link.h"
#include "stream/arithmetic_coder.h"
#include "stream/bit_io.h"
#include "stream/coder.h"

namespace tymlp {
namespace {

constexpr int kMaxOrder = 3;
constexpr int kDefaultOrder = 1;
constexpr int32_t kAutoFlush = 1;       // flags bit 0
constexpr uint32_t kMaxTotal = 0x3FFF;  // totals stay below 2^14
constexpr int kCountCeiling = 255;      // a count that reaches it halves its table
constexpr int kFlushWindow = 256;       // input bytes between compression checks
constexpr int kFlushPercent = 91;       // output share that calls for a flush
constexpr int kDone = 1;                // control symbols of order -2
constexpr int kFlush = 2;

struct ContextTable;

struct ContextPair {
    uint8_t symbol;
    uint8_t count;
};

struct ContextTable {
    ContextPair* pairs;
    ContextTable** links;  // the next order's table per pair; null at the model order
    int16_t size;
    int16_t capacity;
};

struct ContextParameters {
    int32_t flags = kAutoFlush;
    int32_t order = kDefaultOrder;
};

// One coding run's model; its tables live on the run's own heap.
struct ContextModel {
    TymHeap heap;
    int order;
    ContextTable minus2;  // done and flush
    ContextTable minus1;  // every byte value, count 1
    ContextTable* current[kMaxOrder + 1];
    uint8_t excluded[256];
    uint32_t totals[258];  // totals[i + 1] .. totals[i]: pair i's range; totals[0]: the whole
    bool trace;
};

bool grow(ContextModel& m, ContextTable* t) {
    const int capacity = t->capacity == 0 ? 4 : std::min(256, 2 * t->capacity);
    auto* pairs = static_cast<ContextPair*>(host_heap_resize(m.heap, t->pairs, sizeof(ContextPair) * capacity));
    if (pairs == nullptr) return false;
    t->pairs = pairs;
    if (t->links != nullptr) {
        auto* links = static_cast<ContextTable**>(host_heap_resize(m.heap, t->links, sizeof(ContextTable*) * capacity));
        if (links == nullptr) return false;
        std::fill(links + t->capacity, links + capacity, nullptr);
        t->links = links;
    }
    t->capacity = static_cast<int16_t>(capacity);
    return true;
}

ContextTable* new_table(ContextModel& m, int order) {
    auto* t = static_cast<ContextTable*>(heap_alloc_zeroed(m.heap, sizeof(ContextTable)));
    if (t == nullptr) return nullptr;
    if (order < m.order) {
        t->links = static_cast<ContextTable**>(heap_alloc_zeroed(m.heap, sizeof(ContextTable*)));
        if (t->links == nullptr) return nullptr;
    }
    return t;
}

int find_pair(const ContextTable* t, int symbol) {
    for (int i = 0; i < t->size; ++i)
        if (t->pairs[i].symbol == symbol) return i;
    return -1;
}

// The pair of `symbol`, appended with count 0 when missing; -1 without memory.
int find_or_add(ContextModel& m, ContextTable* t, int symbol) {
    const int at = find_pair(t, symbol);
    if (at >= 0) return at;
    if (t->size == t->capacity && !grow(m, t)) return -1;
    t->pairs[t->size] = ContextPair{static_cast<uint8_t>(symbol), 0};
    if (t->links != nullptr) t->links[t->size] = nullptr;
    return t->size++;
}

// Halves every count; a table without links drops the zero counts at its end.
void halve(ContextTable* t) {
    for (int i = 0; i < t->size; ++i) t->pairs[i].count = static_cast<uint8_t>(t->pairs[i].count / 2);
    if (t->links == nullptr)
        while (t->size > 0 && t->pairs[t->size - 1].count == 0) --t->size;
}

void halve_all(ContextTable* t) {
    if (t == nullptr) return;
    halve(t);
    if (t->links != nullptr)
        for (int i = 0; i < t->size; ++i) halve_all(t->links[i]);
}

bool taken(const ContextModel& m, const ContextTable* t, int i, bool exclusions) {
    return t->pairs[i].count != 0 && !(exclusions && m.excluded[t->pairs[i].symbol] != 0);
}

// The cumulative counts of `t`: the last pair at the bottom, the escape on
// top.  Halves the table while the whole reaches kMaxTotal.
void totalize(ContextModel& m, ContextTable* t, bool exclusions) {
    for (;;) {
        uint32_t sum = 0;
        int largest = 0;
        m.totals[t->size] = 0;
        for (int i = t->size - 1; i >= 0; --i) {
            if (taken(m, t, i, exclusions)) {
                sum += t->pairs[i].count;
                largest = std::max<int>(largest, t->pairs[i].count);
            }
            m.totals[i] = sum;
        }
        const int spread = t->size - 1;
        const uint32_t escape = largest == 0 ? 1 : static_cast<uint32_t>(spread * (256 - spread) / 256 / largest + 1);
        // Pair i spans [totals[i + 1], totals[i]); the escape spans [sum, whole).
        m.totals[257] = sum + escape;
        if (m.totals[257] < kMaxTotal) return;
        halve(t);
    }
}

ContextTable* table_of(ContextModel& m, int order) {
    if (order == -2) return &m.minus2;
    if (order == -1) return &m.minus1;
    return m.current[order];
}

void exclude_table(ContextModel& m, const ContextTable* t) {
    for (int i = 0; i < t->size; ++i)
        if (t->pairs[i].count != 0) m.excluded[t->pairs[i].symbol] = 1;
}

// Counts `symbol` once more in `t`: it first trades places with the first
// of the pairs just before it that have its count, so that frequent bytes
// drift to the front.
void count_symbol(ContextModel& m, ContextTable* t, int at) {
    int to = at;
    while (to > 0 && t->pairs[to - 1].count == t->pairs[at].count) --to;
    if (to != at) {
        std::swap(t->pairs[to], t->pairs[at]);
        if (t->links != nullptr) std::swap(t->links[to], t->links[at]);
    }
    if (++t->pairs[to].count >= kCountCeiling) halve(t);
}

// After byte `symbol`, found at `found` (>= -1): every table from there to
// the model order counts it, and the contexts move on by one byte.
bool update_model(ContextModel& m, int symbol, int found) {
    for (int order = std::max(found, 0); order <= m.order; ++order) {
        ContextTable* t = m.current[order];
        const int at = find_or_add(m, t, symbol);
        if (at < 0) return false;
        count_symbol(m, t, at);
    }
    for (int order = m.order; order >= 1; --order) {
        ContextTable* lower = m.current[order - 1];
        const int at = find_or_add(m, lower, symbol);
        if (at < 0) return false;
        if (lower->links[at] == nullptr && (lower->links[at] = new_table(m, order)) == nullptr) return false;
        m.current[order] = lower->links[at];
    }
    std::memset(m.excluded, 0, sizeof m.excluded);
    return true;
}

bool start_model(ContextModel& m, int order, bool trace) {
    m.order = order;
    m.trace = trace;
    m.heap = create_module_heap();
    if (m.heap == nullptr) return false;
    m.minus2.pairs = static_cast<ContextPair*>(heap_alloc_zeroed(m.heap, sizeof(ContextPair) * 2));
    m.minus1.pairs = static_cast<ContextPair*>(heap_alloc_zeroed(m.heap, sizeof(ContextPair) * 256));
    if (m.minus2.pairs == nullptr || m.minus1.pairs == nullptr) return false;
    m.minus2.pairs[0] = ContextPair{kFlush, 1};
    m.minus2.pairs[1] = ContextPair{kDone, 1};
    m.minus2.size = m.minus2.capacity = 2;
    for (int b = 0; b < 256; ++b) m.minus1.pairs[b] = ContextPair{static_cast<uint8_t>(b), 1};
    m.minus1.size = m.minus1.capacity = 256;
    // The contexts before the first byte are those of zero bytes.
    m.current[0] = new_table(m, 0);
    if (m.current[0] == nullptr) return false;
    for (int order = 1; order <= m.order; ++order) {
        ContextTable* lower = m.current[order - 1];
        const int at = find_or_add(m, lower, 0);
        if (at < 0 || (lower->links[at] = new_table(m, order)) == nullptr) return false;
        m.current[order] = lower->links[at];
    }
    return true;
}

void end_model(ContextModel& m) {
    if (m.heap != nullptr) host_heap_destroy(m.heap);
    m.heap = nullptr;
}

// ---- encoding

// Codes a byte (0..255) or a control symbol (kDone, kFlush, as -symbol - 1
// never met in a byte table) down the orders.  *found receives the order
// that held it.
bool encode_symbol(LpContext* ctx, ByteStream* out, ContextModel& m, ArithmeticEncoder& e, int symbol, bool control,
                   int* found) {
    for (int order = m.order; order >= -2; --order) {
        ContextTable* t = table_of(m, order);
        const bool exclusions = order != -2;
        totalize(m, t, exclusions);
        const bool here = order == -2 ? control : !control;
        const int at = here ? find_pair(t, symbol) : -1;
        if (at >= 0 && taken(m, t, at, exclusions)) {
            *found = order;
            return encode_range(ctx, out, &e, m.totals[at + 1], m.totals[at], m.totals[257]);
        }
        if (!encode_range(ctx, out, &e, m.totals[0], m.totals[257], m.totals[257])) return false;
        if (exclusions) exclude_table(m, t);
    }
    return false;  // not reached: order -2 holds every control symbol, order -1 every byte
}

int context_encode_run(LpContext* ctx, Coder* c, const ContextParameters& p, ContextModel& m) {
    ByteStream* out = c->output;
    ArithmeticEncoder e;
    start_encoder(&e);
    int byte = 0;
    int window = 0;
    int32_t window_start = out->count;
    int found = 0;
    while (stream_read_byte(ctx, c->input, &byte)) {
        if (m.trace) host_note("Coding %3d:%2x", byte, byte);
        if (!encode_symbol(ctx, out, m, e, byte, false, &found) || !update_model(m, byte, found)) return 1;
        if ((p.flags & kAutoFlush) != 0 && ++window == kFlushWindow) {
            // Output that no longer shrinks the input: forget half of what the
            // tables learnt, so they follow the data as it changes.
            if ((out->count - window_start) * 100 / kFlushWindow >= kFlushPercent) {
                if (m.trace) host_note("Coding flush signal");
                if (!encode_symbol(ctx, out, m, e, kFlush, true, &found)) return 1;
                halve_all(m.current[0]);
                std::memset(m.excluded, 0, sizeof m.excluded);
            }
            window = 0;
            window_start = out->count;
        }
    }
    if (m.trace) host_note("Coding done  signal");
    std::memset(m.excluded, 0, sizeof m.excluded);
    if (!encode_symbol(ctx, out, m, e, kDone, true, &found)) return 1;
    return finish_encoder(ctx, out, &e) ? 0 : 1;
}

// ---- decoding

// Decodes one symbol down the orders: a byte (0..255) or -kDone / -kFlush.
bool decode_symbol(LpContext* ctx, ByteStream* in, ContextModel& m, ArithmeticDecoder& d, int* symbol, int* found) {
    for (int order = m.order; order >= -2; --order) {
        ContextTable* t = table_of(m, order);
        const bool exclusions = order != -2;
        totalize(m, t, exclusions);
        uint32_t count = 0;
        if (!decoder_count(&d, m.totals[257], &count)) return false;
        if (count < m.totals[0]) {
            int at = 0;
            while (at < t->size && !(count >= m.totals[at + 1] && count < m.totals[at] && taken(m, t, at, exclusions)))
                ++at;
            if (at == t->size) return false;
            if (!remove_range(ctx, in, &d, m.totals[at + 1], m.totals[at], m.totals[257])) return false;
            *found = order;
            *symbol = order == -2 ? -t->pairs[at].symbol : t->pairs[at].symbol;
            return true;
        }
        if (order == -2) return false;  // no escape below the control symbols
        if (!remove_range(ctx, in, &d, m.totals[0], m.totals[257], m.totals[257])) return false;
        exclude_table(m, t);
    }
    return false;
}

int context_decode_run(LpContext* ctx, Coder* c, ContextModel& m) {
    ArithmeticDecoder d;
    if (!start_decoder(ctx, c->input, &d)) return 1;
    for (;;) {
        int symbol = 0;
        int found = 0;
        if (!decode_symbol(ctx, c->input, m, d, &symbol, &found)) return 1;
        if (symbol == -kDone) {
            if (m.trace) host_note("Decoding done  signal");
            return 0;
        }
        if (symbol == -kFlush) {
            if (m.trace) host_note("Decoding flush signal");
            halve_all(m.current[0]);
            std::memset(m.excluded, 0, sizeof m.excluded);
            continue;
        }
        if (m.trace) host_note("Decoding %3d:%2x", symbol, symbol);
        if (!stream_write_byte(ctx, c->output, symbol) || !update_model(m, symbol, found)) return 1;
    }
}

// ---- entry points

ContextParameters& parameters(Coder* c) { return *static_cast<ContextParameters*>(c->state); }

int context_initialise(LpContext*, Coder* c) {
    c->state = host_alloc(sizeof(ContextParameters), TYM_ALLOC_LONG_ZERO);
    if (c->state == nullptr) return 1;
    new (c->state) ContextParameters{};
    return 0;
}

int context_set_info(LpContext*, Coder* c, int type, int64_t value) {
    if (type == kCoderInfoOrder && value >= 0 && value <= kMaxOrder) {
        parameters(c).order = static_cast<int32_t>(value);
        return 0;
    }
    if (type == kCoderInfoFlags) {
        parameters(c).flags = static_cast<int32_t>(value);
        return 0;
    }
    return 1;
}

int context_encode(LpContext* ctx, Coder* c) {
    const ContextParameters& p = parameters(c);
    const int32_t header[] = {p.flags, p.order};
    if (!write_coder_header(ctx, c, header, 2)) return 1;
    ContextModel m{};
    int rc = start_model(m, p.order, (c->flags & kCoderTrace) != 0) ? context_encode_run(ctx, c, p, m) : 1;
    end_model(m);
    return rc;
}

int context_decode(LpContext* ctx, Coder* c) {
    ContextParameters p = parameters(c);
    int32_t header[] = {p.flags, p.order};
    if (!read_coder_header(ctx, c, header, 2)) return 1;
    if (header[1] < 0 || header[1] > kMaxOrder) return 1;
    ContextModel m{};
    int rc = start_model(m, header[1], (c->flags & kCoderTrace) != 0) ? context_decode_run(ctx, c, m) : 1;
    end_model(m);
    return rc;
}

void context_close(LpContext*, Coder* c) {
    if (c->state != nullptr) host_release(c->state);
    c->state = nullptr;
}

const CoderMethods kMethods = {context_initialise, context_set_info, context_encode, context_decode, context_close};

}  // namespace

const CoderMethods& context_model_coder_methods() { return kMethods; }

}  // namespace tymlp
