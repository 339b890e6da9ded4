// integer_vars.cpp -- integer-variable records of integer and binary columns.
#include "input/integer_vars.h"

#include <cmath>

#include "base/context_memory.h"
#include "base/numeric.h"

namespace tymlp {
namespace {

constexpr int16_t kBinaryFlag = 0x100;
constexpr double kInt32Max = kInt32MaxAsDouble;
constexpr double kInt32Min = -2147483648.0;

}  // namespace

int32_t priority_from_value(double value) {
    if (std::isnan(value)) return 0;
    const double t = std::trunc(value);
    if (t >= kInt32Max) return static_cast<int32_t>(kInt32Max);
    if (t <= kInt32Min) return static_cast<int32_t>(kInt32Min);
    return static_cast<int32_t>(t);
}

int set_integer_record(LpContext* ctx, int32_t j, ColumnRecord& col, int32_t priority, bool binary,
                       IntegerVariable** tail) {
    IntegerVariable* rec = col.integer_record >= 0 ? integer_variable_at(ctx, col.integer_record) : nullptr;
    if (rec == nullptr) {
        rec = static_cast<IntegerVariable*>(ctx_heap_alloc(ctx, sizeof(IntegerVariable)));
        if (rec == nullptr) return kRunMemory;
        rec->column = j;
        IntegerVariable* last = tail != nullptr ? *tail : nullptr;
        if (last == nullptr)
            for (last = ctx->bb.variables; last != nullptr && last->next != nullptr;) last = last->next;
        if (last == nullptr)
            ctx->bb.variables = rec;
        else
            last->next = rec;
        if (tail != nullptr) *tail = rec;
        col.integer_record = ctx->model.integer_count;
        ++ctx->model.integer_count;
    }
    rec->priority = priority;
    if (binary && (rec->flags & kBinaryFlag) == 0) {
        rec->flags = static_cast<int16_t>(rec->flags | kBinaryFlag);
        ++ctx->model.binary_count;
    }
    return 0;
}

IntegerVariable* integer_variable_at(LpContext* ctx, int32_t index) {
    if (index < 0) return nullptr;
    IntegerVariable* rec = ctx->bb.variables;
    for (int32_t k = 0; rec != nullptr && k < index; ++k) rec = rec->next;
    return rec;
}

}  // namespace tymlp
