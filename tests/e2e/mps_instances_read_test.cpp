// Every shared benchmark instance, imported with `qmlp import-mps`, reads
// with the sparse reader without an error, and the counts the problem
// summary shows agree with the importer's own summary of the MPS file.
// Instances are read from the shared folder when it is present (never
// copied into the project).
#include <algorithm>
#include <cctype>
#include <map>
#include <sstream>

#include "../module/input/reader_fixture.h"
#include "e2e_support.h"
#include "report/problem_summary.h"

namespace {

using namespace tymlp;
namespace fs = std::filesystem;

std::vector<std::string> instances() {
    std::vector<std::string> out;
    const fs::path bench = fs::path(QMLP_SHARED_DIR) / "bench";
    std::error_code ec;
    if (!fs::is_directory(bench, ec)) return out;
    for (const auto& folder : fs::directory_iterator(bench, ec)) {
        if (!folder.is_directory()) continue;
        for (const auto& file : fs::directory_iterator(folder.path(), ec)) {
            const std::string name = file.path().filename().string();
            if (name.size() > 7 && name.compare(name.size() - 7, 7, ".mps.gz") == 0)
                out.push_back(folder.path().filename().string() + "/" + name.substr(0, name.size() - 7));
        }
    }
    std::sort(out.begin(), out.end());
    return out;
}

// "label: value" lines of the importer's summary.
std::map<std::string, long long> parse_summary(const std::string& text) {
    std::map<std::string, long long> out;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        const size_t colon = line.find(':');
        if (colon == std::string::npos) continue;
        size_t start = 0;
        while (start < colon && line[start] == ' ') ++start;
        try {
            out[line.substr(start, colon - start)] = std::stoll(line.substr(colon + 1));
        } catch (...) {}
    }
    return out;
}

class MpsInstances : public readertest::ReaderTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(MpsInstances, ReadsWithoutErrorsAndCountsAgree) {
    const std::string id = GetParam();
    const fs::path mps = fs::path(QMLP_SHARED_DIR) / "bench" / (id + ".mps.gz");
    const fs::path csv = dir_ / "instance.csv";
    const fs::path summary = dir_ / "summary.txt";
    ASSERT_EQ(
        e2e::shell(e2e::quoted(e2e::qmlp_binary().string()) + " import-mps " + e2e::quoted(mps.string()) + " -o " +
                   e2e::quoted(csv.string()) + " --summary > " + e2e::quoted(summary.string()) + " 2>/dev/null"),
        0);
    auto mps_counts = parse_summary(e2e::slurp(summary));

    data(e2e::slurp(csv));
    ASSERT_EQ(read_sparse(), 0);
    // Only the note of a missing right-hand side, for files without an RHS section.
    for (const auto& m : host_->messages) {
        const bool rhs_note = m.number == 251 && mps_counts["RHS sets"] == 0;
        EXPECT_TRUE(rhs_note) << "message " << m.number;
    }

    ProblemCounts c{};
    ASSERT_EQ(count_problem(ctx_, &c), 0);
    EXPECT_EQ(c.slack, mps_counts["less-or-equal"]);
    EXPECT_EQ(c.surplus, mps_counts["greater-or-equal"]);
    EXPECT_EQ(c.equality, mps_counts["equality"]);
    EXPECT_EQ(c.free_rows, mps_counts["free"]);
    EXPECT_EQ(c.objective_rows, 2);  // the phase-1 objective and the MPS objective
    EXPECT_EQ(c.structural, mps_counts["Columns"]);
    EXPECT_EQ(c.nonnegative, mps_counts["non-negative"]);
    EXPECT_EQ(c.lower_only, mps_counts["lower bound only"]);
    EXPECT_EQ(c.upper_only, mps_counts["upper bound only"] + mps_counts["upper bound, unbounded below"]);
    EXPECT_EQ(c.both_bounds, mps_counts["both bounds"]);
    EXPECT_EQ(c.fixed, mps_counts["fixed"]);
    EXPECT_EQ(c.unrestricted, mps_counts["unrestricted"]);
    EXPECT_EQ(c.integer - c.binary, mps_counts["integer"]);
    EXPECT_EQ(c.binary, mps_counts["binary"]);
    EXPECT_EQ(c.nonzeros, mps_counts["Nonzeros"]);
    EXPECT_EQ(ctx_->model.range_rows, mps_counts["ranged"]);
    const double rows = static_cast<double>(c.rows - c.objective_rows);
    const double cols = static_cast<double>(c.structural + c.slack + c.surplus);
    // The density of the constraint rows: the objective's coefficients are left out with its row.
    EXPECT_NEAR(c.density, 100.0 * static_cast<double>(mps_counts["Nonzeros"] - c.objective_nonzeros) / (rows * cols),
                1e-9);
}

INSTANTIATE_TEST_SUITE_P(Shared, MpsInstances, ::testing::ValuesIn(instances()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             std::string name = info.param;
                             for (char& ch : name)
                                 if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             return name;
                         });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(MpsInstances);

// The printed ProblemSummary of a real run shows the importer's counts.
class MpsSummaryRun : public e2e::ScratchFolder {};

TEST_F(MpsSummaryRun, ProblemSummaryOfAnImportedInstance) {
    const fs::path mps = fs::path(QMLP_SHARED_DIR) / "bench" / "miplib3" / "p0033.mps.gz";
    if (!fs::exists(mps)) GTEST_SKIP() << "shared instances absent";
    ASSERT_EQ(e2e::shell(e2e::quoted(e2e::qmlp_binary().string()) + " import-mps " + e2e::quoted(mps.string()) +
                         " -o " + e2e::quoted((dir_ / "p0033.csv").string()) + " 2>/dev/null"),
              0);
    const e2e::RunResult r = run("LP data=p0033 sparsedata maxit=0;\nRUN;\n");
    EXPECT_FALSE(e2e::contains(r.log, "ERROR")) << r.log;
    EXPECT_TRUE(e2e::contains(r.listing, "Problem Summary")) << r.listing;
    auto line_with = [&](const std::string& label) {
        std::istringstream in(r.listing);
        std::string line;
        while (std::getline(in, line))
            if (line.rfind(label, 0) == 0) return line;
        return std::string();
    };
    EXPECT_TRUE(e2e::contains(line_with("Binary"), " 33")) << r.listing;
    EXPECT_TRUE(e2e::contains(line_with("Less Than or Equal (LE)"), " 16")) << r.listing;
    EXPECT_TRUE(e2e::contains(line_with("Objective Function"), "Minimize R100")) << r.listing;
    // 100 x (131 - 33 objective coefficients) / (16 x 49)
    EXPECT_TRUE(e2e::contains(line_with("Problem Density (%)"), "12.50")) << r.listing;
}

}  // namespace
