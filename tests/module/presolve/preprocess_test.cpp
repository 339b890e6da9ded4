// Preprocessing on small problems built straight into the stores: row
// tests, binary fixing and coefficient reduction, bound tightening with and
// without rounding, the pass loop and its messages, and what is written back.
#include <cfloat>
#include <cmath>
#include <string>
#include <vector>

#include "../control/control_fixture.h"
#include "input/column_lists.h"
#include "input/computational_form.h"
#include "input/matrix_store.h"
#include "input/model_records.h"
#include "presolve/preprocess.h"

namespace {

using namespace tymlp;

constexpr int kMsgManyRhs = 259;
constexpr int kMsgInfeasible = 260;
constexpr int kMsgEliminated = 261;
constexpr int kMsgLowerRaised = 262;
constexpr int kMsgUpperLowered = 263;
constexpr int kMsgFixed = 264;
constexpr int kMsgCoefficient = 265;
constexpr int kMsgRowReduced = 266;
constexpr int kMsgCount = 269;
constexpr int kMsgPass = 280;
constexpr int kMsgInterrupted = 281;
constexpr int kMsgComplete = 282;

constexpr double kInf = DBL_MAX;

struct RowSpec {
    const char* name;
    uint8_t flags;
    double rhs;
    double range;
};

struct ColumnSpec {
    const char* name;
    uint16_t flags;
    double lower;
    double upper;
};

struct Coef {
    int row;
    int column;
    double value;
};

// Binary, integer and continuous columns as the readers leave them.
ColumnSpec Continuous(const char* name) { return {name, 0, -kInf, kInf}; }
ColumnSpec Upper(const char* name, double u) { return {name, kColUpperGiven, -kInf, u}; }
ColumnSpec Bounded(const char* name, double l, double u) { return {name, kColLowerGiven | kColUpperGiven, l, u}; }
ColumnSpec Binary(const char* name) { return {name, kColBinary, 0, 1}; }
ColumnSpec Integer(const char* name) { return {name, kColInteger, -kInf, kInf}; }
ColumnSpec IntegerUpper(const char* name, double u) { return {name, kColInteger | kColUpperGiven, -kInf, u}; }

std::string Padded(const char* name) {
    std::string s(name);
    s.resize(8, ' ');
    return s;
}

class Preprocessing : public spine_test::ContextTest {
  protected:
    void SetUp() override {
        spine_test::ContextTest::SetUp();
        ctx_->options.preprocess = 1;
    }

    // Row 0 is the phase-1 objective, row 1 the objective "cost"; `rows`
    // follow from row 2 on.  Coefficients name rows by their final index.
    void Build(const std::vector<RowSpec>& rows, const std::vector<ColumnSpec>& columns, const std::vector<Coef>& coefs,
               int rhs_columns = 1) {
        ASSERT_EQ(open_model_stores(ctx_), 0);
        std::vector<RowSpec> all = {{"PHASE_1_", kRowObjective, 0, 0}, {"cost", kRowObjective, 0, 0}};
        all.insert(all.end(), rows.begin(), rows.end());
        std::vector<RowRecord> row_recs;
        ProblemModel& m = ctx_->model;
        for (const RowSpec& r : all) {
            RowRecord rec = empty_row(r.flags);
            if ((r.flags & kRowRange) != 0) {
                rec.link.range = r.range;
                ++m.range_rows;
            }
            if ((r.flags & kRowLessEqual) != 0) ++m.le_rows;
            if ((r.flags & kRowGreaterEqual) != 0) ++m.ge_rows;
            row_recs.push_back(rec);
        }
        std::vector<ColumnRecord> col_recs;
        for (const ColumnSpec& c : columns) {
            ColumnRecord rec = empty_column(ctx_, c.flags);
            rec.lower = c.lower;
            rec.upper = c.upper;
            col_recs.push_back(rec);
        }
        for (const Coef& c : coefs)
            ASSERT_EQ(append_coefficient(ctx_, c.row, row_recs[c.row], c.column, col_recs[c.column], c.value), 0);
        for (size_t i = 0; i < all.size(); ++i)
            ASSERT_EQ(write_row(ctx_, static_cast<int32_t>(i), row_recs[i], Padded(all[i].name).c_str()), 0);
        for (size_t j = 0; j < columns.size(); ++j)
            ASSERT_EQ(write_column(ctx_, static_cast<int32_t>(j), col_recs[j], Padded(columns[j].name).c_str()), 0);
        m.rows = static_cast<int32_t>(all.size());
        m.structural_count = static_cast<int32_t>(columns.size());
        m.columns = m.structural_count;
        m.objective_count = 2;
        std::vector<double> rhs;
        for (const RowSpec& r : all) rhs.push_back(r.rhs);
        for (int k = 0; k < rhs_columns; ++k) {
            ColumnListEntry* entry = nullptr;
            ASSERT_EQ(list_append(ctx_, kListRhs, "_RHS_", 5, &entry), 0);
            ASSERT_EQ(list_write_values(entry, 0, rhs.data(), static_cast<int64_t>(rhs.size())), 0);
        }
    }

    // "a": x - y <= 0 bounds x only once "b" has bounded y, so the passes
    // run: 1 bounds y, 2 bounds x and eliminates "b", 3 changes nothing.
    void BuildChain() {
        Build({{"a", kRowLessEqual, 0, 0}, {"b", kRowLessEqual, 3, 0}}, {Continuous("x"), Continuous("y")},
              {{2, 0, 1}, {2, 1, -1}, {3, 1, 1}});
    }

    ColumnRecord Column(int j) {
        ColumnRecord rec{};
        EXPECT_EQ(read_column(ctx_, j, &rec, nullptr), 0);
        return rec;
    }
    RowRecord Row(int i) {
        RowRecord rec{};
        EXPECT_EQ(read_row(ctx_, i, &rec, nullptr), 0);
        return rec;
    }
    double Rhs(int i) {
        double v = 0;
        EXPECT_EQ(list_read_values(list_entry(ctx_, kListRhs, 0), i, &v, 1), 0);
        return v;
    }
    double CoefValue(int64_t k) {
        CoefEntry e{};
        EXPECT_EQ(read_coefficient(ctx_, k, &e), 0);
        return e.value;
    }

    int Count(int number) const {
        int n = 0;
        for (const auto& msg : host_->messages) n += msg.number == number ? 1 : 0;
        return n;
    }
    // The summary counts of message 269 as "count text" lines.
    std::vector<std::string> Summary() const {
        std::vector<std::string> out;
        for (const auto& msg : host_->messages)
            if (msg.number == kMsgCount && msg.args.size() == 3) out.push_back(msg.args[0] + " " + msg.args[2]);
        return out;
    }
    std::vector<std::vector<std::string>> ArgsOf(int number) const {
        std::vector<std::vector<std::string>> out;
        for (const auto& msg : host_->messages)
            if (msg.number == number) out.push_back(msg.args);
        return out;
    }

    void ExpectFixed(int j, double value) {
        const ColumnRecord c = Column(j);
        EXPECT_NE(c.flags & kColFixed, 0) << "column " << j;
        EXPECT_EQ(c.flags & (kColLowerGiven | kColUpperGiven), 0) << "column " << j;
        EXPECT_EQ(c.lower, value) << "column " << j;
        EXPECT_EQ(c.upper, value) << "column " << j;
    }
};

// ---------------------------------------------------------------- driver

TEST_F(Preprocessing, OffDoesNothingAndSaysNothing) {
    Build({{"r", kRowLessEqual, -1, 0}}, {Continuous("x")}, {{2, 0, 1e-12}});
    ctx_->options.preprocess = 0;
    EXPECT_EQ(Preprocess(ctx_), 0);
    EXPECT_TRUE(host_->messages.empty());
    EXPECT_EQ(Row(2).flags, kRowLessEqual);
}

TEST_F(Preprocessing, TwoRightHandSidesAreRefusedAndNothingChanges) {
    Build({{"r", kRowLessEqual, 4, 0}}, {Continuous("x")}, {{2, 0, 1}}, 2);
    EXPECT_EQ(Preprocess(ctx_), kRunSemantic);
    EXPECT_EQ(minihost::message_numbers(), std::vector<int>{kMsgManyRhs});
    EXPECT_EQ(Column(0).upper, kInf);
}

TEST_F(Preprocessing, PassesRunUntilNothingChangesThenTheCopiesAreWrittenBack) {
    BuildChain();
    const int live = host_->live_blocks;
    ASSERT_EQ(Preprocess(ctx_), 0);
    EXPECT_EQ(Count(kMsgPass), 3);
    EXPECT_EQ(ArgsOf(kMsgPass).back(), std::vector<std::string>{"3"});
    EXPECT_EQ(minihost::message_numbers().back(), kMsgComplete);
    EXPECT_EQ(Column(0).upper, 3);
    EXPECT_NE(Column(0).flags & kColUpperGiven, 0);
    EXPECT_EQ(Column(1).upper, 3);
    EXPECT_EQ(Row(2).flags, kRowLessEqual);
    EXPECT_EQ(Row(3).flags, kRowFree);
    EXPECT_EQ(ctx_->model.le_rows, 1);
    EXPECT_EQ(ctx_->model.free_rows, 1);
    EXPECT_EQ(host_->live_blocks, live);  // the temporary heap is gone
}

TEST_F(Preprocessing, PmaxitOneRunsExactlyOnePass) {
    BuildChain();
    ctx_->options.pmaxit = 1;
    ASSERT_EQ(Preprocess(ctx_), 0);
    EXPECT_EQ(Count(kMsgPass), 1);
    EXPECT_EQ(Count(kMsgComplete), 1);
    EXPECT_EQ(Column(1).upper, 3);
    EXPECT_EQ(Column(0).upper, kInf);  // would have come in pass 2
    EXPECT_EQ(Row(3).flags, kRowLessEqual);
}

TEST_F(Preprocessing, ABreakStopsAfterThePassAndKeepsItsResults) {
    BuildChain();
    ctx_->solver.break_flag = 1;
    ASSERT_EQ(Preprocess(ctx_), 0);
    EXPECT_EQ(minihost::message_numbers(), (std::vector<int>{kMsgPass, kMsgCount, kMsgInterrupted, kMsgComplete}));
    EXPECT_EQ(ctx_->solver.break_flag, 0);
    EXPECT_EQ(Column(1).upper, 3);
}

TEST_F(Preprocessing, LackingMemoryReturnsNineAndReleasesEverything) {
    Build({{"r", kRowLessEqual, 4, 0}}, {Continuous("x")}, {{2, 0, 1}});
    const int live = host_->live_blocks;
    host_->memory_limit = host_->memory_in_use + 64;
    EXPECT_EQ(Preprocess(ctx_), kRunMemory);
    EXPECT_EQ(host_->live_blocks, live);
    host_->memory_limit = 0;
    EXPECT_EQ(Column(0).upper, kInf);
}

// ---------------------------------------------------------------- row tests

TEST_F(Preprocessing, CoefficientsBelowPepsilonLeaveTheRightHandSideAlone) {
    // L = U = 0: "neg" cannot reach -1, "pos" can never exceed 1.
    Build({{"pos", kRowLessEqual, 1, 0}, {"neg", kRowLessEqual, -1, 0}}, {Continuous("x"), Continuous("y")},
          {{2, 0, 1e-9}, {2, 1, -1e-9}, {3, 0, 1e-9}, {3, 1, 5e-9}});
    EXPECT_EQ(Preprocess(ctx_), kRunSemantic);
    EXPECT_EQ(ArgsOf(kMsgInfeasible), std::vector<std::vector<std::string>>{{"neg"}});
    EXPECT_EQ(Summary(), (std::vector<std::string>{"1 constraints infeasible", "1 constraints eliminated"}));
    EXPECT_EQ(Count(kMsgComplete), 0);
    // An infeasible pass writes nothing back.
    EXPECT_EQ(Row(2).flags, kRowLessEqual);
}

TEST_F(Preprocessing, EveryInfeasibleRowIsNamedAndBoundChangesAreNotCounted) {
    Build({{"a", kRowGreaterEqual, 9, 0}, {"b", kRowLessEqual, 5, 0}, {"c", kRowEquality, -1, 0}},
          {Bounded("x", 0, 2), Continuous("y")}, {{2, 0, 1}, {3, 1, 1}, {4, 0, 1}});
    EXPECT_EQ(Preprocess(ctx_), kRunSemantic);
    EXPECT_EQ(ArgsOf(kMsgInfeasible), (std::vector<std::vector<std::string>>{{"a"}, {"c"}}));
    EXPECT_EQ(Summary(), std::vector<std::string>{"2 constraints infeasible"});
}

TEST_F(Preprocessing, RedundantRowsOfEachKindBecomeFree) {
    Build({{"le", kRowLessEqual, 10, 0},
           {"ge", kRowGreaterEqual, -1, 0},
           {"eq", kRowEquality, 6, 0},
           {"keep", kRowGreaterEqual, 1, 0}},
          {Bounded("x", 0, 2), Bounded("y", 0, 3), {"f", kColFixed, 3, 3}},
          {{2, 0, 1}, {2, 1, 1}, {3, 0, 1}, {3, 1, 2}, {4, 2, 2}, {5, 0, 1}, {5, 1, 1}});
    ASSERT_EQ(Preprocess(ctx_), 0);
    for (int i : {2, 3, 4}) EXPECT_EQ(Row(i).flags, kRowFree) << i;
    EXPECT_EQ(Row(5).flags, kRowGreaterEqual);
    EXPECT_EQ(ctx_->model.le_rows, 0);
    EXPECT_EQ(ctx_->model.ge_rows, 1);
    EXPECT_EQ(ctx_->model.free_rows, 3);
    EXPECT_EQ(Summary().front(), "3 constraints eliminated");
}

TEST_F(Preprocessing, ARangeRowIsRedundantOnlyWhenBothSidesAre) {
    // 6 <= x + y <= 10 with x, y <= 3: the upper side never binds, the
    // lower one forces both columns to 3.
    Build({{"rng", kRowLessEqual | kRowRange, 10, 4}}, {Upper("x", 3), Upper("y", 3)}, {{2, 0, 1}, {2, 1, 1}});
    ASSERT_EQ(Preprocess(ctx_), 0);
    ExpectFixed(0, 3);
    ExpectFixed(1, 3);
    // The next pass finds the row satisfied on both sides.
    EXPECT_EQ(Row(2).flags, kRowFree);
    EXPECT_EQ(ctx_->model.range_rows, 0);
}

// ---------------------------------------------------------------- binary columns

TEST_F(Preprocessing, ABinaryForcedToZeroLetsTheNextPassEliminateARow) {
    // "first" is examined before "force" and is redundant once b = 0.
    Build({{"first", kRowLessEqual, 3, 0}, {"force", kRowLessEqual, 4, 0}}, {Binary("b"), Upper("y", 3)},
          {{2, 0, 1}, {2, 1, 1}, {3, 0, 5}, {3, 1, 1}});
    ASSERT_EQ(Preprocess(ctx_), 0);
    ExpectFixed(0, 0);
    EXPECT_EQ(Row(2).flags, kRowFree);
    EXPECT_EQ(Row(3).flags, kRowFree);
    EXPECT_EQ(minihost::message_numbers(), (std::vector<int>{kMsgPass, kMsgCount, kMsgPass, kMsgCount, kMsgComplete}));
    EXPECT_EQ(Summary(), (std::vector<std::string>{"1 variables fixed", "2 constraints eliminated"}));
}

TEST_F(Preprocessing, BinaryFixingFollowsEachSideOfTheRow) {
    // Each row has its own y_k in [0, 3].
    Build({{"le_pos", kRowLessEqual, 4, 0},     // 5 b0 + y0 <= 4: b0 = 1 overshoots
           {"le_neg", kRowLessEqual, -1, 0},    // -2 b1 + y1 <= -1 needs b1 = 1
           {"ge_pos", kRowGreaterEqual, 4, 0},  // 5 b2 + y2 >= 4 needs b2 = 1
           {"ge_neg", kRowGreaterEqual, 1, 0},  // -5 b3 + y3 >= 1 needs b3 = 0
           {"eq", kRowEquality, 4, 0}},         // 2 b4 + y4 = 4 needs b4 = 1
          {Binary("b0"), Binary("b1"), Binary("b2"), Binary("b3"), Binary("b4"), Bounded("y0", 0, 3),
           Bounded("y1", 0, 3), Bounded("y2", 0, 3), Bounded("y3", 0, 3), Bounded("y4", 0, 3)},
          {{2, 0, 5},
           {2, 5, 1},
           {3, 1, -2},
           {3, 6, 1},
           {4, 2, 5},
           {4, 7, 1},
           {5, 3, -5},
           {5, 8, 1},
           {6, 4, 2},
           {6, 9, 1}});
    ASSERT_EQ(Preprocess(ctx_), 0);
    ExpectFixed(0, 0);
    ExpectFixed(1, 1);
    ExpectFixed(2, 1);
    ExpectFixed(3, 0);
    ExpectFixed(4, 1);
    EXPECT_EQ(Count(kMsgInfeasible), 0);
}

struct Reduction {
    const char* label;
    uint8_t kind;
    double rhs;
    double a;          // coefficient of the binary column
    double reduced_a;  // after the reduction
    double reduced_rhs;
};

class CoefficientReduction : public Preprocessing, public ::testing::WithParamInterface<Reduction> {};

// One binary b and y in [0, 2]: a value of b that makes the row redundant
// gives its excess up.
TEST_P(CoefficientReduction, ReachesTheFileTheRightHandSideAndTheMatrixStore) {
    const Reduction& r = GetParam();
    Build({{"row", r.kind, r.rhs, 0}}, {Binary("b"), Bounded("y", 0, 2)}, {{2, 0, r.a}, {2, 1, 1}});
    ASSERT_EQ(Preprocess(ctx_), 0);
    EXPECT_DOUBLE_EQ(CoefValue(0), r.reduced_a);
    EXPECT_DOUBLE_EQ(Rhs(2), r.reduced_rhs);
    const bool rhs_changed = r.reduced_rhs != r.rhs;
    std::vector<std::string> summary = {"1 coefficients reduced"};
    if (rhs_changed) summary.push_back("1 RHS values reduced");
    EXPECT_EQ(Summary(), summary);

    // The computational form is built from the coefficient file.
    ASSERT_EQ(complete_form(ctx_), 0);
    const double* values;
    const int32_t* rows;
    int32_t count;
    ASSERT_EQ(traverse_column(ctx_, 0, &values, &rows, &count), 0);
    ASSERT_EQ(count, 1);
    EXPECT_DOUBLE_EQ(values[0], r.reduced_a);
}

INSTANTIATE_TEST_SUITE_P(OneSidedRows, CoefficientReduction,
                         ::testing::Values(
                             // 3b + y <= 4: b = 0 leaves room 2, so 1b + y <= 2.
                             Reduction{"le_positive", kRowLessEqual, 4, 3, 1, 2},
                             // -3b + y <= 1: b = 1 leaves room 2, so -1b + y <= 1.
                             Reduction{"le_negative", kRowLessEqual, 1, -3, -1, 1},
                             // 3b + y >= 1: b = 1 overshoots by 2, so 1b + y >= 1.
                             Reduction{"ge_positive", kRowGreaterEqual, 1, 3, 1, 1},
                             // -3b + y >= -2: b = 0 overshoots by 2, so -1b + y >= 0.
                             Reduction{"ge_negative", kRowGreaterEqual, -2, -3, -1, 0}),
                         [](const ::testing::TestParamInfo<Reduction>& info) { return std::string(info.param.label); });

TEST_F(Preprocessing, ARangeRowNeverReducesABinaryCoefficient) {
    // -6 <= 3c + y <= 4: as a plain less-or-equal row c would become 1c with
    // right-hand side 2, which would move the lower side as well.
    Build({{"rng", kRowLessEqual | kRowRange, 4, 10}}, {Binary("c"), Bounded("y", 0, 2)}, {{2, 0, 3}, {2, 1, 1}});
    ASSERT_EQ(Preprocess(ctx_), 0);
    EXPECT_EQ(CoefValue(0), 3);
    EXPECT_EQ(Rhs(2), 4);
    EXPECT_EQ(Count(kMsgCount), 0);
}

TEST_F(Preprocessing, AWindowSmallerThanTheFileStillReachesEveryCoefficient) {
    // Two columns give a window of 20 entries; the file holds 61, and the
    // leading one-entry row makes rows straddle the window's edges.
    std::vector<RowSpec> rows = {{"lead", kRowLessEqual, 5, 0}};
    std::vector<Coef> coefs = {{2, 1, 1}};
    for (int k = 0; k < 30; ++k) {
        rows.push_back({"r", kRowLessEqual, 4, 0});
        coefs.push_back({3 + k, 0, 3});
        coefs.push_back({3 + k, 1, 1});
    }
    Build(rows, {Binary("b"), Bounded("y", 0, 2)}, coefs);
    ASSERT_EQ(Preprocess(ctx_), 0);
    for (int64_t k = 0; k < 61; ++k) EXPECT_EQ(CoefValue(k), 1) << k;
    for (int i = 3; i < 33; ++i) EXPECT_EQ(Rhs(i), 2) << i;
    EXPECT_EQ(Row(2).flags, kRowFree);
}

// ---------------------------------------------------------------- bounds

TEST_F(Preprocessing, IntegerColumnsGetRoundedBoundsAndContinuousOnesDoNot) {
    Build({{"cap", kRowLessEqual, 12, 0}, {"need", kRowGreaterEqual, 62, 0}},
          {Integer("n"), Continuous("x"), IntegerUpper("m", 10), Upper("z", 10)},
          {{2, 0, 5}, {2, 1, 5}, {3, 2, 5}, {3, 3, 5}});
    ctx_->options.pmaxit = 1;
    ASSERT_EQ(Preprocess(ctx_), 0);
    EXPECT_EQ(Column(0).upper, 2);  // 12 / 5 = 2.4
    EXPECT_DOUBLE_EQ(Column(1).upper, 2.4);
    EXPECT_EQ(Column(2).lower, 2);  // (62 - 50) / 5 = 2.4
    EXPECT_DOUBLE_EQ(Column(3).lower, 2.4);
    EXPECT_NE(Column(2).flags & kColLowerGiven, 0);
    EXPECT_EQ(Summary(), (std::vector<std::string>{"2 lower bounds increased", "2 upper bounds decreased"}));
}

TEST_F(Preprocessing, BoundsFromBothSidesOfAnEquality) {
    // x + y = 5 with x in [0, 1] and y in [0, 10]: y in [4, 5].
    Build({{"eq", kRowEquality, 5, 0}}, {Upper("x", 1), Upper("y", 10)}, {{2, 0, 1}, {2, 1, 1}});
    ASSERT_EQ(Preprocess(ctx_), 0);
    EXPECT_EQ(Column(1).lower, 4);
    EXPECT_EQ(Column(1).upper, 5);
}

TEST_F(Preprocessing, NegativeCoefficientsRaiseLowerBoundsAndUnrestrictedColumnsStay) {
    // -x + y <= -3 with x <= 10 and y in [0, 2]: x >= 3.  The unrestricted u
    // of the same row shape keeps its bounds.
    Build({{"r", kRowLessEqual, -3, 0}, {"s", kRowLessEqual, -3, 0}},
          {Upper("x", 10), Bounded("y", 0, 2), {"u", kColUnrestricted | kColUpperGiven, -kInf, 5}},
          {{2, 0, -1}, {2, 1, 1}, {3, 2, -1}, {3, 1, 1}});
    ASSERT_EQ(Preprocess(ctx_), 0);
    EXPECT_EQ(Column(0).lower, 3);
    EXPECT_NE(Column(0).flags & kColLowerGiven, 0);
    EXPECT_EQ(Column(2).lower, -kInf);
    EXPECT_EQ(Column(2).flags, kColUnrestricted | kColUpperGiven);
}

TEST_F(Preprocessing, ABoundThatMeetsTheOtherFixesTheColumn) {
    // x + y <= 2 with x, y >= 1 given: both at 1.
    Build({{"r", kRowLessEqual, 2, 0}}, {Bounded("x", 1, 5), Bounded("y", 1, 5)}, {{2, 0, 1}, {2, 1, 1}});
    ASSERT_EQ(Preprocess(ctx_), 0);
    ExpectFixed(0, 1);
    ExpectFixed(1, 1);
}

TEST_F(Preprocessing, ANearlyInfeasibleRowNeverInvertsABound) {
    // 1e-7 x + y <= 0 with y >= 1e-9: L exceeds b by less than PEPSILON, and
    // the row would allow x <= -0.01 -- below its lower bound 0.
    Build({{"r", kRowLessEqual, 0, 0}}, {Upper("x", 5), Bounded("y", 1e-9, 1)}, {{2, 0, 1e-7}, {2, 1, 1}});
    ASSERT_EQ(Preprocess(ctx_), 0);
    const ColumnRecord x = Column(0);
    EXPECT_GE(x.upper, 0);
    ExpectFixed(0, 0);
}

// ---------------------------------------------------------------- DEBUG

TEST_F(Preprocessing, DebugListsEverySingleChange) {
    Build({{"cap", kRowLessEqual, 12, 0},
           {"low", kRowLessEqual, -3, 0},
           {"red", kRowLessEqual, 4, 0},
           {"neg", kRowGreaterEqual, -2, 0},
           {"fix", kRowLessEqual, 4, 0},
           {"gone", kRowLessEqual, 100, 0},
           {"pos", kRowGreaterEqual, 1, 0}},
          {Continuous("x"), Upper("v", 10), Bounded("y", 0, 2), Binary("b"), Binary("c"), Binary("d"), Binary("e")},
          {{2, 0, 5},
           {3, 1, -1},
           {3, 2, 1},
           {4, 3, 3},
           {4, 2, 1},
           {5, 4, -3},
           {5, 2, 1},
           {6, 5, 5},
           {7, 2, 1},
           {8, 6, 3},
           {8, 2, 1}});
    ctx_->options.debug = 1;
    ctx_->options.pmaxit = 1;
    ASSERT_EQ(Preprocess(ctx_), 0);
    using Args = std::vector<std::vector<std::string>>;
    EXPECT_EQ(ArgsOf(kMsgEliminated), (Args{{"gone"}}));
    EXPECT_EQ(ArgsOf(kMsgLowerRaised), (Args{{"v", "3"}}));
    EXPECT_EQ(ArgsOf(kMsgUpperLowered), (Args{{"x", "2.4"}}));
    EXPECT_EQ(ArgsOf(kMsgFixed), (Args{{"d", "0"}}));
    EXPECT_EQ(ArgsOf(kMsgRowReduced), (Args{{"red", "2", "b", "1"}, {"neg", "0", "c", "-1"}}));
    EXPECT_EQ(ArgsOf(kMsgCoefficient), (Args{{"pos", "e", "1"}}));
    EXPECT_EQ(Summary(), (std::vector<std::string>{"1 constraints eliminated", "1 lower bounds increased",
                                                   "1 upper bounds decreased", "1 variables fixed",
                                                   "3 coefficients reduced", "2 RHS values reduced"}));
}

}  // namespace
