// Randomised robustness: random bytes and random token soup through the
// splitter, the macro resolver, the statement parser and the parser vector
// must never crash or hang, and every statement the parser refuses must have
// produced exactly one ERROR line and an error word.
#include <gtest/gtest.h>

#include <random>

#include "front/attention.h"
#include "front/macro_store.h"
#include "front/parser_vector.h"
#include "front/statement_parser.h"
#include "front/statement_splitter.h"
#include "front/step_context.h"
#include "front/varlist_expand.h"
#include "front_test_support.h"

using namespace qmlp::front;
using namespace fronttest;

namespace {

constexpr unsigned kSeed = 20240611;
constexpr int kRounds = 1500;
constexpr size_t kMaxBytes = 400;

const std::vector<std::string> kSoup = {"LP",         "lp",        "RHS",     "RUN",       "QUIT",
                                        "PRINT",      "RESET",     "SHOW",    "DATA",      "data",
                                        "PRIMALOUT",  "MAXIT",     "EPS",     "EPSILON",   "DEVEX",
                                        "NODEVEX",    "PRICETYPE", "PARTIAL", "complete",  "AUTO",
                                        "PREPROCESS", "BEPSILON",  "RANGE",   "COLUMN",    "COL",
                                        "=",          "(",         ")",       ",",         "-",
                                        "+",          ".",         ";",       ";",         "/*",
                                        "*/",         "*",         "'",       "\"",        "''",
                                        "&",          "&x",        "&x.",     "&nope",     "%put",
                                        "%let",       "LIBNAME",   "_ALL_",   "_NUMERIC_", "_char_",
                                        "a-b",        "x1-x9",     "1e400",   "-1e-400",   "3.5",
                                        ".5",         "1e",        "0",       "lib.mem",   "'path/p.csv'",
                                        "\n",         " ",         "\t",      "\xff",      std::string(1, '\0'),
                                        "\x01"};

class FuzzTest : public FrontTest {
  protected:
    void SetUp() override {
        FrontTest::SetUp();
        build_test_grammar(builder);
        std::string why;
        ASSERT_TRUE(grammar.load(builder.grammar(), &why)) << why;
        last_dataset = member_ref("LAST");
        datasets["LAST"] = {{"a", TYM_VAR_NUMERIC, 8}, {"b", TYM_VAR_CHAR, 8}, {"x1", TYM_VAR_NUMERIC, 8}};
        macros().clear();
        macros().set("x", "LP data=");
        attention_reset();
    }
    void TearDown() override {
        close_all_parsers();
        set_current_step(nullptr);
        attention_reset();
        macros().clear();
        FrontTest::TearDown();
    }

    std::string random_bytes(std::mt19937& rng) {
        std::uniform_int_distribution<size_t> len(0, kMaxBytes);
        std::uniform_int_distribution<int> byte(0, 255);
        std::string s(len(rng), '\0');
        for (char& c : s) c = static_cast<char>(byte(rng));
        return s;
    }
    std::string random_soup(std::mt19937& rng) {
        std::uniform_int_distribution<size_t> count(0, 60);
        std::uniform_int_distribution<size_t> pick(0, kSoup.size() - 1);
        std::uniform_int_distribution<int> glue(0, 2);
        std::string s;
        for (size_t n = count(rng); n > 0; --n) {
            s += kSoup[pick(rng)];
            if (glue(rng) == 0) s += ' ';
        }
        return s;
    }

    // Every statement of the text through the parser, checking the
    // error-reporting invariant.
    void parse_all(const std::string& text) {
        for (const Statement& s : split_statements(text)) {
            const std::string resolved = resolve_macros(s.text, macros());
            log.clear();
            ParsedStatement rec;
            const bool ok = parse_statement(grammar, resolved, 0, rec);
            ASSERT_EQ(ok, rec.record.error == 0) << resolved;
            ASSERT_EQ(count_lines_starting("ERROR: "), ok ? 0 : 1) << resolved << "\n" << log_text();
            if (ok && rec.is_varlist()) {
                std::vector<std::string> names;
                expand_varlist(rec.var_items, &datasets["LAST"], names);
            }
        }
    }

    // The text as the statements of a step, through run and read.
    void run_as_step(const std::string& text) {
        log.clear();
        StepContext step;
        step.statements = split_statements("LP " + text);
        set_current_step(&step);
        attention_step_begin();
        TymParserControl control{};
        control.flags = TYM_PARSER_PER_STATEMENT;
        control.statement = [](void*, TymParseRecord* r) { return r->text ? 0 : 1; };
        TymParser p = parser_vector()->open(builder.grammar(), &control, nullptr, 1, kTraceSyntax | kTraceSemantic);
        ASSERT_NE(p, nullptr);
        parser_vector()->run(p);
        TymParseRecord* rec = nullptr;
        int guard = 0;
        while (parser_vector()->read(p, &rec) == 0) ASSERT_LT(++guard, 10000);
        parser_vector()->close(p);
        attention_step_end();
        set_current_step(nullptr);
    }

    GrammarBuilder builder;
    GrammarView grammar;
};

TEST_F(FuzzTest, RandomBytesNeverCrash) {
    std::mt19937 rng(kSeed);
    for (int i = 0; i < kRounds; ++i) {
        const std::string text = random_bytes(rng);
        parse_all(text);
        if (HasFatalFailure()) return;
        run_as_step(text);
        if (HasFatalFailure()) return;
    }
}

TEST_F(FuzzTest, RandomTokenSoupNeverCrash) {
    std::mt19937 rng(kSeed + 1);
    for (int i = 0; i < kRounds; ++i) {
        const std::string text = random_soup(rng);
        parse_all(text);
        if (HasFatalFailure()) return;
        run_as_step(text);
        if (HasFatalFailure()) return;
    }
}

TEST_F(FuzzTest, IncrementalSplittingAgreesWithWholeSplitting) {
    std::mt19937 rng(kSeed + 2);
    std::uniform_int_distribution<size_t> cut(1, 7);
    for (int i = 0; i < kRounds; ++i) {
        const std::string text = random_soup(rng);
        std::vector<SplitProblem> whole_problems;
        const std::vector<Statement> whole = split_statements(text, &whole_problems);
        StatementSplitter sp;
        for (size_t pos = 0; pos < text.size();) {
            const size_t n = std::min(cut(rng), text.size() - pos);
            sp.feed(std::string_view(text).substr(pos, n));
            pos += n;
        }
        sp.finish();
        std::vector<Statement> pieces;
        Statement s;
        while (sp.next(s)) pieces.push_back(s);
        ASSERT_EQ(pieces.size(), whole.size()) << text;
        for (size_t k = 0; k < whole.size(); ++k) {
            ASSERT_EQ(pieces[k].text, whole[k].text) << text;
            ASSERT_EQ(pieces[k].raw, whole[k].raw) << text;
            ASSERT_EQ(pieces[k].line, whole[k].line) << text;
        }
        ASSERT_EQ(sp.take_problems().size(), whole_problems.size()) << text;
    }
}

}  // namespace
