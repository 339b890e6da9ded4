// range_analysis_test.cpp -- RANGEPRICE and RANGERHS against re-solves of
// the changed problem (inside an interval the basis and the predicted
// objective hold, at its end the objective is the one reported, beyond it
// the basis changes), and the price ranges against glpsol --ranges on
// shared Netlib instances.
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

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

namespace fs = e2e::fs;

// ---- re-solves of shared Netlib instances

// For each finite end: just inside it the objective is the old basis's,
// on the line from the current objective to the one reported at the end,
// and just beyond it the old basis is no longer the solution.
class NetlibRanges : public e2e::SparseOracle {};

TEST_F(NetlibRanges, EveryEndAgreesWithResolves) {
    const fs::path netlib = fs::path(QMLP_SHARED_DIR) / "bench" / "netlib";
    if (!fs::exists(netlib)) GTEST_SKIP() << "shared instances not available";
    int ends = 0;
    for (const std::string name : {"afiro", "sc50a"}) {
        const fs::path csv = dir_ / (name + ".csv");
        ASSERT_EQ(e2e::shell(e2e::quoted(e2e::qmlp_binary().string()) + " import-mps " +
                             e2e::quoted((netlib / (name + ".mps.gz")).string()) + " -o " + e2e::quoted(csv.string()) +
                             " >/dev/null 2>&1"),
                  0);
        const e2e::SparseProblem base(e2e::slurp(csv));
        const e2e::SparseSolve start = solve(base, "rangeprice rangerhs");
        ASSERT_TRUE(std::isfinite(start.objective)) << name;
        for (const auto& t : start.doc["tables"]) {
            const bool price = t["name"] == "PriceRangeSummary";
            if (!price && t["name"] != "RhsRangeSummary") continue;
            for (const auto& r : t["rows"]) {
                const std::string item = r[price ? 1 : 0];
                if (price && (start.logical.count(item) != 0 || start.price.count(item) == 0)) continue;
                const double now = price ? start.price.at(item) : base.rhs(item);
                for (const int end : price ? std::vector<int>{2, 6} : std::vector<int>{1, 5}) {
                    const double edge = cell_number(r[end]);
                    if (!std::isfinite(edge) || near(edge, now, 1e-7)) continue;
                    const double at_edge = cell_number(r[price ? (end == 2 ? 4 : 7) : (end == 1 ? 3 : 6)]);
                    auto changed = [&](double v) { return price ? base.with_price(item, v) : base.with_rhs(item, v); };
                    const double inside = edge + 1e-3 * (now - edge);
                    const double slope = (at_edge - start.objective) / (edge - now);
                    EXPECT_TRUE(near(solve(changed(inside), "").objective, start.objective + slope * (inside - now)))
                        << name << " " << item << " inside " << edge;
                    EXPECT_NE(solve(changed(edge - 1e-2 * (now - edge)), "").basic, start.basic)
                        << name << " " << item << " beyond " << edge;
                    ++ends;
                }
            }
        }
    }
    EXPECT_GT(ends, 100);
    std::printf("interval ends checked by re-solves: %d\n", ends);
}

// ---- glpsol --ranges on shared Netlib instances

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

// The St column of a glpsol solution report (-o) by name: rows and columns.
struct GlpkStatuses {
    std::map<std::string, std::string> rows, columns;
};

GlpkStatuses glpk_statuses(const fs::path& solution) {
    GlpkStatuses out;
    std::map<std::string, std::string>* section = nullptr;
    std::ifstream in(solution);
    for (std::string line; std::getline(in, line);) {
        if (line.find("Row name") != std::string::npos) section = &out.rows;
        if (line.find("Column name") != std::string::npos) section = &out.columns;
        std::istringstream words(line);
        std::string number, name, status;
        if (section == nullptr || !(words >> number >> name >> status)) continue;
        if (number.find_first_not_of("0123456789") == std::string::npos) (*section)[name] = status;
    }
    return out;
}

std::vector<std::string> csv_fields(const std::string& line) {
    std::vector<std::string> out(1);
    bool quoted = false;
    for (char c : line) {
        if (c == '"')
            quoted = !quoted;
        else if (c == ',' && !quoted)
            out.emplace_back();
        else
            out.back() += c;
    }
    return out;
}

std::string trimmed(std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

class GlpkRanges : public e2e::ScratchFolder {
  protected:
    void SetUp() override {
        e2e::ScratchFolder::SetUp();
        if (!fs::exists(netlib_)) GTEST_SKIP() << "shared instances not available";
        if (e2e::shell("command -v glpsol >/dev/null 2>&1") != 0) GTEST_SKIP() << "glpsol not installed";
    }

    // glpsol's price ranges and statuses of one instance; false when it fails.
    bool run_glpsol(const std::string& name, std::map<int, CostRange>* ranges, GlpkStatuses* statuses) {
        const fs::path plain = dir_ / (name + ".mps"), report = dir_ / (name + ".rng"),
                       solution = dir_ / (name + ".sol");
        if (e2e::shell("gzip -dc " + e2e::quoted((netlib_ / (name + ".mps.gz")).string()) + " > " +
                       e2e::quoted(plain.string())) != 0 ||
            e2e::shell("glpsol --mps " + e2e::quoted(plain.string()) + " --ranges " + e2e::quoted(report.string()) +
                       " -o " + e2e::quoted(solution.string()) + " >/dev/null 2>&1") != 0)
            return false;
        *ranges = glpk_cost_ranges(report);
        if (statuses != nullptr) *statuses = glpk_statuses(solution);
        return true;
    }

    // qmlp solve with the options; the JSON of its tables (null on failure).
    nlohmann::json run_qmlp(const std::string& name, const std::string& options) {
        const fs::path json = dir_ / (name + ".json");
        fs::remove(json);
        if (e2e::shell(e2e::quoted(e2e::qmlp_binary().string()) + " --json " + e2e::quoted(json.string()) + " solve " +
                       e2e::quoted((netlib_ / (name + ".mps.gz")).string()) + " " + options + " >/dev/null 2>&1") != 0)
            return nullptr;
        return nlohmann::json::parse(e2e::slurp(json));
    }

    // Compares the PriceRangeSummary of `doc` with glpsol's ranges over the
    // structural columns `take` accepts.
    template <typename Take>
    void compare(const std::string& name, const nlohmann::json& doc, const std::map<int, CostRange>& theirs,
                 Take take) {
        for (const auto& t : doc["tables"]) {
            if (t["name"] != "PriceRangeSummary") continue;
            for (const auto& r : t["rows"]) {
                const int col = r[0];
                const auto it = theirs.find(col);
                if (it == theirs.end() || !take(col, it->second)) continue;
                ++compared_;
                const bool same =
                    agrees(cell_number(r[2]), it->second.lower) && agrees(cell_number(r[6]), it->second.upper);
                agreeing_ += same;
                if (!same)
                    std::printf("%s column %d: [%g, %g] against glpsol [%g, %g]\n", name.c_str(), col,
                                cell_number(r[2]), cell_number(r[6]), it->second.lower, it->second.upper);
            }
        }
    }

    const fs::path netlib_ = fs::path(QMLP_SHARED_DIR) / "bench" / "netlib";
    int compared_ = 0;
    int agreeing_ = 0;
};

// Both programs range the basis each of them ended with; where a problem
// has several optimal bases they may differ, so the comparison counts the
// columns that are basic in both or nonbasic in both.
TEST_F(GlpkRanges, PriceRangesAgreeOnSharedNetlibInstances) {
    for (const std::string name : {"afiro", "sc50a", "sc50b", "kb2", "blend", "sc105", "adlittle", "stocfor1", "scagr7",
                                   "share1b", "israel", "recipe"}) {
        std::map<int, CostRange> theirs;
        ASSERT_TRUE(run_glpsol(name, &theirs, nullptr)) << name;
        const nlohmann::json doc = run_qmlp(name, "rangeprice");
        ASSERT_FALSE(doc.is_null()) << name;
        std::map<int, std::string> status;
        for (const auto& t : doc["tables"])
            if (t["name"] == "VariableSummary")
                for (const auto& r : t["rows"]) status[std::stoi(r[0].get<std::string>())] = r[2];
        compare(name, doc, theirs, [&](int col, const CostRange& range) {
            const bool basic = status[col] == "BASIC" || status[col] == "DEGEN";
            return status.count(col) != 0 && basic == range.basic;
        });
    }
    ASSERT_GT(compared_, 500);
    EXPECT_GE(agreeing_, 0.95 * compared_) << agreeing_ << " of " << compared_;
    std::printf("price ranges agreeing with glpsol: %d of %d\n", agreeing_, compared_);
}

// Started from glpsol's optimal basis (PRIMALIN made from qmlp's own
// PRIMALOUT with glpsol's statuses), qmlp takes no iteration and ranges the
// very same basis: every price range must agree.
TEST_F(GlpkRanges, PriceRangesOfTheSameBasisAgree) {
    for (const std::string name : {"afiro", "blend", "boeing2", "brandy", "capri", "israel", "kb2", "lotfi", "recipe",
                                   "sc105", "scagr7", "share2b", "stocfor1", "grow7"}) {
        std::map<int, CostRange> theirs;
        GlpkStatuses statuses;
        ASSERT_TRUE(run_glpsol(name, &theirs, &statuses)) << name;
        const fs::path out = dir_ / (name + "-out.csv"), in = dir_ / (name + "-in.csv");
        ASSERT_FALSE(run_qmlp(name, "primalout=" + e2e::quoted(out.string())).is_null()) << name;
        std::ifstream base(out);
        std::ofstream warm(in);
        std::string line;
        std::getline(base, line);
        warm << line << "\n";
        const std::vector<std::string> header = csv_fields(line);
        size_t var = 0, type = 0, status = 0;
        for (size_t k = 0; k < header.size(); ++k) {
            if (header[k].rfind("_VAR_", 0) == 0) var = k;
            if (header[k].rfind("_TYPE_", 0) == 0) type = k;
            if (header[k].rfind("_STATUS_", 0) == 0) status = k;
        }
        while (std::getline(base, line)) {
            std::vector<std::string> f = csv_fields(line);
            const std::string kind = trimmed(f[type]);
            const bool logical = kind == "SLACK" || kind == "SURPLUS" || kind == "ARTIFCL";
            const auto& names = logical ? statuses.rows : statuses.columns;
            const auto it = names.find(trimmed(f[var]));
            if (kind != "OBJECT" && it != names.end())
                f[status] = it->second == "B" ? "_BASIC_" : it->second == "NU" && !logical ? "_UPPER_" : "";
            for (size_t k = 0; k < f.size(); ++k) {
                const bool quote = f[k].find_first_of(",\"") != std::string::npos;
                warm << (k ? "," : "") << (quote ? "\"" : "") << f[k] << (quote ? "\"" : "");
            }
            warm << "\n";
        }
        warm.close();
        const nlohmann::json doc = run_qmlp(name, "rangeprice primalin=" + e2e::quoted(in.string()));
        ASSERT_FALSE(doc.is_null()) << name;
        for (const auto& t : doc["tables"])
            if (t["name"] == "SolutionSummary")
                for (const auto& r : t["rows"])
                    if (r[0] == "Phase 1 Iterations" || r[0] == "Phase 2 Iterations") {
                        EXPECT_EQ(r[1], 0) << name;
                    }
        compare(name, doc, theirs, [](int, const CostRange&) { return true; });
    }
    EXPECT_EQ(agreeing_, compared_);
    std::printf("price ranges of the same basis agreeing with glpsol: %d of %d\n", agreeing_, compared_);
}

}  // namespace
