// The grammar-driven statement parser: every option kind, aliases, data set
// names, lists, syntax errors naming the word, the DATA default, tracing.
#include <gtest/gtest.h>

#include <cmath>

#include "front/statement_parser.h"
#include "front_test_support.h"

using namespace qmlp::front;
using namespace fronttest;

namespace {

class ParserTest : public FrontTest {
  protected:
    void SetUp() override {
        FrontTest::SetUp();
        build_test_grammar(builder);
        std::string why;
        ASSERT_TRUE(grammar.load(builder.grammar(), &why)) << why;
        last_dataset = member_ref("LASTONE", "WORK");
    }
    // Parses into a fresh record owned by the test.
    ParsedStatement& parse(const std::string& text, int debug = 0) {
        records.push_back(std::make_unique<ParsedStatement>());
        ok = parse_statement(grammar, text, debug, *records.back());
        return *records.back();
    }
    GrammarBuilder builder;
    GrammarView grammar;
    std::vector<std::unique_ptr<ParsedStatement>> records;
    bool ok = false;
};

TEST_F(ParserTest, FlagsNumbersAndAliasesFillTheRecord) {
    const TymParseRecord& r = parse("lp Data=x MAXIT=50 eps=1e-7 DEVEX nodevex").record;
    ASSERT_TRUE(ok) << log_text();
    EXPECT_EQ(r.statement, kStmtLp);
    EXPECT_EQ(r.error, 0);
    EXPECT_TRUE(tym_flag(&r, kBitDevex));
    EXPECT_TRUE(tym_flag(&r, kBitNoDevex));
    EXPECT_FALSE(tym_flag(&r, kBitAuto));
    EXPECT_EQ(r.values[kSlotMaxit].given, 1);
    EXPECT_EQ(r.values[kSlotMaxit].value, 50);
    EXPECT_EQ(r.values[kSlotEpsilon].value, 1e-7);  // EPS is an alias of EPSILON
    EXPECT_EQ(r.values[kSlotPricetype].given, 0);
    EXPECT_STREQ(r.text, "lp Data=x MAXIT=50 eps=1e-7 DEVEX nodevex");
    EXPECT_TRUE(log.empty()) << log_text();
}

TEST_F(ParserTest, LaterValueOfARepeatedOptionWins) {
    const TymParseRecord& r = parse("LP data=x epsilon=1 eps=2 maxit=3 maxit=-4").record;
    ASSERT_TRUE(ok);
    EXPECT_EQ(r.values[kSlotEpsilon].value, 2);
    EXPECT_EQ(r.values[kSlotMaxit].value, -4);
}

TEST_F(ParserTest, ChoiceTakesAValueKeywordOrANumber) {
    EXPECT_EQ(parse("LP data=x pricetype=partial").record.values[kSlotPricetype].value, 1);
    EXPECT_EQ(parse("LP data=x PRICETYPE=Dynamic").record.values[kSlotPricetype].value, 2);
    EXPECT_EQ(parse("LP data=x pricetype=5").record.values[kSlotPricetype].value, 5);
    EXPECT_TRUE(ok);
    parse("LP data=x pricetype=fast");
    EXPECT_FALSE(ok);
    EXPECT_NE(log_text().find("unknown value FAST for PRICETYPE="), std::string::npos) << log_text();
}

TEST_F(ParserTest, ValueKeywordOfAnotherOptionIsNotAChoice) {
    parse("LP data=x pricetype=devex");
    EXPECT_FALSE(ok);
    EXPECT_NE(log_text().find("unknown value DEVEX"), std::string::npos);
}

TEST_F(ParserTest, PairsWithAndWithoutCommaAndFlagPairs) {
    const TymParseRecord& a = parse("LP data=x range=(1, -2) auto").record;
    ASSERT_TRUE(ok);
    EXPECT_EQ(a.values[kSlotRange].value, 1);
    EXPECT_EQ(a.values[kSlotRange + 1].value, -2);
    EXPECT_TRUE(tym_flag(&a, kBitAuto));
    EXPECT_EQ(a.values[kSlotAuto].given, 0);  // AUTO alone: flag only
    const TymParseRecord& b = parse("LP data=x auto=(300 200)").record;
    ASSERT_TRUE(ok);
    EXPECT_TRUE(tym_flag(&b, kBitAuto));
    EXPECT_EQ(b.values[kSlotAuto].value, 300);
    EXPECT_EQ(b.values[kSlotAuto + 1].value, 200);
    EXPECT_EQ(b.values[kSlotAuto + 1].given, 1);
}

TEST_F(ParserTest, FlagValueOptionsTakeAnOptionalNumber) {
    const TymParseRecord& a = parse("LP data=x preprocess").record;
    EXPECT_TRUE(tym_flag(&a, kBitPreprocess));
    EXPECT_EQ(a.values[kSlotPreprocess].given, 0);
    const TymParseRecord& b = parse("LP data=x preprocess=0").record;
    EXPECT_TRUE(tym_flag(&b, kBitPreprocess));
    EXPECT_EQ(b.values[kSlotPreprocess].given, 1);
    EXPECT_EQ(b.values[kSlotPreprocess].value, 0);
}

TEST_F(ParserTest, DollarMarkedKeywordMatchesThePlainWord) {
    const TymParseRecord& r = parse("LP data=x bepsilon=1e-6").record;
    ASSERT_TRUE(ok) << log_text();
    EXPECT_EQ(r.values[kSlotBepsilon].value, 1e-6);
}

TEST_F(ParserTest, DataSetNamesInAllThreeForms) {
    const TymParseRecord& r = parse("LP data=prob primalout=Work.Out").record;
    ASSERT_TRUE(ok);
    ASSERT_NE(r.data[kDataIn], nullptr);
    EXPECT_STREQ(r.data[kDataIn]->libref, "");
    EXPECT_STREQ(r.data[kDataIn]->member, "prob");
    EXPECT_STREQ(r.data[kDataIn]->path, "");
    EXPECT_STREQ(r.data[kDataPrimalOut]->libref, "WORK");
    EXPECT_STREQ(r.data[kDataPrimalOut]->member, "Out");
    EXPECT_EQ(r.data[1], nullptr);
    const TymParseRecord& q = parse("LP data='dir/my file.csv'").record;
    ASSERT_TRUE(ok);
    EXPECT_STREQ(q.data[kDataIn]->path, "dir/my file.csv");
    EXPECT_STREQ(q.data[kDataIn]->member, "");
}

TEST_F(ParserTest, OverlongDataSetNamesAreRefused) {
    parse("LP data=" + std::string(33, 'a'));
    EXPECT_FALSE(ok);
    parse("LP data=" + std::string(32, 'a'));
    EXPECT_TRUE(ok);
    parse("LP data='" + std::string(1024, 'p') + "'");
    EXPECT_FALSE(ok);
}

TEST_F(ParserTest, MissingDataTakesTheLastDataSet) {
    const TymParseRecord& r = parse("LP maxit=1").record;
    ASSERT_TRUE(ok);
    ASSERT_NE(r.data[kDataIn], nullptr);
    EXPECT_STREQ(r.data[kDataIn]->member, "LASTONE");
    EXPECT_STREQ(r.data[kDataIn]->libref, "WORK");
}

TEST_F(ParserTest, MissingDataWithoutAnyDataSetIsAnError) {
    last_dataset.reset();
    const TymParseRecord& r = parse("LP maxit=1").record;
    EXPECT_FALSE(ok);
    EXPECT_NE(r.error, 0);
    EXPECT_EQ(count_lines_starting("ERROR: "), 1);
    // Only the procedure statement needs a data set.
    parse("RESET maxit=2");
    EXPECT_TRUE(ok);
}

TEST_F(ParserTest, ListsWithNamesNumbersRangesAndAliases) {
    const TymParseRecord& r = parse("PRINT column(x1-x3, y 4 5-7) col(z)").record;
    ASSERT_TRUE(ok) << log_text();
    EXPECT_TRUE(tym_flag(&r, kBitColumn));
    const TymList& l = r.lists[0];
    EXPECT_EQ(l.given, 1);
    ASSERT_EQ(l.count, 5);
    EXPECT_STREQ(l.items[0].first, "x1");
    EXPECT_STREQ(l.items[0].last, "x3");
    EXPECT_STREQ(l.items[1].first, "y");
    EXPECT_EQ(l.items[1].last, nullptr);
    EXPECT_STREQ(l.items[2].first, "4");
    EXPECT_STREQ(l.items[3].first, "5");
    EXPECT_STREQ(l.items[3].last, "7");
    EXPECT_STREQ(l.items[4].first, "z");  // COL adds to the same list
}

TEST_F(ParserTest, ListKeywordAloneIsGivenWithoutItems) {
    const TymParseRecord& r = parse("print column").record;
    ASSERT_TRUE(ok);
    EXPECT_EQ(r.lists[0].given, 1);
    EXPECT_EQ(r.lists[0].count, 0);
}

TEST_F(ParserTest, VariableListStatementCollectsNamesAndRanges) {
    ParsedStatement& p = parse("RHS rhs1 a-b _numeric_");
    ASSERT_TRUE(ok);
    EXPECT_EQ(p.record.statement, kStmtRhs);
    ASSERT_EQ(p.var_items.size(), 3u);
    EXPECT_EQ(p.var_items[1].first, "a");
    EXPECT_EQ(p.var_items[1].last, "b");
    parse("RHS 5");
    EXPECT_FALSE(ok);
}

struct SyntaxCase {
    const char* text;
    const char* expected;  // part of the ERROR line
};

class SyntaxErrorTest : public ParserTest, public ::testing::WithParamInterface<SyntaxCase> {};

TEST_P(SyntaxErrorTest, NamesTheStatementAndTheOffendingWord) {
    const SyntaxCase& c = GetParam();
    const TymParseRecord& r = parse(c.text).record;
    EXPECT_FALSE(ok);
    EXPECT_EQ(r.error, kRecordSyntaxError);
    ASSERT_EQ(count_lines_starting("ERROR: "), 1) << log_text();
    const std::string line = log[0];
    EXPECT_NE(line.find("Syntax error in statement \"" + std::string(c.text) + "\""), std::string::npos) << line;
    EXPECT_NE(line.find(c.expected), std::string::npos) << line;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SyntaxErrorTest,
    ::testing::Values(SyntaxCase{"LP data=x foo=1", ": unknown option FOO."},
                      SyntaxCase{"LP data=x maxit", "expected \"=\" after MAXIT, found the end of the statement"},
                      SyntaxCase{"LP data=x maxit=abc", "expected a number after MAXIT=, found ABC"},
                      SyntaxCase{"LP data=x maxit=-", "expected a number after MAXIT=, found the end"},
                      SyntaxCase{"LP data=x devex=1", "DEVEX takes no value"},
                      SyntaxCase{"LP data=5", "expected a data set name after DATA=, found 5"},
                      SyntaxCase{"LP data=lib.", "expected a member name after LIB."},
                      SyntaxCase{"LP data=''", "the path after DATA= is empty"},
                      SyntaxCase{"LP data=x range=1", "expected \"(\" after RANGE="},
                      SyntaxCase{"LP data=x range=(1 2", "expected \")\" to close RANGE=(a, b)"},
                      SyntaxCase{"LP data=x auto=(1,x)", "expected a number in AUTO=(a, b), found X"},
                      SyntaxCase{"LP data=x 17", "expected an option, found 17"},
                      SyntaxCase{"LP data=x &undefined", "expected an option, found \"&\""},
                      SyntaxCase{"LP data=x maxit=1 'q'", "expected an option, found 'q'"},
                      SyntaxCase{"FROB a=1", "unknown statement FROB"}, SyntaxCase{"DEVEX", "unknown statement DEVEX"},
                      SyntaxCase{"= LP", "expected a statement name, found \"=\""},
                      SyntaxCase{"PRINT column(a b", "expected \")\" to close the list of COLUMN"},
                      SyntaxCase{"PRINT column(a-5)", "expected the end of the range A-, found 5"},
                      SyntaxCase{"PRINT column('a')", "expected a name or a number in the list of COLUMN"},
                      SyntaxCase{"RHS a-", "expected a variable name after A-"},
                      SyntaxCase{"RUN maxit=5", "unknown option MAXIT"},
                      SyntaxCase{"LP data='abc", "a quoted string is not closed"}));

TEST_F(ParserTest, OnlyTheFirstErrorOfAStatementIsReported) {
    parse("LP data=x foo=1 bar=2");
    EXPECT_EQ(count_lines_starting("ERROR: "), 1);
    EXPECT_NE(log[0].find("FOO"), std::string::npos);
}

TEST_F(ParserTest, SyntaxTraceWritesOneNotePerToken) {
    parse("LP data=x devex", kTraceSyntax);
    EXPECT_EQ(count_lines_starting("NOTE: Parser token:"), 5) << log_text();
    EXPECT_EQ(count_lines_starting("NOTE: Parser record:"), 0);
}

TEST_F(ParserTest, SemanticTraceShowsTheRecord) {
    parse("LP data=lib.x maxit=7 devex", kTraceSemantic);
    ASSERT_EQ(count_lines_starting("NOTE: Parser record:"), 1) << log_text();
    const std::string& line = log.back();
    EXPECT_NE(line.find("statement LP"), std::string::npos) << line;
    EXPECT_NE(line.find("flags 0"), std::string::npos) << line;
    EXPECT_NE(line.find("slot 0=7"), std::string::npos) << line;
    EXPECT_NE(line.find("data 0=LIB.x"), std::string::npos) << line;
}

// ------------------------------------------------------------ grammar checks

TEST_F(FrontTest, MalformedGrammarsAreRefusedWithAReason) {
    struct Breakage {
        const char* name;
        void (*apply)(GrammarBuilder&);
    };
    const Breakage cases[] = {
        {"magic", [](GrammarBuilder& b) { b.descriptor().entry[TYM_GR_MAGIC] = nullptr; }},
        {"keyword count",
         [](GrammarBuilder& b) {
             b.descriptor().entry[TYM_GR_KEYWORD_COUNT] = reinterpret_cast<const void*>(intptr_t{3});
         }},
        {"slot count",
         [](GrammarBuilder& b) {
             b.descriptor().entry[TYM_GR_SLOT_COUNT] = reinterpret_cast<const void*>(intptr_t{97});
         }},
        {"statements", [](GrammarBuilder& b) { b.descriptor().entry[TYM_GR_STATEMENTS] = nullptr; }},
    };
    for (const Breakage& c : cases) {
        GrammarBuilder b;
        build_test_grammar(b);
        b.grammar();
        c.apply(b);
        GrammarView v;
        std::string why;
        EXPECT_FALSE(v.load(&b.descriptor(), &why)) << c.name;
        EXPECT_FALSE(why.empty()) << c.name;
    }
}

TEST_F(FrontTest, OptionsOutsideTheRecordAreRefused) {
    struct Breakage {
        int kind;
        int bit;
        int slot;
    };
    const Breakage cases[] = {{TYM_OPT_NUMBER, 0, 16}, {TYM_OPT_PAIR, 0, 15}, {TYM_OPT_DATASET, 0, 8},
                              {TYM_OPT_LIST, 0, 4},    {TYM_OPT_FLAG, 40, 0}, {99, 0, 0}};
    for (const Breakage& c : cases) {
        GrammarBuilder b;
        b.statement("LP", TYM_STMT_OPTIONS, 1, true).option("X", c.kind, c.bit, c.slot);
        GrammarView v;
        std::string why;
        EXPECT_FALSE(v.load(b.grammar(), &why)) << c.kind << " " << c.slot;
    }
    GrammarBuilder ok;
    ok.statement("LP", TYM_STMT_OPTIONS, 1, true).option("X", TYM_OPT_PAIR, 0, 14).option("Y", TYM_OPT_FLAG, 39, 0);
    GrammarView v;
    std::string why;
    EXPECT_TRUE(v.load(ok.grammar(), &why)) << why;
}

}  // namespace

namespace {

TEST_F(ParserTest, LongStatementsAreCutInMessagesButKeptInTheRecord) {
    std::string text = "LP data=x";
    while (text.size() < 1000) text += " maxit=1";
    text += " bogus";
    const TymParseRecord& r = parse(text).record;
    EXPECT_FALSE(ok);
    EXPECT_EQ(std::string(r.text), text);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_LT(log[0].size(), 400u);
    EXPECT_NE(log[0].find("...\": unknown option BOGUS."), std::string::npos) << log[0];
}

}  // namespace
