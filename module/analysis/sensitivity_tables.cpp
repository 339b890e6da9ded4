// sensitivity_tables.cpp -- what a change vector's analysis prints: the
// summary factoid and the activities of every column at the two ends of the
// first interval, the same at one phi of a parametric walk, and the
// parametric log of the breakpoints.
#include <cmath>
#include <cstring>

#include "analysis/change_walk.h"
#include "base/host_link.h"
#include "input/model_records.h"
#include "output/factoid.h"
#include "output/reported_values.h"
#include "output/table_output.h"
#include "simplex/solution_results.h"

namespace tymlp {
namespace {

enum SensitivityLabel : int {
    kPriceSummary = 440,
    kPriceActivitiesData = 441,
    kPriceActivitiesTable = 442,
    kPriceLogData = 443,
    kPriceLogTable = 444,
    kPriceActivityData = 445,
    kPriceActivityTable = 446,
    kRhsSummary = 480,
    kRhsActivitiesData = 481,
    kRhsActivitiesTable = 482,
    kRhsLogData = 483,
    kRhsLogTable = 484,
    kRhsActivityData = 485,
    kRhsActivityTable = 486
};

constexpr int64_t kCreatedForLog = 1;

const char* label_text(int number, Label& keep) {
    keep = catalogue_label(number);
    return keep.text;
}

void column_name(LpContext* ctx, int32_t j, char* out, int width) {
    std::memset(out, ' ', static_cast<size_t>(width));
    ColumnRecord rec{};
    char name[kMaxNameLength];
    if (j >= 0 && read_column(ctx, j, &rec, name) == 0) pad_name(out, width, name, width);
}

// What a line of the activities shows about column j, in the user's units.
struct ColumnFacts {
    bool listed;     // structural, slack or surplus
    bool objective;  // the logical column of an objective row
    bool basic;
    bool integer;
    int32_t basis_position;
    char name[kMaxNameLength];
    double activity;      // FUZZ applied
    double price;         // the objective coefficient
    double price_rate;    // the change vector's entry (price vectors)
    double reduced;       // the reduced cost (0 for a basic column)
    double reduced_rate;  // its rate along the vector (0 below EPSILON)
    double lower;
    double upper;
    double rhs_rate;  // basic: the rate of the value, B^-1 q at its position
};

ColumnFacts facts(LpContext* ctx, const ChangeWalk& walk, int32_t j) {
    const ComputationalForm& f = ctx->form;
    const ReportBasis& b = walk.basis;
    ColumnFacts c{};
    ColumnRecord rec{};
    if (read_column(ctx, j, &rec, c.name) != 0) return c;
    c.objective = (rec.flags & kColObjective) != 0;
    c.listed = j < ctx->model.structural_count || (rec.flags & (kColSlack | kColSurplus)) != 0;
    if (!c.listed) return c;
    c.basic = (f.status[j] & kStatBasic) != 0;
    c.integer = (rec.flags & (kColInteger | kColBinary)) != 0;
    c.basis_position = c.basic ? walk.position[j] : -1;
    c.activity = fuzz(ctx, column_value(ctx, j));
    column_price(ctx, b, j, &c.price);
    const double to_user = column_scale(ctx, j) * b.sense / b.column_scale;
    if (!c.basic) {
        c.reduced = walk.reduced[j] * to_user + 0.0;
        if (walk.price && std::fabs(walk.rate[j]) >= ctx->options.epsilon) c.reduced_rate = walk.rate[j] * to_user;
    } else if (!walk.price) {
        c.rhs_rate = walk.w[c.basis_position] / column_scale(ctx, j);
    }
    if (walk.price && j < ctx->model.structural_count)
        c.price_rate = walk.change[j] * column_scale(ctx, j) * row_scale(ctx, b.objective_row);
    c.lower = column_lower(ctx, j);
    c.upper = column_upper(ctx, j);
    return c;
}

// value + phi * rate at a finite phi; at an infinite one the value when the
// rate is 0, else the infinity the sign of rate * phi gives.
double along(const LpContext* ctx, double value, double rate, double phi, bool infinite) {
    if (!infinite) return fuzz(ctx, value + phi * rate);
    if (rate == 0.0) return fuzz(ctx, value);
    return (rate > 0.0) == (phi > 0.0) ? missing_plus_infinity() : missing_minus_infinity();
}

bool ordinary_zero(double v) { return host_missing_kind(v) == 0 && v == 0.0; }

// The status word of a nonbasic column from its bounds.
const char* bound_word(const LpContext* ctx, const ColumnFacts& c, bool upper_by_distance) {
    const double eps = ctx->options.epsilon;
    if (c.lower == c.upper) return "        ";
    if (std::fabs(c.activity - c.lower) < eps && c.lower != 0.0 && !c.integer) return "LOWBD   ";
    if (c.integer) return "        ";
    if (upper_by_distance ? c.upper - c.activity >= eps : std::fabs(c.activity - c.upper) >= eps) return "        ";
    return "UPPBD   ";
}

const char* basic_word(const LpContext* ctx, double a, double b) {
    const double eps = ctx->options.epsilon;
    const bool degenerate =
        host_missing_kind(a) == 0 && host_missing_kind(b) == 0 && std::fabs(a) < eps && std::fabs(b) < eps;
    return degenerate ? "DEGEN   " : "BASIC   ";
}

bool infinite_phi(const LpContext* ctx, double phi) { return std::fabs(phi) >= ctx->options.infinity; }

// The right-hand side shown on a basic column's line: the basic columns in
// column order, objective columns left out, take the rows that are not
// objective rows in index order (as many of each).
double paired_rhs(LpContext* ctx, const ChangeWalk& walk, int32_t ordinal, double phi, bool infinite) {
    if (ordinal < 0 || ordinal >= walk.rhs_row_count) return missing_value();
    const int32_t i = walk.rhs_rows[ordinal];
    return along(ctx, row_rhs(ctx, i), walk.change[i] * row_scale(ctx, i), phi, infinite);
}

// ---- the summaries

void end_entries(LpContext* ctx, const ChangeWalk& walk, Factoid& f, bool lower, double phi, int32_t column) {
    Label keep;
    const bool infinite = column < 0 || infinite_phi(ctx, phi);
    if (infinite) {
        const int text = lower ? kTextMinusInfinity : kTextPlusInfinity;
        Label value;
        factoid_text(f, label_text(lower ? kTextNoMinimumPhi : kTextNoMaximumPhi, keep), label_text(text, value));
        return;
    }
    factoid_double(f, label_text(lower ? kTextMinimumPhi : kTextMaximumPhi, keep), fuzz(ctx, phi));
    char name[kMaxNameLength];
    const int width = column_name_width(ctx);
    column_name(ctx, column, name, width);
    factoid_text(f, label_text(walk.price ? kTextEnteringColumn : kTextLeavingColumn, keep), name,
                 trimmed_name_length(name, width));
    factoid_double(f, label_text(kTextObjectiveValue, keep), fuzz(ctx, walk_objective(ctx, walk, phi)));
}

Factoid open_summary(LpContext* ctx, const ChangeWalk& walk) {
    return walk.price ? factoid_open(ctx, "Qm.Lp.PriceSensitivitySummary", "PriceSensitivitySummary", kPriceSummary)
                      : factoid_open(ctx, "Qm.Lp.RhsSensitivitySummary", "RhsSensitivitySummary", kRhsSummary);
}

void close_summary(const ChangeWalk& walk, Factoid& f) {
    factoid_key(f, walk.price ? "RowName" : "VarName", walk.name, walk.name_length);
    factoid_close(f);
}

// ---- the activities of the first interval

struct PriceActivitiesLine {
    int32_t col;
    char name[kMaxNameLength];
    char status[kWordBytes];
    double activity;
    double min_price;
    double min_reduced;
    double max_price;
    double max_reduced;
};

struct RhsActivitiesLine {
    int32_t col;
    char name[kMaxNameLength];
    char status[kWordBytes];
    double reduced;
    double min_rhs;
    double min_activity;
    double max_rhs;
    double max_activity;
};

TymObject open_price_activities(LpContext* ctx, PriceActivitiesLine& l) {
    TymObject data = table_create_data(ctx, "PriceActivitiesData", kPriceActivitiesData);
    table_define_column(ctx, data, kColumnInteger, 0, "Col", &l.col);
    table_define_column(ctx, data, kColumnText, column_name_width(ctx), "VarName", l.name);
    table_define_column(ctx, data, kColumnText, kWordBytes, "Status", l.status);
    table_define_column(ctx, data, kColumnDouble, 0, "Activity", &l.activity);
    table_define_column(ctx, data, kColumnDouble, 0, "MinPrice", &l.min_price);
    table_define_column(ctx, data, kColumnDouble, 0, "MinReducedCost", &l.min_reduced);
    table_define_column(ctx, data, kColumnDouble, 0, "MaxPrice", &l.max_price);
    table_define_column(ctx, data, kColumnDouble, 0, "MaxReducedCost", &l.max_reduced);
    table_end_columns(ctx, data);
    return table_open(ctx, data, "Qm.Lp.PriceActivities", "PriceActivities", kPriceActivitiesTable);
}

TymObject open_rhs_activities(LpContext* ctx, RhsActivitiesLine& l) {
    TymObject data = table_create_data(ctx, "RhsActivitiesData", kRhsActivitiesData);
    table_define_column(ctx, data, kColumnInteger, 0, "Col", &l.col);
    table_define_column(ctx, data, kColumnText, column_name_width(ctx), "VarName", l.name);
    table_define_column(ctx, data, kColumnText, kWordBytes, "Status", l.status);
    table_define_column(ctx, data, kColumnDouble, 0, "ReducedCost", &l.reduced);
    table_define_column(ctx, data, kColumnDouble, 0, "MinRhs", &l.min_rhs);
    table_define_column(ctx, data, kColumnDouble, 0, "MinActivity", &l.min_activity);
    table_define_column(ctx, data, kColumnDouble, 0, "MaxRhs", &l.max_rhs);
    table_define_column(ctx, data, kColumnDouble, 0, "MaxActivity", &l.max_activity);
    table_end_columns(ctx, data);
    return table_open(ctx, data, "Qm.Lp.RhsActivities", "RhsActivities", kRhsActivitiesTable);
}

void price_activities(LpContext* ctx, const ChangeWalk& walk) {
    const PhiInterval& iv = walk.interval;
    const bool low_inf = iv.lower_column < 0, high_inf = iv.upper_column < 0;
    PriceActivitiesLine l{};
    TymObject table = nullptr;
    const int width = column_name_width(ctx);
    for (int32_t j = 0; j < ctx->model.columns; ++j) {
        const ColumnFacts c = facts(ctx, walk, j);
        if (!c.listed) continue;
        l.col = j + 1;
        pad_name(l.name, width, c.name, width);
        l.activity = c.activity;
        l.min_price = along(ctx, c.price, c.price_rate, low_inf ? -1.0 : iv.lower, low_inf);
        l.max_price = along(ctx, c.price, c.price_rate, high_inf ? 1.0 : iv.upper, high_inf);
        l.min_reduced = along(ctx, c.reduced, c.reduced_rate, low_inf ? -1.0 : iv.lower, low_inf);
        l.max_reduced = along(ctx, c.reduced, c.reduced_rate, high_inf ? 1.0 : iv.upper, high_inf);
        const char* word = c.basic ? (std::fabs(c.activity) < ctx->options.epsilon ? "DEGEN   " : "BASIC   ")
                                   : bound_word(ctx, c, true);
        if (!c.basic && ordinary_zero(l.min_reduced) && ordinary_zero(l.max_reduced)) word = "ALTER   ";
        std::memcpy(l.status, word, kWordBytes);
        if (table == nullptr) table = open_price_activities(ctx, l);
        table_emit_row(ctx, table);
    }
    table_finish(ctx, &table);
}

void rhs_activities(LpContext* ctx, const ChangeWalk& walk) {
    const PhiInterval& iv = walk.interval;
    const bool low_inf = iv.lower_column < 0, high_inf = iv.upper_column < 0;
    const double low = low_inf ? -1.0 : iv.lower, high = high_inf ? 1.0 : iv.upper;
    RhsActivitiesLine l{};
    TymObject table = nullptr;
    const int width = column_name_width(ctx);
    int32_t basic_ordinal = 0;
    for (int32_t j = 0; j < ctx->model.columns; ++j) {
        const bool basic = (ctx->form.status[j] & kStatBasic) != 0;
        const ColumnFacts c = facts(ctx, walk, j);
        const int32_t ordinal = basic && !c.objective ? basic_ordinal++ : -1;
        if (!c.listed) continue;
        l.col = j + 1;
        pad_name(l.name, width, c.name, width);
        const char* word = nullptr;
        if (c.basic) {
            l.reduced = 0.0;
            l.min_activity = along(ctx, c.activity, c.rhs_rate, low, low_inf);
            l.max_activity = along(ctx, c.activity, c.rhs_rate, high, high_inf);
            l.min_rhs = paired_rhs(ctx, walk, ordinal, low, low_inf);
            l.max_rhs = paired_rhs(ctx, walk, ordinal, high, high_inf);
            word = basic_word(ctx, l.min_activity, l.max_activity);
        } else {
            l.min_activity = l.max_activity = c.activity;
            l.min_rhs = l.max_rhs = missing_value();
            l.reduced = fuzz(ctx, c.reduced);
            word = std::fabs(c.reduced) < ctx->options.epsilon ? "ALTER   " : bound_word(ctx, c, false);
        }
        std::memcpy(l.status, word, kWordBytes);
        if (table == nullptr) table = open_rhs_activities(ctx, l);
        table_emit_row(ctx, table);
    }
    table_finish(ctx, &table);
}

// ---- the report at one phi

struct PriceActivityLine {
    int32_t col;
    char name[kMaxNameLength];
    char status[kWordBytes];
    double activity;
    double price;
    double reduced;
};

struct RhsActivityLine {
    int32_t col;
    char name[kMaxNameLength];
    char status[kWordBytes];
    double reduced;
    double rhs;
    double activity;
};

TymObject open_phi_table(LpContext* ctx, const ChangeWalk& walk, void* line) {
    Label keep;
    const char* phi_text = label_text(walk.target >= 0.0 ? kTextMaximumPhi : kTextMinimumPhi, keep);
    const int width = column_name_width(ctx);
    TymObject data = nullptr;
    if (walk.price) {
        auto* l = static_cast<PriceActivityLine*>(line);
        data = table_create_data(ctx, "PriceActivityData", kPriceActivityData);
        add_by_group_key(ctx, data, "PricePhi", phi_text, -1);
        table_define_column(ctx, data, kColumnInteger, 0, "Col", &l->col);
        table_define_column(ctx, data, kColumnText, width, "VarName", l->name);
        table_define_column(ctx, data, kColumnText, kWordBytes, "Status", l->status);
        table_define_column(ctx, data, kColumnDouble, 0, "Activity", &l->activity);
        table_define_column(ctx, data, kColumnDouble, 0, "Price", &l->price);
        table_define_column(ctx, data, kColumnDouble, 0, "ReducedCost", &l->reduced);
        table_end_columns(ctx, data);
        return table_open(ctx, data, "Qm.Lp.PriceActivity", "PriceActivity", kPriceActivityTable);
    }
    auto* l = static_cast<RhsActivityLine*>(line);
    data = table_create_data(ctx, "RhsActivityData", kRhsActivityData);
    add_by_group_key(ctx, data, "RhsPhi", phi_text, -1);
    table_define_column(ctx, data, kColumnInteger, 0, "Col", &l->col);
    table_define_column(ctx, data, kColumnText, width, "VarName", l->name);
    table_define_column(ctx, data, kColumnText, kWordBytes, "Status", l->status);
    table_define_column(ctx, data, kColumnDouble, 0, "ReducedCost", &l->reduced);
    table_define_column(ctx, data, kColumnDouble, 0, "Rhs", &l->rhs);
    table_define_column(ctx, data, kColumnDouble, 0, "Activity", &l->activity);
    table_end_columns(ctx, data);
    return table_open(ctx, data, "Qm.Lp.RhsActivity", "RhsActivity", kRhsActivityTable);
}

void phi_activities(LpContext* ctx, const ChangeWalk& walk, double phi) {
    const bool infinite = infinite_phi(ctx, phi);
    PriceActivityLine pl{};
    RhsActivityLine rl{};
    TymObject table = nullptr;
    const int width = column_name_width(ctx);
    int32_t basic_ordinal = 0;
    for (int32_t j = 0; j < ctx->model.columns; ++j) {
        const bool basic = (ctx->form.status[j] & kStatBasic) != 0;
        const ColumnFacts c = facts(ctx, walk, j);
        const int32_t ordinal = basic && !c.objective ? basic_ordinal++ : -1;
        if (!c.listed) continue;
        if (walk.price) {
            pl.col = j + 1;
            pad_name(pl.name, width, c.name, width);
            pl.activity = c.activity;
            pl.price = along(ctx, c.price, c.price_rate, phi, infinite);
            pl.reduced = c.basic ? 0.0 : along(ctx, c.reduced, c.reduced_rate, phi, infinite);
            const char* word = c.basic ? (std::fabs(c.activity) < ctx->options.epsilon ? "DEGEN   " : "BASIC   ")
                               : ordinary_zero(pl.reduced) ? "ALTER   "
                                                           : bound_word(ctx, c, true);
            std::memcpy(pl.status, word, kWordBytes);
        } else {
            rl.col = j + 1;
            pad_name(rl.name, width, c.name, width);
            if (c.basic) {
                rl.reduced = 0.0;
                rl.activity = along(ctx, c.activity, c.rhs_rate, phi, infinite);
                rl.rhs = paired_rhs(ctx, walk, ordinal, phi, infinite);
                std::memcpy(rl.status, basic_word(ctx, rl.activity, rl.activity), kWordBytes);
            } else {
                rl.reduced = fuzz(ctx, c.reduced);
                rl.activity = c.activity;
                rl.rhs = missing_value();
                const char* word = std::fabs(c.reduced) < ctx->options.epsilon ? "ALTER   " : bound_word(ctx, c, false);
                std::memcpy(rl.status, word, kWordBytes);
            }
        }
        if (table == nullptr) table = open_phi_table(ctx, walk, walk.price ? static_cast<void*>(&pl) : &rl);
        table_emit_row(ctx, table);
    }
    table_finish(ctx, &table);
}

}  // namespace

void report_sensitivity(LpContext* ctx, ChangeWalk& walk) {
    const PhiInterval& iv = walk.interval;
    Factoid f = open_summary(ctx, walk);
    end_entries(ctx, walk, f, true, iv.lower, iv.lower_column);
    factoid_spacer(f);
    end_entries(ctx, walk, f, false, iv.upper, iv.upper_column);
    close_summary(walk, f);
    if (walk.price)
        price_activities(ctx, walk);
    else
        rhs_activities(ctx, walk);
}

void report_at_phi(LpContext* ctx, ChangeWalk& walk, double phi) {
    const bool upward = walk.target >= 0.0;
    Factoid f = open_summary(ctx, walk);
    Label keep;
    if (infinite_phi(ctx, phi)) {
        Label value;
        factoid_text(f, label_text(upward ? kTextNoMaximumPhi : kTextNoMinimumPhi, keep),
                     label_text(upward ? kTextPlusInfinity : kTextMinusInfinity, value));
    } else {
        factoid_double(f, label_text(upward ? kTextMaximumPhi : kTextMinimumPhi, keep), fuzz(ctx, phi));
        char name[kMaxNameLength];
        const int width = column_name_width(ctx);
        column_name(ctx, walk.price ? walk.entering : walk.leaving, name, width);
        factoid_text(f, label_text(walk.price ? kTextEnteringColumn : kTextLeavingColumn, keep), name,
                     trimmed_name_length(name, width));
        factoid_double(f, label_text(kTextObjectiveValue, keep), fuzz(ctx, walk_objective(ctx, walk, phi)));
    }
    close_summary(walk, f);
    phi_activities(ctx, walk, phi);
}

void log_breakpoint(LpContext* ctx, ChangeWalk& walk) {
    WalkLogLine& l = walk.log_line;
    const int width = column_name_width(ctx);
    if (walk.log_table == nullptr) {
        const Label label = catalogue_label(walk.price ? kPriceLogData : kRhsLogData);
        const TymAttr own[] = {attr_text(TYM_TAG_NAME, walk.price ? "PriceParametricData" : "RhsParametricData"),
                               attr_text(TYM_TAG_LABEL, label.text), attr_int(TYM_TAG_CREATE_FLAG, kCreatedForLog)};
        walk.log_data = table_create_object(ctx, "data", own);
        add_by_group_key(ctx, walk.log_data, walk.price ? "RowName" : "VarName", walk.name, walk.name_length);
        table_define_column(ctx, walk.log_data, kColumnText, width, "LeaveVar", l.leave);
        table_define_column(ctx, walk.log_data, kColumnInteger, 0, "LeaveCol", &l.leave_col);
        table_define_column(ctx, walk.log_data, kColumnText, width, "EnterVar", l.enter);
        table_define_column(ctx, walk.log_data, kColumnInteger, 0, "EnterCol", &l.enter_col);
        table_define_column(ctx, walk.log_data, kColumnDouble, 0, "ObjValue", &l.objective);
        table_define_column(ctx, walk.log_data, kColumnDouble, 0, "CurrentPhi", &l.phi);
        table_end_columns(ctx, walk.log_data);
        walk.log_table =
            walk.price
                ? table_open(ctx, walk.log_data, "Qm.Lp.PriceParametricLog", "PriceParametricLog", kPriceLogTable)
                : table_open(ctx, walk.log_data, "Qm.Lp.RhsParametricLog", "RhsParametricLog", kRhsLogTable);
    }
    column_name(ctx, walk.leaving, l.leave, width);
    column_name(ctx, walk.entering, l.enter, width);
    l.leave_col = walk.leaving + 1;
    l.enter_col = walk.entering + 1;
    const bool infinite = infinite_phi(ctx, walk.phi);
    l.objective = infinite ? walk.phi : fuzz(ctx, walk_objective(ctx, walk, walk.phi));
    l.phi = fuzz(ctx, walk.phi);
    table_emit_row(ctx, walk.log_table);
}

void close_breakpoint_log(LpContext* ctx, ChangeWalk& walk) {
    table_finish(ctx, &walk.log_table);
    table_release(ctx, &walk.log_data);
}

}  // namespace tymlp
