// report_rules_test.cpp -- the rules the report tables apply: type words by
// precedence, status words, violation tests, and the note and subtitle of
// the solution summary for every kind of ending.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "control/create_context.h"
#include "engine_builder.h"
#include "mini_host.h"
#include "output/reported_values.h"
#include "report/constraint_summary.h"
#include "report/solution_summary.h"
#include "report/variable_summary.h"

namespace {

using namespace tymlp;

std::string word(const char* w) { return std::string(w, 8); }

TEST(TypeWords, ColumnsTakeTheFirstWordThatApplies) {
    struct Case {
        uint16_t flags;
        const char* expected;
    };
    const uint16_t both = kColLowerGiven | kColUpperGiven;
    const Case cases[] = {
        {kColBinary | kColInteger | both, "BINARY  "},
        {kColInteger | both, "INTEGER "},
        {both | kColUnrestricted, "UPLOWBD "},
        {kColUpperGiven | kColFixed, "UPPERBD "},
        {kColLowerGiven | kColSlack, "LOWERBD "},
        {kColUnrestricted | kColFixed, "UNRSTRT "},
        {kColFixed | kColSurplus, "FIXED   "},
        {kColSurplus | kColSlack, "SURPLUS "},
        {kColSlack | kColArtificial, "SLACK   "},
        {kColArtificial | kColObjective, "ARTIFCL "},
        {kColObjective | kColFree, "OBJECT  "},
        {kColFree, "FREE    "},
        {0, "NON-NEG "},
    };
    for (const Case& c : cases) EXPECT_EQ(word(column_type_word(c.flags, false)), c.expected) << c.flags;
    // The range word only in PRIMALOUT, after the objective and before free.
    EXPECT_EQ(word(column_type_word(kColRange | kColFree, true)), "RANGE   ");
    EXPECT_EQ(word(column_type_word(kColRange | kColFree, false)), "FREE    ");
    EXPECT_EQ(word(column_type_word(kColRange | kColObjective, true)), "OBJECT  ");
}

TEST(TypeWords, RowsOfTheConstraintSummaryAndOfDualout) {
    EXPECT_EQ(word(row_type_word(kRowRange | kRowLessEqual, false, false)), "RANGELE ");
    EXPECT_EQ(word(row_type_word(kRowRange | kRowGreaterEqual, false, false)), "RANGEGE ");
    EXPECT_EQ(word(row_type_word(kRowRange | kRowEquality, false, false)), "RANGEEQ ");
    EXPECT_EQ(word(row_type_word(kRowLessEqual, false, false)), "LE      ");
    EXPECT_EQ(word(row_type_word(kRowGreaterEqual, false, false)), "GE      ");
    EXPECT_EQ(word(row_type_word(kRowEquality, false, false)), "EQ      ");
    EXPECT_EQ(word(row_type_word(kRowFree, false, false)), "FREE    ");
    EXPECT_EQ(word(row_type_word(kRowObjective, true, true)), "OBJECTVE");
    EXPECT_EQ(word(row_type_word(kRowObjective, false, true)), "FREE_OBJ");
    EXPECT_EQ(word(row_type_word(kRowObjective, false, false)), "FIXEDOBJ");
    EXPECT_EQ(word(row_type_word(kRowFixedCharge, false, false)), "FXCHRG  ");
    EXPECT_EQ(word(dual_row_type_word(kRowRange | kRowGreaterEqual)), "RANGEGE ");
    EXPECT_EQ(word(dual_row_type_word(kRowObjective)), "OBJECT  ");
    EXPECT_EQ(word(dual_row_type_word(kRowFixedCharge)), "FXCHRG  ");
    EXPECT_EQ(word(dual_row_type_word(kRowFree)), "FREE    ");
}

class WithContext : public ::testing::Test {
  protected:
    void SetUp() override {
        minihost::install();
        enginetest::ProblemSpec problem;
        problem.rows = 1;
        problem.structural = 6;
        problem.columns.resize(7);
        problem.columns[6].entries = {{0, 1.0}};
        ctx_ = enginetest::BuildContext(problem);
        ASSERT_NE(ctx_, nullptr);
        ctx_->form.value = static_cast<double*>(std::calloc(7, sizeof(double)));
        ctx_->options.epsilon = 1e-8;
    }
    void TearDown() override {
        std::free(ctx_->form.value);
        ctx_->form.value = nullptr;
        enginetest::DestroyContext(ctx_);
    }
    void column(int32_t j, double lower, double upper, double x, uint8_t status) {
        ctx_->form.lower[j] = lower;
        ctx_->form.upper[j] = upper;
        ctx_->form.value[j] = x;
        ctx_->form.status[j] = status;
    }
    std::string status(int32_t j, double rc, bool integer = false) {
        return word(variable_status_word(ctx_, j, rc, integer));
    }
    LpContext* ctx_ = nullptr;
};

TEST_F(WithContext, StatusWordsOfTheVariableSummary) {
    column(0, 0, 10, 1e-9, kStatBasic);
    EXPECT_EQ(status(0, 0.0), "DEGEN   ");  // against EPSILON, not exactly 0
    column(0, 0, 10, 3, kStatBasic);
    EXPECT_EQ(status(0, 0.0), "BASIC   ");
    column(1, 2, 10, 2, 0);
    EXPECT_EQ(status(1, 0.0), "ALTER   ");
    EXPECT_EQ(status(1, -1.5), "LOWBD   ");        // a non-zero lower bound
    EXPECT_EQ(status(1, -1.5, true), "        ");  // but not for an integer column
    column(2, 0, 10, 0, 0);
    EXPECT_EQ(status(2, -1.5), "        ");  // a zero lower bound is not named
    column(3, 0, 5, 5, kStatAtUpper);
    EXPECT_EQ(status(3, 2.0), "UPPBD   ");
    EXPECT_EQ(status(3, 2.0, true), "        ");  // an integer column at its upper bound
    column(4, 3, 3, 3, 0);
    EXPECT_EQ(status(4, 1.0), "        ");  // equal bounds
}

TEST_F(WithContext, ColMarksForInfeasibleAndUnboundedEndings) {
    char col[6];
    column(0, 0, 10, 11, kStatBasic);
    column(1, 0, 10, 5, kStatBasic);
    ctx_->solver.run_status = kRunInfeasible;
    EXPECT_TRUE(variable_col_text(ctx_, 0, 1, col));
    EXPECT_EQ(std::string(col, 6), " *INF*");
    EXPECT_FALSE(variable_col_text(ctx_, 1, 2, col));
    EXPECT_EQ(std::string(col, 6), "     2");
    ctx_->solver.run_status = kRunUnbounded;
    ctx_->solver.entering = 1;
    EXPECT_FALSE(variable_col_text(ctx_, 0, 1, col));  // outside its bounds, but the run did not end infeasible
    EXPECT_TRUE(variable_col_text(ctx_, 1, 2, col));
    EXPECT_EQ(std::string(col, 6), " *UBD*");
}

TEST_F(WithContext, RowsAreViolatedOnlyBeyondEpsilonOnTheirBindingSide) {
    EXPECT_TRUE(row_violated(ctx_, kRowLessEqual, 4.1, 4.0));
    EXPECT_FALSE(row_violated(ctx_, kRowLessEqual, 4.0 + 5e-9, 4.0));
    EXPECT_FALSE(row_violated(ctx_, kRowLessEqual, -100.0, 4.0));
    EXPECT_TRUE(row_violated(ctx_, kRowRange | kRowLessEqual, 4.1, 4.0));
    EXPECT_TRUE(row_violated(ctx_, kRowGreaterEqual, 3.9, 4.0));
    EXPECT_FALSE(row_violated(ctx_, kRowGreaterEqual, 100.0, 4.0));
    EXPECT_TRUE(row_violated(ctx_, kRowEquality, 3.9, 4.0));
    EXPECT_TRUE(row_violated(ctx_, kRowEquality, 4.1, 4.0));
    EXPECT_FALSE(row_violated(ctx_, kRowRange | kRowEquality, 9.0, 4.0));
    EXPECT_FALSE(row_violated(ctx_, kRowFree, 9.0, 4.0));
    EXPECT_FALSE(row_violated(ctx_, kRowObjective, 9.0, 4.0));
    EXPECT_FALSE(row_violated(ctx_, kRowFixedCharge, 9.0, 4.0));
}

TEST_F(WithContext, FuzzReportsSmallNumbersAsZero) {
    ctx_->options.fuzz = 1e-6;
    EXPECT_EQ(fuzz(ctx_, 9e-7), 0.0);
    EXPECT_EQ(fuzz(ctx_, -9e-7), 0.0);
    EXPECT_EQ(fuzz(ctx_, 2e-6), 2e-6);
}

// The note and the subtitle: the messages issued, in order, and the text.
struct Ending {
    const char* name;
    SolveOutcome outcome;
    bool has_node;
    bool node_is_incumbent;
    std::vector<std::vector<std::string>> messages;  // number first, then the arguments
    std::string subtitle;                            // without the padding
};

void PrintTo(const Ending& e, std::ostream* os) { *os << e.name; }

class Endings : public WithContext, public ::testing::WithParamInterface<Ending> {};

TEST_P(Endings, NoteAndSubtitle) {
    const Ending& e = GetParam();
    ActiveNode node{};
    ctx_->bb.current = e.has_node ? &node : nullptr;
    minihost::state().messages.clear();
    const int code = solution_note(ctx_, e.outcome, e.node_is_incumbent);
    std::vector<std::vector<std::string>> seen;
    for (const auto& m : minihost::state().messages) {
        std::vector<std::string> one = {std::to_string(m.number)};
        one.insert(one.end(), m.args.begin(), m.args.end());
        seen.push_back(one);
    }
    EXPECT_EQ(seen, e.messages);
    char buf[kSubtitleBytes];
    solution_subtitle(e.outcome, code, buf);
    std::string text(buf, kSubtitleBytes);
    EXPECT_EQ(text.size(), 90u);
    while (!text.empty() && text.back() == ' ') text.pop_back();
    EXPECT_EQ(text, e.subtitle);
    ctx_->bb.current = nullptr;
}

SolveOutcome outcome(bool in_phase, int16_t phase, int code, bool feasible, bool optimal, bool integer = false,
                     int32_t solutions = 0, bool active = false) {
    SolveOutcome o{};
    o.in_phase = in_phase;
    o.phase = phase;
    o.code = code;
    o.feasible = feasible;
    o.optimal = optimal;
    o.integer = integer;
    o.solutions = solutions;
    o.active_nodes = active;
    return o;
}

INSTANTIATE_TEST_SUITE_P(
    SolutionSummary, Endings,
    ::testing::Values(
        Ending{"OptimalLp", outcome(false, 2, 0, true, true), false, false, {}, "/L64"},
        Ending{"InfeasibleLp", outcome(false, 1, 6, false, false), false, false, {{"147"}}, "/L66"},
        Ending{"UnboundedLp", outcome(false, 2, 7, true, false), false, false, {{"148"}}, "/L65"},
        Ending{"IterationLimit", outcome(false, 2, 4, true, false), false, false, {{"155", "2", "2"}}, "/L73(2)"},
        Ending{"Unstable", outcome(false, 2, 12, true, false), false, false, {{"149"}}, "/L67"},
        Ending{"Singular", outcome(false, 1, 1, false, false), false, false, {{"150"}}, "/L68"},
        Ending{"TimeLimit", outcome(false, 2, 3, true, false), false, false, {{"151"}}, "/L69"},
        Ending{"Memory", outcome(false, 2, 9, true, false), false, false, {{"152"}}, "/L70"},
        Ending{"BranchAndBoundMemory", outcome(false, 3, 24, true, true, true), false, false, {{"159"}}, "/L74/L76"},
        Ending{"IntegerLimit", outcome(false, 3, 18, true, true, true, 1, true), false, false, {{"154"}}, "/L72/L91"},
        Ending{"IntegerSolutionsAndActiveNodes",
               outcome(false, 3, 0, true, true, true, 2, true),
               false,
               false,
               {{"160", "2"}},
               "/L91"},
        Ending{"IntegerOptimal", outcome(false, 3, 0, true, true, true, 2, false), false, false, {}, "/L90"},
        Ending{"RelaxedOnly", outcome(false, 3, 0, true, true, true, 0, true), false, false, {{"161"}}, "/L76"},
        Ending{
            "NoIntegerSolution", outcome(false, 3, 0, true, true, true, 0, false), false, false, {{"208"}}, "/L71/L76"},
        Ending{"UnboundedInPhaseTwo",
               outcome(true, 2, 7, true, false),
               false,
               false,
               {{"54"}, {"65", "2"}, {"53"}},
               "/L62(2)/L65"},
        Ending{"LimitInPhaseOne",
               outcome(true, 1, 4, false, false),
               false,
               false,
               {{"61", "1", "1"}, {"65", "1"}, {"52"}},
               "/L62(1)/L73(1)"},
        Ending{"PausedOptimalAtTheIncumbent",
               outcome(true, 3, 5, true, true, true, 1, true),
               true,
               true,
               {{"65", "3"}, {"50"}, {"49"}},
               "/L62(3)/L61"},
        Ending{"IntegerFeasibleInPhaseThree",
               outcome(true, 3, 15, true, true, true, 3, true),
               true,
               false,
               {{"160", "3"}, {"65", "3"}, {"50"}, {"207"}},
               "/L62(3)/L91"},
        Ending{"FathomedNode",
               outcome(true, 3, 17, false, true, true),
               true,
               false,
               {{"56"}, {"65", "3"}, {"52"}},
               "/L62(3)/L63"}),
    [](const ::testing::TestParamInfo<Ending>& i) { return std::string(i.param.name); });

}  // namespace
