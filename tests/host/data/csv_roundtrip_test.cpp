// Writing data sets and reading them back: numbers bit for bit, missing
// codes, awkward character values, types and lengths, labels.
#include <bit>
#include <cmath>
#include <limits>

#include "data_fixture.h"

namespace datatest {
namespace {

using qmlp::host::missing_value;

class RoundTrip : public DataTest {
  protected:
    // Writes one numeric variable with the given values and reads them back.
    std::vector<double> numbers_through_file(const std::vector<double>& values) {
        TymDataRef r = ref("t", "nums");
        TymDataOut out = out_->create(&r, 1);
        EXPECT_NE(out, nullptr) << errors();
        double slot = 0;
        EXPECT_EQ(out_->define(out, "x", 1, TYM_VAR_NUMERIC, 8, nullptr, &slot), 0);
        for (double v : values) {
            slot = v;
            EXPECT_EQ(out_->write(out), 0);
        }
        EXPECT_EQ(out_->close(out, 1), 0);
        TymDataIn in = in_->open(&r);
        EXPECT_NE(in, nullptr) << errors();
        std::vector<double> back;
        double x = 0;
        in_->bind(in, 1, &x, 8);
        while (in_->read_next(in) == 0) back.push_back(x);
        in_->close(in);
        return back;
    }
};

TEST_F(RoundTrip, DoublesComeBackBitForBit) {
    const std::vector<double> values = {0.1,
                                        1.0 / 3.0,
                                        -0.0,
                                        0.0,
                                        1e-300,
                                        -1e300,
                                        std::numeric_limits<double>::max(),
                                        std::numeric_limits<double>::lowest(),
                                        std::numeric_limits<double>::denorm_min(),
                                        std::numeric_limits<double>::min(),
                                        123456789012345678.0,
                                        2.5e-8,
                                        -7.0,
                                        1e22,
                                        9007199254740993.0};
    const std::vector<double> back = numbers_through_file(values);
    ASSERT_EQ(back.size(), values.size());
    for (size_t i = 0; i < values.size(); ++i)
        EXPECT_EQ(std::bit_cast<uint64_t>(back[i]), std::bit_cast<uint64_t>(values[i])) << values[i];
}

TEST_F(RoundTrip, SpecialMissingValuesKeepTheirLetters) {
    const std::vector<double> values = {missing_value('.'),
                                        missing_value('I'),
                                        missing_value('M'),
                                        missing_value('A'),
                                        missing_value('Z'),
                                        missing_value('_'),
                                        5.0};
    const std::vector<double> back = numbers_through_file(values);
    ASSERT_EQ(back.size(), values.size());
    for (size_t i = 0; i < values.size(); ++i)
        EXPECT_EQ(std::bit_cast<uint64_t>(back[i]), std::bit_cast<uint64_t>(values[i])) << i;
    EXPECT_EQ(read_file(file("nums.csv")), "x\n.\n.I\n.M\n.A\n.Z\n._\n5\n");
}

TEST_F(RoundTrip, CharacterValuesWithCommasQuotesAndLineBreaks) {
    const std::vector<std::string> values = {"plain", "a,b", "say \"hi\"", "two\nlines", "cr\rhere", " lead",
                                             "",      "\"",  ",",          "12",         ".A",       "é ok"};
    TymDataRef r = ref("t", "chars");
    TymDataOut out = out_->create(&r, 2);
    ASSERT_NE(out, nullptr);
    char buf[12];
    double n = 0;
    ASSERT_EQ(out_->define(out, "s", 1, TYM_VAR_CHAR, 12, "A label", buf), 0);
    ASSERT_EQ(out_->define(out, "n", 1, TYM_VAR_NUMERIC, 8, nullptr, &n), 0);
    for (size_t i = 0; i < values.size(); ++i) {
        std::memset(buf, ' ', sizeof buf);
        std::memcpy(buf, values[i].data(), values[i].size());
        n = static_cast<double>(i);
        ASSERT_EQ(out_->write(out), 0);
    }
    ASSERT_EQ(out_->close(out, 1), 0);

    TymDataIn in = in_->open(&r);
    ASSERT_NE(in, nullptr) << errors();
    int type = 0, length = 0;
    in_->var_info(in, 1, nullptr, &type, &length);
    EXPECT_EQ(type, TYM_VAR_CHAR);  // "12" and ".A" do not make it numeric
    EXPECT_EQ(length, 12);
    char got[12];
    in_->bind(in, 1, got, 12);
    for (const std::string& v : values) {
        ASSERT_EQ(in_->read_next(in), 0);
        std::string expect = v;
        expect.resize(12, ' ');
        EXPECT_EQ(std::string(got, 12), expect);
    }
    EXPECT_EQ(in_->read_next(in), 1);
}

TEST_F(RoundTrip, LoneEmptyValueIsNotLostAsABlankLine) {
    TymDataRef r = ref("t", "lone");
    TymDataOut out = out_->create(&r, 1);
    char c[3] = {' ', ' ', ' '};
    out_->define(out, "c", 1, TYM_VAR_CHAR, 3, nullptr, c);
    out_->write(out);
    out_->write(out);
    ASSERT_EQ(out_->close(out, 1), 0);
    TymDataIn in = in_->open(&r);
    ASSERT_NE(in, nullptr);
    int rows = 0;
    while (in_->read_next(in) == 0) ++rows;
    EXPECT_EQ(rows, 2);
}

TEST_F(RoundTrip, HeaderMarksCharacterLengthsAndLabelsGoToASideFile) {
    TymDataRef r = ref("t", "Primal");
    TymDataOut out = out_->create(&r, 3);
    char var[8] = {'X', '1', ' ', ' ', ' ', ' ', ' ', ' '};
    double value = 2.5;
    ASSERT_EQ(out_->define(out, "_VAR_   ", 8, TYM_VAR_CHAR, 8, "Name of the variable or column.", var), 0);
    ASSERT_EQ(out_->define(out, "_VALUE_", -1, TYM_VAR_NUMERIC, 8, "Value of variable or column.", &value), 0);
    ASSERT_EQ(out_->define(out, "x(1)", 4, TYM_VAR_NUMERIC, 8, nullptr, &value), 0);
    ASSERT_EQ(out_->write(out), 0);
    ASSERT_EQ(out_->close(out, 1), 0);
    EXPECT_EQ(read_file(file("primal.csv")), "_VAR_$8,_VALUE_,x_1_\nX1,2.5,2.5\n");
    EXPECT_EQ(read_file(file("primal.labels")),
              "_VAR_=Name of the variable or column.\n_VALUE_=Value of variable or column.\n");
    bool noted = false;
    for (const auto& l : log_) noted = noted || l.text.find("\"x(1)\" became x_1_") != std::string::npos;
    EXPECT_TRUE(noted);

    // Rewritten without labels: the old side file must not describe it.
    out = out_->create(&r, 1);
    out_->define(out, "v", 1, TYM_VAR_NUMERIC, 8, nullptr, &value);
    ASSERT_EQ(out_->close(out, 1), 0);
    EXPECT_FALSE(fs::exists(file("primal.labels")));
    EXPECT_EQ(read_file(file("primal.csv")), "v\n");
}

TEST_F(RoundTrip, DuplicateNamesAreMadeUnique) {
    TymDataRef r = ref("t", "dup");
    TymDataOut out = out_->create(&r, 3);
    double v = 1;
    out_->define(out, "a", 1, TYM_VAR_NUMERIC, 8, nullptr, &v);
    out_->define(out, "A", 1, TYM_VAR_NUMERIC, 8, nullptr, &v);
    out_->define(out, "a_2", 3, TYM_VAR_NUMERIC, 8, nullptr, &v);
    out_->write(out);
    ASSERT_EQ(out_->close(out, 1), 0);
    TymDataIn in = in_->open(&r);
    ASSERT_NE(in, nullptr) << errors();
    EXPECT_EQ(in_->var_count(in), 3);
}

TEST_F(RoundTrip, InvalidBytesInCharacterFieldsStillWriteReadableFiles) {
    TymDataRef r = ref("t", "bytes");
    TymDataOut out = out_->create(&r, 1);
    // A stray 0xFF, and "é" cut after its first byte at the end of the field.
    char buf[5] = {'a', '\xFF', 'b', '\xC3', '\0'};
    out_->define(out, "s", 1, TYM_VAR_CHAR, 5, nullptr, buf);
    out_->write(out);
    ASSERT_EQ(out_->close(out, 1), 0);
    EXPECT_EQ(read_file(file("bytes.csv")), "s$5\na?b\n");
}

TEST_F(RoundTrip, DefineRulesAndStates) {
    TymDataRef r = ref("t", "rules");
    TymDataOut out = out_->create(&r, 2);
    double v = 0;
    char c[4];
    EXPECT_LT(out_->define(out, "c", 1, TYM_VAR_CHAR, 0, nullptr, c), 0);
    EXPECT_LT(out_->define(out, "c", 1, TYM_VAR_CHAR, 40000, nullptr, c), 0);
    EXPECT_LT(out_->define(out, "c", 1, 3, 8, nullptr, c), 0);
    EXPECT_LT(out_->define(out, "   ", 3, TYM_VAR_NUMERIC, 8, nullptr, &v), 0);
    EXPECT_LT(out_->define(out, "v", 1, TYM_VAR_NUMERIC, 8, nullptr, nullptr), 0);
    EXPECT_LT(out_->write(out), 0);  // nothing defined yet
    ASSERT_EQ(out_->define(out, "a", 1, TYM_VAR_NUMERIC, 8, nullptr, &v), 0);
    ASSERT_EQ(out_->define(out, "b", 1, TYM_VAR_NUMERIC, 8, nullptr, &v), 0);
    EXPECT_LT(out_->define(out, "c", 1, TYM_VAR_NUMERIC, 8, nullptr, &v), 0);  // past var_count
    ASSERT_EQ(out_->write(out), 0);
    EXPECT_EQ(out_->close(out, 1), 0);
    EXPECT_LT(out_->close(out, 1), 0);  // closed twice
}

}  // namespace
}  // namespace datatest
