// mps_reader_test.cpp -- sections, layouts, bounds and faults of the MPS reader.
#include <gtest/gtest.h>

#include "mps_test_support.h"

namespace qmlp::host::mps::testing {
namespace {

// A small problem in free form that touches every section.
const char* const kFreeProblem =
    "NAME TESTLP\n"
    "ROWS\n"
    " N COST\n"
    " L LIM1\n"
    " G LIM2\n"
    " E MYEQN\n"
    "COLUMNS\n"
    " X1 COST 1 LIM1 1\n"
    " X1 LIM2 1\n"
    " X2 COST 2 LIM1 1\n"
    " X2 MYEQN -1\n"
    " X3 COST -1 MYEQN 1\n"
    "RHS\n"
    " RHS LIM1 4 LIM2 1\n"
    " RHS MYEQN 7\n"
    "RANGES\n"
    " RNG LIM1 2.5\n"
    "BOUNDS\n"
    " UP BND X1 4\n"
    " LO BND X2 -1\n"
    " UP BND X2 1\n"
    "ENDATA\n";

TEST(MpsReader, FreeFormProblemReadsEverySection) {
    Parsed p = parse_text(kFreeProblem);
    ASSERT_TRUE(p.ok) << p.report.error.line << ": " << p.report.error.text;
    const Model& m = p.model;
    EXPECT_EQ(m.problem_name, "TESTLP");
    ASSERT_EQ(m.rows.size(), 4u);
    EXPECT_EQ(m.objective, 0);
    EXPECT_EQ(m.rows[1].kind, RowKind::LessEqual);
    EXPECT_EQ(m.rows[2].kind, RowKind::GreaterEqual);
    EXPECT_EQ(m.rows[3].kind, RowKind::Equal);
    ASSERT_EQ(m.columns.size(), 3u);
    EXPECT_EQ(m.columns[0].entries.size(), 3u);
    EXPECT_EQ(m.columns[1].entries[2].index, 3);
    EXPECT_EQ(m.columns[1].entries[2].value, -1.0);
    ASSERT_EQ(m.rhs_sets.size(), 1u);
    EXPECT_EQ(m.rhs_sets[0].name, "RHS");
    EXPECT_EQ(m.rhs_sets[0].entries.size(), 3u);
    EXPECT_TRUE(m.rows[1].has_range);
    EXPECT_EQ(m.rows[1].range, 2.5);
    EXPECT_EQ(m.columns[0].upper, 4.0);
    EXPECT_EQ(m.columns[1].lower, -1.0);
    EXPECT_EQ(m.columns[1].upper, 1.0);
    EXPECT_EQ(m.columns[2].lower, 0.0);
    EXPECT_TRUE(std::isinf(m.columns[2].upper));
}

TEST(MpsReader, FixedFormWithBlanksInNamesMatchesFreeForm) {
    // Same problem as kFreeProblem, fixed columns; "MY EQN" and "X 3" hold
    // blanks, the RHS set name is left blank.
    const std::string fixed =
        "NAME          TESTLP\n"
        "ROWS\n" +
        fixed_line({"N", "COST"}) + fixed_line({"L", "LIM1"}) + fixed_line({"G", "LIM2"}) +
        fixed_line({"E", "MY EQN"}) + "COLUMNS\n" + fixed_line({"", "X1", "COST", "1.", "LIM1", "1."}) +
        fixed_line({"", "X1", "LIM2", "1."}) + fixed_line({"", "X2", "COST", "2.", "LIM1", "1."}) +
        fixed_line({"", "X2", "MY EQN", "-1."}) + fixed_line({"", "X 3", "COST", "-1.", "MY EQN", "1."}) + "RHS\n" +
        fixed_line({"", "", "LIM1", "4.", "LIM2", "1."}) + fixed_line({"", "", "MY EQN", "7."}) + "RANGES\n" +
        fixed_line({"", "RNG", "LIM1", "2.5"}) + "BOUNDS\n" + fixed_line({"UP", "BND", "X1", "4."}) +
        fixed_line({"LO", "BND", "X2", "-1."}) + fixed_line({"UP", "BND", "X2", "1."}) + "ENDATA\n";
    Parsed f = parse_text(fixed);
    ASSERT_TRUE(f.ok) << f.report.error.line << ": " << f.report.error.text;
    Parsed p = parse_text(kFreeProblem);
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(f.model.rows[3].name, "MY EQN");
    EXPECT_EQ(f.model.columns[2].name, "X 3");
    EXPECT_EQ(f.model.rhs_sets[0].name, "");
    ASSERT_EQ(f.model.columns.size(), p.model.columns.size());
    for (std::size_t j = 0; j < p.model.columns.size(); ++j) {
        const Column& a = f.model.columns[j];
        const Column& b = p.model.columns[j];
        ASSERT_EQ(a.entries.size(), b.entries.size()) << j;
        for (std::size_t k = 0; k < a.entries.size(); ++k) {
            EXPECT_EQ(a.entries[k].index, b.entries[k].index);
            EXPECT_EQ(a.entries[k].value, b.entries[k].value);
        }
        EXPECT_EQ(a.lower, b.lower);
        EXPECT_EQ(a.upper, b.upper);
    }
    ASSERT_EQ(f.model.rhs_sets[0].entries.size(), 3u);
    EXPECT_EQ(f.model.rhs_sets[0].entries[2].value, 7.0);
    EXPECT_EQ(f.model.rows[1].range, 2.5);
}

TEST(MpsReader, CommentsBlankLinesCrlfAndTextAfterEndataAreIgnored) {
    Parsed p = parse_text(
        "* a comment\r\n"
        "NAME          P  (SOME NOTE)\r\n"
        "\r\n"
        "ROWS\r\n"
        "*  another comment\r\n"
        " N  OBJ\r\n"
        "COLUMNS\r\n"
        "    X         OBJ       1\r\n"
        "ENDATA\r\n"
        "IMPORTANCES\r\n"
        "G13           2\r\n");
    ASSERT_TRUE(p.ok) << p.report.error.text;
    EXPECT_EQ(p.model.problem_name, "P  (SOME NOTE)");
    EXPECT_EQ(p.model.columns.size(), 1u);
    EXPECT_TRUE(p.model.rhs_sets.empty());
}

TEST(MpsReader, ObjectiveSenseAndObjectiveChoice) {
    const char* body = "ROWS\n N C1\n N C2\n L R\nCOLUMNS\n X C1 1 C2 2\n X R 1\nENDATA\n";
    Parsed plain = parse_text(std::string("NAME\n") + body);
    ASSERT_TRUE(plain.ok) << plain.report.error.text;
    EXPECT_FALSE(plain.model.maximize);
    EXPECT_EQ(plain.model.objective, 0);  // the first N row

    Parsed next_line = parse_text(std::string("NAME x\nOBJSENSE\n    MAX\n") + body);
    ASSERT_TRUE(next_line.ok) << next_line.report.error.text;
    EXPECT_TRUE(next_line.model.maximize);

    Parsed same_line = parse_text(std::string("NAME x\nOBJSENSE MAXIMIZE\n") + body);
    ASSERT_TRUE(same_line.ok);
    EXPECT_TRUE(same_line.model.maximize);

    Parsed minimise = parse_text(std::string("OBJSENSE\n MIN\n") + body);
    ASSERT_TRUE(minimise.ok);
    EXPECT_FALSE(minimise.model.maximize);

    Parsed named = parse_text(std::string("OBJNAME C2\n") + body);
    ASSERT_TRUE(named.ok) << named.report.error.text;
    EXPECT_EQ(named.model.objective, 1);

    Parsed bad = parse_text(std::string("OBJSENSE\n UP\n") + body);
    ASSERT_FALSE(bad.ok);
    EXPECT_EQ(bad.report.error.line, 2);
    Parsed not_n = parse_text(std::string("OBJNAME R\n") + body);
    ASSERT_FALSE(not_n.ok);
    EXPECT_NE(not_n.report.error.text.find("not an N row"), std::string::npos);
}

TEST(MpsReader, IntegerMarkersDelimitIntegerColumns) {
    Parsed p = parse_text(
        "NAME\nROWS\n N OBJ\n L R\nCOLUMNS\n"
        " A OBJ 1 R 1\n"
        "    MARKER                 'MARKER'                 'INTORG'\n"
        " B OBJ 1 R 1\n"
        " C OBJ 1\n"
        " M1 'MARKER' 'INTEND'\n"
        " D OBJ 1 R 1\n"
        "ENDATA\n");
    ASSERT_TRUE(p.ok) << p.report.error.text;
    ASSERT_EQ(p.model.columns.size(), 4u);
    EXPECT_FALSE(p.model.columns[0].integer);
    EXPECT_TRUE(p.model.columns[1].integer);
    EXPECT_TRUE(p.model.columns[2].integer);
    EXPECT_FALSE(p.model.columns[3].integer);
    // An integer column without bounds keeps [0, +inf).
    EXPECT_EQ(p.model.columns[1].lower, 0.0);
    EXPECT_TRUE(std::isinf(p.model.columns[1].upper));
}

struct BoundCase {
    const char* lines;  // BOUNDS lines for column X
    double lower, upper;
    bool integer;
};

class MpsBounds : public ::testing::TestWithParam<BoundCase> {};

TEST_P(MpsBounds, GiveTheColumnItsBounds) {
    const BoundCase& c = GetParam();
    std::string text = std::string("NAME\nROWS\n N OBJ\nCOLUMNS\n X OBJ 1\nBOUNDS\n") + c.lines + "ENDATA\n";
    Parsed p = parse_text(text);
    ASSERT_TRUE(p.ok) << c.lines << " -> " << p.report.error.text;
    const Column& x = p.model.columns[0];
    EXPECT_EQ(x.lower, c.lower) << c.lines;
    EXPECT_EQ(x.upper, c.upper) << c.lines;
    EXPECT_EQ(x.integer, c.integer) << c.lines;
}

INSTANTIATE_TEST_SUITE_P(
    EveryKind, MpsBounds,
    ::testing::Values(BoundCase{" UP B X 4\n", 0, 4, false}, BoundCase{" LO B X 2\n", 2, kInf, false},
                      BoundCase{" LO B X -3\n UP B X 5\n", -3, 5, false}, BoundCase{" FX B X 2.5\n", 2.5, 2.5, false},
                      BoundCase{" FR B X\n", -kInf, kInf, false}, BoundCase{" MI B X\n", -kInf, kInf, false},
                      BoundCase{" MI B X\n UP B X 3\n", -kInf, 3, false},
                      BoundCase{" UP B X 3\n PL B X\n", 0, kInf, false}, BoundCase{" BV B X\n", 0, 1, true},
                      BoundCase{" BV B X 1\n", 0, 1, true}, BoundCase{" BV X\n", 0, 1, true},
                      BoundCase{" LI B X 2\n UI B X 9\n", 2, 9, true}, BoundCase{" UP X 4\n", 0, 4, false},
                      BoundCase{" UP B X 1e30\n", 0, kInf, false}, BoundCase{" LO B X -1e30\n", -kInf, kInf, false},
                      BoundCase{" LO B X -Inf\n", -kInf, kInf, false},
                      // A negative upper bound without a lower bound: unbounded below.
                      BoundCase{" UP B X -2\n", -kInf, -2, false},
                      // ... but not when a lower bound came first.
                      BoundCase{" LO B X -5\n UP B X -2\n", -5, -2, false},
                      BoundCase{" UP B X -2\n LO B X -5\n", -5, -2, false}, BoundCase{" UI B X -1\n", -kInf, -1, true},
                      BoundCase{" UP B X 0\n", 0, 0, false}));

TEST(MpsReader, NegativeUpperBoundConventionIsReported) {
    Parsed p = parse_text("NAME\nROWS\n N OBJ\nCOLUMNS\n X OBJ 1\nBOUNDS\n UP B X -2\nENDATA\n");
    ASSERT_TRUE(p.ok);
    ASSERT_EQ(p.report.warnings.size(), 1u);
    EXPECT_EQ(p.report.warnings[0].line, 7);
    EXPECT_NE(p.report.warnings[0].text.find("minus infinity"), std::string::npos);
}

TEST(MpsReader, SeveralRhsSetsAndAnObjectiveConstantAreKept) {
    Parsed p = parse_text(
        "NAME\nROWS\n N OBJ\n L R\nCOLUMNS\n X OBJ 1 R 1\nRHS\n"
        " B1 R 4 OBJ -2.5\n"
        " B2 R 8\n"
        "ENDATA\n");
    ASSERT_TRUE(p.ok) << p.report.error.text;
    ASSERT_EQ(p.model.rhs_sets.size(), 2u);
    EXPECT_EQ(p.model.rhs_sets[0].name, "B1");
    EXPECT_EQ(p.model.rhs_sets[0].entries[1].index, 0);
    EXPECT_EQ(p.model.rhs_sets[0].entries[1].value, -2.5);
    EXPECT_EQ(p.model.rhs_sets[1].entries[0].value, 8.0);
    EXPECT_TRUE(count_model(p.model, false).objective_constant);
}

TEST(MpsReader, RangeOnAnNRowIsIgnoredWithAWarning) {
    Parsed p = parse_text("NAME\nROWS\n N OBJ\n N F\nCOLUMNS\n X OBJ 1 F 1\nRANGES\n R F 3\nENDATA\n");
    ASSERT_TRUE(p.ok) << p.report.error.text;
    EXPECT_FALSE(p.model.rows[1].has_range);
    ASSERT_EQ(p.report.warnings.size(), 1u);
    EXPECT_EQ(p.report.warnings[0].line, 8);
}

TEST(MpsReader, NumbersInEveryWrittenForm) {
    Parsed p = parse_text(
        "NAME\nROWS\n N OBJ\n L R1\n L R2\n L R3\nCOLUMNS\n"
        " X OBJ +1.5 R1 -.25\n X R2 1.D2 R3 2e-3\nENDATA\n");
    ASSERT_TRUE(p.ok) << p.report.error.text;
    const auto& e = p.model.columns[0].entries;
    EXPECT_EQ(e[0].value, 1.5);
    EXPECT_EQ(e[1].value, -0.25);
    EXPECT_EQ(e[2].value, 100.0);
    EXPECT_EQ(e[3].value, 0.002);
}

struct FaultCase {
    const char* name;
    const char* text;
    int line;
    const char* words;  // expected in the message
};

class MpsFaults : public ::testing::TestWithParam<FaultCase> {};

TEST_P(MpsFaults, AreReportedWithTheirLine) {
    const FaultCase& c = GetParam();
    Parsed p = parse_text(c.text);
    ASSERT_FALSE(p.ok) << c.name;
    EXPECT_EQ(p.report.error.line, c.line) << c.name << ": " << p.report.error.text;
    EXPECT_NE(p.report.error.text.find(c.words), std::string::npos) << c.name << ": " << p.report.error.text;
}

#define HEAD "NAME\nROWS\n N OBJ\n L R\nCOLUMNS\n X OBJ 1 R 1\n"  // lines 1-6

INSTANTIATE_TEST_SUITE_P(
    EveryFault, MpsFaults,
    ::testing::Values(
        FaultCase{"unknown section", HEAD "FOO\nENDATA\n", 7, "unknown section 'FOO'"},
        FaultCase{"control bytes masked", HEAD "\x1b[2J\nENDATA\n", 7, "unknown section '?[2J'"},
        FaultCase{"unknown row in COLUMNS", HEAD " Y Q 1\nENDATA\n", 7, "unknown row 'Q'"},
        FaultCase{"unknown row in RHS", HEAD "RHS\n B Q 1\nENDATA\n", 8, "unknown row 'Q'"},
        FaultCase{"unknown row in RANGES", HEAD "RANGES\n G Q 1\nENDATA\n", 8, "unknown row 'Q'"},
        FaultCase{"unknown column in BOUNDS", HEAD "BOUNDS\n UP B Y 1\nENDATA\n", 8, "unknown column 'Y'"},
        FaultCase{"non-numeric coefficient", HEAD " Y R abc\nENDATA\n", 7, "non-numeric value 'abc'"},
        FaultCase{"non-numeric rhs", HEAD "RHS\n B R 1x\nENDATA\n", 8, "non-numeric value '1x'"},
        FaultCase{"non-numeric bound", HEAD "BOUNDS\n UP B X ten\nENDATA\n", 8, "non-numeric value 'ten'"},
        FaultCase{"nan value", HEAD " Y R nan\nENDATA\n", 7, "non-numeric"},
        FaultCase{"infinite coefficient", HEAD " Y R inf\nENDATA\n", 7, "infinite"},
        FaultCase{"duplicate row", "NAME\nROWS\n N OBJ\n L R\n G R\nCOLUMNS\nENDATA\n", 5, "duplicate row name 'R'"},
        FaultCase{"duplicate coefficient", HEAD " X R 2\nENDATA\n", 7, "duplicate entry for column 'X' in row 'R'"},
        FaultCase{"duplicate in one line", "NAME\nROWS\n N OBJ\nCOLUMNS\n X OBJ 1 OBJ 2\nENDATA\n", 5,
                  "duplicate entry"},
        FaultCase{"column reappears", HEAD " Y R 1\n X OBJ 3\nENDATA\n", 8, "appears again"},
        FaultCase{"duplicate rhs", HEAD "RHS\n B R 1\n B R 2\nENDATA\n", 9, "duplicate RHS entry for row 'R'"},
        FaultCase{"duplicate range", HEAD "RANGES\n G R 1\n G R 2\nENDATA\n", 9, "duplicate RANGES entry"},
        FaultCase{"duplicate bound", HEAD "BOUNDS\n UP B X 1\n UP B X 2\nENDATA\n", 9, "duplicate UP bound"},
        FaultCase{"semi-continuous", HEAD "BOUNDS\n SC B X 5\nENDATA\n", 8, "semi-continuous bound (SC)"},
        FaultCase{"unknown bound type", HEAD "BOUNDS\n XX B X 5\nENDATA\n", 8, "unknown bound type 'XX'"},
        FaultCase{"bound without value", HEAD "BOUNDS\n UP B X\nENDATA\n", 8, "has no value"},
        FaultCase{"infinite fixed value", HEAD "BOUNDS\n FX B X 1e30\nENDATA\n", 8, "infinite fixed value"},
        FaultCase{"second bound set", HEAD "BOUNDS\n UP B X 1\n LO C X 0\nENDATA\n", 9, "second bound set 'C'"},
        FaultCase{"second range set", HEAD "RANGES\n G R 1\n H OBJ 1\nENDATA\n", 9, "second range set 'H'"},
        FaultCase{"missing ENDATA", HEAD "RHS\n B R 1\n", 8, "missing ENDATA"},
        FaultCase{"empty file", "", 1, "empty file"}, FaultCase{"only comments", "* nothing\n", 1, "missing ENDATA"},
        FaultCase{"data before any section", " X OBJ 1\nNAME\n", 1, "outside a section"},
        FaultCase{"unknown row type", "NAME\nROWS\n N OBJ\n Q R\nCOLUMNS\nENDATA\n", 4, "unknown row type 'Q'"},
        FaultCase{"no objective row", "NAME\nROWS\n L R\nCOLUMNS\n X R 1\nENDATA\n", 4, "no N row"},
        FaultCase{"columns before rows", "NAME\nCOLUMNS\n X R 1\nENDATA\n", 2, "before ROWS"},
        FaultCase{"rows after columns", HEAD "ROWS\nENDATA\n", 7, "out of order"},
        FaultCase{"rhs before columns", "NAME\nROWS\n N OBJ\nRHS\nENDATA\n", 4, "before COLUMNS"},
        FaultCase{"section twice", HEAD "RHS\nRHS\nENDATA\n", 8, "given twice"},
        FaultCase{"no COLUMNS", "NAME\nROWS\n N OBJ\nENDATA\n", 4, "no COLUMNS section"},
        FaultCase{"no ROWS", "NAME\nENDATA\n", 2, "no ROWS section"},
        FaultCase{"INTEND without INTORG", HEAD " M 'MARKER' 'INTEND'\nENDATA\n", 7, "INTEND marker without INTORG"},
        FaultCase{"nested INTORG", HEAD " M 'MARKER' 'INTORG'\n N 'MARKER' 'INTORG'\nENDATA\n", 8,
                  "inside an integer block"},
        FaultCase{"unclosed INTORG", HEAD " M 'MARKER' 'INTORG'\n Y R 1\nRHS\nENDATA\n", 9, "not closed"},
        FaultCase{"bad marker", HEAD " M 'MARKER' 'INTBEG'\nENDATA\n", 7, "unknown marker"},
        FaultCase{"too many fields", HEAD " Y R 1 OBJ 2 R\nENDATA\n", 7, "COLUMNS line needs"},
        FaultCase{"name too long",
                  "NAME\nROWS\n N OBJ\n L R2345678901234567890123456789012345678901234567890123456789012345\n", 4,
                  "longer than 64"},
        FaultCase{"non-ASCII name", "NAME\nROWS\n N OBJ\n L R\xc3\xa9\n", 4, "printable ASCII"},
        FaultCase{"OBJNAME after ROWS", HEAD "OBJNAME OBJ\nENDATA\n", 7, "before ROWS"},
        FaultCase{"OBJNAME unknown", "OBJNAME Z\nROWS\n N OBJ\nCOLUMNS\nENDATA\n", 4, "not in ROWS"}),
    [](const ::testing::TestParamInfo<FaultCase>& info) {
        std::string name;
        for (const char* s = info.param.name; *s; ++s) name += std::isalnum(static_cast<unsigned char>(*s)) ? *s : '_';
        return name;
    });

#undef HEAD

}  // namespace
}  // namespace qmlp::host::mps::testing
