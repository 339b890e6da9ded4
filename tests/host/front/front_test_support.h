// front_test_support.h -- shared pieces of the front's tests: a grammar
// builder, a fixture that captures the log and fakes the data part, and a
// scripted terminal.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "front/front_services.h"
#include "front/grammar_view.h"
#include "front/terminal.h"
#include "tym_grammar.h"

namespace fronttest {

// Builds a grammar descriptor from readable declarations.  Keywords are
// added in the order first mentioned.
class GrammarBuilder {
  public:
    int keyword(const std::string& word);
    // Starts a statement; the options declared next belong to it.
    GrammarBuilder& statement(const std::string& name, int kind, int number, bool procedure = false);
    GrammarBuilder& option(const std::string& word, int kind, int bit, int slot);
    GrammarBuilder& choice_option(const std::string& word, int slot,
                                  const std::vector<std::pair<std::string, int>>& choices);
    GrammarBuilder& slots(int count) {
        slot_count_ = count;
        return *this;
    }
    // The descriptor; valid while the builder lives and is not changed.
    const TymGrammar* grammar();
    // Raw access for tests that break the descriptor on purpose.
    TymGrammar& descriptor() { return descriptor_; }
    std::vector<TymOptionDef>& options() { return options_; }

  private:
    std::vector<std::string> words_;
    std::vector<uint8_t> table_;
    std::vector<TymStatementDef> statements_;
    std::vector<TymOptionDef> options_;
    std::vector<TymChoiceDef> choices_;
    int slot_count_ = 16;
    TymGrammar descriptor_{};
};

// Statement numbers of the standard test grammar.
enum TestStatement {
    kStmtLp = 1,
    kStmtRhs = 2,
    kStmtRun = 3,
    kStmtQuit = 4,
    kStmtPrint = 5,
    kStmtReset = 6,
    kStmtShow = 7
};
// Its flag bits and slots.
enum TestBits { kBitDevex = 0, kBitNoDevex = 1, kBitAuto = 2, kBitPreprocess = 3, kBitColumn = 4 };
enum TestSlots {
    kSlotMaxit = 0,
    kSlotEpsilon = 1,
    kSlotPricetype = 2,
    kSlotAuto = 3,
    kSlotPreprocess = 5,
    kSlotBepsilon = 6,
    kSlotRange = 7
};
enum TestDatasets { kDataIn = 0, kDataPrimalOut = 3 };

// LP: DATA= PRIMALOUT= MAXIT= EPSILON=/EPS= DEVEX NODEVEX PRICETYPE=
//     (COMPLETE 0, PARTIAL 1, DYNAMIC 2) AUTO[=(a,b)] PREPROCESS[=n]
//     BEPSILON= (written "BEPSILON$" in the table) RANGE=(a,b)
// RHS: a variable list.  RUN, QUIT, SHOW: no options.
// PRINT: COLUMN(...) / COL(...).  RESET: MAXIT=.
void build_test_grammar(GrammarBuilder& b);

// Captures the log and fakes the data part for one test.
class FrontTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Every log line so far ("NOTE: ...", "ERROR: ...", raw lines as is).
    std::vector<std::string> log;
    std::string log_text() const;
    int count_lines_starting(const std::string& prefix) const;

    // The fake data part: data sets by upper-case member name.
    std::optional<TymDataRef> last_dataset;
    std::map<std::string, std::vector<qmlp::host::VarInfo>> datasets;
    int dataset_opens = 0;
    std::vector<std::pair<std::string, std::string>> libnames;  // accepted
    bool refuse_libnames = false;
    std::vector<int> steps_begun;
    int steps_ended = 0;

  private:
    std::unique_ptr<qmlp::front::ServicesGuard> guard_;
};

TymDataRef member_ref(const std::string& member, const std::string& libref = "");

// A terminal that returns scripted lines (nullopt entries simulate a break).
class ScriptedLines : public qmlp::front::LineSource {
  public:
    explicit ScriptedLines(std::vector<std::optional<std::string>> lines) : lines_(std::move(lines)) {}
    bool read_line(const char* prompt, std::string& line, bool* interrupted) override;
    std::vector<std::string> prompts;

  private:
    std::vector<std::optional<std::string>> lines_;
    size_t next_ = 0;
};

// ---------------------------------------------------------------- inline
// (header only: the test glob compiles *_test.cpp files alone)

inline int GrammarBuilder::keyword(const std::string& word) {
    for (size_t i = 0; i < words_.size(); ++i)
        if (words_[i] == word) return static_cast<int>(i);
    words_.push_back(word);
    return static_cast<int>(words_.size() - 1);
}

inline GrammarBuilder& GrammarBuilder::statement(const std::string& name, int kind, int number, bool procedure) {
    TymStatementDef s{};
    s.keyword = static_cast<uint16_t>(keyword(name));
    s.kind = static_cast<uint16_t>(kind);
    s.number = static_cast<uint16_t>(number);
    s.first_option = static_cast<uint16_t>(options_.size());
    s.option_count = 0;
    s.flags = procedure ? TYM_STMT_PROCEDURE : 0;
    statements_.push_back(s);
    return *this;
}

inline GrammarBuilder& GrammarBuilder::option(const std::string& word, int kind, int bit, int slot) {
    TymOptionDef o{};
    o.keyword = static_cast<uint16_t>(keyword(word));
    o.kind = static_cast<uint8_t>(kind);
    o.bit = static_cast<uint8_t>(bit);
    o.slot = static_cast<uint16_t>(slot);
    options_.push_back(o);
    statements_.back().option_count++;
    return *this;
}

inline GrammarBuilder& GrammarBuilder::choice_option(const std::string& word, int slot,
                                                     const std::vector<std::pair<std::string, int>>& choices) {
    option(word, TYM_OPT_CHOICE, 0, slot);
    options_.back().choice_first = static_cast<uint16_t>(choices_.size());
    options_.back().choice_count = static_cast<uint16_t>(choices.size());
    for (const auto& [w, v] : choices)
        choices_.push_back(TymChoiceDef{static_cast<uint16_t>(keyword(w)), static_cast<int16_t>(v)});
    return *this;
}

inline const TymGrammar* GrammarBuilder::grammar() {
    table_.clear();
    for (const std::string& w : words_) {
        table_.push_back(static_cast<uint8_t>(w.size()));
        table_.insert(table_.end(), w.begin(), w.end());
    }
    table_.push_back(0);
    descriptor_ = TymGrammar{};
    auto num = [](intptr_t v) { return reinterpret_cast<const void*>(v); };
    descriptor_.entry[TYM_GR_MAGIC] = num(TYM_GRAMMAR_MAGIC);
    descriptor_.entry[TYM_GR_KEYWORDS] = table_.data();
    descriptor_.entry[TYM_GR_KEYWORD_COUNT] = num(static_cast<intptr_t>(words_.size()));
    descriptor_.entry[TYM_GR_STATEMENTS] = statements_.data();
    descriptor_.entry[TYM_GR_STATEMENT_COUNT] = num(static_cast<intptr_t>(statements_.size()));
    descriptor_.entry[TYM_GR_OPTIONS] = options_.data();
    descriptor_.entry[TYM_GR_OPTION_COUNT] = num(static_cast<intptr_t>(options_.size()));
    descriptor_.entry[TYM_GR_CHOICES] = choices_.data();
    descriptor_.entry[TYM_GR_CHOICE_COUNT] = num(static_cast<intptr_t>(choices_.size()));
    descriptor_.entry[TYM_GR_SLOT_COUNT] = num(slot_count_);
    return &descriptor_;
}

inline void build_test_grammar(GrammarBuilder& b) {
    // A few words that no statement uses, so that indexes are not trivial.
    b.keyword("NAMEX");
    b.keyword("(");
    b.keyword("=");
    b.statement("LP", TYM_STMT_OPTIONS, kStmtLp, true)
        .option("DATA", TYM_OPT_DATASET, 0, kDataIn)
        .option("PRIMALOUT", TYM_OPT_DATASET, 0, kDataPrimalOut)
        .option("MAXIT", TYM_OPT_NUMBER, 0, kSlotMaxit)
        .option("EPSILON", TYM_OPT_NUMBER, 0, kSlotEpsilon)
        .option("EPS", TYM_OPT_NUMBER, 0, kSlotEpsilon)
        .option("DEVEX", TYM_OPT_FLAG, kBitDevex, 0)
        .option("NODEVEX", TYM_OPT_FLAG, kBitNoDevex, 0)
        .choice_option("PRICETYPE", kSlotPricetype, {{"COMPLETE", 0}, {"PARTIAL", 1}, {"DYNAMIC", 2}})
        .option("AUTO", TYM_OPT_FLAG_PAIR, kBitAuto, kSlotAuto)
        .option("PREPROCESS", TYM_OPT_FLAG_VALUE, kBitPreprocess, kSlotPreprocess)
        .option("BEPSILON$", TYM_OPT_NUMBER, 0, kSlotBepsilon)
        .option("RANGE", TYM_OPT_PAIR, 0, kSlotRange);
    b.statement("RHS", TYM_STMT_VARLIST, kStmtRhs);
    b.statement("RUN", TYM_STMT_OPTIONS, kStmtRun);
    b.statement("QUIT", TYM_STMT_OPTIONS, kStmtQuit);
    b.statement("PRINT", TYM_STMT_OPTIONS, kStmtPrint)
        .option("COLUMN", TYM_OPT_LIST, kBitColumn, 0)
        .option("COL", TYM_OPT_LIST, kBitColumn, 0);
    b.statement("RESET", TYM_STMT_OPTIONS, kStmtReset).option("MAXIT", TYM_OPT_NUMBER, 0, kSlotMaxit);
    b.statement("SHOW", TYM_STMT_OPTIONS, kStmtShow);
}

inline TymDataRef member_ref(const std::string& member, const std::string& libref) {
    TymDataRef r{};
    std::snprintf(r.member, sizeof r.member, "%s", member.c_str());
    std::snprintf(r.libref, sizeof r.libref, "%s", libref.c_str());
    return r;
}

inline void FrontTest::SetUp() {
    using qmlp::host::Severity;
    guard_ = std::make_unique<qmlp::front::ServicesGuard>();
    qmlp::front::FrontServices& s = qmlp::front::services();
    s.log = [this](Severity sev, std::string_view text) {
        const char* prefix = sev == Severity::Note ? "NOTE: " : sev == Severity::Warning ? "WARNING: " : "ERROR: ";
        log.push_back(prefix + std::string(text));
    };
    s.log_raw = [this](std::string_view line) { log.emplace_back(line); };
    s.flush = [] {};
    s.libname_assign = [this](std::string_view lib, std::string_view dir) {
        if (refuse_libnames) {
            log.push_back("ERROR: (fake) library refused");
            return false;
        }
        libnames.emplace_back(lib, dir);
        return true;
    };
    s.dataset_variables = [this](const TymDataRef& ref, std::vector<qmlp::host::VarInfo>& out) {
        ++dataset_opens;
        std::string name = ref.member;
        for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        auto it = datasets.find(name);
        if (it == datasets.end()) {
            log.push_back("ERROR: (fake) no data set " + name);
            return false;
        }
        out = it->second;
        return true;
    };
    s.last_dataset = [this] { return last_dataset; };
    s.step_begin = [this](int n) { steps_begun.push_back(n); };
    s.step_end = [this] { ++steps_ended; };
}

inline void FrontTest::TearDown() { guard_.reset(); }

inline std::string FrontTest::log_text() const {
    std::string all;
    for (const std::string& l : log) all += l + "\n";
    return all;
}

inline int FrontTest::count_lines_starting(const std::string& prefix) const {
    int n = 0;
    for (const std::string& l : log)
        if (l.rfind(prefix, 0) == 0) ++n;
    return n;
}

inline bool ScriptedLines::read_line(const char* prompt, std::string& line, bool* interrupted) {
    prompts.emplace_back(prompt);
    *interrupted = false;
    if (next_ >= lines_.size()) return false;
    const std::optional<std::string>& l = lines_[next_++];
    if (!l) {
        *interrupted = true;
        line.clear();
        return true;
    }
    line = *l;
    return true;
}

}  // namespace fronttest
