// tableauout.cpp -- the TABLEAUOUT data set: the reduced costs, then row k
// of the tableau B^-1 A for every basis position k.
//
// The factors hold the scaled basis B_s = R^-1 B S_B^-1 (R the row scales,
// S_B the scales of the basic columns) and the matrix store the scaled
// columns a_j / (r s_j).  So row k of the user's tableau is
//   (B^-1 A)_kj = s_j * (e_k' B_s^-1 / s_Bk) a_s,j,
// which is what one BTRAN of e_k / s_Bk followed by a product with every
// stored column, times s_j, gives; (B^-1 b)_k is (B_s^-1 b_s)_k / s_Bk.
#include <cstring>

#include "control/host_stubs.h"
#include "input/context_memory.h"
#include "input/model_records.h"
#include "input/reader_common.h"
#include "report/data_set_support.h"
#include "report/output_data_sets.h"
#include "report/reported_values.h"
#include "simplex/lu_kernel.h"
#include "simplex/work_store.h"

namespace tymlp {
namespace {

constexpr int kFixedVariables = 4;
constexpr int kNumberBytes = 8;
constexpr const char* kReducedCostRow = "R_COSTS ";

double scale_of(const double* scales, int32_t k) {
    return scales != nullptr && scales[k] != 0.0 ? scales[k] : 1.0;
}

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
    TymDataOut ds = nullptr;
    int rc = create_data_set(ctx, kDsTableauOut, n + kFixedVariables, &ds);
    if (rc != 0) return rc;
    ctx->handles.tableauout = ds;
    const int rw = row_name_width(ctx);
    const int cw = column_name_width(ctx);
    const DataSetVariable fixed[kFixedVariables] = {
        {"_OBJ_ID_", TYM_VAR_CHAR, rw, "Name of the objective row.", s.obj_id},
        {"_RHS_ID_", TYM_VAR_CHAR, cw, "Name of the right-hand-side column.", s.rhs_id},
        {"_BASIC_", TYM_VAR_CHAR, cw, "Name of the basic variable or column.", s.basic_name},
        {"INVB_R", TYM_VAR_NUMERIC, kNumberBytes, "The product of inverse of basis and rhs.", &s.tableau[0]},
    };
    for (const DataSetVariable& v : fixed)
        if ((rc = define_variable(ds, v)) != 0) return rc;
    for (int32_t j = 0; j < n; ++j) {
        ColumnRecord rec{};
        char name[kMaxNameLength + 1];
        if ((rc = read_column(ctx, j, &rec, name)) != 0) return rc;
        name[trimmed_length(name, cw)] = '\0';
        const DataSetVariable v{name, TYM_VAR_NUMERIC, kNumberBytes, "Column in the model.", &s.tableau[j + 1]};
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

// The factors can be solved with only when the last factorisation or update
// succeeded; a singular or unstable end leaves them unusable.
bool factors_usable(const LpContext* ctx) {
    const int code = ctx->solver.run_status;
    if (code == kRunSingular || code == kRunUnstable) return false;
    return ctx->solver.modulus != 0.0 && ctx->inverse.elements != nullptr;
}

struct WorkVectors {
    double* basic_values;  // B_s^-1 b_s by basis position
    double* row;           // row k of B_s^-1, by row
};

int tableau_rows(LpContext* ctx, const WorkVectors& w) {
    DataSetBuffers& s = ctx->report.sets;
    const ComputationalForm& f = ctx->form;
    const int32_t m = ctx->model.rows;
    const int32_t n = ctx->model.columns;
    const int cw = column_name_width(ctx);
    std::memcpy(w.basic_values, f.rhs, static_cast<size_t>(m) * sizeof(double));
    Solve(ctx->inverse, w.basic_values, kSolveForward);
    for (int32_t k = 0; k < m; ++k) {
        const int32_t basic = f.header[k];
        ColumnRecord rec{};
        char name[kMaxNameLength];
        int rc = read_column(ctx, basic, &rec, name);
        if (rc != 0) return rc;
        const double basic_scale = scale_of(f.column_scale, basic);
        std::memset(w.row, 0, static_cast<size_t>(m) * sizeof(double));
        w.row[k] = 1.0 / basic_scale;
        Solve(ctx->inverse, w.row, kSolveBackward);
        for (int32_t j = 0; j < n; ++j) {
            const double* values = nullptr;
            const int32_t* rows = nullptr;
            int32_t count = 0;
            if ((rc = FetchColumn(ctx, j, &values, &rows, &count)) != 0) return rc;
            double entry = 0.0;
            for (int32_t e = 0; e < count; ++e) entry += values[e] * w.row[rows[e]];
            s.tableau[j + 1] = entry * scale_of(f.column_scale, j);
        }
        s.tableau[0] = w.basic_values[k] / basic_scale;
        pad_name(s.basic_name, cw, name, cw);
        if ((rc = write_observation(ctx->handles.tableauout)) != 0) return rc;
    }
    return 0;
}

}  // namespace

int write_tableauout(LpContext* ctx) {
    if (ctx->handles.data_given[kDsTableauOut] == 0) return 0;
    const ReportBasis b = report_basis(ctx);
    if (!b.valid) return 0;
    issue_solution_notes(ctx, SolutionDataSet::Tableau);
    int rc = 0;
    if (ctx->handles.tableauout == nullptr && (rc = open_tableauout(ctx)) != 0) return rc;
    fill_block_names(ctx);
    if ((rc = write_reduced_costs(ctx, b)) != 0) return rc;
    if (!factors_usable(ctx) || ctx->form.rhs == nullptr || ctx->form.header == nullptr) return 0;

    const size_t bytes = static_cast<size_t>(ctx->model.rows) * sizeof(double);
    WorkVectors w{static_cast<double*>(ctx_alloc(ctx, bytes, TYM_ALLOC_STEP_ZERO)),
                  static_cast<double*>(ctx_alloc(ctx, bytes, TYM_ALLOC_STEP_ZERO))};
    rc = w.basic_values != nullptr && w.row != nullptr ? tableau_rows(ctx, w) : kRunMemory;
    ctx_free(ctx, w.row);
    ctx_free(ctx, w.basic_values);
    return rc;
}

}  // namespace tymlp
