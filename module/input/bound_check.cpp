// bound_check.cpp -- columns whose bounds leave them no value.
#include "input/bound_check.h"

#include "base/host_link.h"
#include "input/model_records.h"
#include "input/reader_common.h"

namespace tymlp {
namespace {

constexpr int32_t kListedColumns = 100;

bool contradicts(const LpContext* ctx, double lower, double upper) {
    const double inf = ctx->options.infinity;
    return lower > upper || lower >= inf || upper <= -inf;
}

}  // namespace

void effective_bounds(const LpContext* ctx, const ColumnRecord& col, double* lower, double* upper) {
    const uint16_t keeps_lower = kColLowerGiven | kColFixed | kColBinary;
    *lower = col.lower;
    if ((col.flags & kColUnrestricted) != 0)
        *lower = -ctx->options.infinity;
    else if ((col.flags & keeps_lower) == 0)
        *lower = 0.0;
    *upper = col.upper;
}

int check_column_bounds(LpContext* ctx) {
    ProblemModel& m = ctx->model;
    m.contradicting_bounds = 0;
    char name[kMaxNameLength];
    for (int32_t j = 0; j < m.structural_count; ++j) {
        ColumnRecord col{};
        const int rc = read_column(ctx, j, &col, name);
        if (rc != 0) return rc;
        double lower = 0.0, upper = 0.0;
        effective_bounds(ctx, col, &lower, &upper);
        if (!contradicts(ctx, lower, upper)) continue;
        if (++m.contradicting_bounds > kListedColumns) continue;
        const TymArg args[] = {arg_text(name, trimmed_length(name, m.column_name_length)), arg_double(lower),
                               arg_double(upper)};
        host_message(kMsgContradictingBounds, 3, args);
    }
    if (m.contradicting_bounds > kListedColumns) {
        const TymArg args[] = {arg_int(m.contradicting_bounds), arg_int(kListedColumns)};
        host_message(kMsgMoreContradictingBounds, 2, args);
    }
    return 0;
}

}  // namespace tymlp
