// The problem readers through the qmlp command: programs and data sets in a
// scratch folder, checked by the log lines and the exit status.
#include "e2e_support.h"

namespace {

using e2e::contains;
using e2e::RunResult;

class Readers : public e2e::ScratchFolder {};

constexpr int kExitOk = 0;
constexpr int kExitStatementError = 2;

TEST_F(Readers, AnUnknownDenseTypeFailsTheRunAndPointsAtTheSparseLayout) {
    write("bad.csv", "_ID_,_TYPE_,x,_RHS_\no,MAX,1,.\nu,UP,4,.\nc,LE,1,3\nq,QQ,2,.\n");
    const RunResult r = run("LP data=bad;\nRUN;\n%PUT &_QMLP_;\n");
    EXPECT_EQ(r.exit_status, kExitStatementError);
    EXPECT_TRUE(contains(r.log, "The type UP of observation 2 is not recognised.")) << r.log;
    EXPECT_TRUE(contains(r.log, "The type QQ of observation 4 is not recognised.")) << r.log;
    EXPECT_TRUE(contains(r.log, "sparse layout")) << r.log;
    EXPECT_TRUE(contains(r.log, "STATUS=SEMANTIC_ERROR")) << r.log;
}

TEST_F(Readers, AStrayTextCellInAColumnOfNumbersIsReported) {
    write("p.csv", "_ID_,_TYPE_,x,y,_RHS_\no,MAX,1,2,.\nc1,LE,1,1,4\nc2,LE,nan,3,6\nc3,LE,1,0x10,9\n");
    const RunResult r = run("LP data=p;\nRUN;\n");
    EXPECT_TRUE(contains(r.log, "WARNING: Variable x of data set")) << r.log;
    EXPECT_TRUE(contains(r.log, "line 4 of")) << r.log;
    EXPECT_TRUE(contains(r.log, "has the value \"nan\", which is not a number.")) << r.log;
    EXPECT_FALSE(contains(r.log, "Variable _ID_")) << r.log;  // text throughout: nothing to say
}

TEST_F(Readers, BinaryBytesOfAProgramAreEscapedInTheLog) {
    write("p.csv", "_ID_,_TYPE_,x,_RHS_\no,MAX,1,.\nc,LE,1,4\n");
    const RunResult r = run(std::string("%PUT a\x01\xFF b;\nLP data=\x02p;\n"));
    EXPECT_TRUE(contains(r.log, "a\\x01\\xFF b")) << r.log;
    EXPECT_TRUE(contains(r.log, "\\x02")) << r.log;
    for (char c : r.log) EXPECT_FALSE(c == '\x01' || c == '\x02' || c == '\xFF');
}

TEST_F(Readers, ARowGivenTwoKindsStopsTheSparseReader) {
    write("s.csv", "_TYPE_$8,_COL_$8,_ROW_$8,_COEF_\nMAX,,o,.\nLE,,c,.\n,x,c,1\nGE,,c,.\nQQ,,,\n");
    const RunResult r = run("LP data=s sparsedata;\nRUN;\n");
    EXPECT_EQ(r.exit_status, kExitStatementError);
    EXPECT_TRUE(contains(r.log, "The row c is given the type GE in observation 4")) << r.log;
    EXPECT_FALSE(contains(r.log, "QQ")) << r.log;  // the reader stopped before it
    EXPECT_TRUE(contains(r.log, "dense layout")) << r.log;
}

TEST_F(Readers, SparseNotesForEmptyObservationsMissingRhsAndUntypedRows) {
    write("s.csv", "_TYPE_$8,_COL_$8,_ROW_$8,_COEF_\nMAX,,o,.\n,,,.\n,x,o,1\n,x,extra,2\n");
    const RunResult r = run("LP data=s sparsedata;\nRUN;\n");
    EXPECT_EQ(r.exit_status, kExitOk) << r.log;
    EXPECT_TRUE(contains(r.log, "NOTE: Observation 2 is empty and is ignored.")) << r.log;
    EXPECT_TRUE(contains(r.log, "NOTE: The row extra has no type; it becomes a free row.")) << r.log;
    EXPECT_TRUE(contains(r.log, "_RHS_")) << r.log;
    EXPECT_FALSE(contains(r.log, "ERROR")) << r.log;
}

TEST_F(Readers, SparseWholeWordTypesAndComments) {
    write("s.csv",
          "_TYPE_$8,_COL_$8,_ROW_$8,_COEF_\nMAXIMUM,,o,.\nLE,,c,.\n* QQ,zz,,\n,x,o,1\n,x,c,1\n"
          "UPPERBD,x,_U_,3\nUPBDD,x,_U_,2\nRHS,_RHS_,c,4\n");
    const RunResult ok = run("LP data=s sparsedata;\nRUN;\n%PUT &_QMLP_;\n");
    EXPECT_EQ(ok.exit_status, kExitOk) << ok.log;
    EXPECT_FALSE(contains(ok.log, "ERROR")) << ok.log;
    EXPECT_TRUE(contains(ok.log, "OBJECTIVE=2 ")) << ok.log;  // x <= 2 from the tighter upper bound

    write("s.csv", "_TYPE_$8,_COL_$8,_ROW_$8,_COEF_\nMAXI,,o,.\n,x,o,1\n");
    const RunResult bad = run("LP data=s sparsedata;\nRUN;\n");
    EXPECT_EQ(bad.exit_status, kExitStatementError);
    EXPECT_TRUE(contains(bad.log, "The type MAXI of observation 1 is not recognised.")) << bad.log;
}

TEST_F(Readers, VariableListStatementsChooseTheSpecialVariables) {
    write("d.csv", "name,kind,a,b,unused,r1,r2\no,MAX,1,1,9,.,.\nc,LE,1,1,9,3,4\n");
    const RunResult ok = run("LP data=d;\nTYPE kind;\nID name;\nRHS r1 r2;\nVAR a b;\nRUN;\n");
    EXPECT_EQ(ok.exit_status, kExitOk) << ok.log;
    EXPECT_FALSE(contains(ok.log, "ERROR")) << ok.log;

    const RunResult bad = run("LP data=d;\nTYPE kind name;\nVAR a nothere;\nRUN;\n");
    EXPECT_EQ(bad.exit_status, kExitStatementError);
    EXPECT_TRUE(contains(bad.log, "The TYPE statement may list only one variable.")) << bad.log;
    EXPECT_TRUE(contains(bad.log, "nothere")) << bad.log;
}

TEST_F(Readers, BasicMarkOtherThanOneIsAnError) {
    write("d.csv", "_ID_,_TYPE_,x,y,_RHS_\no,MAX,1,1,.\nc,LE,1,1,4\nb,BASIC,2,1,.\n");
    const RunResult r = run("LP data=d;\nRUN;\n");
    EXPECT_EQ(r.exit_status, kExitStatementError);
    EXPECT_TRUE(contains(r.log, "Observation 3 of type BASIC")) << r.log;
}

TEST_F(Readers, TheExamplesReadWithoutErrors) {
    const e2e::fs::path examples = e2e::fs::path(QMLP_SOURCE_DIR) / "examples";
    for (const char* name : {"productmix", "blending", "knapsack", "twoobj"}) {
        SCOPED_TRACE(name);
        for (const auto& entry : e2e::fs::directory_iterator(examples / name))
            if (entry.path().extension() == ".csv")
                e2e::fs::copy_file(entry.path(), dir_ / entry.path().filename(),
                                   e2e::fs::copy_options::overwrite_existing);
        const RunResult r = run(e2e::slurp(examples / name / (std::string(name) + ".qmlp")));
        EXPECT_FALSE(contains(r.log, "ERROR")) << r.log;
        EXPECT_FALSE(contains(r.log, "not recognised")) << r.log;
    }
}

}  // namespace
