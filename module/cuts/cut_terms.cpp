// cut_terms.cpp -- cut terms in the user's columns, tidied.
#include "cuts/cut_terms.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "simplex/work_store.h"

namespace tymlp {

int read_active_cut_rows(LpContext* ctx, ActiveCutRows* rows) {
    const CutState& cuts = ctx->cuts;
    const size_t used = static_cast<size_t>(cuts.used_rows);
    rows->terms.assign(used, {});
    rows->logical.assign(used, 0.0);
    rows->rhs.assign(used, 0.0);
    for (size_t k = 0; k < used; ++k) rows->rhs[k] = ctx->form.rhs[cuts.first_row + static_cast<int32_t>(k)];
    const int32_t last = cuts.first_row + cuts.used_rows;
    for (int32_t j = 0; j < ctx->model.columns; ++j) {
        const double* values = nullptr;
        const int32_t* rows_of = nullptr;
        int32_t count = 0;
        const int rc = FetchColumn(ctx, j, &values, &rows_of, &count);
        if (rc != 0) return rc;
        for (int32_t e = 0; e < count; ++e) {
            const int32_t r = rows_of[e];
            if (r < cuts.first_row || r >= last) continue;
            const size_t k = static_cast<size_t>(r - cuts.first_row);
            if (is_cut_column(cuts, j))
                rows->logical[k] = values[e];
            else
                rows->terms[k].emplace_back(j, values[e]);
        }
    }
    return 0;
}

bool substitute_cut_logicals(const LpContext* ctx, const ActiveCutRows& rows, CutCandidate* cut) {
    const CutState& cuts = ctx->cuts;
    CutCandidate out;
    out.family = cut->family;
    out.rhs = cut->rhs;
    for (size_t q = 0; q < cut->columns.size(); ++q) {
        const int32_t j = cut->columns[q];
        const double c = cut->values[q];
        if (!is_cut_column(cuts, j)) {
            out.columns.push_back(j);
            out.values.push_back(c);
            continue;
        }
        const size_t k = static_cast<size_t>(j - cuts.first_column);
        if (k >= rows.logical.size() || cuts.row_state[k] != kCutRowActive || rows.logical[k] == 0.0) return false;
        const double ratio = c / rows.logical[k];
        for (const auto& [column, value] : rows.terms[k]) {
            out.columns.push_back(column);
            out.values.push_back(-ratio * value);
        }
        out.rhs -= ratio * rows.rhs[k];
    }
    *cut = std::move(out);
    return std::isfinite(cut->rhs);
}

bool tidy_cut(const LpContext* ctx, double dynamism, CutCandidate* cut) {
    const ComputationalForm& f = ctx->form;
    const double inf = ctx->options.infinity;
    std::unordered_map<int32_t, size_t> at;
    std::vector<int32_t> columns;
    std::vector<double> values;
    for (size_t q = 0; q < cut->columns.size(); ++q) {
        const auto [it, fresh] = at.emplace(cut->columns[q], columns.size());
        if (fresh) {
            columns.push_back(cut->columns[q]);
            values.push_back(cut->values[q]);
        } else {
            values[it->second] += cut->values[q];
        }
    }
    double largest = 0.0;
    for (double v : values) largest = std::max(largest, std::fabs(v));
    if (!(largest > 0.0) || !std::isfinite(largest)) return false;
    double rhs = cut->rhs;
    cut->columns.clear();
    cut->values.clear();
    double smallest = largest;
    for (size_t q = 0; q < columns.size(); ++q) {
        const int32_t j = columns[q];
        const double a = values[q];
        if (a == 0.0) continue;
        if (std::fabs(a) < largest / dynamism) {
            // a x >= a l (a > 0) or a u (a < 0): the rest is at most rhs less that.
            const double bound = a > 0.0 ? f.lower[j] : f.upper[j];
            if (!(std::fabs(bound) < inf)) return false;
            rhs -= a * bound;
            continue;
        }
        smallest = std::min(smallest, std::fabs(a));
        cut->columns.push_back(j);
        cut->values.push_back(a);
    }
    if (cut->columns.empty() || largest / smallest > dynamism) return false;
    const double scale = 1.0 / largest;
    for (double& v : cut->values) v *= scale;
    cut->rhs = rhs * scale;
    return std::isfinite(cut->rhs);
}

}  // namespace tymlp
