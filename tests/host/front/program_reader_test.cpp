// Statement splitting and tokens: comments, quotes, line numbers, the
// incremental feed the terminal uses.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "front/lexer.h"
#include "front/program_text.h"
#include "front/statement_splitter.h"

using namespace qmlp::front;

namespace {

std::vector<std::string> texts(const std::vector<Statement>& stmts) {
    std::vector<std::string> out;
    for (const Statement& s : stmts) out.push_back(s.text);
    return out;
}

TEST(StatementSplitter, CutsAtSemicolonsAndCollapsesBlanks) {
    auto stmts = split_statements("LP  data=x\n   maxit=5;\nRUN;;  QUIT ;");
    EXPECT_EQ(texts(stmts), (std::vector<std::string>{"LP data=x maxit=5", "RUN", "QUIT"}));
    EXPECT_EQ(stmts[0].line, 1);
    EXPECT_EQ(stmts[1].line, 3);
    EXPECT_EQ(stmts[0].raw, "LP  data=x\n   maxit=5");
}

TEST(StatementSplitter, BlockCommentsBecomeOneBlankAnywhere) {
    auto stmts = split_statements("/* head ; 'quote */ LP/*x*/data=a /* two\nlines; */ devex;");
    ASSERT_EQ(stmts.size(), 1u);
    EXPECT_EQ(stmts[0].text, "LP data=a devex");
    EXPECT_EQ(stmts[0].line, 1);
}

TEST(StatementSplitter, StarCommentIsAWholeStatementAndIgnoresQuotes) {
    auto stmts = split_statements("* don't stop here;\nLP data=x; * another * one ;RUN;");
    EXPECT_EQ(texts(stmts), (std::vector<std::string>{"LP data=x", "RUN"}));
    EXPECT_EQ(stmts[0].line, 2);
}

TEST(StatementSplitter, StarInsideAStatementIsText) {
    auto stmts = split_statements("%put a * b;");
    EXPECT_EQ(texts(stmts), (std::vector<std::string>{"%put a * b"}));
}

TEST(StatementSplitter, QuotesProtectSemicolonsCommentsAndBlanks) {
    auto stmts = split_statements("LIBNAME a 'x;y /* z */  w';%PUT \"it\"\"s; ok\";");
    EXPECT_EQ(texts(stmts), (std::vector<std::string>{"LIBNAME a 'x;y /* z */  w'", "%PUT \"it\"\"s; ok\""}));
}

TEST(StatementSplitter, DoubledQuoteAtTheEndOfAFeedIsResolvedByTheNext) {
    StatementSplitter sp;
    sp.feed("%put 'a'");
    sp.feed("'b';");
    sp.finish();
    Statement s;
    ASSERT_TRUE(sp.next(s));
    EXPECT_EQ(s.text, "%put 'a''b'");
}

TEST(StatementSplitter, SlashThatIsNotACommentIsKept) {
    auto stmts = split_statements("%put a/b /;");
    EXPECT_EQ(texts(stmts), (std::vector<std::string>{"%put a/b /"}));
}

TEST(StatementSplitter, LastStatementWithoutSemicolonIsMarked) {
    auto stmts = split_statements("RUN;\nQUIT");
    ASSERT_EQ(stmts.size(), 2u);
    EXPECT_TRUE(stmts[0].terminated);
    EXPECT_FALSE(stmts[1].terminated);
    EXPECT_EQ(stmts[1].line, 2);
}

TEST(StatementSplitter, UnclosedQuoteDropsTheStatementWithAnError) {
    std::vector<SplitProblem> problems;
    auto stmts = split_statements("RUN;\nLIBNAME a 'never closed;\nQUIT;", &problems);
    EXPECT_EQ(texts(stmts), (std::vector<std::string>{"RUN"}));
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_TRUE(problems[0].is_error);
    EXPECT_EQ(problems[0].line, 2);
}

// Everything after an unclosed comment would go unread: an error, not a
// warning.
TEST(StatementSplitter, UnclosedCommentIsAnError) {
    std::vector<SplitProblem> problems;
    auto stmts = split_statements("RUN;\n/* open\nLP data=x;\nRUN;\n", &problems);
    EXPECT_EQ(texts(stmts), (std::vector<std::string>{"RUN"}));
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_TRUE(problems[0].is_error);
    EXPECT_EQ(problems[0].line, 2);
}

TEST(ProgramText, ReadsInPiecesDropsAByteOrderMarkAndBoundsAStatement) {
    std::string text;
    std::size_t line = 0;
    std::istringstream bom("\xEF\xBB\xBFLP data=x;\nRUN;\n");
    ASSERT_EQ(read_program_text(bom, text, &line), ProgramRead::kOk);
    EXPECT_EQ(text, "LP data=x;\nRUN;\n");

    // Many statements, each short, may make a program far longer than one
    // statement may be; a piece boundary inside one changes nothing.
    std::string many;
    while (many.size() < 3 * kMaxStatementBytes) many += "%PUT " + std::string(1000, 'a') + ";\n";
    std::istringstream long_program(many);
    ASSERT_EQ(read_program_text(long_program, text, &line), ProgramRead::kOk);
    EXPECT_EQ(text, many);

    // One statement past the bound is refused, and its first line named.
    std::istringstream endless("RUN;\nRUN;\n%PUT " + std::string(kMaxStatementBytes, 'z'));
    EXPECT_EQ(read_program_text(endless, text, &line), ProgramRead::kStatementTooLong);
    EXPECT_EQ(line, 3u);
    EXPECT_TRUE(text.empty());

    // A BOM elsewhere is text like any other.
    std::istringstream inner("RUN; \xEF\xBB\xBF");
    ASSERT_EQ(read_program_text(inner, text, &line), ProgramRead::kOk);
    EXPECT_EQ(text, "RUN; \xEF\xBB\xBF");
}

TEST(StatementSplitter, IncrementalFeedKeepsStateAcrossLines) {
    StatementSplitter sp;
    Statement s;
    sp.feed("run; show\n");
    ASSERT_TRUE(sp.next(s));
    EXPECT_EQ(s.text, "run");
    EXPECT_FALSE(sp.next(s));
    EXPECT_TRUE(sp.partial());
    sp.feed("/* still\n");
    EXPECT_TRUE(sp.partial());
    sp.feed("open */ ;\n");
    ASSERT_TRUE(sp.next(s));
    EXPECT_EQ(s.text, "show");
    EXPECT_FALSE(sp.partial());
    sp.feed("reset maxit=\n");
    sp.discard_partial();
    EXPECT_FALSE(sp.partial());
}

TEST(Lexer, TokenKindsAndValues) {
    auto t = tokenize("LP data=lib.x eps=1e-6 x=.5 y=2. 'it''s' \"q\" &z -3");
    ASSERT_GE(t.size(), 20u);
    EXPECT_EQ(t[0].kind, TokenKind::Word);
    EXPECT_EQ(t[3].text, "lib");
    EXPECT_EQ(t[4].kind, TokenKind::Punct);
    EXPECT_EQ(t[4].text, ".");
    EXPECT_EQ(t[8].kind, TokenKind::Number);
    EXPECT_DOUBLE_EQ(t[8].number, 1e-6);
    EXPECT_DOUBLE_EQ(t[11].number, 0.5);
    EXPECT_DOUBLE_EQ(t[14].number, 2.0);
    EXPECT_EQ(t[15].kind, TokenKind::String);
    EXPECT_EQ(t[15].text, "it's");
    EXPECT_EQ(t[16].text, "q");
    EXPECT_EQ(t[17].text, "&");
    EXPECT_EQ(t[19].text, "-");  // a sign is never part of a number
    EXPECT_EQ(t[20].kind, TokenKind::Number);
    EXPECT_EQ(t.back().kind, TokenKind::End);
}

TEST(Lexer, ExponentWithoutDigitsIsNotPartOfTheNumber) {
    auto t = tokenize("1e 2E+ 3e+4");
    EXPECT_EQ(t[0].text, "1");
    EXPECT_EQ(t[1].text, "e");
    EXPECT_EQ(t[2].text, "2");
    EXPECT_EQ(t[3].text, "E");
    EXPECT_EQ(t[4].text, "+");
    EXPECT_DOUBLE_EQ(t[5].number, 3e4);
}

TEST(Lexer, OutOfRangeNumbersReadAsInfinityOrZero) {
    auto t = tokenize("1e999 1e-999");
    EXPECT_TRUE(std::isinf(t[0].number));
    EXPECT_EQ(t[1].number, 0.0);
}

TEST(Lexer, UnclosedQuoteIsReported) {
    bool unclosed = false;
    auto t = tokenize("x='abc", &unclosed);
    EXPECT_TRUE(unclosed);
    EXPECT_EQ(t[2].text, "abc");
}

}  // namespace
