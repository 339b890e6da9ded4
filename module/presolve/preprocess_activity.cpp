// preprocess_activity.cpp -- what a row asks of its activity, and the
// smallest and largest activity the column bounds allow.
//
// Every test and reduction of preprocessing compares these two activity
// bounds, L and U, with the row's right-hand side: a row that cannot reach
// its right-hand side is infeasible, one that cannot leave it redundant, and
// the distance between them bounds how far any single column may move.
#include "presolve/preprocess_work.h"

#include <cmath>

namespace tymlp {

RowSides pre_row_sides(const RowRecord& row, double rhs) {
    RowSides s{};
    const bool range = (row.flags & kRowRange) != 0;
    const double width = range ? std::fabs(row.link.range) : 0.0;
    if ((row.flags & kRowLessEqual) != 0) {
        s.constraint = true;
        s.has_upper = true;
        s.upper = rhs;
        s.has_lower = range;
        s.lower = rhs - width;
    } else if ((row.flags & kRowGreaterEqual) != 0) {
        s.constraint = true;
        s.has_lower = true;
        s.lower = rhs;
        s.has_upper = range;
        s.upper = rhs + width;
    } else if ((row.flags & kRowEquality) != 0) {
        s.constraint = true;
        s.has_lower = true;
        s.has_upper = true;
        // A negative range opens the row below its right-hand side, a
        // positive one above it.
        s.lower = range && row.link.range < 0 ? rhs - width : rhs;
        s.upper = range && row.link.range >= 0 ? rhs + width : rhs;
        s.plain_equality = !range;
    }
    s.one_sided = s.constraint && !range && !s.plain_equality;
    return s;
}

bool pre_finite(const LpContext* ctx, double v) {
    const double inf = ctx->options.infinity;
    return v > -inf && v < inf;
}

double pre_column_lower(const LpContext* ctx, const ColumnRecord& col) {
    const double inf = ctx->options.infinity;
    if ((col.flags & kColUnrestricted) != 0) return -inf;
    if ((col.flags & (kColLowerGiven | kColFixed | kColBinary)) == 0) return 0.0;
    return col.lower > -inf ? col.lower : -inf;
}

double pre_column_upper(const LpContext* ctx, const ColumnRecord& col) {
    const double inf = ctx->options.infinity;
    if ((col.flags & (kColUpperGiven | kColFixed | kColBinary)) == 0) return inf;
    return col.upper < inf ? col.upper : inf;
}

namespace {

// Adds one coefficient's share to the activity bounds.  An infinite side
// stays infinite.
void add_share(const LpContext* ctx, const ColumnRecord& col, double a, RowActivity* act) {
    const double inf = ctx->options.infinity;
    const bool lower_open = act->lower <= -inf;
    const bool upper_open = act->upper >= inf;
    double low_share;   // a times the bound that minimises a * x
    double high_share;  // a times the bound that maximises a * x
    bool low_infinite = false;
    bool high_infinite = false;
    if ((col.flags & kColFixed) != 0) {
        const double l = pre_column_lower(ctx, col);
        low_share = high_share = a * l;
        low_infinite = high_infinite = !pre_finite(ctx, l);
    } else if ((col.flags & kColBinary) != 0) {
        low_share = a < 0 ? a : 0.0;
        high_share = a > 0 ? a : 0.0;
    } else {
        const double l = pre_column_lower(ctx, col);
        const double u = pre_column_upper(ctx, col);
        const double at_min = a > 0 ? l : u;
        const double at_max = a > 0 ? u : l;
        low_infinite = !pre_finite(ctx, at_min);
        high_infinite = !pre_finite(ctx, at_max);
        low_share = low_infinite ? 0.0 : a * at_min;
        high_share = high_infinite ? 0.0 : a * at_max;
    }
    if (!lower_open) act->lower = low_infinite ? -inf : act->lower + low_share;
    if (!upper_open) act->upper = high_infinite ? inf : act->upper + high_share;
}

}  // namespace

int pre_row_activity(LpContext* ctx, PreprocessWork* w, int32_t i, RowActivity* act) {
    const double inf = ctx->options.infinity;
    const double tiny = ctx->options.pepsilon;
    const RowRecord& row = w->row_records[i];
    *act = RowActivity{0.0, 0.0};
    int64_t k = row.first_entry;
    for (int32_t seen = 0; k != kNoEntry && seen < row.entry_count; ++seen) {
        CoefEntry e{};
        const int rc = pre_read_entry(ctx, w, k, &e);
        if (rc != 0) return rc;
        k = e.next_in_row;
        if (std::fabs(e.value) <= tiny || e.column < 0 || e.column >= w->columns) continue;
        add_share(ctx, w->column_records[e.column], e.value, act);
        if (act->lower <= -inf && act->upper >= inf) break;
    }
    return 0;
}

}  // namespace tymlp
