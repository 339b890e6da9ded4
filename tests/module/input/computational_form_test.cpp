// Checks before the computational form, logical columns and the matrix
// store.
#include <cfloat>
#include <string>
#include <vector>

#include "../control/control_fixture.h"
#include "input/column_lists.h"
#include "input/computational_form.h"
#include "input/matrix_store.h"
#include "input/model_records.h"
#include "input/objectives.h"

namespace {

using namespace tymlp;

class Form : public spine_test::ContextTest {
  protected:
    // Rows: 0 phase 1, 1 MAX objective, 2 LE, 3 GE range 4, 4 EQ, 5 EQ range -2,
    // 6 free, 7 fixed charge.  Columns X1, X2 with a few coefficients.
    void build_problem() {
        ASSERT_EQ(open_model_stores(ctx_), 0);
        const uint8_t flags[] = {kRowObjective, kRowObjective,
                                 kRowLessEqual, kRowGreaterEqual | kRowRange,
                                 kRowEquality,  kRowEquality | kRowRange,
                                 kRowFree,      kRowFixedCharge};
        const double ranges[] = {0, 0, 0, 4, 0, -2, 0, 0};
        const char* names[] = {"PHASE_1_", "PROFIT  ", "LABOR   ", "STEEL   ",
                               "BALANCE ", "BLEND   ", "NOTE    ", "SETUP   "};
        for (int i = 0; i < 8; ++i) {
            rows_[i] = empty_row(flags[i]);
            if ((flags[i] & kRowRange) != 0) rows_[i].link.range = ranges[i];
        }
        ASSERT_NE(add_objective(ctx_, 0, -1.0, names[0]), nullptr);
        ASSERT_NE(add_objective(ctx_, 1, 1.0, names[1]), nullptr);
        ColumnRecord cols[2] = {empty_column(ctx_, 0), empty_column(ctx_, 0)};
        const int entries[][3] = {{1, 0, 3}, {2, 0, 1}, {3, 0, 2}, {1, 1, 5}, {4, 1, 7}};
        for (const auto& e : entries) ASSERT_EQ(append_coefficient(ctx_, e[0], rows_[e[0]], e[1], cols[e[1]], e[2]), 0);
        for (int i = 0; i < 8; ++i) ASSERT_EQ(write_row(ctx_, i, rows_[i], names[i]), 0);
        ASSERT_EQ(write_column(ctx_, 0, cols[0], "X1      "), 0);
        ASSERT_EQ(write_column(ctx_, 1, cols[1], "X2      "), 0);
        ctx_->model.rows = 8;
        ctx_->model.structural_count = 2;
        ctx_->model.columns = 2;
        ColumnListEntry* rhs = nullptr;
        ASSERT_EQ(list_append(ctx_, kListRhs, "_RHS_", 5, &rhs), 0);
    }
    RowRecord rows_[8];
};

struct Expected {
    int row;
    uint16_t flags;
    double coefficient;
    double upper;
};

TEST_F(Form, EveryRowGetsItsLogicalColumnExceptPlainEqualities) {
    build_problem();
    ASSERT_EQ(complete_form(ctx_), 0);
    const double inf = DBL_MAX;
    const Expected expected[] = {
        {0, kColObjective, -1, inf}, {1, kColObjective, -1, inf}, {2, kColSlack, 1, inf},
        {3, kColSurplus, -1, 4},     {5, kColRange, 1, 2},        {6, kColFree, 1, inf},
    };
    ASSERT_EQ(ctx_->model.columns, 2 + 6);
    EXPECT_EQ(ctx_->model.basic_assigned, 2);
    for (int k = 0; k < 6; ++k) {
        const Expected& e = expected[k];
        SCOPED_TRACE(e.row);
        const int32_t j = 2 + k;
        ColumnRecord col{};
        char name[8];
        ASSERT_EQ(read_column(ctx_, j, &col, name), 0);
        EXPECT_EQ(col.flags, e.flags);
        EXPECT_EQ(col.lower, 0);
        EXPECT_EQ(col.upper, e.upper);
        EXPECT_EQ(col.logical_row, e.row);
        EXPECT_EQ(col.entry_count, 1);
        RowRecord row{};
        char row_name[8];
        ASSERT_EQ(read_row(ctx_, e.row, &row, row_name), 0);
        EXPECT_EQ(row.logical_column, j);
        EXPECT_EQ(std::string(name, 8), std::string(row_name, 8));

        const double* values;
        const int32_t* rows;
        int32_t count;
        ASSERT_EQ(traverse_column(ctx_, j, &values, &rows, &count), 0);
        ASSERT_EQ(count, 1);
        EXPECT_EQ(values[0], e.coefficient);
        EXPECT_EQ(rows[0], e.row);
    }
    RowRecord plain{};
    ASSERT_EQ(read_row(ctx_, 4, &plain, nullptr), 0);
    EXPECT_EQ(plain.logical_column, -1);
    // The objective records know their columns.
    EXPECT_EQ(ctx_->model.objectives->column, 2);
    EXPECT_EQ(ctx_->model.objectives->next->column, 3);
}

TEST_F(Form, TheMatrixStoreHoldsEveryStructuralColumn) {
    build_problem();
    ASSERT_EQ(complete_form(ctx_), 0);
    EXPECT_EQ(ctx_->model.directory_size, ctx_->model.columns);
    const double* values;
    const int32_t* rows;
    int32_t count;
    ASSERT_EQ(traverse_column(ctx_, 0, &values, &rows, &count), 0);
    ASSERT_EQ(count, 3);
    EXPECT_EQ(std::vector<double>(values, values + 3), (std::vector<double>{3, 1, 2}));
    EXPECT_EQ(std::vector<int32_t>(rows, rows + 3), (std::vector<int32_t>{1, 2, 3}));
    ASSERT_EQ(traverse_column(ctx_, 1, &values, &rows, &count), 0);
    ASSERT_EQ(count, 2);
    EXPECT_EQ(rows[1], 4);
}

TEST_F(Form, NoObjectiveRowIsReportedAndTheFormStillCompletes) {
    build_problem();
    ctx_->model.objective_count = 1;
    EXPECT_EQ(complete_form(ctx_), kRunSemantic);
    EXPECT_EQ(host_->messages.size(), 1u);
    EXPECT_EQ(host_->messages[0].number, 33);
    EXPECT_EQ(ctx_->model.columns, 8);
}

TEST_F(Form, NoRowStopsAtOnce) {
    ctx_->model.objective_count = 0;
    EXPECT_EQ(complete_form(ctx_), kRunSemantic);
    EXPECT_EQ(minihost::message_numbers(), (std::vector<int>{33, 35}));
}

TEST_F(Form, GoalProgrammingWithTwoRightHandSidesEndsTheRun) {
    build_problem();
    ColumnListEntry* second = nullptr;
    ASSERT_EQ(list_append(ctx_, kListRhs, "RHS2", 4, &second), 0);
    ctx_->options.goalprogram = 1;
    LpContext* ctx = std::exchange(ctx_, nullptr);
    try {
        complete_form(ctx);
        FAIL() << "went on";
    } catch (const minihost::StepEnded& e) {
        EXPECT_EQ(e.end_code, kEndSemantic);
    }
    EXPECT_EQ(minihost::message_numbers(), std::vector<int>{249});
    EXPECT_EQ(host_->macros["_QMLP_"].rfind("STATUS=SEMANTIC_ERROR ", 0), 0u);
    EXPECT_EQ(host_->open_util_files, 0);
}

TEST_F(Form, TheDirectoryGrowsWithoutLosingColumns) {
    build_problem();
    ASSERT_EQ(complete_form(ctx_), 0);
    const int64_t position = ctx_->model.directory[1].position;
    ASSERT_EQ(open_matrix_store(ctx_, ctx_->model.columns + 3), 0);
    EXPECT_EQ(ctx_->model.directory[1].position, position);
    EXPECT_EQ(ctx_->model.directory[ctx_->model.columns + 2].position, -1);
}

}  // namespace
