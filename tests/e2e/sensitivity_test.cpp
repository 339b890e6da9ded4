// sensitivity_test.cpp -- PRICESEN and RHSSEN change vectors against
// re-solves: the sensitivity interval holds inside and breaks beyond its
// ends, the parametric walk's breakpoints bound pieces on which the optimal
// objective is linear, and PARARESTORE puts the optimal basis back.
#include <map>
#include <utility>

#include "analysis_oracle.h"

namespace {

using e2e::cell_number;
using e2e::near;

// The product mix with a price change vector (chairs up, desks down) and a
// right-hand side change vector on labour.
e2e::DenseProblem with_vectors() {
    e2e::DenseProblem p = e2e::product_mix();
    p.extra_columns = {{"_RHSSEN_", {0, 0, 1, 0}}};
    p.extra_rows = {{"costup", {"PRICESEN", {1, 0, -1}}}};
    return p;
}
const std::vector<double> kPriceVector = {1, 0, -1};

e2e::DenseProblem at_phi(const e2e::DenseProblem& base, bool price, double phi) {
    e2e::DenseProblem p = base;
    if (price)
        for (size_t j = 0; j < p.prices.size(); ++j) p.prices[j] += phi * kPriceVector[j];
    else
        p.rhs[1] += phi;
    return p;
}

// (phi, objective) pairs of a summary factoid: its finite ends in order.
std::vector<std::pair<double, double>> summary_ends(const nlohmann::json& factoid) {
    std::vector<std::pair<double, double>> ends;
    for (const auto& row : factoid["rows"]) {
        const std::string label = row[0];
        if ((label == "Minimum Phi" || label == "Maximum Phi") && row[1].is_number())
            ends.push_back({row[1].get<double>(), std::nan("")});
        if (label == "Objective Value" && !ends.empty()) ends.back().second = cell_number(row[1]);
    }
    return ends;
}

// The (phi, objective) points a walk reports: phi = 0, the end of the first
// interval towards the target, every log line, the end of the final report.
std::vector<std::pair<double, double>> walk_points(const nlohmann::json& doc, bool price, bool upward,
                                                   double objective) {
    const char* summary = price ? "PriceSensitivitySummary" : "RhsSensitivitySummary";
    std::vector<std::pair<double, double>> points{{0.0, objective}};
    const auto first = summary_ends(e2e::table_in(doc, summary));
    for (const auto& end : first)
        if ((end.first > 0.0) == upward) points.push_back(end);
    for (const auto& row : e2e::table_in(doc, price ? "PriceParametricLog" : "RhsParametricLog")["rows"])
        points.push_back({cell_number(row[5]), cell_number(row[4])});
    const auto last = summary_ends(e2e::table_in(doc, summary, 1));
    if (!last.empty()) points.push_back(last.back());
    return points;
}

// Midpoints between consecutive distinct points, with the objective the
// straight line between them predicts there.
std::vector<std::pair<double, double>> midpoints(const std::vector<std::pair<double, double>>& points) {
    std::vector<std::pair<double, double>> out;
    for (size_t k = 0; k + 1 < points.size(); ++k) {
        // Consecutive log lines repeat a breakpoint several steps share.
        if (near(points[k].first, points[k + 1].first, 1e-12)) continue;
        out.push_back({0.5 * (points[k].first + points[k + 1].first), 0.5 * (points[k].second + points[k + 1].second)});
    }
    return out;
}

class SensitivityOracle : public e2e::AnalysisOracle, public ::testing::WithParamInterface<bool> {};

TEST_P(SensitivityOracle, IntervalHoldsInsideAndBreaksBeyond) {
    const bool price = GetParam();
    const e2e::DenseProblem base = with_vectors();
    const e2e::Solved start = solve(base);
    ASSERT_EQ(start.exit_status, 0) << start.log;
    const auto ends = summary_ends(start.table(price ? "PriceSensitivitySummary" : "RhsSensitivitySummary"));
    ASSERT_EQ(ends.size(), 2u);
    EXPECT_LT(ends[0].first, 0.0);
    EXPECT_GT(ends[1].first, 0.0);
    EXPECT_FALSE(start.table(price ? "PriceActivities" : "RhsActivities")["rows"].empty());
    for (const auto& [phi, objective] : ends) {
        const e2e::Solved inside = solve(at_phi(base, price, phi * 0.999));
        EXPECT_EQ(inside.basic, start.basic) << phi;
        EXPECT_TRUE(near(inside.objective, start.objective + 0.999 * (objective - start.objective))) << phi;
        EXPECT_TRUE(near(solve(at_phi(base, price, phi)).objective, objective)) << phi;
        EXPECT_NE(solve(at_phi(base, price, phi * 1.01)).basic, start.basic) << phi;
    }
}

// Between two breakpoints one basis is optimal: the objective there is the
// straight line between the values reported at the breakpoints.
TEST_P(SensitivityOracle, ParametricBreakpointsBoundLinearPieces) {
    const bool price = GetParam();
    const e2e::DenseProblem base = with_vectors();
    for (const double target : {100.0, -100.0}) {
        const std::string option = std::string(price ? "pricephi=" : "rhsphi=") + std::to_string(target);
        const e2e::Solved walk = solve(base, option);
        ASSERT_EQ(walk.exit_status, 0) << walk.log;
        const auto points = walk_points(walk.doc, price, target > 0, walk.objective);
        ASSERT_GE(points.size(), 3u) << option;
        for (const auto& [phi, expected] : midpoints(points))
            EXPECT_TRUE(near(solve(at_phi(base, price, phi)).objective, expected)) << option << " at " << phi;
    }
}

bool same_ends(const std::vector<std::pair<double, double>>& a, const std::vector<std::pair<double, double>>& b) {
    if (a.size() != b.size()) return false;
    for (size_t k = 0; k < a.size(); ++k)
        if (!near(a[k].first, b[k].first, 1e-9) || !near(a[k].second, b[k].second, 1e-9)) return false;
    return true;
}

// Two vectors of the same kind: the second is analysed from the basis the
// first one's walk left, the optimal one again unless NOPARARESTORE kept the
// walk's last basis (which is then not optimal for the problem as it
// stands: the second vector is not analysed at all, or from another basis).
TEST_P(SensitivityOracle, PararestorePutsTheOptimalBasisBack) {
    const bool price = GetParam();
    e2e::DenseProblem twice = with_vectors();
    if (price)
        twice.extra_rows.push_back({"again", {"PRICESEN", {1, 0, -1}}});
    else
        twice.extra_columns.push_back({"again", {0, 0, 1, 0}});
    const std::string walk = price ? "pricephi=100" : "rhsphi=-300; rhssen _rhssen_ again";
    const char* summary = price ? "PriceSensitivitySummary" : "RhsSensitivitySummary";
    const e2e::Solved restored = solve(twice, walk);
    ASSERT_EQ(restored.exit_status, 0) << restored.log;
    const auto first = summary_ends(restored.table(summary));
    ASSERT_EQ(first.size(), 2u);
    // The second vector's summary follows the first one's and its final report.
    EXPECT_TRUE(same_ends(summary_ends(restored.table(summary, 2)), first));
    const e2e::Solved kept =
        solve(twice, price ? "pricephi=100 nopararestore" : "rhsphi=-300 nopararestore; rhssen _rhssen_ again");
    EXPECT_FALSE(same_ends(summary_ends(kept.table(summary, 2)), first));
}

// Walks through afiro, degenerate steps included, in both directions.
class NetlibWalks : public e2e::SparseOracle, public ::testing::WithParamInterface<bool> {};

TEST_P(NetlibWalks, BreakpointsBoundLinearPiecesOfAfiro) {
    const bool price = GetParam();
    const e2e::fs::path mps = e2e::fs::path(QMLP_SHARED_DIR) / "bench" / "netlib" / "afiro.mps.gz";
    if (!e2e::fs::exists(mps)) GTEST_SKIP() << "shared instances not available";
    const e2e::fs::path csv = dir_ / "afiro.csv";
    ASSERT_EQ(e2e::shell(e2e::quoted(e2e::qmlp_binary().string()) + " import-mps " + e2e::quoted(mps.string()) +
                         " -o " + e2e::quoted(csv.string()) + " >/dev/null 2>&1"),
              0);
    const e2e::SparseProblem base(e2e::slurp(csv));
    // A fixed change vector: some prices up, some down; some right-hand
    // sides up, some down.
    std::map<std::string, double> change;
    e2e::SparseProblem with_vector = base;
    if (price) {
        with_vector = with_vector.with_line({"PRICESEN", "", "along", ".", "", "."});
        const auto columns = base.columns();
        for (size_t k = 0; k < columns.size(); ++k)
            if (k % 3 == 0 || k % 5 == 0) change[columns[k]] = k % 3 == 0 ? 1.0 : -1.0;
        for (const auto& [column, p] : change)
            with_vector = with_vector.with_line({"", column, "along", std::to_string(p), "", "."});
    } else {
        const auto rows = base.constraint_rows();
        for (size_t k = 0; k < rows.size(); ++k)
            if (k % 4 == 0 || k % 7 == 0) change[rows[k]] = k % 4 == 0 ? 10.0 : -10.0;
        for (const auto& [row, q] : change)
            with_vector = with_vector.with_line({"RHSSEN", "along", row, std::to_string(q), "", "."});
    }
    auto at_phi = [&](double phi) {
        e2e::SparseProblem p = base;
        for (const auto& [item, v] : change)
            p = price ? p.with_price(item, base.value("", item, base.objective()) + phi * v)
                      : p.with_rhs(item, base.rhs(item) + phi * v);
        return p;
    };
    int checked = 0;
    for (const double target : {1000.0, -1000.0}) {
        const std::string option = std::string(price ? "pricephi=" : "rhsphi=") + std::to_string(target);
        const e2e::SparseSolve walk = solve(with_vector, option);
        ASSERT_TRUE(std::isfinite(walk.objective)) << option;
        for (const auto& [phi, expected] : midpoints(walk_points(walk.doc, price, target > 0, walk.objective))) {
            EXPECT_TRUE(near(solve(at_phi(phi), "").objective, expected)) << option << " at " << phi;
            ++checked;
        }
    }
    EXPECT_GE(checked, 4);
}

INSTANTIATE_TEST_SUITE_P(Vectors, NetlibWalks, ::testing::Values(true, false),
                         [](const auto& info) { return std::string(info.param ? "Price" : "Rhs"); });

class ChangeVectorEdges : public e2e::AnalysisOracle {};

// Nothing moves along a zero vector: both ends infinite, every price and
// reduced cost the same at both.
TEST_F(ChangeVectorEdges, AZeroVectorLeavesBothEndsInfinite) {
    e2e::DenseProblem p = e2e::product_mix();
    p.extra_rows = {{"still", {"PRICESEN", {0, 0, 0}}}};
    const e2e::Solved s = solve(p);
    ASSERT_EQ(s.exit_status, 0) << s.log;
    const auto& summary = s.table("PriceSensitivitySummary")["rows"];
    ASSERT_EQ(summary.size(), 2u);
    EXPECT_EQ(summary[0][1], "-INFINITY");
    EXPECT_EQ(summary[1][1], "INFINITY");
    const auto& lines = s.table("PriceActivities")["rows"];
    ASSERT_EQ(lines.size(), 6u);
    for (size_t j = 0; j < p.columns.size(); ++j) {
        EXPECT_EQ(lines[j][4], p.prices[j]);
        EXPECT_EQ(lines[j][6], p.prices[j]);
        EXPECT_EQ(lines[j][5], lines[j][7]);
    }
}

// An integer problem is analysed as its continuous problem, and says so.
TEST_F(ChangeVectorEdges, AnIntegerProblemIsAnalysedAsItsRelaxation) {
    e2e::DenseProblem p = with_vectors();
    p.extra_rows.push_back({"whole", {"INTEGER", {1, 1, 1}}});
    const e2e::Solved s = solve(p, "rangeprice");
    EXPECT_TRUE(e2e::contains(s.log, "continuous problem")) << s.log;
    EXPECT_FALSE(s.table("PriceRangeSummary")["rows"].empty());
    EXPECT_FALSE(s.table("PriceSensitivitySummary")["rows"].empty());
}

INSTANTIATE_TEST_SUITE_P(Vectors, SensitivityOracle, ::testing::Values(true, false),
                         [](const auto& info) { return std::string(info.param ? "Price" : "Rhs"); });

}  // namespace
