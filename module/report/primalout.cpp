// primalout.cpp -- the PRIMALOUT data set: one observation per column.
#include <cstring>

#include "input/model_records.h"
#include "output/reported_values.h"
#include "report/data_set_support.h"
#include "report/output_data_sets.h"
#include "simplex/solution_results.h"

namespace tymlp {
namespace {

int open_primalout(LpContext* ctx) {
    DataSetBuffers& s = ctx->report.sets;
    PrimalRecord& r = s.primal;
    const DataSetVariable vars[] = {
        {"_VAR_", TYM_VAR_CHAR, column_name_width(ctx), "Name of the variable or column.", s.var_name},
        {"_TYPE_", TYM_VAR_CHAR, kWordBytes, "The type of variable or column", r.type},
        {"_STATUS_", TYM_VAR_CHAR, kWordBytes, "Status of variable or column.", r.status},
        {"_LBOUND_", TYM_VAR_NUMERIC, kDataSetNumberBytes, "Lower bound on the variable or column.", &r.lbound},
        {"_VALUE_", TYM_VAR_NUMERIC, kDataSetNumberBytes, "Value of variable or column.", &r.value},
        {"_UBOUND_", TYM_VAR_NUMERIC, kDataSetNumberBytes, "Upper bound on the variable or column.", &r.ubound},
        {"_PRICE_", TYM_VAR_NUMERIC, kDataSetNumberBytes, "Price of variable or column.", &r.price},
        {"_R_COST_", TYM_VAR_NUMERIC, kDataSetNumberBytes, "Reduced cost.", &r.r_cost},
    };
    return open_solution_data_set(ctx, SolutionDataSet::Primal, vars);
}

// The status word: basic columns by their unscaled value (exactly 0 is
// degenerate), nonbasic ones by their bound and reduced cost.
const char* primal_status(const LpContext* ctx, int32_t j, double value, double r_cost) {
    const uint8_t status = ctx->form.status[j];
    if ((status & kStatBasic) != 0) return value != 0.0 ? "_BASIC_ " : "_DEGEN_ ";
    if ((status & kStatAtUpper) != 0) return "_UPPER_ ";
    return r_cost != 0.0 ? "        " : "_ALTER_ ";
}

}  // namespace

int write_primalout(LpContext* ctx) {
    ReportBasis b{};
    if (!solution_data_set_due(ctx, SolutionDataSet::Primal, &b)) return 0;
    int rc = ready_solution_data_set(ctx, SolutionDataSet::Primal, open_primalout);
    if (rc != 0) return rc;

    DataSetBuffers& s = ctx->report.sets;
    PrimalRecord& r = s.primal;
    const int cw = column_name_width(ctx);
    const double infinity = ctx->options.infinity;
    for (int32_t j = 0; j < ctx->model.columns; ++j) {
        if (is_cut_column(ctx->cuts, j)) continue;
        ColumnRecord rec{};
        char name[kMaxNameLength];
        if ((rc = read_column(ctx, j, &rec, name)) != 0) return rc;
        const bool basic = (ctx->form.status[j] & kStatBasic) != 0;
        const bool artificial = (rec.flags & kColArtificial) != 0 || (ctx->form.status[j] & kStatArtificial) != 0;
        if (artificial && !basic) continue;

        pad_name(s.var_name, cw, name, cw);
        std::memcpy(r.type, column_type_word(rec.flags, true), kWordBytes);
        if ((rc = column_price(ctx, b, j, &r.price)) != 0) return rc;
        r.value = column_value(ctx, j);
        r.lbound = (rec.flags & kColUnrestricted) != 0 ? -infinity : column_lower(ctx, j);
        r.ubound = column_upper(ctx, j);
        if ((rc = column_reduced_cost(ctx, b, j, &r.r_cost)) != 0) return rc;
        std::memcpy(r.status, primal_status(ctx, j, r.value, r.r_cost), kWordBytes);
        if ((rc = write_observation(ctx->handles.primalout)) != 0) return rc;
    }
    return 0;
}

}  // namespace tymlp
