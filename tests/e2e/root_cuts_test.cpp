// root_cuts_test.cpp -- cutting planes at the root (CUTPASSES, CUTCHECK).
//
// Cuts must never remove an integer solution: random MIPs are solved with
// cuts and judged by enumeration or glpsol's branch and bound, and solved
// again with CUTCHECK against the optimal solution of the first run given
// through PRIMALIN, which refuses (with a WARNING) any cut that would cut
// that solution off; the tests demand that none does.  The shared MIPLIB 3
// instances are checked the same way against their known optima.  The
// reserved cut rows must never show in the user's reports and data sets.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "e2e_support.h"
#include "random_mip.h"

namespace e2e {
namespace {

using randmip::Answer;
using randmip::Ending;

constexpr double kObjectiveTolerance = 1e-6;
constexpr const char* kRefuted = "would cut off the PRIMALIN integer solution";
constexpr const char* kRootBound = "Cutting planes at the root:";

bool have_glpsol() {
    static const bool found = shell("command -v glpsol >/dev/null 2>&1") == 0;
    return found;
}

bool agree(double a, double b) { return std::fabs(a - b) <= kObjectiveTolerance * std::max(1.0, std::fabs(b)); }

fs::path scratch() {
    char pattern[] = "/tmp/qmlp-cuts-XXXXXX";
    if (mkdtemp(pattern) == nullptr) return {};
    return pattern;
}

std::string field(const std::string& text, const std::string& key) {
    std::istringstream in(text);
    std::string token;
    while (in >> token)
        if (token.rfind(key + "=", 0) == 0) return token.substr(key.size() + 1);
    return {};
}

// glpsol's MIP answer (no MIP presolver), as the random-MIP harness reads it.
Answer glpsol_mip(const fs::path& dir, const randmip::Problem& p) {
    std::ofstream(dir / "p.mps") << randmip::free_mps(p);
    const fs::path raw = dir / "mip.txt";
    const std::string out = (dir / "glpsol.out").string();
    shell("glpsol --nointopt --freemps " + quoted((dir / "p.mps").string()) + (p.maximise ? " --max" : " --min") +
          " -w " + quoted(raw.string()) + " >" + quoted(out) + " 2>&1");
    Answer a;
    std::istringstream in(slurp(raw));
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("s mip ", 0) != 0) continue;
        std::istringstream fields(line.substr(6));
        int rows = 0, cols = 0;
        std::string status;
        fields >> rows >> cols >> status >> a.objective;
        if (status == "o") a.ending = Ending::Optimal;
        if (status == "n") a.ending = Ending::Infeasible;
    }
    const std::string text = slurp(out);
    if (contains(text, "UNBOUNDED") || contains(text, "NO DUAL FEASIBLE")) a.ending = Ending::Unbounded;
    if (contains(text, "NO PRIMAL FEASIBLE")) a.ending = Ending::Infeasible;
    return a;
}

struct ProgramRun {
    std::string status;  // the value of _QMLP_
    std::string log;
    std::string listing;
};

// Runs `program` with the library in `dir`.
ProgramRun run_program(const fs::path& dir, const std::string& program) {
    std::ofstream(dir / "run.qmlp") << program;
    std::error_code ec;
    fs::remove(dir / "sym.txt", ec);
    shell("timeout 120 " + quoted(qmlp_binary().string()) + " --lib " + quoted(dir.string()) + " --symbols " +
          quoted((dir / "sym.txt").string()) + " --log " + quoted((dir / "log.txt").string()) + " --listing " +
          quoted((dir / "lst.txt").string()) + " " + quoted((dir / "run.qmlp").string()) +
          " </dev/null >/dev/null 2>&1");
    ProgramRun r;
    r.log = slurp(dir / "log.txt");
    r.listing = slurp(dir / "lst.txt");
    std::istringstream in(slurp(dir / "sym.txt"));
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("_QMLP_=", 0) == 0) r.status = line.substr(7);
    return r;
}

Ending ending_of(const std::string& status) {
    if (contains(status, "STATUS=SUCCESSFUL ")) return Ending::Optimal;
    if (contains(status, "STATUS=INFEASIBLE ") || contains(status, "STATUS=INT_INFEASIBLE ")) return Ending::Infeasible;
    if (contains(status, "STATUS=UNBOUNDED ")) return Ending::Unbounded;
    return Ending::Other;
}

double objective_of(const std::string& status) { return std::strtod(field(status, "OBJECTIVE").c_str(), nullptr); }

// One random problem solved with cuts, then again with CUTCHECK against the
// optimum the first run wrote.  "" when all is well.
std::string check_seed_with_cuts(uint64_t seed) {
    const fs::path dir = scratch();
    if (dir.empty()) return "no scratch folder";
    const randmip::Problem p = randmip::generate(seed);
    const bool sparse = seed % 2 == 1;
    std::ofstream(dir / "p.csv") << (sparse ? randmip::sparse_csv(p) : randmip::dense_csv(p));
    const Answer oracle = p.enumerable() ? randmip::enumerate(p) : glpsol_mip(dir, p);
    const std::string layout = sparse ? " sparsedata" : "";
    const ProgramRun run = run_program(dir, "LP data=p primalout=po imaxit=100000 cutpasses=5" + layout + ";\nRUN;\n");
    std::ostringstream why;
    const Ending ending = ending_of(run.status);
    if (oracle.ending == Ending::Other) {
        why << "the oracle gave no answer";
    } else if (ending == Ending::Unbounded && oracle.ending == Ending::Infeasible) {
        // An unbounded relaxation ends the solve before branch and bound.
    } else if (ending != oracle.ending) {
        why << "qmlp " << randmip::ending_name(ending) << ", oracle " << randmip::ending_name(oracle.ending) << " ("
            << run.status << ")";
    } else if (ending == Ending::Optimal) {
        if (!agree(objective_of(run.status), oracle.objective))
            why << "objective " << objective_of(run.status) << ", oracle " << oracle.objective << "; ";
        double checked = 0.0;
        why << randmip::check_primal(p, dir / "po.csv", &checked);
        if (contains(slurp(dir / "po.csv"), "_CUT")) why << "PRIMALOUT shows a cut row's column; ";
        const ProgramRun again =
            run_program(dir, "LP data=p primalin=po imaxit=100000 cutpasses=5 cutcheck=1" + layout + ";\nRUN;\n");
        if (contains(again.log, kRefuted)) why << "a cut removes the optimal solution; ";
        if (ending_of(again.status) != Ending::Optimal || !agree(objective_of(again.status), oracle.objective))
            why << "with PRIMALIN and CUTCHECK: " << again.status << "; ";
    }
    std::string text = why.str();
    std::error_code ec;
    if (text.empty())
        fs::remove_all(dir, ec);
    else
        text += " [files kept in " + dir.string() + "]";
    return text;
}

void check_block(uint64_t first, int count) {
    if (!have_glpsol()) GTEST_SKIP() << "glpsol (Debian's glpk-utils) is not installed";
    std::ostringstream wrong;
    int disagreements = 0;
    for (int k = 0; k < count; ++k) {
        const uint64_t seed = first + static_cast<uint64_t>(k);
        const std::string why = check_seed_with_cuts(seed);
        if (!why.empty()) ++disagreements, wrong << "seed " << seed << ": " << why << '\n';
    }
    EXPECT_EQ(disagreements, 0) << wrong.str();
}

class RandomMipCuts : public ::testing::TestWithParam<int> {};
TEST_P(RandomMipCuts, CutsKeepEveryIntegerSolution) { check_block(1 + 25 * static_cast<uint64_t>(GetParam()), 25); }
INSTANTIATE_TEST_SUITE_P(Seeds, RandomMipCuts, ::testing::Range(0, 6));

class RandomMipCutsMany : public ::testing::TestWithParam<int> {};
TEST_P(RandomMipCutsMany, CutsKeepEveryIntegerSolution) { check_block(1 + 25 * static_cast<uint64_t>(GetParam()), 25); }
INSTANTIATE_TEST_SUITE_P(Seeds, RandomMipCutsMany, ::testing::Range(6, 120));

// QMLP_CUT_SEEDS=first:count runs any other seeds.
TEST(RandomMipCutsSeeds, ChosenSeeds) {
    const char* env = std::getenv("QMLP_CUT_SEEDS");
    if (env == nullptr) GTEST_SKIP() << "set QMLP_CUT_SEEDS=first:count";
    unsigned long long first = 0, count = 1;
    if (std::sscanf(env, "%llu:%llu", &first, &count) < 1) GTEST_SKIP() << "QMLP_CUT_SEEDS=first:count";
    check_block(first, static_cast<int>(count));
}

// A knapsack problem whose relaxation is far from its integer optimum.
constexpr const char* kKnapsack =
    "_ID_,_TYPE_,a,b,c,d,e,f,_RHS_\n"
    "value,MAX,12,11,10,9,8,7,.\n"
    "weight,LE,7,6,6,5,5,4,17\n"
    "volume,LE,3,4,2,5,3,4,10\n"
    "kind,INTEGER,1,1,1,1,1,1,.\n"
    "upper,UPPERBD,1,1,1,1,1,1,.\n";

TEST(RootCuts, KnapsackBoundTightensAndTheCutsStayOutOfTheReports) {
    const fs::path dir = scratch();
    ASSERT_FALSE(dir.empty());
    std::ofstream(dir / "k.csv") << kKnapsack;
    const ProgramRun plain = run_program(dir, "LP data=k primalout=po0 dualout=do0;\nRUN;\n");
    const ProgramRun cut = run_program(dir, "LP data=k primalout=po dualout=do cutpasses=10;\nRUN;\n");
    EXPECT_EQ(field(plain.status, "STATUS"), "SUCCESSFUL") << plain.status;
    EXPECT_EQ(field(cut.status, "STATUS"), "SUCCESSFUL") << cut.status;
    EXPECT_TRUE(agree(objective_of(cut.status), objective_of(plain.status))) << cut.status;
    EXPECT_TRUE(agree(objective_of(plain.status), 29.0)) << plain.status;
    EXPECT_TRUE(contains(cut.log, kRootBound)) << cut.log;
    EXPECT_FALSE(contains(plain.log, kRootBound)) << plain.log;
    // The user's problem, row for row and column for column.
    EXPECT_FALSE(contains(cut.listing, "_CUT")) << cut.listing;
    const auto lines = [](const std::string& text) { return std::count(text.begin(), text.end(), '\n'); };
    const std::string primal = slurp(dir / "po.csv");
    const std::string dual = slurp(dir / "do.csv");
    EXPECT_FALSE(contains(primal, "_CUT")) << primal;
    EXPECT_FALSE(contains(dual, "_CUT")) << dual;
    EXPECT_EQ(lines(primal), lines(slurp(dir / "po0.csv")));
    EXPECT_EQ(lines(dual), lines(slurp(dir / "do0.csv")));
    std::error_code ec;
    fs::remove_all(dir, ec);
}

TEST(RootCuts, ValuesOutsideTheirRangeAreRefused) {
    const fs::path dir = scratch();
    ASSERT_FALSE(dir.empty());
    std::ofstream(dir / "k.csv") << kKnapsack;
    const ProgramRun negative = run_program(dir, "LP data=k cutpasses=-1;\nRUN;\n");
    EXPECT_TRUE(contains(negative.log, "0<=cutpasses<=1000")) << negative.log;
    const ProgramRun check = run_program(dir, "LP data=k cutcheck=2;\nRUN;\n");
    EXPECT_TRUE(contains(check.log, "0<=cutcheck<=1")) << check.log;
    std::error_code ec;
    fs::remove_all(dir, ec);
}

// A shared instance solved without cuts to its known optimum, whose
// PRIMALOUT then checks every cut of a run with cuts.
void check_instance(const std::string& instance, int seconds) {
    const fs::path mps = bench_dir("miplib3") / (instance + ".mps.gz");
    if (!fs::exists(mps)) GTEST_SKIP() << "no shared instance " << mps;
    const fs::path dir = scratch();
    ASSERT_FALSE(dir.empty());
    const std::string solve = "cd " + quoted(dir.string()) + " && timeout " + std::to_string(seconds) + " " +
                              quoted(qmlp_binary().string()) + " solve " + quoted(mps.string()) + " printlevel=-2 ";
    shell(solve + "primalout=known.csv >/dev/null 2>plain.txt");
    shell(solve + "primalin=known.csv cutpasses=20 cutcheck=1 >/dev/null 2>cuts.txt");
    const std::string log = slurp(dir / "cuts.txt");
    const size_t at = log.rfind("_QMLP_: ");
    const std::string status = at == std::string::npos ? "" : log.substr(at + 8, log.find('\n', at) - at - 8);
    const double known = known_optima("miplib3").at(instance);
    EXPECT_FALSE(contains(log, kRefuted)) << instance << ": " << log.substr(0, 4000);
    EXPECT_TRUE(contains(log, kRootBound)) << instance;
    EXPECT_EQ(field(status, "STATUS"), "SUCCESSFUL") << instance << ": " << status;
    const double best = std::strtod(field(status, "INT_BEST").c_str(), nullptr);
    EXPECT_LE(std::fabs(best - known), kObjectiveTolerance * std::max(1.0, std::fabs(known)))
        << instance << ": " << status;
    std::error_code ec;
    fs::remove_all(dir, ec);
}

class MiplibCuts : public ::testing::TestWithParam<std::string> {};
TEST_P(MiplibCuts, NoCutRemovesTheKnownOptimum) { check_instance(GetParam(), 120); }
INSTANTIATE_TEST_SUITE_P(Quick, MiplibCuts, ::testing::Values("p0033", "flugpl", "p0201", "stein27"));

class MiplibCutsSlow : public ::testing::TestWithParam<std::string> {};
TEST_P(MiplibCutsSlow, NoCutRemovesTheKnownOptimum) { check_instance(GetParam(), 300); }
INSTANTIATE_TEST_SUITE_P(Shared, MiplibCutsSlow,
                         ::testing::Values("misc03", "egout", "lseu", "mod008", "dcmulti", "khb05250", "rgn"));

// A search that drops integral nodes whose solutions fail their check (here
// preprocessing with cuts on dcmulti, where thousands do) must not end
// SUCCESSFUL with a worse integer solution: either the known optimum or a
// status that says the search proved nothing.
void check_never_wrong(const std::string& instance, const std::string& options) {
    const fs::path mps = bench_dir("miplib3") / (instance + ".mps.gz");
    if (!fs::exists(mps)) GTEST_SKIP() << "no shared instance " << mps;
    const fs::path dir = scratch();
    ASSERT_FALSE(dir.empty());
    shell("cd " + quoted(dir.string()) + " && timeout 300 " + quoted(qmlp_binary().string()) + " solve " +
          quoted(mps.string()) + " printlevel=-2 " + options + " >/dev/null 2>log.txt");
    const std::string log = slurp(dir / "log.txt");
    const size_t at = log.rfind("_QMLP_: ");
    const std::string status = at == std::string::npos ? "" : log.substr(at + 8, log.find('\n', at) - at - 8);
    const double known = known_optima("miplib3").at(instance);
    const double best = std::strtod(field(status, "INT_BEST").c_str(), nullptr);
    if (field(status, "STATUS") == "SUCCESSFUL") {
        EXPECT_LE(std::fabs(best - known), kObjectiveTolerance * std::max(1.0, std::fabs(known)))
            << instance << " " << options << ": " << status;
    }
    if (contains(log, "did not pass their check")) {
        EXPECT_NE(field(status, "STATUS"), "SUCCESSFUL") << status;
    }
    std::error_code ec;
    fs::remove_all(dir, ec);
}

class MiplibNeverWrongSlow : public ::testing::TestWithParam<std::string> {};
TEST_P(MiplibNeverWrongSlow, PreprocessingWithCuts) {
    check_never_wrong(GetParam(), "preprocess cutpasses=20 canselect=lifo");
}
INSTANTIATE_TEST_SUITE_P(Shared, MiplibNeverWrongSlow, ::testing::Values("dcmulti", "p0548", "khb05250"));

}  // namespace
}  // namespace e2e
