// matrix_view.cpp -- the coefficient matrix as numbers (one matrix request)
// or as a picture (a data table of two-character cells and its legend).
#include <cmath>
#include <cstring>

#include "base/context_memory.h"
#include "base/host_link.h"
#include "input/model_records.h"
#include "input/reader_common.h"
#include "output/output_connection.h"
#include "output/reported_values.h"
#include "output/table_output.h"
#include "report/tableau_matrix_views.h"
#include "simplex/work_store.h"

namespace tymlp {
namespace {

constexpr int kMsgNoMemory = 201;
constexpr int kLabelGroup = 350;
constexpr int kLabelPictureData = 351;
constexpr int kLabelPicture = 352;
constexpr int kLabelMatrix = 353;
constexpr int kLabelLegendData = 354;
constexpr int kLabelLegend = 355;
constexpr int kLabelNote = 104;
constexpr int kLabelLegendFirst = 106;
constexpr int kLegendLines = 15;
constexpr int kLegendWidth = 54;
constexpr int kBoundRows = 2;  // UPPERBD, LOWERBD

bool internal_mode(int mode) { return mode == kMatrixNumbersInternal || mode == kMatrixPictureInternal; }
bool picture_mode(int mode) { return mode == kMatrixPicture || mode == kMatrixPictureInternal; }

// The matrix laid out column after column: `rows` values per column, the
// selected rows first, then the upper and lower bounds.
struct MatrixValues {
    double* values;
    int32_t rows;
    int32_t columns;
};

int fill_values(LpContext* ctx, const MatrixValues& mv, const int32_t* rows, const int32_t* columns, int mode,
                double* dense) {
    const int32_t m = ctx->model.rows;
    const bool internal = internal_mode(mode);
    const double infinity = ctx->options.infinity;
    const int32_t selected = mv.rows - kBoundRows;
    for (int32_t c = 0; c < mv.columns; ++c) {
        const int32_t j = columns[c];
        const double* values = nullptr;
        const int32_t* at = nullptr;
        int32_t count = 0;
        const int rc = FetchColumn(ctx, j, &values, &at, &count);
        if (rc != 0) return rc;
        std::memset(dense, 0, sizeof(double) * static_cast<size_t>(m));
        for (int32_t k = 0; k < count; ++k)
            dense[at[k]] = internal ? values[k] : values[k] * row_scale(ctx, at[k]) * column_scale(ctx, j);
        double* out = mv.values + static_cast<int64_t>(c) * mv.rows;
        for (int32_t r = 0; r < selected; ++r) out[r] = dense[rows[r]];
        double upper = internal ? ctx->form.upper[j] : column_upper(ctx, j);
        double lower = internal ? ctx->form.lower[j] : column_lower(ctx, j);
        if (upper >= infinity && !picture_mode(mode)) upper = host_missing('I');
        out[selected] = upper;
        out[selected + 1] = lower;
    }
    return 0;
}

// Names of the matrix rows (selected rows, then the two bound rows), each
// `width` bytes.
int row_labels(LpContext* ctx, const int32_t* rows, int32_t selected, int width, char* out) {
    for (int32_t r = 0; r < selected; ++r) {
        RowRecord rec{};
        char name[kMaxNameLength + 1];
        const int rc = read_row(ctx, rows[r], &rec, name);
        if (rc != 0) return rc;
        // The phase-1 objective's name may be longer than the user's row
        // names, which set the stored width.
        if (rows[r] == 0)
            pad_name(out + r * width, width, kPhase1Name, -1);
        else
            pad_name(out + r * width, width, name, row_name_width(ctx));
    }
    pad_name(out + selected * width, width, "UPPERBD", 7);
    pad_name(out + (selected + 1) * width, width, "LOWERBD", 7);
    return 0;
}

int column_labels(LpContext* ctx, const int32_t* columns, int32_t count, int width, char* out) {
    for (int32_t c = 0; c < count; ++c) {
        ColumnRecord rec{};
        char name[kMaxNameLength + 1];
        const int rc = read_column(ctx, columns[c], &rec, name);
        if (rc != 0) return rc;
        pad_name(out + c * width, width, name, column_name_width(ctx));
    }
    return 0;
}

void send_numbers(LpContext* ctx, const MatrixValues& mv, const char* rlabels, int rwidth, const char* clabels,
                  int cwidth) {
    const Label label = catalogue_label(kLabelMatrix);
    const Label note = catalogue_label(kLabelNote);
    const TymAttr attrs[] = {
        attr_text(TYM_TAG_HANDLE, "Qm.Lp.Matrix"),
        attr_text(TYM_TAG_NAME, "Matrix"),
        attr_text(TYM_TAG_LABEL, label.text),
        attr_address(TYM_TAG_MATRIX_VALUES, mv.values),
        attr_int(TYM_TAG_MATRIX_ROWS, mv.rows),
        attr_text(TYM_TAG_MATRIX_ROW_LABELS, rlabels, mv.rows * rwidth),
        attr_int(TYM_TAG_MATRIX_ROW_LABEL_WIDTH, rwidth),
        attr_int(TYM_TAG_MATRIX_ROW_LABEL_WIDTH2, rwidth),
        attr_int(TYM_TAG_MATRIX_COLUMNS, mv.columns),
        attr_text(TYM_TAG_MATRIX_COLUMN_LABELS, clabels, mv.columns * cwidth),
        attr_int(TYM_TAG_MATRIX_COLUMN_LABEL_WIDTH, cwidth),
        attr_int(TYM_TAG_MATRIX_COLUMN_LABEL_WIDTH2, cwidth),
        attr_text(TYM_TAG_MATRIX_FORMAT, "best9."),
        attr_int(TYM_TAG_MATRIX_FIELD, 9),
        attr_double(TYM_TAG_MATRIX_FUZZ, ctx->options.fuzz),
        attr_text(TYM_TAG_MATRIX_STYLE, "cbh", 3),
        attr_int(TYM_TAG_MATRIX_OPTION, 1),
        attr_text(TYM_TAG_MATRIX_NOTE, note.text),
    };
    table_request(ctx, table_output_object(ctx), TYM_REQ_RELEASE, sizeof attrs / sizeof attrs[0], attrs);
}

// The legend: each catalogue line cut into eight columns at fixed offsets.
void send_legend(LpContext* ctx) {
    static const int kOffsets[] = {1, 7, 15, 18, 25, 27, 33, 45};
    static const int kWidths[] = {6, 7, 2, 6, 1, 6, 7, 9};
    static const char* const kNames[] = {"c1", "c2", "c3", "c4", "c5", "c6", "c7", "c8"};
    char line[kLegendWidth + 1];
    TymObject data = table_create_data(ctx, "MatrixPictureLegendData", kLabelLegendData);
    for (int k = 0; k < 8; ++k) table_define_column(ctx, data, kColumnText, kWidths[k], kNames[k], line + kOffsets[k]);
    table_end_columns(ctx, data);
    TymObject table = table_open(ctx, data, "Qm.Lp.MatrixPictureLegend", "MatrixPictureLegend", kLabelLegend);
    for (int k = 0; k < kLegendLines; ++k) {
        std::memset(line, ' ', sizeof line);
        const Label text = catalogue_label(kLabelLegendFirst + k);
        const size_t n = std::strlen(text.text);
        std::memcpy(line, text.text, n < kLegendWidth ? n : kLegendWidth);
        table_emit_row(ctx, table);
    }
    table_finish(ctx, &table);
    table_release(ctx, &data);
}

// One text row per matrix row: the row name, then two characters a column.
void send_picture(LpContext* ctx, const MatrixValues& mv, const char* rlabels, int rwidth, const char* clabels,
                  int cwidth, char* text) {
    const int line_width = rwidth + 2 * mv.columns;
    const Label group_label = catalogue_label(kLabelGroup);
    TymObject group = table_open_group(ctx, "MatrixPictureGroup", group_label.text);
    TymObject data = table_create_data(ctx, "MatrixPictureData", kLabelPictureData);
    table_define_column(ctx, data, kColumnText, rwidth, "RowName", text);
    char name[kMaxNameLength + 1];
    for (int32_t c = 0; c < mv.columns; ++c) {
        std::memcpy(name, clabels + c * cwidth, static_cast<size_t>(cwidth));
        int len = cwidth;
        while (len > 0 && name[len - 1] == ' ') --len;
        name[len] = '\0';
        table_define_column(ctx, data, kColumnText, 2, name, text + rwidth + 2 * c);
    }
    table_end_columns(ctx, data);
    TymObject table = table_open(ctx, data, "Qm.Lp.MatrixPicture", "MatrixPicture", kLabelPicture);
    for (int32_t r = 0; r < mv.rows; ++r) {
        std::memset(text, ' ', static_cast<size_t>(line_width));
        std::memcpy(text, rlabels + r * rwidth, static_cast<size_t>(rwidth));
        for (int32_t c = 0; c < mv.columns; ++c)
            picture_cell(mv.values[static_cast<int64_t>(c) * mv.rows + r], ctx->options.fuzz, ctx->options.infinity,
                         text + rwidth + 2 * c);
        table_emit_row(ctx, table);
    }
    table_finish(ctx, &table);
    table_release(ctx, &data);
    send_legend(ctx);
    table_release(ctx, &group);
}

}  // namespace

void picture_cell(double a, double fuzz, double infinity, char out[2]) {
    out[0] = a < 0 ? '-' : ' ';
    const double v = std::fabs(a);
    if (v == infinity) {
        out[1] = '.';
        return;
    }
    const double e = fuzz;
    if (v < e) {
        out[1] = ' ';
    } else if (v < 1 - e) {
        // Z for [e, 1e-6 - e), then one letter a power of ten up to T.
        static const char kSmall[] = "ZYXWVUT";
        double top = 1e-6;
        int k = 0;
        while (k < 6 && v >= top - e) {
            top *= 10;
            ++k;
        }
        out[1] = kSmall[k];
    } else if (v < 1 + e) {
        out[1] = '1';
    } else if (v >= 1e18) {
        out[1] = '*';
    } else {
        int k = 0;
        double top = 10;
        while (v >= top && k < 17) {
            top *= 10;
            ++k;
        }
        out[1] = static_cast<char>('A' + k);
    }
}

int print_matrix(LpContext* ctx, const int32_t* rows, int32_t row_count, const int32_t* columns, int32_t column_count,
                 int mode) {
    if (ctx->options.printlevel < 1 || ctx->form.header == nullptr) return 0;
    // Lists that name nothing known print nothing (each unknown name was
    // reported where the list was read).
    if ((rows != nullptr && row_count <= 0) || (columns != nullptr && column_count <= 0)) return 0;
    const int32_t m = ctx->model.rows;
    // Without a list every row is shown, row 0 (the phase-1 objective) too.
    const int32_t selected = rows != nullptr ? row_count : m;
    const int32_t ncols = columns != nullptr ? column_count : ctx->model.structural_count;
    int rwidth = row_name_width(ctx) > 7 ? row_name_width(ctx) : 7;
    const int phase1_width = static_cast<int>(std::strlen(kPhase1Name));
    if (rows == nullptr && rwidth < phase1_width) rwidth = phase1_width;
    const int cwidth = column_name_width(ctx);
    MatrixValues mv{nullptr, selected + kBoundRows, ncols};

    int32_t* row_list = ctx_alloc_array<int32_t>(ctx, selected, TYM_ALLOC_STEP_ZERO);
    int32_t* column_list = ctx_alloc_array<int32_t>(ctx, ncols, TYM_ALLOC_STEP_ZERO);
    mv.values = ctx_alloc_array<double>(ctx, static_cast<int64_t>(mv.rows) * ncols, TYM_ALLOC_STEP_ZERO);
    double* dense = ctx_alloc_array<double>(ctx, m, TYM_ALLOC_STEP_ZERO);
    char* rlabels = ctx_alloc_array<char>(ctx, static_cast<int64_t>(mv.rows) * rwidth, TYM_ALLOC_STEP_ZERO);
    char* clabels = ctx_alloc_array<char>(ctx, static_cast<int64_t>(ncols) * cwidth, TYM_ALLOC_STEP_ZERO);
    char* text = ctx_alloc_array<char>(ctx, rwidth + 2 * static_cast<int64_t>(ncols) + 1, TYM_ALLOC_STEP_ZERO);
    int rc = 0;
    if (row_list == nullptr || column_list == nullptr || mv.values == nullptr || dense == nullptr ||
        rlabels == nullptr || clabels == nullptr || text == nullptr) {
        host_message(kMsgNoMemory);
    } else {
        for (int32_t r = 0; r < selected; ++r) row_list[r] = rows != nullptr ? rows[r] : r;
        for (int32_t c = 0; c < ncols; ++c) column_list[c] = columns != nullptr ? columns[c] : c;
        rc = fill_values(ctx, mv, row_list, column_list, mode, dense);
        if (rc == 0) rc = row_labels(ctx, row_list, selected, rwidth, rlabels);
        if (rc == 0) rc = column_labels(ctx, column_list, ncols, cwidth, clabels);
        if (rc == 0) {
            if (picture_mode(mode))
                send_picture(ctx, mv, rlabels, rwidth, clabels, cwidth, text);
            else
                send_numbers(ctx, mv, rlabels, rwidth, clabels, cwidth);
        }
    }
    ctx_free(ctx, text);
    ctx_free(ctx, clabels);
    ctx_free(ctx, rlabels);
    ctx_free(ctx, dense);
    ctx_free(ctx, mv.values);
    ctx_free(ctx, column_list);
    ctx_free(ctx, row_list);
    return rc;
}

}  // namespace tymlp
