// current_tableau.cpp -- CurrentTableau through the host's matrix request.
#include <cstring>

#include "base/context_memory.h"
#include "base/host_link.h"
#include "input/model_records.h"
#include "output/output_connection.h"
#include "output/reported_values.h"
#include "output/table_output.h"
#include "report/tableau_matrix_views.h"
#include "simplex/solution_results.h"

namespace tymlp {
namespace {

constexpr int kMsgNoTableauMemory = 209;
constexpr int kLabelTableau = 370;
constexpr const char* kReducedCostRow = "R_COSTS ";
constexpr const char* kRhsColumn = "INV(B)*R";

struct TableauBuffers {
    double* values;       // (m + 1) x (n - m + 1), column after column
    char* row_labels;     // m + 1 names
    char* column_labels;  // n - m + 1 names
    double* basic;        // m: B^-1 b
    double* row;          // n: one tableau row
    double* work;         // m: room for the tableau row
};

void release(LpContext* ctx, TableauBuffers& b) {
    ctx_free(ctx, b.values);
    ctx_free(ctx, b.row_labels);
    ctx_free(ctx, b.column_labels);
    ctx_free(ctx, b.basic);
    ctx_free(ctx, b.row);
    ctx_free(ctx, b.work);
}

int label_of(LpContext* ctx, int32_t j, char* slot, int width) {
    ColumnRecord rec{};
    char name[kMaxNameLength + 1];
    const int rc = read_column(ctx, j, &rec, name);
    if (rc == 0) pad_name(slot, width, name, column_name_width(ctx));
    return rc;
}

int fill(LpContext* ctx, TableauBuffers& b, int32_t rows, int32_t columns, int width) {
    const ComputationalForm& f = ctx->form;
    const int32_t m = ctx->model.rows;
    const ReportBasis basis = report_basis(ctx);
    auto at = [&](int32_t r, int32_t c) -> double& { return b.values[static_cast<int64_t>(c) * rows + r]; };

    pad_name(b.row_labels, width, kReducedCostRow, 8);
    pad_name(b.column_labels, width, kRhsColumn, 8);
    int rc = 0;
    for (int32_t k = 0; k < m && rc == 0; ++k) rc = label_of(ctx, f.header[k], b.row_labels + (k + 1) * width, width);
    for (int32_t c = 1; c < columns && rc == 0; ++c)
        rc = label_of(ctx, f.header[m + c - 1], b.column_labels + c * width, width);
    if (rc != 0) return rc;

    at(0, 0) = host_missing('.');
    for (int32_t c = 1; c < columns; ++c)
        if ((rc = column_reduced_cost(ctx, basis, f.header[m + c - 1], &at(0, c))) != 0) return rc;
    if (!tableau_available(ctx)) {
        for (int32_t r = 1; r < rows; ++r)
            for (int32_t c = 0; c < columns; ++c) at(r, c) = host_missing('.');
        return 0;
    }
    if ((rc = tableau_basic_values(ctx, b.basic)) != 0) return rc;
    for (int32_t k = 0; k < m; ++k) {
        if ((rc = tableau_row(ctx, k, b.work, b.row)) != 0) return rc;
        at(k + 1, 0) = b.basic[k];
        for (int32_t c = 1; c < columns; ++c) at(k + 1, c) = b.row[f.header[m + c - 1]];
    }
    return 0;
}

}  // namespace

int print_current_tableau(LpContext* ctx) {
    if (ctx->options.printlevel < 1 || ctx->form.header == nullptr) return 0;
    const int32_t m = ctx->model.rows;
    const int32_t n = ctx->model.columns;
    const int32_t rows = m + 1;
    const int32_t columns = n - m + 1;
    const int width = column_name_width(ctx) > 8 ? column_name_width(ctx) : 8;
    TableauBuffers b{};
    b.values = ctx_alloc_array<double>(ctx, static_cast<int64_t>(rows) * columns, TYM_ALLOC_STEP_ZERO);
    b.row_labels = ctx_alloc_array<char>(ctx, static_cast<int64_t>(rows) * width, TYM_ALLOC_STEP_ZERO);
    b.column_labels = ctx_alloc_array<char>(ctx, static_cast<int64_t>(columns) * width, TYM_ALLOC_STEP_ZERO);
    b.basic = ctx_alloc_array<double>(ctx, m, TYM_ALLOC_STEP_ZERO);
    b.row = ctx_alloc_array<double>(ctx, n, TYM_ALLOC_STEP_ZERO);
    b.work = ctx_alloc_array<double>(ctx, m, TYM_ALLOC_STEP_ZERO);
    if (b.values == nullptr || b.row_labels == nullptr || b.column_labels == nullptr || b.basic == nullptr ||
        b.row == nullptr || b.work == nullptr) {
        release(ctx, b);
        host_message(kMsgNoTableauMemory);
        return 0;
    }
    const int rc = fill(ctx, b, rows, columns, width);
    if (rc == 0) {
        const Label label = catalogue_label(kLabelTableau);
        const TymAttr attrs[] = {
            attr_text(TYM_TAG_HANDLE, "Qm.Lp.CurrentTableau"),
            attr_text(TYM_TAG_NAME, "CurrentTableau"),
            attr_text(TYM_TAG_LABEL, label.text),
            attr_address(TYM_TAG_MATRIX_VALUES, b.values),
            attr_int(TYM_TAG_MATRIX_ROWS, rows),
            attr_text(TYM_TAG_MATRIX_ROW_LABELS, b.row_labels, rows * width),
            attr_int(TYM_TAG_MATRIX_ROW_LABEL_WIDTH, width),
            attr_int(TYM_TAG_MATRIX_ROW_LABEL_WIDTH2, width),
            attr_int(TYM_TAG_MATRIX_COLUMNS, columns),
            attr_text(TYM_TAG_MATRIX_COLUMN_LABELS, b.column_labels, columns * width),
            attr_int(TYM_TAG_MATRIX_COLUMN_LABEL_WIDTH, width),
            attr_int(TYM_TAG_MATRIX_COLUMN_LABEL_WIDTH2, width),
            attr_int(TYM_TAG_MATRIX_LAYOUT1, 1),
            attr_int(TYM_TAG_MATRIX_LAYOUT2, 2),
            attr_int(TYM_TAG_MATRIX_FIELD, 0),
            attr_text(TYM_TAG_MATRIX_STYLE, "cb", 2),
            attr_int(TYM_TAG_MATRIX_OPTION, 1),
        };
        table_request(ctx, table_output_object(ctx), TYM_REQ_RELEASE, sizeof attrs / sizeof attrs[0], attrs);
    }
    release(ctx, b);
    return rc;
}

}  // namespace tymlp
