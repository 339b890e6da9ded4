// problem_summary.cpp -- counts of the problem and the ProblemSummary factoid.
#include "report/problem_summary.h"

#include "base/host_link.h"
#include "input/model_records.h"
#include "input/reader_common.h"
#include "report/factoid.h"

namespace tymlp {
namespace {

constexpr int kPrintNothing = -2;
constexpr double kPercent = 100.0;
constexpr int kDensityWidth = 5;
constexpr int kDensityDecimals = 2;

// Catalogue group 253 numbers of the table and its entries.
enum SummaryLabel : int {
    kLabelTable = 210,
    kLabelObjective = 500,
    kTextMaximise = 36,
    kTextMinimise = 37,
    kLabelRhs = 501,
    kTextRhs = 38,
    kLabelType = 502,
    kTextType = 39,
    kLabelDensity = 40,
    kLabelVariables = 503,
    kLabelNonNegative = 43,
    kLabelUnrestricted = 44,
    kLabelLowerOnly = 45,
    kLabelUpperOnly = 46,
    kLabelBothBounds = 47,
    kLabelInteger = 48,
    kLabelBinary = 49,
    kLabelFixedCharge = 50,
    kLabelFixed = 51,
    kLabelSlack = 52,
    kLabelSurplus = 53,
    kLabelTotal = 54,
    kLabelConstraints = 504,
    kLabelLessEqual = 56,
    kLabelEquality = 57,
    kLabelGreaterEqual = 58,
    kLabelFreeRows = 59,
    kLabelObjectiveRows = 60
};

constexpr const char* kNumberHeading = "Number";

void count_column(ProblemCounts& c, const ColumnRecord& col) {
    c.nonzeros += col.entry_count;
    const uint16_t f = col.flags;
    const bool lower = (f & kColLowerGiven) != 0;
    const bool upper = (f & kColUpperGiven) != 0;
    if ((f & kColBinary) != 0) {
        ++c.binary;
        ++c.integer;
    } else if ((f & kColInteger) != 0) {
        ++c.integer;
    } else if (lower && upper) {
        ++c.both_bounds;
    } else if (upper) {
        ++c.upper_only;
    } else if (lower) {
        ++c.lower_only;
    } else if ((f & kColUnrestricted) != 0) {
        ++c.unrestricted;
    } else if ((f & kColFixed) != 0) {
        ++c.fixed;
    }
}

void count_row(ProblemCounts& c, const RowRecord& row) {
    const uint8_t f = row.flags;
    if ((f & kRowObjective) != 0) {
        ++c.objective_rows;
        // Once the computational form exists the row also holds its own
        // logical column's coefficient, which is not a structural one.
        c.objective_nonzeros += row.entry_count - (row.logical_column >= 0 ? 1 : 0);
    } else if ((f & kRowFixedCharge) != 0) {
        ++c.fixed_charge;
        ++c.slack;
    } else if ((f & kRowLessEqual) != 0)
        ++c.slack;
    else if ((f & kRowGreaterEqual) != 0)
        ++c.surplus;
    else if ((f & kRowFree) != 0)
        ++c.free_rows;
}

// An entry whose value is a catalogue text with a name argument.
void named_entry(Factoid& f, int label, int text, const char* name, int length) {
    const TymArg arg = arg_text(name, length);
    const Label value = catalogue_label(text, &arg);
    factoid_text(f, catalogue_label(label).text, value.text);
}

// A count line, shown only when the count is at least 1.
void count_entry(Factoid& f, int label, int64_t value) {
    if (value >= 1) factoid_int(f, catalogue_label(label).text, value);
}

void heading(Factoid& f, int label) {
    factoid_spacer(f);
    factoid_text(f, catalogue_label(label).text, kNumberHeading);
    factoid_spacer(f);
}

const ObjectiveRecord* shown_objective(const LpContext* ctx) {
    const ProblemModel& m = ctx->model;
    if (m.current_objective != nullptr) return m.current_objective;
    if (m.objectives != nullptr && m.objectives->next != nullptr) return m.objectives->next;
    return m.objectives;
}

}  // namespace

int count_problem(LpContext* ctx, ProblemCounts* out) {
    ProblemCounts c{};
    const ProblemModel& m = ctx->model;
    c.structural = m.structural_count;
    for (int32_t j = 0; j < m.structural_count; ++j) {
        ColumnRecord col{};
        const int rc = read_column(ctx, j, &col, nullptr);
        if (rc != 0) return rc;
        count_column(c, col);
    }
    c.rows = user_row_count(ctx->cuts, m.rows);
    for (int32_t i = 0; i < c.rows; ++i) {
        RowRecord row{};
        const int rc = read_row(ctx, i, &row, nullptr);
        if (rc != 0) return rc;
        count_row(c, row);
    }
    c.nonnegative = c.structural - c.fixed - c.unrestricted - c.both_bounds - c.lower_only - c.upper_only - c.integer;
    c.equality = c.rows - c.slack - c.surplus - c.objective_rows - c.free_rows;
    const double constraint_rows = static_cast<double>(c.rows - c.objective_rows);
    const double columns = static_cast<double>(c.structural) + c.slack + c.surplus;
    const double constraint_nonzeros = static_cast<double>(c.nonzeros - c.objective_nonzeros);
    c.density = constraint_rows > 0 && columns > 0 ? kPercent * constraint_nonzeros / (constraint_rows * columns) : 0.0;
    *out = c;
    return 0;
}

int print_problem_summary(LpContext* ctx) {
    if (ctx->options.printlevel <= kPrintNothing) return 0;
    ProblemCounts c{};
    const int rc = count_problem(ctx, &c);
    if (rc != 0) return rc;

    const ProblemModel& m = ctx->model;
    Factoid f = factoid_open(ctx, "Qm.Lp.ProblemSummary", "ProblemSummary", kLabelTable);
    if (const ObjectiveRecord* obj = shown_objective(ctx)) {
        const char* name = objective_name(const_cast<ObjectiveRecord*>(obj));
        named_entry(f, kLabelObjective, obj->sense >= 0.0 ? kTextMaximise : kTextMinimise, name,
                    trimmed_length(name, m.row_name_length));
    }
    const ColumnListEntry* rhs = m.current_rhs != nullptr ? m.current_rhs : m.lists[kListRhs].first;
    if (rhs != nullptr) named_entry(f, kLabelRhs, kTextRhs, rhs->name, trimmed_length(rhs->name, kMaxNameLength));
    named_entry(f, kLabelType, kTextType, m.type_variable, -1);
    factoid_double(f, catalogue_label(kLabelDensity).text, c.density, kDensityWidth, kDensityDecimals);

    heading(f, kLabelVariables);
    count_entry(f, kLabelNonNegative, c.nonnegative);
    count_entry(f, kLabelUnrestricted, c.unrestricted);
    count_entry(f, kLabelLowerOnly, c.lower_only);
    count_entry(f, kLabelUpperOnly, c.upper_only);
    count_entry(f, kLabelBothBounds, c.both_bounds);
    count_entry(f, kLabelFixed, c.fixed);
    count_entry(f, kLabelInteger, c.integer - c.binary);
    count_entry(f, kLabelBinary, c.binary);
    count_entry(f, kLabelFixedCharge, c.fixed_charge);
    count_entry(f, kLabelSlack, c.slack);
    count_entry(f, kLabelSurplus, c.surplus);
    factoid_spacer(f);
    factoid_int(f, catalogue_label(kLabelTotal).text,
                static_cast<int64_t>(c.structural) + c.fixed_charge + c.slack + c.surplus);

    heading(f, kLabelConstraints);
    count_entry(f, kLabelLessEqual, c.slack);
    count_entry(f, kLabelEquality, c.equality);
    count_entry(f, kLabelGreaterEqual, c.surplus);
    count_entry(f, kLabelFreeRows, c.free_rows);
    factoid_int(f, catalogue_label(kLabelObjectiveRows).text, c.objective_rows);
    factoid_spacer(f);
    factoid_int(f, catalogue_label(kLabelTotal).text, c.rows);
    factoid_close(f);
    return 0;
}

}  // namespace tymlp
