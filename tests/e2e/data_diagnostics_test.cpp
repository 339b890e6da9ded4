// Data that would silently change the problem, and the diagnostics of the
// readers: programs and data sets in a scratch folder, checked by the log
// lines and the exit status.
#include <string>

#include "e2e_support.h"

namespace {

using e2e::contains;
using e2e::RunResult;

class DataDiagnostics : public e2e::ScratchFolder {
  protected:
    static int count_of(const std::string& text, const std::string& part) {
        int n = 0;
        for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++n;
        return n;
    }
};

constexpr int kExitOk = 0;
constexpr int kExitStatementError = 2;

// ---- values that would change the model

TEST_F(DataDiagnostics, AColumnOfNumbersReadAsTextFailsTheDenseRun) {
    write("p.csv", "_ID_,_TYPE_,x,y,_RHS_\no,MAX,1,2,.\nc1,LE,1,1,4\nc2,LE,nan,3,6\n");
    const RunResult r = run("LP data=p;\nRUN;\n%PUT &_QMLP_;\n");
    EXPECT_EQ(r.exit_status, kExitStatementError) << r.log;
    EXPECT_TRUE(contains(r.log, "WARNING: Variable x of data set")) << r.log;
    EXPECT_TRUE(contains(r.log, "ERROR: The variable x would be a structural column")) << r.log;
    EXPECT_TRUE(contains(r.log, "STATUS=SEMANTIC_ERROR")) << r.log;
    // A fault of the data itself gets no hint about the layout.
    EXPECT_FALSE(contains(r.log, "If it is in the")) << r.log;

    // Left out by a VAR statement, the variable changes nothing.
    const RunResult kept = run("LP data=p;\nVAR y;\nRUN;\n%PUT &_QMLP_;\n");
    EXPECT_EQ(kept.exit_status, kExitOk) << kept.log;
    EXPECT_FALSE(contains(kept.log, "ERROR")) << kept.log;

    // Text throughout is an ordinary character variable, not a column.
    write("q.csv", "_ID_,_TYPE_,note,y,_RHS_\no,MAX,a,2,.\nc1,LE,b,1,4\n");
    const RunResult text = run("LP data=q;\nRUN;\n");
    EXPECT_EQ(text.exit_status, kExitOk) << text.log;
    EXPECT_FALSE(contains(text.log, "ERROR")) << text.log;
    EXPECT_FALSE(contains(text.log, "Variable note")) << text.log;
}

TEST_F(DataDiagnostics, SparseNamesMergedByADeclaredLengthStopTheRun) {
    const std::string body =
        "MAX,,o,.\nLE,,c,.\n,verylongname_1,o,1\n,verylongname_2,o,2\n,verylongname_1,c,1\n"
        ",verylongname_2,c,1\nRHS,_RHS_,c,4\n";
    write("s.csv", "_TYPE_$8,_COL_$8,_ROW_$8,_COEF_\n" + body);
    const RunResult r = run("LP data=s sparsedata;\nRUN;\n");
    EXPECT_EQ(r.exit_status, kExitStatementError) << r.log;
    EXPECT_TRUE(contains(r.log, "WARNING: Variable _COL_ of data set S has values longer than its length 8")) << r.log;
    EXPECT_TRUE(contains(r.log, "has the value \"verylongname_1\", read as \"verylong\"")) << r.log;
    EXPECT_TRUE(contains(r.log, "\"verylongname_1\" (line 4) and \"verylongname_2\" (line 5)")) << r.log;
    EXPECT_TRUE(contains(r.log, "ERROR: Different values of the name variable _COL_")) << r.log;
    EXPECT_FALSE(contains(r.log, "A second value")) << r.log;  // stopped before reading
    EXPECT_FALSE(contains(r.log, "If it is in the")) << r.log;

    // Long enough, the same data solves with two columns.
    write("s.csv", "_TYPE_$8,_COL_$16,_ROW_$8,_COEF_\n" + body);
    const RunResult ok = run("LP data=s sparsedata;\nRUN;\n%PUT &_QMLP_;\n");
    EXPECT_EQ(ok.exit_status, kExitOk) << ok.log;
    EXPECT_FALSE(contains(ok.log, "WARNING")) << ok.log;
    EXPECT_TRUE(contains(ok.log, "OBJECTIVE=8 ")) << ok.log;

    // Cut but not merged: a warning only.
    write("t.csv",
          "_TYPE_$8,_COL_$8,_ROW_$8,_COEF_\nMAX,,o,.\nLE,,c,.\n,verylongname,o,1\n,verylongname,c,1\n"
          "RHS,_RHS_,c,4\n");
    const RunResult cut = run("LP data=t sparsedata;\nRUN;\n");
    EXPECT_EQ(cut.exit_status, kExitOk) << cut.log;
    EXPECT_TRUE(contains(cut.log, "WARNING: Variable _COL_")) << cut.log;
    EXPECT_FALSE(contains(cut.log, "ERROR")) << cut.log;
}

TEST_F(DataDiagnostics, SparseNamesLongerThanANameKeepsAreReportedAndMergesStopTheRun) {
    // A variable without a declared length holds its longest value whole;
    // the reader keeps 64 characters of a name.
    const std::string stem(66, 'n');
    write("ln.csv", "_TYPE_$8,_COL_,_ROW_$8,_COEF_\nMAX,,o,.\nLE,,c,.\n," + stem + "_a,o,1\n," + stem + "_b,o,2\n," +
                        stem + "_a,c,1\nRHS,_RHS_,c,4\n");
    const RunResult r = run("LP data=ln sparsedata;\nRUN;\n");
    EXPECT_EQ(r.exit_status, kExitStatementError) << r.log;
    EXPECT_EQ(count_of(r.log, "WARNING: Names longer than 64 characters are cut"), 1) << r.log;
    EXPECT_TRUE(contains(r.log, "of observation 3 is the")) << r.log;
    EXPECT_TRUE(contains(r.log, "ERROR: The names " + stem)) << r.log;
    EXPECT_TRUE(contains(r.log, stem + "_b (observation 4)")) << r.log;

    // The same long name again, and a short one, merge nothing.
    write("ok.csv", "_TYPE_$8,_COL_,_ROW_$8,_COEF_\nMAX,,o,.\nLE,,c,.\n," + stem + "_a,o,1\nLE,,d,.\n,short,o,2\n," +
                        stem + "_a,c,1\n,short,d,1\nRHS,_RHS_,c,4\nRHS,_RHS_,d,5\n");
    const RunResult ok = run("LP data=ok sparsedata;\nRUN;\n%PUT &_QMLP_;\n");
    EXPECT_EQ(ok.exit_status, kExitOk) << ok.log;
    EXPECT_FALSE(contains(ok.log, "ERROR")) << ok.log;
    EXPECT_TRUE(contains(ok.log, "OBJECTIVE=14 ")) << ok.log;
}

TEST_F(DataDiagnostics, ANumericIdThatBecomesAColumnIsNamed) {
    write("n.csv", "_ID_,_TYPE_,x,_RHS_\n1,MAX,1,.\n2,LE,1,4\n");
    const RunResult r = run("LP data=n;\nRUN;\n");
    EXPECT_EQ(r.exit_status, kExitOk) << r.log;
    EXPECT_TRUE(contains(r.log,
                         "WARNING: The numeric variable _ID_ is not used to name the rows; it becomes a "
                         "structural column"))
        << r.log;

    // A VAR statement that leaves it out: nothing to say about columns.
    const RunResult listed = run("LP data=n;\nVAR x;\nRUN;\n");
    EXPECT_FALSE(contains(listed.log, "becomes a structural column")) << listed.log;
}

// ---- messages that said something untrue or unhelpful

TEST_F(DataDiagnostics, ANumericRowVariableGetsOneTrueMessage) {
    write("r.csv", "_TYPE_$8,_COL_$8,_ROW_,_COEF_\nMAX,,1,.\n,x,1,1\n");
    const RunResult r = run("LP data=r sparsedata;\nRUN;\n");
    EXPECT_EQ(r.exit_status, kExitStatementError) << r.log;
    EXPECT_TRUE(contains(r.log, "_ROW_ listed in the ROW statement must be character.")) << r.log;
    EXPECT_FALSE(contains(r.log, "No ROW variable was found")) << r.log;

    write("c.csv", "_TYPE_$8,_COL_$8,_ROW_$8,_COEF_$8\nMAX,,o,a\n,x,o,b\n");
    const RunResult coef = run("LP data=c sparsedata;\nRUN;\n");
    EXPECT_TRUE(contains(coef.log, "must be numeric.")) << coef.log;
    EXPECT_FALSE(contains(coef.log, "No COEFFICIENT variable was found")) << coef.log;

    write("none.csv", "_TYPE_$8,_COL_$8,_COEF_\nMAX,,.\n");
    const RunResult none = run("LP data=none sparsedata;\nRUN;\n");
    EXPECT_TRUE(contains(none.log, "No ROW variable was found")) << none.log;  // still said when true
}

TEST_F(DataDiagnostics, SparseCaseRefusalsNameTheirObservation) {
    write("b.csv", "_TYPE_$8,_COL_$8,_ROW_$8,_COEF_\nMAX,,o,.\nLE,,,.\nRHS,,,4\nRHS,,o,4\n,,o,1\n,x,,1\nLE,x,,1\n");
    const RunResult r = run("LP data=b sparsedata;\nRUN;\n");
    EXPECT_EQ(r.exit_status, kExitStatementError) << r.log;
    EXPECT_TRUE(contains(r.log, "The LE observation 2 gives neither a row nor a column.")) << r.log;
    EXPECT_TRUE(contains(r.log, "The RHS observation 3 needs a row or a column name.")) << r.log;
    EXPECT_TRUE(contains(r.log, "The RHS observation 4 needs a column name as well as a row name.")) << r.log;
    EXPECT_TRUE(contains(r.log, "Observation 5 has no type and lacks a column name.")) << r.log;
    EXPECT_TRUE(contains(r.log, "Observation 6 has no type and lacks a row name.")) << r.log;
    EXPECT_TRUE(contains(r.log, "The LE observation 7 needs a row name.")) << r.log;
}

TEST_F(DataDiagnostics, AHeaderWithoutObservationsIsSaidToBeEmpty) {
    write("h.csv", "_ID_,_TYPE_,x,_RHS_\n");
    for (const char* program : {"LP data=h;\nRUN;\n", "LP data=h sparsedata;\nRUN;\n"}) {
        const RunResult r = run(program);
        EXPECT_EQ(r.exit_status, kExitStatementError) << r.log;
        EXPECT_TRUE(contains(r.log, "ERROR: The data set H has no observations")) << r.log;
        EXPECT_FALSE(contains(r.log, "must be character")) << r.log;
        EXPECT_FALSE(contains(r.log, "If it is in the")) << r.log;
    }
}

TEST_F(DataDiagnostics, ABlankTypeIsNamedAsSuch) {
    write("bl.csv", "_ID_,_TYPE_,x,_RHS_\no,MAX,1,.\nc,LE,1,4\nd,,1,3\n");
    const RunResult r = run("LP data=bl;\nRUN;\n");
    EXPECT_EQ(r.exit_status, kExitStatementError) << r.log;
    EXPECT_TRUE(contains(r.log, "ERROR: Observation 3 has a blank type")) << r.log;
    EXPECT_FALSE(contains(r.log, "The type  of")) << r.log;
}

TEST_F(DataDiagnostics, ASparseDataSetReadDenseListsAHundredTypesThenCounts) {
    std::string data = "_TYPE_$8,_COL_$8,_ROW_$8,_COEF_\nMAX,,o,.\n";
    for (int k = 0; k < 150; ++k) data += ",x" + std::to_string(k) + ",o,1\n";
    write("big.csv", data);
    const RunResult r = run("LP data=big;\nRUN;\n");
    EXPECT_EQ(r.exit_status, kExitStatementError) << r.log;
    EXPECT_EQ(count_of(r.log, "has a blank type"), 100) << r.log;
    EXPECT_TRUE(contains(r.log, "Observation 101 has a blank type")) << r.log;
    EXPECT_FALSE(contains(r.log, "Observation 102 has a blank type")) << r.log;
    EXPECT_TRUE(contains(r.log,
                         "150 observations in all have a type that is not recognised; only the first 100 "
                         "are listed."))
        << r.log;

    // At or below the cap there is no count.
    write("few.csv", "_ID_,_TYPE_,x,_RHS_\no,MAX,1,.\nc,QQ,1,4\n");
    const RunResult few = run("LP data=few;\nRUN;\n");
    EXPECT_TRUE(contains(few.log, "The type QQ of observation 2 is not recognised.")) << few.log;
    EXPECT_FALSE(contains(few.log, "observations in all")) << few.log;
}

TEST_F(DataDiagnostics, AnIterationLimitIsSaidOnceByThePhaseAndOnceByTheSummary) {
    write("m.csv",
          "_ID_,_TYPE_,x0,x1,x2,x3,_RHS_\no,MAX,3,5,4,6,.\nc0,LE,2,3,1,4,20\nc1,LE,1,2,3,1,15\n"
          "c2,LE,4,1,2,3,25\nc3,LE,3,4,2,1,18\n");
    const RunResult r = run("LP data=m maxit2=1;\nRUN;\n%PUT &_QMLP_;\n");
    ASSERT_TRUE(contains(r.log, "STATUS=MAX_ITER")) << r.log;
    EXPECT_TRUE(contains(r.log, "Phase 2 stopped at its iteration limit (MAXIT2=).")) << r.log;
    EXPECT_TRUE(contains(r.log, "The solve ended because phase 2 reached its iteration limit")) << r.log;
}

}  // namespace
