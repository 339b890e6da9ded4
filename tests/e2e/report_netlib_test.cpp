// report_netlib_test.cpp -- the solution data sets of shared Netlib
// instances through the qmlp command: PRIMALOUT's objective column agrees
// with the SolutionSummary and the known optimum, DUALOUT's duals and
// PRIMALOUT's values satisfy complementary slackness, and the reduced costs
// have the signs an optimum requires.
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

#include <nlohmann/json.hpp>

#include "e2e_support.h"

namespace {

namespace fs = e2e::fs;

constexpr double kSlackness = 1e-6;

fs::path netlib_dir() { return e2e::bench_dir("netlib"); }

double known_optimum(const std::string& instance) {
    const auto optima = e2e::known_optima("netlib");
    const auto it = optima.find(instance);
    return it != optima.end() ? it->second : std::nan("");
}

// A data set as the host writes it: a header of names (character variables
// carry "$length"), then one line per observation; "." is missing.
struct Table {
    std::vector<std::string> names;
    std::vector<std::vector<std::string>> rows;
    int var(const std::string& n) const {
        for (size_t k = 0; k < names.size(); ++k)
            if (names[k] == n) return static_cast<int>(k);
        return -1;
    }
    std::string text(size_t r, const std::string& n) const { return rows.at(r).at(static_cast<size_t>(var(n))); }
    double number(size_t r, const std::string& n) const {
        const std::string s = text(r, n);
        return s == "." ? std::nan("") : std::strtod(s.c_str(), nullptr);
    }
};

std::vector<std::string> split_csv(const std::string& line) {
    std::vector<std::string> out;
    std::string field;
    bool quoted = false;
    for (size_t k = 0; k < line.size(); ++k) {
        const char c = line[k];
        if (quoted) {
            if (c == '"' && k + 1 < line.size() && line[k + 1] == '"') {
                field += '"';
                ++k;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            out.push_back(field);
            field.clear();
        } else {
            field += c;
        }
    }
    out.push_back(field);
    return out;
}

Table read_csv(const fs::path& path) {
    Table t;
    std::ifstream in(path);
    std::string line;
    if (!std::getline(in, line)) return t;
    for (std::string name : split_csv(line)) t.names.push_back(name.substr(0, name.find('$')));
    while (std::getline(in, line))
        if (!line.empty()) t.rows.push_back(split_csv(line));
    return t;
}

class NetlibReports : public e2e::ScratchFolder, public ::testing::WithParamInterface<const char*> {};

TEST_P(NetlibReports, DataSetsAgreeWithTheSummaryAndSatisfyComplementarySlackness) {
    const std::string instance = GetParam();
    const fs::path mps = netlib_dir() / (instance + ".mps.gz");
    if (!fs::exists(mps)) GTEST_SKIP() << "instance not available";
    const fs::path csv = dir_ / "problem.csv";
    ASSERT_EQ(e2e::shell(e2e::quoted(e2e::qmlp_binary().string()) + " import-mps " + e2e::quoted(mps.string()) +
                         " -o " + e2e::quoted(csv.string()) + " >/dev/null 2>&1"),
              0);
    const fs::path json_path = dir_ / "tables.json";
    write("program.qmlp", "LP data=problem sparsedata maxit=1000000 printlevel=0 primalout='" +
                              (dir_ / "primal.csv").string() + "' dualout='" + (dir_ / "dual.csv").string() +
                              "';\nRUN;\n");
    ASSERT_EQ(
        e2e::shell(e2e::quoted(e2e::qmlp_binary().string()) + " --log " + e2e::quoted((dir_ / "log").string()) +
                   " --listing " + e2e::quoted((dir_ / "lst").string()) + " --json " + e2e::quoted(json_path.string()) +
                   " " + e2e::quoted((dir_ / "program.qmlp").string()) + " </dev/null >/dev/null 2>&1"),
        0)
        << e2e::slurp(dir_ / "log");
    const Table p = read_csv(dir_ / "primal.csv");
    const Table d = read_csv(dir_ / "dual.csv");
    ASSERT_FALSE(p.rows.empty());
    ASSERT_FALSE(d.rows.empty());

    // The summary's objective value.
    const auto doc = nlohmann::json::parse(e2e::slurp(json_path));
    double summary = std::nan("");
    for (const auto& t : doc["tables"])
        if (t["name"] == "SolutionSummary")
            for (const auto& row : t["rows"])
                if (row[0] == "Objective Value") summary = row[1].get<double>();
    ASSERT_FALSE(std::isnan(summary));

    // PRIMALOUT's objective column, and the sense of the objective.
    double objective = std::nan("");
    for (size_t r = 0; r < p.rows.size(); ++r)
        if (p.text(r, "_TYPE_") == "OBJECT" && p.text(r, "_VAR_") == p.text(r, "_OBJ_ID_"))
            objective = p.number(r, "_VALUE_");
    ASSERT_FALSE(std::isnan(objective));
    EXPECT_NEAR(objective, summary, 1e-9 * (1.0 + std::fabs(summary)));
    const double optimum = known_optimum(instance);
    if (!std::isnan(optimum)) {
        EXPECT_NEAR(objective, optimum, 1e-6 * (1.0 + std::fabs(optimum)));
    }

    // Rows: the dual is 0 unless the activity lies at an end of its interval.
    double worst_row = 0.0;
    for (size_t r = 0; r < d.rows.size(); ++r) {
        if (d.text(r, "_TYPE_") == "OBJECT") continue;
        const double v = d.number(r, "_VALUE_");
        const double gap = std::min(std::fabs(v - d.number(r, "_L_RHS_")), std::fabs(v - d.number(r, "_U_RHS_")));
        worst_row = std::max(worst_row, std::fabs(d.number(r, "_DUAL_")) * gap);
    }
    EXPECT_LE(worst_row, kSlackness);

    // Columns: the reduced cost is 0 unless the value lies at a bound, and a
    // column at a bound has the sign that makes moving it unattractive
    // (minimisation: >= 0 at the lower bound, <= 0 at the upper).
    double worst_column = 0.0;
    for (size_t r = 0; r < p.rows.size(); ++r) {
        const double v = p.number(r, "_VALUE_");
        const double rc = p.number(r, "_R_COST_");
        const double to_lower = std::fabs(v - p.number(r, "_LBOUND_"));
        const double to_upper = std::fabs(v - p.number(r, "_UBOUND_"));
        worst_column = std::max(worst_column, std::fabs(rc) * std::min(to_lower, to_upper));
        if (p.text(r, "_TYPE_") == "OBJECT" || p.text(r, "_STATUS_") == "_BASIC_") continue;
        if (to_lower < 1e-9 && to_upper > 1e-9) {
            EXPECT_GE(rc, -1e-7) << p.text(r, "_VAR_");
        }
        if (to_upper < 1e-9 && to_lower > 1e-9) {
            EXPECT_LE(rc, 1e-7) << p.text(r, "_VAR_");
        }
    }
    EXPECT_LE(worst_column, kSlackness);
}

INSTANTIATE_TEST_SUITE_P(Instances, NetlibReports,
                         ::testing::Values("afiro", "sc50a", "sc105", "adlittle", "blend", "kb2", "share2b"),
                         [](const ::testing::TestParamInfo<const char*>& i) { return std::string(i.param); });

}  // namespace
