// Random badly scaled LPs, each solved by qmlp with the default options (and
// again on the dual simplex path, ALGORITHM=DUAL) and checked twice: by the independent checker of the solution data sets, and
// against an exact rational solve by another solver (glpsol --exact) for the
// status and the objective.  A wrong answer reported as success is the worst
// fault a solver can have; these problems are small enough to be checked
// exactly and nasty enough (ten decades of coefficient sizes, every row and
// bound type) to find one.
//
// RandomLp runs seeds 1 to 200 in blocks of 20 (part of `make test`);
// RandomLpMany (label slow) runs seeds 201 to 4000.  RandomLpIndependent
// and RandomLpIndependentMany do the same for the second family, whose
// entries have no structure at all (randlp::generate_independent), and
// RandomLpVaried... for the third, which mixes the shapes users meet
// (randlp::generate_varied).  The suites named ...Dual run the same seeds
// on the dual simplex path, ...SolvePath on the combination `qmlp solve`
// takes.  QMLP_RANDOM_LP_SEEDS=first:count runs any others (of the other
// families with QMLP_RANDOM_LP_FAMILY=independent or varied), with the LP
// statement options in QMLP_RANDOM_LP_OPTIONS.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "e2e_support.h"
#include "random_lp.h"
#include "solution_check.h"

namespace e2e {
namespace {

constexpr double kObjectiveTolerance = 1e-6;
constexpr double kCheckTolerance = 1e-6;
constexpr int kSeedsPerBlock = 20;

enum class Ending { Optimal, Infeasible, Unbounded, Other };

const char* ending_name(Ending e) {
    switch (e) {
        case Ending::Optimal: return "optimal";
        case Ending::Infeasible: return "infeasible";
        case Ending::Unbounded: return "unbounded";
        case Ending::Other: return "other";
    }
    return "?";
}

bool have_glpsol() {
    static const bool found = shell("command -v glpsol >/dev/null 2>&1") == 0;
    return found;
}

struct Oracle {
    Ending ending = Ending::Other;
    double objective = 0.0;
    std::string status_text;
};

// glpsol's raw solution file: "c Status:     OPTIMAL" and "s bas m n p d obj".
Oracle exact_oracle(const fs::path& dir, const randlp::Problem& p) {
    std::ofstream(dir / "p.mps") << randlp::free_mps(p);
    const fs::path raw = dir / "exact.txt";
    shell("glpsol --exact --freemps " + quoted((dir / "p.mps").string()) + (p.maximise ? " --max" : " --min") + " -w " +
          quoted(raw.string()) + " >/dev/null 2>&1");
    Oracle o;
    std::istringstream in(slurp(raw));
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("c Status:", 0) == 0) o.status_text = line.substr(9);
        if (line.rfind("s bas ", 0) == 0) {
            std::istringstream fields(line.substr(6));
            int rows = 0, cols = 0;
            std::string primal, dual;
            fields >> rows >> cols >> primal >> dual >> o.objective;
        }
    }
    if (contains(o.status_text, "OPTIMAL"))
        o.ending = Ending::Optimal;
    else if (contains(o.status_text, "UNBOUNDED"))
        o.ending = Ending::Unbounded;
    else if (contains(o.status_text, "INFEASIBLE") || contains(o.status_text, "EMPTY"))
        o.ending = Ending::Infeasible;
    return o;
}

struct QmlpRun {
    Ending ending = Ending::Other;
    std::string status;  // the whole status macro variable
};

QmlpRun run_qmlp(const fs::path& dir, const randlp::Problem& p, const std::string& options) {
    std::ofstream(dir / "p.csv") << randlp::dense_csv(p);
    std::ofstream(dir / "run.qmlp") << "LP data=p primalout=po dualout=do " << options << ";\nRUN;\n";
    shell(quoted(qmlp_binary().string()) + " --lib " + quoted(dir.string()) + " --symbols " +
          quoted((dir / "sym.txt").string()) + " --log " + quoted((dir / "log.txt").string()) + " --listing " +
          quoted((dir / "lst.txt").string()) + " " + quoted((dir / "run.qmlp").string()) +
          " </dev/null >/dev/null 2>&1");
    QmlpRun r;
    std::istringstream in(slurp(dir / "sym.txt"));
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("_QMLP_=", 0) == 0) r.status = line.substr(7);
    if (contains(r.status, "STATUS=SUCCESSFUL "))
        r.ending = Ending::Optimal;
    else if (contains(r.status, "STATUS=INFEASIBLE "))
        r.ending = Ending::Infeasible;
    else if (contains(r.status, "STATUS=UNBOUNDED "))
        r.ending = Ending::Unbounded;
    return r;
}

enum class Family { kStructured, kIndependent, kVaried };

randlp::Problem generate(Family family, uint64_t seed) {
    switch (family) {
        case Family::kIndependent: return randlp::generate_independent(seed);
        case Family::kVaried: return randlp::generate_varied(seed);
        case Family::kStructured: break;
    }
    return randlp::generate(seed);
}

// The exact oracle is not always right: on some problems with free columns
// it ends with an optimum that a basis of a better objective refutes.  So
// when qmlp's optimum and the oracle's disagree, the basis qmlp reported is
// decided in rational arithmetic (tests/support/exact_basis_check.py): a
// basis that is primal and dual feasible there proves its objective
// optimal, whatever the oracle said.  Returns the exact objective of such
// a basis, or NaN with *why saying what the decision found.
double proved_optimum(const fs::path& dir, const randlp::Problem& p, std::string* why) {
    const fs::path script = fs::path(QMLP_SOURCE_DIR) / "tests" / "support" / "exact_basis_check.py";
    const fs::path verdict = dir / "exact_basis.txt";
    shell("python3 " + quoted(script.string()) + " " + quoted((dir / "p.mps").string()) + " " +
          quoted((dir / "po.csv").string()) + (p.maximise ? " max" : " min") + " >" + quoted(verdict.string()) +
          " 2>&1");
    std::string text = slurp(verdict);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    *why = text;
    if (text.rfind("optimal ", 0) != 0) return std::nan("");
    return std::strtod(text.c_str() + 8, nullptr);
}

// Solves one seed and returns "" when qmlp agrees with the oracle and the
// checker, else a description of the disagreement.
// *claimed_nothing tells that qmlp ended with none of the three claims
// (optimal, infeasible, unbounded).
std::string check_seed(uint64_t seed, Family family = Family::kStructured, const std::string& options = "",
                       bool* claimed_nothing = nullptr) {
    char pattern[] = "/tmp/qmlp-rlp-XXXXXX";
    if (mkdtemp(pattern) == nullptr) return "no scratch folder";
    const fs::path dir = pattern;
    const randlp::Problem p = generate(family, seed);
    const Oracle oracle = exact_oracle(dir, p);
    const QmlpRun run = run_qmlp(dir, p, options);
    if (claimed_nothing != nullptr) *claimed_nothing = run.ending == Ending::Other;
    std::ostringstream why;
    // An optimum qmlp claims against the oracle's word is settled by
    // deciding qmlp's basis exactly.
    auto refuted_oracle = [&](double objective) {
        std::string verdict;
        const double proved = proved_optimum(dir, p, &verdict);
        if (std::isnan(proved)) {
            why << " [exact decision of qmlp's basis: " << verdict << "]";
            return false;
        }
        if (std::fabs(proved - objective) > kObjectiveTolerance * std::max(1.0, std::fabs(proved))) {
            why << " [qmlp's basis is optimal at " << randlp::exact(proved) << "]";
            return false;
        }
        std::printf("seed %llu: the oracle's ending (%s) is refuted: qmlp's basis is optimal in rational "
                    "arithmetic at %s\n",
                    static_cast<unsigned long long>(p.seed), oracle.status_text.c_str(),
                    randlp::exact(proved).c_str());
        return true;
    };
    if (oracle.ending == Ending::Other) {
        why << "oracle gave no answer (" << oracle.status_text << ")";
    } else if (run.ending != oracle.ending) {
        why << "qmlp " << ending_name(run.ending) << ", exact " << ending_name(oracle.ending) << " (" << run.status
            << ")";
        if (run.ending == Ending::Optimal) {
            const randlp::CheckResult c = randlp::check_solution(p, dir / "po.csv", dir / "do.csv", kCheckTolerance);
            if (c.ok && refuted_oracle(c.objective)) why.str("");
        }
    } else if (run.ending == Ending::Optimal) {
        const randlp::CheckResult c = randlp::check_solution(p, dir / "po.csv", dir / "do.csv", kCheckTolerance);
        const double gap = std::fabs(c.objective - oracle.objective);
        if (gap > kObjectiveTolerance * std::max(1.0, std::fabs(oracle.objective))) {
            why << "objective " << randlp::exact(c.objective) << ", exact " << randlp::exact(oracle.objective) << "; ";
            if (c.ok && refuted_oracle(c.objective)) why.str("");
        }
        if (!c.ok) why << c.failures;
    }
    std::error_code ec;
    if (why.str().empty())
        fs::remove_all(dir, ec);
    else
        why << " [files kept in " << dir.string() << "]";
    return why.str();
}

// A seed beyond what floating point reaches: the feasible region is reached
// only through prices near 1e-10 (2021; the exact solve finds it unbounded).
// It is held apart, and RandomLpKnownLimits checks that it is never called
// optimal.  (1264, 3383 and 3519, whose exact optima lie at 1e15 to 1e17,
// were held apart too until the endings were decided in extended
// precision; they are among the regressions now.)
constexpr uint64_t kBeyondFloatingPoint[] = {2021};

bool beyond_floating_point(uint64_t seed, Family family) {
    if (family != Family::kStructured) return false;
    for (uint64_t s : kBeyondFloatingPoint)
        if (s == seed) return true;
    return false;
}

// The second and third families reach, now and then, a basis whose ending cannot be
// proved either way in the precision at hand (a singular refactorisation,
// a certificate that does not hold); such a seed ends with a status that
// claims nothing.  It is counted, and only a share of them is tolerated.
// A claim the exact solve refutes is never tolerated.
constexpr double kMostUndecidedShare = 0.02;
// The third family holds nearly parallel rows and nearly singular bases on
// purpose; its undecided seeds (about 1.5% of them) come in clusters of up
// to four in a block of twenty now and then.
constexpr double kMostUndecidedShareVaried = 0.15;

void check_block(uint64_t first, int count, Family family = Family::kStructured, const std::string& options = "") {
    if (!have_glpsol()) GTEST_SKIP() << "glpsol (Debian's glpk-utils) is not installed";
    std::ostringstream wrong, undecided_seeds;
    int disagreements = 0, undecided = 0;
    for (int k = 0; k < count; ++k) {
        const uint64_t seed = first + static_cast<uint64_t>(k);
        if (beyond_floating_point(seed, family)) continue;
        bool claimed_nothing = false;
        const std::string why = check_seed(seed, family, options, &claimed_nothing);
        if (why.empty()) continue;
        if (family != Family::kStructured && claimed_nothing)
            ++undecided, undecided_seeds << "seed " << seed << ": " << why << '\n';
        else
            ++disagreements, wrong << "seed " << seed << ": " << why << '\n';
    }
    EXPECT_EQ(disagreements, 0) << wrong.str();
    const double share = family == Family::kVaried ? kMostUndecidedShareVaried : kMostUndecidedShare;
    EXPECT_LE(undecided, static_cast<int>(share * count) + 1) << undecided_seeds.str();
    if (undecided > 0) std::printf("%d seeds ended claiming nothing:\n%s", undecided, undecided_seeds.str().c_str());
}

class RandomLp : public ::testing::TestWithParam<int> {};
TEST_P(RandomLp, EveryEndingAgreesWithAnExactSolve) {
    check_block(static_cast<uint64_t>(GetParam()) * kSeedsPerBlock + 1, kSeedsPerBlock);
}
INSTANTIATE_TEST_SUITE_P(Seeds, RandomLp, ::testing::Range(0, 10));

class RandomLpMany : public ::testing::TestWithParam<int> {};
TEST_P(RandomLpMany, EveryEndingAgreesWithAnExactSolve) {
    check_block(static_cast<uint64_t>(GetParam()) * kSeedsPerBlock + 1, kSeedsPerBlock);
}
INSTANTIATE_TEST_SUITE_P(Seeds, RandomLpMany, ::testing::Range(10, 200));

class RandomLpIndependent : public ::testing::TestWithParam<int> {};
TEST_P(RandomLpIndependent, EveryEndingAgreesWithAnExactSolve) {
    check_block(static_cast<uint64_t>(GetParam()) * kSeedsPerBlock + 1, kSeedsPerBlock, Family::kIndependent);
}
INSTANTIATE_TEST_SUITE_P(Seeds, RandomLpIndependent, ::testing::Range(0, 10));

class RandomLpIndependentMany : public ::testing::TestWithParam<int> {};
TEST_P(RandomLpIndependentMany, EveryEndingAgreesWithAnExactSolve) {
    check_block(static_cast<uint64_t>(GetParam()) * kSeedsPerBlock + 1, kSeedsPerBlock, Family::kIndependent);
}
INSTANTIATE_TEST_SUITE_P(Seeds, RandomLpIndependentMany, ::testing::Range(10, 200));

// The same seeds of both families on the dual simplex path.
constexpr const char* kDualPath = "algorithm=dual";

class RandomLpDual : public ::testing::TestWithParam<int> {};
TEST_P(RandomLpDual, EveryEndingAgreesWithAnExactSolve) {
    check_block(static_cast<uint64_t>(GetParam()) * kSeedsPerBlock + 1, kSeedsPerBlock, Family::kStructured, kDualPath);
}
INSTANTIATE_TEST_SUITE_P(Seeds, RandomLpDual, ::testing::Range(0, 10));

class RandomLpDualMany : public ::testing::TestWithParam<int> {};
TEST_P(RandomLpDualMany, EveryEndingAgreesWithAnExactSolve) {
    check_block(static_cast<uint64_t>(GetParam()) * kSeedsPerBlock + 1, kSeedsPerBlock, Family::kStructured, kDualPath);
}
INSTANTIATE_TEST_SUITE_P(Seeds, RandomLpDualMany, ::testing::Range(10, 200));

class RandomLpIndependentDual : public ::testing::TestWithParam<int> {};
TEST_P(RandomLpIndependentDual, EveryEndingAgreesWithAnExactSolve) {
    check_block(static_cast<uint64_t>(GetParam()) * kSeedsPerBlock + 1, kSeedsPerBlock, Family::kIndependent, kDualPath);
}
INSTANTIATE_TEST_SUITE_P(Seeds, RandomLpIndependentDual, ::testing::Range(0, 10));

class RandomLpIndependentDualMany : public ::testing::TestWithParam<int> {};
TEST_P(RandomLpIndependentDualMany, EveryEndingAgreesWithAnExactSolve) {
    check_block(static_cast<uint64_t>(GetParam()) * kSeedsPerBlock + 1, kSeedsPerBlock, Family::kIndependent, kDualPath);
}
INSTANTIATE_TEST_SUITE_P(Seeds, RandomLpIndependentDualMany, ::testing::Range(10, 200));

// The third family (randlp::generate_varied) on the three paths a user
// takes: the default primal phases, the dual path, and the combination
// `qmlp solve` picks for itself.
constexpr const char* kSolvePath = "algorithm=auto lu=1 invtype=auto";

class RandomLpVaried : public ::testing::TestWithParam<int> {};
TEST_P(RandomLpVaried, EveryEndingAgreesWithAnExactSolve) {
    check_block(static_cast<uint64_t>(GetParam()) * kSeedsPerBlock + 1, kSeedsPerBlock, Family::kVaried);
}
INSTANTIATE_TEST_SUITE_P(Seeds, RandomLpVaried, ::testing::Range(0, 10));

class RandomLpVariedMany : public ::testing::TestWithParam<int> {};
TEST_P(RandomLpVariedMany, EveryEndingAgreesWithAnExactSolve) {
    check_block(static_cast<uint64_t>(GetParam()) * kSeedsPerBlock + 1, kSeedsPerBlock, Family::kVaried);
}
INSTANTIATE_TEST_SUITE_P(Seeds, RandomLpVariedMany, ::testing::Range(10, 200));

class RandomLpVariedDual : public ::testing::TestWithParam<int> {};
TEST_P(RandomLpVariedDual, EveryEndingAgreesWithAnExactSolve) {
    check_block(static_cast<uint64_t>(GetParam()) * kSeedsPerBlock + 1, kSeedsPerBlock, Family::kVaried, kDualPath);
}
INSTANTIATE_TEST_SUITE_P(Seeds, RandomLpVariedDual, ::testing::Range(0, 5));

class RandomLpVariedDualMany : public ::testing::TestWithParam<int> {};
TEST_P(RandomLpVariedDualMany, EveryEndingAgreesWithAnExactSolve) {
    check_block(static_cast<uint64_t>(GetParam()) * kSeedsPerBlock + 1, kSeedsPerBlock, Family::kVaried, kDualPath);
}
INSTANTIATE_TEST_SUITE_P(Seeds, RandomLpVariedDualMany, ::testing::Range(5, 200));

class RandomLpVariedSolvePath : public ::testing::TestWithParam<int> {};
TEST_P(RandomLpVariedSolvePath, EveryEndingAgreesWithAnExactSolve) {
    check_block(static_cast<uint64_t>(GetParam()) * kSeedsPerBlock + 1, kSeedsPerBlock, Family::kVaried, kSolvePath);
}
INSTANTIATE_TEST_SUITE_P(Seeds, RandomLpVariedSolvePath, ::testing::Range(0, 5));

class RandomLpVariedSolvePathMany : public ::testing::TestWithParam<int> {};
TEST_P(RandomLpVariedSolvePathMany, EveryEndingAgreesWithAnExactSolve) {
    check_block(static_cast<uint64_t>(GetParam()) * kSeedsPerBlock + 1, kSeedsPerBlock, Family::kVaried, kSolvePath);
}
INSTANTIATE_TEST_SUITE_P(Seeds, RandomLpVariedSolvePathMany, ::testing::Range(5, 200));

// Seeds that once ended wrong with the default options: an unbounded claim
// for a bounded problem whose step was blocked by a pivot below REPSILON
// (160, 164), a slightly infeasible point called optimal (193), ranged
// problems solved unscaled that ended infeasible or with another optimum
// (35, 101, 523, 607, 999), optima at 1e15 to 1e17 once seen as unbounded
// rays (1264, 3383, 3519).
TEST(RandomLpRegressions, SeedsThatOnceEndedWrong) {
    if (!have_glpsol()) GTEST_SKIP() << "glpsol (Debian's glpk-utils) is not installed";
    for (uint64_t seed : {35, 101, 160, 164, 193, 523, 607, 999, 1264, 3383, 3519})
        EXPECT_EQ(check_seed(seed), "") << "seed " << seed;
}

// Seeds of the second family that once ended wrong: a wrong objective
// reported as success (1426), an infeasible claim for a problem with an
// optimum (654), infeasible endings without a certificate until phase 1
// went on past a flat column (280, 535, 694, 827).
TEST(RandomLpRegressions, IndependentSeedsThatOnceEndedWrong) {
    if (!have_glpsol()) GTEST_SKIP() << "glpsol (Debian's glpk-utils) is not installed";
    for (uint64_t seed : {280, 535, 654, 694, 827})
        EXPECT_EQ(check_seed(seed, Family::kIndependent), "") << "seed " << seed;
    bool claimed_nothing = false;
    const std::string why = check_seed(1426, Family::kIndependent, "", &claimed_nothing);
    EXPECT_TRUE(why.empty() || claimed_nothing) << why;
}

// Seeds of the third family that once ended wrong: an optimum claimed for
// infeasible problems, with a basic column a few 1e-9 below its bound in
// rows whose own terms are tiny (1, 113), or nearly repeated rows of whole
// numbers (774); unbounded claimed from a basis that is infeasible in
// exact arithmetic, with a nonbasic equation's logical column left off its
// bound (135, 1104); unbounded claimed where a basic column moved towards
// its bound at a rate below what the wide check tells from zero, with the
// optimum at -2.5e22 (2406).  And two where the oracle's optimum is refuted by
// qmlp's basis, decided in rational arithmetic (11, 176).
TEST(RandomLpRegressions, VariedSeedsThatOnceEndedWrong) {
    if (!have_glpsol()) GTEST_SKIP() << "glpsol (Debian's glpk-utils) is not installed";
    for (uint64_t seed : {1, 11, 113, 135, 176, 774, 1104, 2406})
        EXPECT_EQ(check_seed(seed, Family::kVaried), "") << "seed " << seed;
}

// The seeds held apart above: whatever qmlp says of them, it never reports
// success with a solution the exact solve does not confirm, on either path.
TEST(RandomLpKnownLimits, NoneIsCalledOptimal) {
    if (!have_glpsol()) GTEST_SKIP() << "glpsol (Debian's glpk-utils) is not installed";
    for (const char* options : {"", kDualPath})
        for (uint64_t seed : kBeyondFloatingPoint) {
            char pattern[] = "/tmp/qmlp-rlp-XXXXXX";
            ASSERT_NE(mkdtemp(pattern), nullptr);
            const fs::path dir = pattern;
            const QmlpRun run = run_qmlp(dir, randlp::generate(seed), options);
            std::error_code ec;
            fs::remove_all(dir, ec);
            // An optimum claimed here must be the exact one, with a solution
            // the checker accepts (the dual path reaches some of them).
            if (run.ending == Ending::Optimal) {
                EXPECT_EQ(check_seed(seed, Family::kStructured, options), "") << "seed " << seed << " [" << options << "]: " << run.status;
            }
        }
}

TEST(RandomLpSeeds, ChosenSeeds) {
    const char* chosen = std::getenv("QMLP_RANDOM_LP_SEEDS");
    if (chosen == nullptr) GTEST_SKIP() << "set QMLP_RANDOM_LP_SEEDS=first:count";
    unsigned long long first = 1, count = 1;
    if (std::sscanf(chosen, "%llu:%llu", &first, &count) < 1) FAIL() << "QMLP_RANDOM_LP_SEEDS=first:count";
    const char* family = std::getenv("QMLP_RANDOM_LP_FAMILY");
    const std::string named = family != nullptr ? family : "";
    const char* options = std::getenv("QMLP_RANDOM_LP_OPTIONS");
    check_block(first, static_cast<int>(count),
                named == "independent" ? Family::kIndependent
                : named == "varied"    ? Family::kVaried
                                       : Family::kStructured,
                options != nullptr ? options : "");
}

}  // namespace
}  // namespace e2e
