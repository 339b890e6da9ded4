// problem_text_writers_test.cpp -- a model written as an LP or MPS text and
// read back is the same problem: row intervals, bounds, integrality, sets,
// the objective constant; names a format cannot carry are renamed apart,
// and what it cannot say is refused.
#include <gtest/gtest.h>

#include <sstream>

#include "lp/problem_text_writers.h"
#include "lp_test_support.h"

namespace qmlp::host::lp::testing {
namespace {

// An MPS problem that uses every row kind, every range rule, a negative
// upper bound on a column with a lower bound of 0, the objective constant,
// and names neither text format takes as they are.
const char* const kSource =
    "NAME TRICKY\n"
    "OBJSENSE\n    MAX\n"
    "ROWS\n N COST\n L 1LIM\n G LIM-2\n E EQ+RNGPOS\n E EQ-RNGNEG\n L LRNG\n G GRNG\n N SPARE\n E end\n"
    "COLUMNS\n X-1 COST 1 1LIM 1\n X-1 LIM-2 1 EQ+RNGPOS 1\n M1 'MARKER' 'INTORG'\n free COST 2 1LIM 1\n"
    " free EQ-RNGNEG -1 end 1\n M2 'MARKER' 'INTEND'\n X3 COST -1 LRNG 1\n X3 GRNG 2 SPARE 1\n"
    " X4 COST 0.5 GRNG 1\n X5 end 1\n BIN LRNG 1\n"
    "RHS\n RHS 1LIM 4 LIM-2 1\n RHS EQ+RNGPOS 7 COST -2\n RHS EQ-RNGNEG 3 LRNG 5\n RHS GRNG 1 end 3\n"
    "RANGES\n RNG EQ+RNGPOS 2 EQ-RNGNEG -1.5\n RNG LRNG 2 GRNG -3\n"
    "BOUNDS\n UP BND X-1 4\n LO BND free -1\n UP BND free 1e6\n MI BND X3\n UP BND X3 9\n"
    " LO BND X4 0\n UP BND X4 -2\n FX BND X5 1.25\n BV BND BIN\n"
    "ENDATA\n";

mps::Model source_model() {
    mps::testing::Parsed p = mps::testing::parse_text(kSource);
    EXPECT_TRUE(p.ok) << p.report.error.line << ": " << p.report.error.text;
    return p.model;
}

// Compares the problems two data sets describe, matching rows by position
// and columns by their names as `written` gives them (an LP text lists
// columns in the order it first meets them).
void expect_same_problem(const Layout& a, const Layout& b, const std::string& text,
                         std::string (*written)(const std::string&)) {
    ASSERT_EQ(a.row_order.size(), b.row_order.size()) << text;
    ASSERT_EQ(a.column_order.size(), b.column_order.size()) << text;
    const std::string rhs_a = a.rhs_names.empty() ? "" : a.rhs_names[0];
    const std::string rhs_b = b.rhs_names.empty() ? "" : b.rhs_names[0];
    std::map<std::string, std::string> row_of;
    for (std::size_t i = 0; i < a.row_order.size(); ++i) {
        const auto& ra = a.rows.at(a.row_order[i]);
        const auto& rb = b.rows.at(b.row_order[i]);
        row_of[a.row_order[i]] = b.row_order[i];
        const bool objective = ra.kind == "MIN" || ra.kind == "MAX";
        if (objective) {
            EXPECT_EQ(ra.kind, rb.kind) << text;
            const double ca = ra.rhs.count(rhs_a) ? ra.rhs.at(rhs_a) : 0.0;
            const double cb = rb.rhs.count(rhs_b) ? rb.rhs.at(rhs_b) : 0.0;
            EXPECT_EQ(ca, cb) << "objective constant\n" << text;
            continue;
        }
        EXPECT_EQ(row_interval(ra, rhs_a).lo, row_interval(rb, rhs_b).lo) << a.row_order[i] << "\n" << text;
        EXPECT_EQ(row_interval(ra, rhs_a).hi, row_interval(rb, rhs_b).hi) << a.row_order[i] << "\n" << text;
    }
    for (std::size_t j = 0; j < a.column_order.size(); ++j) {
        const auto& ca = a.columns.at(a.column_order[j]);
        ASSERT_EQ(b.columns.count(written(a.column_order[j])), 1u) << a.column_order[j] << "\n" << text;
        const auto& cb = b.columns.at(written(a.column_order[j]));
        const double lower_a = ca.unrestricted && !ca.lower_given ? -kInf : ca.lower;
        const double lower_b = cb.unrestricted && !cb.lower_given ? -kInf : cb.lower;
        EXPECT_EQ(lower_a, lower_b) << a.column_order[j] << "\n" << text;
        EXPECT_EQ(ca.upper, cb.upper) << a.column_order[j] << "\n" << text;
        EXPECT_EQ(ca.integer || ca.binary, cb.integer || cb.binary) << a.column_order[j] << "\n" << text;
        std::map<std::string, double> nonzero_a;
        for (const auto& [row, value] : ca.coefficients)
            if (value != 0.0) nonzero_a[row_of.at(row)] = value;
        std::map<std::string, double> nonzero_b;
        for (const auto& [row, value] : cb.coefficients)
            if (value != 0.0) nonzero_b[row] = value;
        EXPECT_EQ(nonzero_a, nonzero_b) << a.column_order[j] << "\n" << text;
    }
}

TEST(ProblemTextWriters, LpTextReadsBackAsTheSameProblem) {
    const mps::Model model = source_model();
    std::ostringstream text;
    TextWriteResult result;
    ASSERT_TRUE(write_lp_text(model, text, result)) << result.error;
    const Layout original = read_layout(mps::testing::write_text(model));
    const Layout back = lp_layout(text.str());
    expect_same_problem(original, back, text.str(), [](const std::string& name) { return legal_lp_name(name); });
    // Renamed: a leading digit, operators, and the keywords "free" and
    // "end" and "BIN"; each renaming is told.
    EXPECT_EQ(back.row_order[1], "_1LIM");
    EXPECT_EQ(back.row_order[2], "LIM_2");
    EXPECT_EQ(back.row_order.back(), "end_");
    EXPECT_EQ(back.column_order[1], "free_");
    EXPECT_EQ(result.notes.size(), 8u) << ::testing::PrintToString(result.notes);
}

TEST(ProblemTextWriters, MpsTextReadsBackAsTheSameProblem) {
    const mps::Model model = source_model();
    std::ostringstream text;
    TextWriteResult result;
    ASSERT_TRUE(write_mps_text(model, text, result)) << result.error;
    EXPECT_TRUE(result.notes.empty());
    mps::testing::Parsed back = mps::testing::parse_text(text.str());
    ASSERT_TRUE(back.ok) << back.report.error.line << ": " << back.report.error.text << "\n" << text.str();
    // The negative upper bound keeps its explicit lower bound of 0.
    for (const auto& warning : back.report.warnings)
        EXPECT_EQ(warning.text.find("minus infinity"), std::string::npos) << warning.text;
    expect_same_problem(read_layout(mps::testing::write_text(model)), read_layout(mps::testing::write_text(back.model)),
                        text.str(), [](const std::string& name) { return name; });
}

TEST(ProblemTextWriters, WhatAFormatCannotSayIsRefused) {
    mps::Model model = source_model();
    model.rhs_sets.push_back({"SECOND", {{1, 2.0}}});
    std::ostringstream text;
    TextWriteResult result;
    EXPECT_FALSE(write_lp_text(model, text, result));
    EXPECT_NE(result.error.find("right-hand sides"), std::string::npos);
    // Several right-hand sides are at home in an MPS file.
    TextWriteResult mps_result;
    EXPECT_TRUE(write_mps_text(model, text, mps_result)) << mps_result.error;

    model = source_model();
    model.sos_sets.push_back({"ONE", true, {0, 2}});
    TextWriteResult exactly_one;
    EXPECT_FALSE(write_lp_text(model, text, exactly_one));
    EXPECT_NE(exactly_one.error.find("exactly one"), std::string::npos);
    model.sos_sets.back().exactly_one = false;
    TextWriteResult at_most_one;
    EXPECT_TRUE(write_lp_text(model, text, at_most_one)) << at_most_one.error;
    TextWriteResult sets_in_mps;
    EXPECT_FALSE(write_mps_text(model, text, sets_in_mps));
    EXPECT_NE(sets_in_mps.error.find("special ordered sets"), std::string::npos);
}

TEST(ProblemTextWriters, RenamedNamesStayApartAndLegal) {
    // "a-b" and "a_b" would both become "a_b": the renamed one moves on.
    EXPECT_EQ(legal_lp_name("a_b"), "a_b");
    EXPECT_EQ(legal_lp_name("a-b"), "a_b");
    EXPECT_EQ(legal_lp_name(".5x"), "_.5x");
    EXPECT_EQ(legal_lp_name("INF"), "INF_");
    mps::Model model;
    model.rows.push_back({"obj", mps::RowKind::Free, false, 0.0});
    model.objective = 0;
    for (const char* name : {"a-b", "a_b", "a+b"}) {
        mps::Column c;
        c.name = name;
        c.entries.push_back({0, 1.0});
        model.columns.push_back(c);
    }
    std::ostringstream text;
    TextWriteResult result;
    ASSERT_TRUE(write_lp_text(model, text, result));
    ParsedLp back = parse_lp(text.str());
    ASSERT_TRUE(back.ok) << back.report.error.text << "\n" << text.str();
    ASSERT_EQ(back.model.columns.size(), 3u) << text.str();
    EXPECT_EQ(back.model.columns[1].name, "a_b");
    EXPECT_NE(back.model.columns[0].name, back.model.columns[2].name);
}

}  // namespace
}  // namespace qmlp::host::lp::testing
