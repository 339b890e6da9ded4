// The host parser reading the procedure's real grammar: every word the
// grammar uses must be reachable by its spelling, even when the keyword
// table holds the same word twice.
#include <gtest/gtest.h>

#include "control/grammar.h"
#include "front/grammar_view.h"

namespace {

using qmlp::front::GrammarView;

TEST(ModuleGrammar, EveryStatementOptionAndValueWordResolvesToItsOwnEntry) {
    GrammarView view;
    std::string why;
    ASSERT_TRUE(view.load(&tymlp::grammar_template(), &why)) << why;

    auto check = [&](int index, const char* what) {
        const std::string& word = view.keyword(index);
        EXPECT_EQ(view.keyword_index(word), index) << what << " " << word;
    };
    for (int i = 0; i < tymlp::grammar_statement_count(); ++i)
        check(tymlp::grammar_statements()[i].keyword, "statement");
    for (int i = 0; i < tymlp::grammar_option_count(); ++i) check(tymlp::grammar_options()[i].keyword, "option");
    for (int i = 0; i < tymlp::grammar_choice_count(); ++i) check(tymlp::grammar_choices()[i].keyword, "value");
}

TEST(ModuleGrammar, TimeIsAnOptionOfTheProcedureStatement) {
    // "TIME" is also one of the token classes at the head of the table.
    GrammarView view;
    std::string why;
    ASSERT_TRUE(view.load(&tymlp::grammar_template(), &why)) << why;
    const TymStatementDef* lp = view.statement(view.keyword_index("LP"));
    ASSERT_NE(lp, nullptr);
    EXPECT_NE(view.option(*lp, view.keyword_index("TIME")), nullptr);
    EXPECT_NE(view.option(*lp, view.keyword_index("time")), nullptr);
}

}  // namespace
