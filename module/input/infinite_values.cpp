// infinite_values.cpp -- .I and .M in bounds, right-hand sides and coefficients.
#include "input/infinite_values.h"

#include "base/host_link.h"
#include "input/reader_common.h"

namespace tymlp {

int infinity_sign(double v) {
    // A number this large cannot take part in the arithmetic of a solve: one
    // scale factor or one sum more and it overflows.  It is read as the
    // infinity it stands for (the INFINITY option's own value included).
    constexpr double kHuge = 1e305;
    if (!is_missing(v)) return v >= kHuge ? 1 : v <= -kHuge ? -1 : 0;
    const int kind = host_missing_kind(v);
    return kind == 'I' ? 1 : kind == 'M' ? -1 : 0;
}

double bound_value(const LpContext* ctx, double v) {
    const int sign = infinity_sign(v);
    return sign == 0 ? v : sign * ctx->options.infinity;
}

InfiniteRhs classify_rhs(uint8_t row_flags, int plus, int minus, int finite) {
    if (plus == 0 && minus == 0) return InfiniteRhs::kFinite;
    if ((row_flags & kRowFree) != 0) return InfiniteRhs::kNotBinding;
    // The side a row leaves open: above for a less-or-equal row, below for
    // a greater-or-equal one.  An equality bounds both, an objective's
    // right-hand side is a constant.
    int open_side = 0;
    if ((row_flags & (kRowObjective | kRowEquality)) == 0) {
        if ((row_flags & kRowLessEqual) != 0) open_side = 1;
        if ((row_flags & kRowGreaterEqual) != 0) open_side = -1;
    }
    const int binding_side = open_side == 1 ? minus : open_side == -1 ? plus : plus + minus;
    if (binding_side > 0) return InfiniteRhs::kNeverHolds;
    return finite > 0 ? InfiniteRhs::kMixed : InfiniteRhs::kNotBinding;
}

bool report_infinite_rhs(InfiniteRhs outcome, const char* row, int row_length) {
    const TymArg arg = arg_text(row, trimmed_length(row, row_length));
    switch (outcome) {
        case InfiniteRhs::kFinite: return false;
        case InfiniteRhs::kNotBinding: host_message(kMsgRowNotBinding, 1, &arg); return false;
        case InfiniteRhs::kNeverHolds: host_message(kMsgRowNeverHolds, 1, &arg); return true;
        case InfiniteRhs::kMixed: host_message(kMsgRowMixedInfinity, 1, &arg); return true;
    }
    return true;
}

void report_infinite_coefficient(const char* row, int row_length, const char* column, int column_length,
                                 int64_t observation) {
    const TymArg args[] = {arg_text(row, trimmed_length(row, row_length)),
                           arg_text(column, trimmed_length(column, column_length)), arg_int(observation)};
    host_message(kMsgInfiniteCoefficient, 3, args);
}

void report_infinite_change(const char* vector, int vector_length, const char* member, int member_length,
                            int64_t observation) {
    const TymArg args[] = {arg_text(vector, trimmed_length(vector, vector_length)),
                           arg_text(member, trimmed_length(member, member_length)), arg_int(observation)};
    host_message(kMsgInfiniteChange, 3, args);
}

bool report_infinite_range(double range, const char* row, int row_length) {
    if (infinity_sign(range) == 0) return false;
    const TymArg arg = arg_text(row, trimmed_length(row, row_length));
    host_message(kMsgInfiniteRange, 1, &arg);
    return true;
}

void make_row_free(ProblemModel& m, RowRecord& rec) {
    if ((rec.flags & kRowFree) != 0) return;
    if ((rec.flags & kRowLessEqual) != 0) --m.le_rows;
    if ((rec.flags & kRowGreaterEqual) != 0) --m.ge_rows;
    rec.flags = static_cast<uint8_t>((rec.flags & ~(kRowLessEqual | kRowGreaterEqual | kRowRange)) | kRowFree);
    ++m.free_rows;
}

}  // namespace tymlp
