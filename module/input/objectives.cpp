// objectives.cpp -- objective records and their visiting order.
#include "input/objectives.h"

#include <cstring>

#include "base/context_memory.h"
#include "base/host_link.h"

namespace tymlp {

ObjectiveRecord* add_objective(LpContext* ctx, int32_t row, double sense, const char* name) {
    ProblemModel& m = ctx->model;
    const int32_t name_length = m.row_name_length > 0 ? m.row_name_length : kDefaultNameLength;
    auto* rec =
        static_cast<ObjectiveRecord*>(ctx_heap_alloc(ctx, sizeof(ObjectiveRecord) + static_cast<size_t>(name_length)));
    if (rec == nullptr) return nullptr;
    rec->sense = sense;
    rec->column = -1;
    rec->row = row;
    char* text = objective_name(rec);
    std::memset(text, ' ', static_cast<size_t>(name_length));
    if (name != nullptr) std::memcpy(text, name, static_cast<size_t>(name_length));

    if (m.objectives == nullptr) {
        m.objectives = rec;
        m.phase1_objective = rec;
    } else {
        ObjectiveRecord* last = m.objectives;
        while (last->next != nullptr) last = last->next;
        last->next = rec;
    }
    ++m.objective_count;
    return rec;
}

int ensure_order_keys(LpContext* ctx) {
    const int32_t keys = ctx->model.lists[kListRhs].count > 0 ? ctx->model.lists[kListRhs].count : 1;
    for (ObjectiveRecord* rec = ctx->model.objectives; rec != nullptr; rec = rec->next) {
        if (rec->order_keys != nullptr) continue;
        rec->order_keys = static_cast<int32_t*>(ctx_heap_alloc(ctx, static_cast<size_t>(keys) * sizeof(int32_t)));
        if (rec->order_keys == nullptr) return kRunMemory;
    }
    return 0;
}

int select_objective(LpContext* ctx, int32_t j, ObjectiveRecord** out) {
    *out = nullptr;
    const int32_t count = ctx->model.objective_count;
    if (j < 1 || j >= count || ctx->model.objectives == nullptr) return kRunBadData;
    const int32_t key = ctx->model.rhs_index;

    // Only the objectives after phase 1 are ordered.
    const int32_t n = count - 1;
    auto* order =
        static_cast<ObjectiveRecord**>(host_alloc(static_cast<size_t>(n) * sizeof(ObjectiveRecord*), TYM_ALLOC_STEP));
    if (order == nullptr) return kRunMemory;
    int32_t filled = 0;
    for (ObjectiveRecord* rec = ctx->model.objectives->next; rec != nullptr && filled < n; rec = rec->next)
        order[filled++] = rec;

    auto key_of = [key](const ObjectiveRecord* rec) { return rec->order_keys != nullptr ? rec->order_keys[key] : 0; };
    // Exchange sort that only swaps strictly out-of-order neighbours, so equal
    // keys keep their input order.
    for (int32_t pass = 0; pass + 1 < filled; ++pass) {
        bool swapped = false;
        for (int32_t i = 0; i + 1 < filled - pass; ++i) {
            if (key_of(order[i]) > key_of(order[i + 1])) {
                ObjectiveRecord* t = order[i];
                order[i] = order[i + 1];
                order[i + 1] = t;
                swapped = true;
            }
        }
        if (!swapped) break;
    }
    const int rc = j - 1 < filled ? 0 : kRunBadData;
    if (rc == 0) *out = order[j - 1];
    host_release(order);
    return rc;
}

}  // namespace tymlp
