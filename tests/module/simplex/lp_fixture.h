// lp_fixture.h -- small linear programs in the computational form on the
// mini host, solved through solve_combination, for the tests of pricing,
// the ratio tests and the phases.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "control/solve_combination.h"
#include "engine_builder.h"
#include "input/objectives.h"
#include "mini_host.h"
#include "simplex/pivot_history.h"

namespace lptest {

inline constexpr double kInf = enginetest::kInf;

// optimise sense * c.x subject to rows (kind 'L' <=, 'G' >=, 'E' =, 'F' free)
// and lo <= x <= up.  A range r on an 'L' or 'G' row bounds its logical
// column by |r|.
struct Lp {
    std::vector<std::vector<double>> a;
    std::vector<char> kind;
    std::vector<double> rhs;
    std::vector<double> range;  // empty: none
    std::vector<double> c;
    std::vector<double> lo;  // empty: 0
    std::vector<double> up;  // empty: infinite
    double sense = 1.0;      // +1 maximise, -1 minimise
};

class LpTest : public ::testing::Test {
  protected:
    void SetUp() override { host_ = &minihost::install(); }
    void TearDown() override { enginetest::DestroyContext(ctx_); }

    // Builds the context: row 0 the phase-1 objective, row 1 the objective,
    // rows 2.. the constraints; a logical column per row (artificial for
    // equality rows), all logical columns basic.
    tymlp::LpContext* Build(const Lp& lp) {
        using namespace tymlp;
        const int32_t k = static_cast<int32_t>(lp.c.size());
        const int32_t rows = static_cast<int32_t>(lp.kind.size());
        enginetest::ProblemSpec problem;
        problem.rows = rows + 2;
        problem.structural = k;
        for (int32_t j = 0; j < k; ++j) {
            enginetest::ColumnSpec col;
            if (lp.c[j] != 0.0) col.entries.push_back({1, lp.c[j]});
            for (int32_t i = 0; i < rows; ++i)
                if (lp.a[i][j] != 0.0) col.entries.push_back({i + 2, lp.a[i][j]});
            col.lower = lp.lo.empty() ? 0.0 : lp.lo[j];
            col.upper = lp.up.empty() ? kInf : lp.up[j];
            if (col.lower <= -kInf && col.upper >= kInf)
                col.status = kStatHeld;
            else if (col.lower <= -kInf)
                col.status = kStatAtUpper;
            problem.columns.push_back(col);
        }
        std::vector<int32_t> basic;
        auto logical = [&](int32_t row, double coef, double upper, uint8_t status) {
            enginetest::ColumnSpec col;
            col.entries = {{row, coef}};
            col.upper = upper;
            col.status = status;
            basic.push_back(static_cast<int32_t>(problem.columns.size()));
            problem.columns.push_back(col);
        };
        logical(0, -1.0, kInf, kStatHeld);
        logical(1, -1.0, kInf, kStatHeld);
        problem.rhs = {0.0, 0.0};
        for (int32_t i = 0; i < rows; ++i) {
            const double r = lp.range.empty() ? 0.0 : lp.range[i];
            const double width = r != 0.0 ? std::fabs(r) : kInf;
            problem.rhs.push_back(lp.rhs[i]);
            switch (lp.kind[i]) {
                case 'L': logical(i + 2, 1.0, width, 0); break;
                case 'G': logical(i + 2, -1.0, width, 0); break;
                case 'F': logical(i + 2, 1.0, kInf, kStatHeld); break;
                default: {
                    logical(i + 2, lp.rhs[i] < 0.0 ? -1.0 : 1.0, 0.0, kStatArtificial);
                    break;
                }
            }
        }
        ctx_ = enginetest::BuildContext(problem);
        const int32_t p1 = k;
        const int32_t obj = k + 1;
        ObjectiveRecord* r0 = add_objective(ctx_, 0, -1.0, "PHASE_1_");
        ObjectiveRecord* r1 = add_objective(ctx_, 1, lp.sense, "OBJ     ");
        r0->column = p1;
        r1->column = obj;
        ensure_order_keys(ctx_);
        ctx_->model.objective_index = 1;
        enginetest::SetBasis(ctx_, basic);
        objective_column_ = obj;
        return ctx_;
    }

    // Sets up the work store and the pivot history, then solves.  Returns
    // the end code when the run ended, -1 when the combination returned.
    int Solve() {
        EXPECT_EQ(enginetest::SetUpEngine(ctx_), 0);
        EXPECT_EQ(tymlp::OpenPivotHistory(ctx_), 0);
        try {
            tymlp::solve_combination(ctx_);
        } catch (const minihost::StepEnded& e) {
            ended_ = true;
            // end_run released the context.
            ctx_ = nullptr;
            return e.end_code;
        }
        return -1;
    }

    int Status() const { return ctx_->solver.run_status; }
    double Objective() const { return ctx_->form.value[objective_column_]; }
    double X(int32_t j) const { return ctx_->form.value[j]; }
    bool Has(int number) const { return minihost::has_message(number); }
    std::string Macro() const {
        auto it = host_->macros.find("_QMLP_");
        return it == host_->macros.end() ? std::string() : it->second;
    }

    minihost::State* host_ = nullptr;
    tymlp::LpContext* ctx_ = nullptr;
    int32_t objective_column_ = -1;
    bool ended_ = false;
};

}  // namespace lptest
