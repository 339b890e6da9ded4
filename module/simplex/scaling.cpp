// scaling.cpp -- row and column factors that bring the coefficients closer
// to 1.  Every factor is a power of two, so dividing by it changes only the
// exponent of a stored value and unscaling is exact.
#include "simplex/scaling.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "base/host_link.h"
#include "input/column_lists.h"
#include "input/matrix_store.h"
#include "input/model_records.h"
#include "simplex/work_store.h"

namespace tymlp {
namespace {

constexpr int kMsgTinyCoefficient = 214;
constexpr int kMsgTooManyTiny = 243;
constexpr int32_t kTinyReports = 100;

bool scales_columns(int16_t scale) { return scale == kScaleColumns || scale == kScaleBoth; }
bool scales_rows(int16_t scale) { return scale == kScaleRows || scale == kScaleBoth; }

// A fetched column's values belong to the work store's copy; scaling
// changes them there and then writes the copy back to the matrix store.
double* writable(const double* values) { return const_cast<double*>(values); }

bool finite_bound(const LpContext* ctx, double b) { return std::fabs(b) < ctx->options.infinity; }

// Multiplies the finite bounds of column j by `factor` (x_scaled = s_j x).
void scale_bounds(LpContext* ctx, int32_t j, double factor) {
    ComputationalForm& f = ctx->form;
    if (f.lower != nullptr && finite_bound(ctx, f.lower[j])) f.lower[j] *= factor;
    if (f.upper != nullptr && finite_bound(ctx, f.upper[j])) f.upper[j] *= factor;
}

// The factor of one column: its largest magnitude, or the geometric mean of
// its largest and smallest, rounded to a power of two.
double column_factor(const double* values, int32_t count, int16_t scaletype) {
    double largest = 0.0;
    double smallest = 0.0;
    for (int32_t k = 0; k < count; ++k) {
        const double a = std::fabs(values[k]);
        if (a == 0.0) continue;
        largest = std::max(largest, a);
        smallest = smallest == 0.0 ? a : std::min(smallest, a);
    }
    if (largest == 0.0) largest = 1.0;
    if (smallest == 0.0) smallest = 1.0;
    const double t = scaletype == kScaleGeometric ? std::sqrt(largest * smallest) : largest;
    return RoundToPowerOfTwo(t);
}

// Where scaled columns go back to the matrix store.  The passes run from
// the last column to the first, which would move the store's file window
// back once per column; so the columns are first all fetched in file order
// and, when every one of them is then held in memory, the rewrites are
// collected and made in file order after the passes.
struct Rewrites {
    int32_t* order = nullptr;  // columns in ascending file position
    uint8_t* dirty = nullptr;  // 1 for a column whose copy awaits its rewrite
    bool deferred = false;     // every column is held in memory
};

int rewrite(LpContext* ctx, Rewrites& w, int32_t j, const double* values, const int32_t* rows) {
    if (!w.deferred) return matrix_rewrite_column(ctx, j, values, rows);
    w.dirty[j] = 1;
    return 0;
}

// Fetches every column in file order; the rewrites are deferred when all of
// them are then cached.  Returns 0 or the status of a failed read.
int warm_cache(LpContext* ctx, Rewrites& w) {
    const ProblemModel& pm = ctx->model;
    const int32_t n = pm.columns;
    if (w.order == nullptr || w.dirty == nullptr || pm.directory == nullptr || n > pm.directory_size) return 0;
    for (int32_t j = 0; j < n; ++j) w.order[j] = j;
    const ColumnDirItem* directory = pm.directory;
    std::sort(w.order, w.order + n,
              [directory](int32_t a, int32_t b) { return directory[a].position < directory[b].position; });
    std::memset(w.dirty, 0, static_cast<size_t>(n));
    for (int32_t k = 0; k < n; ++k) {
        const double* values = nullptr;
        const int32_t* rows = nullptr;
        int32_t count = 0;
        const int rc = FetchColumn(ctx, w.order[k], &values, &rows, &count);
        if (rc == kRunMemory) return 0;  // the passes fetch (and report) as they go
        if (rc != 0) return rc;
    }
    w.deferred = true;
    for (int32_t j = 0; j < n && w.deferred; ++j)
        if (directory[j].count > 0 && directory[j].cached == nullptr) w.deferred = false;
    return 0;
}

// The deferred rewrites, in file order.
int flush_rewrites(LpContext* ctx, Rewrites& w) {
    if (!w.deferred) return 0;
    w.deferred = false;
    for (int32_t k = 0; k < ctx->model.columns; ++k) {
        const int32_t j = w.order[k];
        if (w.dirty[j] == 0) continue;
        const double* values = nullptr;
        const int32_t* rows = nullptr;
        int32_t count = 0;
        int rc = FetchColumn(ctx, j, &values, &rows, &count);
        if (rc == 0) rc = matrix_rewrite_column(ctx, j, values, rows);
        if (rc != 0) return rc;
    }
    return 0;
}

int scale_columns(LpContext* ctx, Rewrites& w) {
    ComputationalForm& f = ctx->form;
    for (int32_t j = ctx->model.structural_count - 1; j >= 0; --j) {
        if (f.status != nullptr && (f.status[j] & kStatInteger) != 0) continue;
        const double* values = nullptr;
        const int32_t* rows = nullptr;
        int32_t count = 0;
        int rc = FetchColumn(ctx, j, &values, &rows, &count);
        if (rc != 0) return rc;
        const double s = column_factor(values, count, ctx->options.scaletype);
        if (s == 1.0) continue;
        double* v = writable(values);
        for (int32_t k = 0; k < count; ++k) v[k] /= s;
        f.column_scale[j] = s;
        scale_bounds(ctx, j, s);
        rc = rewrite(ctx, w, j, values, rows);
        if (rc != 0) return rc;
    }
    return 0;
}

// The right-hand side the row factors take into account: the current
// right-hand-side column, else the first one; none reads as zeros.
int read_rhs(LpContext* ctx, double* b) {
    const int32_t m = ctx->model.rows;
    std::memset(b, 0, static_cast<size_t>(m) * sizeof(double));
    ColumnListEntry* entry = ctx->model.current_rhs;
    if (entry == nullptr) entry = list_entry(ctx, kListRhs, 0);
    if (entry == nullptr) return 0;
    return list_read_values(entry, 0, b, m);
}

// The factor of one row from the magnitudes of its entries and of its
// right-hand side.  The right-hand side takes part so that the scaled
// values stay near 1 too; but it must never make an entry vanish: when the
// factor it leads to would put a nonzero entry of the row below EPSILON (so
// that pricing and the ratio tests would read it as zero and a feasible row
// as violated), the factor comes from the entries alone.
double row_factor(const LpContext* ctx, double largest, double smallest, double rhs) {
    const double none = std::numeric_limits<double>::infinity();
    const bool geometric = ctx->options.scaletype == kScaleGeometric;
    auto factor = [geometric, none](double big, double small) {
        double t = big;
        if (geometric && small != none) t = std::sqrt(big * small);
        return RoundToPowerOfTwo(t == 0.0 ? 1.0 : t);
    };
    const double with_rhs = factor(std::max(largest, rhs), rhs == 0.0 ? smallest : std::min(smallest, rhs));
    if (smallest == none || smallest / with_rhs >= ctx->options.epsilon) return with_rhs;
    return factor(largest, smallest);
}

int row_factors(LpContext* ctx, double* largest, double* smallest, double* rhs) {
    const int32_t m = ctx->model.rows;
    const double none = std::numeric_limits<double>::infinity();
    int rc = read_rhs(ctx, rhs);
    if (rc != 0) return rc;
    for (int32_t i = 0; i < m; ++i) {
        rhs[i] = std::fabs(rhs[i]);
        largest[i] = 0.0;
        smallest[i] = none;
    }
    for (int32_t j = 0; j < ctx->model.structural_count; ++j) {
        const double* values = nullptr;
        const int32_t* rows = nullptr;
        int32_t count = 0;
        rc = FetchColumn(ctx, j, &values, &rows, &count);
        if (rc != 0) return rc;
        for (int32_t k = 0; k < count; ++k) {
            const double a = std::fabs(values[k]);
            if (a == 0.0) continue;
            largest[rows[k]] = std::max(largest[rows[k]], a);
            smallest[rows[k]] = std::min(smallest[rows[k]], a);
        }
    }
    double* r = ctx->form.row_scale;
    for (int32_t i = 0; i < m; ++i) r[i] = row_factor(ctx, largest[i], smallest[i], rhs[i]);
    return 0;
}

// Divides every entry by its row's factor.  A logical column keeps its +-1
// and takes the row factor into its own factor instead, which rescales its
// finite bounds the same way (a range row's logical has a finite upper bound).
int scale_rows(LpContext* ctx, Rewrites& w, double* largest, double* smallest, double* rhs) {
    int rc = row_factors(ctx, largest, smallest, rhs);
    if (rc != 0) return rc;
    ComputationalForm& f = ctx->form;
    const double* r = f.row_scale;
    for (int32_t j = ctx->model.columns - 1; j >= 0; --j) {
        const double* values = nullptr;
        const int32_t* rows = nullptr;
        int32_t count = 0;
        rc = FetchColumn(ctx, j, &values, &rows, &count);
        if (rc != 0) return rc;
        if (count == 0) continue;
        if (j >= ctx->model.structural_count && count == 1) {
            const double ri = r[rows[0]];
            if (ri == 1.0) continue;
            f.column_scale[j] /= ri;
            scale_bounds(ctx, j, 1.0 / ri);
            continue;  // the stored +-1 does not change
        }
        bool changed = false;
        double* v = writable(values);
        for (int32_t k = 0; k < count; ++k) {
            if (r[rows[k]] == 1.0) continue;
            v[k] /= r[rows[k]];
            changed = true;
        }
        if (!changed) continue;
        rc = rewrite(ctx, w, j, values, rows);
        if (rc != 0) return rc;
    }
    return 0;
}

int read_names(LpContext* ctx, int32_t row, int32_t column, char* row_name, char* column_name) {
    RowRecord rrec{};
    ColumnRecord crec{};
    int rc = read_row(ctx, row, &rrec, row_name);
    if (rc == 0) rc = read_column(ctx, column, &crec, column_name);
    return rc;
}

}  // namespace

double RoundToPowerOfTwo(double t) {
    if (!(t > 0.0) || !std::isfinite(t)) return 1.0;
    double p = 1.0;
    if (t < 1.0) {
        while (p >= t) p *= 0.5;
        return t - p < 2.0 * p - t ? p : 2.0 * p;
    }
    while (p <= t) p *= 2.0;
    return t - p / 2.0 < p - t ? p / 2.0 : p;
}

void DivideRhsByRowScale(const LpContext* ctx, double* rhs) {
    const double* r = ctx->form.row_scale;
    if (rhs == nullptr || r == nullptr || !scales_rows(ctx->options.scale)) return;
    for (int32_t i = 0; i < ctx->model.rows; ++i) rhs[i] /= r[i];
}

int ScaleProblem(LpContext* ctx) {
    LpOptions& o = ctx->options;
    ComputationalForm& f = ctx->form;
    const int32_t m = ctx->model.rows;
    std::fill(f.row_scale, f.row_scale + m, 1.0);
    std::fill(f.column_scale, f.column_scale + ctx->model.columns, 1.0);
    const size_t bytes = static_cast<size_t>(std::max(m, 1)) * sizeof(double);
    auto* largest = static_cast<double*>(host_alloc(bytes, TYM_ALLOC_STEP));
    auto* smallest = static_cast<double*>(host_alloc(bytes, TYM_ALLOC_STEP));
    auto* rhs = static_cast<double*>(host_alloc(bytes, TYM_ALLOC_STEP));
    int rc = largest != nullptr && smallest != nullptr && rhs != nullptr ? 0 : kRunMemory;
    Rewrites w;
    if (rc == 0 && o.scale != kScaleNone) {
        // Without room for the file order the rewrites are made as they come.
        const size_t n = static_cast<size_t>(std::max(ctx->model.columns, 1));
        w.order = static_cast<int32_t*>(host_alloc(n * sizeof(int32_t), TYM_ALLOC_STEP));
        w.dirty = static_cast<uint8_t*>(host_alloc(n, TYM_ALLOC_STEP));
        rc = warm_cache(ctx, w);
    }
    if (rc == 0 && scales_columns(o.scale)) rc = scale_columns(ctx, w);
    if (rc == 0 && scales_rows(o.scale)) rc = scale_rows(ctx, w, largest, smallest, rhs);
    if (rc == 0) rc = flush_rewrites(ctx, w);
    if (rc == 0 && o.scale != kScaleNone && CheckTinyCoefficients(ctx) != 0) rc = kRunMemory;
    if (DropOverflow(ctx) != 1) EmptyCache(ctx);
    if (w.order != nullptr) host_release(w.order);
    if (w.dirty != nullptr) host_release(w.dirty);
    host_release(largest);
    host_release(smallest);
    host_release(rhs);
    return rc;
}

int CheckTinyCoefficients(LpContext* ctx) {
    char row_name[kMaxNameLength + 1] = {};
    char column_name[kMaxNameLength + 1] = {};
    const int row_len = std::min<int>(ctx->model.row_name_length, kMaxNameLength);
    const int col_len = std::min<int>(ctx->model.column_name_length, kMaxNameLength);
    int32_t reports = 0;
    for (int32_t j = 0; j < ctx->model.structural_count; ++j) {
        const double* values = nullptr;
        const int32_t* rows = nullptr;
        int32_t count = 0;
        const int rc = FetchColumn(ctx, j, &values, &rows, &count);
        if (rc != 0) return rc;
        for (int32_t k = 0; k < count; ++k) {
            if (!(std::fabs(values[k]) < ctx->options.epsilon)) continue;
            if (reports == kTinyReports) {
                host_message(kMsgTooManyTiny);
                return 0;
            }
            ++reports;
            if (read_names(ctx, rows[k], j, row_name, column_name) != 0) {
                std::memset(row_name, ' ', static_cast<size_t>(row_len));
                std::memset(column_name, ' ', static_cast<size_t>(col_len));
            }
            const TymArg args[] = {arg_text(row_name, row_len), arg_text(column_name, col_len)};
            host_message(kMsgTinyCoefficient, 2, args);
        }
    }
    return 0;
}

}  // namespace tymlp
