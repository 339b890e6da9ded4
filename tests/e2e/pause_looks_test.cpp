// Looking at a paused run never changes it: every PRINT and SHOW form, at
// every kind of pause, leaves the status variable, the iteration counts,
// the pauses met and the solution written exactly as in a run that only
// typed RUN at the same pauses.  The problems carry change vectors and the
// runs walk them with NOPARARESTORE, so that a look which kept anything
// (a basis, refreshed prices, refactorised factors) would show.
#include <string>
#include <vector>

#include "e2e_support.h"

namespace {

namespace fs = std::filesystem;
using e2e::contains;
using e2e::RunResult;

// Every look a pause offers.
const std::vector<std::string> kLooks = {"SHOW;",
                                         "SHOW OPTIONS;",
                                         "SHOW STATUS;",
                                         "PRINT;",
                                         "PRINT SOLUTION;",
                                         "PRINT COLUMN(1 x2-x3) ROW(1 2);",
                                         "PRINT INTEGER;",
                                         "PRINT NONZEROS;",
                                         "PRINT ZEROS;",
                                         "PRINT TABLEAU;",
                                         "PRINT MATRIX;",
                                         "PRINT PICTURE;",
                                         "PRINT RANGEPRICE;",
                                         "PRINT RANGERHS;",
                                         "PRINT SENSITIVITY;",
                                         "PRINT BEST;"};

// A dense LP of `rows` rows and `columns` columns with awkward numbers,
// a price change row and a right-hand-side change column; with `integer`
// every column is integer with bounds [0, 6].
std::string problem(int rows, int columns, bool integer, bool infeasible_start) {
    std::string data = "_ID_,_TYPE_";
    for (int j = 1; j <= columns; ++j) data += ",x" + std::to_string(j);
    data += ",_RHS_,_RHSSEN_\nobj,MAX";
    for (int j = 1; j <= columns; ++j) data += "," + std::to_string(5 + (j * 7) % 11);
    data += ",.,.\n";
    for (int i = 1; i <= rows; ++i) {
        // The first row asks for a minimum, so that phase 1 has work.
        const bool ge = infeasible_start && i == 1;
        data += "r" + std::to_string(i) + (ge ? ",GE" : ",LE");
        for (int j = 1; j <= columns; ++j) data += "," + std::to_string(((i * 13 + j * 17) % 9) + (ge ? 0 : 1));
        data += "," + std::to_string(ge ? 20 : 40 + 7 * i) + "," + std::to_string(i % 3) + "\n";
    }
    data += "dir,PRICESEN";
    for (int j = 1; j <= columns; ++j) data += "," + std::to_string((j % 3) - 1);
    data += ",.,.\n";
    if (integer) {
        data += "int,INTEGER";
        for (int j = 1; j <= columns; ++j) data += ",1";
        data += ",.,.\nup,UPPERBD";
        for (int j = 1; j <= columns; ++j) data += ",6";
        data += ",.,.\n";
    }
    return data;
}

struct PauseCase {
    const char* name;
    const char* data;     // "lp", "phase1" or "mip"
    const char* options;  // the pause options of the LP statement
    const char* first;    // statements before RUN (PIVOT, IPIVOT), or ""
    int pauses;           // RUN statements after the first RUN
};

const PauseCase kCases[] = {
    {"readpause", "lp", "readpause", "", 2},
    {"pause count", "phase1", "pause=2", "", 12},
    {"feasiblepause", "phase1", "feasiblepause", "", 2},
    {"pivot", "lp", "", "PIVOT;", 2},
    {"endpause", "lp", "endpause", "", 2},
    {"ipause", "mip", "ipause=7", "", 12},
    {"ipivot", "mip", "", "IPIVOT;", 2},
    {"ifeasiblepause", "mip", "ifeasiblepause=1", "", 12},
    {"proximitypause", "mip", "proximitypause=1000", "", 12},
    {"endpause integer", "mip", "endpause", "", 2},
};

class PauseLooks : public e2e::ScratchFolder {
  protected:
    void SetUp() override {
        ScratchFolder::SetUp();
        write("lp.csv", problem(12, 14, false, false));
        write("phase1.csv", problem(12, 14, false, true));
        write("mip.csv", problem(6, 12, true, false));
    }

    // The program: the pauses answered by RUN alone, or by every look first.
    RunResult run_case(const PauseCase& c, bool looking, const std::string& out) {
        std::string program = std::string("LP data=") + c.data + " " + c.options +
                              " rhsphi=30 pricephi=8 nopararestore primalout=" + out + ";\n" + c.first + "\nRUN;\n";
        for (int k = 0; k < c.pauses; ++k) {
            if (looking)
                for (const std::string& look : kLooks) program += look + "\n";
            program += "RUN;\n";
        }
        program += "%PUT &_QMLP_;\n";
        return run(program);
    }

    static std::string last_status(const std::string& log) {
        const size_t at = log.rfind("STATUS=");
        return at == std::string::npos ? std::string() : log.substr(at, log.find('\n', at) - at);
    }

    static int pauses_met(const std::string& log) {
        int n = 0;
        for (size_t at = log.find("pausing"); at != std::string::npos; at = log.find("pausing", at + 1)) ++n;
        return n;
    }
};

TEST_F(PauseLooks, EveryPrintAndShowAtEveryPauseLeavesTheRunAsItWas) {
    for (const PauseCase& c : kCases) {
        SCOPED_TRACE(c.name);
        const RunResult plain = run_case(c, false, "plain");
        const RunResult looked = run_case(c, true, "looked");
        ASSERT_EQ(plain.exit_status, 0) << plain.log;
        EXPECT_EQ(looked.exit_status, 0) << looked.log;
        EXPECT_GT(pauses_met(plain.log), 0) << plain.log;
        EXPECT_EQ(pauses_met(looked.log), pauses_met(plain.log)) << looked.log;
        EXPECT_FALSE(last_status(plain.log).empty()) << plain.log;
        EXPECT_EQ(last_status(looked.log), last_status(plain.log)) << looked.log;
        EXPECT_EQ(e2e::slurp(dir_ / "looked.csv"), e2e::slurp(dir_ / "plain.csv"));
        // The looks did print: the walks of a pause say what they keep.
        EXPECT_TRUE(contains(looked.log, "Where the run stands: STATUS=")) << looked.log;
        EXPECT_FALSE(contains(looked.log, "ERROR")) << looked.log;
    }
}

// The sensitivity example stopped at its end: a right-hand-side walk that
// would keep its last basis, asked for in the pause, leaves the optimum in
// place (the kept basis holds labour at 540 > 360 for the problem as it
// stands), and so does the price walk.
TEST_F(PauseLooks, AParametricWalkInAPauseKeepsTheOptimum) {
    write("s.csv",
          "_ID_,_TYPE_,chairs,tables,desks,_RHS_,_RHSSEN_\nprofit,MAX,30,50,40,.,.\nwood,LE,2,4,3,300,0\n"
          "labour,LE,4,3,5,360,1\nfinishing,LE,1,2,1,120,0\nchairs_up,PRICESEN,1,0,-1,.,.\n");
    for (const char* reset : {"rhsphi=200", "pricephi=60"}) {
        SCOPED_TRACE(reset);
        const RunResult r = run(std::string("LP data=s endpause primalout=po;\nRUN;\nRESET ") + reset +
                                " nopararestore;\nPRINT SENSITIVITY;\nPRINT SENSITIVITY;\nRUN;\n%PUT &_QMLP_;\n");
        EXPECT_EQ(r.exit_status, 0) << r.log;
        EXPECT_TRUE(contains(r.log, "each parametric walk ends with the basis it started")) << r.log;
        EXPECT_TRUE(contains(last_status(r.log), "STATUS=SUCCESSFUL PHASE=2 OBJECTIVE=3771.428571428571 P_FEAS=YES"))
            << r.log;
        const std::string po = e2e::slurp(dir_ / "po.csv");
        EXPECT_TRUE(contains(po, "profit,_RHS_,tables,")) << po;
        // Two walks from the optimum print the same tables twice.
        const size_t first = r.listing.find("Change Vector");
        ASSERT_NE(first, std::string::npos) << r.listing;
    }
}

// Several right-hand-side vectors walked with NOPARARESTORE at the end of a
// solve: the second is analysed only while the basis the first kept is
// still optimal for the problem as it stands.
TEST_F(PauseLooks, AKeptBasisIsNotAnalysedWhenItIsNoLongerOptimal) {
    write("s2.csv",
          "_ID_,_TYPE_,chairs,tables,desks,_RHS_,more_labour,more_wood\nprofit,MAX,30,50,40,.,.,.\n"
          "wood,LE,2,4,3,300,0,1\nlabour,LE,4,3,5,360,1,0\nfinishing,LE,1,2,1,120,0,0\n");
    const RunResult r = run("LP data=s2 rhsphi=200 nopararestore;\nRHSSEN more_labour more_wood;\nRUN;\n");
    EXPECT_EQ(r.exit_status, 0) << r.log;
    EXPECT_TRUE(contains(r.listing, "more_labour")) << r.listing;
    EXPECT_FALSE(contains(r.listing, "more_wood")) << r.listing;
    EXPECT_TRUE(contains(r.log, "The solution is not optimal; the sensitivity and range analyses are not done."))
        << r.log;
}

// A search of some length (p0201 of the shared MIPLIB instances, stopped at
// 900 integer iterations): the best solution, the tableau and the ranges
// looked at in its pauses leave the rest of the search as it was.
TEST_F(PauseLooks, TheSearchOfASharedInstanceGoesOnAsIfNobodyLooked) {
    const fs::path mps = e2e::bench_dir("miplib3") / "p0201.mps.gz";
    if (!fs::exists(mps)) GTEST_SKIP() << "no shared instance " << mps;
    ASSERT_EQ(e2e::shell(e2e::quoted(e2e::qmlp_binary().string()) + " import-mps " + e2e::quoted(mps.string()) +
                         " -o " + e2e::quoted((dir_ / "p0201.csv").string()) + " >/dev/null 2>&1"),
              0);
    const auto program = [](const std::string& look) {
        std::string text =
            "LP data=p0201 sparsedata noprint maxit1=100000 maxit2=100000 maxit3=10000000 imaxit=900 ipause=300;\n"
            "RUN;\n";
        for (int k = 0; k < 3; ++k) text += look + "RUN;\n";
        return text + "%PUT &_QMLP_;\n";
    };
    const RunResult plain = run(program(""));
    const RunResult looked = run(program("PRINT BEST;\nPRINT TABLEAU;\nPRINT RANGEPRICE RANGERHS;\n"));
    EXPECT_TRUE(contains(plain.log, "INT_ITER=900")) << plain.log;
    EXPECT_EQ(last_status(looked.log), last_status(plain.log));
}

}  // namespace
