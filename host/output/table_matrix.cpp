// table_matrix.cpp -- a labelled matrix handed over in one request: values
// column after column, row and column labels as blank-padded arrays.
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "output/output_session.h"
#include "output/table_objects.h"
#include "output/text_util.h"

namespace qmlp::host::output {
namespace {

// Bounds on what one matrix request may describe.
constexpr int64_t kMaxMatrixCells = 50'000'000;
constexpr int64_t kMaxLabelWidth = 4096;

// Reads `count` labels of `width` bytes from a label array attribute.
bool read_labels(const Attrs& a, int tag, int width_tag, int64_t count, std::vector<std::string>& out) {
    const TymAttr* attr = a.find(tag);
    if (attr == nullptr) {
        out.assign(static_cast<size_t>(count), std::string());
        return true;
    }
    const int64_t width = a.integer(width_tag).value_or(0);
    if (width < 1 || width > kMaxLabelWidth) return false;
    const char* base = attr->type == TYM_ATTR_TEXT ? attr->v.s : static_cast<const char*>(attr->v.p);
    if (base == nullptr && count > 0) return false;
    if (attr->type == TYM_ATTR_TEXT && attr->len >= 0 && attr->len < width * count) return false;
    out.clear();
    for (int64_t k = 0; k < count; ++k) out.push_back(trim(counted_text(base + k * width, static_cast<int>(width))));
    return true;
}

// Field width of a "bestN." format (0 when the text is not one).
int best_width(const std::string& format) {
    if (format.size() < 6 || format.compare(0, 4, "best") != 0) return 0;
    const int w = std::atoi(format.c_str() + 4);
    return w > 0 && w <= 64 ? w : 0;
}

}  // namespace

int matrix_request(ProtoObject& target, const Attrs& a) {
    const int code = TYM_REQ_RELEASE;
    const int64_t rows = a.integer(TYM_TAG_MATRIX_ROWS).value_or(-1);
    const int64_t cols = a.integer(TYM_TAG_MATRIX_COLUMNS).value_or(-1);
    if (rows < 0 || cols < 0) return fail(code, kMissingAttribute, "the matrix has no row or column count");
    if (rows * cols > kMaxMatrixCells) return fail(code, kBadAttribute, "the matrix is too large");
    const double* values = static_cast<const double*>(a.find(TYM_TAG_MATRIX_VALUES)->v.p);
    if (values == nullptr && rows * cols > 0) return fail(code, kBadAttribute, "the matrix has no values");

    std::vector<std::string> row_labels, col_labels;
    if (!read_labels(a, TYM_TAG_MATRIX_ROW_LABELS, TYM_TAG_MATRIX_ROW_LABEL_WIDTH, rows, row_labels))
        return fail(code, kBadAttribute, "the row labels do not match their width");
    if (!read_labels(a, TYM_TAG_MATRIX_COLUMN_LABELS, TYM_TAG_MATRIX_COLUMN_LABEL_WIDTH, cols, col_labels))
        return fail(code, kBadAttribute, "the column labels do not match their width");

    const int width = best_width(a.text(TYM_TAG_MATRIX_FORMAT).value_or(""));
    const double fuzz = a.number(TYM_TAG_MATRIX_FUZZ).value_or(0.0);

    Group* group = target.kind == ObjKind::Group && !target.closed ? target.group : innermost_open_group();
    Table& t = add_table(TableKind::Matrix, group);
    t.template_path = a.text(TYM_TAG_HANDLE).value_or("");
    t.name = a.text(TYM_TAG_NAME).value_or("");
    t.label = a.text(TYM_TAG_LABEL).value_or("");
    t.note = trim(a.text(TYM_TAG_MATRIX_NOTE).value_or(""));

    Column stub;
    stub.type = ColumnType::Character;
    t.columns.push_back(stub);
    for (const std::string& label : col_labels) {
        Column c;
        c.name = label;
        c.type = ColumnType::Double;
        c.width = width;
        t.columns.push_back(c);
    }
    for (int64_t r = 0; r < rows; ++r) {
        std::vector<Cell> row;
        row.push_back(Cell::text(row_labels[static_cast<size_t>(r)]));
        for (int64_t c = 0; c < cols; ++c) {
            double v = values[c * rows + r];
            if (fuzz > 0.0 && missing_letter(v) == 0 && std::fabs(v) < fuzz) v = 0.0;
            row.push_back(Cell::number(v));
        }
        t.rows.push_back(std::move(row));
        ++t.row_count;
    }
    table_completed(t);
    return 0;
}

}  // namespace qmlp::host::output
