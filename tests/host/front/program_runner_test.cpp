// Whole programs with a stand-in procedure: steps and host statements in
// order, where steps end, program errors, exit statuses, the end of step
// through end_step, breaks.
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

#include "front/attention.h"
#include "front/exit_status.h"
#include "front/host_object.h"
#include "front/macro_store.h"
#include "front/parser_vector.h"
#include "front/program_runner.h"
#include "front/step_vector.h"
#include "front_test_support.h"

using namespace qmlp::front;
using namespace fronttest;

namespace {

// What the stand-in procedure does and saw; one per test.
struct Fake {
    GrammarBuilder grammar;
    std::vector<int> end_codes;  // end code of step k (missing: return)
    std::vector<std::string> procedure_texts;
    std::vector<std::vector<int>> statements;  // per step
    std::function<void()> during;
    int calls = 0;
    void* slot_seen = reinterpret_cast<void*>(1);
};
Fake* g_fake = nullptr;

int record_statement(void* cookie, TymParseRecord* rec) {
    static_cast<std::vector<int>*>(cookie)->push_back(rec->statement);
    return 0;
}

void fake_procedure() {
    Fake& f = *g_fake;
    const int step = f.calls++;
    f.slot_seen = host_object()->parser_state_slot;
    host_object()->parser_state_slot = &f;  // must not survive into the next step
    TymParserControl control{};
    control.flags = TYM_PARSER_PER_STATEMENT;
    control.statement = record_statement;
    f.statements.emplace_back();
    TymParser p = parser_vector()->open(f.grammar.grammar(), &control, &f.statements.back(), 0, 0);
    TymParseRecord* rec = parser_vector()->run(p);
    f.procedure_texts.push_back(rec ? rec->text : "(none)");
    if (f.during) f.during();
    // The parser is left open on purpose: the step runner closes it.
    if (static_cast<size_t>(step) < f.end_codes.size()) step_vector()->end_step(f.end_codes[static_cast<size_t>(step)]);
}

class ProgramTest : public FrontTest {
  protected:
    void SetUp() override {
        FrontTest::SetUp();
        build_test_grammar(fake.grammar);
        g_fake = &fake;
        macros().clear();
        attention_reset();
        last_dataset = member_ref("LAST");
        settings.load_procedure = [this]() -> ProcedureEntry {
            ++loads;
            if (refuse_load) {
                log.push_back("ERROR: (fake) cannot load");
                return nullptr;
            }
            return fake_procedure;
        };
    }
    void TearDown() override {
        g_fake = nullptr;
        macros().clear();
        attention_reset();
        FrontTest::TearDown();
    }
    int run(const std::string& program) { return run_program(program, settings); }
    std::vector<std::string> raw_lines() const {
        std::vector<std::string> out;
        for (const std::string& l : log)
            if (l.rfind("NOTE: ", 0) != 0 && l.rfind("WARNING: ", 0) != 0 && l.rfind("ERROR: ", 0) != 0)
                out.push_back(l);
        return out;
    }

    Fake fake;
    ProgramSettings settings;
    int loads = 0;
    bool refuse_load = false;
};

TEST_F(ProgramTest, HostStatementsAndStepsRunInProgramOrder) {
    const int status =
        run("%let who = world;\n%put hello &who;\nLP data=a; RUN;\n%put between;\n"
            "LP data=b; QUIT;\n%put end;\n");
    EXPECT_EQ(status, kExitOk) << log_text();
    EXPECT_EQ(raw_lines(), (std::vector<std::string>{"hello world", "between", "end"}));
    EXPECT_EQ(steps_begun, (std::vector<int>{1, 2}));
    EXPECT_EQ(steps_ended, 2);
    EXPECT_EQ(fake.procedure_texts, (std::vector<std::string>{"LP data=a", "LP data=b"}));
    EXPECT_EQ(loads, 1);
}

TEST_F(ProgramTest, StepEndsAtTheNextStepAHostStatementOrQuit) {
    const int status = run("LP data=a; SHOW; LP data=b; RESET; %put x; LP data=c; QUIT; SHOW;");
    ASSERT_EQ(fake.statements.size(), 3u);
    EXPECT_EQ(fake.statements[0], (std::vector<int>{kStmtLp, kStmtShow}));
    EXPECT_EQ(fake.statements[1], (std::vector<int>{kStmtLp, kStmtReset}));
    EXPECT_EQ(fake.statements[2], (std::vector<int>{kStmtLp, kStmtQuit}));
    // The SHOW after QUIT is outside any step.
    EXPECT_EQ(status, kExitProgramError);
    EXPECT_EQ(count_lines_starting("ERROR: Line 1: statement \"SHOW\" is not known outside an LP step"), 1)
        << log_text();
}

TEST_F(ProgramTest, UnknownStatementsOutsideStepsAreSkippedWithTheirLine) {
    const int status = run("%put a;\n\nfrobnicate x;\n%put b;");
    EXPECT_EQ(status, kExitProgramError);
    EXPECT_EQ(count_lines_starting("ERROR: Line 3: statement \"frobnicate x\""), 1) << log_text();
    EXPECT_EQ(raw_lines(), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(loads, 0);  // no step, no module
}

TEST_F(ProgramTest, CommentsAndEmptyProgramsRunNothing) {
    EXPECT_EQ(run(""), kExitOk);
    EXPECT_EQ(run("/* only */ * comments;\n;;"), kExitOk);
    EXPECT_TRUE(log.empty()) << log_text();
}

TEST_F(ProgramTest, ModuleThatCannotBeLoadedEndsTheProgramBeforeAnything) {
    refuse_load = true;
    EXPECT_EQ(run("%put first;\nLP data=a; RUN;"), kExitModuleLoad);
    EXPECT_TRUE(raw_lines().empty());
    EXPECT_TRUE(steps_begun.empty());
}

struct ExitCase {
    std::vector<int> codes;
    int status;
};

class ExitStatusTest : public ProgramTest, public ::testing::WithParamInterface<ExitCase> {};

TEST_P(ExitStatusTest, LargestStatusOverTheSteps) {
    fake.end_codes = GetParam().codes;
    std::string program;
    for (size_t i = 0; i < GetParam().codes.size(); ++i) program += "LP data=a; RUN;\n";
    EXPECT_EQ(run(program), GetParam().status);
}

INSTANTIATE_TEST_SUITE_P(Codes, ExitStatusTest,
                         ::testing::Values(ExitCase{{0}, 0}, ExitCase{{1, 0}, 0}, ExitCase{{2000}, 2},
                                           ExitCase{{3000}, 2}, ExitCase{{1008}, 3}, ExitCase{{1016}, 4},
                                           ExitCase{{1020}, 5}, ExitCase{{1020, 1008, 0}, 5},
                                           ExitCase{{0, 1016, 2000}, 4}, ExitCase{{7}, 2}));

TEST_F(ProgramTest, ProcedureThatReturnsEndsWithCodeZero) {
    EXPECT_EQ(run("LP data=a; RUN;"), kExitOk);
    EXPECT_EQ(fake.calls, 1);
}

TEST_F(ProgramTest, StepErrorAndProgramErrorCombine) {
    fake.end_codes = {1016};
    EXPECT_EQ(run("bogus; LP data=a; RUN;"), kExitMemory);
}

TEST_F(ProgramTest, LibnameGoesToTheDataPart) {
    EXPECT_EQ(run("libname mylib 'some/folder';\nLIBNAME q \"x\";"), kExitOk) << log_text();
    EXPECT_EQ(libnames, (std::vector<std::pair<std::string, std::string>>{{"mylib", "some/folder"}, {"q", "x"}}));
}

TEST_F(ProgramTest, RefusedOrMalformedLibnameIsAProgramError) {
    refuse_libnames = true;
    EXPECT_EQ(run("libname mylib 'nowhere';"), kExitProgramError);
    refuse_libnames = false;
    log.clear();
    EXPECT_EQ(run("libname mylib nowhere;"), kExitProgramError);
    EXPECT_EQ(count_lines_starting("ERROR: Line 1: LIBNAME needs a library name and a quoted folder"), 1) << log_text();
    EXPECT_EQ(run("libname;"), kExitProgramError);
    EXPECT_TRUE(libnames.empty());
}

TEST_F(ProgramTest, LetTrimsResolvesAndRejectsBadForms) {
    EXPECT_EQ(run("%let a =  one  two ;\n%let b=&a.!;\n%put [&b];"), kExitOk);
    EXPECT_EQ(raw_lines(), (std::vector<std::string>{"[one  two!]"}));
    EXPECT_EQ(run("%let 9x = 1;"), kExitProgramError);
    EXPECT_EQ(run("%let x 1;"), kExitProgramError);
}

TEST_F(ProgramTest, PutKeepsInnerSpacingAndWarnsOnUndefinedReferences) {
    EXPECT_EQ(run("%put  a   b  /* c */ &none;"), kExitOk);
    EXPECT_EQ(raw_lines(), (std::vector<std::string>{"a   b    &none"}));  // the comment is one blank
    EXPECT_EQ(count_lines_starting("WARNING: Macro variable NONE"), 1);
}

TEST_F(ProgramTest, StatusOfTheProcedureIsVisibleToLaterStatements) {
    fake.during = [] { macros().set("_QMLP_", "STATUS=SUCCESSFUL"); };
    EXPECT_EQ(run("LP data=a; RUN; %put &_QMLP_;"), kExitOk);
    EXPECT_EQ(raw_lines(), (std::vector<std::string>{"STATUS=SUCCESSFUL"}));
}

TEST_F(ProgramTest, ParserStateSlotIsClearedForEveryStep) {
    run("LP data=a; RUN; LP data=b; RUN;");
    EXPECT_EQ(fake.slot_seen, nullptr);  // the second step saw a cleared slot
}

TEST_F(ProgramTest, UnexpectedExceptionFailsTheStepNotTheProgram) {
    fake.during = [] { throw std::runtime_error("boom"); };
    EXPECT_EQ(run("LP data=a; RUN; %put after;"), kExitProgramError);
    EXPECT_EQ(count_lines_starting("ERROR: The LP step failed unexpectedly: boom."), 1) << log_text();
    EXPECT_EQ(raw_lines(), (std::vector<std::string>{"after"}));
    EXPECT_EQ(steps_ended, 1);
}

// ----------------------------------------------------------------- breaks

int g_handler_calls = 0;
void* g_handler_cookie = nullptr;
void count_break(void* cookie) {
    ++g_handler_calls;
    g_handler_cookie = cookie;
}

TEST_F(ProgramTest, FirstBreakCallsTheModuleHandlerAndIsPolledOnce) {
    g_handler_calls = 0;
    int polls[3] = {-1, -1, -1};
    fake.during = [&] {
        const TymAttentionVector* a = attention_vector();
        a->install(count_break, &fake);
        polls[0] = a->poll();
        attention_raise_break();
        polls[1] = a->poll();
        polls[2] = a->poll();
    };
    EXPECT_EQ(run("LP data=a; RUN;"), kExitOk);
    EXPECT_EQ(g_handler_calls, 1);
    EXPECT_EQ(g_handler_cookie, &fake);
    EXPECT_EQ(polls[0], 0);
    EXPECT_EQ(polls[1], 1);
    EXPECT_EQ(polls[2], 0);
}

TEST_F(ProgramTest, SecondBreakInAStepEndsTheProgramWith130AfterClosingTheStep) {
    fake.during = [] {
        attention_raise_break();
        attention_raise_break();
        attention_vector()->poll();  // unwinds from here
        ADD_FAILURE() << "poll returned after the second break";
    };
    EXPECT_EQ(run("LP data=a; RUN; %put never;"), kExitInterrupted);
    EXPECT_EQ(steps_ended, 1);
    EXPECT_TRUE(raw_lines().empty());
    EXPECT_EQ(count_lines_starting("ERROR: The program was ended by a second interrupt."), 1);
}

TEST_F(ProgramTest, BreaksOfOneStepDoNotCountInTheNext) {
    fake.during = [] { attention_raise_break(); };
    EXPECT_EQ(run("LP data=a; RUN; LP data=b; RUN; %put done;"), kExitOk);
    EXPECT_EQ(raw_lines(), (std::vector<std::string>{"done"}));
}

TEST_F(ProgramTest, BreakBetweenStepsEndsTheProgram) {
    attention_raise_break();  // not in a step
    EXPECT_EQ(run("%put never;"), kExitInterrupted);
    EXPECT_TRUE(raw_lines().empty());
    // One break: the message does not speak of a second.
    EXPECT_EQ(count_lines_starting("ERROR: The program was ended by an interrupt."), 1);
}

// A pause spends the break that led to it: breaks with a pause between them
// are each handled, and only two with none between end the program.  A break
// while a prompt reads a line is no break of the run at all.
TEST_F(ProgramTest, APauseSpendsTheBreakAndAPromptBreakIsNoBreak) {
    g_handler_calls = 0;
    int polls[4] = {-1, -1, -1, -1};
    fake.during = [&] {
        const TymAttentionVector* a = attention_vector();
        a->install(count_break, &fake);
        attention_raise_break();
        polls[0] = a->poll();
        // The pause this break asked for opens its parser and reads.
        TymParser pause = parser_vector()->open(fake.grammar.grammar(), nullptr, &fake, 1, 0);
        attention_prompt_begin();
        attention_raise_break();  // Ctrl-C clearing a line at LP>
        attention_prompt_end();
        polls[1] = a->poll();
        parser_vector()->close(pause);
        attention_raise_break();  // after RUN: a first break again
        polls[2] = a->poll();
        polls[3] = a->poll();
    };
    EXPECT_EQ(run("LP data=a; RUN; %put after;"), kExitOk);
    EXPECT_EQ(g_handler_calls, 2);
    EXPECT_EQ(polls[0], 1);
    EXPECT_EQ(polls[1], 0);
    EXPECT_EQ(polls[2], 1);
    EXPECT_EQ(polls[3], 0);
    EXPECT_EQ(raw_lines(), (std::vector<std::string>{"after"}));

    // Two breaks with no pause between them still end the program.
    fake.during = [] {
        attention_raise_break();
        attention_raise_break();
        attention_vector()->poll();
    };
    EXPECT_EQ(run("LP data=a; RUN;"), kExitInterrupted);
}

TEST_F(ProgramTest, ABreakAtTheTopLevelPromptOnlyClearsTheLine) {
    attention_prompt_begin();
    attention_raise_break();
    attention_prompt_end();
    EXPECT_FALSE(attention_abort_requested());
    EXPECT_EQ(run("%put still here;"), kExitOk);
    EXPECT_EQ(raw_lines(), (std::vector<std::string>{"still here"}));
}

}  // namespace
