// lp_reader_test.cpp -- LP-format texts read into the problem the procedure
// sees: sections and their spellings, rows from inequalities, bounds,
// integer columns and sets, and faults reported with their line.
#include <gtest/gtest.h>

#include "lp_test_support.h"

namespace qmlp::host::lp::testing {
namespace {

TEST(LpReader, EverySectionArrivesAsTheProblemMeant) {
    const Layout L = lp_layout(
        "\\ a comment line\n"
        "Maximize\n"
        " profit: 3 x + 2y - z + 4   \\ a constant of the objective\n"
        "Subject To\n"
        " c1: x + y\n"
        "     + z <= 10\n"         // an expression over two lines
        " c2: -2 <= x - y <= 5\n"  // a range
        " c3: x + 3 >= 1\n"        // a constant moves to the right
        " 7 >= y + z >= 1\n"       // a range written downwards, unnamed
        " c5: x + x + y = 4\n"     // a column named twice adds up
        " c6: y - z >= -inf\n"     // a free row
        "Bounds\n"
        " x <= 8\n"
        " -1 <= y <= 6\n"
        " z free\n"
        " w = 2.5\n"
        " 1 <= b\n"
        "Generals\n"
        " y\n"
        "Binaries\n"
        " b\n"
        "SOS\n"
        " pick: S1:: y:3 x:1 z:2\n"
        "End\n"
        "anything after End is ignored\n");
    ASSERT_EQ(L.row_order, (std::vector<std::string>{"profit", "c1", "c2", "c3", "R4", "c5", "c6"}));
    EXPECT_EQ(L.rows.at("profit").kind, "MAX");
    // The objective is c.x - b, so a constant 4 is b = -4.
    EXPECT_EQ(L.rows.at("profit").rhs.at("RHS"), -4);
    EXPECT_EQ(L.columns.at("y").coefficients.at("profit"), 2);
    EXPECT_EQ(L.columns.at("z").coefficients.at("profit"), -1);

    auto interval = [&](const std::string& row) { return row_interval(L.rows.at(row), "RHS"); };
    EXPECT_EQ(interval("c1").lo, -kInf);
    EXPECT_EQ(interval("c1").hi, 10);
    EXPECT_EQ(L.columns.at("z").coefficients.at("c1"), 1);
    EXPECT_EQ(interval("c2").lo, -2);
    EXPECT_EQ(interval("c2").hi, 5);
    EXPECT_EQ(interval("c3").lo, -2);
    EXPECT_EQ(interval("c3").hi, kInf);
    EXPECT_EQ(interval("R4").lo, 1);
    EXPECT_EQ(interval("R4").hi, 7);
    EXPECT_EQ(interval("c5").lo, 4);
    EXPECT_EQ(interval("c5").hi, 4);
    EXPECT_EQ(L.columns.at("x").coefficients.at("c5"), 2);
    EXPECT_EQ(L.rows.at("c6").kind, "FREE");

    EXPECT_EQ(L.columns.at("x").lower, 0);
    EXPECT_EQ(L.columns.at("x").upper, 8);
    EXPECT_EQ(L.columns.at("y").lower, -1);
    EXPECT_EQ(L.columns.at("y").upper, 6);
    EXPECT_TRUE(L.columns.at("y").integer);
    EXPECT_TRUE(L.columns.at("z").unrestricted);
    EXPECT_EQ(L.columns.at("w").lower, 2.5);
    EXPECT_EQ(L.columns.at("w").upper, 2.5);
    // Binary within the bounds given: [1, 1].
    EXPECT_EQ(L.columns.at("b").lower, 1);
    EXPECT_EQ(L.columns.at("b").upper, 1);
    // Members in the order of their weights.
    EXPECT_EQ(L.sos_sets.at("pick"), (std::vector<std::string>{"x", "z", "y"}));
}

TEST(LpReader, KeywordSpellingsAreOneFormat) {
    const char* const kObjective[] = {"Minimize", "MINIMISE", "minimum", "min"};
    const char* const kConstraints[] = {"Subject To", "such that", "ST", "s.t.", "st."};
    const char* const kIntegers[] = {"General", "Generals", "gen", "Integers"};
    const char* const kBinaries[] = {"Binary", "binaries", "BIN"};
    for (int k = 0; k < 5; ++k) {
        const std::string text = std::string(kObjective[k % 4]) + "\n obj: x + y\n" + kConstraints[k] +
                                 "\n c: x + y >= 1\nBounds\n x <= 4\n" + kIntegers[k % 4] + "\n x\n" +
                                 kBinaries[k % 3] + "\n y\nend\n";
        const Layout L = lp_layout(text);
        EXPECT_EQ(L.rows.at("obj").kind, "MIN") << text;
        EXPECT_TRUE(L.columns.at("x").integer) << text;
        EXPECT_TRUE(L.columns.at("y").binary) << text;
    }
    for (const char* word : {"Maximize", "maximise", "MAXIMUM", "max"}) {
        const Layout L = lp_layout(std::string(word) + "\n x\nst\n x <= 1\nend\n");
        EXPECT_EQ(L.rows.at("obj").kind, "MAX") << word;
    }
}

TEST(LpReader, NumbersNamesAndUnnamedRows) {
    // "2x" is 2 times x; "3 e1" is 3 times the column e1, "3e1" is 30.
    const Layout L =
        lp_layout("min\n 2x + 3 e1 + 3e1 y\nst\n R1: x >= 1\n x + e1 >= 2\n R2_x: y <= 3\n y >= -1e30\nend\n");
    EXPECT_EQ(L.columns.at("x").coefficients.at("obj"), 2);
    EXPECT_EQ(L.columns.at("e1").coefficients.at("obj"), 3);
    EXPECT_EQ(L.columns.at("y").coefficients.at("obj"), 30);
    // The second row has no name and R1 is taken: its name must not be R1.
    ASSERT_EQ(L.row_order.size(), 5u);
    EXPECT_NE(L.row_order[2], "R1");
    EXPECT_EQ(L.rows.count("R1"), 1u);
    // -1e30 is no limit: a free row.
    EXPECT_EQ(L.rows.at(L.row_order[4]).kind, "FREE");
}

TEST(LpReader, FaultsNameTheLineAndWhatWasExpected) {
    struct Case {
        const char* text;
        int64_t line;
        const char* says;
    };
    const Case kCases[] = {
        {"", 0, "expected Minimize or Maximize"},
        {"Subject To\n x >= 1\nEnd\n", 1, "expected Minimize or Maximize"},
        {"min\n x + y\nst\n c: x + y >= 1\n", 4, "missing End"},
        {"min\n x y\nst\nend\n", 2, "expected '+', '-'"},
        {"min\n x\nst\n c: x + y\n d: x >= 1\nend\n", 5, "a relation (<=, >=, =) in a constraint, found 'd'"},
        {"min\n x\nst\n c: x + y >= 2 z\nend\n", 4, "expected a new line after the right-hand side"},
        {"min\n x\nst\n c: x + y >= \nend\n", 5, "expected a number"},
        {"min\n x\nst\n c: x + y\nend\n", 5, "expected a relation"},
        {"min\n x\nst\n c: x >= 1\n c: x <= 3\nend\n", 5, "used twice"},
        {"min\n x\nst\n c: 1 <= x >= 0\nend\n", 4, "two '<=' or two '>='"},
        {"min\n x\nst\n c: 3 <= x <= 1\nend\n", 4, "exceeds the upper limit"},
        {"min\n x\nst\n c: x = inf\nend\n", 4, "finite right-hand side"},
        {"min\n x\nst\n c: x <= -inf\nend\n", 4, "no value for the row"},
        {"min\n x\nst\n c: x + [ x ^ 2 ] <= 1\nend\n", 4, "quadratic"},
        {"min\n x\nbounds\n x <=\nend\n", 5, "expected a number"},
        {"min\n x\nbounds\n x\nend\n", 5, "expected a relation (<=, >=, =) or 'free'"},
        {"min\n x\nbounds\n x >= inf\nend\n", 4, "lower bound of +infinity"},
        {"min\n x\nbounds\n 2 <= x >= 1\nend\n", 4, "two '<=' or two '>='"},
        {"min\n x\nbounds\n 5 x\nend\n", 4, "expected a column name"},
        {"min\n x\nsos\n s: S2:: x:1 y:2\nend\n", 4, "type 2"},
        {"min\n x\nsos\n s: S1:: x:1 x:2\nend\n", 4, "twice in the set"},
        {"min\n x\nsos\n s: S1::\nend\n", 5, "expected members"},
        {"min\n x\nsemi-continuous\n x\nend\n", 3, "semi-continuous"},
        {"min\n x\nst\n c: x >= 1\nst\n d: x <= 2\nend\n", 5, "appears twice"},
        {"min\n x\nmax\n y\nend\n", 3, "second objective"},
        {"min\n x\nst\n c: x >= 1e999\nend\n", 4, "outside the range"},
        {"min\n x + "
         "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\nend\n",
         2, "longer than"},
    };
    for (const Case& c : kCases) {
        ParsedLp p = parse_lp(c.text);
        EXPECT_FALSE(p.ok) << c.text;
        EXPECT_EQ(p.report.error.line, c.line) << c.text << "\n" << p.report.error.text;
        EXPECT_NE(p.report.error.text.find(c.says), std::string::npos) << c.text << "\n" << p.report.error.text;
    }
}

TEST(LpReader, ConventionsWorthAWordAreWarnings) {
    ParsedLp p = parse_lp("min\n x\nst\n c: x >= 1\nbounds\n x <= -2\n y <= 4\nend\n");
    ASSERT_TRUE(p.ok) << p.report.error.text;
    ASSERT_EQ(p.report.warnings.size(), 2u);
    // y appears first in Bounds: it is added, and said so.
    EXPECT_NE(p.report.warnings[0].text.find("'y'"), std::string::npos);
    EXPECT_EQ(p.report.warnings[0].line, 7);
    // An upper bound below the lower one is kept as written: the problem is
    // infeasible, not quietly changed.
    EXPECT_NE(p.report.warnings[1].text.find("no feasible point"), std::string::npos);
    EXPECT_EQ(p.model.columns[0].lower, 0);
    EXPECT_EQ(p.model.columns[0].upper, -2);
}

}  // namespace
}  // namespace qmlp::host::lp::testing
