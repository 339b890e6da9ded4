// range_analysis_test.cpp -- RANGEPRICE and RANGERHS against re-solves of
// the changed problem (inside an interval the basis and the predicted
// objective hold, at its end the objective is the one reported, beyond it
// the basis changes), and the price ranges against glpsol --ranges on
// shared Netlib instances.
#include <cstdio>
#include <fstream>
#include <map>

#include "analysis_oracle.h"

namespace {

using e2e::cell_number;
using e2e::near;

// Distances inside and beyond an interval end, relative to its width.
constexpr double kInside = 1e-3;
constexpr double kBeyond = 1e-2;

class RangeOracle : public e2e::AnalysisOracle {};

TEST_F(RangeOracle, PriceEndsHoldInsideAndBreakBeyond) {
    const e2e::DenseProblem base = e2e::product_mix();
    const e2e::Solved start = solve(base, "rangeprice");
    ASSERT_EQ(start.exit_status, 0) << start.log;
    const auto& rows = start.table("PriceRangeSummary")["rows"];
    ASSERT_EQ(rows.size(), 6u);  // three structural columns and three slacks
    int ends_checked = 0;
    for (size_t j = 0; j < base.columns.size(); ++j) {
        const auto& r = rows[j];
        ASSERT_EQ(r[1], base.columns[j]);
        const double price = base.prices[j];
        for (const int end : {2, 6}) {  // MinPrice, MaxPrice
            const double edge = cell_number(r[end]);
            if (!std::isfinite(edge) || near(edge, price, 1e-9)) continue;
            const double objective_at_edge = cell_number(r[end == 2 ? 4 : 7]);
            e2e::DenseProblem p = base;
            p.prices[j] = edge + kInside * (price - edge);
            const e2e::Solved inside = solve(p);
            EXPECT_EQ(inside.basic, start.basic) << base.columns[j] << " near " << edge;
            const double value = (objective_at_edge - start.objective) / (edge - price);
            EXPECT_TRUE(near(inside.objective, start.objective + value * (p.prices[j] - price)));
            p.prices[j] = edge;
            EXPECT_TRUE(near(solve(p).objective, objective_at_edge)) << base.columns[j] << " at " << edge;
            p.prices[j] = edge - kBeyond * (price - edge);
            EXPECT_NE(solve(p).basic, start.basic) << base.columns[j] << " beyond " << edge;
            ++ends_checked;
        }
    }
    EXPECT_GE(ends_checked, 4);
}

TEST_F(RangeOracle, RhsEndsHoldInsideAndBreakBeyond) {
    const e2e::DenseProblem base = e2e::product_mix();
    const e2e::Solved start = solve(base, "rangerhs");
    ASSERT_EQ(start.exit_status, 0) << start.log;
    const auto& rows = start.table("RhsRangeSummary")["rows"];
    ASSERT_EQ(rows.size(), base.rows.size());  // no line for the objective row
    int ends_checked = 0;
    for (size_t i = 0; i < base.rows.size(); ++i) {
        const auto& r = rows[i];
        ASSERT_EQ(r[0], base.rows[i]);
        const double rhs = base.rhs[i];
        for (const int end : {1, 5}) {  // MinRhs, MaxRhs
            const double edge = cell_number(r[end]);
            if (!std::isfinite(edge)) {
                EXPECT_EQ(r[end + 1], ".");  // no leaving column, no objective
                continue;
            }
            const double objective_at_edge = cell_number(r[end == 1 ? 3 : 6]);
            e2e::DenseProblem p = base;
            p.rhs[i] = edge + kInside * (rhs - edge);
            const e2e::Solved inside = solve(p);
            EXPECT_EQ(inside.basic, start.basic) << base.rows[i] << " near " << edge;
            const double slope = (objective_at_edge - start.objective) / (edge - rhs);
            EXPECT_TRUE(near(inside.objective, start.objective + slope * (p.rhs[i] - rhs)));
            p.rhs[i] = edge;
            EXPECT_TRUE(near(solve(p).objective, objective_at_edge)) << base.rows[i] << " at " << edge;
            p.rhs[i] = edge - kBeyond * (rhs - edge);
            EXPECT_NE(solve(p).basic, start.basic) << base.rows[i] << " beyond " << edge;
            ++ends_checked;
        }
    }
    EXPECT_GE(ends_checked, 4);
}

TEST_F(RangeOracle, NotOptimalGivesNoteAndNoTable) {
    e2e::DenseProblem p = e2e::product_mix();
    p.types[0] = "GE";
    p.rhs[0] = 1e6;  // wood beyond what the other rows allow: infeasible
    const e2e::Solved s = solve(p, "rangeprice rangerhs");
    EXPECT_TRUE(e2e::contains(s.log, "not optimal")) << s.log;
    EXPECT_TRUE(s.tables("PriceRangeSummary").empty());
    EXPECT_TRUE(s.tables("RhsRangeSummary").empty());
}

// ---- glpsol --ranges on shared Netlib instances

namespace fs = e2e::fs;

struct CostRange {
    bool basic = false;
    double lower = 0.0;
    double upper = 0.0;
};

double glpk_number(const std::string& s) {
    if (s == "-Inf") return -INFINITY;
    if (s == "+Inf") return INFINITY;
    if (s == ".") return 0.0;
    return std::strtod(s.c_str(), nullptr);
}

// The "Obj coef range" of every column of a glpsol --ranges report, by
// column number.
std::map<int, CostRange> glpk_cost_ranges(const fs::path& report) {
    std::map<int, CostRange> out;
    std::ifstream in(report);
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    bool columns = false;
    for (size_t k = 0; k + 1 < lines.size(); ++k) {
        if (lines[k].find("Column name") != std::string::npos) columns = true;
        if (lines[k].find("Row name") != std::string::npos) columns = false;
        std::istringstream first(lines[k]);
        std::vector<std::string> t;
        for (std::string w; first >> w;) t.push_back(w);
        if (!columns || t.size() < 9 || t[0].find_first_not_of("0123456789") != std::string::npos) continue;
        std::istringstream second(lines[k + 1]);
        std::vector<std::string> u;
        for (std::string w; second >> w;) u.push_back(w);
        if (u.size() < 5) continue;
        out[std::stoi(t[0])] = {t[2] == "BS", glpk_number(t[7]), glpk_number(u[3])};
        ++k;
    }
    return out;
}

// Equal to the five decimals glpsol prints.
bool agrees(double ours, double theirs) {
    if (std::isinf(ours) || std::isinf(theirs)) return ours == theirs;
    return std::fabs(ours - theirs) <= 1e-5 + 1e-5 * std::fabs(theirs);
}

class GlpkRanges : public e2e::ScratchFolder {};

// Both programs range the basis each of them ended with; where a problem
// has several optimal bases they may differ, so the comparison counts the
// columns that are basic in both or nonbasic in both.
TEST_F(GlpkRanges, PriceRangesAgreeOnSharedNetlibInstances) {
    const fs::path netlib = fs::path(QMLP_SHARED_DIR) / "bench" / "netlib";
    if (!fs::exists(netlib)) GTEST_SKIP() << "shared instances not available";
    if (e2e::shell("command -v glpsol >/dev/null 2>&1") != 0) GTEST_SKIP() << "glpsol not installed";
    int compared = 0, agreeing = 0;
    for (const std::string name : {"afiro", "sc50a", "sc50b", "kb2", "blend", "sc105", "adlittle", "stocfor1", "scagr7",
                                   "share1b", "israel", "recipe"}) {
        const fs::path mps = netlib / (name + ".mps.gz");
        if (!fs::exists(mps)) continue;
        const fs::path plain = dir_ / (name + ".mps"), report = dir_ / (name + ".rng");
        const fs::path json = dir_ / (name + ".json");
        ASSERT_EQ(e2e::shell("gzip -dc " + e2e::quoted(mps.string()) + " > " + e2e::quoted(plain.string())), 0);
        ASSERT_EQ(e2e::shell("glpsol --mps " + e2e::quoted(plain.string()) + " --ranges " +
                             e2e::quoted(report.string()) + " >/dev/null 2>&1"),
                  0);
        ASSERT_EQ(e2e::shell(e2e::quoted(e2e::qmlp_binary().string()) + " --json " + e2e::quoted(json.string()) +
                             " solve " + e2e::quoted(mps.string()) + " rangeprice >/dev/null 2>&1"),
                  0)
            << name;
        const auto theirs = glpk_cost_ranges(report);
        const auto doc = nlohmann::json::parse(e2e::slurp(json));
        std::map<int, std::string> status;
        for (const auto& t : doc["tables"])
            if (t["name"] == "VariableSummary")
                for (const auto& r : t["rows"]) status[std::stoi(r[0].get<std::string>())] = r[2];
        for (const auto& t : doc["tables"]) {
            if (t["name"] != "PriceRangeSummary") continue;
            for (const auto& r : t["rows"]) {
                const int col = r[0];
                const auto it = theirs.find(col);
                if (it == theirs.end() || !status.count(col)) continue;
                const bool basic = status[col] == "BASIC" || status[col] == "DEGEN";
                if (basic != it->second.basic) continue;
                ++compared;
                const bool same =
                    agrees(cell_number(r[2]), it->second.lower) && agrees(cell_number(r[6]), it->second.upper);
                agreeing += same;
                if (!same)
                    std::printf("%s column %d: [%g, %g] against glpsol [%g, %g]\n", name.c_str(), col,
                                cell_number(r[2]), cell_number(r[6]), it->second.lower, it->second.upper);
            }
        }
    }
    ASSERT_GT(compared, 500);
    EXPECT_GE(agreeing, 0.95 * compared) << agreeing << " of " << compared;
    std::printf("price ranges agreeing with glpsol: %d of %d\n", agreeing, compared);
}

}  // namespace
