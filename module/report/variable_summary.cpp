// variable_summary.cpp -- the VariableSummary table.
#include "report/variable_summary.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "input/model_records.h"
#include "output/reported_values.h"
#include "output/table_output.h"
#include "simplex/solution_results.h"

namespace tymlp {
namespace {

constexpr int kPrintAllLines = 1;
constexpr int kPrintMarkedOnly = -1;
constexpr int kLabelData = 230;
constexpr int kLabelTable = 231;
constexpr int kColTextBytes = 6;

// The row buffers of the table.
struct VariableLine {
    char col[kColTextBytes];
    char name[kMaxNameLength];
    char status[kWordBytes];
    char type[kWordBytes];
    double price;
    double activity;
    double reduced_cost;
};

bool selected(int selection, bool integer, bool zero) {
    switch (selection) {
        case kSelectInteger: return integer;
        case kSelectNonInteger: return !integer;
        case kSelectNonZero: return !zero;
        case kSelectZero: return zero;
        case kSelectIntegerNonZero: return integer && !zero;
        case kSelectIntegerZero: return integer && zero;
        case kSelectNonIntegerNonZero: return !integer && !zero;
        default: return true;
    }
}

class VariableTable {
  public:
    explicit VariableTable(LpContext* ctx) : ctx_(ctx), basis_(report_basis(ctx)) {}

    // Fills the line of column j; *marked tells whether "Col" carries a mark,
    // *shown_zero whether its value counts as zero.  Returns 0, 9 or 25.
    int fill(int32_t j, int64_t number, bool* integer, bool* zero, bool* marked) {
        ColumnRecord rec{};
        char name[kMaxNameLength];
        int rc = read_column(ctx_, j, &rec, name);
        if (rc != 0) return rc;
        *integer = (rec.flags & (kColInteger | kColBinary)) != 0;
        const bool basic = (ctx_->form.status[j] & kStatBasic) != 0;
        double rcost = 0.0;
        if (!basic && (rc = column_reduced_cost(ctx_, basis_, j, &rcost)) != 0) return rc;
        double price = 0.0;
        if ((rc = column_price(ctx_, basis_, j, &price)) != 0) return rc;
        line_.activity = fuzz(ctx_, column_value(ctx_, j));
        line_.reduced_cost = fuzz(ctx_, rcost);
        line_.price = fuzz(ctx_, price);
        *zero = std::fabs(line_.activity) < ctx_->options.epsilon;
        *marked = variable_col_text(ctx_, j, number, line_.col);
        pad_name(line_.name, column_name_width(ctx_), name, column_name_width(ctx_));
        std::memcpy(line_.status, variable_status_word(ctx_, j, line_.reduced_cost, *integer), kWordBytes);
        std::memcpy(line_.type, column_type_word(rec.flags, false), kWordBytes);
        return 0;
    }

    void open() {
        if (table_ != nullptr) return;
        TymObject data = table_create_data(ctx_, "VariableSummaryData", kLabelData);
        table_define_column(ctx_, data, kColumnText, kColTextBytes, "Col", line_.col);
        table_define_column(ctx_, data, kColumnText, column_name_width(ctx_), "VarName", line_.name);
        table_define_column(ctx_, data, kColumnText, kWordBytes, "Status", line_.status);
        table_define_column(ctx_, data, kColumnText, kWordBytes, "Type", line_.type);
        table_define_column(ctx_, data, kColumnDouble, 0, "Price", &line_.price);
        table_define_column(ctx_, data, kColumnDouble, 0, "Activity", &line_.activity);
        table_define_column(ctx_, data, kColumnDouble, 0, "ReducedCost", &line_.reduced_cost);
        table_end_columns(ctx_, data);
        table_ = table_open(ctx_, data, "Qm.Lp.VariableSummary", "VariableSummary", kLabelTable);
    }

    void emit() {
        open();
        table_emit_row(ctx_, table_);
    }

    void close() { table_finish(ctx_, &table_); }

    bool valid() const { return basis_.valid; }

  private:
    LpContext* ctx_;
    ReportBasis basis_;
    VariableLine line_{};
    TymObject table_ = nullptr;
};

}  // namespace

const char* variable_status_word(const LpContext* ctx, int32_t j, double reduced_cost, bool integer) {
    const ComputationalForm& f = ctx->form;
    const double eps = ctx->options.epsilon;
    const double x = f.value[j];
    if ((f.status[j] & kStatBasic) != 0) return std::fabs(x) < eps ? "DEGEN   " : "BASIC   ";
    if (reduced_cost == 0.0) return "ALTER   ";
    const double lower = f.lower[j];
    const double upper = f.upper[j];
    if (lower == upper) return "        ";
    if (std::fabs(x - lower) < eps && lower != 0.0 && !integer) return "LOWBD   ";
    if (upper - x >= eps || integer) return "        ";
    return "UPPBD   ";
}

bool variable_col_text(const LpContext* ctx, int32_t j, int64_t number, char* out6) {
    const ComputationalForm& f = ctx->form;
    const double eps = ctx->options.epsilon;
    const int code = ctx->solver.run_status;
    const double x = f.value[j];
    if (code == kRunInfeasible && (x < f.lower[j] - eps || x > f.upper[j] + eps)) {
        std::memcpy(out6, " *INF*", kColTextBytes);
        return true;
    }
    if (code == kRunUnbounded && j == ctx->solver.entering) {
        std::memcpy(out6, " *UBD*", kColTextBytes);
        return true;
    }
    char digits[32];
    std::snprintf(digits, sizeof digits, "%*lld", kColTextBytes, static_cast<long long>(number));
    std::memcpy(out6, digits, kColTextBytes);
    return false;
}

SummaryLines summary_lines(const LpContext* ctx) {
    const int level = ctx->options.printlevel;
    if (level >= kPrintAllLines) return SummaryLines::All;
    if (level == kPrintMarkedOnly && ctx->solver.run_status == kRunInfeasible) return SummaryLines::MarkedOnly;
    return SummaryLines::None;
}

int print_variable_summary(LpContext* ctx, const int32_t* list, int32_t count, int selection) {
    const SummaryLines lines = summary_lines(ctx);
    if (lines == SummaryLines::None) return 0;
    const bool marked_only = lines == SummaryLines::MarkedOnly;

    VariableTable table(ctx);
    if (!table.valid()) return 0;
    const int32_t n = ctx->model.columns;
    int64_t shown = 0;
    const int32_t total = list != nullptr ? count : ctx->model.structural_count;
    for (int32_t k = 0; k < total; ++k) {
        const int32_t j = list != nullptr ? list[k] : k;
        if (j < 0 || j >= n) continue;
        bool integer = false, zero = false, marked = false;
        const int64_t number = list != nullptr ? static_cast<int64_t>(j) + 1 : shown + 1;
        const int rc = table.fill(j, number, &integer, &zero, &marked);
        if (rc != 0) {
            table.close();
            return rc;
        }
        if (list == nullptr && !selected(selection, integer, zero)) continue;
        if (marked_only && !marked) continue;
        table.emit();
        ++shown;
    }
    table.close();
    return 0;
}

}  // namespace tymlp
