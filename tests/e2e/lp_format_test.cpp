// lp_format_test.cpp -- LP files through the qmlp command: every shared
// instance imported, exported as an LP file and solved from it reaches its
// known optimum; the examples of both layouts export to LP files that solve
// like the data sets; faulty LP files end `qmlp solve` with the reader's
// error.  The MIPLIB 3 instances that take long run under the label "slow";
// those the search does not finish there are read back and solved by a peer.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "e2e_support.h"

namespace e2e {
namespace {

constexpr double kRelativeTolerance = 1e-6;

std::string field(const std::string& text, const std::string& key) {
    std::istringstream in(text);
    std::string token;
    while (in >> token)
        if (token.rfind(key + "=", 0) == 0) return token.substr(key.size() + 1);
    return {};
}

std::string last_status(const std::string& log) {
    const size_t at = log.rfind("_QMLP_: ");
    return at == std::string::npos ? "" : log.substr(at + 8, log.find('\n', at) - at - 8);
}

struct Instance {
    std::string folder, name;
};

void PrintTo(const Instance& i, std::ostream* os) { *os << i.folder << "/" << i.name; }

std::string case_name(const ::testing::TestParamInfo<Instance>& info) {
    std::string name = info.param.folder + "_" + info.param.name;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
}

std::vector<Instance> shared(const std::string& folder) {
    std::vector<Instance> out;
    for (const auto& [name, optimum] : known_optima(folder)) out.push_back({folder, name});
    return out;
}

std::vector<Instance> quick_instances() {
    std::vector<Instance> out = shared("netlib");
    for (const Instance& i : shared("netlib-large")) out.push_back(i);
    for (const char* name : {"p0033", "flugpl", "p0201", "stein27", "misc03"}) out.push_back({"miplib3", name});
    return out;
}

std::vector<Instance> slow_instances() {
    std::vector<Instance> out;
    for (const char* name : {"bell5", "dcmulti", "egout", "enigma", "gt2", "khb05250", "lseu", "mod008", "p0282", "rgn"})
        out.push_back({"miplib3", name});
    return out;
}

// The listed optimum is min c.x; e226's objective row has the constant
// b = -7.113 and the file defines c.x - b.
double objective_constant(const std::string& name) { return name == "e226" ? 7.113 : 0.0; }

class LpRoundTrip : public ScratchFolder, public ::testing::WithParamInterface<Instance> {
  protected:
    void round_trip(int seconds) {
        const Instance& in = GetParam();
        const fs::path mps = bench_dir(in.folder) / (in.name + ".mps.gz");
        if (!fs::exists(mps)) GTEST_SKIP() << "no shared instance " << mps;
        const std::string q = quoted(qmlp_binary().string());
        const std::string d = quoted(dir_.string());
        ASSERT_EQ(shell(q + " import-mps " + quoted(mps.string()) + " -o " + d + "/p.csv 2>/dev/null"), 0);
        ASSERT_EQ(shell(q + " export " + d + "/p.csv -o " + d + "/p.lp 2>/dev/null"), 0);
        shell("cd " + d + " && timeout " + std::to_string(seconds) + " " + q +
              " solve p.lp printlevel=-2 >/dev/null 2>log.txt");
        const std::string status = last_status(slurp(dir_ / "log.txt"));
        const bool integer = in.folder == "miplib3";
        EXPECT_EQ(field(status, "STATUS"), "SUCCESSFUL") << status;
        const double known = known_optima(in.folder).at(in.name) + objective_constant(in.name);
        const std::string value = field(status, integer ? "INT_BEST" : "OBJECTIVE");
        ASSERT_FALSE(value.empty()) << status;
        EXPECT_LE(std::fabs(std::strtod(value.c_str(), nullptr) - known),
                  kRelativeTolerance * std::max(1.0, std::fabs(known)))
            << status;
    }
};

TEST_P(LpRoundTrip, SolvesToTheKnownOptimum) { round_trip(300); }
INSTANTIATE_TEST_SUITE_P(Shared, LpRoundTrip, ::testing::ValuesIn(quick_instances()), case_name);

class LpRoundTripSlow : public LpRoundTrip {};
TEST_P(LpRoundTripSlow, SolvesToTheKnownOptimum) { round_trip(600); }
INSTANTIATE_TEST_SUITE_P(Shared, LpRoundTripSlow, ::testing::ValuesIn(slow_instances()), case_name);

// The instances the search does not finish in a test's time: the problem
// read back from the LP file is written again and solved by an independent
// solver, which must reach the known optimum, so the file and both of its
// readings are checked without the search.
std::vector<Instance> peer_instances() {
    std::vector<Instance> out;
    for (const char* name : {"p0548", "pk1", "vpm1", "vpm2"}) out.push_back({"miplib3", name});
    return out;
}

class LpRoundTripPeerSlow : public ScratchFolder, public ::testing::WithParamInterface<Instance> {};

TEST_P(LpRoundTripPeerSlow, ReadsBackToTheKnownOptimum) {
    const Instance& in = GetParam();
    const fs::path mps = bench_dir(in.folder) / (in.name + ".mps.gz");
    if (!fs::exists(mps)) GTEST_SKIP() << "no shared instance " << mps;
    if (shell("command -v cbc >/dev/null 2>&1") != 0) GTEST_SKIP() << "the peer solver cbc is not installed";
    const std::string q = quoted(qmlp_binary().string());
    const std::string d = quoted(dir_.string());
    ASSERT_EQ(shell(q + " import-mps " + quoted(mps.string()) + " -o " + d + "/p.csv 2>/dev/null"), 0);
    ASSERT_EQ(shell(q + " export " + d + "/p.csv -o " + d + "/p.lp 2>/dev/null"), 0);
    ASSERT_EQ(shell(q + " import-lp " + d + "/p.lp -o " + d + "/back.csv 2>/dev/null"), 0);
    ASSERT_EQ(shell(q + " export " + d + "/back.csv -o " + d + "/back.lp 2>/dev/null"), 0);
    shell("cd " + d + " && timeout 600 cbc back.lp -solve >peer.txt 2>&1");
    const std::string peer = slurp(dir_ / "peer.txt");
    EXPECT_NE(peer.find("Optimal solution found"), std::string::npos) << peer;
    const size_t at = peer.find("Objective value:");
    ASSERT_NE(at, std::string::npos) << peer;
    const double value = std::strtod(peer.c_str() + at + 16, nullptr);
    const double known = known_optima(in.folder).at(in.name);
    EXPECT_LE(std::fabs(value - known), kRelativeTolerance * std::max(1.0, std::fabs(known))) << peer;
}
INSTANTIATE_TEST_SUITE_P(Shared, LpRoundTripPeerSlow, ::testing::ValuesIn(peer_instances()), case_name);

class LpExport : public ScratchFolder {
  protected:
    std::string solve_status(const std::string& command) {
        shell(command + " >/dev/null 2>" + quoted((dir_ / "log.txt").string()));
        return last_status(slurp(dir_ / "log.txt"));
    }
};

// Each example in both layouts: the LP file solves to the objective the
// data set solves to (integer problems and sets included), and both layouts
// give a file of as many rows and columns (the right-hand-side vector of the
// sparse layout is no column).
TEST_F(LpExport, ExamplesOfBothLayoutsSolveAlike) {
    const std::string q = quoted(qmlp_binary().string());
    for (const char* example : {"productmix", "blending", "knapsack", "facility", "contracts", "sensitivity"}) {
        std::string dense_counts;
        for (const char* suffix : {"", "_sparse"}) {
            const fs::path data =
                fs::path(QMLP_SOURCE_DIR) / "examples" / example / (example + std::string(suffix) + ".csv");
            const bool sparse = std::string(suffix) == "_sparse";
            const fs::path lp = dir_ / (std::string(example) + suffix + ".lp");
            ASSERT_EQ(shell(q + " export " + quoted(data.string()) + " -o " + quoted(lp.string()) + " 2>" +
                            quoted((dir_ / "export.txt").string())),
                      0)
                << data;
            const std::string note = slurp(dir_ / "export.txt");
            const std::string counts = note.substr(std::min(note.find("(LP,"), note.size()));
            if (!sparse) {
                dense_counts = counts;
            } else {
                EXPECT_EQ(counts, dense_counts) << data;
            }
            write("p.qmlp", "LP data=\"" + data.string() + "\"" + (sparse ? " sparsedata" : "") +
                                " printlevel=-2;\nRUN;\n%PUT _QMLP_: &_QMLP_;\n");
            const std::string direct = solve_status(q + " " + quoted((dir_ / "p.qmlp").string()));
            const std::string via_lp = solve_status(q + " solve " + quoted(lp.string()) + " printlevel=-2");
            ASSERT_FALSE(field(direct, "OBJECTIVE").empty()) << data << ": " << direct;
            EXPECT_EQ(field(direct, "STATUS"), field(via_lp, "STATUS")) << data;
            EXPECT_NEAR(std::strtod(field(direct, "OBJECTIVE").c_str(), nullptr),
                        std::strtod(field(via_lp, "OBJECTIVE").c_str(), nullptr), 1e-9)
                << data << "\n"
                << direct << "\n"
                << via_lp;
        }
    }
}

TEST_F(LpExport, WhatAFileCannotHoldIsRefusedWithNoFileLeft) {
    const std::string q = quoted(qmlp_binary().string());
    // Two right-hand sides fit an MPS file, not an LP file.
    const fs::path twoobj = fs::path(QMLP_SOURCE_DIR) / "examples/twoobj/twoobj.csv";
    EXPECT_EQ(shell(q + " export " + quoted(twoobj.string()) + " -o " + quoted((dir_ / "t.lp").string()) + " 2>" +
                    quoted((dir_ / "err.txt").string())),
              2);
    EXPECT_TRUE(contains(slurp(dir_ / "err.txt"), "ERROR:")) << slurp(dir_ / "err.txt");
    EXPECT_FALSE(fs::exists(dir_ / "t.lp"));
    // An unknown output format is a bad command line.
    EXPECT_EQ(
        shell(q + " export " + quoted(twoobj.string()) + " -o " + quoted((dir_ / "t.txt").string()) + " 2>/dev/null"),
        64);
}

TEST_F(LpExport, SolveReportsTheReadersFaultWithFileAndLine) {
    write("bad.lp", "Minimize\n obj: x + y\nSubject To\n c1: x + y >= 2 z\nEnd\n");
    const std::string q = quoted(qmlp_binary().string());
    const int rc = shell(q + " solve " + quoted((dir_ / "bad.lp").string()) + " >/dev/null 2>" +
                         quoted((dir_ / "log.txt").string()));
    EXPECT_EQ(rc, 2);
    const std::string log = slurp(dir_ / "log.txt");
    EXPECT_TRUE(contains(log, "ERROR: " + (dir_ / "bad.lp").string() + ":4: expected a new line")) << log;
    // A gzipped LP file is read like a plain one.
    write("good.lp", "Maximize\n 3 x + 2 y\nst\n x + y <= 4\n x + 3 y <= 6\nbounds\n x <= 3\nend\n");
    ASSERT_EQ(shell("gzip -k " + quoted((dir_ / "good.lp").string())), 0);
    const std::string status = solve_status(q + " solve " + quoted((dir_ / "good.lp.gz").string()));
    EXPECT_EQ(field(status, "OBJECTIVE"), "11") << status;
}

}  // namespace
}  // namespace e2e
