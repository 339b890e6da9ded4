// `qmlp solve FILE.mps`: the real command on shared Netlib instances and on
// small MPS files of its own, run from a scratch folder that is also its
// TMPDIR, so that what it leaves behind can be seen.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "e2e_support.h"

namespace {

using namespace e2e;

fs::path netlib(const std::string& folder, const std::string& name) {
    return fs::path(QMLP_SHARED_DIR) / "bench" / folder / (name + ".mps.gz");
}

// The OBJECTIVE= of the status line; NaN when there is none.
double objective_of(const std::string& log) {
    const size_t at = log.rfind("OBJECTIVE=");
    if (at == std::string::npos) return std::nan("");
    return std::strtod(log.c_str() + at + 10, nullptr);
}

// min -x - y  s.t.  x + 2y <= 4,  3x + y <= 6,  x, y >= 0: optimum -2.8 at
// (1.6, 1.2), reached in two pivots.
constexpr const char* kSmallMps =
    "NAME          SMALL\n"
    "ROWS\n"
    " N  COST\n"
    " L  R1\n"
    " L  R2\n"
    "COLUMNS\n"
    "    X         COST      -1.0         R1        1.0\n"
    "    X         R2        3.0\n"
    "    Y         COST      -1.0         R1        2.0\n"
    "    Y         R2        1.0\n"
    "RHS\n"
    "    RHS       R1        4.0          R2        6.0\n"
    "ENDATA\n";

class SolveCommand : public ScratchFolder {
  protected:
    void SetUp() override {
        ScratchFolder::SetUp();
        fs::create_directory(dir_ / "tmp");
    }

    // Runs `qmlp ARGS` in the scratch folder; the log and the listing are
    // the command's standard error and standard output.
    RunResult solve(const std::string& args) {
        const fs::path log = dir_ / "stderr.txt";
        const fs::path listing = dir_ / "stdout.txt";
        RunResult r;
        r.exit_status = shell("cd " + quoted(dir_.string()) + " && TMPDIR=" + quoted((dir_ / "tmp").string()) + " " +
                              quoted(qmlp_binary().string()) + " " + args + " </dev/null >" + quoted(listing.string()) +
                              " 2>" + quoted(log.string()));
        r.log = slurp(log);
        r.listing = slurp(listing);
        return r;
    }

    bool temp_folder_empty() const { return fs::is_empty(dir_ / "tmp"); }
};

TEST_F(SolveCommand, AfiroReachesItsOptimumAndEndsWithTheStatusLine) {
    const fs::path afiro = netlib("netlib", "afiro");
    if (!fs::exists(afiro)) GTEST_SKIP() << "no " << afiro;
    const RunResult r = solve("solve " + quoted(afiro.string()));
    EXPECT_EQ(r.exit_status, 0) << r.log;
    EXPECT_TRUE(contains(r.log, "_QMLP_: STATUS=SUCCESSFUL")) << r.log;
    EXPECT_NEAR(objective_of(r.log), -464.753142857, 1e-9) << r.log;
    // The status line is the last line of the log.
    const std::string last = r.log.substr(r.log.rfind('\n', r.log.size() - 2) + 1);
    EXPECT_EQ(last.rfind("_QMLP_: ", 0), 0u) << r.log;
    EXPECT_TRUE(contains(r.listing, "-464.7531")) << r.listing;
    EXPECT_TRUE(temp_folder_empty());
    // The path it took, said in the log, and the dual iterations it counted.
    EXPECT_TRUE(contains(r.log, "NOTE: qmlp solve uses algorithm=auto lu=1 invtype=auto: the dual simplex path")) << r.log;
    EXPECT_FALSE(contains(r.log, "PHASE3_ITER=0 ")) << r.log;
    const RunResult primal = solve("solve " + quoted(afiro.string()) + " algorithm=primal");
    EXPECT_FALSE(contains(primal.log, "qmlp solve uses")) << primal.log;
    EXPECT_TRUE(contains(primal.log, "PHASE3_ITER=0 ")) << primal.log;
    EXPECT_NEAR(objective_of(primal.log), -464.753142857, 1e-9) << primal.log;
}

TEST_F(SolveCommand, TwentyFiveFv47NeedsMoreThanTheDefaultIterationLimits) {
    const fs::path instance = netlib("netlib-large", "25fv47");
    if (!fs::exists(instance)) GTEST_SKIP() << "no " << instance;
    const RunResult r = solve("solve " + quoted(instance.string()));
    EXPECT_EQ(r.exit_status, 0) << r.log;
    EXPECT_TRUE(contains(r.log, "_QMLP_: STATUS=SUCCESSFUL")) << r.log;
    EXPECT_NEAR(objective_of(r.log), 5501.8458883, 1e-7) << r.log;
}

TEST_F(SolveCommand, OptionsPassThroughAndOutputDataSetsLandInTheCurrentFolder) {
    write("small.mps", kSmallMps);
    const RunResult r = solve("solve small.mps primalout=primal.csv DOUT=sub/dual.csv pout2=x noprint");
    // pout2 is no option: the LP statement's own error, status 2.
    EXPECT_EQ(r.exit_status, 2) << r.log;
    EXPECT_TRUE(contains(r.log, "POUT2")) << r.log;
    EXPECT_FALSE(fs::exists(dir_ / "primal.csv"));
    EXPECT_TRUE(temp_folder_empty());

    fs::create_directory(dir_ / "sub");
    const RunResult ok = solve("solve small.mps primalout=primal.csv DOUT=sub/dual.csv pout=ignored noprint");
    ASSERT_EQ(ok.exit_status, 0) << ok.log;
    EXPECT_NEAR(objective_of(ok.log), -2.8, 1e-12) << ok.log;
    // The last PRIMALOUT of the statement counts, as in a program.
    EXPECT_FALSE(fs::exists(dir_ / "primal.csv")) << ok.log;
    EXPECT_TRUE(fs::exists(dir_ / "ignored.csv")) << ok.log;
    EXPECT_TRUE(contains(slurp(dir_ / "ignored.csv"), "1.6")) << slurp(dir_ / "ignored.csv");
    EXPECT_TRUE(fs::exists(dir_ / "sub" / "dual.csv")) << ok.log;
    // NOPRINT leaves the listing without the solution tables.
    EXPECT_FALSE(contains(ok.listing, "1.6")) << ok.listing;
    EXPECT_TRUE(temp_folder_empty());
}

TEST_F(SolveCommand, AnIterationLimitOfTheCommandLineHolds) {
    write("small.mps", kSmallMps);
    const RunResult r = solve("solve small.mps maxit=1");
    EXPECT_TRUE(contains(r.log, "_QMLP_: STATUS=MAX_ITER")) << r.log;
    // The exit status a program with the same step gets.
    write("p.qmlp", "LP data=\"" + (dir_ / "p.csv").string() + "\" sparsedata maxit=1;\nRUN;\n");
    ASSERT_EQ(shell(quoted(qmlp_binary().string()) + " import-mps " + quoted((dir_ / "small.mps").string()) + " -o " +
                    quoted((dir_ / "p.csv").string()) + " >/dev/null 2>&1"),
              0);
    EXPECT_EQ(r.exit_status, shell(quoted(qmlp_binary().string()) + " " + quoted((dir_ / "p.qmlp").string()) +
                                   " >/dev/null 2>&1 </dev/null"));
}

TEST_F(SolveCommand, HostOptionsWorkOnEitherSideOfSolve) {
    write("small.mps", kSmallMps);
    const RunResult r = solve("--log run.log solve small.mps --json run.json --listing run.lst");
    ASSERT_EQ(r.exit_status, 0) << r.log;
    EXPECT_EQ(r.log, "");
    EXPECT_EQ(r.listing, "");
    const std::string log = slurp(dir_ / "run.log");
    EXPECT_TRUE(contains(log, "MPS import:")) << log;
    EXPECT_TRUE(contains(log, "_QMLP_: STATUS=SUCCESSFUL")) << log;
    EXPECT_TRUE(contains(slurp(dir_ / "run.json"), "1.6"));
    EXPECT_TRUE(contains(slurp(dir_ / "run.lst"), "1.6"));
}

TEST_F(SolveCommand, BadInputGivesAClearErrorAndLeavesNothingBehind) {
    const RunResult missing = solve("solve no-such.mps");
    EXPECT_EQ(missing.exit_status, 2);
    EXPECT_TRUE(contains(missing.log, "ERROR: no-such.mps")) << missing.log;
    EXPECT_FALSE(contains(missing.log, "_QMLP_")) << missing.log;
    EXPECT_TRUE(temp_folder_empty());

    write("broken.mps", "NAME X\nROWS\n N COST\nCOLUMNS\n    X COST abc\nENDATA\n");
    const RunResult broken = solve("solve broken.mps");
    EXPECT_EQ(broken.exit_status, 2);
    EXPECT_TRUE(contains(broken.log, "ERROR: broken.mps:5:")) << broken.log;
    EXPECT_TRUE(temp_folder_empty());

    write("small.mps", kSmallMps);
    const RunResult value = solve("solve small.mps epsilon=-1");
    EXPECT_EQ(value.exit_status, 2);
    EXPECT_TRUE(contains(value.log, "0<epsilon")) << value.log;
    EXPECT_TRUE(temp_folder_empty());

    const RunResult unknown = solve("solve small.mps nosuchkeyword");
    EXPECT_EQ(unknown.exit_status, 2);
    EXPECT_TRUE(contains(unknown.log, "ERROR")) << unknown.log;

    const RunResult no_file = solve("solve");
    EXPECT_EQ(no_file.exit_status, 64);
    EXPECT_TRUE(contains(no_file.log, "solve needs an MPS file")) << no_file.log;
}

}  // namespace
