// cut_release.cpp -- the cuts taken out of the LP when the search is over,
// so that the reports, PRIMALOUT and its basis describe the user's problem.
//
// A cut whose logical column is basic is inert once that column is held
// again.  A binding cut's logical column is nonbasic; it is brought into the
// basis in place of a basic column that sits on one of its bounds, which
// leaves the point where it is (or an integer column at a whole number,
// its bounds fixed there).  Without an incumbent the reports show the
// root, which goes back to the continuous optimum before the first cut.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "cuts/cut_rows_lp.h"
#include "cuts/root_cuts.h"
#include "factor/factor_entries.h"
#include "integer/bb_internal.h"
#include "simplex/invert.h"
#include "simplex/phases.h"
#include "simplex/primal_values.h"
#include "simplex/work_store.h"

namespace tymlp {
namespace {

constexpr double kLeastPivot = 1e-7;  // relative to the largest entry of the FTRAN'd column
constexpr double kOnBound = 1e-9;     // relative distance of a value from a bound it sits on
constexpr double kPointMoved = 1e-9;  // relative change of a value that moves the point
constexpr int kExchangesTried = 8;    // leaving columns tried for one logical column

// An integer column of the incumbent at a whole number may leave the basis
// with both bounds fixed there: the point stays, and the bounds PRIMALOUT
// shows for it are those of the integer solution.
bool at_whole_number(const LpContext* ctx, int32_t j) {
    const ComputationalForm& f = ctx->form;
    if ((f.status[j] & kStatInteger) == 0 || f.column_scale[j] != 1.0 || ctx->bb.incumbent == nullptr) return false;
    const double x = f.value[j];
    return std::fabs(x - std::nearbyint(x)) <= kOnBound * (1.0 + std::fabs(x));
}

// Whether basic column j sits on a bound; *upper says which.
bool on_bound(const LpContext* ctx, int32_t j, bool* upper) {
    const ComputationalForm& f = ctx->form;
    const double inf = ctx->options.infinity;
    const double x = f.value[j];
    if ((f.status[j] & (kStatHeld | kStatArtificial)) != 0 || is_cut_column(ctx->cuts, j)) return false;
    if (std::fabs(f.upper[j]) < inf && std::fabs(x - f.upper[j]) <= kOnBound * (1.0 + std::fabs(f.upper[j]))) {
        *upper = true;
        return true;
    }
    if (std::fabs(f.lower[j]) < inf && std::fabs(x - f.lower[j]) <= kOnBound * (1.0 + std::fabs(f.lower[j]))) {
        *upper = false;
        return true;
    }
    return false;
}

// Whether every column of the user's problem kept its value.
bool point_kept(const LpContext* ctx, const std::vector<double>& values) {
    const ComputationalForm& f = ctx->form;
    for (int32_t j = 0; j < ctx->model.columns; ++j) {
        if (is_cut_column(ctx->cuts, j) || (f.status[j] & kStatHeld) != 0) continue;
        if (std::fabs(f.value[j] - values[j]) > kPointMoved * (1.0 + std::fabs(values[j]))) return false;
    }
    return true;
}

// Brings nonbasic logical column s into the basis in place of a basic
// column on a bound (integer columns first).  True when it did.
bool bring_into_basis(LpContext* ctx, int32_t s, std::vector<double>& work) {
    ComputationalForm& f = ctx->form;
    const int32_t m = ctx->model.rows;
    std::fill(work.begin(), work.end(), 0.0);
    const double* values = nullptr;
    const int32_t* rows = nullptr;
    int32_t count = 0;
    if (FetchColumn(ctx, s, &values, &rows, &count) != 0) return false;
    for (int32_t e = 0; e < count; ++e) work[rows[e]] = values[e];
    ctx->entries.factor->ftran(ctx->inverse, work.data());
    double largest = 0.0;
    for (int32_t p = 0; p < m; ++p) largest = std::max(largest, std::fabs(work[p]));
    struct Candidate {
        double score;
        int32_t position;
        bool upper;
        bool fixed;  // the column leaves with its bounds fixed at its value
    };
    std::vector<Candidate> candidates;
    for (int32_t p = 0; p < m; ++p) {
        const double pivot = std::fabs(work[p]);
        if (!(pivot > kLeastPivot * largest)) continue;
        const int32_t j = f.header[p];
        bool upper = false;
        double score = pivot / largest;
        const bool bound = on_bound(ctx, j, &upper);
        if (bound)
            score += (f.status[j] & kStatInteger) != 0 ? 2.0 : 1.0;
        else if (!at_whole_number(ctx, j))
            continue;
        candidates.push_back({score, p, upper, !bound});
    }
    std::sort(candidates.begin(), candidates.end(),
              [](const Candidate& a, const Candidate& b) { return a.score > b.score; });
    if (candidates.size() > static_cast<size_t>(kExchangesTried)) candidates.resize(kExchangesTried);
    const std::vector<uint8_t> before(f.status, f.status + ctx->model.columns);
    const std::vector<double> point(f.value, f.value + ctx->model.columns);
    for (const Candidate& c : candidates) {
        const int32_t j = f.header[c.position];
        const double lower_before = f.lower[j];
        const double upper_before = f.upper[j];
        if (c.fixed) f.lower[j] = f.upper[j] = std::nearbyint(f.value[j]);
        f.status[j] = static_cast<uint8_t>((f.status[j] & ~(kStatBasic | kStatAtUpper)) | (c.upper ? kStatAtUpper : 0));
        f.status[s] = static_cast<uint8_t>((f.status[s] | kStatBasic) & ~kStatAtUpper);
        // The exchange leaves the point where it was; a basis that cannot
        // say so to the last digits (a poorly conditioned one) is not taken.
        if (refresh_after_cuts(ctx) == 0 && point_kept(ctx, point)) return true;
        std::memcpy(f.status, before.data(), before.size());
        f.lower[j] = lower_before;
        f.upper[j] = upper_before;
        refresh_after_cuts(ctx);
    }
    return false;
}

// When a binding cut's logical column found no column to replace that keeps
// the point (the incumbent's values sit a rounding error off their bounds,
// or every exchange is poorly conditioned): the incumbent is solved again
// in the user's problem.  The root's basis from before the cuts was optimal
// there, and fixing the integer columns at the incumbent's whole values
// changes bounds only, so it stays dual feasible and the dual phase ends at
// the incumbent's optimal continuous part.  Returns 0 or the code of the
// factorisation.
int resolve_incumbent_without_cuts(LpContext* ctx) {
    CutState& cuts = ctx->cuts;
    ComputationalForm& f = ctx->form;
    for (int32_t j = 0; j < ctx->model.structural_count; ++j)
        if ((f.status[j] & kStatInteger) != 0 && f.column_scale[j] == 1.0)
            f.lower[j] = f.upper[j] = std::nearbyint(f.value[j]);
    std::memcpy(f.status, cuts.root_status, static_cast<size_t>(ctx->model.columns));
    for (int32_t k = 0; k < cuts.used_rows; ++k)
        if (cuts.row_state[k] == kCutRowActive) {
            retire_cut(ctx, cuts.first_row + k);
            --cuts.retired;  // not slack: the search is over
        }
    int rc = refresh_after_cuts(ctx);
    if (rc != 0) return rc;
    const double cutoff = ctx->bb.cutoff;
    ctx->bb.cutoff = -ctx->options.infinity;
    EnterPhase(ctx, kPhase3, false);
    RunPhase(ctx, DualPhase);
    ctx->solver.run_status = kRunOk;
    ctx->bb.cutoff = cutoff;
    return 0;
}

}  // namespace

int release_cuts_after_search(LpContext* ctx) {
    CutState& cuts = ctx->cuts;
    if (cuts.row_state == nullptr || cuts.used_rows == 0) return 0;
    ComputationalForm& f = ctx->form;
    const bool at_root = ctx->bb.incumbent == nullptr;
    if (at_root && cuts.root_status != nullptr) {
        // The root's bounds are in force (restore_best_node), and this basis
        // was optimal for them before any cut.
        std::memcpy(f.status, cuts.root_status, static_cast<size_t>(ctx->model.columns));
    } else {
        std::vector<double> work(static_cast<size_t>(ctx->model.rows));
        bool released = true;
        for (int32_t k = 0; k < cuts.used_rows; ++k) {
            const int32_t s = cuts.first_column + k;
            if (cuts.row_state[k] != kCutRowActive || (f.status[s] & kStatBasic) != 0) continue;
            if (!bring_into_basis(ctx, s, work)) released = false;
        }
        if (!released && cuts.root_status != nullptr) return resolve_incumbent_without_cuts(ctx);
    }
    for (int32_t k = 0; k < cuts.used_rows; ++k) {
        const int32_t s = cuts.first_column + k;
        if (cuts.row_state[k] == kCutRowActive && (f.status[s] & kStatBasic) != 0) {
            retire_cut(ctx, cuts.first_row + k);
            --cuts.retired;  // not slack: the search is over
        }
    }
    return refresh_after_cuts(ctx);
}

}  // namespace tymlp
