// constraint_summary.cpp -- the ConstraintSummary table.
#include "report/constraint_summary.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "base/host_link.h"
#include "input/model_records.h"
#include "output/reported_values.h"
#include "output/table_output.h"
#include "report/variable_summary.h"
#include "simplex/solution_results.h"

namespace tymlp {
namespace {

constexpr int kLabelData = 250;
constexpr int kLabelTable = 251;
constexpr int kRowTextBytes = 6;
constexpr int kMsgViolated = 245;
constexpr int kMsgViolatedScaled = 216;

struct ConstraintLine {
    char row[kRowTextBytes];
    char name[kMaxNameLength];
    char type[kWordBytes];
    int32_t sscol;
    double rhs;
    double activity;
    double dual;
};

bool ended_optimal(const LpContext* ctx) {
    const SolverState& sv = ctx->solver;
    return sv.run_status == kRunOk && sv.optimal != 0 && sv.primal_feasible != 0;
}

class ConstraintTable {
  public:
    explicit ConstraintTable(LpContext* ctx) : ctx_(ctx), basis_(report_basis(ctx)) {}

    bool valid() const { return basis_.valid; }

    // Fills the line of row i; *mark is 0 (none), 1 (" *INF*") or 2
    // (" *****").  Returns 0 or 25.
    int fill(int32_t i, int* mark) {
        RowRecord rec{};
        char name[kMaxNameLength];
        const int rc = read_row(ctx_, i, &rec, name);
        if (rc != 0) return rc;
        const uint8_t flags = rec.flags;
        const bool objective = (flags & kRowObjective) != 0;
        const int32_t logical = rec.logical_column;
        const bool held =
            logical >= 0 && logical < ctx_->model.columns && (ctx_->form.status[logical] & kStatHeld) != 0;
        const bool range_eq = (flags & kRowRange) != 0 && (flags & kRowEquality) != 0;

        const double activity = ctx_->report.activity[i];
        const double rhs = (flags & kRowFree) != 0 ? activity : row_rhs(ctx_, i);
        std::memcpy(line_.type, row_type_word(flags, i == basis_.objective_row, held), kWordBytes);
        line_.sscol = objective || range_eq || logical < 0 ? 0 : logical + 1;
        line_.rhs = fuzz(ctx_, rhs);
        line_.activity = fuzz(ctx_, activity);
        line_.dual = objective ? host_missing('.') : fuzz(ctx_, row_dual(ctx_, basis_, i));
        pad_name(line_.name, row_name_width(ctx_), name, row_name_width(ctx_));
        name_length_ = trimmed(name, row_name_width(ctx_));
        std::memcpy(name_, name, static_cast<size_t>(row_name_width(ctx_)));

        *mark = 0;
        if (row_violated(ctx_, flags, activity, rhs)) {
            if (ctx_->solver.run_status == kRunInfeasible)
                *mark = 1;
            else if (ended_optimal(ctx_))
                *mark = 2;
        }
        if (*mark == 1)
            std::memcpy(line_.row, " *INF*", kRowTextBytes);
        else if (*mark == 2)
            std::memcpy(line_.row, " *****", kRowTextBytes);
        else {
            char digits[32];
            std::snprintf(digits, sizeof digits, "%*d", kRowTextBytes, i);
            std::memcpy(line_.row, digits, kRowTextBytes);
        }
        return 0;
    }

    void emit(int mark) {
        open();
        table_emit_row(ctx_, table_);
        if (mark == 2) {
            const TymArg arg = arg_text(name_, name_length_);
            host_message(ctx_->options.scale != 0 ? kMsgViolatedScaled : kMsgViolated, 1, &arg);
        }
    }

    void close() { table_finish(ctx_, &table_); }

  private:
    static int trimmed(const char* name, int width) {
        while (width > 0 && name[width - 1] == ' ') --width;
        return width;
    }

    void open() {
        if (table_ != nullptr) return;
        TymObject data = table_create_data(ctx_, "ConstraintSummaryData", kLabelData);
        table_define_column(ctx_, data, kColumnText, kRowTextBytes, "Row", line_.row);
        table_define_column(ctx_, data, kColumnText, row_name_width(ctx_), "RowName", line_.name);
        table_define_column(ctx_, data, kColumnText, kWordBytes, "Type", line_.type);
        table_define_column(ctx_, data, kColumnInteger, 0, "SSCol", &line_.sscol);
        table_define_column(ctx_, data, kColumnDouble, 0, "Rhs", &line_.rhs);
        table_define_column(ctx_, data, kColumnDouble, 0, "Activity", &line_.activity);
        table_define_column(ctx_, data, kColumnDouble, 0, "Dual", &line_.dual);
        table_end_columns(ctx_, data);
        table_ = table_open(ctx_, data, "Qm.Lp.ConstraintSummary", "ConstraintSummary", kLabelTable);
    }

    LpContext* ctx_;
    ReportBasis basis_;
    ConstraintLine line_{};
    char name_[kMaxNameLength]{};
    int name_length_ = 0;
    TymObject table_ = nullptr;
};

}  // namespace

bool row_violated(const LpContext* ctx, uint8_t flags, double activity, double rhs) {
    const double eps = ctx->options.epsilon;
    if ((flags & kRowLessEqual) != 0) return activity - rhs > eps;
    if ((flags & kRowGreaterEqual) != 0) return activity - rhs < -eps;
    if ((flags & kRowEquality) != 0 && (flags & kRowRange) == 0) return std::fabs(rhs - activity) > eps;
    return false;
}

int print_constraint_summary(LpContext* ctx, const int32_t* list, int32_t count) {
    const SummaryLines lines = summary_lines(ctx);
    if (lines == SummaryLines::None) return 0;
    const bool marked_only = lines == SummaryLines::MarkedOnly;

    ConstraintTable table(ctx);
    if (!table.valid()) return 0;
    const int rc = recompute_activities(ctx);
    if (rc != 0) return rc;
    const int32_t m = user_row_count(ctx->cuts, ctx->model.rows);
    const int32_t total = list != nullptr ? count : m - 1;
    for (int32_t k = 0; k < total; ++k) {
        const int32_t i = list != nullptr ? list[k] : k + 1;
        if (i < 1 || i >= m) continue;
        int mark = 0;
        const int fill_rc = table.fill(i, &mark);
        if (fill_rc != 0) {
            table.close();
            return fill_rc;
        }
        if (marked_only && mark == 0) continue;
        table.emit(mark);
    }
    table.close();
    return 0;
}

}  // namespace tymlp
