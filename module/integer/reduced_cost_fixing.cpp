// reduced_cost_fixing.cpp -- fixing integer columns by reduced cost.
#include "integer/reduced_cost_fixing.h"

#include "base/context_memory.h"
#include "simplex/node_lp.h"

namespace tymlp {
namespace {

// Bits of FixingState::recorded.
constexpr uint8_t kRecorded = 0x01;
constexpr uint8_t kAtUpper = 0x02;  // the column sat at its upper bound in the continuous optimum

}  // namespace

int prepare_fixing(LpContext* ctx) {
    FixingState& fx = ctx->bb.fixing;
    const ComputationalForm& f = ctx->form;
    const int32_t n = ctx->model.columns;
    const int32_t m = ctx->model.rows;
    release_fixing(ctx);
    if (ctx->options.postprocess == 0 || ctx->model.integer_count == 0) return 0;
    fx.saved_value = ctx_alloc_array<double>(ctx, n);
    fx.saved_cost = ctx_alloc_array<double>(ctx, n);
    fx.nonbasic = ctx_alloc_array<int32_t>(ctx, n);
    fx.fixed_column = ctx_alloc_array<int32_t>(ctx, n);
    fx.fixed_value = ctx_alloc_array<double>(ctx, n);
    fx.recorded = ctx_alloc_array<uint8_t>(ctx, n);
    if (fx.saved_value == nullptr || fx.saved_cost == nullptr || fx.nonbasic == nullptr || fx.fixed_column == nullptr ||
        fx.fixed_value == nullptr || fx.recorded == nullptr) {
        release_fixing(ctx);
        return kRunMemory;
    }
    const int rc = NodeReducedCosts(ctx, fx.saved_cost);
    if (rc != 0) {
        release_fixing(ctx);
        return rc;
    }
    for (int32_t j = 0; j < n; ++j) fx.saved_value[j] = f.value[j];
    // Only integer columns: a continuous column may move by less than a unit.
    for (int32_t h = m; h < n; ++h) {
        const int32_t j = f.header[h];
        if ((f.status[j] & kStatInteger) == 0 || !(f.lower[j] < f.upper[j])) continue;
        fx.nonbasic[fx.nonbasic_count++] = j;
        if ((f.status[j] & kStatAtUpper) != 0) fx.recorded[j] = kAtUpper;
    }
    const ObjectiveRecord* obj = ctx->model.current_objective;
    fx.continuous_z = obj != nullptr && obj->column >= 0 ? obj->sense * f.value[obj->column] : 0.0;
    fx.prepared = 1;
    return 0;
}

void record_fixings(LpContext* ctx) {
    FixingState& fx = ctx->bb.fixing;
    if (fx.prepared == 0 || ctx->bb.incumbent == nullptr) return;
    const double gap = fx.continuous_z - ctx->bb.incumbent->bound;
    for (int32_t k = 0; k < fx.nonbasic_count; ++k) {
        const int32_t j = fx.nonbasic[k];
        if ((fx.recorded[j] & kRecorded) != 0) continue;
        const double d = fx.saved_cost[j];
        const bool at_upper = (fx.recorded[j] & kAtUpper) != 0;
        if (at_upper ? gap - d > 0.0 : gap + d > 0.0) continue;
        fx.recorded[j] |= kRecorded;
        fx.fixed_column[fx.fixed_count] = j;
        fx.fixed_value[fx.fixed_count] = fx.saved_value[j];
        ++fx.fixed_count;
    }
}

bool apply_fixings(LpContext* ctx) {
    const FixingState& fx = ctx->bb.fixing;
    ComputationalForm& f = ctx->form;
    bool moved = false;
    for (int32_t k = 0; k < fx.fixed_count; ++k) {
        const int32_t j = fx.fixed_column[k];
        const double v = fx.fixed_value[k];
        f.lower[j] = f.upper[j] = v;
        if ((f.status[j] & kStatBasic) == 0 && f.value[j] != v) moved = true;
    }
    return moved;
}

void release_fixing(LpContext* ctx) {
    FixingState& fx = ctx->bb.fixing;
    ctx_free_array(ctx, fx.saved_value);
    ctx_free_array(ctx, fx.saved_cost);
    ctx_free_array(ctx, fx.nonbasic);
    ctx_free_array(ctx, fx.fixed_column);
    ctx_free_array(ctx, fx.fixed_value);
    ctx_free_array(ctx, fx.recorded);
    fx = FixingState{};
}

}  // namespace tymlp
