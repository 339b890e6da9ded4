// When the factors are renewed: every INVFREQ updates by default, by the
// weighed work of the updates under INVTYPE=AUTO (never past its cap, and
// never inside the integer search), with the factors exact either way.
#include <cmath>

#include "engine_fixture.h"
#include "factor/lu_kernel.h"
#include "simplex/basis_header.h"
#include "simplex/invert.h"
#include "simplex/pivot_history.h"
#include "simplex/refactor_rule.h"
#include "simplex/update_basis.h"

namespace enginetest {
namespace {

using namespace tymlp;

class RefactorRuleTest : public EngineTest {
  protected:
    void Start(const ProblemSpec& problem) {
        BuildReady(problem);
        ASSERT_EQ(OpenPivotHistory(ctx_), 0);
        SetBasis(ctx_, CrashBasis(problem));
        ASSERT_EQ(Invert(ctx_), 0);
        ctx_->solver.counter = &ctx_->solver.iterations[1];
        ctx_->solver.phase = kPhase2;
    }

    // One exchange as an iteration makes it (the entering column's FTRAN
    // leaves its spike; the largest |alpha| leaves), then UpdateBasis.
    int Exchange(int32_t q) {
        const int32_t m = ctx_->model.rows;
        std::vector<double> a(static_cast<size_t>(m), 0.0);
        for (auto [r, v] : spec_.columns[static_cast<size_t>(q)].entries) a[static_cast<size_t>(r)] = v;
        Solve(ctx_->inverse, a.data(), kSolveForward);
        int32_t r = 0;
        for (int32_t i = 1; i < m; ++i)
            if (std::fabs(a[static_cast<size_t>(i)]) > std::fabs(a[static_cast<size_t>(r)])) r = i;
        SolverState& sv = ctx_->solver;
        sv.entering = q;
        sv.leaving = ctx_->form.header[r];
        sv.leaving_pos = r;
        EXPECT_EQ(RecordPivot(ctx_, sv.entering, sv.leaving), 0);
        SwapIntoBasis(ctx_, HeaderPosition(ctx_, q), r);
        ++*sv.counter;
        return UpdateBasis(ctx_);
    }

    // Exchanges `count` nonbasic structural columns in turn; returns the
    // inversions they caused.
    int ExchangeSeveral(int count) {
        const int before = ctx_->solver.inversions;
        int32_t from = 0;
        for (int k = 0; k < count; ++k) {
            int32_t q = -1;
            for (int32_t j = from; j < spec_.structural && q < 0; ++j)
                if ((ctx_->form.status[j] & kStatBasic) == 0) q = j;
            if (q < 0) {
                from = 0;
                --k;
                continue;
            }
            from = q + 1;
            EXPECT_EQ(Exchange(q), 0);
        }
        return ctx_->solver.inversions - before;
    }

    void ExpectFactorsMatchHeader() {
        const int32_t m = ctx_->model.rows;
        std::vector<int32_t> basic(ctx_->form.header, ctx_->form.header + m);
        std::vector<double> x(static_cast<size_t>(m));
        for (int32_t i = 0; i < m; ++i) x[static_cast<size_t>(i)] = std::sin(0.3 * i) + 2.0;
        std::vector<double> b = BasisTimes(spec_, basic, x);
        Solve(ctx_->inverse, b.data(), kSolveForward);
        for (int32_t i = 0; i < m; ++i) ASSERT_NEAR(b[static_cast<size_t>(i)], x[static_cast<size_t>(i)], 1e-8) << i;
    }
};

TEST_F(RefactorRuleTest, CapGrowsWithTheRowsBetweenItsBounds) {
    EXPECT_EQ(AutoUpdateCap(1), 100);
    EXPECT_EQ(AutoUpdateCap(5000), 200);
    EXPECT_EQ(AutoUpdateCap(100000), 2000);
    EXPECT_EQ(AutoUpdateCap(2000000000), 2000);
}

TEST_F(RefactorRuleTest, CountRuleIgnoresTheWorkAndAutoIgnoresInvfreq) {
    Start(BandProblem(40, 120, 4));
    ctx_->options.invfreq = 4;
    EXPECT_EQ(ExchangeSeveral(12), 3) << "every fourth exchange factorises";

    // A fresh factorisation judged dearer than any update: AUTO updates on
    // past INVFREQ, and the factors stay exact.
    ctx_->options.invtype = kInvTypeAuto;
    ASSERT_EQ(Invert(ctx_), 0);
    ctx_->solver.refactor_work = 1e300;
    EXPECT_EQ(ExchangeSeveral(12), 0);
    EXPECT_EQ(ctx_->solver.updates_since_inversion, 12);
    ExpectFactorsMatchHeader();
}

TEST_F(RefactorRuleTest, AutoFactorisesOnceTheUpdatesCostMoreThanAFreshStart) {
    Start(BandProblem(40, 120, 4));
    ctx_->options.invfreq = 1000;
    ctx_->options.invtype = kInvTypeAuto;
    // A cheap factorisation: the first updates that leave work in the
    // solves outweigh it.
    ctx_->solver.refactor_work = 1.0;
    const int base = ctx_->solver.inversions;
    int exchanges = 0;
    while (ctx_->solver.inversions == base && exchanges < 5) exchanges += 1, ExchangeSeveral(1);
    EXPECT_EQ(ctx_->solver.inversions, base + 1) << "after " << exchanges << " exchanges";
    EXPECT_EQ(ctx_->solver.updates_since_inversion, 0);
    ExpectFactorsMatchHeader();
    // The judged work comes back with each factorisation: a real one is far
    // above one visited entry per slot, so updates go on for a while.
    EXPECT_GT(ctx_->solver.refactor_work, 40.0 * 40);
    EXPECT_EQ(ExchangeSeveral(3), 0);
}

TEST_F(RefactorRuleTest, AutoStopsAtTheCapWhereUpdatesAddNoWork) {
    Start(BandProblem(30, 300, 3));
    ctx_->options.invfreq = 1000;
    ctx_->options.invtype = kInvTypeAuto;
    ctx_->solver.refactor_work = 1e300;
    const int32_t cap = AutoUpdateCap(ctx_->model.rows);
    EXPECT_EQ(ExchangeSeveral(cap - 1), 0);
    EXPECT_EQ(ExchangeSeveral(1), 1) << "the cap'th exchange factorises";
    EXPECT_EQ(ctx_->solver.updates_since_inversion, 0);
    ExpectFactorsMatchHeader();
}

TEST_F(RefactorRuleTest, IntegerSearchKeepsTheCountRule) {
    Start(BandProblem(40, 120, 4));
    ctx_->options.invfreq = 2;
    ctx_->options.invtype = kInvTypeAuto;
    ctx_->solver.refactor_work = 1e300;
    ctx_->solver.bb_ran = 1;
    EXPECT_EQ(ExchangeSeveral(6), 3);
    ctx_->solver.bb_ran = 0;
}

}  // namespace
}  // namespace enginetest
