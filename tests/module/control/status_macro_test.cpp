// The status macro variable _QMLP_: fields, formats and status words.
#include "control/status_macro.h"
#include "base/context_memory.h"
#include "control_fixture.h"

namespace {

using namespace tymlp;

class StatusMacro : public spine_test::ContextTest {
  protected:
    std::string text(int run_status) {
        char buf[kStatusTextBytes];
        build_status_text(ctx_, run_status, buf, sizeof buf);
        return buf;
    }
    // A solved combination: objective column 1 with value 12 and scale 4.
    void solved_lp() {
        static ObjectiveRecord objective{};
        objective.sense = -1.0;
        objective.column = 1;
        ctx_->model.current_objective = &objective;
        values_[1] = 12.0;
        scales_[1] = 4.0;
        ctx_->form.value = values_;
        ctx_->form.column_scale = scales_;
        ctx_->form.allocated_n = 2;
        ctx_->solver.phase = kPhase2;
        ctx_->solver.primal_feasible = 1;
        ctx_->solver.optimal = 1;
        ctx_->solver.iterations[0] = 3;
        ctx_->solver.iterations[1] = 14;
    }
    void integer_problem(int feasible, int active) {
        ctx_->model.integer_count = 2;
        ctx_->bb.feasible_count = feasible;
        ctx_->bb.active_count = active;
        ctx_->bb.iteration = 9;
    }
    void tearDownArrays() {
        ctx_->form.value = nullptr;
        ctx_->form.column_scale = nullptr;
    }
    void TearDown() override {
        tearDownArrays();
        ContextTest::TearDown();
    }

    double values_[2] = {0, 0};
    double scales_[2] = {1, 1};
    ActiveNode incumbent_{};
    ActiveNode best_{};
};

TEST_F(StatusMacro, PureLpSolvedToOptimality) {
    solved_lp();
    EXPECT_EQ(text(kRunOk),
              "STATUS=SUCCESSFUL PHASE=2 OBJECTIVE=3 P_FEAS=YES D_FEAS=YES "
              "PHASE1_ITER=3 PHASE2_ITER=14 PHASE3_ITER=0 ");
}

TEST_F(StatusMacro, ObjectiveIsADotWithoutObjectiveScalesOrAZeroScale) {
    EXPECT_EQ(text(kRunOk),
              "STATUS=SUCCESSFUL PHASE=0 OBJECTIVE=. P_FEAS=NO D_FEAS=NO "
              "PHASE1_ITER=0 PHASE2_ITER=0 PHASE3_ITER=0 ");
    solved_lp();
    ctx_->form.column_scale = nullptr;
    EXPECT_NE(text(kRunOk).find("OBJECTIVE=. "), std::string::npos);
    ctx_->form.column_scale = scales_;
    scales_[1] = 0;
    EXPECT_NE(text(kRunOk).find("OBJECTIVE=. "), std::string::npos);
}

TEST_F(StatusMacro, EveryRunStatusHasItsWord) {
    const std::pair<int, const char*> words[] = {
        {1, "SINGULAR"},       {3, "MAX_TIME"},        {4, "MAX_ITER"},        {5, "PAUSE"},
        {6, "INFEASIBLE"},     {7, "UNBOUNDED"},       {9, "MEMORY_ERROR"},    {24, "MEMORY_ERROR"},
        {10, "SYNTAX_ERROR"},  {11, "SEMANTIC_ERROR"}, {12, "UNSTABLE"},       {13, "PIVOT"},
        {15, "INT_FEASIBLE"},  {17, "FATHOMED"},       {18, "INT_MAX_ITER"},   {19, "IPAUSE"},
        {21, "ACTIVE"},        {22, "RELAXED"},        {23, "INT_INFEASIBLE"}, {25, "IO_ERROR"},
        {26, "BADDATA_ERROR"}, {27, "BREAK"},          {28, "IPIVOT"},         {29, "PROXIMITYPAUSE"},
        {30, "FEASIBLEPAUSE"}, {99, "LP_BUG"},         {2, "UNKNOWN_ERROR"},   {1008, "UNKNOWN_ERROR"},
    };
    for (auto [status, word] : words) {
        EXPECT_STREQ(status_word(ctx_, status), word) << status;
        EXPECT_EQ(text(status).rfind(std::string("STATUS=") + word + " ", 0), 0u) << status;
    }
}

TEST_F(StatusMacro, IntegerProblemWordsForRunStatusZero) {
    integer_problem(1, 3);
    EXPECT_STREQ(status_word(ctx_, kRunOk), "INT_FEASIBLE");
    integer_problem(1, 0);
    EXPECT_STREQ(status_word(ctx_, kRunOk), "SUCCESSFUL");
    integer_problem(0, 0);
    EXPECT_STREQ(status_word(ctx_, kRunOk), "INT_INFEASIBLE");
    integer_problem(0, 4);
    EXPECT_STREQ(status_word(ctx_, kRunOk), "RELAXED");
    // Any other status keeps its own word.
    integer_problem(1, 3);
    EXPECT_STREQ(status_word(ctx_, kRunActive), "ACTIVE");
    // Special ordered sets alone make an integer problem.
    ctx_->model.integer_count = 0;
    ctx_->model.sos_count = 1;
    EXPECT_STREQ(status_word(ctx_, kRunOk), "INT_FEASIBLE");
}

TEST_F(StatusMacro, IntegerFieldsAndProximity) {
    solved_lp();
    integer_problem(2, 5);
    incumbent_.bound = -20.0;  // internal z of a minimisation: objective 20, scale 4 -> 5
    best_.bound = -12.0;
    ctx_->bb.incumbent = &incumbent_;
    ctx_->bb.lists[kListByBound].high = &best_;

    // Run status 0: no PROXIMITY.
    EXPECT_EQ(text(kRunOk),
              "STATUS=INT_FEASIBLE PHASE=2 OBJECTIVE=3 P_FEAS=YES D_FEAS=YES INT_ITER=9 "
              "INT_FEAS=2 ACTIVE=5 INT_BEST=5 PHASE1_ITER=3 PHASE2_ITER=14 PHASE3_ITER=0 ");
    // A stop with active nodes: PROXIMITY = (-12 - -20) / 4 = 2.
    EXPECT_EQ(text(kRunActive),
              "STATUS=ACTIVE PHASE=2 OBJECTIVE=3 P_FEAS=YES D_FEAS=YES INT_ITER=9 "
              "INT_FEAS=2 ACTIVE=5 INT_BEST=5 PROXIMITY=2 PHASE1_ITER=3 PHASE2_ITER=14 "
              "PHASE3_ITER=0 ");
    EXPECT_EQ(ctx_->solver.proximity, 2.0);

    // A best node below the incumbent gives 0; so does a gap below FUZZ.
    best_.bound = -30.0;
    EXPECT_NE(text(kRunIntMaxIter).find(" PROXIMITY=0 "), std::string::npos);
    best_.bound = -20.0 + 1e-11;
    EXPECT_NE(text(kRunIntMaxIter).find(" PROXIMITY=0 "), std::string::npos);

    // No active node: no PROXIMITY.
    ctx_->bb.active_count = 0;
    EXPECT_EQ(text(kRunIntMaxIter).find("PROXIMITY"), std::string::npos);
}

TEST_F(StatusMacro, IntegerBestIsADotWithoutIncumbent) {
    solved_lp();
    integer_problem(0, 2);
    const std::string t = text(kRunIntMaxIter);
    EXPECT_NE(t.find(" INT_BEST=. "), std::string::npos);
    EXPECT_EQ(t.find("PROXIMITY"), std::string::npos);
}

TEST_F(StatusMacro, SetsTheHostMacroVariable) {
    solved_lp();
    set_status_macro(ctx_, kRunUnbounded);
    ASSERT_EQ(host_->macros.count("_QMLP_"), 1u);
    EXPECT_EQ(host_->macros["_QMLP_"].rfind("STATUS=UNBOUNDED PHASE=2 ", 0), 0u);
}

TEST_F(StatusMacro, DoublesUseTheBestFormatWithoutBlanks) {
    solved_lp();
    values_[1] = -1234567.5;
    scales_[1] = 1;
    EXPECT_NE(text(kRunOk).find(" OBJECTIVE=-1234567.5 "), std::string::npos);
}

}  // namespace
