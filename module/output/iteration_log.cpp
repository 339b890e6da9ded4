// iteration_log.cpp -- the simplex and integer iteration logs and the switch
// between them.
#include "output/iteration_log.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "base/host_link.h"
#include "input/model_records.h"
#include "output/reported_values.h"
#include "output/table_output.h"

namespace tymlp {
namespace {

constexpr int kPrintNothing = -2;

// Catalogue group 253 labels.
constexpr int kLabelIterationData = 270;
constexpr int kLabelIterationLog = 271;
constexpr int kLabelIntegerLog = 291;

// Pricing sources as the log marks them (the choice source of the pricing
// state): a rule's or the random choice leaves the count as it is.
constexpr char kMarkMajorPass = 'M';
constexpr char kMarkOther = 'P';

constexpr char kBlankBranchMark = '.';

bool printing(const LpContext* ctx, int64_t count) {
    if (ctx->options.printlevel < -1) return false;
    const int32_t every = ctx->options.printfreq > 0 ? ctx->options.printfreq : 1;
    return count % every == 0;
}

// The name of column j, blank padded to the column-name length (blanks when
// it cannot be read).
void column_name(LpContext* ctx, int32_t j, char* dst) {
    const int width = column_name_width(ctx);
    std::memset(dst, ' ', static_cast<size_t>(width));
    if (j < 0 || j >= ctx->model.columns) return;
    char name[kMaxNameLength];
    ColumnRecord rec{};
    if (read_column(ctx, j, &rec, name) == 0) std::memcpy(dst, name, static_cast<size_t>(width));
}

// Ends the rows of an open log table and closes it.
void close_log(LpContext* ctx, TymObject* table, bool stays_open) {
    LogRequests soft(ctx);
    table_finish(ctx, table, stays_open);
}

// The openers leave the table handle null when the host refuses the data
// object or the table; the next line tries again.
void open_iteration_log(LpContext* ctx) {
    IterationLogState& s = ctx->report.log;
    const int w = column_name_width(ctx);
    s.data = table_create_data(ctx, "IterationData", kLabelIterationData);
    if (s.data == nullptr) return;
    table_define_column(ctx, s.data, kColumnInteger, 0, "Phase", &s.phase);
    table_define_column(ctx, s.data, kColumnText, kIterationTextBytes, "Iteration", s.iteration);
    table_define_column(ctx, s.data, kColumnText, w, "EnterVar", s.enter_var);
    table_define_column(ctx, s.data, kColumnInteger, 0, "EnterCol", &s.enter_col);
    table_define_column(ctx, s.data, kColumnText, w, "LeaveVar", s.leave_var);
    table_define_column(ctx, s.data, kColumnInteger, 0, "LeaveCol", &s.leave_col);
    table_define_column(ctx, s.data, kColumnDouble, 0, "ReducedCost", &s.reduced_cost);
    table_define_column(ctx, s.data, kColumnDouble, 0, "ObjValue", &s.objective);
    table_end_columns(ctx, s.data);
    s.table = table_open(ctx, s.data, "Qm.Lp.IterationLog", "IterationLog", kLabelIterationLog);
}

void open_integer_log(LpContext* ctx) {
    IntegerLogState& s = ctx->report.integer_log;
    s.data = table_create_data(ctx, "IntegerIterationData", kLabelIntegerLog);
    if (s.data == nullptr) return;
    table_define_column(ctx, s.data, kColumnInteger, 0, "Iteration", &s.iteration);
    table_define_column(ctx, s.data, kColumnInteger, 0, "Problem", &s.problem);
    table_define_column(ctx, s.data, kColumnText, kConditionBytes, "Condition", s.condition);
    table_define_column(ctx, s.data, kColumnDouble, 0, "Objective", &s.objective);
    table_define_column(ctx, s.data, kColumnText, column_name_width(ctx), "Branch", s.branch);
    table_define_column(ctx, s.data, kColumnDouble, 0, "Value", &s.value);
    table_define_column(ctx, s.data, kColumnDouble, 0, "SumOfInfeas", &s.sum_of_infeasibilities);
    table_define_column(ctx, s.data, kColumnInteger, 0, "Active", &s.active);
    table_define_column(ctx, s.data, kColumnDouble, 0, "Proximity", &s.proximity);
    table_end_columns(ctx, s.data);
    s.table = table_open(ctx, s.data, "Qm.Lp.IntegerIterationLog", "IntegerIterationLog", kLabelIntegerLog);
}

// The "Iteration" text: the count right-aligned in 9 characters, its first
// character replaced by the marker of the pricing source.
void iteration_text(const LpContext* ctx, int64_t count, char* dst) {
    char digits[32];
    std::snprintf(digits, sizeof digits, "%*lld", kIterationTextBytes, static_cast<long long>(count));
    const size_t len = std::strlen(digits);
    std::memcpy(dst, digits + (len - kIterationTextBytes), kIterationTextBytes);
    const int16_t source = ctx->phases.pricing.source;
    char mark = ' ';
    if (source == kSourceMajor)
        mark = kMarkMajorPass;
    else if (source != kSourceRule && source != kSourceRandom)
        mark = kMarkOther;
    dst[0] = mark;
}

double objective_value(const LpContext* ctx, const ReportBasis& b) {
    return b.valid ? ctx->form.value[b.objective_column] / b.column_scale : 0.0;
}

double missing_value() { return host_missing('.'); }

// Emits the row of an open log.  A table the host no longer knows (its
// output objects were closed and opened afresh, as a pause does) is
// forgotten, so that the next line opens a new one.
void emit_log_row(LpContext* ctx, TymObject* table) {
    if (table_request(ctx, *table, TYM_REQ_EMIT_ROW, 0, nullptr) >= 0) return;
    if (ctx->handles.open_table == *table) ctx->handles.open_table = nullptr;
    *table = nullptr;
}

}  // namespace

double sum_of_violations(const LpContext* ctx) {
    const ComputationalForm& f = ctx->form;
    double sum = 0.0;
    for (int32_t j = 0; j < ctx->model.columns; ++j) {
        if ((f.status[j] & kStatHeld) != 0) continue;
        const double x = f.value[j];
        double v = 0.0;
        if (x > f.upper[j])
            v = x - f.upper[j];
        else if (x < f.lower[j])
            v = f.lower[j] - x;
        if (v > 0.0) sum += v / (f.column_scale != nullptr && f.column_scale[j] != 0.0 ? f.column_scale[j] : 1.0);
    }
    return sum;
}

void print_iteration_log_line(LpContext* ctx) {
    const SolverState& sv = ctx->solver;
    const int64_t count = sv.counter != nullptr ? *sv.counter : 0;
    if (!printing(ctx, count) || ctx->form.value == nullptr) return;

    close_log(ctx, &ctx->report.integer_log.table, false);
    LogRequests soft(ctx);
    IterationLogState& s = ctx->report.log;
    if (s.table == nullptr) open_iteration_log(ctx);
    if (s.table == nullptr) return;

    const ReportBasis b = report_basis(ctx);
    s.phase = sv.phase;
    iteration_text(ctx, count, s.iteration);
    column_name(ctx, sv.entering, s.enter_var);
    s.enter_col = sv.entering + 1;
    column_name(ctx, sv.leaving, s.leave_var);
    s.leave_col = sv.leaving + 1;
    double price = ctx->phases.pricing.price;
    if (b.valid && sv.entering >= 0 && sv.entering < ctx->model.columns && ctx->form.column_scale != nullptr)
        price = price * b.sense * ctx->form.column_scale[sv.entering] / b.column_scale;
    s.reduced_cost = fuzz(ctx, price);
    s.objective = fuzz(ctx, sv.phase == kPhase1 ? sum_of_violations(ctx) : objective_value(ctx, b));
    emit_log_row(ctx, &s.table);
}

double integer_proximity(const LpContext* ctx) {
    const BbState& bb = ctx->bb;
    const ActiveNode* best = bb.lists[kListByBound].high;
    if (bb.active_count <= 0 || bb.incumbent == nullptr || best == nullptr) return missing_value();
    const ReportBasis b = report_basis(ctx);
    double d = best->bound - bb.incumbent->bound;
    if (d < 0.0) d = 0.0;
    if (b.valid) d /= b.column_scale;
    return fuzz(ctx, d);
}

double print_integer_log_line(LpContext* ctx) {
    IntegerLogState& s = ctx->report.integer_log;
    const BbState& bb = ctx->bb;
    s.last_proximity = integer_proximity(ctx);
    if (!printing(ctx, bb.iteration) || ctx->form.value == nullptr) return s.last_proximity;

    close_log(ctx, &ctx->report.log.table, false);
    LogRequests soft(ctx);
    if (s.table == nullptr) open_integer_log(ctx);
    if (s.table == nullptr) return s.last_proximity;

    const ReportBasis b = report_basis(ctx);
    s.iteration = bb.iteration;
    std::memcpy(s.condition, bb.condition, kConditionBytes);
    s.objective = fuzz(ctx, objective_value(ctx, b));
    s.active = bb.active_count;
    s.proximity = s.last_proximity;
    const bool branched = std::strncmp(bb.condition, "ACTIVE", 6) == 0;
    const int32_t j = bb.branch_column;
    if (branched && j >= 0 && j < ctx->model.columns) {
        column_name(ctx, j, s.branch);
        s.value = fuzz(ctx, column_value(ctx, j));
        s.sum_of_infeasibilities = bb.infeasibility_sum;
    } else {
        std::memset(s.branch, ' ', sizeof s.branch);
        s.branch[0] = kBlankBranchMark;
        s.value = missing_value();
        s.sum_of_infeasibilities = missing_value();
    }
    emit_log_row(ctx, &s.table);
    return s.last_proximity;
}

void close_iteration_logs(LpContext* ctx, bool log_stays_open) {
    close_log(ctx, &ctx->report.log.table, log_stays_open);
    close_log(ctx, &ctx->report.integer_log.table, log_stays_open);
}

}  // namespace tymlp
