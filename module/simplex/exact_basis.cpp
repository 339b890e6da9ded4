// exact_basis.cpp -- a small basis decided in exact arithmetic.
#include "simplex/exact_basis.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include "base/exact_number.h"
#include "simplex/phase_internal.h"
#include "simplex/pricing.h"
#include "simplex/work_store.h"

namespace tymlp {
namespace {

struct Column {
    std::vector<int32_t> rows;
    std::vector<double> values;
};

int fetch(LpContext* ctx, int32_t j, Column* out) {
    const double* values = nullptr;
    const int32_t* rows = nullptr;
    int32_t count = 0;
    const int rc = FetchColumn(ctx, j, &values, &rows, &count);
    if (rc != kRunOk) return rc;
    out->rows.assign(rows, rows + count);
    out->values.assign(values, values + count);
    return kRunOk;
}

using DyadicRow = std::vector<ExactDyadic>;
using IntegerRow = std::vector<ExactInteger>;

// A row of dyadic rationals times the power of two that makes every one of
// them an integer (the row's solution does not change).
IntegerRow integer_row(const DyadicRow& row) {
    bool any = false;
    int64_t lowest = 0;
    for (const ExactDyadic& v : row) {
        if (v.is_zero()) continue;
        lowest = any ? std::min(lowest, v.e) : v.e;
        any = true;
    }
    IntegerRow out(row.size());
    for (size_t k = 0; k < row.size(); ++k)
        if (!row[k].is_zero()) out[k] = row[k].scaled_integer(-lowest);
    return out;
}

// Solves the square system held in `a` (k rows of k coefficients and the
// right-hand side last) by Bareiss' elimination: every entry after step c
// is a minor of order c + 1 of the matrix, so the division by the previous
// pivot is exact and the numbers grow only as the minors do.  On success
// z_i = (*numerators)[i] / *denominator; false when the matrix is singular.
bool solve_without_fractions(std::vector<IntegerRow>& a, std::vector<ExactInteger>* numerators,
                             ExactInteger* denominator) {
    const size_t k = a.size();
    ExactInteger previous = ExactInteger::FromUint64(1, false);
    for (size_t c = 0; c < k; ++c) {
        // The shortest nonzero pivot keeps the minors that follow short.
        size_t best = k;
        for (size_t r = c; r < k; ++r)
            if (!a[r][c].is_zero() && (best == k || a[r][c].bits() < a[best][c].bits())) best = r;
        if (best == k) return false;
        std::swap(a[c], a[best]);
        const ExactInteger& pivot = a[c][c];
        for (size_t r = c + 1; r < k; ++r) {
            const ExactInteger factor = a[r][c];
            for (size_t col = c + 1; col <= k; ++col) {
                ExactInteger v = pivot * a[r][col];
                if (!factor.is_zero() && !a[c][col].is_zero()) v = v - factor * a[c][col];
                a[r][col] = ExactInteger::DivideExactly(v, previous);
            }
            a[r][c] = ExactInteger();
        }
        previous = a[c][c];
    }
    // The last pivot is the determinant (up to its sign), and each unknown
    // times it is an integer (Cramer's rule): back substitution stays exact.
    *denominator = previous;
    numerators->assign(k, ExactInteger());
    for (size_t i = k; i-- > 0;) {
        ExactInteger s = *denominator * a[i][k];
        for (size_t j = i + 1; j < k; ++j)
            if (!a[i][j].is_zero() && !(*numerators)[j].is_zero()) s = s - a[i][j] * (*numerators)[j];
        (*numerators)[i] = ExactInteger::DivideExactly(s, a[i][i]);
    }
    return true;
}

// The sign of num / den - bound, for a finite bound.
int compare_with_bound(const ExactDyadic& num, const ExactDyadic& den, double bound) {
    const ExactDyadic diff = num - ExactDyadic::FromDouble(bound) * den;
    return diff.sign() * den.sign();
}

struct Basis {
    std::vector<Column> columns;       // by basis position
    std::vector<int32_t> claimed_by;   // by row: the basis position of the single-entry column that settles it, or -1
    std::vector<int32_t> kernel_rows;  // the rows no such column settles
    std::vector<int32_t> kernel_positions;  // the basis positions of the other columns
    std::vector<int32_t> kernel_index;      // by row: its place among kernel_rows, or -1
};

// Splits the basis into the single-entry columns, each with the row it
// settles, and the square kernel of the rest.  False when that is not
// possible (a singular basis).
int split_basis(LpContext* ctx, Basis* b, bool* ok) {
    const ComputationalForm& f = ctx->form;
    const int32_t m = ctx->model.rows;
    *ok = false;
    b->columns.resize(static_cast<size_t>(m));
    b->claimed_by.assign(static_cast<size_t>(m), -1);
    b->kernel_index.assign(static_cast<size_t>(m), -1);
    for (int32_t p = 0; p < m; ++p) {
        const int rc = fetch(ctx, f.header[p], &b->columns[p]);
        if (rc != kRunOk) return rc;
        const Column& c = b->columns[p];
        if (c.rows.empty()) return kRunOk;
        if (c.rows.size() == 1 && b->claimed_by[c.rows[0]] < 0)
            b->claimed_by[c.rows[0]] = p;
        else
            b->kernel_positions.push_back(p);
    }
    for (int32_t i = 0; i < m; ++i)
        if (b->claimed_by[i] < 0) {
            b->kernel_index[i] = static_cast<int32_t>(b->kernel_rows.size());
            b->kernel_rows.push_back(i);
        }
    *ok = b->kernel_rows.size() == b->kernel_positions.size();
    return kRunOk;
}

bool skipped_column(const LpContext* ctx, int32_t j) {
    return (ctx->form.status[j] & kStatHeld) != 0 || is_cut_column(ctx->cuts, j);
}

// The value of a nonbasic column at the basis: the bound it sits on.  The
// phases may leave it a little off that bound (within their tolerance), but
// the basis means the point with every nonbasic column on its bound; only
// a column without bounds keeps the value it has.
double nonbasic_value(const LpContext* ctx, int32_t j) {
    const ComputationalForm& f = ctx->form;
    const double inf = ctx->options.infinity;
    const bool has_lower = std::fabs(f.lower[j]) < inf, has_upper = std::fabs(f.upper[j]) < inf;
    if (has_upper && ((f.status[j] & kStatAtUpper) != 0 || !has_lower)) return f.upper[j];
    if (has_lower) return f.lower[j];
    return f.value[j];
}

// Solves B z = rhs for the basis split in `b`: z at basis position p is
// num[p] / den[p].  False when the kernel is singular.
bool solve_basis(const Basis& b, const std::vector<ExactDyadic>& rest, std::vector<ExactDyadic>* num,
                 std::vector<ExactDyadic>* den) {
    const int32_t m = static_cast<int32_t>(b.columns.size());
    const size_t k = b.kernel_rows.size();
    std::vector<DyadicRow> kernel(k, DyadicRow(k + 1));
    for (size_t kc = 0; kc < k; ++kc) {
        const Column& col = b.columns[b.kernel_positions[kc]];
        for (size_t e = 0; e < col.rows.size(); ++e) {
            const int32_t ki = b.kernel_index[col.rows[e]];
            if (ki >= 0) kernel[ki][kc] = ExactDyadic::FromDouble(col.values[e]);
        }
    }
    for (size_t ki = 0; ki < k; ++ki) kernel[ki][k] = rest[b.kernel_rows[ki]];
    std::vector<IntegerRow> a(k);
    for (size_t ki = 0; ki < k; ++ki) a[ki] = integer_row(kernel[ki]);
    std::vector<ExactInteger> z;
    ExactInteger d = ExactInteger::FromUint64(1, false);
    if (k > 0 && !solve_without_fractions(a, &z, &d)) return false;
    const ExactDyadic det{d, 0};
    num->assign(static_cast<size_t>(m), ExactDyadic{});
    den->assign(static_cast<size_t>(m), det);
    for (size_t kc = 0; kc < k; ++kc) (*num)[b.kernel_positions[kc]] = ExactDyadic{z[kc], 0};
    // A settled row: its single-entry column takes what the kernel columns
    // leave of the row's right-hand side.
    for (int32_t i = 0; i < m; ++i) {
        const int32_t p = b.claimed_by[i];
        if (p < 0) continue;
        ExactDyadic v = rest[i] * det;
        for (size_t kc = 0; kc < k; ++kc) {
            const Column& col = b.columns[b.kernel_positions[kc]];
            for (size_t e = 0; e < col.rows.size(); ++e)
                if (col.rows[e] == i) v = v - ExactDyadic::FromDouble(col.values[e]) * (*num)[b.kernel_positions[kc]];
        }
        (*num)[p] = v;
        (*den)[p] = ExactDyadic::FromDouble(b.columns[p].values[0]) * det;
    }
    return true;
}

// The basic values: num / den for every basis position.  False when the
// kernel is singular.
bool basic_values(LpContext* ctx, const Basis& b, std::vector<ExactDyadic>* num, std::vector<ExactDyadic>* den,
                  int* rc) {
    const ComputationalForm& f = ctx->form;
    const int32_t m = ctx->model.rows;
    const int32_t n = ctx->model.columns;
    // The right-hand side less the nonbasic columns at their values.
    std::vector<ExactDyadic> rest(static_cast<size_t>(m));
    for (int32_t i = 0; i < m; ++i) rest[i] = ExactDyadic::FromDouble(f.rhs[i]);
    Column c;
    for (int32_t j = 0; j < n; ++j) {
        if ((f.status[j] & kStatBasic) != 0) continue;
        const double value = nonbasic_value(ctx, j);
        if (value == 0.0) continue;
        if (!std::isfinite(value)) return false;
        if ((*rc = fetch(ctx, j, &c)) != kRunOk) return false;
        const ExactDyadic x = ExactDyadic::FromDouble(value);
        for (size_t e = 0; e < c.rows.size(); ++e)
            rest[c.rows[e]] = rest[c.rows[e]] - ExactDyadic::FromDouble(c.values[e]) * x;
    }
    return solve_basis(b, rest, num, den);
}

void judge_values(LpContext* ctx, const std::vector<ExactDyadic>& num, const std::vector<ExactDyadic>& den,
                  ExactBasisCheck* check) {
    const ComputationalForm& f = ctx->form;
    const double inf = ctx->options.infinity;
    for (int32_t p = 0; p < ctx->model.rows; ++p) {
        const int32_t j = f.header[p];
        if (skipped_column(ctx, j)) continue;
        const bool below = std::fabs(f.lower[j]) < inf && compare_with_bound(num[p], den[p], f.lower[j]) < 0;
        const bool above = std::fabs(f.upper[j]) < inf && compare_with_bound(num[p], den[p], f.upper[j]) > 0;
        if (!below && !above) continue;
        const double value = RatioToDouble(num[p], den[p]);
        double outside = below ? f.lower[j] - value : value - f.upper[j];
        // Outside by less than a double shows: outside all the same.
        if (!(outside > 0.0)) outside = std::numeric_limits<double>::denorm_min();
        if (check->primal_feasible || outside > check->outside) {
            check->column = j;
            check->outside = outside;
        }
        check->primal_feasible = false;
    }
}

// The cost of column j in phase 2: the objective's sense on its own
// logical column, nothing elsewhere.
ExactDyadic cost_of(const LpContext* ctx, int32_t j) {
    const ObjectiveRecord* objective = ctx->model.current_objective;
    if (objective == nullptr || j != objective->column) return ExactDyadic{};
    return ExactDyadic::FromDouble(objective->sense);
}

// The duals: y[i] = ynum[i] / yden.  False when they cannot be had exactly
// (a settled row whose column has a cost and an entry that is not a power
// of two), or the kernel is singular.
bool dual_values(LpContext* ctx, const Basis& b, std::vector<ExactDyadic>* ynum, ExactDyadic* yden) {
    const ComputationalForm& f = ctx->form;
    const int32_t m = ctx->model.rows;
    // A settled row's dual: its column's cost over its single entry.
    std::vector<ExactDyadic> settled(static_cast<size_t>(m));
    for (int32_t i = 0; i < m; ++i) {
        const int32_t p = b.claimed_by[i];
        if (p < 0) continue;
        const ExactDyadic c = cost_of(ctx, f.header[p]);
        if (c.is_zero()) continue;
        const ExactDyadic entry = ExactDyadic::FromDouble(b.columns[p].values[0]);
        if (entry.m.bits() != 1) return false;
        settled[i] = ExactDyadic{entry.sign() < 0 ? c.m.negated() : c.m, c.e - entry.e};
    }
    // The kernel transposed: for each kernel column, its entries in the
    // kernel rows, and its cost less what the settled rows' duals take.
    const size_t k = b.kernel_rows.size();
    std::vector<DyadicRow> kernel(k, DyadicRow(k + 1));
    for (size_t kc = 0; kc < k; ++kc) {
        const int32_t p = b.kernel_positions[kc];
        const Column& col = b.columns[p];
        ExactDyadic rhs = cost_of(ctx, f.header[p]);
        for (size_t e = 0; e < col.rows.size(); ++e) {
            const ExactDyadic v = ExactDyadic::FromDouble(col.values[e]);
            const int32_t ki = b.kernel_index[col.rows[e]];
            if (ki >= 0)
                kernel[kc][ki] = v;
            else
                rhs = rhs - v * settled[col.rows[e]];
        }
        kernel[kc][k] = rhs;
    }
    std::vector<IntegerRow> a(k);
    for (size_t kc = 0; kc < k; ++kc) a[kc] = integer_row(kernel[kc]);
    std::vector<ExactInteger> z;
    ExactInteger d = ExactInteger::FromUint64(1, false);
    if (k > 0 && !solve_without_fractions(a, &z, &d)) return false;
    *yden = ExactDyadic{d, 0};
    ynum->assign(static_cast<size_t>(m), ExactDyadic{});
    for (int32_t i = 0; i < m; ++i) {
        if (b.kernel_index[i] >= 0)
            (*ynum)[i] = ExactDyadic{z[static_cast<size_t>(b.kernel_index[i])], 0};
        else
            (*ynum)[i] = settled[i] * *yden;
    }
    return true;
}

int judge_prices(LpContext* ctx, const std::vector<ExactDyadic>& ynum, const ExactDyadic& yden,
                 ExactBasisCheck* check) {
    const ComputationalForm& f = ctx->form;
    Column c;
    for (int32_t j = 0; j < ctx->model.columns; ++j) {
        const uint8_t st = f.status[j];
        if ((st & kStatBasic) != 0 || !IsPriceable(ctx, j) || is_cut_column(ctx->cuts, j)) continue;
        const int rc = fetch(ctx, j, &c);
        if (rc != kRunOk) return rc;
        // d_j * yden = c_j * yden - sum_i a_ij * ynum_i.
        ExactDyadic d = cost_of(ctx, j) * yden;
        for (size_t e = 0; e < c.rows.size(); ++e)
            if (!ynum[c.rows[e]].is_zero()) d = d - ExactDyadic::FromDouble(c.values[e]) * ynum[c.rows[e]];
        const int sign = d.sign() * yden.sign();
        // Attractive: a positive price up from the lower bound, a negative
        // one down from the upper bound, any for a free column.
        const bool attractive = (st & kStatHeld) != 0 ? sign != 0 : (st & kStatAtUpper) != 0 ? sign < 0 : sign > 0;
        if (!attractive) continue;
        double price = std::fabs(RatioToDouble(d, yden));
        if (!(price > 0.0)) price = std::numeric_limits<double>::denorm_min();
        if (check->dual_feasible || price > check->price) {
            check->column = j;
            check->price = price;
        }
        check->dual_feasible = false;
    }
    return kRunOk;
}

}  // namespace

namespace {

// Whether the current problem is small enough, and untouched enough, to be
// decided exactly.  Returns kRunOk (with the answer in *small), or the code
// of a column that cannot be fetched.
int decidable(LpContext* ctx, bool* small) {
    *small = false;
    const ComputationalForm& f = ctx->form;
    const ProblemModel& pm = ctx->model;
    if (pm.rows <= 0 || pm.rows > kExactBasisRows || f.rhs == nullptr || f.value == nullptr || f.header == nullptr)
        return kRunOk;
    // Preprocessing moves bounds and coefficients by deductions made in
    // floating point: the form is then no longer the user's problem to the
    // last bit, and an exact verdict on it would be a verdict on rounding.
    if (ctx->options.preprocess != 0) return kRunOk;
    int64_t entries = 0;
    for (int32_t j = 0; j < pm.columns && entries <= kExactBasisEntries; ++j) {
        const double* values = nullptr;
        const int32_t* rows = nullptr;
        int32_t count = 0;
        const int rc = FetchCachedColumn(ctx, j, &values, &rows, &count);
        if (rc != kRunOk) return rc;
        entries += count;
    }
    if (entries > kExactBasisEntries) return kRunOk;
    for (int32_t i = 0; i < pm.rows; ++i)
        if (!std::isfinite(f.rhs[i])) return kRunOk;
    *small = true;
    return kRunOk;
}

}  // namespace

int CheckBasisExactly(LpContext* ctx, bool duals, ExactBasisCheck* check) {
    *check = ExactBasisCheck{};
    const ComputationalForm& f = ctx->form;
    const ProblemModel& pm = ctx->model;
    bool small = false;
    int rc = decidable(ctx, &small);
    if (rc != kRunOk || !small) return rc;
    Basis b;
    bool ok = false;
    rc = split_basis(ctx, &b, &ok);
    if (rc != kRunOk || !ok) return rc;
    std::vector<ExactDyadic> num, den;
    if (!basic_values(ctx, b, &num, &den, &rc)) return rc;
    judge_values(ctx, num, den, check);
    if (!check->primal_feasible) {
        // The solve goes on from these values: the nearest doubles of the
        // exact ones show the violation that the rounded ones may hide.
        for (int32_t p = 0; p < pm.rows; ++p) ctx->form.value[f.header[p]] = RatioToDouble(num[p], den[p]);
        for (int32_t j = 0; j < pm.columns; ++j)
            if ((f.status[j] & kStatBasic) == 0) ctx->form.value[j] = nonbasic_value(ctx, j);
    }
    if (duals && check->primal_feasible) {
        std::vector<ExactDyadic> ynum;
        ExactDyadic yden;
        if (!dual_values(ctx, b, &ynum, &yden)) return kRunOk;
        rc = judge_prices(ctx, ynum, yden, check);
        if (rc != kRunOk) return rc;
    }
    check->decided = true;
    return kRunOk;
}

int CheckRayExactly(LpContext* ctx, int32_t q, double direction, ExactRayCheck* check) {
    *check = ExactRayCheck{};
    const ComputationalForm& f = ctx->form;
    const int32_t m = ctx->model.rows;
    if (q < 0 || q >= ctx->model.columns) return kRunOk;
    bool small = false;
    int rc = decidable(ctx, &small);
    if (rc != kRunOk || !small) return rc;
    Basis b;
    bool ok = false;
    if ((rc = split_basis(ctx, &b, &ok)) != kRunOk || !ok) return rc;
    // The ray moves column q by `direction` and the basic columns by
    // -direction * B^-1 a_q.
    Column c;
    if ((rc = fetch(ctx, q, &c)) != kRunOk) return rc;
    std::vector<ExactDyadic> column(static_cast<size_t>(m));
    for (size_t e = 0; e < c.rows.size(); ++e) column[c.rows[e]] = ExactDyadic::FromDouble(c.values[e]);
    std::vector<ExactDyadic> num, den;
    if (!solve_basis(b, column, &num, &den)) return kRunOk;
    const double inf = ctx->options.infinity;
    check->decided = true;
    check->holds = true;
    for (int32_t p = 0; p < m; ++p) {
        const int32_t j = f.header[p];
        if (skipped_column(ctx, j) || num[p].is_zero()) continue;
        // The basic column moves up when -direction * z > 0.
        const bool up = (num[p].sign() * den[p].sign() > 0) == (direction < 0.0);
        const bool blocked = up ? std::fabs(f.upper[j]) < inf : std::fabs(f.lower[j]) < inf;
        if (!blocked) continue;
        double rate = std::fabs(RatioToDouble(num[p], den[p]));
        if (!(rate > 0.0)) rate = std::numeric_limits<double>::denorm_min();
        if (check->holds || rate > check->rate) {
            check->column = j;
            check->rate = rate;
        }
        check->holds = false;
    }
    return kRunOk;
}

}  // namespace tymlp
