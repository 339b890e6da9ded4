// preprocess_netlib_test.cpp -- every shared Netlib instance solved with
// PREPROCESS through a real program: the reduced problem must keep the known
// optimum (1e-6 relative).  The instances are read from the shared folder
// and imported into a scratch folder per case.
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "e2e_support.h"

namespace {

namespace fs = std::filesystem;

constexpr double kRelativeTolerance = 1e-6;

fs::path NetlibDir() { return e2e::bench_dir("netlib"); }

std::vector<std::string> Instances() {
    std::vector<std::string> names;
    for (const auto& [name, value] : e2e::known_optima("netlib"))
        if (fs::exists(NetlibDir() / (name + ".mps.gz"))) names.push_back(name);
    return names;
}

// The objective row of e226 has a right-hand-side entry b: the model solves
// for c.x - b while the listed optimum is min c.x.
double ObjectiveConstant(const std::string& instance) { return instance == "e226" ? -7.113 : 0.0; }

std::string Identifier(const std::string& text) {
    std::string out = text;
    for (char& c : out)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return out;
}

std::string Field(const std::string& text, const std::string& key) {
    const size_t at = text.find(key + "=");
    if (at == std::string::npos) return {};
    const size_t start = at + key.size() + 1;
    return text.substr(start, text.find(' ', start) - start);
}

class PreprocessNetlib : public e2e::ScratchFolder, public ::testing::WithParamInterface<std::string> {};

TEST_P(PreprocessNetlib, KeepsTheKnownOptimum) {
    const std::string instance = GetParam();
    const double optimum = e2e::known_optima("netlib").at(instance) - ObjectiveConstant(instance);
    const std::string member = "p_" + Identifier(instance);
    const std::string qmlp = e2e::quoted(e2e::qmlp_binary().string());
    const fs::path csv = dir_ / (member + ".csv");
    ASSERT_EQ(e2e::shell(qmlp + " import-mps " + e2e::quoted((NetlibDir() / (instance + ".mps.gz")).string()) + " -o " +
                         e2e::quoted(csv.string()) + " </dev/null >/dev/null 2>&1"),
              0);
    write("solve.qmlp", "LP data=" + member + " sparsedata preprocess maxit=100000000 time=100000;\nRUN;\n");
    const fs::path symbols = dir_ / "symbols.txt";
    const fs::path log = dir_ / "log.txt";
    const int rc = e2e::shell(qmlp + " --lib " + e2e::quoted(dir_.string()) + " --symbols " +
                              e2e::quoted(symbols.string()) + " --log " + e2e::quoted(log.string()) + " " +
                              e2e::quoted((dir_ / "solve.qmlp").string()) + " </dev/null >/dev/null 2>&1");
    std::string status;
    std::istringstream lines(e2e::slurp(symbols));
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("_QMLP_=", 0) == 0) status = line.substr(7);
    const std::string text = e2e::slurp(log);

    EXPECT_EQ(rc, 0);
    EXPECT_TRUE(e2e::contains(text, "Preprocessing is complete.")) << text;
    ASSERT_EQ(Field(status, "STATUS"), "SUCCESSFUL") << status << "\n" << text;
    const double value = std::strtod(Field(status, "OBJECTIVE").c_str(), nullptr);
    EXPECT_LE(std::fabs(value - optimum), kRelativeTolerance * std::fmax(1.0, std::fabs(optimum)))
        << "objective " << value << ", optimum " << optimum;
}

INSTANTIATE_TEST_SUITE_P(Shared, PreprocessNetlib, ::testing::ValuesIn(Instances()),
                         [](const ::testing::TestParamInfo<std::string>& info) { return Identifier(info.param); });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(PreprocessNetlib);

}  // namespace
