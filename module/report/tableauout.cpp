// tableauout.cpp -- the TABLEAUOUT data set: the reduced costs, then row k
// of the tableau B^-1 A for every basis position k, in the user's units
// (computed by the tableau steps of simplex/solution_results.h).
#include <cstring>

#include "base/context_memory.h"
#include "base/host_link.h"
#include "input/model_records.h"
#include "input/reader_common.h"
#include "output/reported_values.h"
#include "report/data_set_support.h"
#include "report/output_data_sets.h"
#include "simplex/solution_results.h"

namespace tymlp {
namespace {

constexpr const char* kReducedCostRow = "R_COSTS ";

int open_tableauout(LpContext* ctx) {
    DataSetBuffers& s = ctx->report.sets;
    const int32_t n = ctx->model.columns;
    if (s.tableau == nullptr || s.tableau_columns != n) {
        ctx_free(ctx, s.tableau);
        const size_t bytes = (static_cast<size_t>(n) + 1) * sizeof(double);
        s.tableau = static_cast<double*>(ctx_alloc(ctx, bytes, TYM_ALLOC_LONG_ZERO));
        if (s.tableau == nullptr) return kRunMemory;
        s.tableau_columns = n;
    }
    const int cw = column_name_width(ctx);
    const DataSetVariable fixed[] = {
        {"_BASIC_", TYM_VAR_CHAR, cw, "Name of the basic variable or column.", s.basic_name},
        {"INVB_R", TYM_VAR_NUMERIC, kDataSetNumberBytes, "The product of inverse of basis and rhs.", &s.tableau[0]},
    };
    // One variable per column of the model follows, named after the column.
    int rc = open_solution_data_set(ctx, SolutionDataSet::Tableau, fixed, n);
    if (rc != 0) return rc;
    TymDataOut ds = ctx->handles.tableauout;
    for (int32_t j = 0; j < n; ++j) {
        ColumnRecord rec{};
        char name[kMaxNameLength + 1];
        if ((rc = read_column(ctx, j, &rec, name)) != 0) return rc;
        name[trimmed_length(name, cw)] = '\0';
        const DataSetVariable v{name, TYM_VAR_NUMERIC, kDataSetNumberBytes, "Column in the model.", &s.tableau[j + 1]};
        if ((rc = define_variable(ds, v)) != 0) return rc;
    }
    return 0;
}

// The reduced-cost observation.
int write_reduced_costs(LpContext* ctx, const ReportBasis& b) {
    DataSetBuffers& s = ctx->report.sets;
    pad_name(s.basic_name, column_name_width(ctx), kReducedCostRow, kWordBytes);
    s.tableau[0] = host_missing('.');
    for (int32_t j = 0; j < ctx->model.columns; ++j) {
        const int rc = column_reduced_cost(ctx, b, j, &s.tableau[j + 1]);
        if (rc != 0) return rc;
    }
    return write_observation(ctx->handles.tableauout);
}

struct WorkVectors {
    double* basic_values;  // B^-1 b by basis position, in the user's units
    double* row;           // work room of one tableau row (m entries)
};

int tableau_rows(LpContext* ctx, const WorkVectors& w) {
    DataSetBuffers& s = ctx->report.sets;
    const ComputationalForm& f = ctx->form;
    const int32_t m = ctx->model.rows;
    const int cw = column_name_width(ctx);
    int rc = tableau_basic_values(ctx, w.basic_values);
    if (rc != 0) return rc;
    for (int32_t k = 0; k < m; ++k) {
        ColumnRecord rec{};
        char name[kMaxNameLength];
        if ((rc = read_column(ctx, f.header[k], &rec, name)) != 0) return rc;
        if ((rc = tableau_row(ctx, k, w.row, &s.tableau[1])) != 0) return rc;
        s.tableau[0] = w.basic_values[k];
        pad_name(s.basic_name, cw, name, cw);
        if ((rc = write_observation(ctx->handles.tableauout)) != 0) return rc;
    }
    return 0;
}

}  // namespace

int write_tableauout(LpContext* ctx) {
    ReportBasis b{};
    if (!solution_data_set_due(ctx, SolutionDataSet::Tableau, &b)) return 0;
    int rc = ready_solution_data_set(ctx, SolutionDataSet::Tableau, open_tableauout);
    if (rc == 0) rc = write_reduced_costs(ctx, b);
    if (rc != 0) return rc;
    if (!tableau_available(ctx)) return 0;

    const size_t bytes = static_cast<size_t>(ctx->model.rows) * sizeof(double);
    WorkVectors w{static_cast<double*>(ctx_alloc(ctx, bytes, TYM_ALLOC_STEP_ZERO)),
                  static_cast<double*>(ctx_alloc(ctx, bytes, TYM_ALLOC_STEP_ZERO))};
    rc = w.basic_values != nullptr && w.row != nullptr ? tableau_rows(ctx, w) : kRunMemory;
    ctx_free(ctx, w.row);
    ctx_free(ctx, w.basic_values);
    return rc;
}

}  // namespace tymlp
