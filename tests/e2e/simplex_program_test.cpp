// simplex_program_test.cpp -- outcomes of the solve as a user sees them:
// real programs on small dense data sets, the status macro variable read
// back through --symbols, and the exit status of qmlp.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

struct Outcome {
    int exit_status = -1;
    std::string status;  // the value of _QMLP_
};

std::string Field(const std::string& text, const std::string& key) {
    const size_t at = text.find(key + "=");
    if (at == std::string::npos) return {};
    const size_t start = at + key.size() + 1;
    return text.substr(start, text.find(' ', start) - start);
}

class SimplexProgram : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("qmlp_simplex_" + std::to_string(::getpid()) + "_" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    void Data(const std::string& member, const std::string& csv) { std::ofstream(dir_ / (member + ".csv")) << csv; }

    Outcome Run(const std::string& program) {
        std::ofstream(dir_ / "run.qmlp") << program;
        const std::string cmd = std::string(QMLP_BUILD_DIR) + "/qmlp --lib " + dir_.string() + " --symbols " +
                                (dir_ / "sym.txt").string() + " " + (dir_ / "run.qmlp").string() + " > " +
                                (dir_ / "out.txt").string() + " 2>&1";
        Outcome o;
        const int rc = std::system(cmd.c_str());
        o.exit_status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
        std::ifstream in(dir_ / "sym.txt");
        std::string line;
        while (std::getline(in, line))
            if (line.rfind("_QMLP_=", 0) == 0) o.status = line.substr(7);
        return o;
    }

    fs::path dir_;
};

const char* const kProductMix =
    "_ID_,_TYPE_,x,y,z,_RHS_\n"
    "profit,MAX,3,2,4,.\n"
    "a,LE,1,1,2,4\n"
    "b,LE,2,0,1,5\n"
    "c,LE,1,3,1,7\n";

TEST_F(SimplexProgram, OptimalProblemReportsItsObjective) {
    Data("mix", kProductMix);
    const Outcome o = Run("LP data=mix;\nRUN;\n");
    EXPECT_EQ(o.exit_status, 0);
    EXPECT_EQ(Field(o.status, "STATUS"), "SUCCESSFUL") << o.status;
    EXPECT_NEAR(std::strtod(Field(o.status, "OBJECTIVE").c_str(), nullptr), 10.5, 1e-9) << o.status;
    EXPECT_EQ(Field(o.status, "P_FEAS"), "YES");
    EXPECT_EQ(Field(o.status, "D_FEAS"), "YES");
}

TEST_F(SimplexProgram, InfeasibleProblemEndsInfeasible) {
    Data("inf", "_ID_,_TYPE_,x,y,_RHS_\ncost,MIN,1,1,.\nlow,GE,1,1,5\nhigh,LE,1,1,3\n");
    const Outcome o = Run("LP data=inf;\nRUN;\n");
    EXPECT_EQ(o.exit_status, 0);
    EXPECT_EQ(Field(o.status, "STATUS"), "INFEASIBLE") << o.status;
    EXPECT_EQ(Field(o.status, "P_FEAS"), "NO");
}

TEST_F(SimplexProgram, UnboundedProblemEndsUnbounded) {
    Data("unb", "_ID_,_TYPE_,x,y,_RHS_\ngain,MAX,1,1,.\nrow,LE,1,-1,1\n");
    const Outcome o = Run("LP data=unb;\nRUN;\n");
    EXPECT_EQ(o.exit_status, 0);
    EXPECT_EQ(Field(o.status, "STATUS"), "UNBOUNDED") << o.status;
}

TEST_F(SimplexProgram, MaxitOneZeroStopsAfterOnePhaseOneIteration) {
    Data("ge", "_ID_,_TYPE_,x,y,_RHS_\ncost,MIN,1,1,.\nr1,GE,1,2,4\nr2,GE,3,1,6\n");
    const Outcome o = Run("LP data=ge maxit1=0;\nRUN;\n");
    EXPECT_EQ(o.exit_status, 0);
    EXPECT_EQ(Field(o.status, "STATUS"), "MAX_ITER") << o.status;
    EXPECT_EQ(Field(o.status, "PHASE1_ITER"), "1") << o.status;
}

TEST_F(SimplexProgram, WorkMemoryTooSmallEndsWithMemoryError) {
    // 300 rows need more than the 1 KB allowed for the inverse store alone.
    std::string csv = "_ID_,_TYPE_,x,y,_RHS_\ncost,MIN,1,1,.\n";
    for (int i = 0; i < 300; ++i) csv += "r" + std::to_string(i) + ",GE,1," + std::to_string(i % 7 + 1) + ",1\n";
    Data("big", csv);
    const Outcome o = Run("LP data=big workmemory=1;\nRUN;\n");
    EXPECT_EQ(o.exit_status, 4);
    EXPECT_EQ(Field(o.status, "STATUS"), "MEMORY_ERROR") << o.status;
}

TEST_F(SimplexProgram, EveryCombinationOfTwoObjectivesAndTwoRightHandSidesIsSolved) {
    // Each objective with each right-hand side; the last one solved is
    // objective "b" with rhs2 (forward over rhs1, then backward over rhs2).
    Data("two",
         "_ID_,_TYPE_,x,y,rhs1,rhs2\n"
         "a,MAX,1,0,.,.\n"
         "b,MAX,0,1,.,.\n"
         "cap,LE,1,1,4,6\n"
         "xcap,LE,1,0,3,5\n");
    const Outcome o = Run("LP data=two;\nRHS rhs1 rhs2;\nRUN;\n");
    EXPECT_EQ(o.exit_status, 0);
    EXPECT_EQ(Field(o.status, "STATUS"), "SUCCESSFUL") << o.status;
    // The first objective visited with rhs2 is b (the direction alternates),
    // the last is a: max x with x + y <= 6, x <= 5 gives 5.
    EXPECT_NEAR(std::strtod(Field(o.status, "OBJECTIVE").c_str(), nullptr), 5.0, 1e-9) << o.status;
}

}  // namespace
