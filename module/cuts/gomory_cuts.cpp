// gomory_cuts.cpp -- Gomory mixed-integer cuts from rows of the optimal
// tableau.
//
// A basic integer column x_i with a fractional value gives the tableau row
//   x_i + sum_j a_j t_j = b,   f0 = frac(b) > 0,
// over the nonbasic columns shifted to their bounds (t_j = x_j - l_j at the
// lower bound, u_j - x_j at the upper bound, so t_j >= 0 and t_j = 0 at the
// LP point).  Every point with x_i integer satisfies
//   sum_{t_j integer}  min(f_j / f0, (1 - f_j) / (1 - f0)) t_j
// + sum_{t_j continuous} max(a_j / f0, -a_j / (1 - f0)) t_j  >=  1,
// f_j = frac(a_j), which the LP point (all t_j = 0) violates by 1.
//
// The row comes from the factors, so it carries rounding error: rows whose
// coefficients spread too widely are skipped, tiny coefficients are
// dropped only where the column's range lets the right-hand side absorb
// them, and the right-hand side is relaxed by a margin.
#include <algorithm>
#include <cmath>
#include <vector>

#include "cuts/cut_families.h"
#include "cuts/cut_terms.h"
#include "factor/factor_entries.h"
#include "simplex/work_store.h"

namespace tymlp {
namespace {

constexpr double kLeastFraction = 0.005;      // f0 closer than this to an integer: no cut
constexpr double kNegligibleEntry = 1e-12;    // tableau entries at the level of rounding noise
constexpr double kNoiseRange = 100.0;         // ranges over which such an entry cannot matter
constexpr double kAtBound = 1e-7;             // a nonbasic value this close (relatively) to its bound is on it
constexpr double kGreatestDynamism = 1e6;     // largest / smallest coefficient of a cut kept
constexpr double kSafetyMargin = 1e-12;       // relative relaxation of the right-hand side
constexpr int32_t kRowsPerRound = 200;        // tableau rows examined in one round

double fraction_of(double v) { return v - std::floor(v); }

bool whole(double v) { return std::fabs(v - std::round(v)) <= 1e-9; }

// One nonbasic column of the row, shifted to its bound.
struct ShiftedTerm {
    int32_t column;
    double entry;  // coefficient of t_j in the row
    double bound;  // the bound t_j is measured from
    double range;  // u_j - l_j (may be infinite)
    int32_t sign;  // +1: t = x - l, -1: t = u - x
    bool integral;
};

// The tableau row at basis position k as shifted terms; false when a
// nonbasic column that the row needs sits off its bounds or is free.
bool shifted_row(LpContext* ctx, int32_t k, double* work, std::vector<ShiftedTerm>* terms) {
    const ComputationalForm& f = ctx->form;
    const int32_t m = ctx->model.rows;
    const int32_t n = ctx->model.columns;
    const double inf = ctx->options.infinity;
    std::fill(work, work + m, 0.0);
    work[k] = 1.0;
    ctx->entries.factor->btran(ctx->inverse, work);
    terms->clear();
    for (int32_t j = 0; j < n; ++j) {
        const uint8_t status = f.status[j];
        if ((status & kStatBasic) != 0) continue;
        if ((status & kStatArtificial) != 0 || f.lower[j] == f.upper[j]) continue;  // fixed: t_j is 0
        const double* values = nullptr;
        const int32_t* rows = nullptr;
        int32_t count = 0;
        if (FetchColumn(ctx, j, &values, &rows, &count) != 0) return false;
        double entry = 0.0;
        for (int32_t e = 0; e < count; ++e) entry += values[e] * work[rows[e]];
        // An entry at the level of rounding noise is zero, where the column
        // cannot move far enough for it to matter; elsewhere it is kept and
        // its tiny coefficient is dealt with by gomory_cut.
        if (std::fabs(entry) <= kNegligibleEntry &&
            ((status & kStatHeld) != 0 || f.upper[j] - f.lower[j] <= kNoiseRange))
            continue;
        if ((status & kStatHeld) != 0) return false;
        const bool at_upper = (status & kStatAtUpper) != 0;
        const double bound = at_upper ? f.upper[j] : f.lower[j];
        if (!(std::fabs(bound) < inf)) return false;
        if (std::fabs(f.value[j] - bound) > kAtBound * (1.0 + std::fabs(bound))) return false;
        const bool integral = (status & kStatInteger) != 0 && f.column_scale[j] == 1.0 && whole(bound);
        const double range = f.upper[j] < inf && f.lower[j] > -inf ? f.upper[j] - f.lower[j] : inf;
        terms->push_back({j, at_upper ? -entry : entry, bound, range, at_upper ? -1 : 1, integral});
    }
    return true;
}

// The cut of one shifted row, in the pool's form  sum pi_j x_j <= rhs.
bool gomory_cut(const std::vector<ShiftedTerm>& terms, double f0, double inf, CutCandidate* cut) {
    std::vector<double> g(terms.size(), 0.0);
    double largest = 0.0;
    for (size_t k = 0; k < terms.size(); ++k) {
        const ShiftedTerm& t = terms[k];
        if (t.integral) {
            const double fj = fraction_of(t.entry);
            g[k] = fj <= f0 ? fj / f0 : (1.0 - fj) / (1.0 - f0);
        } else {
            g[k] = t.entry >= 0.0 ? t.entry / f0 : -t.entry / (1.0 - f0);
        }
        largest = std::max(largest, g[k]);
    }
    if (!(largest > 0.0) || !std::isfinite(largest)) return false;
    // sum g_j t_j >= 1.  A coefficient far below the largest is dropped
    // when t_j is bounded: g_j t_j <= g_j range_j moves to the right-hand side.
    double right = 1.0;
    double smallest = largest;
    cut->columns.clear();
    cut->values.clear();
    double pi0 = 0.0;
    for (size_t k = 0; k < terms.size(); ++k) {
        if (g[k] == 0.0) continue;
        const ShiftedTerm& t = terms[k];
        if (g[k] < largest / kGreatestDynamism) {
            if (!(t.range < inf)) return false;
            right -= g[k] * t.range;
            continue;
        }
        smallest = std::min(smallest, g[k]);
        // t = x - l: g x >= ... + g l;  t = u - x: -g x >= ... - g u.
        const double pi = t.sign * g[k];
        cut->columns.push_back(t.column);
        cut->values.push_back(pi);
        pi0 += pi * t.bound;
    }
    if (right <= 0.0 || cut->columns.empty()) return false;
    if (largest / smallest > kGreatestDynamism) return false;
    pi0 += right;
    // -pi x <= -pi0, scaled so that the largest coefficient is 1.
    const double scale = 1.0 / largest;
    for (double& v : cut->values) v = -v * scale;
    cut->rhs = -pi0 * scale;
    cut->family = kCutGomory;
    return std::isfinite(cut->rhs);
}

int separate_gomory(LpContext* ctx, CutPool& pool) {
    const ComputationalForm& f = ctx->form;
    const int32_t m = ctx->model.rows;
    // The most fractional basic integer columns first.
    std::vector<std::pair<double, int32_t>> candidates;
    for (int32_t k = 0; k < m; ++k) {
        const int32_t j = f.header[k];
        if (j < 0 || (f.status[j] & kStatInteger) == 0 || f.column_scale[j] != 1.0) continue;
        const double f0 = fraction_of(f.value[j]);
        if (f0 < kLeastFraction || f0 > 1.0 - kLeastFraction) continue;
        candidates.emplace_back(-std::min(f0, 1.0 - f0), k);
    }
    std::sort(candidates.begin(), candidates.end());
    if (candidates.size() > static_cast<size_t>(kRowsPerRound)) candidates.resize(kRowsPerRound);
    ActiveCutRows active;
    if (ctx->cuts.used_rows > 0) {
        const int rc = read_active_cut_rows(ctx, &active);
        if (rc != 0) return rc;
    }
    std::vector<double> work(static_cast<size_t>(m));
    std::vector<ShiftedTerm> terms;
    const int32_t max_terms = std::max<int32_t>(50, ctx->model.columns / 4);
    for (const auto& [unused, k] : candidates) {
        if (!shifted_row(ctx, k, work.data(), &terms)) continue;
        const double f0 = fraction_of(f.value[f.header[k]]);
        CutCandidate cut;
        if (!gomory_cut(terms, f0, ctx->options.infinity, &cut)) continue;
        // Terms on earlier cuts' logical columns are replaced by those
        // cuts' rows: the new cut stands on the user's columns alone.
        if (!substitute_cut_logicals(ctx, active, &cut) || !tidy_cut(ctx, kGreatestDynamism, &cut)) continue;
        if (static_cast<int32_t>(cut.columns.size()) > max_terms) continue;
        cut.rhs += kSafetyMargin * std::max(1.0, std::fabs(cut.rhs));
        offer_cut(pool, std::move(cut), f.value);
    }
    return 0;
}

}  // namespace

const CutSeparator kGomorySeparator = {"Gomory mixed-integer", kCutGomory, separate_gomory};

}  // namespace tymlp
