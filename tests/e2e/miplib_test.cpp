// miplib_test.cpp -- shared MIPLIB 3 instances solved by `qmlp solve` with
// the default options, or with the option set README gives for harder
// problems, each compared with its known integer optimum.  The quick ones
// run in `make test`; the others (seconds to a minute each) under the label
// "slow".  Skipped when ../shared/bench is absent.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "e2e_support.h"

namespace e2e {
namespace {

constexpr double kRelativeTolerance = 1e-6;

fs::path miplib_dir() { return bench_dir("miplib3"); }

std::string field(const std::string& text, const std::string& key) {
    std::istringstream in(text);
    std::string token;
    while (in >> token)
        if (token.rfind(key + "=", 0) == 0) return token.substr(key.size() + 1);
    return {};
}

void solve_to_optimum(const std::string& instance, int seconds, const std::string& options = "") {
    const fs::path mps = miplib_dir() / (instance + ".mps.gz");
    if (!fs::exists(mps)) GTEST_SKIP() << "no shared instance " << mps;
    char pattern[] = "/tmp/qmlp-miplib-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const fs::path dir = pattern;
    shell("cd " + quoted(dir.string()) + " && timeout " + std::to_string(seconds) + " " +
          quoted(qmlp_binary().string()) + " solve " + quoted(mps.string()) + " printlevel=-2 " + options +
          " >/dev/null 2>log.txt");
    const std::string log = slurp(dir / "log.txt");
    const size_t at = log.rfind("_QMLP_: ");
    const std::string status = at == std::string::npos ? "" : log.substr(at + 8, log.find('\n', at) - at - 8);
    std::error_code ec;
    fs::remove_all(dir, ec);
    EXPECT_EQ(field(status, "STATUS"), "SUCCESSFUL") << instance << ": " << status;
    const double known = known_optima("miplib3").at(instance);
    const double best = std::strtod(field(status, "INT_BEST").c_str(), nullptr);
    EXPECT_LE(std::fabs(best - known), kRelativeTolerance * std::max(1.0, std::fabs(known)))
        << instance << ": " << status;
}

class Miplib : public ::testing::TestWithParam<std::string> {};
TEST_P(Miplib, ReachesTheKnownOptimum) { solve_to_optimum(GetParam(), 120); }
INSTANTIATE_TEST_SUITE_P(Quick, Miplib, ::testing::Values("p0033", "flugpl", "p0201", "stein27", "misc03"));

class MiplibSlow : public ::testing::TestWithParam<std::string> {};
TEST_P(MiplibSlow, ReachesTheKnownOptimum) { solve_to_optimum(GetParam(), 300); }
INSTANTIATE_TEST_SUITE_P(Shared, MiplibSlow,
                         ::testing::Values("dcmulti", "egout", "enigma", "khb05250", "lseu", "mod008", "rgn"));

// The instances the default options do not solve within the limit.
class MiplibOptionSet : public ::testing::TestWithParam<std::string> {};
TEST_P(MiplibOptionSet, ReachesTheKnownOptimum) {
    solve_to_optimum(GetParam(), 300, "preprocess varselect=pensum canselect=obj cpercent=0.001");
}
INSTANTIATE_TEST_SUITE_P(Shared, MiplibOptionSet, ::testing::Values("bell5", "p0282", "p0548"));

}  // namespace
}  // namespace e2e
