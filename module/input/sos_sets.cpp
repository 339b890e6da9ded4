// sos_sets.cpp -- special-ordered-set records on the context's heap.
#include "input/sos_sets.h"

#include <cstring>

#include "base/context_memory.h"
#include "base/host_link.h"

namespace tymlp {
namespace {

constexpr int32_t kFirstMemberCapacity = 8;

}  // namespace

SosSet* sos_create(LpContext* ctx, const char* name, int name_length, bool equality) {
    auto* set = static_cast<SosSet*>(ctx_heap_alloc(ctx, sizeof(SosSet)));
    if (set == nullptr) return nullptr;
    std::memset(set->name, ' ', sizeof set->name);
    if (name != nullptr && name_length > 0) {
        const size_t n = name_length < kMaxNameLength ? static_cast<size_t>(name_length) : sizeof set->name;
        std::memcpy(set->name, name, n);
    }
    set->equality = equality ? 1 : 0;
    ProblemModel& m = ctx->model;
    if (m.sos_sets == nullptr) {
        m.sos_sets = set;
    } else {
        SosSet* last = m.sos_sets;
        while (last->next != nullptr) last = last->next;
        last->next = set;
    }
    ++m.sos_count;
    return set;
}

bool sos_has_member(const SosSet* set, int32_t j) {
    for (int32_t k = 0; k < set->count; ++k)
        if (set->members[k] == j) return true;
    return false;
}

int sos_add_member(LpContext* ctx, SosSet* set, int32_t j) {
    if (sos_has_member(set, j)) return 0;
    if (set->count == set->capacity) {
        const int32_t capacity = set->capacity > 0 ? set->capacity * 2 : kFirstMemberCapacity;
        auto* members = static_cast<int32_t*>(ctx_heap_alloc(ctx, static_cast<size_t>(capacity) * sizeof(int32_t)));
        auto* reference = static_cast<double*>(ctx_heap_alloc(ctx, static_cast<size_t>(capacity) * sizeof(double)));
        if (members == nullptr || reference == nullptr) {
            if (members != nullptr) host_heap_release(ctx->handles.heap, members);
            if (reference != nullptr) host_heap_release(ctx->handles.heap, reference);
            return kRunMemory;
        }
        if (set->count > 0) {
            std::memcpy(members, set->members, static_cast<size_t>(set->count) * sizeof(int32_t));
            std::memcpy(reference, set->reference, static_cast<size_t>(set->count) * sizeof(double));
            host_heap_release(ctx->handles.heap, set->members);
            host_heap_release(ctx->handles.heap, set->reference);
        }
        set->members = members;
        set->reference = reference;
        set->capacity = capacity;
    }
    set->members[set->count] = j;
    set->reference[set->count] = 0.0;
    ++set->count;
    return 0;
}

}  // namespace tymlp
