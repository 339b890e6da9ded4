// report_golden_test.cpp -- the output of every example program against
// expected files in tests/golden/: the JSON of all tables with a tolerance
// for numbers (iteration and inversion counts and the time left out), and
// two listings exactly.
//
// To regenerate the expected files after an intended change of the output,
// run the test with QMLP_UPDATE_GOLDEN=1 in the environment (for example
// `QMLP_UPDATE_GOLDEN=1 build/e2e_tests --gtest_filter='Golden*'`), then
// review the difference with git before committing it.
#include <cmath>
#include <cstdlib>
#include <fstream>

#include <nlohmann/json.hpp>

#include "e2e_support.h"

namespace {

namespace fs = e2e::fs;
using nlohmann::json;

constexpr double kRelative = 1e-9;
constexpr double kAbsolute = 1e-9;

fs::path golden_dir() { return fs::path(QMLP_SOURCE_DIR) / "tests" / "golden"; }
fs::path examples_dir() { return fs::path(QMLP_SOURCE_DIR) / "examples"; }

bool updating() {
    const char* v = std::getenv("QMLP_UPDATE_GOLDEN");
    return v != nullptr && *v != '\0' && std::string(v) != "0";
}

// Summary lines that count the engine's work rather than describe the
// solution: another pivoting order changes them without changing any result.
bool counts_work(const json& row) {
    static const char* const kWork[] = {"Phase 1 Iterations", "Phase 2 Iterations", "Phase 3 Iterations",
                                        "Number of Inversions", "Time Used (seconds)"};
    if (!row.is_array() || row.size() != 2 || !row[0].is_string()) return false;
    for (const char* label : kWork)
        if (row[0] == label) return true;
    return false;
}

// Differences between two JSON documents, numbers compared with a
// tolerance; at most a few are collected, each with its path.
void compare(const json& expected, const json& actual, const std::string& path, std::vector<std::string>& out) {
    if (out.size() >= 10) return;
    if (counts_work(expected) && counts_work(actual) && expected[0] == actual[0]) return;
    if (expected.is_number() && actual.is_number()) {
        const double e = expected.get<double>();
        const double a = actual.get<double>();
        if (std::fabs(e - a) > kAbsolute + kRelative * std::fabs(e))
            out.push_back(path + ": expected " + expected.dump() + ", got " + actual.dump());
        return;
    }
    if (expected.type() != actual.type()) {
        out.push_back(path + ": expected " + expected.dump() + ", got " + actual.dump());
        return;
    }
    if (expected.is_array()) {
        if (expected.size() != actual.size()) {
            out.push_back(path + ": expected " + std::to_string(expected.size()) + " items, got " +
                          std::to_string(actual.size()));
            return;
        }
        for (size_t k = 0; k < expected.size(); ++k)
            compare(expected[k], actual[k], path + "[" + std::to_string(k) + "]", out);
        return;
    }
    if (expected.is_object()) {
        for (auto it = expected.begin(); it != expected.end(); ++it) {
            if (!actual.contains(it.key()))
                out.push_back(path + "." + it.key() + ": missing");
            else
                compare(it.value(), actual[it.key()], path + "." + it.key(), out);
        }
        for (auto it = actual.begin(); it != actual.end(); ++it)
            if (!expected.contains(it.key())) out.push_back(path + "." + it.key() + ": not expected");
        return;
    }
    if (expected != actual) out.push_back(path + ": expected " + expected.dump() + ", got " + actual.dump());
}

class Golden : public e2e::ScratchFolder, public ::testing::WithParamInterface<const char*> {
  protected:
    // Runs an example program in place (its data sets beside it) with the
    // listing and the JSON in the scratch folder.
    void run_example(const std::string& name) {
        const fs::path program = examples_dir() / name / (name + ".qmlp");
        listing_ = dir_ / "listing.txt";
        json_ = dir_ / "tables.json";
        const fs::path log = dir_ / "log.txt";
        const int status =
            e2e::shell(e2e::quoted(e2e::qmlp_binary().string()) + " --log " + e2e::quoted(log.string()) +
                       " --listing " + e2e::quoted(listing_.string()) + " --json " + e2e::quoted(json_.string()) + " " +
                       e2e::quoted(program.string()) + " </dev/null >/dev/null 2>&1");
        ASSERT_EQ(status, 0) << e2e::slurp(log);
    }

    // Compares `actual` with the expected file, or writes it when updating.
    void expect_file(const fs::path& expected, const std::string& actual, bool as_json) {
        if (updating()) {
            std::ofstream(expected, std::ios::binary) << actual;
            std::cout << "[ golden ] wrote " << expected.string() << "\n";
            return;
        }
        ASSERT_TRUE(fs::exists(expected)) << expected << " is missing; run with QMLP_UPDATE_GOLDEN=1 to create it";
        const std::string wanted = e2e::slurp(expected);
        if (!as_json) {
            EXPECT_EQ(actual, wanted) << "listing differs from " << expected;
            return;
        }
        std::vector<std::string> diffs;
        compare(json::parse(wanted), json::parse(actual), "$", diffs);
        std::string all;
        for (const std::string& d : diffs) all += "  " + d + "\n";
        EXPECT_TRUE(diffs.empty()) << "JSON differs from " << expected << ":\n" << all;
    }

    fs::path listing_;
    fs::path json_;
};

TEST_P(Golden, TablesAsJsonMatchTheExpectedOnesWithinTolerance) {
    const std::string name = GetParam();
    run_example(name);
    expect_file(golden_dir() / (name + ".json"), e2e::slurp(json_), true);
}

INSTANTIATE_TEST_SUITE_P(Examples, Golden,
                         ::testing::Values("productmix", "blending", "knapsack", "twoobj", "sensitivity", "facility",
                                           "contracts"),
                         [](const ::testing::TestParamInfo<const char*>& i) { return std::string(i.param); });

class GoldenListing : public Golden {};

TEST_P(GoldenListing, ListingMatchesExactly) {
    const std::string name = GetParam();
    run_example(name);
    expect_file(golden_dir() / (name + ".lst"), e2e::slurp(listing_), false);
}

INSTANTIATE_TEST_SUITE_P(Examples, GoldenListing, ::testing::Values("productmix", "twoobj"),
                         [](const ::testing::TestParamInfo<const char*>& i) { return std::string(i.param); });

}  // namespace
