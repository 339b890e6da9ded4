// The dual simplex path as a program asks for it (ALGORITHM=DUAL): the
// iteration log, a PIVOT pause in the middle of the dual iterations, the
// TIME limit, a refused option value, and the same optima and data sets as
// the primal phases for an integer problem and for several combinations.
#include <cstdlib>
#include <sstream>
#include <string>

#include "e2e_support.h"

namespace {

using e2e::contains;
using e2e::RunResult;

// min 3x + 2y + 4z with three >= rows: the slack basis is dual feasible and
// primal infeasible, so every iteration is a dual one.  Optimum 10.5 at
// (2.5, 1.5, 0).
const char* const kDiet =
    "_ID_,_TYPE_,x,y,z,_RHS_\n"
    "cost,MIN,3,2,4,.\n"
    "a,GE,1,1,2,4\n"
    "b,GE,2,0,1,5\n"
    "c,GE,1,3,1,7\n";

class DualPathProgram : public e2e::ScratchFolder {
  protected:
    void SetUp() override {
        ScratchFolder::SetUp();
        write("d.csv", kDiet);
    }
};

TEST_F(DualPathProgram, IterationLogAndPivotPauseFollowTheDualIterations) {
    const RunResult r = run("LP data=d algorithm=dual flow;\nPIVOT;\nRUN;\nSHOW STATUS;\nRUN;\n%PUT &_QMLP_;\n");
    EXPECT_EQ(r.exit_status, 0) << r.log;
    EXPECT_TRUE(contains(r.log, "The requested pivot was done; pausing.")) << r.log;
    // The pause came after the first dual iteration, before feasibility.
    EXPECT_TRUE(contains(r.log, "Where the run stands: STATUS=PIVOT PHASE=3 OBJECTIVE=8 P_FEAS=NO")) << r.log;
    EXPECT_TRUE(contains(r.log, "STATUS=SUCCESSFUL PHASE=2 OBJECTIVE=10.5 ")) << r.log;
    EXPECT_TRUE(contains(r.log, "PHASE1_ITER=0 PHASE2_ITER=0 PHASE3_ITER=3 ")) << r.log;
    // One log row per dual iteration, phase 3, with the reduced cost of the
    // entering column without its perturbation.
    EXPECT_TRUE(
        contains(r.listing, "    3          1  z                3  a                6            4         8\n"))
        << r.listing;
    EXPECT_TRUE(contains(r.listing, "    3          3  x                1  b                7  ")) << r.listing;
}

TEST_F(DualPathProgram, SameSolutionDataSetsAsThePrimalPhases) {
    const RunResult primal = run("LP data=d primalout=pp dualout=pd;\nRUN;\n");
    const RunResult dual = run("LP data=d algorithm=dual primalout=dp dualout=dd;\nRUN;\n");
    ASSERT_EQ(primal.exit_status, 0) << primal.log;
    ASSERT_EQ(dual.exit_status, 0) << dual.log;
    EXPECT_EQ(e2e::slurp(dir_ / "pp.csv"), e2e::slurp(dir_ / "dp.csv"));
    EXPECT_EQ(e2e::slurp(dir_ / "pd.csv"), e2e::slurp(dir_ / "dd.csv"));
}

TEST_F(DualPathProgram, ValueOutsideTheChoicesIsRefused) {
    const RunResult r = run("LP data=d algorithm=3;\nRUN;\n");
    EXPECT_NE(r.exit_status, 0) << r.log;
    EXPECT_TRUE(contains(r.log, "0<=algorithm<=2")) << r.log;
    const RunResult word = run("LP data=d algorithm=auto;\nRUN;\n%PUT &_QMLP_;\n");
    EXPECT_EQ(word.exit_status, 0) << word.log;
    EXPECT_TRUE(contains(word.log, "STATUS=SUCCESSFUL PHASE=2 OBJECTIVE=10.5 ")) << word.log;
    EXPECT_TRUE(contains(word.log, "PHASE3_ITER=3 ")) << "AUTO takes the dual path: " << word.log;
}

TEST_F(DualPathProgram, FreeAndUpperOnlyColumnsReachTheOptimum) {
    // max 2x + y + z, x free, z <= 3 without a lower bound: 18 at (8, 6, -4),
    // reached only when the path lets x and z go negative.
    write("f.csv",
          "_ID_,_TYPE_,x,y,z,_RHS_\n"
          "obj,MAX,2,1,1,.\n"
          "r1,LE,1,1,1,10\n"
          "r2,LE,1,-1,0,2\n"
          "r3,GE,0,1,-1,-4\n"
          "up,UPPERBD,.,6,3,.\n"
          "fr,UNRSTRCT,1,0,1,.\n");
    const RunResult r = run("LP data=f algorithm=dual;\nRUN;\n%PUT &_QMLP_;\n");
    EXPECT_TRUE(contains(r.log, "STATUS=SUCCESSFUL PHASE=2 OBJECTIVE=18 ")) << r.log;
    EXPECT_TRUE(contains(r.log, "PHASE1_ITER=1 ")) << "the dual phase 1 ran: " << r.log;
}

TEST_F(DualPathProgram, IntegerProblemReachesTheSameOptimum) {
    write("k.csv",
          "_ID_,_TYPE_,a,b,c,d,_RHS_\n"
          "value,MAX,8,11,6,4,.\n"
          "weight,LE,5,7,4,3,14\n"
          "kind,INTEGER,1,1,1,1,.\n"
          "ub,UPPERBD,1,1,1,1,.\n");
    const RunResult primal = run("LP data=k;\nRUN;\n%PUT &_QMLP_;\n");
    const RunResult dual = run("LP data=k algorithm=dual;\nRUN;\n%PUT &_QMLP_;\n");
    EXPECT_TRUE(contains(primal.log, "STATUS=SUCCESSFUL PHASE=3 OBJECTIVE=21 ")) << primal.log;
    EXPECT_TRUE(contains(dual.log, "STATUS=SUCCESSFUL PHASE=3 OBJECTIVE=21 ")) << dual.log;
}

TEST_F(DualPathProgram, EveryCombinationOfTwoObjectivesAndTwoRightHandSides) {
    write("two.csv",
          "_ID_,_TYPE_,x,y,_RHS_,rhs2\n"
          "cost,MIN,1,2,.,.\n"
          "other,MAX,1,1,.,.\n"
          "a,GE,1,1,2,3\n"
          "b,LE,1,0,4,1\n"
          "c,LE,0,1,5,6\n");
    const RunResult primal = run("LP data=two primalout=pp;\nRHS _RHS_ rhs2;\nRUN;\n");
    const RunResult dual = run("LP data=two algorithm=dual primalout=dp;\nRHS _RHS_ rhs2;\nRUN;\n");
    ASSERT_EQ(primal.exit_status, 0) << primal.log;
    ASSERT_EQ(dual.exit_status, 0) << dual.log;
    const std::string values = e2e::slurp(dir_ / "pp.csv");
    EXPECT_TRUE(contains(values, "other,rhs2,")) << values;  // all four combinations are there
    EXPECT_EQ(values, e2e::slurp(dir_ / "dp.csv"));
}

// min -sum (1 + i mod 7) x_i with x_i <= 1 + i mod 5 as rows, in the
// sparse layout: every column's cost takes it into the basis, one dual
// iteration per row, and no update adds work to the solves.
std::string separable(int rows) {
    std::ostringstream out;
    out << "_TYPE_,_COL_,_ROW_,_COEF_\nMIN,,cost,.\n";
    for (int i = 0; i < rows; ++i) out << "LE,,r" << i << ",.\n";
    for (int i = 0; i < rows; ++i) {
        out << ",x" << i << ",cost," << -(1 + i % 7) << "\n";
        out << ",x" << i << ",r" << i << ",1\n";
    }
    for (int i = 0; i < rows; ++i) out << "RHS,_RHS_,r" << i << "," << 1 + i % 5 << "\n";
    return out.str();
}

int count_of(const std::string& text, const std::string& what) {
    int k = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++k;
    return k;
}

TEST_F(DualPathProgram, RefactorisationByWorkIgnoresInvfreqAndKeepsTheOptimum) {
    write("s.csv", separable(300));
    // The optimum: -sum (1 + i mod 7)(1 + i mod 5).
    long optimum = 0;
    for (int i = 0; i < 300; ++i) optimum -= (1 + i % 7) * (1 + i % 5);
    const std::string expected = "OBJECTIVE=" + std::to_string(optimum) + " ";
    const RunResult count =
        run("LP data=s sparsedata maxit=100000 algorithm=dual invfreq=3 performance=1;\nRUN;\n%PUT &_QMLP_;\n");
    const RunResult work =
        run("LP data=s sparsedata maxit=100000 algorithm=dual invfreq=3 invtype=auto performance=1;\nRUN;\n%PUT "
            "&_QMLP_;\n");
    ASSERT_EQ(count.exit_status, 0) << count.log;
    ASSERT_EQ(work.exit_status, 0) << work.log;
    EXPECT_TRUE(contains(count.log, expected)) << count.log;
    EXPECT_TRUE(contains(work.log, expected)) << work.log;
    const int by_count = count_of(count.log, "Start inversion");
    const int by_work = count_of(work.log, "Start inversion");
    EXPECT_GE(by_count, 90) << count.log;
    EXPECT_LE(by_work, 10) << work.log;
    // The keyword and the number name the same rule; others are refused.
    const RunResult number =
        run("LP data=s sparsedata maxit=100000 algorithm=dual invfreq=3 invtype=1 performance=1;\nRUN;\n");
    EXPECT_EQ(count_of(number.log, "Start inversion"), by_work) << number.log;
    const RunResult bad = run("LP data=s sparsedata invtype=2;\nRUN;\n");
    EXPECT_NE(bad.exit_status, 0) << bad.log;
    EXPECT_TRUE(contains(bad.log, "0<=invtype<=1")) << bad.log;
}

}  // namespace
