// Random small MIPs solved by qmlp and checked against oracles: every
// integer point of a pure-integer problem is enumerated, and another
// solver's MIP answer (glpsol, Debian's glpk-utils) judges a mixed one.
// qmlp must agree on the ending (optimal, infeasible, unbounded
// relaxation) and the optimum, and the PRIMALOUT it writes must be an
// integer solution of the problem as generated, of the objective claimed.
//
// RandomMip runs seeds 1 to 400 (part of `make test`); RandomMipMany
// (label slow) runs seeds 401 to 6000; QMLP_RANDOM_MIP_SEEDS=first:count
// runs any others.  RandomMipFractional gives integer columns fractional
// bounds (seeds 1 to 150, and 401 to 2500 under the slow label).  RandomMipSets checks special ordered sets against
// enumeration, and RandomMipRules solves a few problems under every node
// and variable selection rule.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "e2e_support.h"
#include "random_mip.h"

namespace e2e {
namespace {

using randmip::Answer;
using randmip::Ending;

constexpr double kObjectiveTolerance = 1e-6;
constexpr int kSeedsPerBlock = 25;
#define RULE_SEEDS 33, 61, 64, 90, 130, 144
#define SET_RULE_SEEDS 34, 54, 86

bool have_glpsol() {
    static const bool found = shell("command -v glpsol >/dev/null 2>&1") == 0;
    return found;
}

bool agree(double a, double b) { return std::fabs(a - b) <= kObjectiveTolerance * std::max(1.0, std::fabs(b)); }

// glpsol's raw MIP solution: "s mip m n o|f|n|u obj"; an unbounded or
// infeasible relaxation is said on its output.  Its MIP presolver is left
// out: on a few of these problems it stops on an assertion or returns a
// point outside a ranged row.
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
    if (contains(slurp(out), "UNBOUNDED") || contains(slurp(out), "NO DUAL FEASIBLE")) a.ending = Ending::Unbounded;
    if (contains(slurp(out), "NO PRIMAL FEASIBLE")) a.ending = Ending::Infeasible;
    return a;
}

// Whether the continuous relaxation alone is unbounded (glpsol --nomip).
bool relaxation_unbounded(const fs::path& dir, const randmip::Problem& p) {
    std::ofstream(dir / "p.mps") << randmip::free_mps(p);
    const std::string out = (dir / "relaxation.out").string();
    shell("glpsol --nomip --freemps " + quoted((dir / "p.mps").string()) + (p.maximise ? " --max" : " --min") + " >" +
          quoted(out) + " 2>&1");
    const std::string text = slurp(out);
    return contains(text, "UNBOUNDED") || contains(text, "NO DUAL FEASIBLE");
}

struct QmlpRun {
    Ending ending = Ending::Other;
    double objective = 0.0;
    std::string status;
};

QmlpRun parse_status(const std::string& status) {
    QmlpRun r;
    r.status = status;
    if (contains(status, "STATUS=SUCCESSFUL "))
        r.ending = Ending::Optimal;
    else if (contains(status, "STATUS=INFEASIBLE ") || contains(status, "STATUS=INT_INFEASIBLE "))
        r.ending = Ending::Infeasible;
    else if (contains(status, "STATUS=UNBOUNDED "))
        r.ending = Ending::Unbounded;
    const size_t at = status.find("OBJECTIVE=");
    if (at != std::string::npos) r.objective = std::strtod(status.c_str() + at + 10, nullptr);
    return r;
}

void write_problem(const fs::path& dir, const randmip::Problem& p, bool sparse) {
    std::ofstream(dir / "p.csv") << (sparse ? randmip::sparse_csv(p) : randmip::dense_csv(p));
}

// Runs `program` in `dir` and returns the log.
std::string run_program(const fs::path& dir, const std::string& program) {
    std::ofstream(dir / "run.qmlp") << program;
    shell("timeout 120 " + quoted(qmlp_binary().string()) + " --lib " + quoted(dir.string()) + " --symbols " +
          quoted((dir / "sym.txt").string()) + " --log " + quoted((dir / "log.txt").string()) + " --listing " +
          quoted((dir / "lst.txt").string()) + " " + quoted((dir / "run.qmlp").string()) +
          " </dev/null >/dev/null 2>&1");
    return slurp(dir / "log.txt");
}

QmlpRun run_qmlp(const fs::path& dir, const randmip::Problem& p, bool sparse, const std::string& options = "") {
    write_problem(dir, p, sparse);
    std::string status;
    // A second try only when the first run left no log at all: the command
    // could not be started on a loaded machine.
    for (int attempt = 0; attempt < 2 && status.empty(); ++attempt) {
        if (attempt > 0 && fs::exists(dir / "log.txt")) break;
        run_program(dir, std::string("LP data=p primalout=po imaxit=100000 ") + options +
                             (sparse ? " sparsedata" : "") + ";\nRUN;\n");
        std::istringstream in(slurp(dir / "sym.txt"));
        std::string line;
        while (std::getline(in, line))
            if (line.rfind("_QMLP_=", 0) == 0) status = line.substr(7);
    }
    return parse_status(status);
}

// "" when qmlp's run agrees with the oracle, else what differs.
std::string compare(const fs::path& dir, const randmip::Problem& p, const Answer& oracle, const QmlpRun& run) {
    std::ostringstream why;
    if (oracle.ending == Ending::Other) {
        why << "the oracle gave no answer";
    } else if (run.ending == Ending::Unbounded && oracle.ending == Ending::Infeasible && relaxation_unbounded(dir, p)) {
        // An unbounded relaxation ends the solve before branch and bound,
        // also when no integer point exists.
    } else if (run.ending != oracle.ending) {
        why << "qmlp " << randmip::ending_name(run.ending) << ", oracle " << randmip::ending_name(oracle.ending) << " ("
            << run.status << ")";
    } else if (run.ending == Ending::Optimal) {
        if (!agree(run.objective, oracle.objective))
            why << "objective " << run.objective << ", oracle " << oracle.objective << "; ";
        double checked = 0.0;
        const std::string failures = randmip::check_primal(p, dir / "po.csv", &checked);
        why << failures;
        if (failures.empty() && !agree(checked, oracle.objective)) why << "PRIMALOUT's c'x is " << checked << "; ";
    }
    return why.str();
}

fs::path scratch() {
    char pattern[] = "/tmp/qmlp-rmip-XXXXXX";
    if (mkdtemp(pattern) == nullptr) return {};
    return pattern;
}

std::string finish(const fs::path& dir, std::string why) {
    std::error_code ec;
    if (why.empty())
        fs::remove_all(dir, ec);
    else
        why += " [files kept in " + dir.string() + "]";
    return why;
}

std::string check_seed_under(uint64_t seed, const std::string& options) {
    const fs::path dir = scratch();
    if (dir.empty()) return "no scratch folder";
    const randmip::Problem p = randmip::generate(seed);
    const Answer oracle = p.enumerable() ? randmip::enumerate(p) : glpsol_mip(dir, p);
    const QmlpRun run = run_qmlp(dir, p, seed % 2 == 1, options);
    return finish(dir, compare(dir, p, oracle, run));
}

std::string check_seed(uint64_t seed) { return check_seed_under(seed, ""); }

// Integer columns with fractional bounds: the oracle sees the bounds
// rounded inward (where every integer solution lies), qmlp the bounds as
// given.
std::string check_fractional_seed(uint64_t seed) {
    const fs::path dir = scratch();
    if (dir.empty()) return "no scratch folder";
    const randmip::Problem p = randmip::generate_fractional(seed);
    bool crossed = false;
    const randmip::Problem whole = randmip::whole_bounds(p, &crossed);
    Answer oracle;
    if (crossed)
        oracle.ending = Ending::Infeasible;
    else
        oracle = whole.enumerable() ? randmip::enumerate(whole) : glpsol_mip(dir, whole);
    const QmlpRun run = run_qmlp(dir, p, seed % 2 == 1);
    return finish(dir, compare(dir, p, oracle, run));
}

std::string check_set_seed(uint64_t seed) {
    const fs::path dir = scratch();
    if (dir.empty()) return "no scratch folder";
    const randmip::Problem p = randmip::generate_with_sets(seed);
    const QmlpRun run = run_qmlp(dir, p, seed % 2 == 1);
    return finish(dir, compare(dir, p, randmip::enumerate(p), run));
}

void check_block(uint64_t first, int count, const std::function<std::string(uint64_t)>& check) {
    if (!have_glpsol()) GTEST_SKIP() << "glpsol (Debian's glpk-utils) is not installed";
    std::ostringstream wrong;
    int disagreements = 0;
    for (int k = 0; k < count; ++k) {
        const uint64_t seed = first + static_cast<uint64_t>(k);
        const std::string why = check(seed);
        if (!why.empty()) ++disagreements, wrong << "seed " << seed << ": " << why << '\n';
    }
    EXPECT_EQ(disagreements, 0) << wrong.str();
}

class RandomMip : public ::testing::TestWithParam<int> {};
TEST_P(RandomMip, EveryEndingAgreesWithTheOracle) {
    check_block(static_cast<uint64_t>(GetParam()) * kSeedsPerBlock + 1, kSeedsPerBlock, check_seed);
}
INSTANTIATE_TEST_SUITE_P(Seeds, RandomMip, ::testing::Range(0, 16));

class RandomMipMany : public ::testing::TestWithParam<int> {};
TEST_P(RandomMipMany, EveryEndingAgreesWithTheOracle) {
    check_block(static_cast<uint64_t>(GetParam()) * kSeedsPerBlock + 1, kSeedsPerBlock, check_seed);
}
INSTANTIATE_TEST_SUITE_P(Seeds, RandomMipMany, ::testing::Range(16, 240));

class RandomMipFractional : public ::testing::TestWithParam<int> {};
TEST_P(RandomMipFractional, FractionalIntegerBoundsAgreeWithTheOracle) {
    check_block(static_cast<uint64_t>(GetParam()) * kSeedsPerBlock + 1, kSeedsPerBlock, check_fractional_seed);
}
INSTANTIATE_TEST_SUITE_P(Seeds, RandomMipFractional, ::testing::Range(0, 6));

TEST_P(RandomMipMany, FractionalIntegerBoundsAgreeWithTheOracle) {
    if (GetParam() >= 100) GTEST_SKIP() << "fractional bounds run seeds 401 to 2500 only";
    check_block(static_cast<uint64_t>(GetParam()) * kSeedsPerBlock + 1, kSeedsPerBlock, check_fractional_seed);
}

class RandomMipSets : public ::testing::TestWithParam<int> {};
TEST_P(RandomMipSets, SpecialOrderedSetsAgreeWithEnumeration) {
    check_block(static_cast<uint64_t>(GetParam()) * kSeedsPerBlock + 1, kSeedsPerBlock, check_set_seed);
}
INSTANTIATE_TEST_SUITE_P(Seeds, RandomMipSets, ::testing::Range(0, 6));

// The search's extensions: the primal heuristics at both levels (dives at
// every third integer iteration, so that they run on small trees too) and
// reliability branching, each with every heuristic incumbent checked by the
// oracles like any other.  Seeds 1 to 100 under each in `make test`, 401 to
// 2000 under the label slow.
const char* const kExtensionOptions[] = {"heuristics=1", "heuristics=2 divefreq=3", "varselect=reliable",
                                         "heuristics=2 divefreq=2 varselect=reliable reliability=1"};

class RandomMipExtensions : public ::testing::TestWithParam<std::tuple<int, int>> {};
TEST_P(RandomMipExtensions, EveryEndingAgreesWithTheOracle) {
    const std::string options = kExtensionOptions[std::get<1>(GetParam())];
    check_block(static_cast<uint64_t>(std::get<0>(GetParam())) * kSeedsPerBlock + 1, kSeedsPerBlock,
                [&](uint64_t seed) { return check_seed_under(seed, options); });
}
INSTANTIATE_TEST_SUITE_P(Seeds, RandomMipExtensions,
                         ::testing::Combine(::testing::Range(0, 4), ::testing::Range(0, 4)));

class RandomMipExtensionsMany : public ::testing::TestWithParam<std::tuple<int, int>> {};
TEST_P(RandomMipExtensionsMany, EveryEndingAgreesWithTheOracle) {
    const std::string options = kExtensionOptions[std::get<1>(GetParam())];
    check_block(static_cast<uint64_t>(std::get<0>(GetParam())) * kSeedsPerBlock + 1, kSeedsPerBlock,
                [&](uint64_t seed) { return check_seed_under(seed, options); });
}
INSTANTIATE_TEST_SUITE_P(Seeds, RandomMipExtensionsMany,
                         ::testing::Combine(::testing::Range(16, 80), ::testing::Range(0, 4)));

class RandomMipSetExtensions : public ::testing::TestWithParam<int> {};
TEST_P(RandomMipSetExtensions, SpecialOrderedSetsAgreeWithEnumeration) {
    const std::string options = kExtensionOptions[GetParam()];
    check_block(1, kSeedsPerBlock, [&](uint64_t seed) {
        const fs::path dir = scratch();
        if (dir.empty()) return std::string("no scratch folder");
        const randmip::Problem p = randmip::generate_with_sets(seed);
        const QmlpRun run = run_qmlp(dir, p, seed % 2 == 1, options);
        return finish(dir, compare(dir, p, randmip::enumerate(p), run));
    });
}
INSTANTIATE_TEST_SUITE_P(Options, RandomMipSetExtensions, ::testing::Range(0, 4));

TEST(RandomMipSeeds, ChosenSeeds) {
    const char* env = std::getenv("QMLP_RANDOM_MIP_SEEDS");
    if (env == nullptr) GTEST_SKIP() << "set QMLP_RANDOM_MIP_SEEDS=first:count";
    unsigned long long first = 1, count = 1;
    if (std::sscanf(env, "%llu:%llu", &first, &count) < 1) GTEST_SKIP() << "QMLP_RANDOM_MIP_SEEDS=first:count";
    check_block(first, static_cast<int>(count), check_seed);
}

// Every node-selection rule with every backtracking rule, every variable
// selection rule, every child order, the mixed rule and the options around
// them: each run must reach the oracle's optimum.
std::vector<std::string> rule_options() {
    std::vector<std::string> sets;
    for (int c = 1; c <= 6; ++c)
        for (int b = 1; b <= 6; ++b)
            sets.push_back("canselect=" + std::to_string(c) + " backtrack=" + std::to_string(b));
    for (int v = 1; v <= 8; ++v) sets.push_back("varselect=" + std::to_string(v));
    for (int v = 1; v <= 8; ++v) sets.push_back("varselect=" + std::to_string(v) + " binfst");
    for (int l = 0; l <= 3; ++l) sets.push_back("lifotype=" + std::to_string(l));
    for (const char* extra : {"auto",
                              "control=0",
                              "control=0.2",
                              "control=0.4",
                              "control=0.7",
                              "control=1",
                              "auto control=0.5 canselect=fifo",
                              "auto=(1,2)",
                              "postprocess",
                              "postprocess varselect=penalty",
                              "penaltydepth=1 varselect=penalty",
                              "penaltydepth=2 varselect=pensum",
                              "deltait=1",
                              "pwobjective=0",
                              "pwobjective=1",
                              "clength=1 csize=1 cpercent=0.9 canselect=project backtrack=error",
                              "canselect=pseudoc varselect=pseudoc backtrack=project",
                              "preprocess varselect=penalty canselect=obj cpercent=0.001",
                              "preprocess varselect=pensum canselect=obj cpercent=0.001",
                              "heuristics=1 canselect=fifo",
                              "heuristics=2 divefreq=1 postprocess",
                              "heuristics=2 divefreq=1 auto control=0.5",
                              "varselect=reliable reliability=2 penaltydepth=1"})
        sets.push_back(extra);
    return sets;
}

void check_rules(const randmip::Problem& p, const Answer& oracle, bool sparse) {
    const fs::path dir = scratch();
    ASSERT_FALSE(dir.empty());
    write_problem(dir, p, sparse);
    const std::vector<std::string> sets = rule_options();
    std::ostringstream program;
    for (size_t k = 0; k < sets.size(); ++k)
        program << "LP data=p imaxit=100000 " << sets[k] << (sparse ? " sparsedata" : "") << ";\nRUN;\n%PUT RESULT" << k
                << " &_QMLP_;\n";
    const std::string log = run_program(dir, program.str());
    // A refused option would leave the previous step's _QMLP_ in place.
    EXPECT_FALSE(contains(log, "ERROR")) << log;
    std::ostringstream wrong;
    for (size_t k = 0; k < sets.size(); ++k) {
        const std::string tag = "RESULT" + std::to_string(k) + " ";
        const size_t at = log.find(tag);
        const std::string status = at == std::string::npos ? "" : log.substr(at, log.find('\n', at) - at);
        const QmlpRun run = parse_status(status);
        if (run.ending != oracle.ending || (run.ending == Ending::Optimal && !agree(run.objective, oracle.objective)))
            wrong << sets[k] << ": " << (status.empty() ? "no result" : status) << '\n';
    }
    const std::string failures = wrong.str();
    EXPECT_TRUE(failures.empty()) << "seed " << p.seed << ", oracle " << randmip::ending_name(oracle.ending) << " "
                                  << oracle.objective << ":\n"
                                  << failures << "[files in " << dir.string() << "]";
    if (failures.empty()) {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
}

class RandomMipRules : public ::testing::TestWithParam<uint64_t> {};
TEST_P(RandomMipRules, EveryRuleReachesTheOptimum) {
    const randmip::Problem p = randmip::generate(GetParam());
    ASSERT_TRUE(p.enumerable()) << "the rule tests use enumerated problems";
    check_rules(p, randmip::enumerate(p), GetParam() % 2 == 1);
}
INSTANTIATE_TEST_SUITE_P(Seeds, RandomMipRules, ::testing::Values(RULE_SEEDS));

class RandomMipSetRules : public ::testing::TestWithParam<uint64_t> {};
TEST_P(RandomMipSetRules, EveryRuleReachesTheOptimum) {
    const randmip::Problem p = randmip::generate_with_sets(GetParam());
    check_rules(p, randmip::enumerate(p), GetParam() % 2 == 1);
}
INSTANTIATE_TEST_SUITE_P(Seeds, RandomMipSetRules, ::testing::Values(SET_RULE_SEEDS));

}  // namespace
}  // namespace e2e
