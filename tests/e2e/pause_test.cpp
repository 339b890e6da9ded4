// Pauses in a batch run: the statements after RUN are read by the pauses,
// PIVOT stops the simplex after one pivot, SHOW and PRINT look at the state,
// RESET with a bad value is an error that does not end the pause, QUIT SAVE
// writes the output data sets at the point reached.
#include <string>

#include "e2e_support.h"

namespace {

using e2e::contains;
using e2e::RunResult;

class Pauses : public e2e::ScratchFolder {
  protected:
    void SetUp() override {
        ScratchFolder::SetUp();
        write("p.csv", "_ID_,_TYPE_,x,y,_RHS_\nobj,MAX,1,2,.\nc1,LE,1,1,4\nc2,LE,1,3,6\n");
    }
};

TEST_F(Pauses, ReadpauseReadsTheRestOfTheProgramAndABadResetDoesNotEndIt) {
    const RunResult r =
        run("LP data=p readpause;\nRUN;\nSHOW STATUS;\nRESET maxit=-5;\nIPIVOT;\nSHOW OPTIONS;\nRUN;\n%PUT &_QMLP_;\n");
    EXPECT_TRUE(contains(r.log, "pausing (READPAUSE)")) << r.log;
    EXPECT_TRUE(contains(r.log, "Where the run stands: STATUS=")) << r.log;
    EXPECT_TRUE(contains(r.log, "ERROR: An option value is not valid; it must satisfy 0<maxit.")) << r.log;
    // The pause went on after the error: IPIVOT and SHOW were still read.
    EXPECT_TRUE(contains(r.log, "IPIVOT applies only to problems with integer columns")) << r.log;
    EXPECT_TRUE(contains(r.log, "  MAXIT1=100.")) << r.log;  // the bad RESET changed nothing
    EXPECT_TRUE(contains(r.log, "STATUS=SUCCESSFUL PHASE=2 OBJECTIVE=5")) << r.log;

    // Nothing left to read: every pause returns at once.
    const RunResult batch = run("LP data=p readpause endpause;\nRUN;\n%PUT &_QMLP_;\n");
    EXPECT_EQ(batch.exit_status, 0) << batch.log;
    EXPECT_TRUE(contains(batch.log, "STATUS=SUCCESSFUL PHASE=2 OBJECTIVE=5")) << batch.log;
}

TEST_F(Pauses, PivotStopsAfterOnePivotAndQuitSaveWritesThatPoint) {
    const RunResult r =
        run("LP data=p primalout=po;\nPIVOT;\nRUN;\nPRINT COLUMN(y 1) ROW(c2 nosuch);\nQUIT SAVE;\n%PUT &_QMLP_;\n");
    EXPECT_EQ(r.exit_status, 0) << r.log;
    EXPECT_TRUE(contains(r.log, "The requested pivot was done; pausing.")) << r.log;
    EXPECT_TRUE(contains(r.log, "no column or row is named or numbered nosuch")) << r.log;
    EXPECT_TRUE(contains(r.log, "STATUS=PIVOT PHASE=2 OBJECTIVE=4")) << r.log;
    // The listed columns in the order asked, with fresh reduced costs.
    const size_t y = r.listing.find("  y  ");
    const size_t x = r.listing.find("  x  ");
    ASSERT_NE(y, std::string::npos) << r.listing;
    ASSERT_NE(x, std::string::npos) << r.listing;
    EXPECT_LT(y, x) << r.listing;
    // PRIMALOUT at the point of the pause: x basic at 4 with reduced cost 0,
    // y still attractive.
    const std::string po = e2e::slurp(dir_ / "po.csv");
    EXPECT_TRUE(contains(po, "obj,_RHS_,x,NON-NEG,_BASIC_,0,4,")) << po;
    EXPECT_TRUE(contains(po, ",1,0\n")) << po;
    EXPECT_TRUE(contains(po, "obj,_RHS_,y,NON-NEG,,0,0,")) << po;

    // The analyses refuse a point that is not optimal, and run at the end.
    const RunResult a = run("LP data=p endpause;\nPIVOT;\nRUN;\nPRINT RANGEPRICE;\nRUN;\nPRINT RANGERHS;\nRUN;\n");
    EXPECT_TRUE(contains(a.log, "The solution is not optimal; the sensitivity and range analyses are not done."))
        << a.log;
    EXPECT_FALSE(contains(a.listing, "Price Range Analysis")) << a.listing;
    EXPECT_TRUE(contains(a.listing, "RHS Range Analysis")) << a.listing;

    // QUIT without SAVE writes nothing.
    const RunResult q = run("LP data=p primalout=none1;\nPIVOT;\nRUN;\nQUIT;\n");
    EXPECT_FALSE(std::filesystem::exists(dir_ / "none1.csv")) << q.log;
}

TEST_F(Pauses, PauseCountAndFeasiblePauseStopWhereTheySay) {
    write("f.csv", "_ID_,_TYPE_,x,y,_RHS_\nobj,MIN,1,2,.\nc1,GE,1,1,4\nc2,LE,1,3,6\n");
    const RunResult r = run("LP data=f pause=1 feasiblepause;\nRUN;\nSHOW STATUS;\nRUN;\nSHOW STATUS;\nRUN;\n");
    EXPECT_EQ(r.exit_status, 0) << r.log;
    const size_t count = r.log.find("The PAUSE= iteration count was reached; pausing.");
    const size_t feasible = r.log.find("A feasible solution was found; pausing (FEASIBLEPAUSE).");
    ASSERT_NE(count, std::string::npos) << r.log;
    ASSERT_NE(feasible, std::string::npos) << r.log;
    EXPECT_LT(count, feasible);
    // After one phase-1 iteration, and at the feasible point before phase 2.
    EXPECT_TRUE(contains(r.log, "STATUS=SUCCESSFUL PHASE=1 OBJECTIVE=1 P_FEAS=NO")) << r.log;
    EXPECT_TRUE(contains(r.log, "PHASE=2 OBJECTIVE=4 P_FEAS=YES")) << r.log;
}

// Integer pauses: IPAUSE and IPIVOT stop the search where they say, PRINT
// BEST shows the best integer solution so far, and the search then ends
// as one without pauses does.
TEST_F(Pauses, IntegerPausesStopTheSearchAndItGoesOnUnchanged) {
    std::string data = "_ID_,_TYPE_";
    for (int j = 1; j <= 20; ++j) data += ",x" + std::to_string(j);
    data += ",_RHS_\nvalue,MAX";
    for (int j = 1; j <= 20; ++j) data += "," + std::to_string(10 + j + (j * 7) % 13);
    data += ",.\nweight,LE";
    for (int j = 1; j <= 20; ++j) data += "," + std::to_string(10 + j);
    data += ",101\nbin,BINARY";
    for (int j = 1; j <= 20; ++j) data += ",1";
    write("k.csv", data + ",.\n");
    const RunResult whole = run("LP data=k;\nRUN;\n%PUT &_QMLP_;\n");
    const RunResult paused =
        run("LP data=k ipause=25;\nRUN;\nPRINT BEST;\nIPIVOT;\nSHOW STATUS;\nRUN;\nRUN;\n%PUT &_QMLP_;\n");
    EXPECT_EQ(paused.exit_status, 0) << paused.log;
    EXPECT_NE(paused.log.find("The requested integer iterations were done; pausing."), std::string::npos);
    EXPECT_TRUE(contains(paused.log, "Where the run stands: STATUS=")) << paused.log;
    EXPECT_FALSE(contains(paused.log, "ERROR")) << paused.log;
    // The best solution so far was printed before the final summary.
    size_t summaries = 0;
    for (size_t at = paused.listing.find("Solution Summary"); at != std::string::npos;
         at = paused.listing.find("Solution Summary", at + 1))
        ++summaries;
    EXPECT_EQ(summaries, 2u) << paused.listing;
    const auto last_status = [](const std::string& log) { return log.substr(log.rfind("STATUS=")); };
    EXPECT_EQ(last_status(paused.log).substr(0, 60), last_status(whole.log).substr(0, 60));

    // A RESET of the node selection in the middle of the search: the active
    // nodes go into the lists the new rule reads, and the optimum is the same.
    const RunResult reset =
        run("LP data=k ipause=10 imaxit=100000;\nRUN;\nRESET canselect=error auto;\nRUN;\nRUN;\nRUN;\nRUN;\nRUN;\n"
            "RUN;\n%PUT &_QMLP_;\n");
    EXPECT_EQ(last_status(reset.log).substr(0, 40), last_status(whole.log).substr(0, 40)) << reset.log;

    // QUIT SAVE at an integer pause writes the active nodes, and a later run
    // goes on from them to the same optimum.
    run("LP data=k ipause=25 activeout=nodes;\nRUN;\nQUIT SAVE;\n");
    EXPECT_TRUE(contains(e2e::slurp(dir_ / "nodes.csv"), ",INTBEST,25,"));
    const RunResult resumed = run("LP data=k activein=nodes;\nRUN;\n%PUT &_QMLP_;\n");
    EXPECT_EQ(last_status(resumed.log).substr(0, 40), last_status(whole.log).substr(0, 40)) << resumed.log;
}

}  // namespace
