// Malformed data set files: a failed open with an ERROR naming the file and
// the line, never a crash or a half-read data set.
#include "data/csv_scanner.h"
#include "data/data_internal.h"
#include "data_fixture.h"

namespace datatest {
namespace {

struct Malformed {
    const char* label;
    std::string text;
    int line;
    const char* phrase;
};

class CsvMalformed : public DataTest, public ::testing::WithParamInterface<Malformed> {};

TEST_P(CsvMalformed, OpenFailsNamingFileAndLine) {
    const Malformed& m = GetParam();
    write_file(file("bad.csv"), m.text);
    TymDataRef r = ref("t", "bad");
    EXPECT_EQ(in_->open(&r), nullptr);
    const std::string e = errors();
    EXPECT_NE(e.find("T.BAD"), std::string::npos) << e;
    EXPECT_NE(e.find(file("bad.csv").string()), std::string::npos) << e;
    EXPECT_NE(e.find("line " + std::to_string(m.line) + ":"), std::string::npos) << e;
    EXPECT_NE(e.find(m.phrase), std::string::npos) << e;
    EXPECT_EQ(qmlp::host::data::open_input_count(), 0);
}

const std::string kLong(qmlp::host::data::kMaxFieldBytes + 10, 'x');

INSTANTIATE_TEST_SUITE_P(
    Files, CsvMalformed,
    ::testing::Values(Malformed{"empty", "", 1, "empty"}, Malformed{"only_blank_lines", "\n\n\r\n", 1, "empty"},
                      Malformed{"ragged_short", "a,b,c\n1,2,3\n1,2\n", 3, "2 values, but the header names 3 variables"},
                      Malformed{"ragged_long", "a,b\n1,2\n\n1,2,3\n", 4, "3 values"},
                      Malformed{"unterminated_quote", "a,b\n1,2\n3,\"open\n4,5\n", 3, "not closed"},
                      Malformed{"text_after_quote", "a\n\"x\"y\n", 2, "after the closing quote"},
                      Malformed{"duplicate_name", "a,B,b\n1,2,3\n", 1, "appears twice"},
                      Malformed{"invalid_name", "a,1b\n1,2\n", 1, "\"1b\" is not a valid variable name"},
                      Malformed{"name_too_long", "a,abcdefghijabcdefghijabcdefghijabc\n1,2\n", 1,
                                "not a valid variable name"},
                      Malformed{"empty_name", "a,,c\n1,2,3\n", 1, "variable 2 of the header has no name"},
                      Malformed{"bad_length", "a$0\nx\n", 1, "length"},
                      Malformed{"length_too_big", "a$32768\nx\n", 1, "length"},
                      Malformed{"length_not_number", "a$x\nx\n", 1, "length"},
                      Malformed{"bad_utf8", "a$\nok\n\xC3\x28\n", 3, "not valid UTF-8"},
                      Malformed{"overlong_utf8", "a$\n\xC0\xAF\n", 2, "not valid UTF-8"},
                      Malformed{"bad_utf8_in_multiline_value", "a$\n\"x\ny\xFF\"\n", 3, "not valid UTF-8"},
                      Malformed{"zero_byte", std::string("a\n1\n2\0\n", 7), 3, "zero byte"},
                      Malformed{"huge_line", "a\n1\n" + kLong + "\n", 3, "longer than 1 MiB"},
                      Malformed{"huge_quoted_value", "a\n\"" + kLong, 2, "longer than 1 MiB"},
                      Malformed{"number_overflow", "a\n1\n1e999\n", 3, "too large"}),
    [](const ::testing::TestParamInfo<Malformed>& info) { return std::string(info.param.label); });

TEST_F(DataTest, MissingDataSetAndUnassignedLibrary) {
    TymDataRef r = ref("t", "nothere");
    EXPECT_EQ(in_->open(&r), nullptr);
    EXPECT_NE(errors().find("Data set T.NOTHERE does not exist"), std::string::npos) << errors();
    r = ref("nolib", "x");
    EXPECT_EQ(in_->open(&r), nullptr);
    EXPECT_NE(errors().find("library NOLIB is not assigned"), std::string::npos) << errors();
    r = ref("t", "9bad");
    EXPECT_EQ(in_->open(&r), nullptr);
    EXPECT_NE(errors().find("not a valid data set name"), std::string::npos) << errors();
}

TEST_F(DataTest, AFileChangedAfterOpenGivesAFailedRead) {
    write_file(file("chg.csv"), "a,b\n1,2\n3,4\n");
    TymDataRef r = ref("t", "chg");
    TymDataIn ds = in_->open(&r);
    ASSERT_NE(ds, nullptr);
    // Rewrite the same file in place (same inode): the second row turns ragged.
    {
        std::fstream f(file("chg.csv"), std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(10);
        f << ",";
    }
    double a;
    in_->bind(ds, 1, &a, 8);
    EXPECT_EQ(in_->read_next(ds), 0);
    EXPECT_LT(in_->read_next(ds), 0);
    EXPECT_NE(errors().find("line 3:"), std::string::npos) << errors();
}

}  // namespace
}  // namespace datatest
