// integer_bounds.cpp -- integer columns' bounds rounded inward.
#include "integer/integer_bounds.h"

#include <cmath>

namespace tymlp {
namespace {

// The bounds of column j rounded inward (infinite ones kept).
void rounded(const LpContext* ctx, int32_t j, double* lower, double* upper) {
    const ComputationalForm& f = ctx->form;
    const double inf = ctx->options.infinity;
    const double ieps = ctx->options.iepsilon;
    const double s = f.column_scale[j] > 0.0 ? f.column_scale[j] : 1.0;
    *lower = std::fabs(f.lower[j]) < inf ? std::ceil(f.lower[j] / s - ieps) * s : f.lower[j];
    *upper = std::fabs(f.upper[j]) < inf ? std::floor(f.upper[j] / s + ieps) * s : f.upper[j];
}

}  // namespace

RoundedBounds round_integer_bounds(LpContext* ctx, double* saved) {
    ComputationalForm& f = ctx->form;
    RoundedBounds out{0, -1};
    for (const IntegerVariable* v = ctx->bb.variables; v != nullptr; v = v->next) {
        double lower = 0.0;
        double upper = 0.0;
        rounded(ctx, v->column, &lower, &upper);
        if (lower > upper) {
            out.crossed_column = v->column;
            return out;
        }
    }
    int k = 0;
    for (const IntegerVariable* v = ctx->bb.variables; v != nullptr; v = v->next, ++k) {
        const int32_t j = v->column;
        saved[2 * k] = f.lower[j];
        saved[2 * k + 1] = f.upper[j];
        double lower = 0.0;
        double upper = 0.0;
        rounded(ctx, j, &lower, &upper);
        if (lower != f.lower[j] || upper != f.upper[j]) ++out.changed;
        f.lower[j] = lower;
        f.upper[j] = upper;
    }
    return out;
}

void restore_integer_bounds(LpContext* ctx, const double* saved) {
    ComputationalForm& f = ctx->form;
    int k = 0;
    for (const IntegerVariable* v = ctx->bb.variables; v != nullptr; v = v->next, ++k) {
        f.lower[v->column] = saved[2 * k];
        f.upper[v->column] = saved[2 * k + 1];
    }
}

}  // namespace tymlp
