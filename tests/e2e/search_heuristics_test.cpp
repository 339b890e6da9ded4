// search_heuristics_test.cpp -- the search's extensions on shared MIPLIB 3
// instances: the primal heuristics (HEURISTICS=, DIVEFREQ=) and reliability
// branching (VARSELECT=RELIABLE, RELIABILITY=).  They must leave a program
// that names none of them exactly as it was, log which heuristic found each
// incumbent, keep the limits, the status words and the resumed searches
// working, and reach the known optimum.  The random-MIP harness checks the
// same options against its oracles.  Skipped when ../shared/bench is absent.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "e2e_support.h"

namespace e2e {
namespace {

constexpr double kRelativeTolerance = 1e-6;

std::string field(const std::string& status, const std::string& key) {
    const size_t at = status.find(key + "=");
    if (at == std::string::npos) return {};
    const size_t start = at + key.size() + 1;
    return status.substr(start, status.find(' ', start) - start);
}

struct Solve {
    std::string log;
    std::string status;  // the _QMLP_ line's value
};

class SearchHeuristics : public ::testing::Test {
  protected:
    void SetUp() override {
        mps_ = bench_dir("miplib3") / "p0201.mps.gz";
        if (!fs::exists(mps_)) GTEST_SKIP() << "no shared instance " << mps_;
        char pattern[] = "/tmp/qmlp-heur-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override {
        std::error_code ec;
        if (!dir_.empty() && !HasFailure()) fs::remove_all(dir_, ec);
    }

    Solve solve(const std::string& options, const fs::path& instance = {}) {
        const fs::path mps = instance.empty() ? mps_ : instance;
        shell("cd " + quoted(dir_.string()) + " && timeout 120 " + quoted(qmlp_binary().string()) + " solve " +
              quoted(mps.string()) + " printlevel=-2 " + options + " >/dev/null 2>log.txt");
        Solve s;
        s.log = slurp(dir_ / "log.txt");
        const size_t at = s.log.rfind("_QMLP_: ");
        if (at != std::string::npos) s.status = s.log.substr(at + 8, s.log.find('\n', at) - at - 8);
        return s;
    }

    static void expect_optimum(const Solve& s, double known) {
        EXPECT_EQ(field(s.status, "STATUS"), "SUCCESSFUL") << s.status;
        const double best = std::strtod(field(s.status, "INT_BEST").c_str(), nullptr);
        EXPECT_LE(std::fabs(best - known), kRelativeTolerance * std::max(1.0, std::fabs(known))) << s.status;
    }

    fs::path mps_;
    fs::path dir_;
};

constexpr double kP0201 = 7615;

// Naming the new options at values that turn nothing on is the search of
// a program that names none: the same nodes, pivots and solutions.  (The
// command line names the classic defaults, since `qmlp solve` turns the
// extensions on for integer problems.)
TEST_F(SearchHeuristics, OptionsThatTurnNothingOnKeepTheSearch) {
    const Solve plain = solve("heuristics=0 varselect=far");
    const Solve named = solve("heuristics=0 varselect=far divefreq=3 reliability=2");
    ASSERT_FALSE(plain.status.empty()) << plain.log;
    EXPECT_EQ(plain.status, named.status);
    EXPECT_EQ(named.log.find("heuristic found"), std::string::npos) << named.log;
    EXPECT_EQ(named.log.find("The heuristics found"), std::string::npos) << named.log;
}

// Every incumbent a heuristic finds is logged with its name; the search
// still proves the optimum, and the summary counts what was found.
TEST_F(SearchHeuristics, EachHeuristicIncumbentIsLoggedByName) {
    for (const char* options : {"heuristics=1", "heuristics=2", "heuristics=2 divefreq=1"}) {
        const Solve s = solve(options);
        expect_optimum(s, kP0201);
        EXPECT_NE(s.log.find("heuristic found an integer solution (objective"), std::string::npos) << options << "\n"
                                                                                                   << s.log;
        EXPECT_NE(s.log.find("The heuristics found"), std::string::npos) << options;
        EXPECT_GE(std::stoi(field(s.status, "INT_FEAS")), 1) << s.status;
    }
}

// `qmlp solve` searches an integer problem with both extensions unless the
// command line names them, and says so.
TEST_F(SearchHeuristics, SolveTurnsTheExtensionsOnAndSaysSo) {
    const Solve s = solve("");
    expect_optimum(s, kP0201);
    EXPECT_NE(s.log.find("qmlp solve uses heuristics=2 varselect=reliable"), std::string::npos) << s.log;
    EXPECT_NE(s.log.find("heuristic found an integer solution"), std::string::npos) << s.log;
    const Solve chosen = solve("heuristics=1 varselect=pensum");
    EXPECT_EQ(chosen.log.find("qmlp solve uses heuristics"), std::string::npos) << chosen.log;
    expect_optimum(chosen, kP0201);
}

TEST_F(SearchHeuristics, ReliabilityBranchingReachesTheOptimum) {
    expect_optimum(solve("varselect=reliable"), kP0201);
    expect_optimum(solve("varselect=8 reliability=1 binfst"), kP0201);
    expect_optimum(solve("varselect=reliable heuristics=2"), kP0201);
}

// The dives and strong branching count their iterations as the integer
// phase's: a search stopped by IMAXIT or MAXIT3 says so in the status
// word, with the incumbent found so far.
TEST_F(SearchHeuristics, LimitsStopTheSearchWithTheirStatus) {
    const Solve few = solve("heuristics=2 divefreq=1 varselect=reliable imaxit=5");
    EXPECT_EQ(field(few.status, "STATUS"), "INT_MAX_ITER") << few.status;
    EXPECT_EQ(field(few.status, "INT_ITER"), "5") << few.status;
    const Solve pivots = solve("heuristics=2 divefreq=1 maxit3=400");
    EXPECT_EQ(field(pivots.status, "STATUS"), "MAX_ITER") << pivots.status;
    EXPECT_LE(std::stoi(field(pivots.status, "PHASE3_ITER")), 400 + 200) << pivots.status;
}

// A search stopped with its ACTIVEOUT goes on from it under the heuristics
// to the optimum; the incumbent a heuristic found is carried over.
TEST_F(SearchHeuristics, ResumedSearchReachesTheOptimum) {
    const Solve first = solve("heuristics=2 imaxit=20 activeout=a.csv");
    EXPECT_EQ(field(first.status, "STATUS"), "INT_MAX_ITER") << first.status;
    const Solve resumed = solve("heuristics=2 varselect=reliable activein=a.csv");
    expect_optimum(resumed, kP0201);
}

// The shared instances the quick MIPLIB tests solve, under both extensions.
class SearchHeuristicsMiplib : public ::testing::TestWithParam<std::string> {};
TEST_P(SearchHeuristicsMiplib, ReachesTheKnownOptimum) {
    const fs::path mps = bench_dir("miplib3") / (GetParam() + ".mps.gz");
    if (!fs::exists(mps)) GTEST_SKIP() << "no shared instance " << mps;
    char pattern[] = "/tmp/qmlp-heur-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const fs::path dir = pattern;
    shell("cd " + quoted(dir.string()) + " && timeout 120 " + quoted(qmlp_binary().string()) + " solve " +
          quoted(mps.string()) + " printlevel=-2 heuristics=2 varselect=reliable >/dev/null 2>log.txt");
    const std::string log = slurp(dir / "log.txt");
    const size_t at = log.rfind("_QMLP_: ");
    const std::string status = at == std::string::npos ? "" : log.substr(at + 8, log.find('\n', at) - at - 8);
    std::error_code ec;
    fs::remove_all(dir, ec);
    EXPECT_EQ(field(status, "STATUS"), "SUCCESSFUL") << GetParam() << ": " << status;
    const double known = known_optima("miplib3").at(GetParam());
    const double best = std::strtod(field(status, "INT_BEST").c_str(), nullptr);
    EXPECT_LE(std::fabs(best - known), kRelativeTolerance * std::max(1.0, std::fabs(known)))
        << GetParam() << ": " << status;
}
INSTANTIATE_TEST_SUITE_P(Quick, SearchHeuristicsMiplib, ::testing::Values("p0033", "flugpl", "stein27", "misc03"));

}  // namespace
}  // namespace e2e
