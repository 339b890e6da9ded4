// iteration_log_test.cpp -- the two iteration logs on a hand-set state: the
// line's contents, PRINTFREQ and PRINTLEVEL, the hand-over between the two
// logs, and the proximity that is refreshed on every integer iteration.
#include <cmath>

#include "../report/small_context.h"
#include "output/iteration_log.h"

namespace reporttest {
namespace {

using namespace tymlp;

class IterationLogs : public SmallContext {
  protected:
    void iterate(int16_t phase, int32_t count, int32_t entering, int32_t leaving, int16_t source) {
        ctx_->solver.phase = phase;
        ctx_->solver.iterations[phase - 1] = count;
        ctx_->solver.counter = &ctx_->solver.iterations[phase - 1];
        ctx_->solver.entering = entering;
        ctx_->solver.leaving = leaving;
        ctx_->phases.pricing.source = source;
        print_iteration_log_line(ctx_);
    }
    const RecordedTable* last(const std::string& name) const {
        const auto all = recorder().named(name);
        return all.empty() ? nullptr : all.back();
    }
};

TEST_F(IterationLogs, ALineNamesTheExchangeAndMarksThePricingSource) {
    ctx_->phases.pricing.price = 2.5;
    iterate(2, 7, kY, kSlack, kSourceRule);
    iterate(2, 8, kX, kY, kSourceMajor);
    iterate(2, 9, kX, kY, kSourceRandom);
    iterate(2, 10, kX, kY, 7);
    const RecordedTable* log = last("IterationLog");
    ASSERT_NE(log, nullptr);
    EXPECT_EQ(log->template_path, "Qm.Lp.IterationLog");
    EXPECT_EQ(log->label, "L271");
    ASSERT_EQ(log->rows.size(), 4u);
    EXPECT_EQ(log->at(0, "Phase").number, 2);
    EXPECT_EQ(log->at(0, "Iteration").s, "        7");
    EXPECT_EQ(log->at(1, "Iteration").s, "M       8");
    EXPECT_EQ(log->at(2, "Iteration").s, "        9");
    EXPECT_EQ(log->at(3, "Iteration").s, "P      10");
    EXPECT_EQ(log->at(0, "EnterVar").s, "C1");
    EXPECT_EQ(log->at(0, "EnterCol").number, kY + 1);
    EXPECT_EQ(log->at(0, "LeaveVar").s, "C4");
    EXPECT_EQ(log->at(0, "LeaveCol").number, kSlack + 1);
    EXPECT_EQ(log->at(0, "ReducedCost").number, 2.5);  // sense +1, unscaled
    EXPECT_EQ(log->at(0, "ObjValue").number, 12.0);
    EXPECT_FALSE(log->rows_ended);  // the log stays open between lines
}

TEST_F(IterationLogs, PhaseOneShowsTheSumOfBoundViolationsOfColumnsNotHeld) {
    ctx_->form.upper[kY] = 1.0;
    ctx_->form.value[kY] = 3.0;       // 2 above its upper bound
    ctx_->form.value[kSlack] = -0.5;  // 0.5 below its lower bound
    ctx_->form.value[kPhase1] = 1.0;  // held: never counted
    ctx_->form.upper[kPhase1] = 0.0;
    iterate(1, 1, kX, kSlack, kSourceRule);
    const RecordedTable* log = last("IterationLog");
    ASSERT_NE(log, nullptr);
    EXPECT_DOUBLE_EQ(log->at(0, "ObjValue").number, 2.5);
}

TEST_F(IterationLogs, PrintFreqAndPrintLevelChooseTheLines) {
    ctx_->options.printfreq = 10;
    for (int32_t k = 1; k <= 25; ++k) iterate(2, k, kX, kY, kSourceRule);
    const RecordedTable* log = last("IterationLog");
    ASSERT_NE(log, nullptr);
    ASSERT_EQ(log->rows.size(), 2u);
    EXPECT_EQ(log->at(0, "Iteration").s, "       10");
    EXPECT_EQ(log->at(1, "Iteration").s, "       20");
    close_iteration_logs(ctx_, true);
    EXPECT_TRUE(log->rows_ended && log->ended_with_log_open && log->closed);

    recorder() = Recorder{};
    ctx_->options.printlevel = -2;
    iterate(2, 30, kX, kY, kSourceRule);
    EXPECT_TRUE(recorder().tables.empty());
    ctx_->options.printlevel = -1;  // -1 still logs
    iterate(2, 40, kX, kY, kSourceRule);
    EXPECT_EQ(recorder().tables.size(), 1u);
}

TEST_F(IterationLogs, OpeningOneLogClosesTheOther) {
    iterate(2, 1, kX, kY, kSourceRule);
    ctx_->bb.iteration = 1;
    std::memcpy(ctx_->bb.condition, "ACTIVE    ", 10);
    ctx_->bb.branch_column = kX;
    ctx_->bb.infeasibility_sum = 0.5;
    print_integer_log_line(ctx_);
    ctx_->solver.phase = kPhase3;
    iterate(3, 1, kY, kX, kSourceRule);
    close_iteration_logs(ctx_, true);
    const std::vector<std::string> expected = {"open IterationLog",        "close IterationLog",
                                               "open IntegerIterationLog", "close IntegerIterationLog",
                                               "open IterationLog",        "close IterationLog"};
    EXPECT_EQ(recorder().events, expected);
    // A hand-over ends the rows plainly; only the summary's close marks the log as cut short.
    EXPECT_FALSE(recorder().tables[0].ended_with_log_open);
    EXPECT_TRUE(recorder().tables[2].ended_with_log_open);
    const RecordedTable& ilog = recorder().tables[1];
    EXPECT_EQ(ilog.name, "IntegerIterationLog");
    EXPECT_EQ(ilog.columns, (std::vector<std::string>{"Iteration", "Problem", "Condition", "Objective", "Branch",
                                                      "Value", "SumOfInfeas", "Active", "Proximity"}));
    EXPECT_EQ(ilog.at(0, "Condition").s, "ACTIVE");
    EXPECT_EQ(ilog.at(0, "Branch").s, "C0");
    EXPECT_EQ(ilog.at(0, "Value").number, 4.0);
    EXPECT_EQ(ilog.at(0, "SumOfInfeas").number, 0.5);
    EXPECT_EQ(ilog.at(0, "Objective").number, 12.0);
}

TEST_F(IterationLogs, ALogWhoseTableTheHostForgotStartsANewOne) {
    iterate(2, 1, kX, kY, kSourceRule);
    // The host's objects were closed and opened afresh (a pause does this).
    recorder().objects.clear();
    iterate(2, 2, kX, kY, kSourceRule);  // refused: reported, the line is lost
    iterate(2, 3, kX, kY, kSourceRule);
    const auto logs = recorder().named("IterationLog");
    ASSERT_EQ(logs.size(), 2u);
    EXPECT_EQ(logs[1]->rows.size(), 1u);
    EXPECT_EQ(logs[1]->at(0, "Iteration").s, "        3");
}

TEST_F(IterationLogs, ANodeThatIsNotBranchedShowsNoBranchingVariable) {
    ctx_->bb.iteration = 2;
    std::memcpy(ctx_->bb.condition, "FATHOMED  ", 10);
    ctx_->bb.branch_column = kX;
    print_integer_log_line(ctx_);
    const RecordedTable* log = last("IntegerIterationLog");
    ASSERT_NE(log, nullptr);
    EXPECT_EQ(log->at(0, "Branch").s, ".");
    EXPECT_TRUE(std::isnan(log->at(0, "Value").number));
    EXPECT_TRUE(std::isnan(log->at(0, "SumOfInfeas").number));
    EXPECT_TRUE(std::isnan(log->at(0, "Proximity").number));  // no active node
}

TEST_F(IterationLogs, ProximityIsRefreshedOnEveryCallButPrintedOnlyAtPrintFreq) {
    ActiveNode incumbent{}, best{};
    incumbent.bound = 10.0;
    best.bound = 13.0;
    ctx_->bb.incumbent = &incumbent;
    ctx_->bb.lists[kListByBound].high = &best;
    ctx_->bb.active_count = 4;
    ctx_->options.printfreq = 10;
    ctx_->bb.iteration = 3;
    EXPECT_DOUBLE_EQ(print_integer_log_line(ctx_), 3.0);
    EXPECT_TRUE(recorder().tables.empty());
    best.bound = 9.0;  // the incumbent is at least as good as every active node
    ctx_->bb.iteration = 10;
    EXPECT_EQ(print_integer_log_line(ctx_), 0.0);
    const RecordedTable* log = last("IntegerIterationLog");
    ASSERT_NE(log, nullptr);
    ASSERT_EQ(log->rows.size(), 1u);
    EXPECT_EQ(log->at(0, "Proximity").number, 0.0);
    EXPECT_EQ(log->at(0, "Active").number, 4);
    ctx_->bb.incumbent = nullptr;  // active nodes but no incumbent: missing
    EXPECT_TRUE(std::isnan(integer_proximity(ctx_)));
    ctx_->bb.lists[kListByBound].high = nullptr;
}

}  // namespace
}  // namespace reporttest
