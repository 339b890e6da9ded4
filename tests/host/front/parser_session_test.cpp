// The parser vector over a step's statements: run up to RUN or QUIT, the
// callbacks, the end callback, read after run, terminal input after a break
// or with --interactive, macro references, variable-list expansion.
#include <gtest/gtest.h>

#include <algorithm>

#include "front/attention.h"
#include "front/macro_store.h"
#include "front/parser_vector.h"
#include "front/statement_parser.h"
#include "front/step_context.h"
#include "front_test_support.h"

using namespace qmlp::front;
using namespace fronttest;

namespace {

struct Calls {
    std::vector<int> statements;  // statement numbers, in order
    std::vector<int> errors;      // error words, in order
    std::vector<std::vector<std::string>> varlists;
    int ends = 0;
    int stop_at_statement = 0;  // return non-zero for this number
};

int on_statement(void* cookie, TymParseRecord* rec) {
    auto* c = static_cast<Calls*>(cookie);
    c->statements.push_back(rec->statement);
    c->errors.push_back(rec->error);
    return rec->statement == c->stop_at_statement ? 1 : 0;
}
int on_varlist(void* cookie, int, int count, const char* const* names) {
    auto* c = static_cast<Calls*>(cookie);
    c->varlists.emplace_back(names, names + count);
    return 0;
}
int on_end(void* cookie) {
    ++static_cast<Calls*>(cookie)->ends;
    return 0;
}

class SessionTest : public FrontTest {
  protected:
    void SetUp() override {
        FrontTest::SetUp();
        build_test_grammar(builder);
        control.flags = TYM_PARSER_PER_STATEMENT;
        control.statement = on_statement;
        control.varlist = on_varlist;
        control.end = on_end;
        macros().clear();
        attention_reset();
    }
    void TearDown() override {
        close_all_parsers();
        attention_reset();
        set_current_step(nullptr);
        macros().clear();
        FrontTest::TearDown();
    }
    void start_step(const std::string& program, bool interactive = false) {
        step.statements = split_statements(program);
        step.number = 1;
        step.interactive = interactive;
        step.terminal = terminal.get();
        set_current_step(&step);
        attention_step_begin();
    }
    void use_terminal(std::vector<std::optional<std::string>> lines) {
        auto src = std::make_unique<ScriptedLines>(std::move(lines));
        lines_ = src.get();
        terminal = std::make_unique<TerminalReader>(std::move(src));
        step.terminal = terminal.get();
    }
    TymParser open(int interactive = 0) {
        return parser_vector()->open(builder.grammar(), &control, &calls, interactive, 0);
    }
    // Reads until the end; returns the statement numbers read.
    std::vector<int> read_all(TymParser p) {
        std::vector<int> out;
        TymParseRecord* rec = nullptr;
        while (parser_vector()->read(p, &rec) == 0) out.push_back(rec ? rec->statement : -1);
        return out;
    }

    GrammarBuilder builder;
    TymParserControl control{};
    Calls calls;
    StepContext step;
    std::unique_ptr<TerminalReader> terminal;
    ScriptedLines* lines_ = nullptr;
};

TEST_F(SessionTest, RunStopsAfterRunAndReadDeliversTheRest) {
    start_step("LP data=x; RHS r1 r2; RUN; SHOW; RESET maxit=3; QUIT;");
    TymParser p = open();
    ASSERT_NE(p, nullptr);
    TymParseRecord* rec = parser_vector()->run(p);
    ASSERT_NE(rec, nullptr);
    EXPECT_EQ(rec->statement, kStmtLp);
    EXPECT_EQ(calls.statements, (std::vector<int>{kStmtLp, kStmtRhs, kStmtRun}));
    ASSERT_EQ(calls.varlists.size(), 1u);
    EXPECT_EQ(calls.varlists[0], (std::vector<std::string>{"r1", "r2"}));
    EXPECT_EQ(calls.ends, 0);  // statements remain
    EXPECT_EQ(step.cursor, 3u);
    parser_vector()->close(p);

    TymParser pause = open(1);
    EXPECT_EQ(read_all(pause), (std::vector<int>{kStmtShow, kStmtReset, kStmtQuit}));
    EXPECT_EQ(calls.statements.size(), 3u);  // read does not call the statement callback
    parser_vector()->close(pause);
}

TEST_F(SessionTest, EndCallbackOnceWhenRunUsesUpTheStatements) {
    start_step("LP data=x; RUN;");
    TymParser p = open();
    ASSERT_NE(parser_vector()->run(p), nullptr);
    EXPECT_EQ(calls.ends, 1);
    EXPECT_EQ(read_all(p), std::vector<int>{});
    EXPECT_EQ(parser_vector()->run(p), nullptr);  // nothing left
    EXPECT_EQ(calls.ends, 1);
}

TEST_F(SessionTest, StepWithoutRunParsesToTheEnd) {
    start_step("LP data=x; RHS a; SHOW");
    TymParser p = open();
    ASSERT_NE(parser_vector()->run(p), nullptr);
    EXPECT_EQ(calls.statements, (std::vector<int>{kStmtLp, kStmtRhs, kStmtShow}));
    EXPECT_EQ(calls.ends, 1);
    EXPECT_EQ(count_lines_starting("WARNING: "), 1);  // the missing ";"
}

TEST_F(SessionTest, QuitEndsTheRunToo) {
    start_step("LP data=x; QUIT; SHOW;");
    TymParser p = open();
    parser_vector()->run(p);
    EXPECT_EQ(calls.statements, (std::vector<int>{kStmtLp, kStmtQuit}));
}

TEST_F(SessionTest, WithoutPerStatementFlagOnlyTheProcedureStatementIsCalledBack) {
    control.flags = 0;
    start_step("LP data=x; SHOW; RUN;");
    parser_vector()->run(open());
    EXPECT_EQ(calls.statements, (std::vector<int>{kStmtLp}));
}

TEST_F(SessionTest, NonZeroCallbackStopsTheRun) {
    calls.stop_at_statement = kStmtShow;
    start_step("LP data=x; SHOW; RESET; RUN;");
    TymParser p = open();
    parser_vector()->run(p);
    EXPECT_EQ(calls.statements, (std::vector<int>{kStmtLp, kStmtShow}));
    EXPECT_EQ(read_all(p), (std::vector<int>{kStmtReset, kStmtRun}));
}

TEST_F(SessionTest, SyntaxErrorInTheProcedureStatementReturnsNullButGoesOn) {
    start_step("LP data=x foo=1; SHOW; RUN;");
    TymParser p = open();
    EXPECT_EQ(parser_vector()->run(p), nullptr);
    EXPECT_EQ(calls.statements, (std::vector<int>{kStmtLp, kStmtShow, kStmtRun}));
    EXPECT_EQ(calls.errors, (std::vector<int>{kRecordSyntaxError, 0, 0}));
}

TEST_F(SessionTest, ErrorInALaterStatementIsReportedAndSkippedOver) {
    start_step("LP data=x; RESET bogus; RUN;");
    TymParser p = open();
    EXPECT_NE(parser_vector()->run(p), nullptr);
    EXPECT_EQ(calls.errors, (std::vector<int>{0, kRecordSyntaxError, 0}));
    EXPECT_EQ(count_lines_starting("ERROR: Syntax error in statement \"RESET bogus\": unknown option BOGUS."), 1)
        << log_text();
}

TEST_F(SessionTest, RecordsStayValidUntilTheNextCall) {
    start_step("LP data=x maxit=9; RUN; SHOW;");
    TymParser p = open();
    TymParseRecord* rec = parser_vector()->run(p);
    ASSERT_NE(rec, nullptr);
    std::string text = rec->text;  // readable after run returned
    EXPECT_EQ(text, "LP data=x maxit=9");
    EXPECT_EQ(rec->values[kSlotMaxit].value, 9);
    EXPECT_STREQ(rec->data[kDataIn]->member, "x");
}

TEST_F(SessionTest, MacroReferencesAreResolvedWhenTheStatementIsParsed) {
    start_step("LP data=&ds maxit=&n.0; RUN;");
    macros().set("ds", "prob");
    macros().set("N", "4");
    TymParseRecord* rec = parser_vector()->run(open());
    ASSERT_NE(rec, nullptr) << log_text();
    EXPECT_STREQ(rec->data[kDataIn]->member, "prob");
    EXPECT_EQ(rec->values[kSlotMaxit].value, 40);
    EXPECT_STREQ(rec->text, "LP data=prob maxit=40");
}

TEST_F(SessionTest, UndefinedMacroReferenceWarnsAndStaysAsWritten) {
    start_step("LP data=x maxit=&nope; RUN;");
    EXPECT_EQ(parser_vector()->run(open()), nullptr);
    EXPECT_EQ(count_lines_starting("WARNING: Macro variable NOPE is not defined"), 1) << log_text();
    EXPECT_EQ(count_lines_starting("ERROR: Syntax error in statement \"LP data=x maxit=&nope\""), 1) << log_text();
}

TEST_F(SessionTest, VariableListsExpandAgainstTheDataDataSetOnce) {
    datasets["PROB"] = {{"_TYPE_", TYM_VAR_CHAR, 8},
                        {"a", TYM_VAR_NUMERIC, 8},
                        {"rhs1", TYM_VAR_NUMERIC, 8},
                        {"rhs2", TYM_VAR_NUMERIC, 8},
                        {"lbl", TYM_VAR_CHAR, 8}};
    start_step("LP data=prob; RHS rhs1-rhs2; RHS _character_ plain; RHS rhs2-rhs1; RUN;");
    parser_vector()->run(open());
    ASSERT_EQ(calls.varlists.size(), 2u);
    EXPECT_EQ(calls.varlists[0], (std::vector<std::string>{"rhs1", "rhs2"}));
    EXPECT_EQ(calls.varlists[1], (std::vector<std::string>{"_TYPE_", "lbl", "plain"}));
    EXPECT_EQ(calls.errors.back(), 0);
    EXPECT_EQ(calls.errors[3], kRecordSyntaxError);  // the backward range
    EXPECT_EQ(dataset_opens, 1);
}

TEST_F(SessionTest, PlainVariableListDoesNotOpenTheDataSet) {
    start_step("LP data=nosuch; RHS r1 r2; RUN;");
    parser_vector()->run(open());
    EXPECT_EQ(dataset_opens, 0);
    EXPECT_EQ(calls.varlists.size(), 1u);
}

TEST_F(SessionTest, BatchPauseDoesNotReadTheTerminal) {
    use_terminal({"show;"});
    start_step("LP data=x; RUN;");
    parser_vector()->run(open());
    TymParser pause = open(1);
    EXPECT_EQ(read_all(pause), std::vector<int>{});
    EXPECT_TRUE(lines_->prompts.empty());
}

TEST_F(SessionTest, AfterABreakTheNextPauseReadsTheTerminalOnce) {
    use_terminal({"show; reset", "maxit=4;", "run;"});
    start_step("LP data=x; RUN;");
    parser_vector()->run(open());
    attention_raise_break();
    TymParser pause = open(1);
    EXPECT_EQ(read_all(pause), (std::vector<int>{kStmtShow, kStmtReset, kStmtRun}));
    EXPECT_EQ(lines_->prompts, (std::vector<std::string>{"LP> ", "  > ", "LP> ", "LP> "}));
    parser_vector()->close(pause);
    EXPECT_FALSE(attention_terminal_requested());
    TymParser next = open(1);
    EXPECT_EQ(read_all(next), std::vector<int>{});  // the break has been served
}

TEST_F(SessionTest, InteractiveProgramPromptsAndGetsNoEndCallback) {
    use_terminal({"quit;"});
    start_step("LP data=x; RUN;", /*interactive=*/true);
    parser_vector()->run(open());
    EXPECT_EQ(calls.ends, 0);
    EXPECT_EQ(read_all(open(1)), (std::vector<int>{kStmtQuit}));
}

TEST_F(SessionTest, TerminalHostStatementsRunAtOnceAndBreakDropsTheLine) {
    use_terminal({"%let v = 7;", "reset maxit=", std::nullopt, "%put v=&v;", "reset maxit=&v;"});
    start_step("LP data=x; RUN;", true);
    parser_vector()->run(open());
    TymParser pause = open(1);
    TymParseRecord* rec = nullptr;
    ASSERT_EQ(parser_vector()->read(pause, &rec), 0);
    EXPECT_EQ(rec->statement, kStmtReset);
    EXPECT_EQ(rec->values[kSlotMaxit].value, 7);
    EXPECT_EQ(std::count(log.begin(), log.end(), "v=7"), 1) << log_text();
    EXPECT_EQ(parser_vector()->read(pause, &rec), 1);
}

TEST_F(SessionTest, UnknownStatementAtThePromptIsAnErrorRecord) {
    use_terminal({"frob;"});
    start_step("LP data=x; RUN;", true);
    parser_vector()->run(open());
    TymParser pause = open(1);
    TymParseRecord* rec = nullptr;
    ASSERT_EQ(parser_vector()->read(pause, &rec), 0);
    EXPECT_NE(rec->error, 0);
    EXPECT_EQ(count_lines_starting("ERROR: Syntax error in statement \"frob\": unknown statement FROB."), 1);
}

TEST_F(SessionTest, FirstStatementMustStartAProcedureStep) {
    start_step("SHOW; RUN;");
    EXPECT_EQ(parser_vector()->run(open()), nullptr);
    EXPECT_EQ(calls.errors.front(), kRecordSyntaxError);
}

TEST_F(SessionTest, BadGrammarGivesNoParserAndAnError) {
    start_step("LP data=x;");
    builder.grammar();
    builder.descriptor().entry[TYM_GR_MAGIC] = nullptr;
    EXPECT_EQ(parser_vector()->open(&builder.descriptor(), &control, &calls, 0, 0), nullptr);
    EXPECT_EQ(count_lines_starting("ERROR: The procedure's statement grammar cannot be used"), 1);
}

TEST_F(SessionTest, UnknownOrClosedHandlesAreRefused) {
    start_step("LP data=x;");
    TymParser p = open();
    EXPECT_EQ(parser_vector()->close(p), 0);
    EXPECT_EQ(parser_vector()->close(p), -1);
    EXPECT_EQ(parser_vector()->run(p), nullptr);
    TymParseRecord* rec = reinterpret_cast<TymParseRecord*>(1);
    EXPECT_EQ(parser_vector()->read(p, &rec), 1);
    EXPECT_EQ(rec, nullptr);
}

}  // namespace
