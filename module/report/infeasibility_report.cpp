// infeasibility_report.cpp -- InfeasibilitySummary and InfeasibilityActivity.
#include "report/infeasibility_report.h"

#include <cmath>
#include <cstring>

#include "base/host_link.h"
#include "input/model_records.h"
#include "output/reported_values.h"
#include "output/table_output.h"
#include "report/factoid.h"
#include "simplex/solution_results.h"
#include "simplex/work_store.h"

namespace tymlp {
namespace {

constexpr int kLabelRowGroup = 310;
constexpr int kLabelActivityData = 311;
constexpr int kLabelRowSummary = 312;
constexpr int kLabelConstraint = 313;
constexpr int kLabelActivity = 314;
constexpr int kLabelColumnGroup = 330;
constexpr int kLabelColumnSummary = 331;
constexpr int kEntryRowName = 510;     // 511 activity, 512 type, 513 right-hand side
constexpr int kEntryColumnName = 520;  // 521 type, 522 value, 523 lower, 524 upper

bool reported(const LpContext* ctx) {
    const int level = ctx->options.printlevel;
    return ctx->solver.run_status == kRunInfeasible && level != 0 && level != -2 && ctx->form.value != nullptr;
}

int trimmed(const char* name, int width) {
    while (width > 0 && (name[width - 1] == ' ' || name[width - 1] == '\0')) --width;
    return width;
}

const char* entry(int number) {
    static Label label;
    label = catalogue_label(number);
    return label.text;
}

struct ActivityLine {
    char name[kMaxNameLength];
    double coefficient;
    double activity;
    double lower;
    double upper;
};

// The lines of row i: every structural column with a coefficient in it.
int activity_lines(LpContext* ctx, int32_t i, ActivityLine& line, TymObject table) {
    const double infinity = ctx->options.infinity;
    const int width = column_name_width(ctx);
    for (int32_t j = 0; j < ctx->model.structural_count; ++j) {
        const double* values = nullptr;
        const int32_t* rows = nullptr;
        int32_t count = 0;
        int rc = FetchColumn(ctx, j, &values, &rows, &count);
        if (rc != 0) return rc;
        double coefficient = 0;
        bool found = false;
        for (int32_t k = 0; k < count; ++k)
            if (rows[k] == i) {
                coefficient = values[k];
                found = true;
            }
        if (!found) continue;
        ColumnRecord rec{};
        char name[kMaxNameLength + 1];
        if ((rc = read_column(ctx, j, &rec, name)) != 0) return rc;
        pad_name(line.name, width, name, width);
        line.coefficient = fuzz(ctx, coefficient * row_scale(ctx, i) * column_scale(ctx, j));
        line.activity = fuzz(ctx, column_value(ctx, j));
        line.lower = fuzz(ctx, column_lower(ctx, j));
        const double upper = column_upper(ctx, j);
        line.upper = upper >= infinity ? host_missing('I') : fuzz(ctx, upper);
        table_emit_row(ctx, table);
    }
    return 0;
}

const char* violation(const LpContext* ctx, uint8_t flags, double activity, double rhs) {
    const double eps = ctx->options.epsilon;
    if ((flags & kRowFree) != 0 || (flags & kRowObjective) != 0) return nullptr;
    if ((flags & kRowLessEqual) != 0) return activity - rhs > eps ? "LE" : nullptr;
    if ((flags & kRowGreaterEqual) != 0) return activity - rhs < -eps ? "GE" : nullptr;
    if ((flags & kRowEquality) != 0) return std::fabs(rhs - activity) > eps ? "EQ" : nullptr;
    return nullptr;
}

}  // namespace

int print_infeasible_columns(LpContext* ctx) {
    if (!reported(ctx)) return 0;
    const double eps = ctx->options.epsilon;
    const double infinity = ctx->options.infinity;
    const int width = column_name_width(ctx);
    const Label group_label = catalogue_label(kLabelColumnGroup);
    TymObject group = table_open_group(ctx, "InfeasibleInformation", group_label.text);
    for (int32_t j = 0; j < ctx->model.structural_count; ++j) {
        ColumnRecord rec{};
        char name[kMaxNameLength + 1];
        const int rc = read_column(ctx, j, &rec, name);
        if (rc != 0) {
            table_release(ctx, &group);
            return rc;
        }
        const ComputationalForm& f = ctx->form;
        if (!(f.value[j] - f.lower[j] < -eps || f.upper[j] - f.value[j] < -eps)) continue;
        const int length = trimmed(name, width);
        const TymArg arg = arg_text(name, length);
        const Label label = catalogue_label(kLabelColumnSummary, &arg);
        Factoid fact = factoid_open_text(ctx, "Qm.Lp.InfeasibilitySummary", "InfeasibilitySummary", label.text);
        factoid_text(fact, entry(kEntryColumnName), name, length);
        factoid_text(fact, entry(kEntryColumnName + 1), column_type_word(rec.flags, true));
        factoid_double(fact, entry(kEntryColumnName + 2), fuzz(ctx, column_value(ctx, j)));
        const double lower = column_lower(ctx, j);
        const double upper = column_upper(ctx, j);
        if (lower <= -infinity || (rec.flags & kColUnrestricted) != 0)
            factoid_text(fact, entry(kEntryColumnName + 3), "-INFINITY");
        else
            factoid_double(fact, entry(kEntryColumnName + 3), fuzz(ctx, lower));
        if (upper >= infinity)
            factoid_text(fact, entry(kEntryColumnName + 4), "INFINITY");
        else
            factoid_double(fact, entry(kEntryColumnName + 4), fuzz(ctx, upper));
        factoid_close(fact);
    }
    table_release(ctx, &group);
    return 0;
}

int print_infeasible_rows(LpContext* ctx) {
    if (!reported(ctx)) return 0;
    int rc = recompute_activities(ctx);
    if (rc != 0) return rc;
    const int width = row_name_width(ctx);
    const Label group_label = catalogue_label(kLabelRowGroup);
    TymObject group = table_open_group(ctx, "InfeasibleInformation", group_label.text);
    ActivityLine line{};
    TymObject data = table_create_data(ctx, "InfeasibleVariableData", kLabelActivityData);
    table_define_column(ctx, data, kColumnText, column_name_width(ctx), "VarName", line.name);
    table_define_column(ctx, data, kColumnDouble, 0, "Coefficient", &line.coefficient);
    table_define_column(ctx, data, kColumnDouble, 0, "Activity", &line.activity);
    table_define_column(ctx, data, kColumnDouble, 0, "Lower", &line.lower);
    table_define_column(ctx, data, kColumnDouble, 0, "Upper", &line.upper);
    table_end_columns(ctx, data);
    const int32_t user_rows = user_row_count(ctx->cuts, ctx->model.rows);
    for (int32_t i = 0; i < user_rows && rc == 0; ++i) {
        RowRecord rec{};
        char name[kMaxNameLength + 1];
        if ((rc = read_row(ctx, i, &rec, name)) != 0) break;
        const double activity = fuzz(ctx, ctx->report.activity[i]);
        const double rhs = fuzz(ctx, row_rhs(ctx, i));
        const char* type = violation(ctx, rec.flags, activity, rhs);
        if (type == nullptr) continue;
        const int length = trimmed(name, width);
        const TymArg arg = arg_text(name, length);
        const Label constraint = catalogue_label(kLabelConstraint, &arg);
        TymObject row_group = table_open_group(ctx, "Constraint", constraint.text);
        Factoid fact = factoid_open(ctx, "Qm.Lp.InfeasibilitySummary", "InfeasibilitySummary", kLabelRowSummary);
        factoid_text(fact, entry(kEntryRowName), name, length);
        factoid_double(fact, entry(kEntryRowName + 1), activity);
        factoid_text(fact, entry(kEntryRowName + 2), type);
        factoid_double(fact, entry(kEntryRowName + 3), rhs);
        factoid_close(fact);
        TymObject table = table_open(ctx, data, "Qm.Lp.InfeasibilityActivity", "InfeasibilityActivity", kLabelActivity);
        rc = activity_lines(ctx, i, line, table);
        table_finish(ctx, &table, true);
        table_release(ctx, &row_group);
    }
    table_release(ctx, &data);
    table_release(ctx, &group);
    return rc;
}

}  // namespace tymlp
