// reported_values.cpp -- unscaling, FUZZ and the type words.
#include "output/reported_values.h"

#include <cmath>
#include <cstring>

namespace tymlp {
namespace {

constexpr double kNoScale = 1.0;

double scale_or_one(const double* scales, int32_t k) {
    if (scales == nullptr) return kNoScale;
    const double s = scales[k];
    return s != 0.0 ? s : kNoScale;
}

int name_width_or_default(int width) { return width > 0 && width <= kMaxNameLength ? width : kDefaultNameLength; }

}  // namespace

double column_scale(const LpContext* ctx, int32_t j) { return scale_or_one(ctx->form.column_scale, j); }
double row_scale(const LpContext* ctx, int32_t i) { return scale_or_one(ctx->form.row_scale, i); }

ReportBasis report_basis(const LpContext* ctx) {
    ReportBasis b{};
    const ProblemModel& m = ctx->model;
    const ComputationalForm& f = ctx->form;
    const ObjectiveRecord* obj = m.current_objective;
    const bool columns_exist = f.value != nullptr && f.allocated_n >= m.columns;
    if (obj == nullptr || obj->column < 0 || obj->column >= m.columns || !columns_exist) return b;
    b.valid = true;
    b.objective = obj;
    b.objective_row = obj->row;
    b.objective_column = obj->column;
    b.sense = obj->sense;
    b.row_scale = row_scale(ctx, obj->row);
    b.column_scale = column_scale(ctx, obj->column);
    return b;
}

double fuzz(const LpContext* ctx, double v) { return std::fabs(v) < ctx->options.fuzz ? 0.0 : v; }

double column_value(const LpContext* ctx, int32_t j) { return ctx->form.value[j] / column_scale(ctx, j); }

double column_lower(const LpContext* ctx, int32_t j) {
    const double l = ctx->form.lower[j];
    if (l <= -ctx->options.infinity) return l;
    return l / column_scale(ctx, j);
}

double column_upper(const LpContext* ctx, int32_t j) {
    const double u = ctx->form.upper[j];
    if (u >= ctx->options.infinity) return u;
    return u / column_scale(ctx, j);
}

double row_rhs(const LpContext* ctx, int32_t i) {
    return ctx->form.rhs != nullptr ? ctx->form.rhs[i] * row_scale(ctx, i) : 0.0;
}

double row_dual(const LpContext* ctx, const ReportBasis& b, int32_t i) {
    if (ctx->form.duals == nullptr) return 0.0;
    return ctx->form.duals[i] * b.row_scale * b.sense / row_scale(ctx, i) + 0.0;
}

bool integer_problem(const LpContext* ctx) { return ctx->model.integer_count > 0 || ctx->model.sos_count > 0; }

const char* column_type_word(uint16_t flags, bool with_range) {
    const bool lower = (flags & kColLowerGiven) != 0;
    const bool upper = (flags & kColUpperGiven) != 0;
    if ((flags & kColBinary) != 0) return "BINARY  ";
    if ((flags & kColInteger) != 0) return "INTEGER ";
    if (lower && upper) return "UPLOWBD ";
    if (upper) return "UPPERBD ";
    if (lower) return "LOWERBD ";
    if ((flags & kColUnrestricted) != 0) return "UNRSTRT ";
    if ((flags & kColFixed) != 0) return "FIXED   ";
    if ((flags & kColSurplus) != 0) return "SURPLUS ";
    if ((flags & kColSlack) != 0) return "SLACK   ";
    if ((flags & kColArtificial) != 0) return "ARTIFCL ";
    if ((flags & kColObjective) != 0) return "OBJECT  ";
    if (with_range && (flags & kColRange) != 0) return "RANGE   ";
    if ((flags & kColFree) != 0) return "FREE    ";
    return "NON-NEG ";
}

namespace {

// The range words and the three inequality words both row tables share;
// null when the row is of none of these kinds.
const char* constraint_word(uint8_t flags) {
    if ((flags & kRowRange) != 0) {
        if ((flags & kRowLessEqual) != 0) return "RANGELE ";
        if ((flags & kRowGreaterEqual) != 0) return "RANGEGE ";
        if ((flags & kRowEquality) != 0) return "RANGEEQ ";
    }
    if ((flags & kRowLessEqual) != 0) return "LE      ";
    if ((flags & kRowGreaterEqual) != 0) return "GE      ";
    if ((flags & kRowEquality) != 0) return "EQ      ";
    return nullptr;
}

}  // namespace

const char* row_type_word(uint8_t flags, bool active_objective, bool objective_held) {
    if (const char* word = constraint_word(flags)) return word;
    if ((flags & kRowFree) != 0) return "FREE    ";
    if ((flags & kRowObjective) != 0) {
        if (active_objective) return "OBJECTVE";
        return objective_held ? "FREE_OBJ" : "FIXEDOBJ";
    }
    if ((flags & kRowFixedCharge) != 0) return "FXCHRG  ";
    return "        ";
}

const char* dual_row_type_word(uint8_t flags) {
    if (const char* word = constraint_word(flags)) return word;
    if ((flags & kRowObjective) != 0) return "OBJECT  ";
    if ((flags & kRowFixedCharge) != 0) return "FXCHRG  ";
    if ((flags & kRowFree) != 0) return "FREE    ";
    return "        ";
}

int row_name_width(const LpContext* ctx) { return name_width_or_default(ctx->model.row_name_length); }
int column_name_width(const LpContext* ctx) { return name_width_or_default(ctx->model.column_name_length); }

void pad_name(char* dst, int width, const char* name, int length) {
    std::memset(dst, ' ', static_cast<size_t>(width));
    if (name == nullptr) return;
    if (length < 0) length = static_cast<int>(std::strlen(name));
    std::memcpy(dst, name, static_cast<size_t>(length < width ? length : width));
}

}  // namespace tymlp
