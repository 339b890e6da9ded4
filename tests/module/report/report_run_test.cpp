// report_run_test.cpp -- the reports of whole runs: the summary tables and
// their PRINTLEVEL gates, the iteration log with FLOW and PRINTFREQ, and the
// log's hand-over to the solution summary.
#include <algorithm>
#include <cmath>
#include <set>

#include "report_fixture.h"

namespace reporttest {
namespace {

constexpr double kTol = 1e-7;

// max 3x + 2y + 4z with three <= rows: optimum 10.5 at (2.5, 1.5, 0).
const char* kProductMix =
    "_ID_,_TYPE_,x,y,z,_RHS_\n"
    "profit,MAX,3,2,4,.\n"
    "c1,LE,1,1,2,4\n"
    "c2,LE,2,0,1,5\n"
    "c3,LE,1,3,1,7\n";

// x + y >= 4 and x + y <= 2 cannot both hold.
const char* kInfeasible =
    "_ID_,_TYPE_,x,y,_RHS_\n"
    "cost,MIN,1,1,.\n"
    "lo,GE,1,1,4\n"
    "hi,LE,1,1,2\n";

// max x with x - y <= 1: x grows without bound along with y.
const char* kUnbounded =
    "_ID_,_TYPE_,x,y,_RHS_\n"
    "gain,MAX,1,0,.\n"
    "link,LE,1,-1,1\n";

// A band of rows, some of them >= rows that the slack basis violates, so
// that phases 1 and 2 both take many iterations.
std::string band(int m) {
    const int k = 2 * m;
    std::string csv = "_ID_,_TYPE_";
    for (int j = 0; j < k; ++j) csv += ",x" + std::to_string(j);
    csv += ",_RHS_\nobj,MAX";
    for (int j = 0; j < k; ++j) csv += "," + std::to_string(1 + (j * 17 % 11));
    csv += ",.\n";
    for (int i = 0; i < m; ++i) {
        std::vector<double> row(static_cast<size_t>(k), 0.0);
        for (int j = 0; j < k; ++j)
            for (int t = 0; t < 3; ++t)
                if ((j + 7 * t) % m == i) row[static_cast<size_t>(j)] = 1.0 + ((j * 13 + t * 5) % 7);
        const bool ge = i % 3 == 0;
        csv += "r" + std::to_string(i) + (ge ? ",GE" : ",LE");
        for (double v : row) csv += "," + (v == 0.0 ? std::string(".") : std::to_string(static_cast<int>(v)));
        csv += ge ? ",10\n" : ",100\n";
    }
    return csv;
}

class Reports : public ReportRun {
  protected:
    const RecordedTable* only(const std::string& name) const {
        const auto all = tables().named(name);
        return all.size() == 1 ? all.front() : nullptr;
    }
    size_t count_of(const std::string& name) const { return tables().named(name).size(); }
};

TEST_F(Reports, AnOptimalRunReportsEveryTableInOrderWithConsistentNumbers) {
    data(kProductMix);
    ASSERT_EQ(run(), 0);
    const std::vector<std::string> expected = {"factoid ProblemSummary", "factoid SolutionSummary",
                                               "open VariableSummary",   "close VariableSummary",
                                               "open ConstraintSummary", "close ConstraintSummary"};
    EXPECT_EQ(tables().events, expected);

    // The density of the constraint rows once the logical columns exist:
    // 8 non-zero coefficients in 3 rows of 3 structural and 3 slack columns.
    const RecordedTable* ps = only("ProblemSummary");
    ASSERT_NE(ps, nullptr);
    ASSERT_NE(ps->entry("L40"), nullptr);
    EXPECT_NEAR(ps->entry("L40")->number, 100.0 * 8 / 18, 1e-12);

    const RecordedTable* s = only("SolutionSummary");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->template_path, "Qm.Lp.SolutionSummary");
    EXPECT_EQ(s->label, "L220");
    ASSERT_GE(s->entries.size(), 17u);
    EXPECT_EQ(s->entries[0].first, "L77");
    EXPECT_NEAR(s->entries[0].second.number, 10.5, kTol);
    // Spacer entries have a blank label (recorded trimmed).
    const std::vector<std::string> labels = {"L77", "",       "L78(1)", "L78(2)", "L78(3)", "L79",
                                             "L80", "L81",    "L82",    "L84",    "",       "L85",
                                             "L86", "L87(1)", "L87(2)", "L87(3)", "L122",   "L88"};
    ASSERT_EQ(s->entries.size(), labels.size());
    for (size_t k = 0; k < labels.size(); ++k) EXPECT_EQ(s->entries[k].first, labels[k]) << k;
    EXPECT_EQ(s->subtitle, "/L64" + std::string(86, ' '));  // the 90-character buffer: "optimal"
    // An optimal pure LP needs no note in the log.
    for (int n : {50, 52, 53, 65, 147, 148, 160, 208}) EXPECT_FALSE(minihost::has_message(n)) << n;

    const RecordedTable* v = only("VariableSummary");
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->label, "L231");
    EXPECT_EQ(v->columns,
              (std::vector<std::string>{"Col", "VarName", "Status", "Type", "Price", "Activity", "ReducedCost"}));
    ASSERT_EQ(v->rows.size(), 3u);
    const double x[3] = {2.5, 1.5, 0.0};
    const double price[3] = {3, 2, 4};
    for (size_t j = 0; j < 3; ++j) {
        EXPECT_EQ(v->at(j, "Col").s, "     " + std::to_string(j + 1));
        EXPECT_EQ(v->at(j, "Type").s, "NON-NEG");
        EXPECT_NEAR(v->at(j, "Activity").number, x[j], kTol);
        EXPECT_NEAR(v->at(j, "Price").number, price[j], kTol);
    }
    EXPECT_EQ(v->at(0, "Status").s, "BASIC");
    EXPECT_EQ(v->at(0, "ReducedCost").number, 0.0);

    const RecordedTable* c = only("ConstraintSummary");
    ASSERT_NE(c, nullptr);
    ASSERT_EQ(c->rows.size(), 4u);  // the objective and three constraints; never the phase-1 row
    EXPECT_EQ(c->at(0, "RowName").s, "profit");
    EXPECT_EQ(c->at(0, "Type").s, "OBJECTVE");
    EXPECT_EQ(c->at(0, "SSCol").number, 0);
    EXPECT_TRUE(std::isnan(c->at(0, "Dual").number));  // the host's missing value
    EXPECT_NEAR(c->at(0, "Activity").number, 10.5, kTol);
    std::vector<double> dual(4);
    for (size_t i = 1; i < 4; ++i) {
        EXPECT_EQ(c->at(i, "Type").s, "LE");
        EXPECT_GT(c->at(i, "SSCol").number, 3);  // a logical column, counted from 1
        dual[i] = c->at(i, "Dual").number;
        EXPECT_GE(dual[i], -kTol);  // a binding <= row of a maximisation has a dual >= 0
    }
    // Reduced cost = price - duals x column: x and y are basic (0), z is not.
    const double a[4][3] = {{0, 0, 0}, {1, 1, 2}, {2, 0, 1}, {1, 3, 1}};
    for (size_t j = 0; j < 3; ++j) {
        double d = price[j];
        for (size_t i = 1; i < 4; ++i) d -= dual[i] * a[i][j];
        EXPECT_NEAR(v->at(j, "ReducedCost").number, d, 1e-9) << j;
    }
    // The objective value equals the duals times the right-hand sides.
    EXPECT_NEAR(dual[1] * 4 + dual[2] * 5 + dual[3] * 7, 10.5, 1e-9);
}

// PRINTLEVEL gates: which of the four summaries appear, and for -1 which
// lines.
struct LevelCase {
    int level;
    bool infeasible;
    std::vector<std::string> tables;  // in order
};

class PrintLevels : public Reports, public ::testing::WithParamInterface<LevelCase> {};

TEST_P(PrintLevels, PrintExactlyWhatTheLevelAllows) {
    const LevelCase& p = GetParam();
    data(p.infeasible ? kInfeasible : kProductMix);
    ctx_->options.printlevel = static_cast<int16_t>(p.level);
    ASSERT_EQ(run(), 0);
    std::vector<std::string> names;
    for (const RecordedTable& t : tables().tables) names.push_back(t.name);
    EXPECT_EQ(names, p.tables);
}

INSTANTIATE_TEST_SUITE_P(
    Levels, PrintLevels,
    ::testing::Values(
        LevelCase{1, false, {"ProblemSummary", "SolutionSummary", "VariableSummary", "ConstraintSummary"}},
        LevelCase{0, false, {"ProblemSummary", "SolutionSummary"}},
        LevelCase{-1, false, {"ProblemSummary", "SolutionSummary"}}, LevelCase{-2, false, {}},
        LevelCase{0, true, {"ProblemSummary", "SolutionSummary"}}, LevelCase{-2, true, {}}),
    [](const ::testing::TestParamInfo<LevelCase>& i) {
        return std::string(i.param.infeasible ? "Infeasible" : "Optimal") + "Level" +
               (i.param.level < 0 ? "Minus" + std::to_string(-i.param.level) : std::to_string(i.param.level));
    });

TEST_F(Reports, AnInfeasibleRunAtLevelMinusOneShowsOnlyMarkedLines) {
    data(kInfeasible);
    ctx_->options.printlevel = -1;
    ASSERT_EQ(run(), 0);
    ASSERT_EQ(count_of("ProblemSummary"), 1u);
    ASSERT_EQ(count_of("SolutionSummary"), 1u);
    size_t marked = 0;
    for (const char* name : {"VariableSummary", "ConstraintSummary"})
        for (const RecordedTable* t : tables().named(name))
            for (const auto& row : t->rows) {
                EXPECT_EQ(row[0].s, " *INF*");
                ++marked;
            }
    EXPECT_GE(marked, 1u);
    EXPECT_TRUE(minihost::has_message(147));  // the note: infeasible
    EXPECT_EQ(only("SolutionSummary")->subtitle.substr(0, 4), "/L66");
}

TEST_F(Reports, AnInfeasibleRunAtLevelOneMarksTheViolatedRowsAmongAllLines) {
    data(kInfeasible);
    ASSERT_EQ(run(), 0);
    const RecordedTable* c = only("ConstraintSummary");
    ASSERT_NE(c, nullptr);
    ASSERT_EQ(c->rows.size(), 3u);
    // Whatever phase 1 settles on, one of the two rows is violated.
    const bool lo = c->at(1, "Row").s == " *INF*";
    const bool hi = c->at(2, "Row").s == " *INF*";
    EXPECT_TRUE(lo || hi);
    EXPECT_EQ(c->at(0, "Row").s, "     1");  // the objective row is never marked
    EXPECT_FALSE(minihost::has_message(245));
}

TEST_F(Reports, AnUnboundedRunMarksTheEnteringColumn) {
    data(kUnbounded);
    ASSERT_EQ(run(), 0);
    EXPECT_TRUE(minihost::has_message(148));
    const RecordedTable* v = only("VariableSummary");
    ASSERT_NE(v, nullptr);
    int marks = 0;
    for (const auto& row : v->rows) marks += row[0].s == " *UBD*" ? 1 : 0;
    EXPECT_EQ(marks, 1);
    EXPECT_EQ(only("SolutionSummary")->subtitle.substr(0, 5), "/L65 ");
}

TEST_F(Reports, FlowWithPrintFreqTenPrintsEveryTenthIterationOfEachPhase) {
    data(band(30));
    ctx_->options.flow = 1;
    ctx_->options.printfreq = 10;
    ctx_->options.maxit1 = ctx_->options.maxit2 = 100000;
    ASSERT_EQ(run(), 0);
    const RecordedTable* log = only("IterationLog");
    ASSERT_NE(log, nullptr);
    EXPECT_EQ(log->columns, (std::vector<std::string>{"Phase", "Iteration", "EnterVar", "EnterCol", "LeaveVar",
                                                      "LeaveCol", "ReducedCost", "ObjValue"}));
    ASSERT_GE(log->rows.size(), 2u);
    std::set<int> phases;
    for (const auto& row : log->rows) {
        const std::string it = row[1].s;
        ASSERT_EQ(it.size(), 9u);
        const int count = std::stoi(it.substr(1));
        EXPECT_EQ(count % 10, 0) << it;
        phases.insert(static_cast<int>(row[0].number));
        EXPECT_GE(row[3].number, 1);  // columns counted from 1
        EXPECT_GE(row[5].number, 1);
    }
    EXPECT_TRUE(phases.count(2) == 1);
    // The log ends, marked as cut short, and closes before the solution summary.
    EXPECT_TRUE(log->rows_ended && log->ended_with_log_open && log->closed);
    const auto& ev = tables().events;
    const auto close = std::find(ev.begin(), ev.end(), "close IterationLog");
    const auto summary = std::find(ev.begin(), ev.end(), "factoid SolutionSummary");
    EXPECT_LT(close, summary);
    // The counts of the solution summary match: lines = count / 10 per phase.
    const RecordedTable* s = only("SolutionSummary");
    const double p1 = s->entry("L78(1)")->number;
    const double p2 = s->entry("L78(2)")->number;
    EXPECT_EQ(log->rows.size(), static_cast<size_t>(p1) / 10 + static_cast<size_t>(p2) / 10);
}

TEST_F(Reports, PhaseOneLinesShowTheSumOfViolationsEndingAtZero) {
    data(band(12));
    ctx_->options.flow = 1;
    ctx_->options.printfreq = 1;
    ASSERT_EQ(run(), 0);
    const RecordedTable* log = only("IterationLog");
    ASSERT_NE(log, nullptr);
    double last_phase1 = -1.0;
    int phase1_lines = 0;
    for (const auto& row : log->rows) {
        if (row[0].number != 1) continue;
        ++phase1_lines;
        EXPECT_GE(row[7].number, 0.0);
        last_phase1 = row[7].number;
    }
    ASSERT_GT(phase1_lines, 0);
    EXPECT_EQ(last_phase1, 0.0);  // phase 1 ends feasible
    // Phase 2 lines show the objective; the last one is the optimum.
    const RecordedTable* s = only("SolutionSummary");
    EXPECT_NEAR(log->rows.back()[7].number, s->entry("L77")->number, 1e-6 * std::fabs(s->entry("L77")->number));
}

TEST_F(Reports, PrintLevelMinusTwoSuppressesTheIterationLog) {
    data(band(12));
    ctx_->options.flow = 1;
    ctx_->options.printfreq = 1;
    ctx_->options.printlevel = -2;
    ASSERT_EQ(run(), 0);
    EXPECT_TRUE(tables().tables.empty());
}

TEST_F(Reports, ALogTheHostRefusesDoesNotStopTheSolve) {
    data(band(12));
    ctx_->options.flow = 1;
    ctx_->options.printfreq = 1;
    recorder().refuse = "IterationData";
    ASSERT_EQ(run(), 0);
    EXPECT_GT(recorder().refused, 1);  // every line tried again
    EXPECT_EQ(count_of("IterationLog"), 0u);
    EXPECT_EQ(count_of("SolutionSummary"), 1u);
    EXPECT_EQ(count_of("ConstraintSummary"), 1u);
}

TEST_F(Reports, WithoutFlowThereIsNoIterationLog) {
    data(band(12));
    ASSERT_EQ(run(), 0);
    EXPECT_EQ(count_of("IterationLog"), 0u);
}

}  // namespace
}  // namespace reporttest
