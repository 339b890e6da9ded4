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

    // The program with --interactive, `typed` piped in as the terminal.
    RunResult run_typed(const std::string& program, const std::string& typed) {
        write("program.qmlp", program);
        write("typed.txt", typed);
        RunResult r;
        r.exit_status =
            e2e::shell("cd " + e2e::quoted(dir_.string()) + " && " + e2e::quoted(e2e::qmlp_binary().string()) +
                       " --interactive --log log.txt --listing listing.txt program.qmlp <typed.txt "
                       ">/dev/null 2>&1");
        r.log = e2e::slurp(dir_ / "log.txt");
        r.listing = e2e::slurp(dir_ / "listing.txt");
        return r;
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
    EXPECT_TRUE(contains(r.log, "  IOBJECTIVE=(not set).")) << r.log;
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
    // After one phase-1 iteration, and at the feasible point before phase 2;
    // each pause shows its own reason, as _QMLP_ does there.
    EXPECT_TRUE(contains(r.log, "STATUS=PAUSE PHASE=1 OBJECTIVE=1 P_FEAS=NO")) << r.log;
    EXPECT_TRUE(contains(r.log, "STATUS=FEASIBLEPAUSE PHASE=2")) << r.log;
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

// SHOW STATUS at a pause says what _QMLP_ says there: the pause's reason,
// then what a bad RESET made of the run, then the reason again once a good
// RESET mended it.
TEST_F(Pauses, ShowStatusAgreesWithTheStatusVariableAtEveryPause) {
    const RunResult r = run_typed("LP data=p readpause;\n",
                                  "SHOW STATUS;\n%PUT V1 &_QMLP_;\nRESET maxit=-1;\nSHOW STATUS;\n%PUT V2 &_QMLP_;\n"
                                  "RESET maxit=50;\nSHOW STATUS;\n%PUT V3 &_QMLP_;\nPIVOT;\nSHOW STATUS;\n"
                                  "%PUT V4 &_QMLP_;\nRUN;\nQUIT;\n");
    const auto shown = [&](size_t k) {
        size_t at = 0;
        for (size_t i = 0; i <= k; ++i) at = r.log.find("Where the run stands: ", at) + 1;
        return r.log.substr(at + 21, 14);
    };
    const auto put = [&](const std::string& tag) {
        const size_t at = r.log.find(tag + " ");
        return at == std::string::npos ? std::string() : r.log.substr(at + tag.size() + 1, 14);
    };
    EXPECT_EQ(shown(0), "STATUS=PAUSE P") << r.log;
    EXPECT_EQ(put("V1"), shown(0)) << r.log;
    EXPECT_EQ(shown(1), "STATUS=SEMANTI") << r.log;
    EXPECT_EQ(put("V2"), shown(1)) << r.log;
    EXPECT_EQ(shown(2), "STATUS=PAUSE P") << r.log;
    EXPECT_EQ(put("V3"), shown(2)) << r.log;
    EXPECT_EQ(shown(3), "STATUS=PIVOT P") << r.log;
    EXPECT_EQ(put("V4"), shown(3)) << r.log;
}

// Every statement read at a pause is done or refused with a word: a new
// step, a variable list and a statement that does not parse are errors
// there (the pause goes on), HELP lists the statements, and the step then
// ends with the status of a statement error.
TEST_F(Pauses, StatementsAPauseCannotDoAreRefusedAndTheStepEndsNonZero) {
    const RunResult r = run_typed("LP data=p readpause;\n",
                                  "LP data=p;\nVAR x;\nNONSENSE here;\nhelp\nPRINT COLUMN(X);\nRUN;\nQUIT;\n");
    EXPECT_EQ(r.exit_status, 2) << r.log;
    EXPECT_TRUE(contains(r.log, "ERROR: The statement \"LP data=p\" is refused in a pause: a new step cannot start"))
        << r.log;
    EXPECT_TRUE(contains(r.log, "ERROR: The statement \"VAR x\" is refused in a pause")) << r.log;
    EXPECT_TRUE(contains(r.log, "NONSENSE")) << r.log;
    EXPECT_TRUE(contains(r.log, "NOTE: The run is paused.")) << r.log;
    EXPECT_TRUE(contains(r.log, "PIVOT;")) << r.log;
    // The pause went on: the column listed in another case was printed and
    // the run finished.
    EXPECT_TRUE(contains(r.listing, "Variable Summary")) << r.listing;
    EXPECT_TRUE(contains(r.listing, "Solution Summary")) << r.listing;

    // The same statements with none refused: status 0.
    const RunResult clean = run_typed("LP data=p readpause;\n", "HELP;\nRUN;\nQUIT;\n");
    EXPECT_EQ(clean.exit_status, 0) << clean.log;
    // HELP among a step's statements before its first RUN does the same.
    const RunResult early = run("LP data=p;\nHELP;\nRUN;\n");
    EXPECT_EQ(early.exit_status, 0) << early.log;
    EXPECT_TRUE(contains(early.log, "PIVOT;")) << early.log;
    EXPECT_TRUE(contains(early.listing, "Solution Summary")) << early.listing;

    // In a program the pauses read, a bad statement counts the same way.
    const RunResult batch = run("LP data=p readpause;\nRUN;\nSHOW STATUS extra;\nRUN;\n");
    EXPECT_EQ(batch.exit_status, 2) << batch.log;
    EXPECT_TRUE(contains(batch.listing, "Solution Summary")) << batch.listing;
}

// QUIT after an LP statement that failed ends the step as a failure.
TEST_F(Pauses, QuitAfterAFailedLpStatementExitsNonZero) {
    const RunResult r = run("LP data=p maxit=-1;\nQUIT;\n");
    EXPECT_EQ(r.exit_status, 2) << r.log;
    EXPECT_TRUE(contains(r.log, "0<maxit")) << r.log;
    const RunResult ok = run("LP data=p;\nQUIT;\n");
    EXPECT_EQ(ok.exit_status, 0) << ok.log;
}

// A PIVOT whose one pivot finishes the solve leaves no pause to read the
// statements after it: they are named in a WARNING, not dropped silently.
// A closing QUIT, which asks for what happened anyway, is not.
TEST_F(Pauses, StatementsNoPauseReadAreNamed) {
    write("one.csv", "_ID_,_TYPE_,x,_RHS_\nobj,MAX,1,.\nc1,LE,1,4\n");
    const RunResult r = run("LP data=one;\nPIVOT;\nRUN;\nSHOW STATUS;\nRUN;\nQUIT;\n%PUT &_QMLP_;\n");
    EXPECT_EQ(r.exit_status, 0) << r.log;
    EXPECT_TRUE(contains(e2e::unwrapped(r.log),
                         "WARNING: Line 4: the LP step ended without another pause, so these statements were "
                         "not used: SHOW STATUS; RUN;"))
        << r.log;
    EXPECT_FALSE(contains(r.log, "RUN; QUIT;")) << r.log;
    EXPECT_TRUE(contains(r.log, "STATUS=SUCCESSFUL")) << r.log;

    const RunResult all_read = run("LP data=p readpause;\nRUN;\nSHOW STATUS;\nRUN;\nQUIT;\n");
    EXPECT_FALSE(contains(all_read.log, "were not used")) << all_read.log;

    // Before RUN there is no run to look at: SHOW and PRINT say so.
    const RunResult early = run("LP data=p;\nPRINT;\nSHOW STATUS;\nRUN;\n");
    EXPECT_EQ(early.exit_status, 0) << early.log;
    EXPECT_TRUE(contains(early.log, "WARNING: PRINT looks at a run in a pause; before RUN there is none")) << early.log;
    EXPECT_TRUE(contains(early.log, "WARNING: SHOW looks at a run in a pause")) << early.log;
}

}  // namespace
