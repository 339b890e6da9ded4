// Reading data sets: type inference, "$" headers, binding, the CSV rules.
#include <cmath>

#include "data/csv_value.h"
#include "data_fixture.h"

namespace datatest {
namespace {

using qmlp::host::missing_letter;
using qmlp::host::missing_value;

class CsvRead : public DataTest {
  protected:
    TymDataIn open(const std::string& member, const std::string& text) {
        write_file(file(member + ".csv"), text);
        TymDataRef r = ref("t", member);
        return in_->open(&r);
    }
    struct Var {
        std::string name;
        int type;
        int length;
    };
    std::vector<Var> vars(TymDataIn ds) {
        std::vector<Var> out;
        for (int v = 1; v <= in_->var_count(ds); ++v) {
            char name[33];
            int type = 0, length = 0;
            EXPECT_EQ(in_->var_info(ds, v, name, &type, &length), 0);
            out.push_back({name, type, length});
        }
        return out;
    }
};

TEST_F(CsvRead, InfersNumericAndCharacterColumns) {
    TymDataIn ds = open("mix",
                        "a,b,c,d,e\n"
                        "1,x,.,  2.5 ,\n"
                        "-3e2,longer text,.A,+4,\n"
                        ".,7,,1e-5,\n");
    ASSERT_NE(ds, nullptr) << errors();
    auto v = vars(ds);
    ASSERT_EQ(v.size(), 5u);
    EXPECT_EQ(v[0].type, TYM_VAR_NUMERIC);
    EXPECT_EQ(v[0].length, 8);
    EXPECT_EQ(v[1].type, TYM_VAR_CHAR);     // one text value makes the column text
    EXPECT_EQ(v[1].length, 11);             // the longest value
    EXPECT_EQ(v[2].type, TYM_VAR_NUMERIC);  // only missing values
    EXPECT_EQ(v[3].type, TYM_VAR_NUMERIC);  // blanks around numbers and "+" are fine
    EXPECT_EQ(v[4].type, TYM_VAR_NUMERIC);  // an all-empty column is numeric
}

TEST_F(CsvRead, DollarHeadersDeclareCharacterAndLength) {
    TymDataIn ds = open("decl", "code$,name$4,n\n0123,ABCDEFG,5\n7,,6\n");
    ASSERT_NE(ds, nullptr) << errors();
    auto v = vars(ds);
    EXPECT_EQ(v[0].name, "code");
    EXPECT_EQ(v[0].type, TYM_VAR_CHAR);  // digits, but declared character
    EXPECT_EQ(v[0].length, 4);
    EXPECT_EQ(v[1].name, "name");
    EXPECT_EQ(v[1].length, 4);
    char code[6], name[4];
    double n = 0;
    ASSERT_EQ(in_->bind(ds, 1, code, 6), 0);
    ASSERT_EQ(in_->bind(ds, 2, name, 4), 0);
    ASSERT_EQ(in_->bind(ds, 3, &n, 8), 0);
    ASSERT_EQ(in_->read_next(ds), 0);
    EXPECT_EQ(std::string(code, 6), "0123  ");  // leading zero kept, padded
    EXPECT_EQ(std::string(name, 4), "ABCD");    // cut to the declared length
    EXPECT_EQ(n, 5.0);
    ASSERT_EQ(in_->read_next(ds), 0);
    EXPECT_EQ(std::string(code, 6), "7     ");
    EXPECT_EQ(std::string(name, 4), "    ");
    EXPECT_EQ(in_->read_next(ds), 1);
}

TEST_F(CsvRead, MissingValuesAreTheHostCodes) {
    TymDataIn ds = open("miss", "x\n.\n\"\"\n.I\n.m\n._\n3\n");
    ASSERT_NE(ds, nullptr) << errors();
    double x = 0;
    in_->bind(ds, 1, &x, 8);
    std::string letters;
    while (in_->read_next(ds) == 0) letters += missing_letter(x) ? static_cast<char>(missing_letter(x)) : '0';
    EXPECT_EQ(letters, "..IM_0");
}

TEST_F(CsvRead, QuotesLineEndsAndByteOrderMark) {
    TymDataIn ds = open("quoted",
                        "\xEF\xBB\xBF"
                        "id,text$\r\n"
                        "1,\"a, b\"\r\n"
                        "2,\"say \"\"hi\"\"\"\r\n"
                        "\r\n"
                        "3,\"two\nlines\"\n"
                        "4,plain");  // no line end at the end of the file
    ASSERT_NE(ds, nullptr) << errors();
    auto v = vars(ds);
    EXPECT_EQ(v[0].name, "id");  // the mark is not part of the name
    double id = 0;
    char text[12];
    in_->bind(ds, 1, &id, 8);
    in_->bind(ds, 2, text, 12);
    std::vector<std::string> got;
    while (in_->read_next(ds) == 0) got.push_back(std::string(text, 12));
    ASSERT_EQ(got.size(), 4u);  // the empty line is skipped
    EXPECT_EQ(got[0], "a, b        ");
    EXPECT_EQ(got[1], "say \"hi\"    ");
    EXPECT_EQ(got[2], "two\nlines   ");
    EXPECT_EQ(got[3], "plain       ");
    EXPECT_EQ(in_->obs_number(ds), 4);
}

TEST_F(CsvRead, FindVarIgnoresCaseAndTrailingBlanks) {
    TymDataIn ds = open("names", "_TYPE_,Alpha_1,b\nle,1,2\n");
    ASSERT_NE(ds, nullptr) << errors();
    EXPECT_EQ(in_->find_var(ds, "_type_", 6), 1);
    EXPECT_EQ(in_->find_var(ds, "ALPHA_1     ", 12), 2);
    EXPECT_EQ(in_->find_var(ds, "B", -1), 3);
    EXPECT_EQ(in_->find_var(ds, "alpha", 5), 0);
    EXPECT_EQ(in_->find_var(ds, "Alpha_1", 5), 0);  // only name_len bytes count
    EXPECT_STREQ(in_->name(ds), "T.NAMES");
}

TEST_F(CsvRead, RewindStartsOverAndUnboundVariablesAreSkipped) {
    TymDataIn ds = open("rw", "a,b\n1,2\n3,4\n");
    ASSERT_NE(ds, nullptr);
    double b = 0;
    in_->bind(ds, 2, &b, 8);
    ASSERT_EQ(in_->read_next(ds), 0);
    ASSERT_EQ(in_->read_next(ds), 0);
    EXPECT_EQ(b, 4);
    EXPECT_EQ(in_->read_next(ds), 1);
    EXPECT_EQ(in_->read_next(ds), 1);  // stays at the end
    ASSERT_EQ(in_->rewind(ds), 0);
    EXPECT_EQ(in_->obs_number(ds), 0);
    ASSERT_EQ(in_->read_next(ds), 0);
    EXPECT_EQ(b, 2);
    EXPECT_EQ(in_->obs_number(ds), 1);
}

TEST_F(CsvRead, CharacterValuesAreCutAtACharacterBoundary) {
    // "é" is two bytes; a field of 2 bytes cannot hold "aé" and must not
    // keep half of the "é".
    TymDataIn ds = open("utf", "s$\na\xC3\xA9\n");
    ASSERT_NE(ds, nullptr) << errors();
    char s[2];
    in_->bind(ds, 1, s, 2);
    ASSERT_EQ(in_->read_next(ds), 0);
    EXPECT_EQ(std::string(s, 2), "a ");
}

// What the host found about the values: stray text, values cut to a
// declared length, and different values merged by that cut.
TEST_F(CsvRead, FindingsAboutValuesAreAnsweredAndWarned) {
    TymDataIn ds = open("f",
                        "n,t,c$4,k$4,u$3\n"
                        "1,a,abcdef,ab,\xC3\xA9\xC3\xA9\n"
                        "2,b,abcdxy,ab,x\n"
                        "x,c,abc,abcd,y\n");
    ASSERT_NE(ds, nullptr) << errors();
    EXPECT_EQ(in_->var_findings(ds, 1), TYM_FOUND_STRAY_TEXT);  // two numbers, one text
    EXPECT_EQ(in_->var_findings(ds, 2), 0);                     // text throughout
    EXPECT_EQ(in_->var_findings(ds, 3), TYM_FOUND_CUT | TYM_FOUND_MERGED);
    EXPECT_EQ(in_->var_findings(ds, 4), 0);              // "abcd" fits exactly
    EXPECT_EQ(in_->var_findings(ds, 5), TYM_FOUND_CUT);  // cut at a character boundary, nothing merged
    EXPECT_LT(in_->var_findings(ds, 6), 0);
    EXPECT_LT(in_->var_findings(nullptr, 1), 0);

    std::string warnings;
    for (const auto& [severity, text] : log_)
        if (severity == qmlp::host::Severity::Warning) warnings += text + "\n";
    EXPECT_NE(warnings.find("Variable c of data set"), std::string::npos) << warnings;
    EXPECT_NE(warnings.find("line 2 of"), std::string::npos) << warnings;
    EXPECT_NE(warnings.find("has the value \"abcdef\", read as \"abcd\""), std::string::npos) << warnings;
    EXPECT_NE(warnings.find("\"abcdef\" (line 2) and \"abcdxy\" (line 3) are both read as \"abcd\""), std::string::npos)
        << warnings;
    EXPECT_EQ(warnings.find("Variable k "), std::string::npos) << warnings;
    EXPECT_EQ(in_->close(ds), 0);

    // A cut value meets an uncut one; cut values that stay different are
    // not merged.
    ds = open("g", "c$2\nabX\nacY\nab\n");
    ASSERT_NE(ds, nullptr) << errors();
    EXPECT_EQ(in_->var_findings(ds, 1), TYM_FOUND_CUT | TYM_FOUND_MERGED);  // "abX" and "ab"
    EXPECT_EQ(in_->close(ds), 0);
    ds = open("d", "c$2\nabX\nacY\nad\n");
    ASSERT_NE(ds, nullptr) << errors();
    EXPECT_EQ(in_->var_findings(ds, 1), TYM_FOUND_CUT);
    EXPECT_EQ(in_->close(ds), 0);
}

TEST_F(CsvRead, BadHandlesAndArgumentsAreRefused) {
    TymDataIn ds = open("h", "a,b$\n1,x\n");
    ASSERT_NE(ds, nullptr);
    double d;
    char c[1];
    EXPECT_LT(in_->bind(ds, 0, &d, 8), 0);
    EXPECT_LT(in_->bind(ds, 3, &d, 8), 0);
    EXPECT_LT(in_->bind(ds, 1, &d, 4), 0);  // too small for a double
    EXPECT_LT(in_->bind(ds, 2, c, 0), 0);
    EXPECT_LT(in_->var_info(ds, 9, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(in_->close(ds), 0);
    EXPECT_LT(in_->close(ds), 0);  // closed twice
    EXPECT_LT(in_->read_next(ds), 0);
    EXPECT_EQ(in_->open(nullptr), nullptr);
}

TEST_F(CsvRead, DatasetVariablesListsTheHeader) {
    write_file(file("dv.csv"), "x,y$3,z\n1,ab,q\n");
    std::vector<qmlp::host::VarInfo> v;
    ASSERT_TRUE(qmlp::host::dataset_variables(ref("", "DV"), v));
    ASSERT_EQ(v.size(), 3u);
    EXPECT_EQ(v[1].name, "y");
    EXPECT_EQ(v[1].type, TYM_VAR_CHAR);
    EXPECT_EQ(v[1].length, 3);
    EXPECT_EQ(v[2].type, TYM_VAR_CHAR);
    EXPECT_FALSE(qmlp::host::dataset_variables(ref("", "nothere"), v));
}

TEST(CsvValue, ClassifiesNumbersAndRefusesLookAlikes) {
    using qmlp::host::data::classify_value;
    using qmlp::host::data::ValueClass;
    double v = 0;
    EXPECT_EQ(classify_value("1e-400", &v), ValueClass::Number);  // underflow rounds to 0
    EXPECT_EQ(v, 0.0);
    EXPECT_EQ(classify_value("4.9e-324", &v), ValueClass::Number);
    EXPECT_GT(v, 0.0);
    EXPECT_EQ(classify_value("1e400", &v), ValueClass::Overflow);
    for (const char* text : {"inf", "nan", "-", "+", "1e", "0x10", "1,0", "+-1", "1 2", ".AB", "e5"})
        EXPECT_EQ(classify_value(text, &v), ValueClass::Text) << text;
    EXPECT_EQ(classify_value(" -.5 ", &v), ValueClass::Number);
    EXPECT_EQ(v, -0.5);
    EXPECT_EQ(classify_value("-0", &v), ValueClass::Number);
    EXPECT_TRUE(std::signbit(v));
}

}  // namespace
}  // namespace datatest
