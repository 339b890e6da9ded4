// engine_fixture.h -- a context with a small problem on a fresh mini host,
// for the tests of the work store, inversion, update and scaling.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "base/ctx_inverse.h"
#include "engine_builder.h"
#include "mini_host.h"

namespace enginetest {

class EngineTest : public ::testing::Test {
  protected:
    void SetUp() override { host_ = &minihost::install(); }
    void TearDown() override { DestroyContext(ctx_); }

    // Builds the context for `problem` (not yet set up).
    tymlp::LpContext* Build(const ProblemSpec& problem) {
        spec_ = problem;
        ctx_ = BuildContext(problem);
        return ctx_;
    }
    // Builds and sets up the work store; fails the test when set-up fails.
    tymlp::LpContext* BuildReady(const ProblemSpec& problem) {
        Build(problem);
        EXPECT_EQ(SetUpEngine(ctx_), 0);
        return ctx_;
    }

    int Count(int number) const {
        int k = 0;
        for (const auto& msg : host_->messages) k += msg.number == number ? 1 : 0;
        return k;
    }
    bool HasNote(const std::string& prefix) const {
        for (const auto& n : host_->notes)
            if (n.rfind(prefix, 0) == 0) return true;
        return false;
    }

    minihost::State* host_ = nullptr;
    tymlp::LpContext* ctx_ = nullptr;
    ProblemSpec spec_;
};

// m rows, `structural` columns with `per_column` entries each (deterministic
// values), plus a slack per row.
inline ProblemSpec BandProblem(int32_t m, int32_t structural, int32_t per_column) {
    ProblemSpec p;
    p.rows = m;
    p.structural = structural;
    for (int32_t j = 0; j < structural; ++j) {
        ColumnSpec c;
        for (int32_t k = 0; k < per_column && k < m; ++k) {
            const int32_t r = (j + k * 7) % m;
            bool seen = false;
            for (auto& e : c.entries) seen = seen || e.first == r;
            if (!seen) c.entries.push_back({r, 1.0 + 0.25 * ((j + k) % 5) * (k % 2 == 0 ? 1 : -1)});
        }
        p.columns.push_back(c);
    }
    p.rhs.assign(static_cast<size_t>(m), 1.0);
    return WithSlacks(p);
}

}  // namespace enginetest
