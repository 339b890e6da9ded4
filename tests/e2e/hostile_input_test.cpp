// Inputs an attacker or a careless user would give: each either means
// what it says or is refused with an ERROR and an exit status that is not
// 0, and no output of a run is written over one of its inputs.  One test
// per family of inputs.
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "e2e_support.h"

namespace {

using e2e::contains;
using e2e::quoted;
using e2e::RunResult;
using e2e::shell;
using e2e::slurp;

constexpr int kExitOk = 0;
constexpr int kExitProgramError = 2;
constexpr int kExitIo = 5;
constexpr int kExitUsage = 64;

const std::string kProductMix =
    "_ID_,_TYPE_,chairs,tables,desks,_RHS_\n"
    "profit,MAX,30,50,40,.\n"
    "wood,LE,2,4,3,300\n"
    "labour,LE,4,3,5,360\n"
    "finishing,LE,1,2,1,120\n";

// The product mix without its wood row: what a wood row that does not bind
// must give.
const std::string kWithoutWood =
    "_ID_,_TYPE_,chairs,tables,desks,_RHS_\n"
    "profit,MAX,30,50,40,.\n"
    "labour,LE,4,3,5,360\n"
    "finishing,LE,1,2,1,120\n";

const std::string kStatus = "%PUT &_QMLP_;\n";

class HostileInput : public e2e::ScratchFolder {
  protected:
    std::string path(const std::string& name) const { return (dir_ / name).string(); }

    // Runs the qmlp command with `arguments` (already quoted) and returns
    // its exit status; its standard error goes to err.txt.
    int command(const std::string& arguments) {
        return shell("cd " + quoted(dir_.string()) + " && " + quoted(e2e::qmlp_binary().string()) + " " + arguments +
                     " </dev/null >out.txt 2>err.txt");
    }
    std::string err() const { return slurp(dir_ / "err.txt"); }

    // The objective of the status line, as printed.
    static std::string objective(const std::string& log) {
        const size_t at = log.find("OBJECTIVE=");
        if (at == std::string::npos) return "";
        return log.substr(at + 10, log.find(' ', at) - at - 10);
    }
};

// ---- bounds that leave a column no value

TEST_F(HostileInput, ContradictingBoundsAreInfeasibleInEveryLayout) {
    // Crossed bounds, and an upper bound below the default lower bound 0.
    for (const std::string& rows :
         {std::string("lb,LOWERBD,5,.,.,.\nub,UPPERBD,1,.,.,.\n"), std::string("ub,UPPERBD,-1,.,.,.\n"),
          std::string("lb,LOWERBD,.I,.,.,.\n"), std::string("ub,UPPERBD,.M,.,.,.\n")}) {
        write("pm.csv", kProductMix + rows);
        const RunResult r = run("LP data=pm;\nRUN;\n" + kStatus);
        EXPECT_EQ(r.exit_status, kExitOk) << r.log;
        EXPECT_TRUE(contains(r.log, "WARNING: The column chairs has the lower bound")) << r.log;
        EXPECT_TRUE(contains(r.log, "STATUS=INFEASIBLE")) << r.log;
        EXPECT_TRUE(contains(r.log, "P_FEAS=NO")) << r.log;
        EXPECT_FALSE(contains(r.log, "ERROR")) << r.log;
    }

    // The sparse layout.
    write("sp.csv",
          "_TYPE_,_COL_,_ROW_,_COEF_\nMAX,,profit,.\nLE,,wood,.\n,chairs,profit,30\n,chairs,wood,2\n"
          "RHS,_RHS_,wood,300\nLOWERBD,chairs,lo,5\nUPPERBD,chairs,up,1\n");
    const RunResult sparse = run("LP data=sp sparsedata;\nRUN;\n" + kStatus);
    EXPECT_TRUE(contains(sparse.log, "The column chairs has the lower bound 5 above its upper bound 1")) << sparse.log;
    EXPECT_TRUE(contains(sparse.log, "STATUS=INFEASIBLE")) << sparse.log;

    // An MPS file through `qmlp solve`.
    write("b.mps",
          "NAME B\nROWS\n N obj\n L c1\nCOLUMNS\n    x obj 1 c1 1\n    y obj 2 c1 1\nRHS\n    rhs c1 10\n"
          "BOUNDS\n LO bnd x 5\n UP bnd x 4\nENDATA\n");
    EXPECT_EQ(command("solve b.mps"), kExitOk) << err();
    EXPECT_TRUE(contains(err(), "The column x has the lower bound 5 above its upper bound 4")) << err();
    EXPECT_TRUE(contains(err(), "_QMLP_: STATUS=INFEASIBLE")) << err();

    // Equal bounds fix a column; a lower bound of .M frees it below.
    write("pm.csv", kProductMix + "lb,LOWERBD,2,.M,.,.\nub,UPPERBD,2,.,.,.\n");
    const RunResult fixed = run("LP data=pm;\nRUN;\n" + kStatus);
    EXPECT_TRUE(contains(fixed.log, "STATUS=SUCCESSFUL")) << fixed.log;
    write("free.csv", "_ID_,_TYPE_,x,_RHS_\nobj,MIN,1,.\nc,GE,1,-5\nlb,LOWERBD,.M,.\n");
    const RunResult below = run("LP data=free;\nRUN;\n" + kStatus);
    EXPECT_EQ(objective(below.log), "-5") << below.log;
}

// ---- .I and .M among the numbers of the problem

TEST_F(HostileInput, InfiniteRightHandSidesFreeTheRowOrAreRefused) {
    write("wood.csv", kWithoutWood);
    const std::string without = objective(run("LP data=wood;\nRUN;\n" + kStatus).log);
    ASSERT_FALSE(without.empty());

    // Dense: LE with +infinity does not bind.
    write("pm.csv",
          kProductMix.substr(0, kProductMix.find("300")) + ".I\nlabour,LE,4,3,5,360\nfinishing,LE,1,2,1,120\n");
    const RunResult open = run("LP data=pm;\nRUN;\n" + kStatus);
    EXPECT_EQ(open.exit_status, kExitOk) << open.log;
    EXPECT_TRUE(contains(open.log, "NOTE: The right-hand side of row wood is infinite")) << open.log;
    EXPECT_EQ(objective(open.log), without) << open.log;

    // A number too large to compute with is the infinity it stands for.
    write("pm.csv",
          kProductMix.substr(0, kProductMix.find("300")) + "1e308\nlabour,LE,4,3,5,360\nfinishing,LE,1,2,1,120\n");
    const RunResult huge = run("LP data=pm;\nRUN;\n" + kStatus);
    EXPECT_EQ(huge.exit_status, kExitOk) << huge.log;
    EXPECT_EQ(objective(huge.log), without) << huge.log;

    // GE with -infinity does not bind either; LE with -infinity never holds.
    write("ge.csv", "_ID_,_TYPE_,x,_RHS_\nobj,MIN,1,.\nc,GE,1,.M\nd,GE,1,2\n");
    EXPECT_EQ(objective(run("LP data=ge;\nRUN;\n" + kStatus).log), "2");
    write("le.csv", "_ID_,_TYPE_,x,_RHS_\nobj,MIN,1,.\nc,LE,1,.M\n");
    const RunResult never = run("LP data=le;\nRUN;\n" + kStatus);
    EXPECT_EQ(never.exit_status, kExitProgramError) << never.log;
    EXPECT_TRUE(contains(never.log, "ERROR: The right-hand side of row c is infinite on a side the row bounds"))
        << never.log;
    EXPECT_FALSE(contains(never.log, "STATUS=SUCCESSFUL")) << never.log;

    // Two right-hand sides, infinite in one only: refused.
    write("two.csv", "_ID_,_TYPE_,x,r1,r2\nobj,MIN,1,.,.\nc,LE,1,.I,4\n");
    const RunResult mixed = run("LP data=two;\nRHS r1 r2;\nRUN;\n");
    EXPECT_EQ(mixed.exit_status, kExitProgramError) << mixed.log;
    EXPECT_TRUE(contains(mixed.log, "ERROR: The row c has an infinite right-hand side in some")) << mixed.log;

    // An infinite range would open an equality on one side: refused.  On an
    // inequality it is no range at all.
    write("rg.csv", "_ID_,_TYPE_,x,_RHS_,_RANGE_\nobj,MIN,1,.,.\nc,EQ,1,2,.I\nd,GE,1,1,.M\n");
    const RunResult ranged = run("LP data=rg;\nRUN;\n");
    EXPECT_EQ(ranged.exit_status, kExitProgramError) << ranged.log;
    EXPECT_TRUE(contains(ranged.log, "ERROR: The equality row c has an infinite range")) << ranged.log;
    EXPECT_FALSE(contains(ranged.log, "row d")) << ranged.log;

    // The sparse layout resolves them once the rows have their types.
    write("sp.csv",
          "_TYPE_,_COL_,_ROW_,_COEF_\nMAX,,profit,.\nLE,,wood,.\nLE,,cap,.\n,x,profit,1\n,x,wood,1\n,x,cap,1\n"
          "RHS,_RHS_,wood,.I\nRHS,_RHS_,cap,7\n");
    const RunResult sparse = run("LP data=sp sparsedata;\nRUN;\n" + kStatus);
    EXPECT_TRUE(contains(sparse.log, "row wood is infinite on the side the row leaves open")) << sparse.log;
    EXPECT_EQ(objective(sparse.log), "7") << sparse.log;
}

TEST_F(HostileInput, InfiniteCoefficientsAndCostsAreErrors) {
    write("pm.csv", "_ID_,_TYPE_,chairs,tables,_RHS_\nprofit,MAX,30,.M,.\nwood,LE,.I,4,300\n");
    const RunResult dense = run("LP data=pm;\nRUN;\n" + kStatus);
    EXPECT_EQ(dense.exit_status, kExitProgramError) << dense.log;
    EXPECT_TRUE(
        contains(dense.log, "ERROR: The coefficient of column tables in row profit (observation 1) is infinite"))
        << dense.log;
    EXPECT_TRUE(contains(dense.log, "ERROR: The coefficient of column chairs in row wood (observation 2) is infinite"))
        << dense.log;
    EXPECT_FALSE(contains(dense.log, "STATUS=SUCCESSFUL")) << dense.log;

    write("sp.csv",
          "_TYPE_,_COL_,_ROW_,_COEF_\nMAX,,profit,.\nLE,,wood,.\n,x,profit,1\n,x,wood,.I\nRHS,_RHS_,wood,3\n");
    const RunResult sparse = run("LP data=sp sparsedata;\nRUN;\n");
    EXPECT_EQ(sparse.exit_status, kExitProgramError) << sparse.log;
    EXPECT_TRUE(contains(sparse.log, "column x in row wood (observation 4) is infinite")) << sparse.log;

    // Sensitivity vectors, in both layouts: an infinite change is refused,
    // never walked as 0.
    write("sen.csv",
          "_ID_,_TYPE_,chairs,tables,_RHS_,_RHSSEN_\nprofit,MAX,30,50,.,.\nwood,LE,2,4,300,.I\n"
          "labour,LE,4,3,360,1\nch,PRICESEN,1,.M,.,.\n");
    const RunResult sen = run("LP data=sen rangeprice rangerhs;\nRUN;\n");
    EXPECT_EQ(sen.exit_status, kExitProgramError) << sen.log;
    EXPECT_TRUE(contains(sen.log, "vector _RHSSEN_ has an infinite value for wood (observation 2)")) << sen.log;
    EXPECT_TRUE(contains(sen.log, "vector ch has an infinite value for tables (observation 4)")) << sen.log;
    write("sps.csv",
          "_TYPE_,_ROW_,_COL_,_COEF_\nMAX,profit,x,1\nLE,wood,x,1\nRHS,wood,_RHS_,3\n"
          "RHSSEN,wood,_RHSSEN_,.M\nPRICESEN,ch,x,1e306\n");
    const RunResult sps = run("LP data=sps sparsedata;\nRUN;\n");
    EXPECT_EQ(sps.exit_status, kExitProgramError) << sps.log;
    EXPECT_TRUE(contains(sps.log, "vector _RHSSEN_ has an infinite value for wood (observation 4)")) << sps.log;
    EXPECT_TRUE(contains(sps.log, "vector ch has an infinite value for x (observation 5)")) << sps.log;
}

// ---- statements that cannot be parsed

TEST_F(HostileInput, AStatementThatCannotBeParsedEndsTheStepWithAnError) {
    write("pm.csv", kProductMix);
    // A first step that succeeds, so that a stale status would show.
    const std::string first = "LP data=pm;\nRUN;\n";
    for (const std::string& bad : {std::string("VAR chairs, tables;"), std::string("VAR desks-chairs;"),
                                   std::string("FOO;"), std::string("VAR chairs \0 tables;", 21)}) {
        const RunResult r = run(first + "LP data=pm;\n" + bad + "\nRUN;\n" + kStatus);
        EXPECT_EQ(r.exit_status, kExitProgramError) << bad << "\n" << r.log;
        EXPECT_TRUE(contains(r.log, "ERROR")) << r.log;
        EXPECT_TRUE(contains(r.log, "STATUS=SYNTAX_ERROR")) << bad << "\n" << r.log;
    }
    // A statement that cannot be parsed fails the step also when QUIT ends it.
    const RunResult quit = run("LP data=pm;\nVAR chairs, tables;\nQUIT;\n");
    EXPECT_EQ(quit.exit_status, kExitProgramError) << quit.log;
    // TIME=0 fails its check 0<time.
    const RunResult option = run("LP data=pm time=0;\nRUN;\n");
    EXPECT_EQ(option.exit_status, kExitProgramError) << option.log;
    EXPECT_TRUE(contains(option.log, "0<time")) << option.log;
}

// ---- options and program text

TEST_F(HostileInput, OptionsAndProgramTextAreNeverSwallowed) {
    write("pm.csv", kProductMix);
    const RunResult big = run("LP data=pm maxit1=1e12;\nRUN;\n");
    EXPECT_EQ(big.exit_status, kExitProgramError) << big.log;
    EXPECT_TRUE(contains(big.log, "ERROR: The value 1E12 of MAXIT1 is too large: MAXIT1 may be at most 2147483647"))
        << big.log;
    // A step refused for an option leaves its own status, not the last
    // step's success.
    const RunResult after = run("LP data=pm;\nRUN;\nLP data=pm maxit=-5;\nRUN;\n" + kStatus);
    EXPECT_EQ(after.exit_status, kExitProgramError) << after.log;
    EXPECT_TRUE(contains(after.log, "STATUS=SEMANTIC_ERROR")) << after.log;

    // An unclosed comment would skip every step after it.
    const RunResult comment = run("LP data=pm;\nRUN;\n/* a note\nLP data=pm;\nRUN;\n");
    EXPECT_EQ(comment.exit_status, kExitProgramError) << comment.log;
    EXPECT_TRUE(contains(comment.log, "ERROR: The comment that starts on line 3 is not closed")) << comment.log;

    write("b.mps", "NAME B\nROWS\n N obj\n L c1\nCOLUMNS\n    x obj -1 c1 1\nRHS\n    rhs c1 10\nENDATA\n");
    EXPECT_EQ(command("solve b.mps '/*' maxit=1"), kExitUsage) << err();
    EXPECT_TRUE(contains(err(), "/*")) << err();

    // A byte-order mark opens a program as it opens a data set.
    write("bom.qmlp", "\xEF\xBB\xBFLP data=pm;\nRUN;\n");
    EXPECT_EQ(command("bom.qmlp"), kExitOk) << err();

    // A statement without end is refused once it passes 1 MiB: no program
    // text grows without bound.
    write("long.qmlp", "LP data=pm " + std::string(2 << 20, ' ') + "x");
    EXPECT_EQ(command("long.qmlp"), kExitProgramError) << err();
    EXPECT_TRUE(contains(err(), "ERROR: The program file long.qmlp has a statement, starting on line 1, longer than"))
        << err();
}

// ---- outputs that would destroy inputs

TEST_F(HostileInput, NoOutputIsWrittenOverAnInputOrAnotherOutput) {
    write("pm.csv", kProductMix);
    const std::string program = "LP data=pm;\nRUN;\n";
    write("prog.qmlp", program);
    EXPECT_EQ(command("--listing prog.qmlp prog.qmlp"), kExitUsage) << err();
    EXPECT_TRUE(contains(err(), "is both the listing file (--listing) and the program file")) << err();
    EXPECT_EQ(slurp(dir_ / "prog.qmlp"), program);

    // Another name of the same file (a hard link) is the same file.
    ASSERT_EQ(::link(path("prog.qmlp").c_str(), path("alias.qmlp").c_str()), 0);
    EXPECT_EQ(command("--log alias.qmlp prog.qmlp"), kExitUsage) << err();
    EXPECT_EQ(slurp(dir_ / "prog.qmlp"), program);

    // Two outputs in one file, also before it exists.
    EXPECT_EQ(command("--listing o.txt --log ./o.txt prog.qmlp"), kExitUsage) << err();
    EXPECT_TRUE(contains(err(), "is both the listing file (--listing) and the log file (--log)")) << err();
    EXPECT_FALSE(std::filesystem::exists(dir_ / "o.txt"));
    // Devices are no files of the run: many outputs may share one.
    EXPECT_EQ(command("--listing /dev/null --log /dev/null prog.qmlp"), kExitOk) << err();

    // A report over a data set the run reads is not written.
    EXPECT_NE(command("--json pm.csv prog.qmlp"), kExitOk) << err();
    EXPECT_EQ(slurp(dir_ / "pm.csv"), kProductMix);

    // A data set over the program is refused.  Two data sets of one step in
    // one file are a data set named twice: the one committed last is kept
    // whole.
    write("p2.qmlp", "LP data=pm primalout='p2.qmlp';\nRUN;\n");
    EXPECT_NE(command("p2.qmlp"), kExitOk) << err();
    EXPECT_EQ(slurp(dir_ / "p2.qmlp"), "LP data=pm primalout='p2.qmlp';\nRUN;\n");
    write("p3.qmlp", "LP data=pm primalout=sol dualout='sol.csv';\nRUN;\n");
    EXPECT_EQ(command("p3.qmlp"), kExitOk) << err();
    const std::string sol = slurp(dir_ / "sol.csv");
    EXPECT_TRUE(contains(sol, "_VAR_") != contains(sol, "_ROW_ID_")) << sol;

    // The log and the listing are opened before any data set is known: one
    // that names a data set of the run leaves the data whole, and the text
    // is kept beside it.  An existing listing that names no input is
    // replaced at the end, as before.
    EXPECT_EQ(command("--listing pm.csv prog.qmlp"), kExitIo) << err();
    EXPECT_EQ(slurp(dir_ / "pm.csv"), kProductMix);
    EXPECT_TRUE(contains(err(), "The listing is not written over pm.csv")) << err();
    EXPECT_EQ(command("--log pm.csv prog.qmlp"), kExitIo) << err();
    EXPECT_EQ(slurp(dir_ / "pm.csv"), kProductMix);
    EXPECT_TRUE(contains(err(), "The log is not written over pm.csv")) << err();
    write("old.lst", "an old listing\n");
    write("old.log", "an old log\n");
    EXPECT_EQ(command("--listing old.lst --log old.log prog.qmlp"), kExitOk) << err();
    EXPECT_TRUE(contains(slurp(dir_ / "old.lst"), "Solution Summary"));
    EXPECT_FALSE(contains(slurp(dir_ / "old.lst"), "an old listing"));
    EXPECT_FALSE(contains(slurp(dir_ / "old.log"), "an old log"));

    // A run that cannot start still leaves its log where it was asked for.
    EXPECT_EQ(command("--log old.log --listing nosuch/l.lst prog.qmlp"), kExitIo) << err();
    EXPECT_TRUE(contains(slurp(dir_ / "old.log"), "cannot be opened")) << slurp(dir_ / "old.log");

    // import-mps does not write its data set over the MPS file.
    const std::string mps = "NAME B\nROWS\n N obj\n L c1\nCOLUMNS\n    x obj -1 c1 1\nRHS\n    rhs c1 10\nENDATA\n";
    write("m.mps", mps);
    EXPECT_NE(command("import-mps m.mps -o m.mps"), kExitOk) << err();
    EXPECT_EQ(slurp(dir_ / "m.mps"), mps);
}

// ---- a run whose output failed never reads as a success

TEST_F(HostileInput, AFailedCommitLeavesNoSuccessfulStatus) {
    if (shell("command -v sqlite3 >/dev/null 2>&1") != 0) GTEST_SKIP() << "the sqlite3 command is not installed";
    write("pm.csv", kProductMix);
    const std::string db = quoted(path("l.db"));
    ASSERT_EQ(shell("sqlite3 " + db + " 'CREATE TABLE x(a); INSERT INTO x VALUES(1);'"), 0);
    // A reader holds the database while the step commits its PRIMALOUT:
    // the commit is refused once the wait for the lock runs out.
    ASSERT_EQ(
        shell("( (echo 'BEGIN; SELECT count(*) FROM x;'; sleep 10) | sqlite3 " + db + " >/dev/null 2>&1 & ) ; sleep 1"),
        0);
    const RunResult r =
        run("LIBNAME db SQLITE '" + path("l.db") + "';\nLP data=pm primalout=db.sol;\nRUN;\n" + kStatus);
    EXPECT_EQ(r.exit_status, kExitIo) << r.log;
    EXPECT_TRUE(contains(r.log, "ERROR: Data set DB.SOL was not written")) << r.log;
    EXPECT_FALSE(contains(r.log, "STATUS=SUCCESSFUL")) << r.log;
    EXPECT_TRUE(contains(r.log, "STATUS=IO_ERROR")) << r.log;
}

// ---- SQLite text follows the rules of CSV text

TEST_F(HostileInput, SqliteTextMeetsTheRulesOfCsvText) {
    if (shell("command -v sqlite3 >/dev/null 2>&1") != 0) GTEST_SKIP() << "the sqlite3 command is not installed";
    const std::string db = path("p.db");
    const std::string create =
        "CREATE TABLE good(_ID_ TEXT, _TYPE_ TEXT, x REAL, _RHS_ REAL);"
        "INSERT INTO good VALUES('obj','MAX',1,NULL),('c1','LE',1,4);";
    write("create.sql", create);
    ASSERT_EQ(shell("sqlite3 " + quoted(db) + " <" + quoted(path("create.sql"))), 0);
    const std::string lib = "LIBNAME db SQLITE '" + db + "';\n";
    EXPECT_EQ(run(lib + "LP data=db.good;\nRUN;\n").exit_status, kExitOk);
    for (const std::string& value : {std::string("CAST(X'6331006364' AS TEXT)"), std::string("CAST(X'63FF31' AS TEXT)"),
                                     std::string("zeroblob(0) || printf('%.*c', 1100000, 'c')")}) {
        const std::string table =
            "DROP TABLE IF EXISTS bad; CREATE TABLE bad(_ID_ TEXT, _TYPE_ TEXT, x REAL, _RHS_ REAL);"
            "INSERT INTO bad VALUES('obj','MAX',1,NULL),(" +
            value + ",'LE',1,4);";
        write("bad.sql", table);
        ASSERT_EQ(shell("sqlite3 " + quoted(db) + " <" + quoted(path("bad.sql"))), 0) << table;
        const RunResult r = run(lib + "LP data=db.bad;\nRUN;\n" + kStatus);
        EXPECT_NE(r.exit_status, kExitOk) << value << "\n" << r.log;
        EXPECT_TRUE(contains(r.log, "ERROR: Data set DB.BAD cannot be read")) << value << "\n" << r.log;
        EXPECT_TRUE(contains(r.log, "observation 2: the")) << value << "\n" << r.log;
        EXPECT_FALSE(contains(r.log, "STATUS=SUCCESSFUL")) << r.log;
    }
}

}  // namespace
