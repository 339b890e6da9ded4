// strengthened_row_cuts.cpp -- rows with binary columns whose coefficients
// are tightened (coefficient strengthening), offered as cuts.
//
// Read a less-or-equal row as  a_j x_j + rest <= b,  x_j binary, with U the
// largest activity the bounds allow.  When even rest at its largest cannot
// reach b with x_j = 0 (U - a_j < b for a_j > 0), the row is slack there by
// d = b - (U - a_j), and
//   (a_j - d) x_j + rest <= b - d
// holds for every point with x_j in {0, 1}: at x_j = 1 it is the row
// itself, at x_j = 0 it asks rest <= U - a_j, which always holds.  For
// a_j < 0 the slack at x_j = 1 is d = b - (U + a_j), and the coefficient
// becomes a_j + d with b unchanged.  The tightened row cuts off fractional
// points the original allows (a knapsack with one large weight, a big-M
// row), while every integer point stays: it is the coefficient reduction
// of preprocessing, but as a row of the node LP, so the user's rows are
// never changed and the cut release leaves the reports in the user's
// problem.  A greater-or-equal row is read negated; equality and range rows
// are left alone.
#include <algorithm>
#include <cmath>
#include <vector>

#include "cuts/cut_families.h"
#include "cuts/cut_terms.h"
#include "input/model_records.h"

namespace tymlp {
namespace {

constexpr double kGreatestDynamism = 1e6;  // largest / smallest coefficient of a cut kept
// The slack d is taken a little smaller than computed: any 0 <= d' <= d
// gives a valid row, so rounding in U can only weaken the cut, never make
// it cut off an integer point.
constexpr double kSlackMargin = 1e-9;
// A reduction smaller than this share of the coefficient is not worth a row.
constexpr double kLeastReduction = 1e-6;

struct RowTerm {
    int32_t column;
    double coefficient;  // in the user's units, of the row read as <=
    double lower;        // the column's bounds in the user's units
    double upper;
    bool binary;
};

bool is_binary(const LpContext* ctx, int32_t j) {
    const ComputationalForm& f = ctx->form;
    return (f.status[j] & kStatInteger) != 0 && f.column_scale[j] == 1.0 && f.lower[j] == 0.0 && f.upper[j] == 1.0;
}

// The row read as  sum terms <= *b  in the user's units, with at least one
// binary column; false for rows of other kinds or with an unknown entry.
bool less_equal_row(LpContext* ctx, int32_t i, const RowRecord& row, std::vector<RowTerm>* terms, double* b) {
    const ComputationalForm& f = ctx->form;
    const double inf = ctx->options.infinity;
    const bool le = (row.flags & kRowLessEqual) != 0;
    const bool ge = (row.flags & kRowGreaterEqual) != 0;
    if ((!le && !ge) || (row.flags & kRowRange) != 0) return false;
    const double sign = le ? 1.0 : -1.0;
    *b = sign * f.rhs[i] * f.row_scale[i];
    terms->clear();
    bool any_binary = false;
    int32_t k = row.first_entry;
    for (int32_t seen = 0; k != kNoEntry && seen < row.entry_count; ++seen) {
        CoefEntry e{};
        if (read_coefficient(ctx, k, &e) != 0) return false;
        k = e.next_in_row;
        if (e.value == 0.0 || e.column >= ctx->model.structural_count) continue;
        const int32_t j = e.column;
        const double s = f.column_scale[j];
        const double lower = std::fabs(f.lower[j]) < inf ? f.lower[j] / s : -inf;
        const double upper = std::fabs(f.upper[j]) < inf ? f.upper[j] / s : inf;
        const bool binary = is_binary(ctx, j);
        any_binary |= binary;
        terms->push_back({j, sign * e.value, lower, upper, binary});
    }
    return any_binary && std::isfinite(*b);
}

// The largest activity of the terms, or +infinity when a bound is missing.
double largest_activity(const LpContext* ctx, const std::vector<RowTerm>& terms) {
    const double inf = ctx->options.infinity;
    double sum = 0.0;
    for (const RowTerm& t : terms) {
        const double bound = t.coefficient > 0.0 ? t.upper : t.lower;
        if (!(std::fabs(bound) < inf)) return inf;
        sum += t.coefficient * bound;
    }
    return sum;
}

}  // namespace

bool strengthen_row(double largest, std::vector<double>* coefficients, const std::vector<uint8_t>& binary,
                    double* rhs) {
    double u = largest;
    double b = *rhs;
    bool changed = false;
    for (size_t k = 0; k < coefficients->size(); ++k) {
        if (binary[k] == 0) continue;
        double& a = (*coefficients)[k];
        const double magnitude = std::fabs(a);
        // The row's largest activity with x_j at the value that keeps it
        // furthest from b (0 for a > 0, 1 for a < 0).
        const double other = u - magnitude;
        const double raw = b - other;
        if (!(raw > 0.0) || !(raw < magnitude)) continue;  // not slack there, or the row is redundant
        const double d = raw - kSlackMargin * (1.0 + std::fabs(b) + std::fabs(u));
        if (!(d > kLeastReduction * magnitude)) continue;
        if (a > 0.0) {
            a -= d;
            b -= d;
            u -= d;
        } else {
            a += d;  // u counts x_j at 0 for a < 0: it does not move
        }
        changed = true;
    }
    *rhs = b;
    return changed;
}

namespace {

int separate_strengthened_rows(LpContext* ctx, CutPool& pool) {
    const int32_t user_rows = user_row_count(ctx->cuts, ctx->model.rows);
    const ComputationalForm& f = ctx->form;
    std::vector<RowTerm> terms;
    std::vector<double> coefficients;
    std::vector<uint8_t> binary;
    for (int32_t i = 1; i < user_rows; ++i) {
        RowRecord row{};
        if (read_row(ctx, i, &row, nullptr) != 0) return kRunIo;
        if (row.entry_count < 2) continue;
        double b = 0.0;
        if (!less_equal_row(ctx, i, row, &terms, &b)) continue;
        const double u = largest_activity(ctx, terms);
        if (!(u < ctx->options.infinity) || !(u > b)) continue;  // unbounded, or never binding
        coefficients.clear();
        binary.clear();
        for (const RowTerm& t : terms) {
            coefficients.push_back(t.coefficient);
            binary.push_back(t.binary ? 1 : 0);
        }
        if (!strengthen_row(u, &coefficients, binary, &b)) continue;
        CutCandidate cut;
        cut.family = kCutStrengthenedRow;
        for (size_t k = 0; k < terms.size(); ++k) {
            // x in the user's units is the scaled value over the column's factor.
            cut.columns.push_back(terms[k].column);
            cut.values.push_back(coefficients[k] / f.column_scale[terms[k].column]);
        }
        cut.rhs = b;
        if (!tidy_cut(ctx, kGreatestDynamism, &cut)) continue;
        offer_cut(pool, std::move(cut), f.value);
    }
    return 0;
}

}  // namespace

const CutSeparator kStrengthenedRowSeparator = {"strengthened row", kCutStrengthenedRow, separate_strengthened_rows};

}  // namespace tymlp
