// netlib_test.cpp -- every shared Netlib instance solved through a real
// program, its objective compared with the known optimum, under the default
// options and under each option set that takes another code path
// (factorisation routine, pricing rule, Devex off, sparse pricing off, no
// scaling, the dual simplex path).  The larger instances, and the hardest
// ones under the default options and on the dual path, run under the "slow"
// label.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "e2e_support.h"

namespace {

namespace fs = std::filesystem;

constexpr double kRelativeTolerance = 1e-6;

struct Case {
    std::string folder;  // netlib, netlib-large or netlib-hard
    std::string instance;
    std::string options;  // extra LP statement options
    std::string label;    // short name of the option set
};

struct OptionSet {
    const char* label;
    const char* options;
};

const OptionSet kOptionSets[] = {
    {"defaults", ""},
    {"lu1", "lu=1"},
    {"complete", "pricetype=complete"},
    {"dynamic", "pricetype=dynamic"},
    {"nodevex", "nodevex"},
    {"nosparse", "nosparsepricing"},
    {"noscale", "scale=none"},
    {"dual", "algorithm=dual"},
    {"duallu1", "algorithm=dual lu=1"},
    {"dualnoscale", "algorithm=dual scale=none"},
};

// The hardest instances run under the default options and on the dual path.
bool HardSet(const OptionSet& set) {
    const std::string label = set.label;
    return label == "defaults" || label == "dual";
}

fs::path BenchDir(const std::string& folder) { return e2e::bench_dir(folder); }

std::vector<Case> Cases(const std::string& folder, bool every_option_set) {
    std::vector<Case> cases;
    const auto optima = e2e::known_optima(folder);
    for (const auto& [name, value] : optima) {
        if (!fs::exists(BenchDir(folder) / (name + ".mps.gz"))) continue;
        for (const OptionSet& set : kOptionSets)
            if (every_option_set || HardSet(set)) cases.push_back({folder, name, set.options, set.label});
    }
    return cases;
}

void PrintTo(const Case& c, std::ostream* os) { *os << c.folder << "/" << c.instance << " [" << c.options << "]"; }

// Instances whose objective row has a right-hand-side entry b: the listed
// optimum is min c.x, while the model solves for c.x - b, the objective the
// file itself defines.  The comparison takes the file's definition.
double ObjectiveConstant(const std::string& instance) {
    static const std::map<std::string, double> constants = {{"e226", -7.113}};
    const auto it = constants.find(instance);
    return it == constants.end() ? 0.0 : it->second;
}

// A data set member name: letters, digits and underscores.
std::string MemberName(const std::string& instance) {
    std::string name = "p_" + instance;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
}

std::string CaseName(const ::testing::TestParamInfo<Case>& info) {
    std::string name = info.param.instance + "_" + info.param.label;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
}

// Reads `_QMLP_` from a --symbols file.
std::string StatusText(const fs::path& symbols) {
    std::ifstream in(symbols);
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("_QMLP_=", 0) == 0) return line.substr(7);
    return {};
}

std::string Field(const std::string& text, const std::string& key) {
    const size_t at = text.find(key + "=");
    if (at == std::string::npos) return {};
    const size_t start = at + key.size() + 1;
    const size_t end = text.find(' ', start);
    return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

class NetlibSolve : public ::testing::TestWithParam<Case> {
  protected:
    void Solve(const Case& c) {
        SCOPED_TRACE(c.folder + "/" + c.instance + " with [" + c.options + "]");
        const fs::path mps = BenchDir(c.folder) / (c.instance + ".mps.gz");
        if (!fs::exists(mps)) GTEST_SKIP() << "instance not available";
        const auto optima = e2e::known_optima(c.folder);
        const double optimum = optima.at(c.instance) - ObjectiveConstant(c.instance);
        const std::string member = MemberName(c.instance);

        const fs::path dir = fs::temp_directory_path() / ("qmlp_netlib_" + c.folder + "_" + c.instance + "_" + c.label +
                                                          "_" + std::to_string(::getpid()));
        fs::create_directories(dir);
        const std::string qmlp = std::string(QMLP_BUILD_DIR) + "/qmlp";
        const fs::path csv = dir / (member + ".csv");
        const std::string import = qmlp + " import-mps " + mps.string() + " -o " + csv.string() + " > /dev/null 2>&1";
        ASSERT_EQ(std::system(import.c_str()), 0) << import;

        const fs::path program = dir / "solve.qmlp";
        {
            std::ofstream out(program);
            out << "LP data=" << member << " sparsedata maxit=100000000 time=100000 " << c.options << ";\nRUN;\n";
        }
        const fs::path symbols = dir / "symbols.txt";
        const std::string run = qmlp + " --lib " + dir.string() + " --symbols " + symbols.string() + " " +
                                program.string() + " > " + (dir / "listing.txt").string() + " 2> " +
                                (dir / "log.txt").string();
        const int rc = std::system(run.c_str());
        const std::string status = StatusText(symbols);
        fs::remove_all(dir);

        EXPECT_EQ(rc, 0);
        EXPECT_EQ(Field(status, "STATUS"), "SUCCESSFUL") << status;
        const std::string objective = Field(status, "OBJECTIVE");
        ASSERT_FALSE(objective.empty()) << status;
        const double value = std::strtod(objective.c_str(), nullptr);
        EXPECT_LE(std::fabs(value - optimum), kRelativeTolerance * std::fmax(1.0, std::fabs(optimum)))
            << "objective " << objective << ", optimum " << optimum;
    }
};

class Netlib : public NetlibSolve {};
class NetlibLarge : public NetlibSolve {};
class NetlibHard : public NetlibSolve {};

TEST_P(Netlib, ReachesKnownOptimum) { Solve(GetParam()); }
TEST_P(NetlibLarge, ReachesKnownOptimum) { Solve(GetParam()); }
TEST_P(NetlibHard, ReachesKnownOptimum) { Solve(GetParam()); }

INSTANTIATE_TEST_SUITE_P(Shared, Netlib, ::testing::ValuesIn(Cases("netlib", true)), CaseName);
INSTANTIATE_TEST_SUITE_P(Shared, NetlibLarge, ::testing::ValuesIn(Cases("netlib-large", true)), CaseName);
INSTANTIATE_TEST_SUITE_P(Shared, NetlibHard, ::testing::ValuesIn(Cases("netlib-hard", false)), CaseName);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(Netlib);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(NetlibLarge);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(NetlibHard);

}  // namespace
