// search_resume_test.cpp -- integer searches that must never lose or
// misstate the optimum: integer columns with fractional bounds, node
// selection changed in a pause, problems whose only integer structure is a
// special ordered set, searches stopped inside a node's LP, and searches
// continued from ACTIVEIN or PRIMALIN data sets that may have been edited.
// Bad data found in the run gives exit status 3.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "e2e_support.h"

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

// A knapsack of twenty binaries: many nodes stay active for a while.
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

// Lines of a CSV file, and back.
std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) out.push_back(line);
    return out;
}

std::string joined(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& l : lines) out += l + "\n";
    return out;
}

std::vector<std::string> cells_of(const std::string& line) {
    std::vector<std::string> out;
    std::string cell;
    std::istringstream in(line);
    while (std::getline(in, cell, ',')) out.push_back(cell);
    if (!line.empty() && line.back() == ',') out.push_back("");
    return out;
}

std::string line_of(const std::vector<std::string>& cells) {
    std::string out;
    for (size_t k = 0; k < cells.size(); ++k) out += (k > 0 ? "," : "") + cells[k];
    return out;
}

int column_named(const std::string& header, const std::string& name) {
    const std::vector<std::string> cells = cells_of(header);
    // A character variable's header cell carries its length: "_STATUS_$8".
    for (size_t k = 0; k < cells.size(); ++k)
        if (cells[k].substr(0, cells[k].find('$')) == name) return static_cast<int>(k);
    return -1;
}

class SearchResume : public ScratchFolder {
  protected:
    // Runs the program; returns the last value of _QMLP_.
    std::string status_after(const std::string& program) {
        last_ = run(program + "%PUT QMLP=&_QMLP_;\n");
        const size_t at = last_.log.rfind("QMLP=");
        if (at == std::string::npos) return {};
        return last_.log.substr(at + 5, last_.log.find('\n', at) - at - 5);
    }

    // The program's MPS instance imported as a sparse data set; false when
    // the shared folder is absent.
    bool import(const std::string& instance) {
        const fs::path mps = bench_dir("miplib3") / (instance + ".mps.gz");
        if (!fs::exists(mps)) return false;
        return shell(quoted(qmlp_binary().string()) + " import-mps " + quoted(mps.string()) + " -o " +
                     quoted((dir_ / (instance + ".csv")).string()) + " >/dev/null 2>&1") == 0;
    }

    RunResult last_;
};

// max x + y, y <= 1, x integer in [0, 2.5]: the relaxation leaves x at 2.5,
// where no branch can cut it off; its bound is 2 for every integer solution.
TEST_F(SearchResume, FractionalIntegerBoundsAreRoundedInward) {
    write("f.csv", "_ID_,_TYPE_,x,y,_RHS_\nobj,MAX,1,1,.\nc1,LE,0,1,1\nup,UPPERBD,2.5,.,.\nint,INTEGER,1,.,.\n");
    std::string s = status_after("LP data=f primalout=fp;\nRUN;\n");
    EXPECT_EQ(field(s, "STATUS"), "SUCCESSFUL") << s << last_.log;
    EXPECT_EQ(number(s, "OBJECTIVE"), 3.0) << s;
    EXPECT_TRUE(contains(last_.log, "The fractional bounds of 1 integer columns were rounded")) << last_.log;

    // A lower bound too, in a minimisation: x in [-1.5, 2.5] gives -1.
    write("g.csv",
          "_ID_,_TYPE_,x,y,_RHS_\nobj,MIN,1,1,.\nc1,GE,0,1,1\nlo,LOWERBD,-1.5,.,.\nup,UPPERBD,2.5,.,.\n"
          "int,INTEGER,1,.,.\n");
    s = status_after("LP data=g;\nRUN;\n");
    EXPECT_EQ(field(s, "STATUS"), "SUCCESSFUL") << s;
    EXPECT_EQ(number(s, "OBJECTIVE"), 0.0) << s;

    // No whole number between 2.3 and 2.7: no integer solution, said so.
    write("h.csv",
          "_ID_,_TYPE_,x,y,_RHS_\nobj,MAX,1,1,.\nc1,LE,0,1,1\nlo,LOWERBD,2.3,.,.\nup,UPPERBD,2.7,.,.\n"
          "int,INTEGER,1,.,.\n");
    s = status_after("LP data=h;\nRUN;\n");
    EXPECT_EQ(field(s, "STATUS"), "INT_INFEASIBLE") << s;
    EXPECT_TRUE(contains(last_.log, "The integer column x has no whole number between its bounds")) << last_.log;
    EXPECT_EQ(last_.exit_status, 0) << last_.log;

    // Whole bounds that leave the relaxation without a point: x in [0.5,
    // 1.6] rounds to [1, 1], and a row asks x >= 1.5.
    write("i.csv",
          "_ID_,_TYPE_,x,y,_RHS_\nobj,MAX,1,1,.\nc1,LE,0,1,1\nc2,GE,1,0,1.5\nlo,LOWERBD,0.5,.,.\n"
          "up,UPPERBD,1.6,.,.\nint,INTEGER,1,.,.\n");
    s = status_after("LP data=i primalout=ip;\nRUN;\n");
    EXPECT_EQ(field(s, "STATUS"), "INT_INFEASIBLE") << s << last_.log;
    EXPECT_EQ(last_.exit_status, 0) << last_.log;
}

// CANSELECT and BACKTRACK changed at integer pauses: the rules read lists
// that must be there.
TEST_F(SearchResume, NodeSelectionChangedAtAPauseGoesOn) {
    if (!import("p0033")) GTEST_SKIP() << "the shared MIPLIB 3 folder is absent";
    const std::string s = status_after(
        "LP data=p0033 sparsedata ipause=100 imaxit=100000;\nRUN;\nRESET canselect=error;\nRUN;\n"
        "RESET backtrack=pseudoc;\nRUN;\nRESET canselect=project backtrack=obj;\nRUN;\n");
    EXPECT_EQ(field(s, "STATUS"), "SUCCESSFUL") << s << last_.log;
    EXPECT_EQ(number(s, "OBJECTIVE"), 3089.0) << s;
    EXPECT_EQ(last_.exit_status, 0) << last_.log;
}

// A problem whose only integer structure is a special ordered set still
// writes its ACTIVEOUT, and a later run reads it.
TEST_F(SearchResume, ASetOnlyProblemWritesItsActiveNodes) {
    const fs::path contracts = fs::path(QMLP_SOURCE_DIR) / "examples" / "contracts" / "contracts.csv";
    write("c.csv", slurp(contracts));
    const std::string whole = status_after("LP data=c activeout=cn;\nRUN;\n");
    ASSERT_EQ(field(whole, "STATUS"), "SUCCESSFUL") << whole << last_.log;
    const std::string nodes = slurp(dir_ / "cn.csv");
    EXPECT_TRUE(contains(nodes, ",INTBEST,")) << nodes;
    EXPECT_EQ(column_named(lines_of(nodes).at(0), "_NODES_") >= 0, true) << nodes;
    const std::string again = status_after("LP data=c activein=cn;\nRUN;\n");
    EXPECT_EQ(field(again, "STATUS"), "SUCCESSFUL") << again << last_.log;
    EXPECT_EQ(field(again, "OBJECTIVE"), field(whole, "OBJECTIVE")) << again;
}

// A stop inside a node's LP: the node is still active, ACTIVEOUT holds it,
// and a later run reaches the optimum from it.
TEST_F(SearchResume, AStopInsideANodeLpKeepsTheNode) {
    write("k.csv", knapsack20());
    const std::string whole = status_after("LP data=k imaxit=100000;\nRUN;\n");
    ASSERT_EQ(field(whole, "STATUS"), "SUCCESSFUL") << whole;
    const double iterations = number(whole, "PHASE3_ITER");
    for (int maxit3 : {1, 2, 3, 5, 8, 13}) {
        if (maxit3 >= iterations) break;
        const std::string stopped =
            status_after("LP data=k imaxit=100000 maxit3=" + std::to_string(maxit3) + " activeout=nodes;\nRUN;\n");
        ASSERT_EQ(field(stopped, "STATUS"), "MAX_ITER") << stopped;
        const std::vector<std::string> lines = lines_of(slurp(dir_ / "nodes.csv"));
        const int nodes_at = column_named(lines.at(0), "_NODES_");
        ASSERT_GE(nodes_at, 0);
        EXPECT_EQ(cells_of(lines.at(1)).at(static_cast<size_t>(nodes_at)), field(stopped, "ACTIVE")) << stopped;
        EXPECT_EQ(static_cast<double>(lines.size() - 2), 2 * number(stopped, "ACTIVE")) << stopped;
        const std::string resumed = status_after("LP data=k imaxit=100000 activein=nodes;\nRUN;\n");
        EXPECT_EQ(field(resumed, "STATUS"), "SUCCESSFUL") << "maxit3=" << maxit3 << ": " << resumed << last_.log;
        EXPECT_EQ(field(resumed, "OBJECTIVE"), field(whole, "OBJECTIVE")) << "maxit3=" << maxit3 << ": " << resumed;
    }
}

// The incumbent's value and the cutoff come from its LP as solved, not from
// _OBJECT_; a node's _OBJECT_ cannot prune it.
TEST_F(SearchResume, ActiveinObjectiveValuesCannotPruneTheSearch) {
    write("k.csv", knapsack20());
    const std::string whole = status_after("LP data=k imaxit=100000;\nRUN;\n");
    ASSERT_EQ(field(whole, "STATUS"), "SUCCESSFUL") << whole;
    status_after("LP data=k imaxit=16 activeout=nodes;\nRUN;\n");
    std::vector<std::string> lines = lines_of(slurp(dir_ / "nodes.csv"));
    const int object_at = column_named(lines.at(0), "_OBJECT_");
    ASSERT_GE(object_at, 0);
    ASSERT_GT(lines.size(), 3u);
    for (size_t k = 1; k < lines.size(); ++k) {
        std::vector<std::string> cells = cells_of(lines[k]);
        // The incumbent claims far better than it is; every node far worse.
        cells[static_cast<size_t>(object_at)] = k == 1 ? "100000" : "1";
        lines[k] = line_of(cells);
    }
    write("edited.csv", joined(lines));
    const std::string resumed = status_after("LP data=k imaxit=100000 activein=edited;\nRUN;\n");
    EXPECT_EQ(field(resumed, "STATUS"), "SUCCESSFUL") << resumed << last_.log;
    EXPECT_EQ(field(resumed, "OBJECTIVE"), field(whole, "OBJECTIVE")) << resumed;
}

// Integer columns whose names are alike in their first 32 characters take
// distinct ACTIVEOUT names, and the search goes on from them.
TEST_F(SearchResume, LongColumnNamesStayApartInActiveout) {
    const std::string stem(34, 'n');
    std::ostringstream csv;
    csv << "_TYPE_,_COL_,_ROW_,_COEF_\nMAX,,value,.\nLE,,weight,.\n";
    for (int j = 1; j <= 12; ++j) {
        const std::string name = stem + std::to_string(j % 10) + std::to_string(j);
        csv << ',' << name << ",value," << 10 + j + (j * 7) % 13 << '\n';
        csv << ',' << name << ",weight," << 10 + j << '\n';
        csv << "BINARY," << name << ",bin,1\n";
    }
    csv << "RHS,_RHS_,weight,61\n";
    write("l.csv", csv.str());
    const std::string whole = status_after("LP data=l sparsedata imaxit=100000;\nRUN;\n");
    ASSERT_EQ(field(whole, "STATUS"), "SUCCESSFUL") << whole << last_.log;
    status_after("LP data=l sparsedata imaxit=3 activeout=nodes;\nRUN;\n");
    const std::vector<std::string> header = cells_of(lines_of(slurp(dir_ / "nodes.csv")).at(0));
    for (size_t a = 0; a < header.size(); ++a)
        for (size_t b = a + 1; b < header.size(); ++b) EXPECT_NE(header[a], header[b]) << a << " " << b;
    const std::string resumed = status_after("LP data=l sparsedata imaxit=100000 activein=nodes;\nRUN;\n");
    EXPECT_EQ(field(resumed, "STATUS"), "SUCCESSFUL") << resumed << last_.log;
    EXPECT_EQ(field(resumed, "OBJECTIVE"), field(whole, "OBJECTIVE")) << resumed;
}

// An ACTIVEOUT of the older layout (without _NODES_ and _CHECK_) cannot be
// known complete: its integer solution is used, its nodes are not, and the
// search covers the whole problem again.
TEST_F(SearchResume, AnOlderActiveoutRestartsFromTheRoot) {
    write("k.csv", knapsack20());
    const std::string whole = status_after("LP data=k imaxit=100000;\nRUN;\n");
    status_after("LP data=k imaxit=16 activeout=nodes;\nRUN;\n");
    std::vector<std::string> lines = lines_of(slurp(dir_ / "nodes.csv"));
    const int nodes_at = column_named(lines.at(0), "_NODES_");
    ASSERT_GE(nodes_at, 0);
    // Keep only the INTBEST line and one node, without the two closing variables.
    lines.resize(4);
    for (std::string& line : lines) {
        std::vector<std::string> cells = cells_of(line);
        cells.resize(static_cast<size_t>(nodes_at));
        line = line_of(cells);
    }
    write("old.csv", joined(lines));
    const std::string resumed = status_after("LP data=k imaxit=100000 activein=old;\nRUN;\n");
    EXPECT_TRUE(contains(last_.log, "does not say how many nodes it holds")) << last_.log;
    EXPECT_EQ(field(resumed, "STATUS"), "SUCCESSFUL") << resumed << last_.log;
    EXPECT_EQ(field(resumed, "OBJECTIVE"), field(whole, "OBJECTIVE")) << resumed;
}

// Bad data found inside the module ends the run with exit status 3, in a
// program and through `qmlp solve`.
TEST_F(SearchResume, BadDataInsideTheRunExitsWithStatusThree) {
    write("k.csv", knapsack20());
    write("other.csv",
          "_OBJ_ID_,_RHS_ID_,_STATUS_,_PROB_,_OBJECT_,_SINFEA_,_PROJEC_,_PSEUDO_,y1\n"
          "value,_RHS_,INTBEST,3,.,.,.,.,0\n");
    const std::string s = status_after("LP data=k activein=other;\nRUN;\n");
    EXPECT_EQ(field(s, "STATUS"), "BADDATA_ERROR") << s;
    EXPECT_EQ(last_.exit_status, 3) << last_.log;

    // The same through `qmlp solve`: an ACTIVEIN of another problem.
    write("k.mps",
          "NAME k\nROWS\n N value\n L weight\nCOLUMNS\n M1 'MARKER' 'INTORG'\n x1 value -3\n x1 weight 2\n"
          " x2 value -2\n x2 weight 1\n M2 'MARKER' 'INTEND'\nRHS\n RHS weight 2\nBOUNDS\n UP BND x1 1\n"
          " UP BND x2 1\nENDATA\n");
    const int status = shell("cd " + quoted(dir_.string()) + " && " + quoted(qmlp_binary().string()) +
                             " solve k.mps activein=other.csv >/dev/null 2>solve.log");
    EXPECT_EQ(status, 3) << slurp(dir_ / "solve.log");
    EXPECT_TRUE(contains(slurp(dir_ / "solve.log"), "ERROR")) << slurp(dir_ / "solve.log");
}

// PRIMALIN may narrow an integer problem's bounds (the node its solution
// came from) but never widen them, and names each basic column once.
TEST_F(SearchResume, PrimalinBoundsAndBasisAreChecked) {
    const fs::path knapsack = fs::path(QMLP_SOURCE_DIR) / "examples" / "knapsack" / "knapsack.csv";
    write("k.csv", slurp(knapsack));
    const std::string whole = status_after("LP data=k primalout=po;\nRUN;\n");
    ASSERT_EQ(field(whole, "STATUS"), "SUCCESSFUL") << whole;
    std::vector<std::string> lines = lines_of(slurp(dir_ / "po.csv"));
    const int ubound_at = column_named(lines.at(0), "_UBOUND_");
    const int status_at = column_named(lines.at(0), "_STATUS_");
    ASSERT_GE(ubound_at, 0);
    ASSERT_GE(status_at, 0);

    std::vector<std::string> wide = lines;
    for (size_t k = 1; k < wide.size(); ++k) {
        std::vector<std::string> cells = cells_of(wide[k]);
        if (cells[static_cast<size_t>(ubound_at)] == "1") cells[static_cast<size_t>(ubound_at)] = "2";
        wide[k] = line_of(cells);
    }
    write("wide.csv", joined(wide));
    std::string s = status_after("LP data=k primalin=wide;\nRUN;\n");
    EXPECT_EQ(field(s, "STATUS"), "BADDATA_ERROR") << s << last_.log;
    EXPECT_TRUE(contains(last_.log, "lie outside the problem's bounds")) << last_.log;
    EXPECT_EQ(last_.exit_status, 3) << last_.log;

    // One basic observation twice.
    std::vector<std::string> twice = lines;
    for (size_t k = 1; k < lines.size(); ++k)
        if (cells_of(lines[k]).at(static_cast<size_t>(status_at)) == "_BASIC_") {
            twice.push_back(lines[k]);
            break;
        }
    write("twice.csv", joined(twice));
    s = status_after("LP data=k primalin=twice;\nRUN;\n");
    EXPECT_EQ(field(s, "STATUS"), "BADDATA_ERROR") << s << last_.log;
    EXPECT_TRUE(contains(last_.log, "basic more than once")) << last_.log;
    EXPECT_EQ(last_.exit_status, 3) << last_.log;

    // The data set as written still starts the search soundly.
    s = status_after("LP data=k primalin=po;\nRUN;\n");
    EXPECT_EQ(field(s, "STATUS"), "SUCCESSFUL") << s << last_.log;
    EXPECT_EQ(field(s, "OBJECTIVE"), field(whole, "OBJECTIVE")) << s;
}

}  // namespace
}  // namespace e2e
