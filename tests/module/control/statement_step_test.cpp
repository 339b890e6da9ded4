// The parser callbacks, module_init and its DEBUG setting.
#include <cstring>
#include <string>

#include "control/option_slots.h"
#include "control/statement_step.h"
#include "control_fixture.h"

namespace {

using spine_test::Record;
using namespace tymlp;

class Callbacks : public spine_test::ContextTest {};

TEST_F(Callbacks, LpStatementChecksItsOptions) {
    Record ok(kStmtLp);
    ok.value(kSlotLu, 1);
    EXPECT_EQ(statement_callback(ctx_, ok.get()), 0);
    EXPECT_EQ(ctx_->solver.run_status, 0);
    EXPECT_EQ(ctx_->options.lu, 1);
    EXPECT_NE(ctx_->entries.factor, nullptr);

    Record bad(kStmtLp);
    bad.value(kSlotEpsilon, -1);
    EXPECT_EQ(statement_callback(ctx_, bad.get()), 0);
    EXPECT_EQ(ctx_->solver.run_status, kRunSemantic);
}

TEST_F(Callbacks, ARecordWithAnErrorIsLeftToTheHost) {
    Record r(kStmtLp);
    r.value(kSlotEpsilon, -1);
    r.get()->error = 1;
    EXPECT_EQ(statement_callback(ctx_, r.get()), 0);
    EXPECT_TRUE(host_->messages.empty());
    EXPECT_EQ(ctx_->solver.run_status, 0);
}

TEST_F(Callbacks, ResetSetsTheRunStatusAndPivotsSetCountdowns) {
    Record reset(kStmtReset);
    reset.value(kSlotMaxit1, -5);
    statement_callback(ctx_, reset.get());
    EXPECT_EQ(ctx_->solver.run_status, kRunSemantic);

    Record pivot(kStmtPivot);
    statement_callback(ctx_, pivot.get());
    EXPECT_EQ(ctx_->solver.pivot_count, 1);
    Record ipivot(kStmtIPivot);
    statement_callback(ctx_, ipivot.get());
    EXPECT_EQ(ctx_->solver.ipivot_count, 1);
}

TEST_F(Callbacks, QuitAndRunGoOnWhileTheRunIsSound) {
    Record quit(kStmtQuit);
    EXPECT_EQ(statement_callback(ctx_, quit.get()), 0);
    Record run(kStmtRun);
    EXPECT_EQ(statement_callback(ctx_, run.get()), 0);
}

TEST_F(Callbacks, QuitAndRunAfterAFailureEndTheStepAtOnce) {
    // QUIT after a failure ends the step as the failure it is, as RUN does
    // (never as a clean QUIT); lack of memory keeps its own end code.  The
    // failure is left in _QMLP_, so that an earlier step's status does not
    // read as this one's.
    struct Case {
        int statement;
        int status;
        int code;
        const char* macro;
    };
    const Case cases[] = {{kStmtQuit, kRunSemantic, kEndSyntax, "STATUS=SEMANTIC_ERROR"},
                          {kStmtRun, kRunSemantic, kEndSyntax, "STATUS=SEMANTIC_ERROR"},
                          {kStmtQuit, kRunMemory, kEndMemory, "STATUS=MEMORY_ERROR"},
                          {kStmtQuit, kRunSyntax, kEndSyntax, "STATUS=SYNTAX_ERROR"},
                          {kStmtRun, kRunSyntax, kEndSyntax, "STATUS=SYNTAX_ERROR"}};
    spine_test::destroy_context(std::exchange(ctx_, nullptr));
    for (const Case& c : cases) {
        host_ = &minihost::install();
        ASSERT_EQ(create_context(&ctx_), 0);
        LpContext* ctx = std::exchange(ctx_, nullptr);
        ctx->solver.run_status = c.status;
        Record r(c.statement);
        try {
            statement_callback(ctx, r.get());
            FAIL() << "went on";
        } catch (const minihost::StepEnded& e) {
            EXPECT_EQ(e.end_code, c.code);
        }
        if (c.macro == nullptr) {
            EXPECT_EQ(host_->macros.count("_QMLP_"), 0u);
        } else {
            ASSERT_EQ(host_->macros.count("_QMLP_"), 1u);
            EXPECT_EQ(host_->macros["_QMLP_"].rfind(c.macro, 0), 0u) << host_->macros["_QMLP_"];
        }
        EXPECT_EQ(host_->live_blocks, 0);
    }
}

TEST_F(Callbacks, VariableListsKeepTheirNamesPerStatement) {
    const char* rhs[] = {"_RHS_", "B2"};
    const char* more[] = {"B3"};
    const std::string long_name(40, 'X');
    const char* vars[] = {"X1", long_name.c_str()};
    varlist_callback(ctx_, kStmtRhs, 2, rhs);
    varlist_callback(ctx_, kStmtRhs, 1, more);
    varlist_callback(ctx_, kStmtVar, 2, vars);
    varlist_callback(ctx_, kStmtType, 0, nullptr);

    const VarList& r = ctx_->varlists[kVarRhs];
    ASSERT_EQ(r.count, 3);
    EXPECT_STREQ(r.names[0], "_RHS_");
    EXPECT_STREQ(r.names[2], "B3");
    const VarList& v = ctx_->varlists[kVarVar];
    ASSERT_EQ(v.count, 2);
    EXPECT_EQ(std::string(v.names[1]), std::string(32, 'X'));
    EXPECT_EQ(ctx_->varlists[kVarType].given, 1);
    EXPECT_EQ(ctx_->varlists[kVarType].count, 0);
    EXPECT_EQ(ctx_->varlists[kVarId].given, 0);
}

TEST_F(Callbacks, ManyNamesGrowTheList) {
    std::vector<std::string> names;
    std::vector<const char*> ptrs;
    for (int i = 0; i < 100; ++i) names.push_back("V" + std::to_string(i));
    for (auto& n : names) ptrs.push_back(n.c_str());
    for (int i = 0; i < 100; i += 10) varlist_callback(ctx_, kStmtVar, 10, ptrs.data() + i);
    const VarList& v = ctx_->varlists[kVarVar];
    ASSERT_EQ(v.count, 100);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(names[i], v.names[i]);
}

TEST_F(Callbacks, NoMemoryForNamesSetsTheRunStatus) {
    host_->memory_limit = host_->memory_in_use;
    const char* names[] = {"A"};
    EXPECT_EQ(varlist_callback(ctx_, kStmtVar, 1, names), 0);
    EXPECT_EQ(ctx_->solver.run_status, kRunMemory);
}

TEST_F(Callbacks, EndCallbackMarksTheStatementsUsed) {
    end_callback(ctx_);
    EXPECT_EQ(ctx_->solver.statement_done, 1);
}

TEST_F(Callbacks, DataReferencesAreCopied) {
    TymDataRef data{};
    std::strcpy(data.libref, "WORK");
    std::strcpy(data.member, "PROD");
    TymDataRef out{};
    std::strcpy(out.path, "/tmp/x.csv");
    Record r(kStmtLp);
    r.data(kDsData, &data).data(kDsPrimalOut, &out);
    take_data_references(ctx_, r.get());
    EXPECT_EQ(ctx_->handles.data_given[kDsData], 1);
    EXPECT_STREQ(ctx_->handles.data_ref[kDsData].member, "PROD");
    EXPECT_EQ(ctx_->handles.data_given[kDsPrimalIn], 0);
    EXPECT_STREQ(ctx_->handles.data_ref[kDsPrimalOut].path, "/tmp/x.csv");
}

class ModuleInit : public ::testing::Test {
  protected:
    int flags_for(const std::string& setting) {
        auto& host = minihost::install();
        if (!setting.empty()) host.settings["DEBUG"] = setting;
        EXPECT_EQ(module_init(), 0);
        EXPECT_NE(parser_state(), nullptr);
        const int flags = parser_debug_flags();
        release_parser_state();
        EXPECT_EQ(host.live_blocks, 0);
        return flags;
    }
};

TEST_F(ModuleInit, DebugSettingSelectsTheParserTraces) {
    EXPECT_EQ(flags_for(""), 0);
    EXPECT_EQ(flags_for("   "), 0);
    EXPECT_EQ(flags_for("syn"), kParserDebugSyntax);
    EXPECT_EQ(flags_for("xSemx"), kParserDebugSemantic);
    EXPECT_EQ(flags_for("SYN,SEM"), kParserDebugSyntax | kParserDebugSemantic);
    EXPECT_EQ(flags_for(std::string(300, '.') + "sem" + std::string(10, ' ') + "syn"),
              kParserDebugSyntax | kParserDebugSemantic);
}

TEST_F(ModuleInit, TheRecordSitsInTheHostSlot) {
    minihost::install();
    ASSERT_EQ(module_init(), 0);
    EXPECT_EQ(minihost::host()->parser_state_slot, parser_state());
    EXPECT_EQ(parser_state()->ctx, nullptr);
    release_parser_state();
    EXPECT_EQ(minihost::host()->parser_state_slot, nullptr);
}

}  // namespace
