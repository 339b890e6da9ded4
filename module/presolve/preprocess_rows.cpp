// preprocess_rows.cpp -- the tests and reductions of one constraint row.
//
// With L and U the smallest and largest activity the column bounds allow, a
// row Σ a_j x_j ≤ b (or ≥ b, or = b) is infeasible when it cannot reach b,
// and redundant when no point of the bounds can violate it.  Otherwise each
// column is examined against the slack the others leave:
//   - a binary column whose one value would violate the row is fixed at the
//     other;
//   - in a one-sided row, a binary column whose one value makes the row
//     redundant gets its coefficient (and, where the algebra asks, the
//     right-hand side) reduced by that excess, so that the row keeps exactly
//     its integer points and cuts off more fractional ones;
//   - a continuous or integer column gets the bound the row implies when it
//     is tighter than the one it has (integer columns rounded to the nearest
//     integer, which never cuts off an integer point).
// L and U follow every change, so later columns of the row see the tightened
// bounds.  A greater-or-equal side is the less-or-equal side of the row
// multiplied by -1; equality and range rows have both sides, and their
// binary coefficients are never reduced (a reduction is exact for one side
// only).
#include "presolve/preprocess_work.h"

#include <cmath>

namespace tymlp {
namespace {

struct RowScan {
    LpContext* ctx;
    PreprocessWork* w;
    int32_t row;
    RowSides sides;
    RowActivity act;
    double tolerance;  // PEPSILON
};

bool finite(const RowScan& s, double v) { return pre_finite(s.ctx, v); }

void fix_column(RowScan& s, int32_t j, double value) {
    ColumnRecord& col = s.w->column_records[j];
    col.lower = value;
    col.upper = value;
    col.flags = static_cast<uint16_t>((col.flags & ~(kColLowerGiven | kColUpperGiven)) | kColFixed);
    PreColumnWork& work = s.w->column_work[j];
    work.flags = static_cast<uint16_t>((work.flags & ~(kPreLowerRaised | kPreUpperLowered)) | kPreFixed);
    work.fixed_value = value;
}

// New upper bound t of column j; a bound that meets the lower one fixes it.
void set_upper(RowScan& s, int32_t j, double t, double lower) {
    if (t == lower) return fix_column(s, j, t);
    ColumnRecord& col = s.w->column_records[j];
    col.upper = t;
    col.flags |= kColUpperGiven;
    PreColumnWork& work = s.w->column_work[j];
    work.flags |= kPreUpperLowered;
    work.new_upper = t;
}

void set_lower(RowScan& s, int32_t j, double t, double upper) {
    if (t == upper) return fix_column(s, j, t);
    ColumnRecord& col = s.w->column_records[j];
    col.lower = t;
    col.flags |= kColLowerGiven;
    PreColumnWork& work = s.w->column_work[j];
    work.flags |= kPreLowerRaised;
    work.new_lower = t;
}

// Fixes binary column j (coefficient a) at value and moves L or U from the
// share the free column had to the fixed share.
void fix_binary(RowScan& s, int32_t j, double a, double value) {
    fix_column(s, j, value);
    const bool raises_min = (a > 0) == (value != 0.0);  // the fixed share exceeds the old minimum
    if (raises_min) {
        if (finite(s, s.act.lower)) s.act.lower += std::fabs(a);
    } else if (finite(s, s.act.upper)) {
        s.act.upper -= std::fabs(a);
    }
}

// A candidate bound of an integer column is rounded; then it snaps to the
// bound `snap` when within PEPSILON of it.
double candidate(const RowScan& s, const ColumnRecord& col, double t, double snap) {
    if ((col.flags & kColInteger) != 0) t = std::round(t);
    if (std::fabs(t - snap) < s.tolerance) t = snap;
    return t;
}

int record_reduction(RowScan& s, int64_t k, const CoefEntry& e, double coefficient, double rhs) {
    int rc = pre_write_coefficient(s.ctx, s.w, k, coefficient);
    if (rc == 0) rc = pre_add_change(s.w, s.row, e.column, coefficient, rhs);
    if (rc == 0 && pre_rhs_changed(rhs)) s.w->rhs[s.row] = rhs;
    return rc;
}

// Σ a_j x_j ≤ b: with x at the value that leaves the most room the row is
// slack by δ, so coefficient and right-hand side both give up δ.
int reduce_less_equal(RowScan& s, int64_t k, const CoefEntry& e) {
    const double a = e.value;
    const double abs_a = std::fabs(a);
    const double b = s.sides.upper;
    if (!finite(s, s.act.upper) || !(s.act.upper - abs_a < b - s.tolerance)) return 0;
    const double delta = b - (s.act.upper - abs_a);
    if (a > 0) {
        const double reduced_rhs = b - delta;
        s.act.upper -= delta;
        s.sides.upper = reduced_rhs;
        return record_reduction(s, k, e, a - delta, reduced_rhs);
    }
    if (finite(s, s.act.lower)) s.act.lower += delta;
    return record_reduction(s, k, e, -(abs_a - delta), pre_rhs_unchanged());
}

// Σ a_j x_j ≥ b: the mirror image.
int reduce_greater_equal(RowScan& s, int64_t k, const CoefEntry& e) {
    const double a = e.value;
    const double abs_a = std::fabs(a);
    const double b = s.sides.lower;
    if (!finite(s, s.act.lower) || !(s.act.lower + abs_a > b + s.tolerance)) return 0;
    const double delta = (s.act.lower + abs_a) - b;
    if (a > 0) {
        if (finite(s, s.act.upper)) s.act.upper -= delta;
        return record_reduction(s, k, e, a - delta, pre_rhs_unchanged());
    }
    const double raised_rhs = b + delta;
    s.act.lower += delta;
    s.sides.lower = raised_rhs;
    return record_reduction(s, k, e, -(abs_a - delta), raised_rhs);
}

int binary_rules(RowScan& s, int64_t k, const CoefEntry& e) {
    const double a = e.value;
    const double abs_a = std::fabs(a);
    const double p = s.tolerance;
    // x = 0 (a > 0) or x = 1 (a < 0) cannot reach the lower side.
    if (s.sides.has_lower && finite(s, s.act.upper) && s.act.upper - abs_a < s.sides.lower - p) {
        fix_binary(s, e.column, a, a > 0 ? 1.0 : 0.0);
        return 0;
    }
    // x = 1 (a > 0) or x = 0 (a < 0) exceeds the upper side.
    if (s.sides.has_upper && finite(s, s.act.lower) && s.act.lower + abs_a > s.sides.upper + p) {
        fix_binary(s, e.column, a, a > 0 ? 0.0 : 1.0);
        return 0;
    }
    if (!s.sides.one_sided) return 0;
    return s.sides.has_upper ? reduce_less_equal(s, k, e) : reduce_greater_equal(s, k, e);
}

// The less-or-equal side b: the others need at least L - (this column's
// share of L), which bounds this column.
void tighten_below(RowScan& s, int32_t j, double a, double b) {
    if (!finite(s, s.act.lower)) return;
    ColumnRecord& col = s.w->column_records[j];
    const double l = pre_column_lower(s.ctx, col);
    const double u = pre_column_upper(s.ctx, col);
    const double p = s.tolerance;
    if (a > 0) {
        double t = candidate(s, col, (b - (s.act.lower - a * l)) / a, l);
        if (!finite(s, t)) return;
        if (t < l) t = l;  // the row is met only at the bound (L > b by less than PEPSILON)
        if (!(t < u - p)) return;
        if (finite(s, s.act.upper)) s.act.upper -= (u - t) * a;
        return set_upper(s, j, t, l);
    }
    const double abs_a = -a;
    if ((col.flags & kColUnrestricted) != 0) return;
    double t = candidate(s, col, (abs_a * u + s.act.lower - b) / abs_a, u);
    if (!finite(s, t)) return;
    if (t > u) t = u;
    if (!(t > l + p)) return;
    if (finite(s, s.act.upper)) s.act.upper -= (t - l) * abs_a;
    set_lower(s, j, t, u);
}

// The greater-or-equal side b: the others give at most U - (this column's
// share of U).
void tighten_above(RowScan& s, int32_t j, double a, double b) {
    if (!finite(s, s.act.upper)) return;
    ColumnRecord& col = s.w->column_records[j];
    const double l = pre_column_lower(s.ctx, col);
    const double u = pre_column_upper(s.ctx, col);
    const double p = s.tolerance;
    if (a > 0) {
        if ((col.flags & kColUnrestricted) != 0) return;
        double t = candidate(s, col, (b - (s.act.upper - a * u)) / a, u);
        if (!finite(s, t)) return;
        if (t > u) t = u;
        if (!(t > l + p)) return;
        if (finite(s, s.act.lower)) s.act.lower += (t - l) * a;
        return set_lower(s, j, t, u);
    }
    const double abs_a = -a;
    double t = candidate(s, col, (abs_a * l + s.act.upper - b) / abs_a, l);
    if (!finite(s, t)) return;
    if (t < l) t = l;
    if (!(t < u - p)) return;
    if (finite(s, s.act.lower)) s.act.lower += (u - t) * abs_a;
    set_upper(s, j, t, l);
}

void continuous_rules(RowScan& s, int32_t j, double a) {
    if (s.sides.has_upper) tighten_below(s, j, a, s.sides.upper);
    if (s.sides.has_lower && (s.w->column_records[j].flags & kColFixed) == 0) tighten_above(s, j, a, s.sides.lower);
}

bool infeasible(const RowScan& s) {
    const double p = s.tolerance;
    if (s.sides.has_upper && finite(s, s.act.lower) && s.act.lower > s.sides.upper + p) return true;
    return s.sides.has_lower && finite(s, s.act.upper) && s.act.upper < s.sides.lower - p;
}

bool redundant(const RowScan& s) {
    const double p = s.tolerance;
    const bool lower_finite = finite(s, s.act.lower);
    const bool upper_finite = finite(s, s.act.upper);
    if (s.sides.plain_equality)
        return lower_finite && upper_finite && std::fabs(s.act.upper - s.act.lower) < s.ctx->options.epsilon;
    const bool upper_met = !s.sides.has_upper || (upper_finite && s.act.upper <= s.sides.upper + p);
    const bool lower_met = !s.sides.has_lower || (lower_finite && s.act.lower >= s.sides.lower - p);
    return upper_met && lower_met;
}

// A redundant row stays in the problem as a free row.
void eliminate_row(LpContext* ctx, PreprocessWork* w, int32_t i) {
    RowRecord& row = w->row_records[i];
    ProblemModel& m = ctx->model;
    if ((row.flags & kRowLessEqual) != 0) --m.le_rows;
    if ((row.flags & kRowGreaterEqual) != 0) --m.ge_rows;
    if ((row.flags & kRowRange) != 0) --m.range_rows;
    ++m.free_rows;
    row.flags = kRowFree;
    w->row_work[i].flags |= kPreRowEliminated;
}

int reduce_row(RowScan& s) {
    const RowRecord& row = s.w->row_records[s.row];
    int64_t k = row.first_entry;
    for (int32_t seen = 0; k != kNoEntry && seen < row.entry_count; ++seen) {
        CoefEntry e{};
        int rc = pre_read_entry(s.ctx, s.w, k, &e);
        if (rc != 0) return rc;
        const int64_t here = k;
        k = e.next_in_row;
        if (std::fabs(e.value) <= s.tolerance || e.column < 0 || e.column >= s.w->columns) continue;
        const uint16_t flags = s.w->column_records[e.column].flags;
        if ((flags & kColFixed) != 0) continue;
        if ((flags & kColBinary) != 0) {
            rc = binary_rules(s, here, e);
            if (rc != 0) return rc;
        } else {
            continuous_rules(s, e.column, e.value);
        }
    }
    return 0;
}

}  // namespace

int pre_examine_row(LpContext* ctx, PreprocessWork* w, int32_t i) {
    RowScan s{ctx, w, i, pre_row_sides(w->row_records[i], w->rhs[i]), RowActivity{}, ctx->options.pepsilon};
    if (!s.sides.constraint) return 0;
    int rc = pre_row_activity(ctx, w, i, &s.act);
    if (rc != 0) return rc;
    if (!finite(s, s.act.lower) && !finite(s, s.act.upper)) return 0;
    if (infeasible(s)) {
        w->row_work[i].flags |= kPreRowInfeasible;
        return 0;
    }
    if (redundant(s)) {
        eliminate_row(ctx, w, i);
        return 0;
    }
    return reduce_row(s);
}

}  // namespace tymlp
