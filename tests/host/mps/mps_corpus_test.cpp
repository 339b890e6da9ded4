// mps_corpus_test.cpp -- the hand-written files of tests/host/mps/corpus
// import with counts worked out by hand, and their rows get the intended
// intervals.  The same files seed the fuzz test.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "mps/mps_convert.h"
#include "mps_test_support.h"

namespace qmlp::host::mps::testing {
namespace {

std::string corpus_path(const std::string& name) {
    return std::string(QMLP_SOURCE_DIR) + "/tests/host/mps/corpus/" + name;
}

struct CorpusCase {
    const char* file;
    std::map<std::string, long long> counts;
};

class MpsCorpus : public ::testing::TestWithParam<CorpusCase> {};

TEST_P(MpsCorpus, SummaryMatchesTheHandCount) {
    const CorpusCase& c = GetParam();
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    ImportOptions options;
    options.input = corpus_path(c.file);
    options.output = "-";
    ASSERT_EQ(run_import(options, out, err), 0);
    std::rewind(err);
    std::string summary;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, err)) > 0) summary.append(buffer, n);
    std::fclose(out);
    std::fclose(err);
    std::map<std::string, long long> got = summary_numbers(summary);
    for (const auto& [label, value] : c.counts) EXPECT_EQ(got[label], value) << label << "\n" << summary;
}

INSTANTIATE_TEST_SUITE_P(HandCounted, MpsCorpus,
                         ::testing::Values(CorpusCase{"fixed_blanks.mps",
                                                      {{"less-or-equal", 1},
                                                       {"greater-or-equal", 1},
                                                       {"equality", 2},
                                                       {"ranged", 4},
                                                       {"free", 1},
                                                       {"Columns", 6},
                                                       {"upper bound only", 1},
                                                       {"both bounds", 1},
                                                       {"upper bound, unbounded below", 1},
                                                       {"fixed", 1},
                                                       {"integer", 1},
                                                       {"binary", 1},
                                                       {"Nonzeros", 13},
                                                       {"in objective", 4},
                                                       {"RHS sets", 1}}},
                                           CorpusCase{"free_all.mps",
                                                      {{"less-or-equal", 1},
                                                       {"greater-or-equal", 1},
                                                       {"equality", 2},
                                                       {"ranged", 3},
                                                       {"free", 0},
                                                       {"Columns", 9},
                                                       {"non-negative", 0},
                                                       {"lower bound only", 1},
                                                       {"upper bound only", 1},
                                                       {"upper bound, unbounded below", 1},
                                                       {"fixed", 1},
                                                       {"unrestricted", 2},
                                                       {"integer", 2},
                                                       {"binary", 1},
                                                       {"Nonzeros", 18},
                                                       {"in objective", 6},
                                                       {"RHS sets", 2}}},
                                           CorpusCase{"mip_markers.mps",
                                                      {{"less-or-equal", 1},
                                                       {"greater-or-equal", 1},
                                                       {"Columns", 4},
                                                       {"non-negative", 1},
                                                       {"integer", 1},
                                                       {"binary", 2},
                                                       {"Nonzeros", 9},
                                                       {"in objective", 4}}}),
                         [](const ::testing::TestParamInfo<CorpusCase>& info) {
                             std::string name = info.param.file;
                             return name.substr(0, name.find('.'));
                         });

TEST(MpsCorpusRows, FixedLayoutRowsGetTheirIntervals) {
    std::ifstream in(corpus_path("fixed_blanks.mps"));
    std::stringstream text;
    text << in.rdbuf();
    Parsed p = parse_text(text.str());
    ASSERT_TRUE(p.ok) << p.report.error.text;
    Layout layout = read_layout(write_text(p.model));
    ASSERT_EQ(layout.error, "");
    ASSERT_EQ(layout.rhs_names.size(), 1u);
    const std::string& rhs = layout.rhs_names[0];
    // LIM 1: L, rhs 4, range 2.5; LIM 2: G, rhs 1, range -3;
    // BAL 1: E, rhs 7, range -1; BAL 2: E, rhs 0, range 2.
    const struct {
        const char* row;
        double lo, hi;
    } expect[] = {{"LIM 1", 1.5, 4}, {"LIM 2", 1, 4}, {"BAL 1", 6, 7}, {"BAL 2", 0, 2}};
    for (const auto& e : expect) {
        Interval got = row_interval(layout.rows.at(e.row), rhs);
        EXPECT_EQ(got.lo, e.lo) << e.row;
        EXPECT_EQ(got.hi, e.hi) << e.row;
    }
    EXPECT_EQ(layout.rows.at("COST").rhs.at(rhs), -1.25);
    EXPECT_EQ(layout.rows.at("SPARE").kind, "FREE");
    EXPECT_EQ(layout.columns.at("W").lower, 3.0);
    EXPECT_TRUE(layout.columns.at("W").fixed);
}

}  // namespace
}  // namespace qmlp::host::mps::testing
