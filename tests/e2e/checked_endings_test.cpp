// Endings that once were wrong: each is now either right or says that it
// could not be verified, never a wrong answer reported as success.
#include <gtest/gtest.h>

#include "e2e_support.h"

namespace e2e {
namespace {

class CheckedEndings : public ScratchFolder {
  protected:
    std::string status_after(const std::string& program) {
        const RunResult r = run(program + "%PUT STATUS_LINE &_QMLP_;\n");
        last_log_ = r.log;
        const auto at = r.log.find("STATUS_LINE ");
        return at == std::string::npos ? std::string() : r.log.substr(at + 12, r.log.find('\n', at) - at - 12);
    }
    std::string last_log_;
};

// A right-hand side of 1e300 is a finite bound: the optimum is 1e300, not
// an unbounded ray (the row's scale used to push its entries to zero).
TEST_F(CheckedEndings, AHugeRightHandSideIsNotAnUnboundedRay) {
    write("big.csv", "_ID_,_TYPE_,x,y,_RHS_\nobj,MAX,1,1,.\nc1,LE,1,1,1e300\n");
    const std::string status = status_after("LP data=big;\nRUN;\n");
    EXPECT_TRUE(contains(status, "STATUS=SUCCESSFUL")) << status << last_log_;
    EXPECT_TRUE(contains(status, "OBJECTIVE=1.0000000000000001E300")) << status;
    EXPECT_FALSE(contains(last_log_, "smaller than EPSILON")) << last_log_;
}

// Unscaled, a row whose entries are all tiny can be violated by more than
// its own size allows while every value is within the phases' absolute
// tolerance.  The exact answer is "infeasible": the solution must not be
// reported as optimal (scaled, the solve finds the infeasibility itself).
TEST_F(CheckedEndings, ASolutionThatFailsItsCheckIsNotCalledOptimal) {
    write("p.csv",
          "_ID_,_TYPE_,x1,x2,x3,x4,_RHS_,_RANGE_\n"
          "obj,MIN,-0.005804,0.001481,-0.05529,0,.,.\n"
          "r1,GE,-0.01985,-199.6,0,0,-6.711,.\n"
          "r2,LE,0.3287,35190,-6.83,-401.3,269.3,.\n"
          "r3,EQ,-0.05934,0,-0.06418,0,-2.877,.\n"
          "r4,LE,-0.0003553,26.8,0.001416,-0.1028,0.5659,.\n"
          "r5,LE,0.0001714,-14.08,2.287e-05,-0.08914,-0.3798,0.262\n"
          "r6,EQ,0,0,0,0.2885,0.226,.\n"
          "r7,LE,0,0,3.982,23870,18860,.\n"
          "r8,GE,0,0,0,3.859e-05,3.024e-05,.\n"
          "r9,LE,5.931,129300,-0.1405,0,3376,2761\n"
          "ub,UPPERBD,.,0.2108,.,.,.,.\n");
    std::string status = status_after("LP data=p primalout=po scale=none;\nRUN;\n");
    EXPECT_TRUE(contains(status, "STATUS=UNSTABLE")) << status;
    EXPECT_TRUE(contains(status, "P_FEAS=NO")) << status;
    EXPECT_TRUE(contains(last_log_, "does not pass its check in the problem's own units")) << last_log_;
    EXPECT_TRUE(contains(last_log_, " r8 is off by")) << last_log_;  // the row or its surplus column
    status = status_after("LP data=p;\nRUN;\n");
    EXPECT_TRUE(contains(status, "STATUS=INFEASIBLE")) << status;
}

// brandy with a small pivot tolerance U once ended "unbounded" with a column
// of reduced cost 0; the ending is now measured again and holds as optimal.
TEST_F(CheckedEndings, BrandyWithASmallPivotToleranceReachesItsOptimum) {
    const fs::path mps = fs::path(QMLP_SHARED_DIR) / "bench" / "netlib" / "brandy.mps.gz";
    if (!fs::exists(mps)) GTEST_SKIP() << "no shared instances";
    ASSERT_EQ(shell(quoted(qmlp_binary().string()) + " import-mps " + quoted(mps.string()) + " -o " +
                    quoted((dir_ / "brandy.csv").string()) + " >/dev/null 2>&1"),
              0);
    const std::string status = status_after("LP data=brandy sparsedata u=0.00001 maxit=100000;\nRUN;\n");
    EXPECT_TRUE(contains(status, "STATUS=SUCCESSFUL")) << status;
    EXPECT_TRUE(contains(status, "OBJECTIVE=1518.50989")) << status;
}

}  // namespace
}  // namespace e2e
