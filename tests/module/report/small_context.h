// small_context.h -- a hand-set solution of a tiny problem for the report
// routines, on the mini host with the recording table vector: rows 0 (the
// phase-1 objective), 1 (the objective "profit") and 2 (a <= row "cap");
// columns x and y (structural), then the logical columns of rows 0, 1, 2.
// Tests set values, bounds, statuses, duals and solver state directly.
#pragma once

#include <gtest/gtest.h>

#include "engine_builder.h"
#include "input/model_records.h"
#include "input/objectives.h"
#include "report_fixture.h"

namespace reporttest {

class SmallContext : public ::testing::Test {
  protected:
    static constexpr int32_t kX = 0, kY = 1, kPhase1 = 2, kObjective = 3, kSlack = 4;

    void SetUp() override {
        host_ = &minihost::install();
        recorder() = Recorder{};
        composed_ = *minihost::host();
        table_vector_ = *static_cast<const TymTableVector*>(composed_.vectors[TYM_VEC_TABLE]);
        table_vector_.request = record_request;
        composed_.vectors[TYM_VEC_TABLE] = &table_vector_;
        tymlp::attach_host(&composed_, 0);

        enginetest::ProblemSpec problem;
        problem.rows = 3;
        problem.structural = 2;
        problem.columns.resize(5);
        problem.columns[kX].entries = {{1, 3.0}, {2, 1.0}};
        problem.columns[kY].entries = {{1, 2.0}, {2, 1.0}};
        problem.columns[kPhase1].entries = {{0, -1.0}};
        problem.columns[kObjective].entries = {{1, -1.0}};
        problem.columns[kSlack].entries = {{2, 1.0}};
        problem.rhs = {0.0, 0.0, 4.0};
        ctx_ = enginetest::BuildContext(problem);
        ASSERT_NE(ctx_, nullptr);
        ASSERT_EQ(enginetest::SetUpEngine(ctx_), 0);
        using namespace tymlp;
        ObjectiveRecord* p1 = add_objective(ctx_, 0, -1.0, "PHASE_1_");
        ObjectiveRecord* obj = add_objective(ctx_, 1, 1.0, "profit  ");
        ASSERT_NE(obj, nullptr);
        p1->column = kPhase1;
        obj->column = kObjective;
        ctx_->model.current_objective = obj;
        name_row(0, kRowObjective, "PHASE_1_", kPhase1);
        name_row(1, kRowObjective, "profit", kObjective);
        name_row(2, kRowLessEqual, "cap", kSlack);
        enginetest::SetBasis(ctx_, {kPhase1, kObjective, kX});
        ComputationalForm& f = ctx_->form;
        f.status[kPhase1] |= kStatHeld;
        f.status[kObjective] |= kStatHeld;
        f.value[kX] = 4.0;
        f.value[kObjective] = 12.0;
        ctx_->options.epsilon = 1e-8;
        ctx_->options.printlevel = 1;
        ctx_->options.printfreq = 1;
    }

    void TearDown() override { enginetest::DestroyContext(ctx_); }

    void name_row(int32_t i, uint8_t flags, const char* name, int32_t logical) {
        using namespace tymlp;
        RowRecord rec = empty_row(flags);
        rec.logical_column = logical;
        std::string padded(name);
        padded.resize(static_cast<size_t>(ctx_->model.row_name_length), ' ');
        ASSERT_EQ(write_row(ctx_, i, rec, padded.c_str()), 0);
    }

    int count(int number) const {
        int n = 0;
        for (const auto& m : host_->messages) n += m.number == number ? 1 : 0;
        return n;
    }

    // The first argument of the first message `number`.
    std::string message_arg(int number) const {
        for (const auto& m : host_->messages)
            if (m.number == number && !m.args.empty()) return m.args.front();
        return {};
    }

    minihost::State* host_ = nullptr;
    TymHost composed_{};
    TymTableVector table_vector_{};
    tymlp::LpContext* ctx_ = nullptr;
};

}  // namespace reporttest
