// The keyword table, the productions and the grammar descriptor.
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "base/context_memory.h"
#include "control/grammar.h"
#include "control/keyword_table.h"
#include "control/option_slots.h"
#include "control/option_table.h"
#include "control_fixture.h"

namespace {

using namespace tymlp;

std::vector<std::string> walk_keywords() {
    std::vector<std::string> words;
    const uint8_t* p = keyword_bytes();
    while (*p != 0) {
        words.emplace_back(reinterpret_cast<const char*>(p + 1), *p);
        p += 1 + *p;
    }
    EXPECT_EQ(static_cast<size_t>(p - keyword_bytes()) + 1, keyword_bytes_size());
    return words;
}

std::string word(uint16_t index) { return std::string(kKeywords[index]); }
std::string bare(std::string w) {
    if (w.size() > 1 && w.back() == '$' && w != "$$$") w.pop_back();
    return w;
}

TEST(KeywordTable, IsLengthPrefixedAscendingAndComplete) {
    const auto words = walk_keywords();
    ASSERT_EQ(words.size(), kKeywords.size());
    EXPECT_EQ(words.front(), "NAMEX");
    EXPECT_EQ(words[17], "RESERVED5");
    EXPECT_EQ(words[kFirstOrderedKeyword], "(");
    EXPECT_EQ(words.back(), "$$$");
    for (size_t i = kFirstOrderedKeyword + 1; i + 1 < words.size(); ++i)
        EXPECT_LT(words[i - 1], words[i]) << "at " << i;

    const std::set<std::string> all(words.begin(), words.end());
    for (const char* w : {"BEPSILON$",
                          "BLANDSRULE$",
                          "CLENGTH$",
                          "COSTPHI$",
                          "CPERCENT$",
                          "CSIZE$",
                          "CSTSENOUT$",
                          "DEBUG$",
                          "INTOBJECTIVE$",
                          "NOBLANDSRULE$",
                          "NOSPARSEPRICING$",
                          "PERFORMANCE$",
                          "PRICING$",
                          "QCHECKSIZE$",
                          "QEPSILON$",
                          "QLRATIO$",
                          "QURATIO$",
                          "READMEMORY$",
                          "REFRESHQ$",
                          "RHSSENOUT$",
                          "SCALETYPE$",
                          "SPARSE$",
                          "SPARSEPRICING$",
                          "STARTPHASE$",
                          "WORKMEMORY$",
                          "LP",
                          "RESET",
                          "PIVOT",
                          "IPIVOT",
                          "SHOW",
                          "PRINT",
                          "RUN",
                          "QUIT",
                          "SAVE",
                          "_ALL_",
                          "_CHARACTER_",
                          "_CHAR_",
                          "_NUMERIC_",
                          "TYMDS",
                          "CATNAME",
                          "VLITERAL"})
        EXPECT_EQ(all.count(w), 1u) << w;
}

TEST(KeywordTable, LookupFindsTheWordWithoutItsMark) {
    EXPECT_EQ(word(kw("BEPSILON")), "BEPSILON$");
    EXPECT_EQ(word(kw("TIME")), "TIME");
    EXPECT_GE(kw("TIME"), kFirstOrderedKeyword);  // the option, not the token class
    EXPECT_EQ(word(kw("_NUMERIC_")), "_NUMERIC_");
}

bool valued_kind(uint8_t kind) {
    return kind == TYM_OPT_NUMBER || kind == TYM_OPT_CHOICE || kind == TYM_OPT_FLAG_VALUE || kind == TYM_OPT_PAIR ||
           kind == TYM_OPT_FLAG_PAIR;
}

TEST(Grammar, EveryOptionRefersToAKeywordAndAValidSlot) {
    const TymOptionDef* defs = grammar_options();
    for (int i = 0; i < grammar_option_count(); ++i) {
        const TymOptionDef& d = defs[i];
        EXPECT_GE(d.keyword, kFirstOrderedKeyword) << i;
        EXPECT_LT(d.keyword, kKeywordCount - 1) << i;
        if (valued_kind(d.kind)) {
            const int last = d.slot + (d.kind == TYM_OPT_FLAG_PAIR || d.kind == TYM_OPT_PAIR ? 1 : 0);
            EXPECT_LT(last, static_cast<int>(kSlotCount)) << word(d.keyword);
        }
        if (d.kind == TYM_OPT_DATASET) {
            EXPECT_LT(d.slot, kDsCount) << word(d.keyword);
        }
        if (d.kind == TYM_OPT_LIST) {
            EXPECT_LT(d.slot, TYM_MAX_LISTS) << word(d.keyword);
        }
        if (d.kind != TYM_OPT_NUMBER && d.kind != TYM_OPT_DATASET && d.kind != TYM_OPT_CHOICE) {
            EXPECT_LT(d.bit, 8 * TYM_FLAG_BYTES) << word(d.keyword);
        }
        if (d.kind == TYM_OPT_CHOICE) {
            EXPECT_GT(d.choice_count, 0) << word(d.keyword);
            EXPECT_LE(d.choice_first + d.choice_count, grammar_choice_count()) << word(d.keyword);
        }
    }
    for (int i = 0; i < grammar_choice_count(); ++i) EXPECT_LT(grammar_choices()[i].keyword, kKeywordCount);
}

// The options a statement accepts, by bare keyword.
std::map<std::string, TymOptionDef> options_of(int statement) {
    std::map<std::string, TymOptionDef> out;
    for (int s = 0; s < grammar_statement_count(); ++s) {
        const TymStatementDef& st = grammar_statements()[s];
        if (st.number != statement) continue;
        EXPECT_LE(st.first_option + st.option_count, grammar_option_count());
        for (int i = st.first_option; i < st.first_option + st.option_count; ++i) {
            const TymOptionDef& d = grammar_options()[i];
            EXPECT_TRUE(out.emplace(bare(word(d.keyword)), d).second) << "duplicate " << word(d.keyword);
        }
    }
    return out;
}

TEST(Grammar, TheLpStatementTakesEveryOptionOfTheTableInItsSlot) {
    const auto lp = options_of(kStmtLp);
    for (int i = 0; i < option_table_size(); ++i) {
        const OptionSpec& entry = option_table()[i];
        auto it = lp.find(entry.name);
        ASSERT_NE(it, lp.end()) << entry.name;
        EXPECT_TRUE(valued_kind(it->second.kind)) << entry.name;
        EXPECT_EQ(it->second.slot, entry.slot) << entry.name;
    }
    const std::pair<const char*, const char*> aliases[] = {
        {"EPS", "EPSILON"},  {"IEPS", "IEPSILON"},  {"REPS", "REPSILON"},   {"PEPS", "PEPSILON"},
        {"INF", "INFINITY"}, {"PIN", "PRIMALIN"},   {"POUT", "PRIMALOUT"},  {"DOUT", "DUALOUT"},
        {"AIN", "ACTIVEIN"}, {"AOUT", "ACTIVEOUT"}, {"TOUT", "TABLEAUOUT"},
    };
    for (auto [alias, name] : aliases) {
        ASSERT_TRUE(lp.count(alias) && lp.count(name)) << alias;
        EXPECT_EQ(lp.at(alias).slot, lp.at(name).slot) << alias;
        EXPECT_EQ(lp.at(alias).kind, lp.at(name).kind) << alias;
    }
    EXPECT_EQ(lp.at("DATA").kind, TYM_OPT_DATASET);
    EXPECT_EQ(lp.at("DATA").slot, kDsData);
    EXPECT_EQ(lp.at("AUTO").kind, TYM_OPT_FLAG_PAIR);
    EXPECT_EQ(lp.at("PREPROCESS").kind, TYM_OPT_FLAG_VALUE);
    EXPECT_EQ(lp.at("NOPREPROCESS").kind, TYM_OPT_FLAG);
    EXPECT_EQ(lp.at("SPARSEDATA").kind, TYM_OPT_FLAG);
}

TEST(Grammar, ResetSharesTheOptionsButNotTheInputs) {
    const auto reset = options_of(kStmtReset);
    EXPECT_EQ(reset.count("DATA"), 0u);
    EXPECT_EQ(reset.count("PRIMALIN"), 0u);
    EXPECT_EQ(reset.count("SPARSEDATA"), 0u);
    EXPECT_EQ(reset.count("PRIMALOUT"), 1u);
    EXPECT_EQ(reset.count("MAXIT"), 1u);
    EXPECT_EQ(reset.count("NODEVEX"), 1u);
}

TEST(Grammar, InteractiveStatements) {
    const auto quit = options_of(kStmtQuit);
    ASSERT_EQ(quit.count("SAVE"), 1u);
    EXPECT_EQ(quit.at("SAVE").bit, 6);  // 0x40 of the first flag byte

    const auto show = options_of(kStmtShow);
    EXPECT_EQ(show.count("OPTIONS"), 1u);
    EXPECT_EQ(show.count("STATUS"), 1u);

    const auto print = options_of(kStmtPrint);
    for (const char* w : {"SOLUTION", "COLUMN", "COL", "ROW", "INTEGER", "NONINTEGER", "NONZEROS", "ZEROS",
                          "INTEGER_NONZEROS", "INTEGER_ZEROS", "NONINTEGER_NONZEROS", "TABLEAU", "MATRIX", "PICTURE",
                          "SENSITIVITY", "RANGEPRICE", "RANGERHS", "BEST"})
        EXPECT_EQ(print.count(w), 1u) << w;
    EXPECT_EQ(print.at("COLUMN").kind, TYM_OPT_LIST);
    EXPECT_EQ(print.at("COL").slot, print.at("COLUMN").slot);
    EXPECT_EQ(print.at("ROW").kind, TYM_OPT_LIST);
    EXPECT_TRUE(options_of(kStmtRun).empty());
    EXPECT_TRUE(options_of(kStmtPivot).empty());
}

TEST(Grammar, StatementsAndTheirNumbers) {
    std::map<std::string, const TymStatementDef*> by_name;
    for (int s = 0; s < grammar_statement_count(); ++s)
        by_name[word(grammar_statements()[s].keyword)] = &grammar_statements()[s];
    EXPECT_EQ(by_name.at("LP")->flags & TYM_STMT_PROCEDURE, TYM_STMT_PROCEDURE);
    for (const char* v : {"TYPE", "ID", "RHS", "RANGE", "RHSSEN", "VAR", "ROW", "COLUMN", "COL", "COEFFICIENT", "COEF"})
        EXPECT_EQ(by_name.at(v)->kind, TYM_STMT_VARLIST) << v;
    EXPECT_EQ(by_name.at("COL")->number, by_name.at("COLUMN")->number);
    EXPECT_EQ(by_name.at("COEF")->number, by_name.at("COEFFICIENT")->number);
    for (const char* o : {"LP", "RESET", "PIVOT", "IPIVOT", "SHOW", "PRINT", "RUN", "QUIT"})
        EXPECT_EQ(by_name.at(o)->kind, TYM_STMT_OPTIONS) << o;
}

// The value a choice keyword stands for in one option.
int choice_value(const char* option, const char* value) {
    const auto lp = options_of(kStmtLp);
    const TymOptionDef& d = lp.at(option);
    for (int i = d.choice_first; i < d.choice_first + d.choice_count; ++i)
        if (bare(word(grammar_choices()[i].keyword)) == value) return grammar_choices()[i].value;
    return -99;
}

TEST(Grammar, ChoiceKeywordsCarryTheirNumbers) {
    const char* nodes[] = {"LIFO", "FIFO", "OBJ", "PROJECT", "PSEUDOC", "ERROR"};
    const char* vars[] = {"CLOSE", "FAR", "PENALTY", "PRIOR", "PSEUDOC", "PRICE"};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(choice_value("CANSELECT", nodes[i]), i + 1);
        EXPECT_EQ(choice_value("BACKTRACK", nodes[i]), i + 1);
        EXPECT_EQ(choice_value("VARSELECT", vars[i]), i + 1);
    }
    EXPECT_EQ(choice_value("VARSELECT", "PENSUM"), 7);
    EXPECT_EQ(choice_value("SCALE", "NONE"), 0);
    EXPECT_EQ(choice_value("SCALE", "COLUMN"), 1);
    EXPECT_EQ(choice_value("SCALE", "ROW"), 2);
    EXPECT_EQ(choice_value("SCALE", "BOTH"), 3);
    EXPECT_EQ(choice_value("SCALETYPE", "EQUILIBRIUM"), 0);
    EXPECT_EQ(choice_value("SCALETYPE", "GEOMETRIC"), 1);
    EXPECT_EQ(choice_value("PRICETYPE", "COMPLETE"), 0);
    EXPECT_EQ(choice_value("PRICETYPE", "NONE"), 0);
    EXPECT_EQ(choice_value("PRICETYPE", "PARTIAL"), 2);
    EXPECT_EQ(choice_value("PRICETYPE", "DYNAMIC"), 3);
    EXPECT_EQ(choice_value("ALGORITHM", "PRIMAL"), 0);
    EXPECT_EQ(choice_value("ALGORITHM", "DUAL"), 1);
    EXPECT_EQ(choice_value("ALGORITHM", "AUTO"), 2);
}

class Descriptor : public spine_test::ContextTest {};

TEST_F(Descriptor, IsBuiltFromTheTemplateOnTheBlockChain) {
    const int before = ctx_->handles.block_count;
    TymGrammar* g = build_grammar_descriptor(ctx_);
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(sizeof(TymGrammar), 176u);
    EXPECT_EQ(ctx_->handles.block_count, before + 1);
    EXPECT_EQ(reinterpret_cast<intptr_t>(g->entry[TYM_GR_MAGIC]), TYM_GRAMMAR_MAGIC);
    EXPECT_EQ(g->entry[TYM_GR_KEYWORDS], keyword_bytes());
    EXPECT_EQ(reinterpret_cast<intptr_t>(g->entry[TYM_GR_KEYWORD_COUNT]), kKeywordCount);
    EXPECT_EQ(g->entry[TYM_GR_OPTIONS], grammar_options());
    EXPECT_EQ(reinterpret_cast<intptr_t>(g->entry[TYM_GR_OPTION_COUNT]), grammar_option_count());
    EXPECT_EQ(reinterpret_cast<intptr_t>(g->entry[TYM_GR_SLOT_COUNT]), kSlotCount);
    EXPECT_EQ(std::memcmp(g, &grammar_template(), sizeof *g), 0);

    host_->memory_limit = host_->memory_in_use;  // nothing more to give
    EXPECT_EQ(build_grammar_descriptor(ctx_), nullptr);
}

}  // namespace
