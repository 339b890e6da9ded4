// node_records.cpp -- packing, saving and restoring node records.
#include "integer/node_records.h"

#include <cmath>
#include <cstring>

#include "base/context_memory.h"
#include "base/host_link.h"
#include "input/sos_sets.h"
#include "simplex/invert.h"
#include "simplex/pivot_history.h"
#include "simplex/primal_values.h"

namespace tymlp {
namespace {

// Block header: data capacity, next block (-1 none), total record length.
struct BlockHead {
    int32_t capacity;
    int32_t next;
    int32_t total;
};
static_assert(sizeof(BlockHead) == 12, "node file block header");

constexpr int32_t kNoBlock = -1;
constexpr int32_t kWidestValue = 8;
constexpr int32_t kRoomPerColumnSlack = 50;
constexpr int32_t kBinariesPerGroup = 8;
// The largest magnitude each integer width holds.
constexpr double kLimitOfWidth1 = 127.0;
constexpr double kLimitOfWidth2 = 32767.0;
constexpr double kLimitOfWidth4 = 2147483647.0;

double width_limit(int32_t w) {
    switch (w) {
        case 1: return kLimitOfWidth1;
        case 2: return kLimitOfWidth2;
        case 4: return kLimitOfWidth4;
        default: return HUGE_VAL;
    }
}

bool integral(double v, double eps) { return std::fabs(v - std::round(v)) <= eps; }

int32_t widen_for(int32_t w, double bound) {
    while (w < kWidestValue && std::fabs(bound) > width_limit(w)) w *= 2;
    return w;
}

int32_t member_total(const LpContext* ctx) {
    int32_t total = 0;
    for (const SosSet* s = ctx->model.sos_sets; s != nullptr; s = s->next) total += s->count;
    return total;
}

// The value width from the bounds present now.
int32_t choose_width(const LpContext* ctx) {
    const ComputationalForm& f = ctx->form;
    const double eps = ctx->options.epsilon;
    const double inf = ctx->options.infinity;
    int32_t w = 1;
    for (const SosSet* s = ctx->model.sos_sets; s != nullptr; s = s->next)
        for (int32_t k = 0; k < s->count; ++k) {
            const int32_t j = s->members[k];
            if (!integral(f.lower[j], eps) || (f.upper[j] < inf && !integral(f.upper[j], eps))) w = kWidestValue;
        }
    for (const SosSet* s = ctx->model.sos_sets; s != nullptr; s = s->next)
        for (int32_t k = 0; k < s->count; ++k) {
            const int32_t j = s->members[k];
            w = widen_for(widen_for(w, f.lower[j]), f.upper[j]);
        }
    for (const IntegerVariable* v = ctx->bb.variables; v != nullptr; v = v->next)
        w = widen_for(widen_for(w, f.lower[v->column]), f.upper[v->column]);
    return w;
}

int prepare_layout(LpContext* ctx) {
    BbState& bb = ctx->bb;
    if (bb.value_width == 0) bb.value_width = choose_width(ctx);
    if (bb.record_buffer != nullptr) return 0;
    const int64_t w = bb.value_width;
    const int64_t n = ctx->model.columns;
    const int64_t integers = ctx->model.integer_count;
    int64_t room = 2 * w * (n + kRoomPerColumnSlack + member_total(ctx));
    room += bb.all_binary != 0 ? 2 * (integers / kBinariesPerGroup + 1) : 2 * integers * w;
    bb.record_buffer = ctx_alloc_array<uint8_t>(ctx, 2 * room, TYM_ALLOC_STEP_ZERO);
    if (bb.record_buffer == nullptr) return kRunMemory;
    bb.record_room = static_cast<int32_t>(room);
    return 0;
}

// One bound as a value of the record's width.  An integer width keeps a
// lower bound rounded up and an upper bound rounded down: for the integer
// variables and integral set members it describes that is the same bound.
uint8_t* put_value(uint8_t* out, int32_t w, double v, bool lower, double eps) {
    if (w == kWidestValue) {
        std::memcpy(out, &v, sizeof v);
        return out + sizeof v;
    }
    const double r = lower ? std::ceil(v - eps) : std::floor(v + eps);
    if (w == 1) {
        const auto x = static_cast<int8_t>(r);
        std::memcpy(out, &x, sizeof x);
    } else if (w == 2) {
        const auto x = static_cast<int16_t>(r);
        std::memcpy(out, &x, sizeof x);
    } else {
        const auto x = static_cast<int32_t>(r);
        std::memcpy(out, &x, sizeof x);
    }
    return out + w;
}

const uint8_t* get_value(const uint8_t* in, int32_t w, double* v) {
    if (w == kWidestValue) {
        std::memcpy(v, in, sizeof *v);
    } else if (w == 1) {
        int8_t x;
        std::memcpy(&x, in, sizeof x);
        *v = x;
    } else if (w == 2) {
        int16_t x;
        std::memcpy(&x, in, sizeof x);
        *v = x;
    } else {
        int32_t x;
        std::memcpy(&x, in, sizeof x);
        *v = x;
    }
    return in + w;
}

int32_t status_bytes_end(const LpContext* ctx) {
    const int32_t w = ctx->bb.value_width;
    const int32_t n = ctx->model.columns;
    return (n + w - 1) / w * w;
}

// The raw record of the current state into `out`; returns its length.
int32_t pack(LpContext* ctx, uint8_t* out) {
    const ComputationalForm& f = ctx->form;
    const BbState& bb = ctx->bb;
    const int32_t w = bb.value_width;
    const double eps = ctx->options.epsilon;
    std::memcpy(out, f.status, static_cast<size_t>(ctx->model.columns));
    uint8_t* p = out + status_bytes_end(ctx);
    for (const SosSet* s = ctx->model.sos_sets; s != nullptr; s = s->next)
        for (int32_t k = 0; k < s->count; ++k) {
            p = put_value(p, w, f.lower[s->members[k]], true, eps);
            p = put_value(p, w, f.upper[s->members[k]], false, eps);
        }
    if (bb.all_binary != 0) {
        int32_t bit = 0;
        uint8_t* group = p;
        for (const IntegerVariable* v = bb.variables; v != nullptr; v = v->next) {
            if (bit == 0) {
                group = p;
                group[0] = group[1] = 0;
                p += 2;
            }
            if (f.lower[v->column] > 0.5) group[0] = static_cast<uint8_t>(group[0] | (1u << bit));
            if (f.upper[v->column] > 0.5) group[1] = static_cast<uint8_t>(group[1] | (1u << bit));
            bit = (bit + 1) % kBinariesPerGroup;
        }
    } else {
        for (const IntegerVariable* v = bb.variables; v != nullptr; v = v->next) {
            p = put_value(p, w, f.lower[v->column], true, eps);
            p = put_value(p, w, f.upper[v->column], false, eps);
        }
    }
    return static_cast<int32_t>(p - out);
}

// The bounds of a raw record into the bound vectors; with `with_status`
// the status bytes too.
void unpack(LpContext* ctx, const uint8_t* in, bool with_status) {
    ComputationalForm& f = ctx->form;
    const BbState& bb = ctx->bb;
    const int32_t w = bb.value_width;
    if (with_status) std::memcpy(f.status, in, static_cast<size_t>(ctx->model.columns));
    const uint8_t* p = in + status_bytes_end(ctx);
    for (const SosSet* s = ctx->model.sos_sets; s != nullptr; s = s->next)
        for (int32_t k = 0; k < s->count; ++k) {
            p = get_value(p, w, &f.lower[s->members[k]]);
            p = get_value(p, w, &f.upper[s->members[k]]);
        }
    if (bb.all_binary != 0) {
        int32_t bit = 0;
        const uint8_t* group = p;
        for (const IntegerVariable* v = bb.variables; v != nullptr; v = v->next) {
            if (bit == 0) {
                group = p;
                p += 2;
            }
            f.lower[v->column] = (group[0] >> bit) & 1u ? 1.0 : 0.0;
            f.upper[v->column] = (group[1] >> bit) & 1u ? 1.0 : 0.0;
            bit = (bit + 1) % kBinariesPerGroup;
        }
    } else {
        for (const IntegerVariable* v = bb.variables; v != nullptr; v = v->next) {
            p = get_value(p, w, &f.lower[v->column]);
            p = get_value(p, w, &f.upper[v->column]);
        }
    }
}

int io_error(int rc) {
    host_status_report(rc);
    return kRunIo;
}

int open_node_file(LpContext* ctx) {
    if (ctx->model.node_file != nullptr) return 0;
    ctx->model.node_file = host_util_open();
    return ctx->model.node_file != nullptr ? 0 : kRunIo;
}

// A new chain of one block at the end of the file.
int write_new_chain(TymUtil file, ActiveNode* node, const uint8_t* data, int32_t length) {
    int rc = host_util_position(file, -1);
    if (rc != 0) return io_error(rc);
    const int64_t at = host_util_tell(file);
    if (at < 0 || at > INT32_MAX) return io_error(static_cast<int>(at < 0 ? at : -1));
    node->record = static_cast<int32_t>(at);
    const BlockHead head{length, kNoBlock, length};
    rc = host_util_write(file, &head, sizeof head);
    if (rc == 0) rc = host_util_write(file, data, length);
    return rc == 0 ? 0 : io_error(rc);
}

// The record over the node's old chain, block by block.
int overwrite_chain(TymUtil file, const ActiveNode* node, const uint8_t* data, int32_t length) {
    int32_t block = node->record;
    int32_t done = 0;
    bool first = true;
    for (;;) {
        BlockHead head{};
        int rc = host_util_position(file, block);
        if (rc == 0) rc = host_util_read(file, &head, sizeof head);
        if (rc != 0) return io_error(rc);
        if (first) {
            head.total = length;
            rc = host_util_position(file, block);
            if (rc == 0) rc = host_util_write(file, &head, sizeof head);
            if (rc != 0) return io_error(rc);
            first = false;
        }
        const int32_t take = head.capacity < length - done ? head.capacity : length - done;
        rc = host_util_position(file, block + static_cast<int64_t>(sizeof head));
        if (rc == 0 && take > 0) rc = host_util_write(file, data + done, take);
        if (rc != 0) return io_error(rc);
        done += take;
        if (done >= length) return 0;
        if (head.next != kNoBlock) {
            block = head.next;
            continue;
        }
        // The chain grows by one block holding the rest.
        rc = host_util_position(file, -1);
        if (rc != 0) return io_error(rc);
        const int64_t at = host_util_tell(file);
        if (at < 0 || at > INT32_MAX) return io_error(static_cast<int>(at < 0 ? at : -1));
        const int32_t next = static_cast<int32_t>(at);
        const BlockHead tail{length - done, kNoBlock, length};
        rc = host_util_write(file, &tail, sizeof tail);
        if (rc == 0) rc = host_util_write(file, data + done, length - done);
        if (rc == 0) rc = host_util_position(file, block + static_cast<int64_t>(sizeof(int32_t)));
        if (rc == 0) rc = host_util_write(file, &next, sizeof next);
        return rc == 0 ? 0 : io_error(rc);
    }
}

// The stored bytes of the node's record into `out` (room `capacity`).
int read_chain(TymUtil file, const ActiveNode* node, uint8_t* out, int32_t capacity, int32_t* length) {
    int32_t block = node->record;
    int32_t done = 0;
    int32_t total = -1;
    while (block != kNoBlock) {
        BlockHead head{};
        int rc = host_util_position(file, block);
        if (rc == 0) rc = host_util_read(file, &head, sizeof head);
        if (rc != 0) return io_error(rc);
        if (total < 0) total = head.total;
        if (total > capacity) return io_error(-1);
        const int32_t take = head.capacity < total - done ? head.capacity : total - done;
        if (take > 0) rc = host_util_read(file, out + done, take);
        if (rc != 0) return io_error(rc);
        done += take;
        if (done >= total) break;
        block = head.next;
    }
    if (done != total) return io_error(-1);
    *length = total;
    return 0;
}

// The raw record of the node into the first half of the buffer.
int read_record(LpContext* ctx, const ActiveNode* node) {
    BbState& bb = ctx->bb;
    if (node->record < 0 || ctx->model.node_file == nullptr) return kRunIo;
    uint8_t* raw = bb.record_buffer;
    const NodeCoderEntries* coder = bb.node_coder_entries;
    if (coder == nullptr) {
        int32_t length = 0;
        return read_chain(ctx->model.node_file, node, raw, bb.record_room, &length);
    }
    uint8_t* coded = bb.record_buffer + bb.record_room;
    int32_t length = 0;
    int rc = read_chain(ctx->model.node_file, node, coded, bb.record_room, &length);
    if (rc != 0) return rc;
    int32_t raw_length = 0;
    return coder->expand(ctx, coded, length, raw, bb.record_room, &raw_length);
}

bool is_child_of_last_branching(const LpContext* ctx, const ActiveNode* node) {
    const BbState& bb = ctx->bb;
    if (node == bb.root || bb.parent_basis_in_memory == 0) return false;
    const int32_t magnitude = node->stamp < 0 ? -node->stamp : node->stamp;
    return magnitude != 0 && magnitude == bb.iteration - 1;
}

// The saved basis becomes the current one and is factorised afresh.
int refactorise_saved_basis(LpContext* ctx) {
    ClearPivotHistory(ctx);
    ClearLeaveBans(ctx);
    RebuildHeader(ctx);
    return Invert(ctx);
}

}  // namespace

int save_node(LpContext* ctx, ActiveNode* node) {
    BbState& bb = ctx->bb;
    int rc = prepare_layout(ctx);
    if (rc != 0) return rc;
    rc = open_node_file(ctx);
    if (rc != 0) return rc;
    const int32_t raw_length = pack(ctx, bb.record_buffer);
    const uint8_t* stored = bb.record_buffer;
    int32_t length = raw_length;
    if (bb.node_coder_entries != nullptr) {
        uint8_t* coded = bb.record_buffer + bb.record_room;
        rc = bb.node_coder_entries->compress(ctx, bb.record_buffer, raw_length, coded, bb.record_room, &length);
        if (rc != 0) return rc;
        stored = coded;
    }
    ++bb.records_saved;
    bb.record_bytes += length;
    if (node->record < 0) return write_new_chain(ctx->model.node_file, node, stored, length);
    return overwrite_chain(ctx->model.node_file, node, stored, length);
}

int restore_node(LpContext* ctx, ActiveNode* node) {
    BbState& bb = ctx->bb;
    ComputationalForm& f = ctx->form;
    const bool child = is_child_of_last_branching(ctx, node);
    const int32_t j = bb.branch_column;
    if (child && ctx->model.sos_count == 0 && j >= 0) {
        if (node->stamp > 0)
            f.upper[j] = std::floor(f.value[j]);
        else
            f.lower[j] = std::ceil(f.value[j]);
        bb.parent_basis_in_memory = 0;
        return (f.status[j] & kStatBasic) != 0 ? 0 : RecomputePrimal(ctx);
    }
    bb.parent_basis_in_memory = 0;
    int rc = prepare_layout(ctx);
    if (rc == 0) rc = read_record(ctx, node);
    if (rc != 0) return rc;
    unpack(ctx, bb.record_buffer, !child);
    if (!child) {
        rc = refactorise_saved_basis(ctx);
        if (rc != 0) return rc;
    }
    return RecomputePrimal(ctx);
}

void forget_record_layout(LpContext* ctx) {
    BbState& bb = ctx->bb;
    bb.value_width = 0;
    ctx_free_array(ctx, bb.record_buffer);
    bb.record_room = 0;
}

}  // namespace tymlp
