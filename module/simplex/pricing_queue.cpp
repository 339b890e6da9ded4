// pricing_queue.cpp -- the rule table and the partial rules: a queue of the
// most attractive columns of the last full (major) pass is priced again in
// cheap minor passes until it runs dry; the dynamic rule also bounds and
// rotates the major pass and adapts the queue length to how often major
// passes are needed.
#include <cmath>
#include <cstring>

#include "base/context_memory.h"
#include "base/host_link.h"
#include "simplex/pricing.h"
#include "simplex/work_store.h"

namespace tymlp {

int DevexFullPricing(LpContext* ctx);  // pricing_price.cpp

namespace {

constexpr int kMsgDevexOff = 204;
constexpr int32_t kDynamicMaxQueue = 1000;

int QueueRule(LpContext* ctx);

void free_devex(LpContext* ctx) {
    PricingState& p = ctx->phases.pricing;
    ctx_free_array(ctx, p.weight);
    ctx_free_array(ctx, p.devex_rows);
    ctx_free_array(ctx, p.devex_positions);
    p.devex_k = 0;
    p.row_valid = 0;
}

void clear_queue(LpContext* ctx) {
    PricingState& p = ctx->phases.pricing;
    for (int32_t s = 0; s < p.queue_capacity; ++s) {
        p.queue_value[s] = -ctx->options.infinity;
        p.queue_position[s] = -1;
    }
}

// Sizes the queue to PRICE slots.  Returns false when no queue exists.
bool size_queue(LpContext* ctx) {
    PricingState& p = ctx->phases.pricing;
    LpOptions& o = ctx->options;
    if (p.queue_capacity < o.price) {
        free_devex(ctx);
        double* values = ctx_alloc_array<double>(ctx, o.price);
        int32_t* positions = ctx_alloc_array<int32_t>(ctx, o.price);
        if (values != nullptr && positions != nullptr) {
            ctx_free_array(ctx, p.queue_value);
            ctx_free_array(ctx, p.queue_position);
            p.queue_value = values;
            p.queue_position = positions;
            p.queue_capacity = o.price;
        } else {
            ctx_free(ctx, values);
            ctx_free(ctx, positions);
            o.price = static_cast<int16_t>(p.queue_capacity);
        }
    }
    if (p.queue_capacity == 0) return false;
    clear_queue(ctx);
    return true;
}

void set_up_devex(LpContext* ctx) {
    PricingState& p = ctx->phases.pricing;
    LpOptions& o = ctx->options;
    const int32_t m = ctx->model.rows;
    const int32_t n = ctx->model.columns;
    const int32_t k = o.price > 0 ? o.price : 1;
    if (p.devex_k != 0 && p.devex_k != k) free_devex(ctx);
    if (p.weight == nullptr) p.weight = ctx_alloc_array<double>(ctx, n);
    if (p.devex_rows == nullptr) p.devex_rows = ctx_alloc_array<double>(ctx, static_cast<int64_t>(k) * m);
    if (p.devex_positions == nullptr) p.devex_positions = ctx_alloc_array<int32_t>(ctx, k);
    if (p.weight == nullptr || p.devex_rows == nullptr || p.devex_positions == nullptr) {
        free_devex(ctx);
        host_message(kMsgDevexOff);
        o.devex = 0;
        return;
    }
    p.devex_k = k;
    std::memset(p.devex_rows, 0, static_cast<size_t>(k) * static_cast<size_t>(m) * sizeof(double));
    for (int32_t s = 0; s < k; ++s) p.devex_positions[s] = -1;
    p.ring = 0;
    p.row_valid = 0;
    const uint8_t* status = ctx->form.status;
    for (int32_t j = 0; j < n; ++j) p.weight[j] = (status[j] & kStatBasic) != 0 ? 1.0 : -1.0;
}

// The Devex weight of column j for a major pass of the queue rules:
// sqrt(sum_i S_i a_ij^2 + 1), S the summed squares of the recorded rows.
double queue_weight(const double* squares, const double* values, const int32_t* rows, int32_t count) {
    double s = 0.0;
    for (int32_t k = 0; k < count; ++k) s += squares[rows[k]] * values[k] * values[k];
    return std::sqrt(s + 1.0);
}

// S_i = sum over the recorded positions p_k of (row p_k of B^-1)_i^2, left in
// row 0 of the Devex row store.  Returns false when nothing was recorded.
bool reference_squares(LpContext* ctx) {
    PricingState& p = ctx->phases.pricing;
    const int32_t m = ctx->model.rows;
    // A position recorded twice (it left twice within the ring) has one row
    // of B^-1: the squares already formed for it are copied instead of
    // being solved for again.
    auto done_before = [&](int32_t k) {
        const int32_t pos = p.devex_positions[k];
        const int32_t last = k == 0 ? p.devex_k : k;  // rows are formed 1, 2, ..., then 0
        for (int32_t l = 1; l < last; ++l)
            if (p.devex_positions[l] == pos) return l;
        return -1;
    };
    auto square_row = [&](int32_t k) {
        const int32_t pos = p.devex_positions[k];
        if (pos < 0 || pos >= m) return false;
        double* row = p.devex_rows + static_cast<int64_t>(k) * m;
        const int32_t same = done_before(k);
        if (same >= 0) {
            std::memcpy(row, p.devex_rows + static_cast<int64_t>(same) * m, static_cast<size_t>(m) * sizeof(double));
            return true;
        }
        BasisInverseRow(ctx, pos, row, false);
        for (int32_t i = 0; i < m; ++i) row[i] *= row[i];
        return true;
    };
    bool any = false;
    for (int32_t k = 1; k < p.devex_k; ++k) any = square_row(k) || any;
    double* sum = p.devex_rows;
    if (!square_row(0))
        std::memset(sum, 0, static_cast<size_t>(m) * sizeof(double));
    else
        any = true;
    for (int32_t k = 1; k < p.devex_k; ++k) {
        const int32_t pos = p.devex_positions[k];
        if (pos < 0 || pos >= m) continue;
        const double* row = p.devex_rows + static_cast<int64_t>(k) * m;
        for (int32_t i = 0; i < m; ++i) sum[i] += row[i];
    }
    return any;
}

// The first slot holding the smallest value: the one a better column
// replaces.
int32_t smallest_slot(const PricingState& p, int32_t slots) {
    int32_t smallest = 0;
    for (int32_t s = 1; s < slots; ++s)
        if (p.queue_value[s] < p.queue_value[smallest]) smallest = s;
    return smallest;
}

// Puts (value, h) into the queue when it beats the smallest slot, which
// `smallest` names on entry and on exit.  A value above some slot is above
// the smallest one, and the first slot of smallest value is the first of
// the smallest among those it beats, so keeping the smallest slot at hand
// spares scanning the queue for every column priced.
void offer(PricingState& p, int32_t slots, double value, int32_t h, int32_t& smallest) {
    if (slots <= 0 || !(value > p.queue_value[smallest])) return;
    p.queue_value[smallest] = value;
    p.queue_position[smallest] = h;
    smallest = smallest_slot(p, slots);
}

// A Devex weight is at least 1, so dividing by it never raises a price
// above itself nor lowers one below it towards 0 past 0: when the smallest
// slot is not negative, a price that does not beat it unweighted cannot beat
// it weighted either, and its weight need not be formed.  The dynamic rule
// also counts weighted prices above QEPSILON, which a price at or below
// QEPSILON cannot be.
bool cannot_enter(const PricingState& p, int32_t smallest, double d, bool dynamic, double qepsilon) {
    const double floor = p.queue_value[smallest];
    return floor >= 0.0 && d <= floor && (!dynamic || (qepsilon >= 0.0 && d <= qepsilon));
}

// Prices the column at header position h for a queue rule.
int price_at(LpContext* ctx, int32_t h, bool phase1, const ObjectiveRecord* obj, double* d) {
    return ColumnPrice(ctx, ctx->form.header[h], obj, phase1, d);
}

int minor_pass(LpContext* ctx, bool phase1, const ObjectiveRecord* obj) {
    PricingState& p = ctx->phases.pricing;
    const int32_t m = ctx->model.rows;
    const int32_t n = ctx->model.columns;
    const bool devex = ctx->options.devex != 0 && p.weight != nullptr;
    p.source = kSourceRule;
    p.price = -ctx->options.infinity;
    for (int32_t s = 0; s < ctx->options.price && s < p.queue_capacity; ++s) {
        const int32_t h = p.queue_position[s];
        if (h < m || h >= n) continue;
        double d = 0.0;
        const int rc = price_at(ctx, h, phase1, obj, &d);
        if (rc != 0) return rc;
        if (devex) {
            const double w = std::fabs(p.weight[ctx->form.header[h]]);
            if (w != 0.0) d /= w;
        }
        if (d > p.price) {
            p.price = d;
            ctx->solver.entering_pos = h;
            ctx->solver.entering = ctx->form.header[h];
        }
    }
    return 0;
}

// Dynamic rule: grows the queue when major passes come too often.
void resize_dynamic(LpContext* ctx) {
    PricingState& p = ctx->phases.pricing;
    LpOptions& o = ctx->options;
    const int32_t iterations = ctx->solver.counter != nullptr ? *ctx->solver.counter : 0;
    if (iterations <= 0) return;
    const double r = static_cast<double>(p.major_passes) / iterations;
    int32_t s = o.price;
    if (r > o.quratio)
        s = o.price + 1;
    else if (r < o.qlratio)
        s = o.price - 1;
    if (s < 1) s = 1;
    if (s > kDynamicMaxQueue) s = kDynamicMaxQueue;
    if (s > p.queue_capacity) {
        o.price = static_cast<int16_t>(s);
        SetUpPricing(ctx);
    }
}

int major_pass(LpContext* ctx, bool phase1, const ObjectiveRecord* obj) {
    PricingState& p = ctx->phases.pricing;
    const LpOptions& o = ctx->options;
    const bool dynamic = o.pricetype == kPriceDynamic;
    p.minor_passes = 0;
    p.major_passes += 1;
    if (dynamic) resize_dynamic(ctx);
    p.source = kSourceMajor;
    clear_queue(ctx);
    const int32_t slots = o.price < p.queue_capacity ? o.price : p.queue_capacity;
    const bool devex = o.devex != 0 && p.devex_rows != nullptr && reference_squares(ctx);
    const int32_t m = ctx->model.rows;
    const int32_t n = ctx->model.columns;
    int32_t h = m;
    int32_t start = m;
    int32_t visits = n - m;
    int32_t enough = n;  // attractive columns after which a dynamic scan stops
    if (dynamic) {
        start = p.rotate_start < m || p.rotate_start >= n ? m : p.rotate_start;
        h = start;
        enough = static_cast<int32_t>(std::trunc(o.price * o.qchecksize));
        if (enough < 1) enough = 1;
    }
    int32_t met = 0;
    int32_t visited = 0;
    int32_t smallest = 0;
    for (; visited < visits; ++visited) {
        if (h >= n) h = m;
        const int32_t j = ctx->form.header[h];
        if (IsPriceable(ctx, j)) {
            double d = 0.0;
            int rc = price_at(ctx, h, phase1, obj, &d);
            if (rc != 0) return rc;
            if (devex && cannot_enter(p, smallest, d, dynamic, o.qepsilon)) {
                ++h;
                continue;
            }
            if (devex) {
                const double* values = nullptr;
                const int32_t* rows = nullptr;
                int32_t count = 0;
                rc = FetchCachedColumn(ctx, j, &values, &rows, &count);
                if (rc != 0) return rc;
                d /= queue_weight(p.devex_rows, values, rows, count);
            }
            offer(p, slots, d, h, smallest);
            if (dynamic && d > o.qepsilon && ++met >= enough) {
                ++h;
                ++visited;
                break;
            }
        }
        ++h;
    }
    if (dynamic) {
        const int32_t stop = h >= n ? m : h;
        if (o.performance == 2)
            host_note("%3zMajor-priceno=%i quectr=%i checkno=%i first=%i", static_cast<int>(o.price),
                      static_cast<int>(met), static_cast<int>(std::abs(stop - start)), static_cast<int>(start));
        p.rotate_start = stop;
    }
    p.price = -o.infinity;
    for (int32_t s = 0; s < slots; ++s) {
        if (p.queue_position[s] < 0 || p.queue_value[s] <= p.price) continue;
        p.price = p.queue_value[s];
        ctx->solver.entering_pos = p.queue_position[s];
        ctx->solver.entering = ctx->form.header[p.queue_position[s]];
    }
    return 0;
}

int QueueRule(LpContext* ctx) {
    PricingState& p = ctx->phases.pricing;
    const LpOptions& o = ctx->options;
    const bool phase1 = ctx->solver.phase == kPhase1;
    const ObjectiveRecord* obj = phase1 ? ctx->model.saved_objective : ctx->model.current_objective;
    p.minor_passes += 1;
    bool minor = true;
    if (o.pricetype == kPriceDynamic) minor = p.minor_passes < static_cast<int32_t>(std::trunc(o.price * o.refreshq));
    if (minor) {
        const int rc = minor_pass(ctx, phase1, obj);
        if (rc != 0) return rc;
        if (p.price > o.epsilon) return 0;
    }
    return major_pass(ctx, phase1, obj);
}

}  // namespace

void SetUpPricing(LpContext* ctx) {
    LpOptions& o = ctx->options;
    PricingState& p = ctx->phases.pricing;
    const int16_t type = o.pricetype;
    bool queue = type == kPriceQueueFollow || type == kPricePartial || type == kPriceDynamic;
    if (queue && !size_queue(ctx)) queue = false;
    const bool sparse_owned = p.stored_active != 0 && ctx->solver.phase >= kPhase2;
    if (o.devex != 0 && !sparse_owned) set_up_devex(ctx);
    if (queue)
        ctx->entries.pricing = QueueRule;
    else if (type == kPriceLowestIndex)
        ctx->entries.pricing = LowestIndexPricing;
    else if (o.devex != 0)
        ctx->entries.pricing = DevexFullPricing;
    else
        ctx->entries.pricing = FullPricing;
    p.last_entered = -1;
    p.last_left = -1;
}

int RunPricing(LpContext* ctx) {
    if (ctx->entries.pricing == nullptr) SetUpPricing(ctx);
    return ctx->entries.pricing(ctx);
}

}  // namespace tymlp
