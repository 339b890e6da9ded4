// end_run on every end code, and the driver's exits around it.
#include <utility>
#include <vector>

#include "base/context_memory.h"
#include "control/option_slots.h"
#include "control/run_procedure.h"
#include "control_fixture.h"
#include "input/column_lists.h"
#include "input/matrix_store.h"
#include "input/model_records.h"
#include "output/output_connection.h"

namespace {

using namespace tymlp;

class EndRun : public spine_test::ContextTest {
  protected:
    // A run that holds one of everything end_run must give back.
    void hold_resources() {
        ASSERT_EQ(module_init(), 0);
        parser_state()->ctx = ctx_;
        ASSERT_EQ(open_output_connection(ctx_), 0);
        ASSERT_EQ(open_model_stores(ctx_), 0);
        ASSERT_EQ(open_matrix_store(ctx_, 4), 0);
        ctx_->model.pivot_history = host_util_open();
        ColumnListEntry* e = nullptr;
        ASSERT_EQ(list_append(ctx_, kListRhs, "_RHS_", 5, &e), 0);
        ASSERT_EQ(list_append(ctx_, kListRange, "_RANGE_", 7, &e), 0);
        ASSERT_EQ(list_append(ctx_, kListRhsSen, "_RHSSEN_", 8, &e), 0);
        ASSERT_NE(ctx_alloc(ctx_, 1000, TYM_ALLOC_LONG), nullptr);
        ctx_->form.value = static_cast<double*>(ctx_alloc(ctx_, 8 * sizeof(double), TYM_ALLOC_LONG_ZERO));
        ASSERT_NE(ctx_heap_alloc(ctx_, 100), nullptr);
        ctx_->solver.phase = kPhase2;
        ctx_->solver.iterations[0] = 5;
        ctx_->solver.iterations[1] = 6;
        host_->requests.clear();
    }
    int released_objects() const {
        int n = 0;
        for (const auto& r : host_->requests) n += r.code == TYM_REQ_RELEASE ? 1 : 0;
        return n;
    }
};

TEST_F(EndRun, EveryEndCodeReleasesEverything) {
    const std::pair<int, const char*> codes[] = {
        {kEndNormal, nullptr},        {kEndQuit, nullptr},  {kEndBadData, "BADDATA_ERROR"},
        {kEndMemory, "MEMORY_ERROR"}, {kEndIo, "IO_ERROR"}, {kEndSemantic, "SEMANTIC_ERROR"},
        {kEndSyntax, "SYNTAX_ERROR"},
    };
    spine_test::destroy_context(std::exchange(ctx_, nullptr));
    for (auto [code, word] : codes) {
        SCOPED_TRACE(code);
        host_ = &minihost::install();
        ASSERT_EQ(create_context(&ctx_), 0);
        hold_resources();
        EXPECT_EQ(end_run_code(code), code);
        EXPECT_EQ(host_->live_blocks, 0);
        EXPECT_EQ(host_->open_util_files, 0);
        EXPECT_EQ(released_objects(), 2);  // the output object and the manager
        EXPECT_EQ(minihost::host()->parser_state_slot, nullptr);
        bool memory_report = false;
        for (const auto& n : host_->notes) memory_report = memory_report || n == "memory report";
        EXPECT_EQ(memory_report, code == kEndMemory);
        if (word == nullptr) {
            EXPECT_EQ(host_->macros.count("_QMLP_"), 0u);
        } else {
            ASSERT_EQ(host_->macros.count("_QMLP_"), 1u);
            // The phase word and the phase-1 counter are back at 0.
            EXPECT_EQ(host_->macros["_QMLP_"], std::string("STATUS=") + word +
                                                   " PHASE=0 OBJECTIVE=. P_FEAS=NO D_FEAS=NO PHASE1_ITER=0 "
                                                   "PHASE2_ITER=6 PHASE3_ITER=0 ");
        }
    }
}

TEST_F(EndRun, EndStepAtOnceLeavesTheStatusOfItsEndCode) {
    hold_resources();
    LpContext* ctx = ctx_;
    ctx_ = nullptr;
    try {
        end_step_at_once(ctx, kEndSemantic);
        FAIL() << "returned";
    } catch (const minihost::StepEnded& e) {
        EXPECT_EQ(e.end_code, kEndSemantic);
    }
    ASSERT_EQ(host_->macros.count("_QMLP_"), 1u);
    EXPECT_EQ(host_->macros["_QMLP_"].rfind("STATUS=SEMANTIC_ERROR", 0), 0u) << host_->macros["_QMLP_"];
    EXPECT_EQ(host_->live_blocks, 0);
    EXPECT_EQ(host_->open_util_files, 0);
}

TEST_F(EndRun, ReaderResultsMapToEndCodes) {
    const std::pair<int, int> mapped[] = {{kRunMemory, kEndMemory}, {kRunSyntax, kEndSyntax}, {kRunIo, kEndIo}};
    spine_test::destroy_context(std::exchange(ctx_, nullptr));
    for (auto [result, code] : mapped) {
        host_ = &minihost::install();
        ASSERT_EQ(create_context(&ctx_), 0);
        LpContext* ctx = std::exchange(ctx_, nullptr);
        try {
            handle_reader_result(ctx, result);
            FAIL() << "went on after " << result;
        } catch (const minihost::StepEnded& e) {
            EXPECT_EQ(e.end_code, code);
        }
    }
}

TEST_F(EndRun, ReaderSemanticErrorNamesTheOtherLayout) {
    spine_test::destroy_context(std::exchange(ctx_, nullptr));
    for (int sparse : {0, 1}) {
        host_ = &minihost::install();
        ASSERT_EQ(create_context(&ctx_), 0);
        ctx_->options.sparsedata = static_cast<int16_t>(sparse);
        LpContext* ctx = std::exchange(ctx_, nullptr);
        EXPECT_THROW(handle_reader_result(ctx, kRunSemantic), minihost::StepEnded);
        EXPECT_EQ(texts_of(210), std::vector<std::string>{sparse != 0 ? "dense" : "sparse"});
        EXPECT_EQ(host_->macros["_QMLP_"].rfind("STATUS=SEMANTIC_ERROR ", 0), 0u);
    }
}

TEST_F(EndRun, OtherReaderResultsLetTheRunGoOn) {
    ctx_->solver.run_status = kRunOk;
    handle_reader_result(ctx_, 26);
    EXPECT_EQ(ctx_->solver.run_status, kRunOk);
    ctx_->solver.run_status = 26;
    handle_reader_result(ctx_, kRunOk);
    EXPECT_EQ(ctx_->solver.run_status, kRunOk);
}

TEST_F(EndRun, TheRunStopsNormallyWhereNoReaderExistsYet) {
    ctx_->entries.reader = nullptr;
    LpContext* ctx = std::exchange(ctx_, nullptr);
    try {
        run_after_statement(ctx);
    } catch (const minihost::StepEnded& e) {
        EXPECT_EQ(e.end_code, kEndNormal);
    }
    EXPECT_EQ(host_->live_blocks, 0);
}

// Records the combinations the loop visits.
std::vector<std::pair<int, int>> g_visits;
int record_visit(LpContext* ctx) {
    g_visits.emplace_back(ctx->model.rhs_index, ctx->model.objective_index);
    return 0;
}
int fail_second(LpContext* ctx) {
    record_visit(ctx);
    if (g_visits.size() == 2) ctx->solver.run_status = kRunInfeasible;
    return 0;
}

TEST_F(EndRun, CombinationsAlternateDirection) {
    ASSERT_EQ(open_model_stores(ctx_), 0);
    ColumnListEntry* e = nullptr;
    ASSERT_EQ(list_append(ctx_, kListRhs, "R1", 2, &e), 0);
    ASSERT_EQ(list_append(ctx_, kListRhs, "R2", 2, &e), 0);
    ctx_->model.objective_count = 4;  // phase 1 and three objective rows
    g_visits.clear();
    run_combinations(ctx_, record_visit);
    const std::vector<std::pair<int, int>> expected = {{0, 1}, {0, 2}, {0, 3}, {1, 3}, {1, 2}, {1, 1}};
    EXPECT_EQ(g_visits, expected);

    ctx_->model.objective_count = 2;  // one objective row: one combination per right-hand side
    ctx_->solver.run_status = kRunOk;
    g_visits.clear();
    run_combinations(ctx_, record_visit);
    EXPECT_EQ(g_visits, (std::vector<std::pair<int, int>>{{0, 1}, {1, 1}}));

    ctx_->model.objective_count = 4;
    g_visits.clear();
    run_combinations(ctx_, fail_second);
    EXPECT_EQ(g_visits.size(), 2u);  // the loop stops at the first status that is not 0
}

TEST_F(EndRun, CombinationLoadsTheRightHandSideDividedByTheRowScale) {
    ASSERT_EQ(open_model_stores(ctx_), 0);
    ColumnListEntry* e = nullptr;
    ASSERT_EQ(list_append(ctx_, kListRhs, "R", 1, &e), 0);
    const double values[3] = {0, 8, 6};
    ASSERT_EQ(list_write_values(e, 0, values, 3), 0);
    double rhs[3] = {};
    double row_scale[3] = {1, 4, 2};
    ctx_->model.rows = 3;
    ctx_->model.objective_count = 2;
    ctx_->form.rhs = rhs;
    ctx_->form.row_scale = row_scale;
    ctx_->options.scale = kScaleBoth;
    g_visits.clear();
    run_combinations(ctx_, record_visit);
    EXPECT_EQ(rhs[1], 2.0);
    EXPECT_EQ(rhs[2], 3.0);
    ctx_->options.scale = kScaleColumns;
    run_combinations(ctx_, record_visit);
    EXPECT_EQ(rhs[1], 8.0);
    ctx_->form = ComputationalForm{};
}

TEST(RunProcedure, AStatementErrorEndsTheStepWith2000AndItsStatus) {
    auto& host = minihost::install();  // its parser gives no record: a statement error
    try {
        run_procedure();
        FAIL() << "returned";
    } catch (const minihost::StepEnded& e) {
        EXPECT_EQ(e.end_code, kEndSemantic);
    }
    ASSERT_EQ(host.macros.count("_QMLP_"), 1u);
    EXPECT_EQ(host.macros["_QMLP_"].rfind("STATUS=SEMANTIC_ERROR", 0), 0u) << host.macros["_QMLP_"];
    EXPECT_EQ(host.live_blocks, 0);
    EXPECT_EQ(minihost::host()->parser_state_slot, nullptr);
}

TEST(RunProcedure, NoMemoryForTheContextEndsWith1016) {
    auto& host = minihost::install();
    host.memory_limit = 1024;  // the parser state record fits, the context does not
    try {
        run_procedure();
        FAIL() << "returned";
    } catch (const minihost::StepEnded& e) {
        EXPECT_EQ(e.end_code, kEndMemory);
    }
    EXPECT_EQ(host.macros.count("_QMLP_"), 0u);
    EXPECT_EQ(host.live_blocks, 0);
}

}  // namespace
