// preprocess_report.cpp -- what one preprocessing pass did, told to the
// user: every infeasible row by name, the other changes one by one under
// DEBUG, and a count per kind of change.
#include "presolve/preprocess_work.h"

#include "base/host_link.h"

namespace tymlp {
namespace {

constexpr int kMsgInfeasibleRow = 260;
constexpr int kMsgEliminatedRow = 261;
constexpr int kMsgLowerRaised = 262;
constexpr int kMsgUpperLowered = 263;
constexpr int kMsgFixed = 264;
constexpr int kMsgCoefficientReduced = 265;
constexpr int kMsgRowReduced = 266;
constexpr int kMsgCount = 269;

// The kinds of change in the order their counts are reported.
enum CountKind : int {
    kInfeasible,
    kEliminated,
    kLowerRaised,
    kUpperLowered,
    kFixed,
    kCoefficients,
    kRhsValues,
    kCountKinds
};

struct CountText {
    const char* text;
    int length;
};

constexpr CountText kCountTexts[kCountKinds] = {
    {"constraints infeasible", 22}, {"constraints eliminated", 22}, {"lower bounds increased", 22},
    {"upper bounds decreased", 22}, {"variables fixed", 15},        {"coefficients reduced", 20},
    {"RHS values reduced", 18},
};

// Length of a blank-padded name without its trailing blanks.
int trimmed(const char* name, int length) {
    while (length > 0 && name[length - 1] == ' ') --length;
    return length;
}

TymArg row_arg(const LpContext* ctx, const PreprocessWork* w, int32_t i) {
    const char* name = pre_row_name(ctx, w, i);
    return arg_text(name, trimmed(name, ctx->model.row_name_length));
}

TymArg column_arg(const LpContext* ctx, const PreprocessWork* w, int32_t j) {
    const char* name = pre_column_name(ctx, w, j);
    return arg_text(name, trimmed(name, ctx->model.column_name_length));
}

void report_rows(const LpContext* ctx, const PreprocessWork* w, int32_t* counts) {
    for (int32_t i = 0; i < w->rows; ++i) {
        const uint16_t flags = w->row_work[i].flags;
        const TymArg name = row_arg(ctx, w, i);
        if ((flags & kPreRowInfeasible) != 0) {
            ++counts[kInfeasible];
            host_message(kMsgInfeasibleRow, 1, &name);
        }
        if ((flags & kPreRowEliminated) != 0) {
            ++counts[kEliminated];
            if (w->debug) host_message(kMsgEliminatedRow, 1, &name);
        }
    }
}

void report_column_change(const PreprocessWork* w, int number, const TymArg& name, double value) {
    if (!w->debug) return;
    const TymArg args[] = {name, arg_double(value)};
    host_message(number, 2, args);
}

void report_columns(const LpContext* ctx, PreprocessWork* w, int32_t* counts) {
    for (int32_t j = 0; j < w->columns; ++j) {
        const PreColumnWork& work = w->column_work[j];
        if (work.flags == 0) continue;
        const TymArg name = column_arg(ctx, w, j);
        if ((work.flags & kPreLowerRaised) != 0) {
            ++counts[kLowerRaised];
            ++w->change_count;
            report_column_change(w, kMsgLowerRaised, name, work.new_lower);
        }
        if ((work.flags & kPreUpperLowered) != 0) {
            ++counts[kUpperLowered];
            ++w->change_count;
            report_column_change(w, kMsgUpperLowered, name, work.new_upper);
        }
        if ((work.flags & kPreFixed) != 0) {
            ++counts[kFixed];
            ++w->change_count;
            report_column_change(w, kMsgFixed, name, work.fixed_value);
        }
    }
}

void report_changes(const LpContext* ctx, const PreprocessWork* w, int32_t* counts) {
    for (const CoefChange* c = w->changes; c != nullptr; c = c->next) {
        ++counts[kCoefficients];
        const bool rhs = pre_rhs_changed(c->rhs);
        if (rhs) ++counts[kRhsValues];
        if (!w->debug) continue;
        const TymArg row = row_arg(ctx, w, c->row);
        const TymArg column = column_arg(ctx, w, c->column);
        if (rhs) {
            const TymArg args[] = {row, arg_double(c->rhs), column, arg_double(c->coefficient)};
            host_message(kMsgRowReduced, 4, args);
        } else {
            const TymArg args[] = {row, column, arg_double(c->coefficient)};
            host_message(kMsgCoefficientReduced, 3, args);
        }
    }
}

}  // namespace

int pre_report_pass(LpContext* ctx, PreprocessWork* w) {
    int32_t counts[kCountKinds] = {};
    w->change_count = 0;
    report_rows(ctx, w, counts);
    const bool infeasible = counts[kInfeasible] > 0;
    // After an infeasible row the run ends: the bound changes are told only
    // when the user asked for every change.
    if (!infeasible || w->debug) report_columns(ctx, w, counts);
    report_changes(ctx, w, counts);
    for (int kind = 0; kind < kCountKinds; ++kind) {
        if (counts[kind] == 0) continue;
        const TymArg args[] = {arg_int(counts[kind]), arg_int(kCountTexts[kind].length),
                               arg_text(kCountTexts[kind].text, kCountTexts[kind].length)};
        host_message(kMsgCount, 3, args);
    }
    return infeasible ? kRunSemantic : 0;
}

}  // namespace tymlp
