// pricing_price.cpp -- the reduced cost of one column, and the rules that
// look at every nonbasic column: Dantzig's rule, full pricing with Devex
// reference weights, and the lowest-index rule.
#include <cmath>
#include <cstring>

#include "factor/factor_entries.h"
#include "simplex/basis_header.h"
#include "simplex/pricing.h"
#include "simplex/work_store.h"

namespace tymlp {
namespace {

// A Devex reset is due when the weight of the column that left last shrank
// to less than this share of its new value in one update.
constexpr double kDevexResetRatio = 0.5;

double minus_infinity(const LpContext* ctx) { return -ctx->options.infinity; }

// The objective record whose column takes a cost in the price: the true
// objective set aside during phase 1 (weighted by PHASEMIX), else the
// current one.
const ObjectiveRecord* costed_objective(const LpContext* ctx, bool* phase1) {
    *phase1 = ctx->solver.phase == kPhase1;
    return *phase1 ? ctx->model.saved_objective : ctx->model.current_objective;
}

// Phase-1 gradient of the sum of infeasibilities for column j.
double infeasibility_cost(const LpContext* ctx, int32_t j) {
    const ComputationalForm& f = ctx->form;
    const double delta = ctx->solver.delta;
    if (f.value[j] > f.upper[j] + delta) return -1.0;
    if (f.value[j] < f.lower[j] - delta) return 1.0;
    return 0.0;
}

// The signed reduced cost turned into an attractiveness: a column at its
// upper bound gains by decreasing, a free one by moving either way.
double orient(const LpContext* ctx, int32_t j, double d) {
    const uint8_t st = ctx->form.status[j];
    if ((st & kStatAtUpper) != 0) return -d;
    if ((st & kStatHeld) != 0) return std::fabs(d);
    return d;
}

double dot(const double* y, const double* values, const int32_t* rows, int32_t count) {
    double s = 0.0;
    for (int32_t k = 0; k < count; ++k) s += y[rows[k]] * values[k];
    return s;
}

void choose(LpContext* ctx, int32_t h, double price) {
    ctx->phases.pricing.price = price;
    ctx->solver.entering_pos = h;
    ctx->solver.entering = ctx->form.header[h];
}

void start_pass(LpContext* ctx) {
    PricingState& p = ctx->phases.pricing;
    p.price = minus_infinity(ctx);
    p.major_passes += 1;
    p.source = kSourceRule;
}

void reset_devex_weights(LpContext* ctx) {
    PricingState& p = ctx->phases.pricing;
    const ComputationalForm& f = ctx->form;
    const int32_t n = ctx->model.columns;
    for (int32_t j = 0; j < n; ++j) p.weight[j] = (f.status[j] & kStatBasic) != 0 ? 1.0 : -1.0;
}

}  // namespace

int ColumnPrice(LpContext* ctx, int32_t j, const ObjectiveRecord* objective, bool phase1_costs, double* price) {
    if (!IsPriceable(ctx, j)) {
        *price = minus_infinity(ctx);
        return 0;
    }
    const double phasemix = ctx->options.phasemix;
    double c = 0.0;
    if (objective != nullptr && j == objective->column) {
        if (ctx->solver.phase != kPhase1)
            c = objective->sense;
        else if (phasemix != 0.0)
            c = phasemix * objective->sense;
    }
    if (phase1_costs) c += infeasibility_cost(ctx, j);
    const double* values = nullptr;
    const int32_t* rows = nullptr;
    int32_t count = 0;
    const int rc = FetchCachedColumn(ctx, j, &values, &rows, &count);
    if (rc != 0) return rc;
    *price = orient(ctx, j, c - dot(ctx->form.duals, values, rows, count));
    return 0;
}

int PriceColumn(LpContext* ctx, int32_t h) {
    const int32_t j = ctx->form.header[h];
    const bool phase1 = ctx->solver.phase == kPhase1 && ctx->options.phasemix < 1.0;
    double d = 0.0;
    const int rc = ColumnPrice(ctx, j, ctx->model.current_objective, phase1, &d);
    if (rc != 0) return rc;
    choose(ctx, h, d);
    return 0;
}

int FullPricing(LpContext* ctx) {
    start_pass(ctx);
    const int32_t m = ctx->model.rows;
    const int32_t n = ctx->model.columns;
    bool phase1 = false;
    const ObjectiveRecord* obj = costed_objective(ctx, &phase1);
    double best = minus_infinity(ctx);
    for (int32_t h = m; h < n; ++h) {
        const int32_t j = ctx->form.header[h];
        if (!IsPriceable(ctx, j)) continue;
        double d = 0.0;
        const int rc = ColumnPrice(ctx, j, obj, phase1, &d);
        if (rc != 0) return rc;
        if (d > best) {
            best = d;
            choose(ctx, h, d);
        }
    }
    return 0;
}

// Full pricing with Devex: the weights of the priced columns are brought up
// to date with the row of B^-1 that StorePivotRow kept for the last exchange
// (a = |rho'a_j| is the column's entry in the last pivot row), and each
// reduced cost is divided by its weight.
int DevexFullPricing(LpContext* ctx) {
    PricingState& p = ctx->phases.pricing;
    if (p.weight == nullptr) return FullPricing(ctx);
    start_pass(ctx);
    const int32_t m = ctx->model.rows;
    const int32_t n = ctx->model.columns;
    bool phase1 = false;
    const ObjectiveRecord* obj = costed_objective(ctx, &phase1);
    const bool update = p.row_valid != 0 && p.last_entered >= 0;
    const double g = update ? std::fabs(p.weight[p.last_entered]) : 0.0;
    const double h_weight = std::sqrt(g * g + 1.0);
    const double* rho = p.devex_rows;
    bool reset_due = false;
    double best = minus_infinity(ctx);
    const double phasemix = ctx->options.phasemix;
    for (int32_t h = m; h < n; ++h) {
        const int32_t j = ctx->form.header[h];
        if (!IsPriceable(ctx, j)) continue;
        const double* values = nullptr;
        const int32_t* rows = nullptr;
        int32_t count = 0;
        const int rc = FetchCachedColumn(ctx, j, &values, &rows, &count);
        if (rc != 0) return rc;
        double c = 0.0;
        if (obj != nullptr && j == obj->column) c = phase1 ? phasemix * obj->sense : obj->sense;
        if (phase1) c += infeasibility_cost(ctx, j);
        const double d = orient(ctx, j, c - dot(ctx->form.duals, values, rows, count));
        double& w = p.weight[j];
        if (update) {
            const double a = std::fabs(dot(rho, values, rows, count));
            const double old = w;
            if (w <= 0.0)
                w = std::fmin(w, -h_weight * a);
            else
                w = std::fmax(w, a * g);
            if (j == p.last_left && w != 0.0 && old / w < kDevexResetRatio) reset_due = true;
        }
        const double weighted = w != 0.0 ? d / std::fabs(w) : d;
        if (weighted > best) {
            best = weighted;
            choose(ctx, h, weighted);
        }
    }
    p.row_valid = 0;  // the row has been used; the next pass waits for a new exchange
    if (reset_due) reset_devex_weights(ctx);
    return 0;
}

int LowestIndexPricing(LpContext* ctx) {
    start_pass(ctx);
    const int32_t n = ctx->model.columns;
    bool phase1 = false;
    const ObjectiveRecord* obj = costed_objective(ctx, &phase1);
    const double epsilon = ctx->options.epsilon;
    for (int32_t j = 0; j < n; ++j) {
        if ((ctx->form.status[j] & kStatBasic) != 0 || !IsPriceable(ctx, j)) continue;
        double d = 0.0;
        const int rc = ColumnPrice(ctx, j, obj, phase1, &d);
        if (rc != 0) return rc;
        if (d > epsilon) {
            const int32_t h = HeaderPosition(ctx, j);
            if (h >= 0) choose(ctx, h, d);
            return 0;
        }
    }
    return 0;
}

void BasisInverseRow(LpContext* ctx, int32_t r, double* out, bool keep_spike) {
    InverseStore& s = ctx->inverse;
    const int32_t m = ctx->model.rows;
    std::memset(out, 0, static_cast<size_t>(m) * sizeof(double));
    out[r] = 1.0;
    if (!keep_spike) {
        ctx->entries.factor->btran(s, out);
        return;
    }
    // The spike still holds L^-1 a_q of the entering column, which the factor
    // update needs: the BTRAN works in the dual vector instead.
    double* spike = s.spike;
    const int32_t spike_count = s.spikeCount;
    s.spike = ctx->form.duals;
    ctx->entries.factor->btran(s, out);
    s.spike = spike;
    s.spikeCount = spike_count;
}

int32_t BasisInverseRowListed(LpContext* ctx, int32_t r, double* out, int32_t* rows, int32_t previous) {
    InverseStore& s = ctx->inverse;
    if (previous < 0) {
        std::memset(out, 0, static_cast<size_t>(ctx->model.rows) * sizeof(double));
    } else {
        for (int32_t k = 0; k < previous; ++k) out[rows[k]] = 0.0;
    }
    out[r] = 1.0;
    double* spike = s.spike;
    const int32_t spike_count = s.spikeCount;
    s.spike = ctx->form.duals;
    const int32_t listed = ctx->entries.factor->btran_sparse(s, out, &r, 1, rows);
    s.spike = spike;
    s.spikeCount = spike_count;
    return listed;
}

void StorePivotRow(LpContext* ctx) {
    PricingState& p = ctx->phases.pricing;
    p.last_entered = ctx->solver.entering;
    p.last_left = ctx->solver.leaving;
    if (ctx->options.devex == 0 || p.devex_positions == nullptr) return;
    const int32_t r = ctx->solver.leaving_pos;
    p.devex_positions[p.ring] = r;
    if (ctx->options.pricetype != 0) {
        const int32_t k = ctx->options.price > 0 ? ctx->options.price : 1;
        p.ring = (p.ring + 1) % (k < p.devex_k ? k : p.devex_k);
        return;
    }
    BasisInverseRow(ctx, r, p.devex_rows, true);
    p.row_valid = 1;
}

}  // namespace tymlp
