// integer_program_test.cpp -- branch and bound as a user sees it: status
// words and fields of _QMLP_, the limits, the integer iteration log, the
// notes of the solution data sets, every combination of objectives and
// right-hand sides, and GOALPROGRAM on an integer problem.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>

#include "e2e_support.h"
#include "solution_check.h"

namespace e2e {
namespace {

std::string field(const std::string& text, const std::string& key) {
    std::istringstream in(text);
    std::string token;
    while (in >> token)
        if (token.rfind(key + "=", 0) == 0) return token.substr(key.size() + 1);
    return {};
}

double number(const std::string& text, const std::string& key) {
    return std::strtod(field(text, key).c_str(), nullptr);
}

class IntegerProgram : public ScratchFolder {
  protected:
    // Runs the program; returns the last value of _QMLP_.
    std::string status_after(const std::string& program) {
        last_ = run(program + "%PUT QMLP=&_QMLP_;\n");
        const size_t at = last_.log.rfind("QMLP=");
        if (at == std::string::npos) return {};
        return last_.log.substr(at + 5, last_.log.find('\n', at) - at - 5);
    }

    // PRIMALOUT rows as (objective, rhs, column) -> value.
    std::map<std::string, double> primal_values(const std::string& member) {
        randlp::Table t;
        std::string error;
        std::map<std::string, double> out;
        EXPECT_TRUE(randlp::read_table(dir_ / (member + ".csv"), &t, &error)) << error;
        const int obj = t.column("_OBJ_ID_"), rhs = t.column("_RHS_ID_"), var = t.column("_VAR_"),
                  value = t.column("_VALUE_");
        for (const auto& row : t.rows)
            out[row[obj] + "/" + row[rhs] + "/" + row[var]] = randlp::cell_number(row[value]);
        return out;
    }

    RunResult last_;
};

// Sum of 2 x_j over eight binaries equal to 9: every relaxation is
// feasible, no integer point is (the root's Gomory cut proves it at once).
const char* const kParity8 =
    "_ID_,_TYPE_,x1,x2,x3,x4,x5,x6,x7,x8,_RHS_\n"
    "cost,MIN,1,2,3,4,5,6,7,8,.\n"
    "parity,EQ,2,2,2,2,2,2,2,2,9\n"
    "bin,BINARY,1,1,1,1,1,1,1,1,.\n";

// A subset sum of n binaries with integer weights and a right-hand side of
// one half: no integer point, found only by searching.  With forty items
// the search takes very long.
std::string subset_sum(int n) {
    std::ostringstream csv;
    csv << "_ID_,_TYPE_";
    for (int j = 1; j <= n; ++j) csv << ",x" << j;
    csv << ",_RHS_\ncost,MIN";
    for (int j = 1; j <= n; ++j) csv << ",1";
    csv << ",.\nsum,EQ";
    int total = 0;
    for (int j = 1; j <= n; ++j) csv << ',' << 1000 + 37 * j, total += 1000 + 37 * j;
    csv << ',' << total / 2 << ".5\nbin,BINARY";
    for (int j = 1; j <= n; ++j) csv << ",1";
    csv << ",.\n";
    return csv.str();
}

// A knapsack of twenty items whose first dive soon finds an integer
// solution while many nodes stay active.
std::string knapsack20() {
    std::ostringstream csv;
    csv << "_ID_,_TYPE_";
    for (int j = 1; j <= 20; ++j) csv << ",x" << j;
    csv << ",_RHS_\nvalue,MAX";
    for (int j = 1; j <= 20; ++j) csv << ',' << 10 + j + (j * 7) % 13;
    csv << ",.\nweight,LE";
    for (int j = 1; j <= 20; ++j) csv << ',' << 10 + j;
    csv << ",101\nbin,BINARY";
    for (int j = 1; j <= 20; ++j) csv << ",1";
    csv << ",.\n";
    return csv.str();
}

const char* const kTwoByTwo =
    "_ID_,_TYPE_,x1,x2,rhs1,rhs2\n"
    "profit,MAX,3,2,.,.\n"
    "cost,MIN,1,1,.,.\n"
    "c1,LE,1,1,4.5,6.5\n"
    "c2,LE,1,3,6.5,9.5\n"
    "c3,GE,1,0,1.5,2.5\n"
    "int,INTEGER,1,1,.,.\n";

TEST_F(IntegerProgram, OptimalIntegerSolutionIsSuccessful) {
    write("k.csv", knapsack20());
    const std::string s = status_after("LP data=k imaxit=100000 primalout=po;\nRUN;\n");
    EXPECT_EQ(field(s, "STATUS"), "SUCCESSFUL") << s;
    EXPECT_EQ(field(s, "PHASE"), "3") << s;
    EXPECT_EQ(field(s, "ACTIVE"), "0") << s;
    EXPECT_GE(number(s, "INT_FEAS"), 1) << s;
    EXPECT_GT(number(s, "INT_ITER"), 1) << s;
    EXPECT_EQ(field(s, "INT_BEST"), field(s, "OBJECTIVE")) << s;
    EXPECT_TRUE(field(s, "PROXIMITY").empty()) << s;
    EXPECT_TRUE(contains(last_.log, "PRIMALOUT holds the optimal integer solution.")) << last_.log;
    EXPECT_TRUE(contains(last_.listing, "Integer Iteration Log")) << last_.listing;
    EXPECT_TRUE(contains(last_.listing, "SUBOPTIMAL")) << last_.listing;
    EXPECT_TRUE(contains(last_.listing, "Integer Optimal")) << last_.listing;
}

TEST_F(IntegerProgram, CompressedNodeRecordsReachTheSameOptimum) {
    write("k.csv", knapsack20());
    const std::string raw = status_after("LP data=k imaxit=100000;\nRUN;\n");
    const std::string s = status_after("LP data=k imaxit=100000 treetype=2;\nRUN;\n");
    EXPECT_EQ(field(s, "STATUS"), "SUCCESSFUL") << s;
    EXPECT_EQ(field(s, "OBJECTIVE"), field(raw, "OBJECTIVE")) << s;
    EXPECT_EQ(field(s, "INT_ITER"), field(raw, "INT_ITER")) << s;
    EXPECT_TRUE(contains(last_.log, "bytes (TREETYPE=2).")) << last_.log;
}

TEST_F(IntegerProgram, IntegralRelaxationNeedsNoIntegerIteration) {
    write("p.csv", "_ID_,_TYPE_,x,y,_RHS_\nv,MAX,1,1,.\nc,LE,1,1,4\nint,INTEGER,1,1,.\n");
    const std::string s = status_after("LP data=p;\nRUN;\n");
    EXPECT_EQ(field(s, "STATUS"), "SUCCESSFUL") << s;
    EXPECT_EQ(field(s, "INT_ITER"), "0") << s;
    EXPECT_EQ(field(s, "INT_FEAS"), "1") << s;
    EXPECT_EQ(number(s, "OBJECTIVE"), 4.0) << s;
}

TEST_F(IntegerProgram, NoIntegerSolutionIsIntInfeasible) {
    write("p.csv", kParity8);
    const std::string s = status_after("LP data=p primalout=po dualout=do;\nRUN;\n");
    EXPECT_EQ(field(s, "STATUS"), "INT_INFEASIBLE") << s;
    EXPECT_EQ(field(s, "INT_FEAS"), "0") << s;
    EXPECT_EQ(field(s, "INT_BEST"), ".") << s;
    EXPECT_EQ(field(s, "ACTIVE"), "0") << s;
    EXPECT_TRUE(contains(last_.log, "The problem has no integer solution")) << last_.log;
    EXPECT_TRUE(contains(last_.log, "PRIMALOUT holds the solution of the continuous relaxation")) << last_.log;
    EXPECT_FALSE(contains(last_.log, "PRIMALOUT holds a solution that is not final")) << last_.log;
    EXPECT_EQ(last_.exit_status, 0);
}

TEST_F(IntegerProgram, UnboundedRelaxationEndsBeforeBranchAndBound) {
    write("p.csv", "_ID_,_TYPE_,x,y,_RHS_\nv,MAX,1,1,.\nc,LE,1,-1,1.5\nint,INTEGER,1,.,.\n");
    const std::string s = status_after("LP data=p;\nRUN;\n");
    EXPECT_EQ(field(s, "STATUS"), "UNBOUNDED") << s;
    EXPECT_EQ(field(s, "INT_ITER"), "0") << s;
}

TEST_F(IntegerProgram, IntegerIterationLimitWithoutIncumbent) {
    write("p.csv", subset_sum(40));
    const std::string s = status_after("LP data=p imaxit=50 primalout=po;\nRUN;\n");
    EXPECT_EQ(field(s, "STATUS"), "INT_MAX_ITER") << s;
    EXPECT_EQ(field(s, "INT_ITER"), "50") << s;
    EXPECT_EQ(field(s, "INT_FEAS"), "0") << s;
    EXPECT_EQ(field(s, "INT_BEST"), ".") << s;
    EXPECT_GT(number(s, "ACTIVE"), 0) << s;
    EXPECT_TRUE(field(s, "PROXIMITY").empty()) << s;
    EXPECT_TRUE(contains(last_.log, "The integer iteration limit (IMAXIT=) was reached")) << last_.log;
    EXPECT_TRUE(contains(last_.log, "PRIMALOUT holds a solution that is not final")) << last_.log;
}

TEST_F(IntegerProgram, IntegerIterationLimitWithIncumbent) {
    write("k.csv", knapsack20());
    const std::string s = status_after("LP data=k imaxit=30;\nRUN;\n");
    EXPECT_EQ(field(s, "STATUS"), "INT_MAX_ITER") << s;
    EXPECT_EQ(field(s, "INT_ITER"), "30") << s;
    EXPECT_GE(number(s, "INT_FEAS"), 1) << s;
    EXPECT_GT(number(s, "ACTIVE"), 0) << s;
    EXPECT_NE(field(s, "INT_BEST"), ".") << s;
    EXPECT_FALSE(field(s, "PROXIMITY").empty()) << s;
    EXPECT_GE(number(s, "PROXIMITY"), 0.0) << s;
    // The reported solution is the incumbent.
    EXPECT_EQ(number(s, "OBJECTIVE"), number(s, "INT_BEST")) << s;
}

TEST_F(IntegerProgram, TimeLimitStopsTheSearch) {
    write("p.csv", subset_sum(40));
    const std::string s = status_after("LP data=p imaxit=2000000000 time=0.5;\nRUN;\n");
    EXPECT_EQ(field(s, "STATUS"), "MAX_TIME") << s;
    EXPECT_GT(number(s, "INT_ITER"), 1) << s;
}

TEST_F(IntegerProgram, PhaseThreeIterationLimitStopsTheSearch) {
    write("p.csv", subset_sum(40));
    const std::string s = status_after("LP data=p imaxit=2000000000 maxit3=40;\nRUN;\n");
    EXPECT_EQ(field(s, "STATUS"), "MAX_ITER") << s;
    EXPECT_GE(number(s, "PHASE3_ITER"), 40) << s;
}

TEST_F(IntegerProgram, TwoObjectivesTimesTwoRightHandSidesSolveFourCombinations) {
    write("p.csv", kTwoByTwo);
    const std::string s = status_after("LP data=p primalout=po;\nRHS rhs1 rhs2;\nRUN;\n");
    EXPECT_EQ(field(s, "STATUS"), "SUCCESSFUL") << s;
    const std::map<std::string, double> v = primal_values("po");
    // Optima by enumeration: profit 3x1+2x2 at (4,0) and (6,0), cost x1+x2
    // at (2,0) and (3,0).
    const struct {
        const char* obj;
        const char* rhs;
        double x1, x2;
    } expected[] = {{"profit", "rhs1", 4, 0}, {"cost", "rhs1", 2, 0}, {"cost", "rhs2", 3, 0}, {"profit", "rhs2", 6, 0}};
    for (const auto& e : expected) {
        const std::string key = std::string(e.obj) + "/" + e.rhs + "/";
        ASSERT_EQ(v.count(key + "x1"), 1u) << key;
        EXPECT_NEAR(v.at(key + "x1"), e.x1, 1e-9) << key;
        EXPECT_NEAR(v.at(key + "x2"), e.x2, 1e-9) << key;
    }
    int solved = 0;
    for (size_t at = last_.log.find("optimal integer solution"); at != std::string::npos;
         at = last_.log.find("optimal integer solution", at + 1))
        ++solved;
    EXPECT_EQ(solved, 4) << last_.log;
}

TEST_F(IntegerProgram, GoalProgramHoldsTheIntegerOptimum) {
    write("p.csv", kTwoByTwo);
    const std::string s = status_after("LP data=p primalout=po goalprogram;\nRHS rhs1;\nRUN;\n");
    EXPECT_EQ(field(s, "STATUS"), "SUCCESSFUL") << s;
    const std::map<std::string, double> v = primal_values("po");
    // Profit first (12 at (4,0)), then the least cost that keeps profit 12.
    EXPECT_NEAR(v.at("profit/rhs1/x1"), 4.0, 1e-9);
    EXPECT_NEAR(v.at("cost/rhs1/x1"), 4.0, 1e-9);
    EXPECT_NEAR(v.at("cost/rhs1/x2"), 0.0, 1e-9);
}

TEST_F(IntegerProgram, PrintFrequencyThinsTheIntegerLog) {
    write("p.csv", subset_sum(8));
    status_after("LP data=p printfreq=4;\nRUN;\n");
    std::istringstream in(last_.listing);
    std::string line;
    bool in_log = false;
    int lines = 0;
    while (std::getline(in, line)) {
        if (contains(line, "Integer Iteration Log")) in_log = true;
        if (contains(line, "Solution Summary")) break;
        const size_t first = line.find_first_not_of(' ');
        if (!in_log || first == std::string::npos || !std::isdigit(static_cast<unsigned char>(line[first]))) continue;
        const int iteration = std::atoi(line.c_str());
        EXPECT_EQ(iteration % 4, 0) << line;
        ++lines;
    }
    EXPECT_GT(lines, 0) << last_.listing;
}

// A search stopped by IMAXIT goes on in a later run from its ACTIVEOUT, to
// the optimum of one run without a stop, its iterations counted on.
TEST_F(IntegerProgram, AStoppedSearchGoesOnFromItsActiveNodes) {
    write("k.csv", knapsack20());
    const std::string whole = status_after("LP data=k imaxit=100000;\nRUN;\n");
    const std::string stopped = status_after("LP data=k imaxit=5 activeout=nodes;\nRUN;\n");
    ASSERT_EQ(field(stopped, "STATUS"), "INT_MAX_ITER") << stopped;
    const std::string nodes = slurp(dir_ / "nodes.csv");
    EXPECT_TRUE(contains(nodes, ",INTBEST,5,")) << nodes;
    EXPECT_TRUE(contains(nodes, ",LOWERBD,") && contains(nodes, ",UPPERBD,")) << nodes;

    const std::string resumed = status_after("LP data=k imaxit=100000 activein=nodes;\nRUN;\n");
    EXPECT_EQ(field(resumed, "STATUS"), "SUCCESSFUL") << resumed << last_.log;
    EXPECT_EQ(field(resumed, "OBJECTIVE"), field(whole, "OBJECTIVE")) << resumed;
    EXPECT_GT(std::stol(field(resumed, "INT_ITER")), 5) << resumed;

    // Without a variable the reader needs: bad data, named.
    write("broken.csv", "_OBJ_ID_,_RHS_ID_,_STATUS_,_PROB_\nvalue,_RHS_,INTBEST,3\n");
    const std::string broken = status_after("LP data=k activein=broken;\nRUN;\n");
    EXPECT_EQ(field(broken, "STATUS"), "BADDATA_ERROR") << broken;
    EXPECT_TRUE(contains(last_.log, "The ACTIVEIN data set lacks one of its required variables.")) << last_.log;
}

// A PRIMALIN whose solution is fractional (the relaxation of a stopped
// search) is said not to be integer feasible; the best integer solution's
// PRIMALOUT, measured with the bounds it carries, is.
TEST_F(IntegerProgram, APrimalinSolutionIsMeasuredForIntegrality) {
    write("k.csv", knapsack20());
    status_after("LP data=k imaxit=1 primalout=frac;\nRUN;\n");
    status_after("LP data=k primalout=best;\nRUN;\n");
    const char* const kNotInteger = "The integer solution in PRIMALIN is not integer feasible";
    std::string s = status_after("LP data=k primalin=frac;\nRUN;\n");
    EXPECT_EQ(field(s, "STATUS"), "SUCCESSFUL") << s;
    EXPECT_TRUE(contains(last_.log, kNotInteger)) << last_.log;
    s = status_after("LP data=k primalin=best;\nRUN;\n");
    EXPECT_EQ(field(s, "STATUS"), "SUCCESSFUL") << s;
    EXPECT_FALSE(contains(last_.log, kNotInteger)) << last_.log;
}

// The best integer solution's PRIMALOUT starts the next search as its
// incumbent; one from a stopped search starts it too, but the search still
// goes on to the optimum instead of taking the stale solution for it.
TEST_F(IntegerProgram, APrimalinIntegerSolutionIsTheFirstIncumbent) {
    write("k.csv", knapsack20());
    const std::string whole = status_after("LP data=k primalout=best;\nRUN;\n");
    const char* const kIncumbent = "The integer solution in PRIMALIN is the first incumbent";
    std::string s = status_after("LP data=k primalin=best;\nRUN;\n");
    EXPECT_EQ(field(s, "STATUS"), "SUCCESSFUL") << s;
    EXPECT_EQ(field(s, "OBJECTIVE"), field(whole, "OBJECTIVE")) << s;
    EXPECT_TRUE(contains(last_.log, kIncumbent)) << last_.log;
    EXPECT_LT(std::stol(field(s, "INT_ITER")), std::stol(field(whole, "INT_ITER"))) << s << whole;

    const std::string stopped = status_after("LP data=k imaxit=16 primalout=early;\nRUN;\n");
    ASSERT_EQ(field(stopped, "STATUS"), "INT_MAX_ITER") << stopped;
    ASSERT_NE(field(stopped, "INT_BEST"), field(whole, "OBJECTIVE")) << stopped;
    s = status_after("LP data=k primalin=early;\nRUN;\n");
    EXPECT_TRUE(contains(last_.log, kIncumbent)) << last_.log;
    EXPECT_EQ(field(s, "STATUS"), "SUCCESSFUL") << s;
    EXPECT_EQ(field(s, "OBJECTIVE"), field(whole, "OBJECTIVE")) << s;
}

}  // namespace
}  // namespace e2e
