// The PRIMALIN warm start: a PRIMALOUT fed back starts each combination at
// the basis it describes, and a PRIMALIN that cannot give a basis ends the
// run with bad data (exit status 3) and an ERROR, never a silent solve from
// scratch.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "e2e_support.h"

namespace e2e {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitBadData = 3;

// max 3x + 2y + z with x + y + z <= 10, y + z >= 2, x <= 4: the optimum 24
// has x at its upper bound, and the fresh solve needs phase 1 (row c2).
constexpr const char* kProblem =
    "_ID_,_TYPE_,x,y,z,_RHS_\nprofit,MAX,3,2,1,.\nc1,LE,1,1,1,10\nc2,GE,0,1,1,2\n"
    "ub,UPPERBD,4,.,.,.\n";
constexpr const char* kPrimalinHeader = "_OBJ_ID_,_RHS_ID_,_VAR_,_TYPE_,_STATUS_,_LBOUND_,_VALUE_,_UBOUND_\n";

class Primalin : public ScratchFolder {
  protected:
    // Runs the program; returns the value of _QMLP_ (the log is in last_).
    std::string status_after(const std::string& program) {
        last_ = run(program + "%PUT STATUS_LINE &_QMLP_;\n");
        const auto at = last_.log.find("STATUS_LINE ");
        return at == std::string::npos ? std::string() : last_.log.substr(at + 12, last_.log.find('\n', at) - at - 12);
    }
    // Solves `data` fresh and writes its PRIMALOUT to po.csv; returns its lines.
    std::vector<std::string> solved_lines(const std::string& data) {
        write("p.csv", data);
        fresh_ = status_after("LP data=p primalout=po;\nRUN;\n");
        EXPECT_TRUE(contains(fresh_, "STATUS=SUCCESSFUL")) << fresh_ << last_.log;
        std::vector<std::string> lines;
        std::istringstream in(slurp(dir_ / "po.csv"));
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    void write_lines(const std::string& name, const std::vector<std::string>& lines) {
        std::string text;
        for (const std::string& line : lines) text += line + "\n";
        write(name, text);
    }
    static std::string field(const std::string& status, const std::string& key) {
        const auto at = status.find(key + "=");
        if (at == std::string::npos) return {};
        const auto from = at + key.size() + 1;
        return status.substr(from, status.find(' ', from) - from);
    }
    // The warm start reaches the fresh solve's objective without an iteration.
    void expect_warm_start(const std::string& status) {
        EXPECT_EQ(last_.exit_status, kExitOk) << last_.log;
        EXPECT_TRUE(contains(status, "STATUS=SUCCESSFUL")) << status;
        EXPECT_EQ(field(status, "OBJECTIVE"), field(fresh_, "OBJECTIVE")) << status << " / " << fresh_;
        EXPECT_EQ(field(status, "PHASE1_ITER"), "0") << status;
        EXPECT_EQ(field(status, "PHASE2_ITER"), "0") << status;
    }
    void expect_bad_data(const std::string& status, const std::string& message) {
        EXPECT_EQ(last_.exit_status, kExitBadData) << last_.log;
        EXPECT_TRUE(contains(status, "STATUS=BADDATA_ERROR")) << status;
        EXPECT_TRUE(contains(last_.log, "ERROR: " + message)) << last_.log;
    }

    RunResult last_;
    std::string fresh_;
};

// ---- a PRIMALOUT fed back

TEST_F(Primalin, APrimaloutFedBackNeedsNoIteration) {
    const std::vector<std::string> lines = solved_lines(kProblem);
    EXPECT_NE(field(fresh_, "PHASE1_ITER"), "0") << "the fresh solve should need phase 1: " << fresh_;
    EXPECT_EQ(field(fresh_, "OBJECTIVE"), "24") << fresh_;
    ASSERT_TRUE(contains(slurp(dir_ / "po.csv"), "_UPPER_"));
    expect_warm_start(status_after("LP data=p primalin=po;\nRUN;\n"));
    EXPECT_FALSE(contains(last_.log, "WARNING")) << last_.log;

    // In reverse order, and with observations of another objective row and
    // another right-hand side (whose column names are not in the problem),
    // the basis is the same.
    std::vector<std::string> reordered{lines[0]};
    reordered.push_back("other,_RHS_,nosuch,N,_BASIC_,0,0,0,0,0");
    for (size_t k = lines.size() - 1; k > 0; --k) reordered.push_back(lines[k]);
    reordered.push_back("profit,rhs2,nosuch,N,_BASIC_,0,0,0,0,0");
    write_lines("pi.csv", reordered);
    expect_warm_start(status_after("LP data=p primalin=pi;\nRUN;\n"));
}

// Two objectives by two right-hand sides: each of the four combinations
// starts from its own basis of the PRIMALOUT and needs no iteration, and
// reaches the objective its fresh solve reached (24, 4, 8, 20).
TEST_F(Primalin, EachCombinationStartsFromItsOwnBasis) {
    write("p.csv",
          "_ID_,_TYPE_,x,y,z,_RHS_,rhs2\nprofit,MAX,3,2,1,.,.\ncost,MIN,1,2,4,.,.\nc1,LE,1,1,1,10,8\n"
          "c2,GE,0,1,1,2,3\nc3,GE,1,1,0,1,5\nub,UPPERBD,4,.,.,.,.\n");
    const RunResult fresh = run("LP data=p primalout=po;\nRHS _RHS_ rhs2;\nRUN;\n");
    ASSERT_EQ(fresh.exit_status, kExitOk) << fresh.log;
    const RunResult warm = run("LP data=p primalin=po;\nRHS _RHS_ rhs2;\nRUN;\n");
    ASSERT_EQ(warm.exit_status, kExitOk) << warm.log;
    auto values = [](const std::string& listing, const std::string& label) {
        std::vector<std::string> out;
        for (size_t at = listing.find(label); at != std::string::npos; at = listing.find(label, at + 1)) {
            const size_t end = listing.find('\n', at + label.size());
            std::string line = listing.substr(at + label.size(), end - at - label.size());
            out.push_back(line.substr(line.find_first_not_of(' ')));
        }
        return out;
    };
    EXPECT_EQ(values(warm.listing, "Objective Value"), (std::vector<std::string>{"24", "4", "8", "20"}));
    EXPECT_EQ(values(warm.listing, "Objective Value"), values(fresh.listing, "Objective Value"));
    EXPECT_EQ(values(warm.listing, "\nPhase 1 Iterations"), (std::vector<std::string>(4, "0")));
    EXPECT_EQ(values(warm.listing, "\nPhase 2 Iterations"), (std::vector<std::string>(4, "0")));
    EXPECT_NE(values(fresh.listing, "\nPhase 2 Iterations"), (std::vector<std::string>(4, "0")));
}

// Row names of two bytes cut the phase-1 objective column's name to "PH".
TEST_F(Primalin, ShortRowNamesCutThePhase1ColumnName) {
    solved_lines("_ID_,_TYPE_,x,y,_RHS_\no,MIN,1,2,.\nc1,GE,1,1,3\nc2,GE,1,3,5\nc3,LE,1,1,8\n");
    ASSERT_TRUE(contains(slurp(dir_ / "po.csv"), ",PH,")) << slurp(dir_ / "po.csv");
    expect_warm_start(status_after("LP data=p primalin=po;\nRUN;\n"));
}

// BASIC observations of the problem data give way to the PRIMALIN basis.
TEST_F(Primalin, ThePrimalinBasisReplacesMarkedBasicColumns) {
    solved_lines(kProblem);
    write("pb.csv", std::string(kProblem) + "b,BASIC,.,.,1,.\n");
    fresh_ = status_after("LP data=pb;\nRUN;\n");
    expect_warm_start(status_after("LP data=pb primalin=po;\nRUN;\n"));
    EXPECT_TRUE(contains(last_.log, "NOTE: The PRIMALIN basis replaces the basis marked by the BASIC observations."))
        << last_.log;
}

// ---- marks that are warned about and then ignored

// A basis names each basic column once: a data set that names one twice is
// not a basis, and the run ends as bad data rather than guess which mark
// was meant.
TEST_F(Primalin, AColumnMarkedBasicTwiceIsBadData) {
    std::vector<std::string> lines = solved_lines(kProblem);
    for (const std::string& line : std::vector<std::string>(lines))
        if (contains(line, ",y,")) lines.push_back(line);
    write_lines("pi.csv", lines);
    expect_bad_data(status_after("LP data=p primalin=pi;\nRUN;\n"),
                    "PRIMALIN marks the column y basic more than once.");
}

TEST_F(Primalin, AnUpperMarkWithoutAFiniteUpperBoundLeavesTheColumnAtItsLowerBound) {
    std::vector<std::string> lines = solved_lines(kProblem);
    for (std::string& line : lines)
        if (line.rfind("profit,_RHS_,z,", 0) == 0) line = "profit,_RHS_,z,NON-NEG,_UPPER_,0,0,.,1,-1";
    write_lines("pi.csv", lines);
    expect_warm_start(status_after("LP data=p primalin=pi;\nRUN;\n"));
    EXPECT_TRUE(contains(last_.log, "WARNING: PRIMALIN puts the column z at its upper bound")) << last_.log;
}

// ---- data sets that cannot give a basis

TEST_F(Primalin, AMissingDataSetIsBadData) {
    write("p.csv", kProblem);
    expect_bad_data(status_after("LP data=p primalin=nosuch;\nRUN;\n"), "Data set NOSUCH does not exist");
}

TEST_F(Primalin, AMissingRequiredVariableIsBadData) {
    write("p.csv", kProblem);
    write("pi.csv", "_OBJ_ID_,_RHS_ID_,_VAR_,_TYPE_,_VALUE_\nprofit,_RHS_,x,N,4\n");
    expect_bad_data(status_after("LP data=p primalin=pi;\nRUN;\n"), "The PRIMALIN data set lacks one of the variables");
}

TEST_F(Primalin, AColumnNotInTheProblemIsBadData) {
    std::vector<std::string> lines = solved_lines(kProblem);
    lines.push_back("profit,_RHS_,w,NON-NEG,,0,0,.,1,-1");
    write_lines("pi.csv", lines);
    expect_bad_data(status_after("LP data=p primalin=pi;\nRUN;\n"), "PRIMALIN names the column w, which is not in");
}

TEST_F(Primalin, TooFewBasicColumnsIsBadData) {
    write("p.csv", kProblem);
    write("pi.csv", std::string(kPrimalinHeader) + "profit,_RHS_,profit,OBJECT,_BASIC_,0,24,.\n" +
                        "profit,_RHS_,y,NON-NEG,_BASIC_,0,6,.\nprofit,_RHS_,x,UPPERBD,_UPPER_,0,4,4\n");
    expect_bad_data(status_after("LP data=p primalin=pi;\nRUN;\n"),
                    "The PRIMALIN basis does not have exactly one basic column per row.");
}

// ACTIVEIN is not used by this build: a missing one is bad data, an existing
// one is said to be left unused; the solve itself goes on.
TEST_F(Primalin, ActiveinIsNeverPassedOverInSilence) {
    write("p.csv", kProblem);
    std::string status = status_after("LP data=p activein=nosuch;\nRUN;\n");
    EXPECT_EQ(last_.exit_status, kExitBadData) << last_.log;
    EXPECT_TRUE(contains(status, "STATUS=BADDATA_ERROR")) << status;
    EXPECT_TRUE(contains(last_.log, "ERROR: Data set NOSUCH does not exist")) << last_.log;
    write("nodes.csv", "_NODE_\n1\n");
    status = status_after("LP data=p activein=nodes;\nRUN;\n");
    EXPECT_EQ(last_.exit_status, kExitOk) << last_.log;
    EXPECT_TRUE(contains(status, "STATUS=SUCCESSFUL")) << status;
    EXPECT_FALSE(contains(last_.log, "ERROR")) << last_.log;  // no integer columns: nothing to read
}

// PRIMALOUT fed back as PRIMALIN on shared Netlib instances: the restart
// needs no iteration (every one of the 50 does so; a handful is checked
// here) and reaches the same objective.
TEST_F(Primalin, NetlibInstancesRestartAtTheirOptimum) {
    const fs::path folder = fs::path(QMLP_SHARED_DIR) / "bench" / "netlib";
    if (!fs::exists(folder)) GTEST_SKIP() << "no shared instances";
    for (const char* name : {"afiro", "blend", "boeing1", "degen2", "e226", "scfxm1", "bandm", "grow7"}) {
        const std::string mps = quoted((folder / (std::string(name) + ".mps.gz")).string());
        const std::string command =
            "cd " + quoted(dir_.string()) + " && " + quoted(qmlp_binary().string()) + " solve " + mps + " noprint ";
        shell(command + "primalout=po.csv >/dev/null 2>fresh.txt");
        shell(command + "primalin=po.csv >/dev/null 2>warm.txt");
        const std::string fresh = slurp(dir_ / "fresh.txt");
        const std::string warm = slurp(dir_ / "warm.txt");
        const std::string status = warm.substr(warm.rfind("_QMLP_: "));
        EXPECT_TRUE(contains(status, "STATUS=SUCCESSFUL")) << name << ": " << status;
        for (const char* key : {"PHASE1_ITER", "PHASE2_ITER", "PHASE3_ITER"})
            EXPECT_EQ(field(status, key), "0") << name;
        const double a = std::stod(field(fresh.substr(fresh.rfind("_QMLP_: ")), "OBJECTIVE"));
        const double b = std::stod(field(status, "OBJECTIVE"));
        EXPECT_NEAR(a, b, 1e-9 * (1 + std::fabs(a))) << name;
    }
}

}  // namespace
}  // namespace e2e
