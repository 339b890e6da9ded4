// heuristic_rows.cpp -- row activities and shortfalls of a rounded point.
#include "heuristics/heuristic_rows.h"

#include <cmath>

#include "base/context_memory.h"
#include "integer/penalty_rows.h"
#include "simplex/work_store.h"

namespace tymlp {
namespace {

// A row holds when its logical column misses its bounds by no more than
// this, relative to the right-hand side: the point is checked again, more
// strictly, by the incumbent path once its LP is solved.
constexpr double kRowTolerance = 1e-9;

bool allocate(LpContext* ctx) {
    HeuristicState& h = ctx->heuristics;
    const int32_t m = ctx->model.rows;
    const int32_t n = ctx->model.columns;
    const int32_t integers = ctx->model.integer_count > 0 ? ctx->model.integer_count : 1;
    h.row_logical = ctx_alloc_array<int32_t>(ctx, m > 0 ? m : 1);
    h.row_logical_coef = ctx_alloc_array<double>(ctx, m > 0 ? m : 1);
    h.activity = ctx_alloc_array<double>(ctx, m > 0 ? m : 1);
    h.point = ctx_alloc_array<double>(ctx, n > 0 ? n : 1);
    h.incumbent_values = ctx_alloc_array<double>(ctx, integers);
    h.candidates = ctx_alloc_array<int32_t>(ctx, integers);
    h.shifted = ctx_alloc_array<int8_t>(ctx, n > 0 ? n : 1, TYM_ALLOC_STEP_ZERO);
    return h.shifted != nullptr && h.row_logical != nullptr && h.row_logical_coef != nullptr && h.activity != nullptr &&
           h.point != nullptr && h.incumbent_values != nullptr && h.candidates != nullptr;
}

}  // namespace

int prepare_heuristic_rows(LpContext* ctx) {
    HeuristicState& h = ctx->heuristics;
    if (h.prepared != 0) return 0;
    int rc = build_penalty_rows(ctx);
    if (rc != 0) return rc;
    if (!allocate(ctx)) return kRunMemory;
    const PenaltyRows& pr = ctx->bb.penalty_rows;
    const int32_t structurals = ctx->model.structural_count;
    const ObjectiveRecord* obj = ctx->model.current_objective;
    h.objective_row = -1;
    for (int32_t i = 0; i < ctx->model.rows; ++i) {
        h.row_logical[i] = -1;
        h.row_logical_coef[i] = 0.0;
        for (int32_t e = pr.start[i]; e < pr.start[i + 1]; ++e) {
            if (pr.columns[e] < structurals) continue;
            h.row_logical[i] = pr.columns[e];
            h.row_logical_coef[i] = pr.values[e];
        }
        if (obj != nullptr && h.row_logical[i] == obj->column && obj->column >= 0) h.objective_row = i;
    }
    h.prepared = 1;
    return 0;
}

void load_current_point(LpContext* ctx) {
    HeuristicState& h = ctx->heuristics;
    const ComputationalForm& f = ctx->form;
    const int32_t n = ctx->model.columns;
    for (int32_t j = 0; j < n; ++j) h.point[j] = f.value[j];
    // The LP solution keeps every row, so each activity is what the logical
    // column leaves of the right-hand side.
    for (int32_t i = 0; i < ctx->model.rows; ++i) {
        const int32_t l = h.row_logical[i];
        const double b = f.rhs != nullptr ? f.rhs[i] : 0.0;
        h.activity[i] = l >= 0 ? b - h.row_logical_coef[i] * f.value[l] : b;
    }
    // Rows without a logical column (equalities) are summed: their
    // activity is exact only up to the LP's own residual.
    const PenaltyRows& pr = ctx->bb.penalty_rows;
    for (int32_t i = 0; i < ctx->model.rows; ++i) {
        if (h.row_logical[i] >= 0) continue;
        double sum = 0.0;
        for (int32_t e = pr.start[i]; e < pr.start[i + 1]; ++e) sum += pr.values[e] * f.value[pr.columns[e]];
        h.activity[i] = sum;
    }
}

double row_shortfall(const LpContext* ctx, int32_t i, double activity) {
    const HeuristicState& h = ctx->heuristics;
    const ComputationalForm& f = ctx->form;
    const double b = f.rhs != nullptr ? f.rhs[i] : 0.0;
    const double tolerance = kRowTolerance * (1.0 + std::fabs(b));
    const int32_t l = h.row_logical[i];
    if (l < 0) {
        const double miss = std::fabs(b - activity);
        return miss > tolerance ? miss : 0.0;
    }
    if ((f.status[l] & kStatHeld) != 0) return 0.0;
    const double a = h.row_logical_coef[i];
    const double s = (b - activity) / a;
    const double inf = ctx->options.infinity;
    double miss = 0.0;
    if (f.lower[l] > -inf && s < f.lower[l]) miss = (f.lower[l] - s) * std::fabs(a);
    if (f.upper[l] < inf && s > f.upper[l]) miss = (s - f.upper[l]) * std::fabs(a);
    return miss > tolerance ? miss : 0.0;
}

double point_objective(const LpContext* ctx) {
    const HeuristicState& h = ctx->heuristics;
    const ObjectiveRecord* obj = ctx->model.current_objective;
    const int32_t i = h.objective_row;
    if (obj == nullptr || i < 0) return 0.0;
    const double b = ctx->form.rhs != nullptr ? ctx->form.rhs[i] : 0.0;
    return obj->sense * (b - h.activity[i]) / h.row_logical_coef[i];
}

int move_point_column(LpContext* ctx, int32_t j, double value) {
    HeuristicState& h = ctx->heuristics;
    const double delta = value - h.point[j];
    if (delta == 0.0) return 0;
    const double* values = nullptr;
    const int32_t* rows = nullptr;
    int32_t count = 0;
    const int rc = FetchColumn(ctx, j, &values, &rows, &count);
    if (rc != 0) return rc;
    for (int32_t e = 0; e < count; ++e) h.activity[rows[e]] += values[e] * delta;
    h.point[j] = value;
    return 0;
}

int shortfall_change(LpContext* ctx, int32_t j, double delta, double* change, double* objective) {
    const HeuristicState& h = ctx->heuristics;
    const double* values = nullptr;
    const int32_t* rows = nullptr;
    int32_t count = 0;
    *change = 0.0;
    if (objective != nullptr) *objective = 0.0;
    const int rc = FetchColumn(ctx, j, &values, &rows, &count);
    if (rc != 0) return rc;
    for (int32_t e = 0; e < count; ++e) {
        const int32_t i = rows[e];
        *change += row_shortfall(ctx, i, h.activity[i] + values[e] * delta) - row_shortfall(ctx, i, h.activity[i]);
        if (objective != nullptr && i == h.objective_row) {
            const ObjectiveRecord* obj = ctx->model.current_objective;
            *objective = -obj->sense * values[e] * delta / h.row_logical_coef[i];
        }
    }
    return 0;
}

}  // namespace tymlp
