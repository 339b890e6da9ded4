// reader_fixture.h -- a run context whose host is the mini host with the
// real data-set input of the host, so that the problem readers read real
// CSV data sets written by the test, and helpers to read back what they
// stored (rows, columns, coefficients, value columns).
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "base/context_memory.h"
#include "base/host_link.h"
#include "control/create_context.h"
#include "control/end_run.h"
#include "data/data_log.h"
#include "host_api.h"
#include "input/column_lists.h"
#include "input/dense_reader.h"
#include "input/model_records.h"
#include "input/sparse_reader.h"
#include "mini_host.h"

namespace readertest {

namespace fs = std::filesystem;

inline std::string trim(std::string s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.pop_back();
    return s;
}

struct Coef {
    int32_t index;  // the other end: column of a row entry, row of a column entry
    double value;
    bool operator==(const Coef& o) const { return index == o.index && value == o.value; }
};

struct RowInfo {
    std::string name;
    uint8_t flags = 0;
    double range = 0.0;       // link of a range row
    int32_t charged = -1;     // column of a fixed-charge row
    std::vector<Coef> coefs;  // in chain order
};

struct ColumnInfo {
    std::string name;
    uint16_t flags = 0;
    double lower = 0.0;
    double upper = 0.0;
    int32_t integer_record = -1;
    std::vector<Coef> coefs;  // in chain order
};

class ReaderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/qmlp-readertest-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        qmlp::host::HostConfig config;
        config.default_lib = dir_.string();
        qmlp::host::data_configure(config);
        // The data part's own lines (a file it cannot read) are kept, not printed.
        qmlp::host::data::set_log_observer(
            [this](qmlp::host::Severity, const std::string& text) { data_log_.push_back(text); });
        qmlp::host::data_step_begin();
        host_ = &minihost::install();
        composed_ = *minihost::host();
        composed_.vectors[TYM_VEC_DATA_IN] = qmlp::host::data_in_vector();
        tymlp::attach_host(&composed_, 0);
        ASSERT_EQ(tymlp::create_context(&ctx_), 0);
    }

    void TearDown() override {
        destroy();
        qmlp::host::data_step_end();
        qmlp::host::data::set_log_observer({});
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

    void destroy() {
        if (ctx_ == nullptr) return;
        tymlp::release_run_resources(ctx_, false);
        if (ctx_->handles.heap != nullptr) tymlp::host_heap_destroy(ctx_->handles.heap);
        tymlp::host_release(ctx_);
        ctx_ = nullptr;
    }

    // A fresh context (after a first read in the same test).
    void fresh_context() {
        destroy();
        host_->messages.clear();
        ASSERT_EQ(tymlp::create_context(&ctx_), 0);
    }

    // Writes a data set file and points DATA= at it.
    void data(const std::string& csv, const std::string& file = "problem.csv") {
        const fs::path path = dir_ / file;
        std::ofstream(path, std::ios::binary) << csv;
        TymDataRef& ref = ctx_->handles.data_ref[tymlp::kDsData];
        ref = TymDataRef{};
        std::snprintf(ref.path, sizeof ref.path, "%s", path.c_str());
        ctx_->handles.data_given[tymlp::kDsData] = 1;
    }

    // The names of a variable-list statement.
    void list(tymlp::VarListKind kind, std::initializer_list<const char*> names) {
        tymlp::VarList& l = ctx_->varlists[kind];
        l.given = 1;
        l.capacity = static_cast<int32_t>(names.size()) + 1;
        l.names = static_cast<char(*)[tymlp::kVarNameBytes]>(
            tymlp::ctx_alloc(ctx_, static_cast<size_t>(l.capacity) * tymlp::kVarNameBytes, TYM_ALLOC_LONG_ZERO));
        l.count = 0;
        for (const char* n : names) std::snprintf(l.names[l.count++], tymlp::kVarNameBytes, "%s", n);
    }

    int read_dense() { return tymlp::read_dense(ctx_); }
    int read_sparse() {
        ctx_->options.sparsedata = 1;
        return tymlp::read_sparse(ctx_);
    }

    std::vector<int> messages() const { return minihost::message_numbers(); }
    int count(int number) const {
        int n = 0;
        for (const auto& m : host_->messages) n += m.number == number ? 1 : 0;
        return n;
    }
    // Arguments of the first message `number`.
    std::vector<std::string> args(int number) const {
        for (const auto& m : host_->messages)
            if (m.number == number) return m.args;
        return {};
    }

    std::vector<RowInfo> rows() {
        std::vector<RowInfo> out;
        char name[tymlp::kMaxNameLength] = {};
        for (int32_t i = 0; i < ctx_->model.rows; ++i) {
            tymlp::RowRecord rec{};
            EXPECT_EQ(tymlp::read_row(ctx_, i, &rec, name), 0);
            RowInfo r;
            r.name = trim(std::string(name, static_cast<size_t>(ctx_->model.row_name_length)));
            r.flags = rec.flags;
            if ((rec.flags & tymlp::kRowRange) != 0) r.range = rec.link.range;
            if ((rec.flags & tymlp::kRowFixedCharge) != 0) r.charged = rec.reserved;
            int32_t k = rec.first_entry;
            for (int32_t seen = 0; k != tymlp::kNoEntry && seen < rec.entry_count; ++seen) {
                tymlp::CoefEntry e{};
                EXPECT_EQ(tymlp::read_coefficient(ctx_, k, &e), 0);
                EXPECT_EQ(e.row, i);
                r.coefs.push_back({e.column, e.value});
                k = e.next_in_row;
            }
            out.push_back(r);
        }
        return out;
    }

    std::vector<ColumnInfo> columns() {
        std::vector<ColumnInfo> out;
        char name[tymlp::kMaxNameLength] = {};
        for (int32_t j = 0; j < ctx_->model.columns; ++j) {
            tymlp::ColumnRecord rec{};
            EXPECT_EQ(tymlp::read_column(ctx_, j, &rec, name), 0);
            ColumnInfo c;
            c.name = trim(std::string(name, static_cast<size_t>(ctx_->model.column_name_length)));
            c.flags = rec.flags;
            c.lower = rec.lower;
            c.upper = rec.upper;
            c.integer_record = rec.integer_record;
            int32_t k = rec.first_entry;
            for (int32_t seen = 0; k != tymlp::kNoEntry && seen < rec.entry_count; ++seen) {
                tymlp::CoefEntry e{};
                EXPECT_EQ(tymlp::read_coefficient(ctx_, k, &e), 0);
                EXPECT_EQ(e.column, j);
                c.coefs.push_back({e.row, e.value});
                k = e.next_in_column;
            }
            out.push_back(c);
        }
        return out;
    }

    // The values of entry `index` of a value-column list (m values, or the
    // structural count for price vectors).
    std::vector<double> values(tymlp::ColumnListKind kind, int index) {
        tymlp::ColumnListEntry* e = tymlp::list_entry(ctx_, kind, index);
        if (e == nullptr) return {};
        const int32_t n = kind == tymlp::kListPriceSen ? ctx_->model.structural_count : ctx_->model.rows;
        std::vector<double> v(static_cast<size_t>(n));
        EXPECT_EQ(tymlp::list_read_values(e, 0, v.data(), n), 0);
        // Nothing beyond the last value.
        double extra = 0;
        EXPECT_NE(tymlp::list_read_values(e, n, &extra, 1), 0) << "value column longer than expected";
        return v;
    }
    std::string list_name(tymlp::ColumnListKind kind, int index) {
        tymlp::ColumnListEntry* e = tymlp::list_entry(ctx_, kind, index);
        return e == nullptr ? std::string("<none>") : trim(std::string(e->name, sizeof e->name));
    }

    // Row index by name (-1 when absent).
    int row_index(const std::string& name) {
        const auto all = rows();
        for (size_t i = 0; i < all.size(); ++i)
            if (all[i].name == name) return static_cast<int>(i);
        return -1;
    }

    fs::path dir_;
    std::vector<std::string> data_log_;
    minihost::State* host_ = nullptr;
    TymHost composed_{};
    tymlp::LpContext* ctx_ = nullptr;
};

}  // namespace readertest
