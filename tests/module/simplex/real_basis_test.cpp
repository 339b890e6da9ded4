// Real bases: crashed bases of shared Netlib instances, inverted with both
// factorisation routines, then driven through long update sequences and
// checked against the header's basis after every exchange.
#include <cmath>
#include <filesystem>
#include <ostream>
#include <string>

#include "engine_fixture.h"
#include "engine_mps.h"
#include "factor/lu_kernel.h"
#include "simplex/basis_header.h"
#include "simplex/invert.h"
#include "simplex/update_basis.h"

namespace enginetest {
namespace {

using namespace tymlp;

struct Case {
    const char* instance;
    int lu;
};
void PrintTo(const Case& c, std::ostream* os) { *os << c.instance << " LU=" << c.lu; }

class RealBasisTest : public EngineTest, public ::testing::WithParamInterface<Case> {
  protected:
    void Load() {
        const std::string path = NetlibPath(GetParam().instance);
        if (!std::filesystem::exists(path)) GTEST_SKIP() << "instance not available: " << path;
        std::string error;
        ProblemSpec problem;
        ASSERT_TRUE(ProblemFromMps(path, &problem, &error)) << error;
        Build(problem);
        ctx_->options.lu = GetParam().lu;
        ASSERT_EQ(SetUpEngine(ctx_), 0);
        SetBasis(ctx_, CrashBasis(problem));
        ASSERT_EQ(Invert(ctx_), 0);
    }

    // Relative error of FTRAN and BTRAN on the header's basis.
    void ExpectSolvesMatchHeader(double tolerance) {
        const int32_t m = ctx_->model.rows;
        std::vector<int32_t> basic(ctx_->form.header, ctx_->form.header + m);
        std::vector<double> x(static_cast<size_t>(m));
        for (int32_t i = 0; i < m; ++i) x[static_cast<size_t>(i)] = 1.0 + std::sin(1.3 * i);
        std::vector<double> b = BasisTimes(spec_, basic, x);
        Solve(ctx_->inverse, b.data(), kSolveForward);
        double worst = 0.0;
        for (int32_t i = 0; i < m; ++i)
            worst = std::max(worst, std::fabs(b[static_cast<size_t>(i)] - x[static_cast<size_t>(i)]));
        EXPECT_LT(worst, tolerance) << "FTRAN";
        // BTRAN: y with B^T y = c; check column by column.
        std::vector<double> y(x);
        Solve(ctx_->inverse, y.data(), kSolveBackward);
        worst = 0.0;
        for (int32_t k = 0; k < m; ++k) {
            double dot = 0.0;
            for (auto [r, v] : spec_.columns[static_cast<size_t>(basic[static_cast<size_t>(k)])].entries)
                dot += v * y[static_cast<size_t>(r)];
            worst = std::max(worst, std::fabs(dot - x[static_cast<size_t>(k)]));
        }
        EXPECT_LT(worst, tolerance) << "BTRAN";
    }
};

TEST_P(RealBasisTest, CrashedBasisInvertsAndSurvivesLongUpdateSequences) {
    Load();
    if (IsSkipped() || HasFatalFailure()) return;
    ExpectSolvesMatchHeader(1e-7);
    const int32_t m = ctx_->model.rows;
    ctx_->options.invfreq = 1000;
    ctx_->solver.counter = &ctx_->solver.iterations[1];
    ctx_->solver.phase = kPhase2;
    int exchanges = 0;
    std::vector<double> alpha(static_cast<size_t>(m));
    for (int32_t q = 0; q < spec_.structural && exchanges < 60; ++q) {
        if ((ctx_->form.status[q] & kStatBasic) != 0 || spec_.columns[static_cast<size_t>(q)].entries.empty()) continue;
        std::fill(alpha.begin(), alpha.end(), 0.0);
        for (auto [r, v] : spec_.columns[static_cast<size_t>(q)].entries) alpha[static_cast<size_t>(r)] = v;
        Solve(ctx_->inverse, alpha.data(), kSolveForward);
        int32_t r = 0;
        for (int32_t i = 1; i < m; ++i)
            if (std::fabs(alpha[static_cast<size_t>(i)]) > std::fabs(alpha[static_cast<size_t>(r)])) r = i;
        if (std::fabs(alpha[static_cast<size_t>(r)]) < 1e-3) continue;
        SolverState& sv = ctx_->solver;
        sv.entering = q;
        sv.leaving = ctx_->form.header[r];
        sv.leaving_pos = r;
        SwapIntoBasis(ctx_, HeaderPosition(ctx_, q), r);
        ASSERT_EQ(UpdateBasis(ctx_), 0);
        ++exchanges;
        if (exchanges % 10 == 0) ExpectSolvesMatchHeader(1e-6);
    }
    EXPECT_GT(exchanges, 20);
    ExpectSolvesMatchHeader(1e-6);
    // A fresh inversion of the final basis agrees with the updated factors.
    ASSERT_EQ(Invert(ctx_), 0);
    ExpectSolvesMatchHeader(1e-7);
}

INSTANTIATE_TEST_SUITE_P(Netlib, RealBasisTest,
                         ::testing::Values(Case{"scsd6", kLuLeftLooking}, Case{"scsd6", kLuMarkowitz},
                                           Case{"israel", kLuLeftLooking}, Case{"israel", kLuMarkowitz},
                                           Case{"bandm", kLuLeftLooking}, Case{"bandm", kLuMarkowitz},
                                           Case{"e226", kLuLeftLooking}, Case{"e226", kLuMarkowitz}),
                         [](const auto& info) {
                             return std::string(info.param.instance) + "_lu" + std::to_string(info.param.lu);
                         });

}  // namespace
}  // namespace enginetest
