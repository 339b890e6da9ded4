// engine_builder.cpp -- see engine_builder.h.
#include "engine_builder.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>

#include "base/context_memory.h"
#include "base/host_link.h"
#include "control/create_context.h"
#include "control/end_run.h"
#include "input/column_lists.h"
#include "input/matrix_store.h"
#include "input/model_records.h"
#include "simplex/primal_values.h"
#include "simplex/work_store.h"

namespace enginetest {

using namespace tymlp;

namespace {

std::string padded(const std::string& name, int length) {
    std::string s = name.substr(0, static_cast<size_t>(length));
    s.resize(static_cast<size_t>(length), ' ');
    return s;
}

template <typename T>
T* alloc(LpContext* ctx, int64_t count) {
    return static_cast<T*>(
        ctx_alloc(ctx, static_cast<size_t>(std::max<int64_t>(count, 1)) * sizeof(T), TYM_ALLOC_LONG_ZERO));
}

}  // namespace

LpContext* BuildContext(const ProblemSpec& spec) {
    LpContext* ctx = nullptr;
    if (create_context(&ctx) != 0) return nullptr;
    ProblemModel& pm = ctx->model;
    const int32_t m = spec.rows;
    const int32_t n = static_cast<int32_t>(spec.columns.size());
    pm.rows = m;
    pm.columns = n;
    pm.structural_count = spec.structural;
    pm.le_rows = m;
    open_model_stores(ctx);
    for (int32_t i = 0; i < m; ++i) {
        RowRecord rec = empty_row(kRowLessEqual);
        write_row(ctx, i, rec, padded("R" + std::to_string(i), pm.row_name_length).c_str());
    }
    open_matrix_store(ctx, n);
    int64_t nonzeros = 0;
    for (int32_t j = 0; j < n; ++j) {
        const ColumnSpec& c = spec.columns[static_cast<size_t>(j)];
        ColumnRecord rec = empty_column(ctx, 0);
        write_column(ctx, j, rec, padded("C" + std::to_string(j), pm.column_name_length).c_str());
        std::vector<double> values;
        std::vector<int32_t> rows;
        for (auto [r, v] : c.entries) {
            rows.push_back(r);
            values.push_back(v);
        }
        matrix_write_column(ctx, j, values.data(), rows.data(), static_cast<int32_t>(rows.size()));
        if (j < spec.structural) nonzeros += static_cast<int64_t>(rows.size());
    }
    pm.coef_count = nonzeros;

    ComputationalForm& f = ctx->form;
    f.lower = alloc<double>(ctx, n);
    f.upper = alloc<double>(ctx, n);
    f.status = alloc<uint8_t>(ctx, n);
    f.header = alloc<int32_t>(ctx, n);
    f.rhs = alloc<double>(ctx, m);
    for (int32_t j = 0; j < n; ++j) {
        const ColumnSpec& c = spec.columns[static_cast<size_t>(j)];
        f.lower[j] = c.lower;
        f.upper[j] = c.upper;
        f.status[j] = c.status;
        f.header[j] = j;
    }
    for (int32_t i = 0; i < m && i < static_cast<int32_t>(spec.rhs.size()); ++i)
        f.rhs[i] = spec.rhs[static_cast<size_t>(i)];
    ColumnListEntry* entry = nullptr;
    if (list_append(ctx, kListRhs, "_RHS_", 5, &entry) == 0) {
        list_write_values(entry, 0, f.rhs, m);
        pm.current_rhs = entry;
    }
    ctx->options.infinity = kInf;
    return ctx;
}

int SetUpEngine(LpContext* ctx) { return SetUpWorkStore(ctx); }

void SetBasis(LpContext* ctx, const std::vector<int32_t>& basic) {
    ComputationalForm& f = ctx->form;
    const int32_t n = ctx->model.columns;
    const int32_t m = ctx->model.rows;
    for (int32_t j = 0; j < n; ++j) f.status[j] = static_cast<uint8_t>(f.status[j] & ~(kStatBasic | kStatAtUpper));
    for (int32_t j : basic) f.status[j] = static_cast<uint8_t>(f.status[j] | kStatBasic);
    RebuildHeader(ctx);
    // RebuildHeader orders the basic columns by index; put them in the order given.
    std::vector<char> is_basic(static_cast<size_t>(n), 0);
    for (int32_t j : basic) is_basic[static_cast<size_t>(j)] = 1;
    for (int32_t i = 0; i < m && i < static_cast<int32_t>(basic.size()); ++i)
        f.header[i] = basic[static_cast<size_t>(i)];
    int32_t h = m;
    for (int32_t j = 0; j < n; ++j)
        if (!is_basic[static_cast<size_t>(j)]) f.header[h++] = j;
    for (ObjectiveRecord* rec = ctx->model.objectives; rec != nullptr; rec = rec->next) {
        rec->basis_position = -1;
        for (int32_t i = 0; i < m; ++i)
            if (f.header[i] == rec->column) rec->basis_position = i;
    }
}

void DestroyContext(LpContext* ctx) {
    if (ctx == nullptr) return;
    release_run_resources(ctx, false);
    if (ctx->handles.heap != nullptr) host_heap_destroy(ctx->handles.heap);
    host_release(ctx);
}

ProblemSpec WithSlacks(ProblemSpec spec) {
    spec.columns.resize(static_cast<size_t>(spec.structural));
    for (int32_t i = 0; i < spec.rows; ++i) {
        ColumnSpec slack;
        slack.entries = {{i, 1.0}};
        spec.columns.push_back(slack);
    }
    return spec;
}

std::vector<int32_t> CrashBasis(const ProblemSpec& spec) {
    constexpr double kAcceptable = 0.1;  // pivot at least this share of the column's largest entry
    const int32_t m = spec.rows;
    std::vector<int32_t> order(static_cast<size_t>(spec.structural));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int32_t a, int32_t b) {
        return spec.columns[static_cast<size_t>(a)].entries.size() <
               spec.columns[static_cast<size_t>(b)].entries.size();
    });
    std::vector<char> touched(static_cast<size_t>(m), 0);
    std::vector<int32_t> by_row(static_cast<size_t>(m), -1);
    for (int32_t j : order) {
        const auto& entries = spec.columns[static_cast<size_t>(j)].entries;
        double largest = 0.0;
        for (auto [r, v] : entries) largest = std::max(largest, std::fabs(v));
        int32_t pivot = -1;
        double best = 0.0;
        for (auto [r, v] : entries)
            if (!touched[static_cast<size_t>(r)] && std::fabs(v) >= kAcceptable * largest && std::fabs(v) > best) {
                best = std::fabs(v);
                pivot = r;
            }
        if (pivot < 0 || largest == 0.0) continue;
        by_row[static_cast<size_t>(pivot)] = j;
        for (auto [r, v] : entries) touched[static_cast<size_t>(r)] = 1;
    }
    std::vector<int32_t> basic;
    for (int32_t i = 0; i < m; ++i)
        basic.push_back(by_row[static_cast<size_t>(i)] >= 0 ? by_row[static_cast<size_t>(i)] : spec.structural + i);
    return basic;
}

std::vector<double> BasisTimes(const ProblemSpec& spec, const std::vector<int32_t>& basic,
                               const std::vector<double>& x) {
    std::vector<double> y(static_cast<size_t>(spec.rows), 0.0);
    for (size_t k = 0; k < basic.size(); ++k)
        for (auto [r, v] : spec.columns[static_cast<size_t>(basic[k])].entries) y[static_cast<size_t>(r)] += v * x[k];
    return y;
}

}  // namespace enginetest
