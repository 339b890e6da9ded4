// knapsack_cover_cuts.cpp -- lifted-free cover cuts of knapsack rows.
//
// A user row whose columns are all binary (after complementing those with a
// negative coefficient) reads  sum a_j x_j <= b  with every a_j > 0.  A
// cover C is a set of its columns with sum_{C} a_j > b: they cannot all be 1,
// so  sum_{C} x_j <= |C| - 1  holds for every integer point.  The cover is
// chosen greedily by the LP point: columns with the largest x_j first
// (those the cut most wants to hold down), until the cover exceeds b.
#include <algorithm>
#include <cmath>
#include <vector>

#include "cuts/cut_families.h"
#include "input/model_records.h"

namespace tymlp {
namespace {

constexpr double kCoverExcess = 1e-9;  // relative amount by which a cover must exceed b

struct KnapsackTerm {
    int32_t column;
    double weight;    // |a_j| in the user's units
    bool complement;  // a_j < 0: the term is 1 - x_j
    double value;     // the LP value of the term
};

bool binary_column(const LpContext* ctx, int32_t j) {
    const ComputationalForm& f = ctx->form;
    return (f.status[j] & kStatInteger) != 0 && f.column_scale[j] == 1.0 && f.lower[j] == 0.0 && f.upper[j] == 1.0;
}

// The row's terms as a knapsack over binary columns, or false.  Rows are
// read from the coefficient chains, in the user's units.
bool knapsack_row(LpContext* ctx, int32_t i, const RowRecord& row, std::vector<KnapsackTerm>* terms, double* b) {
    const ComputationalForm& f = ctx->form;
    const bool le = (row.flags & kRowLessEqual) != 0;
    const bool ge = (row.flags & kRowGreaterEqual) != 0;
    if ((!le && !ge) || (row.flags & kRowRange) != 0) return false;
    const double sign = le ? 1.0 : -1.0;  // a GE row is read negated as LE
    double rhs = sign * f.rhs[i] * f.row_scale[i];
    terms->clear();
    int32_t k = row.first_entry;
    for (int32_t seen = 0; k != kNoEntry && seen < row.entry_count; ++seen) {
        CoefEntry e{};
        if (read_coefficient(ctx, k, &e) != 0) return false;
        k = e.next_in_row;
        if (e.value == 0.0) continue;
        if (e.column >= ctx->model.structural_count) continue;  // the row's logical (or artificial) column
        if (!binary_column(ctx, e.column)) return false;
        const double a = sign * e.value;
        const double x = f.value[e.column];
        if (a > 0.0) {
            terms->push_back({e.column, a, false, x});
        } else {
            terms->push_back({e.column, -a, true, 1.0 - x});
            rhs -= a;  // a x = a + |a| (1 - x): |a| on the complement, -a to the right
        }
    }
    *b = rhs;
    return terms->size() >= 2 && rhs > 0.0;
}

int separate_knapsack_covers(LpContext* ctx, CutPool& pool) {
    const int32_t user_rows = user_row_count(ctx->cuts, ctx->model.rows);
    const ComputationalForm& f = ctx->form;
    std::vector<KnapsackTerm> terms;
    for (int32_t i = 1; i < user_rows; ++i) {
        RowRecord row{};
        if (read_row(ctx, i, &row, nullptr) != 0) return kRunIo;
        if (row.entry_count < 2) continue;
        double b = 0.0;
        if (!knapsack_row(ctx, i, row, &terms, &b)) continue;
        std::sort(terms.begin(), terms.end(), [](const KnapsackTerm& p, const KnapsackTerm& q) {
            return p.value != q.value ? p.value > q.value : p.weight > q.weight;
        });
        double weight = 0.0;
        size_t size = 0;
        while (size < terms.size() && weight <= b * (1.0 + kCoverExcess) + kCoverExcess) weight += terms[size++].weight;
        if (weight <= b * (1.0 + kCoverExcess) + kCoverExcess) continue;  // the whole row is no cover
        // sum_{C} term_j <= |C| - 1, terms 1 - x_j moved to the right.
        CutCandidate cut;
        cut.family = kCutKnapsackCover;
        double rhs = static_cast<double>(size) - 1.0;
        for (size_t k = 0; k < size; ++k) {
            cut.columns.push_back(terms[k].column);
            cut.values.push_back(terms[k].complement ? -1.0 : 1.0);
            if (terms[k].complement) rhs -= 1.0;
        }
        cut.rhs = rhs;
        offer_cut(pool, std::move(cut), f.value);
    }
    return 0;
}

}  // namespace

const CutSeparator kKnapsackCoverSeparator = {"knapsack cover", kCutKnapsackCover, separate_knapsack_covers};

}  // namespace tymlp
