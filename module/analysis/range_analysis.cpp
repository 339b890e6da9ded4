// range_analysis.cpp -- RhsRangeSummary and PriceRangeSummary.
//
// Both are the sensitivity interval of a unit change vector: e_i / r_i for
// the right-hand side of row i (one FTRAN per row, then the bounds of every
// basic column), u e_j for the price of column j with u = 1 / (r_o s_j)
// (one BTRAN per basic column, then the reduced costs of the nonbasic
// columns; a nonbasic column's own reduced cost is all that moves with its
// price).  phi is then the change in the user's units.
#include "analysis/range_analysis.h"

#include <cmath>
#include <cstring>

#include "analysis/analysis_support.h"
#include "analysis/nonbasic_rows.h"
#include "analysis/scratch_array.h"
#include "base/host_link.h"
#include "factor/factor_entries.h"
#include "input/model_records.h"
#include "output/reported_values.h"
#include "output/table_output.h"
#include "simplex/pricing_vector.h"
#include "simplex/solution_results.h"

namespace tymlp {
namespace {

enum RangeLabel : int { kRhsData = 390, kRhsTable = 391, kPriceData = 410, kPriceTable = 411 };

// A limiting column's name into a blank-padded buffer, or "." with blanks.
int limiting_name(LpContext* ctx, int32_t column, char* out, int width) {
    std::memset(out, ' ', static_cast<size_t>(width));
    if (column < 0) {
        out[0] = '.';
        return 0;
    }
    ColumnRecord rec{};
    char name[kMaxNameLength];
    const int rc = read_column(ctx, column, &rec, name);
    if (rc == 0) pad_name(out, width, name, width);
    return rc;
}

struct RhsLine {
    char row[kMaxNameLength];
    double min_rhs;
    char min_leave[kMaxNameLength];
    double min_obj;
    char max_leave[kMaxNameLength];
    double max_rhs;
    double max_obj;
};

struct PriceLine {
    int32_t col;
    char name[kMaxNameLength];
    double min_price;
    char min_enter[kMaxNameLength];
    double min_obj;
    char max_enter[kMaxNameLength];
    double max_price;
    double max_obj;
};

TymObject open_rhs_table(LpContext* ctx, RhsLine& line) {
    const int rw = row_name_width(ctx);
    const int cw = column_name_width(ctx);
    TymObject data = table_create_data(ctx, "RhsRangeSummaryData", kRhsData);
    table_define_column(ctx, data, kColumnText, rw, "RowName", line.row);
    table_define_column(ctx, data, kColumnDouble, 0, "MinRhs", &line.min_rhs);
    table_define_column(ctx, data, kColumnText, cw, "MinLeaveVar", line.min_leave);
    table_define_column(ctx, data, kColumnDouble, 0, "MinObj", &line.min_obj);
    table_define_column(ctx, data, kColumnText, cw, "MaxLeaveVar", line.max_leave);
    table_define_column(ctx, data, kColumnDouble, 0, "MaxRhs", &line.max_rhs);
    table_define_column(ctx, data, kColumnDouble, 0, "MaxObj", &line.max_obj);
    table_end_columns(ctx, data);
    return table_open(ctx, data, "Qm.Lp.RhsRangeSummary", "RhsRangeSummary", kRhsTable);
}

TymObject open_price_table(LpContext* ctx, PriceLine& line) {
    const int cw = column_name_width(ctx);
    TymObject data = table_create_data(ctx, "PriceRangeSummaryData", kPriceData);
    table_define_column(ctx, data, kColumnInteger, 0, "Col", &line.col);
    table_define_column(ctx, data, kColumnText, cw, "VarName", line.name);
    table_define_column(ctx, data, kColumnDouble, 0, "MinPrice", &line.min_price);
    table_define_column(ctx, data, kColumnText, cw, "MinEnterVar", line.min_enter);
    table_define_column(ctx, data, kColumnDouble, 0, "MinObj", &line.min_obj);
    table_define_column(ctx, data, kColumnText, cw, "MaxEnterVar", line.max_enter);
    table_define_column(ctx, data, kColumnDouble, 0, "MaxPrice", &line.max_price);
    table_define_column(ctx, data, kColumnDouble, 0, "MaxObj", &line.max_obj);
    table_end_columns(ctx, data);
    return table_open(ctx, data, "Qm.Lp.PriceRangeSummary", "PriceRangeSummary", kPriceTable);
}

// One RHS line: w = B^-1 e_i / r_i, then the bounds of the basic columns.
int rhs_line(LpContext* ctx, const ReportBasis& b, int32_t i, int32_t objective_position, double* w, RhsLine& line) {
    const int32_t m = ctx->model.rows;
    const int cw = column_name_width(ctx);
    std::memset(w, 0, static_cast<size_t>(m) * sizeof(double));
    w[i] = 1.0 / row_scale(ctx, i);
    ctx->entries.factor->ftran(ctx->inverse, w);
    PhiInterval iv = unbounded_interval(ctx);
    for (int32_t k = 0; k < m; ++k)
        if (std::fabs(w[k]) >= ctx->options.epsilon) narrow_by_basic_value(ctx, iv, k, w[k], 0.0, 0.0);

    const double rhs = row_rhs(ctx, i);
    const double objective = current_objective(ctx, b);
    const double objective_rate = objective_position >= 0 ? w[objective_position] / b.column_scale : 0.0;
    if (iv.lower_column >= 0) {
        line.min_rhs = fuzz(ctx, rhs + iv.lower);
        line.min_obj = fuzz(ctx, objective + objective_rate * iv.lower);
    } else {
        line.min_rhs = missing_minus_infinity();
        line.min_obj = missing_value();
    }
    if (iv.upper_column >= 0) {
        line.max_rhs = fuzz(ctx, rhs + iv.upper);
        line.max_obj = fuzz(ctx, objective + objective_rate * iv.upper);
    } else {
        line.max_rhs = missing_plus_infinity();
        line.max_obj = missing_value();
    }
    int rc = limiting_name(ctx, iv.lower_column, line.min_leave, cw);
    if (rc == 0) rc = limiting_name(ctx, iv.upper_column, line.max_leave, cw);
    return rc;
}

// The work arrays of the price ranges.
struct PriceWork {
    double* reduced;    // n: stored reduced costs of the nonbasic columns
    int32_t* position;  // n: header position of each column
    double* w;          // m
    double* acc;        // n: -w'a_v of the touched columns
    uint8_t* mark;      // n
    int32_t* touched;   // n
};

// The interval of column j's price change, phi in the user's units.
PhiInterval price_interval(LpContext* ctx, const ReportBasis& b, const NonbasicRows& rows, PriceWork& pw, int32_t j) {
    const ComputationalForm& f = ctx->form;
    const int32_t m = ctx->model.rows;
    const double u = 1.0 / (row_scale(ctx, b.objective_row) * column_scale(ctx, j));
    const double kappa = reduced_cost_rate_factor(ctx, b);
    PhiInterval iv = unbounded_interval(ctx);
    const int32_t h = pw.position[j];
    if ((f.status[j] & kStatBasic) == 0) {
        if (!excluded_from_entering(ctx, j)) narrow_by_reduced_cost(ctx, iv, j, h, pw.reduced[j], kappa * u);
        return iv;
    }
    std::memset(pw.w, 0, static_cast<size_t>(m) * sizeof(double));
    pw.w[h] = u;
    ctx->entries.factor->btran(ctx->inverse, pw.w);
    const int32_t count = rows.accumulate(pw.w, m, pw.acc, pw.mark, pw.touched);
    for (int32_t t = 0; t < count; ++t) {
        const int32_t v = pw.touched[t];
        narrow_by_reduced_cost(ctx, iv, v, pw.position[v], pw.reduced[v], kappa * pw.acc[v]);
        pw.acc[v] = 0.0;
        pw.mark[v] = 0;
    }
    return iv;
}

// The ends of one price line.  An end without a limiting column is
// infinite; the objective there follows the column's value.
void price_ends(LpContext* ctx, const ReportBasis& b, int32_t j, const PhiInterval& iv, PriceLine& line) {
    double price = 0.0;
    column_price(ctx, b, j, &price);
    const double value = fuzz(ctx, column_value(ctx, j));
    const double objective = current_objective(ctx, b);
    if (iv.lower_column >= 0) {
        line.min_price = fuzz(ctx, price + iv.lower);
        line.min_obj = fuzz(ctx, value * iv.lower + objective);
    } else {
        line.min_price = missing_minus_infinity();
        line.min_obj = value == 0.0  ? fuzz(ctx, objective)
                       : value > 0.0 ? missing_minus_infinity()
                                     : missing_plus_infinity();
    }
    if (iv.upper_column >= 0) {
        line.max_price = fuzz(ctx, price + iv.upper);
        line.max_obj = fuzz(ctx, value * iv.upper + objective);
    } else {
        line.max_price = missing_plus_infinity();
        line.max_obj = value == 0.0  ? fuzz(ctx, objective)
                       : value > 0.0 ? missing_plus_infinity()
                                     : missing_minus_infinity();
    }
}

bool ranged_column(const LpContext* ctx, int32_t j, const ColumnRecord& rec) {
    return j < ctx->model.structural_count || (rec.flags & (kColSlack | kColSurplus)) != 0;
}

}  // namespace

int print_rhs_range_summary(LpContext* ctx) {
    if (!analysis_may_run(ctx, ctx->options.rangerhs != 0, kMsgIntegerRange)) return 0;
    const ReportBasis b = report_basis(ctx);
    const int32_t m = ctx->model.rows;
    ScratchArray<double> w(static_cast<size_t>(m));
    if (!w.ok()) {
        host_message(kMsgNoAnalysisMemory);
        return 0;
    }
    const int32_t objective_position = ObjectiveBasisPosition(ctx, ctx->model.current_objective);
    RhsLine line{};
    TymObject table = nullptr;
    int rc = 0;
    for (int32_t i = 0; i < m && rc == 0; ++i) {
        RowRecord row{};
        char name[kMaxNameLength];
        rc = read_row(ctx, i, &row, name);
        if (rc != 0 || (row.flags & kRowObjective) != 0) continue;
        pad_name(line.row, row_name_width(ctx), name, row_name_width(ctx));
        rc = rhs_line(ctx, b, i, objective_position, w.get(), line);
        if (rc != 0) break;
        if (table == nullptr) table = open_rhs_table(ctx, line);
        table_emit_row(ctx, table);
    }
    table_finish(ctx, &table);
    return rc;
}

int print_price_range_summary(LpContext* ctx) {
    if (!analysis_may_run(ctx, ctx->options.rangeprice != 0, kMsgIntegerRange)) return 0;
    const ReportBasis b = report_basis(ctx);
    const int32_t m = ctx->model.rows;
    const int32_t n = ctx->model.columns;
    ScratchArray<double> reduced(static_cast<size_t>(n)), acc(static_cast<size_t>(n)), w(static_cast<size_t>(m));
    ScratchArray<int32_t> position(static_cast<size_t>(n)), touched(static_cast<size_t>(n));
    ScratchArray<uint8_t> mark(static_cast<size_t>(n));
    NonbasicRows rows;
    int rc = reduced.ok() && acc.ok() && w.ok() && position.ok() && touched.ok() && mark.ok() ? 0 : kRunMemory;
    if (rc == 0) rc = rows.build(ctx);
    if (rc == kRunMemory) {
        host_message(kMsgNoAnalysisMemory);
        return 0;
    }
    if (rc == 0) rc = nonbasic_reduced_costs(ctx, b, reduced.get());
    if (rc != 0) return rc;
    for (int32_t h = 0; h < n; ++h) position[static_cast<size_t>(ctx->form.header[h])] = h;
    PriceWork pw{reduced.get(), position.get(), w.get(), acc.get(), mark.get(), touched.get()};

    const int cw = column_name_width(ctx);
    PriceLine line{};
    TymObject table = nullptr;
    for (int32_t j = 0; j < n && rc == 0; ++j) {
        ColumnRecord rec{};
        char name[kMaxNameLength];
        rc = read_column(ctx, j, &rec, name);
        if (rc != 0 || !ranged_column(ctx, j, rec)) continue;
        const PhiInterval iv = price_interval(ctx, b, rows, pw, j);
        line.col = j + 1;
        pad_name(line.name, cw, name, cw);
        price_ends(ctx, b, j, iv, line);
        rc = limiting_name(ctx, iv.lower_column, line.min_enter, cw);
        if (rc == 0) rc = limiting_name(ctx, iv.upper_column, line.max_enter, cw);
        if (rc != 0) break;
        if (table == nullptr) table = open_price_table(ctx, line);
        table_emit_row(ctx, table);
    }
    table_finish(ctx, &table);
    return rc;
}

}  // namespace tymlp
