// dualout.cpp -- the DUALOUT data set: one observation per row.
#include <cstring>

#include "base/host_link.h"
#include "input/model_records.h"
#include "output/reported_values.h"
#include "report/data_set_support.h"
#include "report/output_data_sets.h"
#include "simplex/solution_results.h"

namespace tymlp {
namespace {

int open_dualout(LpContext* ctx) {
    DataSetBuffers& s = ctx->report.sets;
    DualRecord& r = s.dual;
    const DataSetVariable vars[] = {
        {"_ROW_ID_", TYM_VAR_CHAR, row_name_width(ctx), "Name of the row.", s.row_name},
        {"_TYPE_", TYM_VAR_CHAR, kWordBytes, "The type of the row.", r.type},
        {"_RHS_", TYM_VAR_NUMERIC, kDataSetNumberBytes, "Input right-hand-side value.", &r.rhs},
        {"_L_RHS_", TYM_VAR_NUMERIC, kDataSetNumberBytes, "Lower range of right-hand-side value.", &r.l_rhs},
        {"_VALUE_", TYM_VAR_NUMERIC, kDataSetNumberBytes, "Activity of the left-hand-side.", &r.value},
        {"_U_RHS_", TYM_VAR_NUMERIC, kDataSetNumberBytes, "Upper range of right-hand-side value.", &r.u_rhs},
        {"_DUAL_", TYM_VAR_NUMERIC, kDataSetNumberBytes, "Dual activity of the row.", &r.dual},
    };
    return open_solution_data_set(ctx, SolutionDataSet::Dual, vars);
}

// The interval a row allows its activity: [rhs - range, rhs] for a
// less-or-equal range row, [rhs, rhs + range] for a greater-or-equal one,
// and for a ranged equality the side the sign of its range value names.
// Plain inequalities are open on their far side; equalities, free and
// fixed-charge rows keep rhs at both ends.
void set_range(const LpContext* ctx, const RowRecord& rec, DualRecord& r) {
    const uint8_t flags = rec.flags;
    const double infinity = ctx->options.infinity;
    if ((flags & kRowRange) != 0 && rec.logical_column >= 0) {
        const double range = column_upper(ctx, rec.logical_column);
        if ((flags & kRowLessEqual) != 0)
            r.l_rhs = r.rhs - range;
        else if ((flags & kRowGreaterEqual) != 0)
            r.u_rhs = r.rhs + range;
        else if ((flags & kRowEquality) != 0) {
            if (rec.link.range >= 0.0)
                r.u_rhs = r.rhs + range;
            else
                r.l_rhs = r.rhs - range;
        }
        return;
    }
    if ((flags & kRowLessEqual) != 0)
        r.l_rhs = -infinity;
    else if ((flags & kRowGreaterEqual) != 0)
        r.u_rhs = infinity;
    else if ((flags & kRowObjective) != 0) {
        r.rhs = r.l_rhs = r.u_rhs = r.value;
        r.dual = host_missing('.');
    }
}

}  // namespace

int write_dualout(LpContext* ctx) {
    ReportBasis b{};
    if (!solution_data_set_due(ctx, SolutionDataSet::Dual, &b)) return 0;
    int rc = recompute_activities(ctx);
    if (rc == 0) rc = ready_solution_data_set(ctx, SolutionDataSet::Dual, open_dualout);
    if (rc != 0) return rc;

    DataSetBuffers& s = ctx->report.sets;
    DualRecord& r = s.dual;
    const int rw = row_name_width(ctx);
    const int32_t user_rows = user_row_count(ctx->cuts, ctx->model.rows);
    for (int32_t i = 1; i < user_rows; ++i) {
        RowRecord rec{};
        char name[kMaxNameLength];
        if ((rc = read_row(ctx, i, &rec, name)) != 0) return rc;
        pad_name(s.row_name, rw, name, rw);
        std::memcpy(r.type, dual_row_type_word(rec.flags), kWordBytes);
        r.value = ctx->report.activity[i];
        r.rhs = r.l_rhs = r.u_rhs = row_rhs(ctx, i);
        r.dual = row_dual(ctx, b, i);
        set_range(ctx, rec, r);
        if ((rc = write_observation(ctx->handles.dualout)) != 0) return rc;
    }
    return 0;
}

}  // namespace tymlp
