// report_lines_test.cpp -- which lines the variable and constraint
// summaries show, and how they are marked, on a hand-set solution: lists
// and selection modes, violated rows in optimal and infeasible endings.
#include <algorithm>
#include <cmath>
#include <fstream>

#include "report/constraint_summary.h"
#include "report/output_data_sets.h"
#include "report/variable_summary.h"
#include "simplex/invert.h"
#include "small_context.h"

namespace reporttest {
namespace {

using namespace tymlp;

class Lines : public SmallContext {
  protected:
    void end_as(int status) {
        ctx_->solver.run_status = status;
        ctx_->solver.optimal = status == kRunOk ? 1 : 0;
        ctx_->solver.primal_feasible = status == kRunOk ? 1 : 0;
    }
    void make_integer(int32_t j) {
        ColumnRecord rec{};
        char name[kMaxNameLength];
        ASSERT_EQ(read_column(ctx_, j, &rec, name), 0);
        rec.flags = static_cast<uint16_t>(rec.flags | kColInteger);
        ASSERT_EQ(write_column(ctx_, j, rec, name), 0);
    }
    std::vector<std::string> shown(int selection) {
        recorder() = Recorder{};
        EXPECT_EQ(print_variable_summary(ctx_, nullptr, 0, selection), 0);
        std::vector<std::string> out;
        for (const RecordedTable* t : recorder().named("VariableSummary"))
            for (size_t r = 0; r < t->rows.size(); ++r) out.push_back(t->at(r, "Col").s + ":" + t->at(r, "VarName").s);
        return out;
    }
    const RecordedTable* constraints() {
        recorder() = Recorder{};
        EXPECT_EQ(print_constraint_summary(ctx_, nullptr, 0), 0);
        const auto all = recorder().named("ConstraintSummary");
        return all.size() == 1 ? all.front() : nullptr;
    }
};

TEST_F(Lines, SelectionModesChooseColumnsAndNumberTheLinesShown) {
    end_as(kRunOk);
    make_integer(kX);  // x = 4 (integer, non-zero); y = 0 (continuous, zero)
    using V = std::vector<std::string>;
    EXPECT_EQ(shown(kSelectAll), (V{"     1:C0", "     2:C1"}));
    EXPECT_EQ(shown(kSelectInteger), (V{"     1:C0"}));
    EXPECT_EQ(shown(kSelectNonInteger), (V{"     1:C1"}));  // "Col" counts the lines shown
    EXPECT_EQ(shown(kSelectNonZero), (V{"     1:C0"}));
    EXPECT_EQ(shown(kSelectZero), (V{"     1:C1"}));
    EXPECT_EQ(shown(kSelectIntegerNonZero), (V{"     1:C0"}));
    EXPECT_EQ(shown(kSelectIntegerZero), V{});
    EXPECT_EQ(shown(kSelectNonIntegerNonZero), V{});
    EXPECT_TRUE(recorder().tables.empty());  // nothing selected: no empty table
}

TEST_F(Lines, AListShowsItsColumnsInListOrderNumberedByColumn) {
    end_as(kRunOk);
    const int32_t list[] = {kSlack, kY, kX};
    ASSERT_EQ(print_variable_summary(ctx_, list, 3, kSelectZero), 0);  // the mode is for scans only
    const RecordedTable* t = recorder().named("VariableSummary").front();
    ASSERT_EQ(t->rows.size(), 3u);
    EXPECT_EQ(t->at(0, "Col").s, "     5");
    EXPECT_EQ(t->at(0, "Type").s, "NON-NEG");
    EXPECT_EQ(t->at(0, "Price").number, 0.0);  // logical columns have no price
    EXPECT_EQ(t->at(1, "Col").s, "     2");
    EXPECT_EQ(t->at(2, "Col").s, "     1");
    EXPECT_EQ(t->at(2, "Price").number, 3.0);
    EXPECT_EQ(t->at(2, "Activity").number, 4.0);
}

TEST_F(Lines, AViolatedRowOfAnOptimalSolutionIsStarredAndNamed) {
    end_as(kRunOk);
    ctx_->form.value[kY] = 1.0;  // x + y = 5 > 4
    ctx_->options.scale = 0;
    const RecordedTable* t = constraints();
    ASSERT_NE(t, nullptr);
    ASSERT_EQ(t->rows.size(), 2u);  // the objective and cap; never the phase-1 row
    EXPECT_EQ(t->at(0, "RowName").s, "profit");
    EXPECT_EQ(t->at(0, "Type").s, "OBJECTVE");
    EXPECT_EQ(t->at(0, "Row").s, "     1");
    EXPECT_TRUE(std::isnan(t->at(0, "Dual").number));
    EXPECT_EQ(t->at(0, "Activity").number, 14.0);  // 3 x 4 + 2 x 1
    EXPECT_EQ(t->at(1, "Row").s, " *****");
    EXPECT_EQ(t->at(1, "SSCol").number, kSlack + 1);
    EXPECT_EQ(t->at(1, "Activity").number, 5.0);
    EXPECT_EQ(t->at(1, "Rhs").number, 4.0);
    EXPECT_EQ(count(245), 1);
    EXPECT_EQ(count(216), 0);
    EXPECT_EQ(message_arg(245), "cap");

    ctx_->options.scale = 3;  // a scaled problem names the row with 216 instead
    host_->messages.clear();
    constraints();
    EXPECT_EQ(count(216), 1);
    EXPECT_EQ(count(245), 0);
}

TEST_F(Lines, AViolatedRowOfAnInfeasibleEndingIsMarkedWithoutAMessage) {
    end_as(kRunInfeasible);
    ctx_->form.value[kY] = 1.0;
    const RecordedTable* t = constraints();
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->at(1, "Row").s, " *INF*");
    EXPECT_EQ(count(245) + count(216), 0);
    // At PRINTLEVEL -1 only that line remains; a feasible row is left out.
    ctx_->options.printlevel = -1;
    t = constraints();
    ASSERT_NE(t, nullptr);
    ASSERT_EQ(t->rows.size(), 1u);
    EXPECT_EQ(t->at(0, "RowName").s, "cap");
    ctx_->form.value[kY] = 0.0;
    EXPECT_EQ(constraints(), nullptr);
}

TEST_F(Lines, AnotherEndingLeavesAViolatedRowUnmarked) {
    end_as(kRunMaxIter);
    ctx_->form.value[kY] = 1.0;
    const RecordedTable* t = constraints();
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->at(1, "Row").s, "     2");
    EXPECT_EQ(count(245) + count(216), 0);
}

}  // namespace
}  // namespace reporttest

namespace reporttest {
namespace {

// TABLEAUOUT straight from the writer, with the host's data-set output.
class TableauWriter : public SmallContext {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/qmlp-tableau-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        qmlp::host::HostConfig config;
        config.default_lib = dir_.string();
        qmlp::host::data_configure(config);
        qmlp::host::data_step_begin();
        SmallContext::SetUp();
        composed_.vectors[TYM_VEC_DATA_OUT] = qmlp::host::data_out_vector();
        tymlp::attach_host(&composed_, 0);
        TymDataRef& ref = ctx_->handles.data_ref[tymlp::kDsTableauOut];
        std::snprintf(ref.path, sizeof ref.path, "%s", (dir_ / "t.csv").c_str());
        ctx_->handles.data_given[tymlp::kDsTableauOut] = 1;
    }
    void TearDown() override {
        SmallContext::TearDown();
        qmlp::host::data_step_end();
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    // Closes the data set with commit and counts its observations.
    size_t observations() {
        tymlp::host_out_close(ctx_->handles.tableauout, 1);
        ctx_->handles.tableauout = nullptr;
        const std::string text = e2e_slurp(dir_ / "t.csv");  // a header line, then one line each
        return static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) - 1;
    }
    static std::string e2e_slurp(const std::filesystem::path& p) {
        std::ifstream in(p);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::filesystem::path dir_;
};

TEST_F(TableauWriter, ABasisWithoutUsableFactorsGivesOnlyTheReducedCosts) {
    ASSERT_EQ(tymlp::Invert(ctx_), 0);
    ctx_->solver.run_status = kRunOk;
    ASSERT_EQ(write_tableauout(ctx_), 0);
    EXPECT_EQ(observations(), 1u + 3u);  // reduced costs and one row per basis position

    // A singular ending leaves factors that must not be solved with.
    ctx_->solver.run_status = kRunSingular;
    ASSERT_EQ(write_tableauout(ctx_), 0);
    EXPECT_EQ(observations(), 1u);
    EXPECT_EQ(count(242), 1);  // and the data set says the solution is not final
}

}  // namespace
}  // namespace reporttest
