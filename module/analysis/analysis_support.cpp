// analysis_support.cpp -- entry checks, missing values, reduced-cost rates
// and the interval arithmetic shared by the post-optimal analyses.
#include "analysis/analysis_support.h"

#include <cmath>

#include "base/host_link.h"
#include "output/output_connection.h"
#include "output/table_output.h"
#include "simplex/pricing_vector.h"
#include "simplex/primal_values.h"
#include "simplex/solution_results.h"
#include "simplex/work_store.h"

namespace tymlp {
namespace {

constexpr int kPrintAnalyses = 1;

bool at_upper(const LpContext* ctx, int32_t j) { return (ctx->form.status[j] & kStatAtUpper) != 0; }

bool free_column(const LpContext* ctx, int32_t j) {
    const double inf = ctx->options.infinity;
    return ctx->form.lower[j] <= -inf && ctx->form.upper[j] >= inf;
}

bool finite_bound(const LpContext* ctx, double bound) { return std::fabs(bound) < ctx->options.infinity; }

// A candidate for the upper end at t, limiting column v at position p;
// ties go to the earlier position.
void offer_upper(PhiInterval& iv, double t, int32_t v, int32_t p) {
    if (t < iv.upper || (t == iv.upper && iv.upper_column >= 0 && p < iv.upper_position)) {
        iv.upper = t;
        iv.upper_column = v;
        iv.upper_position = p;
    }
}

void offer_lower(PhiInterval& iv, double t, int32_t v, int32_t p) {
    if (t > iv.lower || (t == iv.lower && iv.lower_column >= 0 && p < iv.lower_position)) {
        iv.lower = t;
        iv.lower_column = v;
        iv.lower_position = p;
    }
}

// The basic values within their bounds.  A parametric walk that keeps its
// last basis (NOPARARESTORE) may leave one that is feasible only at its
// breakpoint, not for the problem as it stands.
bool basis_feasible(const LpContext* ctx) {
    const ComputationalForm& f = ctx->form;
    const double tolerance = ctx->options.epsilon;
    for (int32_t k = 0; k < ctx->model.rows; ++k) {
        const int32_t j = f.header[k];
        if ((f.status[j] & kStatHeld) != 0) continue;
        if (f.value[j] < f.lower[j] - tolerance || f.value[j] > f.upper[j] + tolerance) return false;
    }
    return true;
}

// No nonbasic column attractive at the current duals, within the tolerance
// the solve ended with; the same walk may leave a basis that is optimal only
// for the prices at its last breakpoint.  *rc receives 9 or 25 when a column
// cannot be fetched.
bool basis_optimal(LpContext* ctx, int* rc) {
    const ComputationalForm& f = ctx->form;
    const ReportBasis b = report_basis(ctx);
    const double scaling = ctx->solver.objective_scaling > 0.0 ? ctx->solver.objective_scaling : 1.0;
    const double tolerance = ctx->options.epsilon * scaling;
    for (int32_t h = ctx->model.rows; h < ctx->model.columns; ++h) {
        const int32_t v = f.header[h];
        if (excluded_from_entering(ctx, v)) continue;
        double d = 0.0;
        *rc = price_against(ctx, v, f.duals, v == b.objective_column ? b.sense : 0.0, &d);
        if (*rc != 0) return false;
        const double gain = free_column(ctx, v) ? std::fabs(d) : at_upper(ctx, v) ? -d : d;
        if (gain > tolerance) return false;
    }
    return true;
}

}  // namespace

bool settle_kept_basis(LpContext* ctx, int* rc) {
    *rc = RecomputePrimal(ctx);
    if (*rc != 0) return false;
    PricingVector(ctx);
    SolverState& sv = ctx->solver;
    const bool feasible = basis_feasible(ctx);
    const bool optimal = basis_optimal(ctx, rc);
    if (*rc != 0) return false;
    sv.primal_feasible = feasible ? 1 : 0;
    sv.optimal = optimal ? 1 : 0;
    return feasible && optimal;
}

bool analysis_may_run(LpContext* ctx, bool requested, int integer_message) {
    if (!requested || ctx->options.printlevel < kPrintAnalyses) return false;
    if (ctx->options.preprocess > 0) host_message(kMsgPreprocessed);
    const SolverState& sv = ctx->solver;
    // An integer problem without branch and bound ends with its relaxation,
    // which is an optimal basis of the continuous problem all the same.
    const bool status_ok = sv.run_status == kRunOk || sv.run_status == kRunRelaxed;
    if (!status_ok || sv.primal_feasible == 0 || sv.optimal == 0 || !tableau_available(ctx) || sv.phase == kPhase1 ||
        !report_basis(ctx).valid || !basis_feasible(ctx)) {
        host_message(kMsgNotOptimal);
        return false;
    }
    PricingVector(ctx);
    int rc = 0;
    if (!basis_optimal(ctx, &rc)) {
        if (rc == 0) host_message(kMsgNotOptimal);
        return false;
    }
    if (integer_problem(ctx)) host_message(integer_message);
    return true;
}

double missing_plus_infinity() { return host_missing('I'); }
double missing_minus_infinity() { return host_missing('M'); }
double missing_value() { return host_missing('.'); }

bool excluded_from_entering(const LpContext* ctx, int32_t j) {
    const ComputationalForm& f = ctx->form;
    return (f.status[j] & kStatArtificial) != 0 || f.lower[j] == f.upper[j];
}

double reduced_cost_rate_factor(const LpContext* ctx, const ReportBasis& b) {
    return b.sense * row_scale(ctx, b.objective_row) * b.column_scale;
}

int price_against(LpContext* ctx, int32_t v, const double* y, double start, double* out) {
    const double* values = nullptr;
    const int32_t* rows = nullptr;
    int32_t count = 0;
    const int rc = FetchCachedColumn(ctx, v, &values, &rows, &count);
    if (rc != 0) return rc;
    double d = start;
    for (int32_t k = 0; k < count; ++k) d -= y[rows[k]] * values[k];
    *out = d;
    return 0;
}

int nonbasic_reduced_costs(LpContext* ctx, const ReportBasis& b, double* d) {
    const ComputationalForm& f = ctx->form;
    for (int32_t j = 0; j < ctx->model.columns; ++j) {
        d[j] = 0.0;
        if ((f.status[j] & kStatBasic) != 0) continue;
        const int rc = price_against(ctx, j, f.duals, j == b.objective_column ? b.sense : 0.0, &d[j]);
        if (rc != 0) return rc;
    }
    return 0;
}

PhiInterval unbounded_interval(const LpContext* ctx) {
    const double inf = ctx->options.infinity;
    return {-inf, inf, -1, -1, -1, -1};
}

void narrow_by_reduced_cost_at(const LpContext* ctx, PhiInterval& iv, int32_t v, int32_t h, double d, double rate,
                               double at) {
    if (std::fabs(rate) <= ctx->options.epsilon) return;
    const double t = -d / rate;
    // d + phi * rate must keep its sign on the side of `at`; a root on the
    // wrong side of `at` is a reduced cost within the tolerance: the end is at.
    const bool free = free_column(ctx, v);
    const bool upper = at_upper(ctx, v);
    const bool limits_above = free || (rate > 0.0) != upper;
    const bool limits_below = free || (rate > 0.0) == upper;
    if (limits_above) offer_upper(iv, t < at ? at : t, v, h);
    if (limits_below) offer_lower(iv, t > at ? at : t, v, h);
}

void narrow_by_reduced_cost(const LpContext* ctx, PhiInterval& iv, int32_t v, int32_t h, double d, double rate) {
    narrow_by_reduced_cost_at(ctx, iv, v, h, d, rate, 0.0);
}

void narrow_by_basic_value(const LpContext* ctx, PhiInterval& iv, int32_t k, double rate, double smallest, double at) {
    const ComputationalForm& f = ctx->form;
    const int32_t v = f.header[k];
    if ((f.status[v] & kStatHeld) != 0 || std::fabs(rate) < smallest) return;
    const double x = f.value[v];
    if (finite_bound(ctx, f.lower[v])) {
        const double t = (f.lower[v] - x) / rate;
        if (rate < 0.0)
            offer_upper(iv, t < at ? at : t, v, k);
        else
            offer_lower(iv, t > at ? at : t, v, k);
    }
    if (finite_bound(ctx, f.upper[v])) {
        const double t = (f.upper[v] - x) / rate;
        if (rate > 0.0)
            offer_upper(iv, t < at ? at : t, v, k);
        else
            offer_lower(iv, t > at ? at : t, v, k);
    }
}

double current_objective(const LpContext* ctx, const ReportBasis& b) { return column_value(ctx, b.objective_column); }

void close_output_group(LpContext* ctx, TymObject* group) {
    if (*group == nullptr) return;
    TymObject target = *group;
    *group = nullptr;
    table_request(ctx, target, TYM_REQ_CLOSE_TABLE, 0, nullptr);
}

void add_by_group_key(LpContext* ctx, TymObject data, const char* name, const char* value, int length) {
    const TymAttr attrs[] = {attr_text(TYM_TAG_NAME, name), attr_text(TYM_TAG_ENTRY_TEXT, value, length)};
    table_request(ctx, data, TYM_REQ_BY_GROUP, 2, attrs);
}

int trimmed_name_length(const char* name, int length) {
    while (length > 0 && (name[length - 1] == ' ' || name[length - 1] == '\0')) --length;
    return length;
}

}  // namespace tymlp
