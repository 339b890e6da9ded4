// mps_writer_test.cpp -- the sparse-layout data set reads back into the
// problem the MPS file states: rows, intervals, coefficients, bounds.
#include <gtest/gtest.h>

#include "mps_test_support.h"

namespace qmlp::host::mps::testing {
namespace {

Layout import_text(const std::string& mps, bool drop_free_rows = false) {
    Parsed p = parse_text(mps);
    EXPECT_TRUE(p.ok) << p.report.error.line << ": " << p.report.error.text;
    Layout layout = read_layout(write_text(p.model, drop_free_rows));
    EXPECT_EQ(layout.error, "");
    return layout;
}

TEST(MpsWriter, HeaderDeclaresCharacterLengthsWidenedForLongNames) {
    Layout short_names = import_text("NAME\nROWS\n N OBJ\nCOLUMNS\n X OBJ 1\nENDATA\n");
    EXPECT_EQ(short_names.header,
              (std::vector<std::string>{"_TYPE_$8", "_COL_$8", "_ROW1_$8", "_COEF1_", "_ROW2_$8", "_COEF2_"}));
    Layout long_names = import_text(
        "NAME\nROWS\n N OBJ\n L A_ROW_NAME_OF_20_CHR\nCOLUMNS\n COLUMN_NAME_12 OBJ 1\nRHS\n"
        " RIGHT_HAND_SIDE_22_CHR A_ROW_NAME_OF_20_CHR 1\nENDATA\n");
    EXPECT_EQ(long_names.header[1], "_COL_$22");
    EXPECT_EQ(long_names.header[2], "_ROW1_$20");
    EXPECT_EQ(long_names.header[4], "_ROW2_$20");
}

TEST(MpsWriter, RowsAreDeclaredInFileOrderWithTheirTypes) {
    const char* mps =
        "NAME\nOBJSENSE\n MAX\nROWS\n L R1\n N PROFIT\n G R2\n N OTHER\n E R3\nCOLUMNS\n"
        " X PROFIT 1 R1 1\n X R2 1 OTHER 5\n X R3 1\nENDATA\n";
    Layout kept = import_text(mps);
    EXPECT_EQ(kept.row_order, (std::vector<std::string>{"R1", "PROFIT", "R2", "OTHER", "R3"}));
    EXPECT_EQ(kept.rows["PROFIT"].kind, "MAX");
    EXPECT_EQ(kept.rows["R1"].kind, "LE");
    EXPECT_EQ(kept.rows["R2"].kind, "GE");
    EXPECT_EQ(kept.rows["R3"].kind, "EQ");
    EXPECT_EQ(kept.rows["OTHER"].kind, "FREE");
    EXPECT_EQ(kept.columns["X"].coefficients.at("OTHER"), 5.0);

    Layout dropped = import_text(mps, true);
    EXPECT_EQ(dropped.rows.count("OTHER"), 0u);
    EXPECT_EQ(dropped.columns["X"].coefficients.count("OTHER"), 0u);
    EXPECT_EQ(dropped.columns["X"].coefficients.size(), 4u);
}

// RANGES per row kind and sign: the interval the procedure gives the row
// must be the MPS interval.
struct RangeCase {
    const char* kind;  // MPS row type
    double rhs, range;
    double lo, hi;  // the MPS meaning
};

class MpsRanges : public ::testing::TestWithParam<RangeCase> {};

TEST_P(MpsRanges, GiveTheRowItsMpsInterval) {
    const RangeCase& c = GetParam();
    std::string mps = std::string("NAME\nROWS\n N OBJ\n ") + c.kind + " R\nCOLUMNS\n X OBJ 1 R 1\nRHS\n B R " +
                      format_number(c.rhs) + "\nRANGES\n G R " + format_number(c.range) + "\nENDATA\n";
    Layout layout = import_text(mps);
    Interval got = row_interval(layout.rows["R"], "B");
    EXPECT_EQ(got.lo, c.lo) << c.kind << " rhs " << c.rhs << " range " << c.range;
    EXPECT_EQ(got.hi, c.hi) << c.kind << " rhs " << c.rhs << " range " << c.range;
}

INSTANTIATE_TEST_SUITE_P(EveryKindAndSign, MpsRanges,
                         ::testing::Values(RangeCase{"E", 10, 4, 10, 14}, RangeCase{"E", 10, -4, 6, 10},
                                           RangeCase{"L", 10, 4, 6, 10}, RangeCase{"L", 10, -4, 6, 10},
                                           RangeCase{"G", 10, 4, 10, 14}, RangeCase{"G", 10, -4, 10, 14},
                                           RangeCase{"E", -3, 0.5, -3, -2.5}, RangeCase{"G", -3, -0.5, -3, -2.5},
                                           // A zero range leaves only rhs.
                                           RangeCase{"L", 10, 0, 10, 10}, RangeCase{"G", 10, 0, 10, 10},
                                           RangeCase{"E", 10, 0, 10, 10}));

TEST(MpsWriter, ZeroRangeRowsBecomeEqualityRows) {
    Parsed p = parse_text("NAME\nROWS\n N OBJ\n L R\nCOLUMNS\n X OBJ 1 R 1\nRANGES\n G R 0\nENDATA\n");
    ASSERT_TRUE(p.ok);
    Layout layout = read_layout(write_text(p.model));
    EXPECT_EQ(layout.rows["R"].kind, "EQ");
    EXPECT_FALSE(layout.rows["R"].has_range);
    Counts counts = count_model(p.model, false);
    EXPECT_EQ(counts.equal, 1);
    EXPECT_EQ(counts.less_equal, 0);
    EXPECT_EQ(counts.ranged, 0);
}

// Each bound class arrives with the same effective bounds and integrality.
TEST(MpsWriter, BoundsReadBackAsTheyWereGiven) {
    const char* mps =
        "NAME\nROWS\n N OBJ\nCOLUMNS\n"
        " NN OBJ 1\n LO OBJ 1\n UP OBJ 1\n BOTH OBJ 1\n MINUS OBJ 1\n FX OBJ 1\n FR OBJ 1\n"
        " M 'MARKER' 'INTORG'\n INT OBJ 1\n INTB OBJ 1\n BIN01 OBJ 1\n INTFX OBJ 1\n M 'MARKER' 'INTEND'\n"
        " BV OBJ 1\n NEGLO OBJ 1\nBOUNDS\n"
        " LO B LO 2\n UP B UP 3\n LO B BOTH -1\n UP B BOTH 1.5\n MI B MINUS\n UP B MINUS 7\n FX B FX -4\n"
        " FR B FR\n LO B INTB -2\n UP B INTB 6\n UP B BIN01 1\n FX B INTFX 3\n BV B BV\n LO B NEGLO -0.125\n"
        "ENDATA\n";
    Parsed p = parse_text(mps);
    ASSERT_TRUE(p.ok) << p.report.error.text;
    Layout layout = read_layout(write_text(p.model));
    ASSERT_EQ(layout.error, "");
    ASSERT_EQ(layout.column_order.size(), p.model.columns.size());
    for (const Column& c : p.model.columns) {
        SCOPED_TRACE(c.name);
        const LayoutColumn& got = layout.columns.at(c.name);
        EXPECT_EQ(got.lower, c.lower);
        EXPECT_EQ(got.upper, c.upper);
        EXPECT_EQ(got.integer || got.binary, c.integer);
    }
    EXPECT_TRUE(layout.columns.at("BIN01").binary);
    EXPECT_TRUE(layout.columns.at("BV").binary);
    EXPECT_FALSE(layout.columns.at("INTB").binary);
    EXPECT_TRUE(layout.columns.at("FX").fixed);
    EXPECT_TRUE(layout.columns.at("MINUS").unrestricted);

    Counts counts = count_model(p.model, false);
    auto by = [&](ColumnClass k) { return counts.by_class[static_cast<int>(k)]; };
    EXPECT_EQ(by(ColumnClass::NonNegative), 1);
    EXPECT_EQ(by(ColumnClass::LowerOnly), 2);
    EXPECT_EQ(by(ColumnClass::UpperOnly), 1);
    EXPECT_EQ(by(ColumnClass::BothBounds), 1);
    EXPECT_EQ(by(ColumnClass::UpperUnbounded), 1);
    EXPECT_EQ(by(ColumnClass::Fixed), 1);
    EXPECT_EQ(by(ColumnClass::Free), 1);
    EXPECT_EQ(by(ColumnClass::Integer), 3);
    EXPECT_EQ(by(ColumnClass::Binary), 2);
    EXPECT_EQ(counts.integer_total, 5);
}

TEST(MpsWriter, CoefficientsArePairedAndZerosOnlyAnchorEmptyColumns) {
    Parsed p = parse_text(
        "NAME\nROWS\n N OBJ\n L A\n L B\n L C\nCOLUMNS\n"
        " X OBJ 1 A 2\n X B 0 C 3\n"
        " Z A 0\n"
        "ENDATA\n");
    ASSERT_TRUE(p.ok);
    const std::string csv = write_text(p.model);
    EXPECT_NE(csv.find("\n,X,OBJ,1,A,2\n,X,C,3,,.\n"), std::string::npos) << csv;
    EXPECT_NE(csv.find("\n,Z,A,0,,.\n"), std::string::npos) << csv;
    Layout layout = read_layout(csv);
    EXPECT_EQ(layout.column_order, (std::vector<std::string>{"X", "Z"}));
    EXPECT_TRUE(layout.columns["Z"].coefficients.empty());
    EXPECT_EQ(count_model(p.model, false).nonzeros, 3);
}

TEST(MpsWriter, RightHandSidesAndRangesUseTheirSetNames) {
    Parsed p = parse_text(
        "NAME\nROWS\n N OBJ\n L A\n G B\n E C\nCOLUMNS\n X OBJ 1 A 1\n X B 1 C 1\nRHS\n"
        " R1 A 4 B 1\n R1 C 2 OBJ 1.5\n R2 A 8\nRANGES\n RG A 1 B 2\n RG C -3\nENDATA\n");
    ASSERT_TRUE(p.ok) << p.report.error.text;
    Layout layout = read_layout(write_text(p.model));
    ASSERT_EQ(layout.error, "");
    EXPECT_EQ(layout.rhs_names, (std::vector<std::string>{"R1", "R2"}));
    EXPECT_EQ(layout.range_names, (std::vector<std::string>{"RG"}));
    EXPECT_EQ(layout.rows["A"].rhs.at("R2"), 8.0);
    EXPECT_EQ(layout.rows["OBJ"].rhs.at("R1"), 1.5);  // the objective constant
    EXPECT_EQ(row_interval(layout.rows["C"], "R1").lo, -1.0);
    EXPECT_EQ(row_interval(layout.rows["C"], "R1").hi, 2.0);
}

TEST(MpsWriter, GeneratedNamesNeverCollideWithNamesOfTheFile) {
    // Rows named like the attribute rows, a column named like the RHS set,
    // and a blank RHS set name.
    Parsed p = parse_text(
        "NAME\nROWS\n N OBJ\n L _UPPER_\n L _INT_\nCOLUMNS\n"
        " RHS OBJ 1 _UPPER_ 1\n M 'MARKER' 'INTORG'\n Y _INT_ 1\n M 'MARKER' 'INTEND'\n"
        "RHS\n _UPPER_ 5\nBOUNDS\n UP B RHS 3\n UP B Y 4\nENDATA\n");
    ASSERT_TRUE(p.ok) << p.report.error.text;
    WritePlan plan = plan_names(p.model, {});
    EXPECT_EQ(plan.upper_row, "_UPPER__1");
    EXPECT_EQ(plan.integer_row, "_INT__1");
    EXPECT_EQ(plan.rhs_names[0], "RHS_1");
    EXPECT_FALSE(plan.notes.empty());
    Layout layout = read_layout(write_text(p.model));
    ASSERT_EQ(layout.error, "");
    EXPECT_EQ(layout.columns["RHS"].upper, 3.0);
    EXPECT_EQ(layout.columns["Y"].upper, 4.0);
    EXPECT_TRUE(layout.columns["Y"].integer);
    EXPECT_EQ(layout.rows["_UPPER_"].rhs.at("RHS_1"), 5.0);
}

TEST(MpsWriter, NamesWithCommasAndQuotesAndNumbersRoundTripExactly) {
    Model m;
    m.rows = {{"OBJ", RowKind::Free}, {"a,b", RowKind::LessEqual}, {"say \"x\"", RowKind::GreaterEqual}};
    m.objective = 0;
    for (std::size_t i = 0; i < m.rows.size(); ++i) m.row_index[m.rows[i].name] = static_cast<int32_t>(i);
    const double values[] = {0.1, 1.0 / 3.0, 1e-300, -0.0, 1.7976931348623157e308, 123456789.123456789};
    Column c;
    c.name = "c,1";
    c.entries = {{0, values[0]}, {1, values[1]}, {2, values[2]}};
    c.upper = values[4];
    c.lower = values[5];
    m.columns.push_back(c);
    m.column_index[c.name] = 0;
    m.rhs_sets.push_back({"B", {{1, values[3]}, {2, values[5]}}});
    Layout layout = read_layout(write_text(m));
    ASSERT_EQ(layout.error, "");
    const LayoutColumn& got = layout.columns.at("c,1");
    EXPECT_EQ(got.coefficients.at("OBJ"), values[0]);
    EXPECT_EQ(got.coefficients.at("a,b"), values[1]);
    EXPECT_EQ(got.coefficients.at("say \"x\""), values[2]);
    EXPECT_EQ(got.upper, values[4]);
    EXPECT_EQ(got.lower, values[5]);
    EXPECT_TRUE(std::signbit(layout.rows.at("a,b").rhs.at("B")));
    EXPECT_EQ(layout.rows.at("say \"x\"").rhs.at("B"), values[5]);
}

}  // namespace
}  // namespace qmlp::host::mps::testing
