// The update driver: column replacement after an exchange, refactorisation
// on INVFREQ, after a failed update and on an unstable modulus, and store
// growth when one update compresses too often.
#include <cmath>

#include "engine_fixture.h"
#include "factor/lu_kernel.h"
#include "simplex/basis_header.h"
#include "simplex/invert.h"
#include "simplex/pivot_history.h"
#include "simplex/update_basis.h"

namespace enginetest {
namespace {

using namespace tymlp;

class UpdateBasisTest : public EngineTest {
  protected:
    void Start(const ProblemSpec& problem) {
        BuildReady(problem);
        ASSERT_EQ(OpenPivotHistory(ctx_), 0);
        SetBasis(ctx_, CrashBasis(problem));
        ASSERT_EQ(Invert(ctx_), 0);
        ctx_->solver.counter = &ctx_->solver.iterations[1];
        ctx_->solver.phase = kPhase2;
    }

    // One exchange as a simplex iteration makes it: FTRAN of the entering
    // column (leaving its spike), the leaving position with the largest
    // |alpha| (or `forced`), the history record, the header exchange, then
    // UpdateBasis.  Returns UpdateBasis's status.
    int Exchange(int32_t q, int32_t forced = -1) {
        const int32_t m = ctx_->model.rows;
        std::vector<double> a(static_cast<size_t>(m), 0.0);
        for (auto [r, v] : spec_.columns[static_cast<size_t>(q)].entries) a[static_cast<size_t>(r)] = v;
        Solve(ctx_->inverse, a.data(), kSolveForward);
        int32_t r = forced;
        if (r < 0) {
            r = 0;
            for (int32_t i = 1; i < m; ++i)
                if (std::fabs(a[static_cast<size_t>(i)]) > std::fabs(a[static_cast<size_t>(r)])) r = i;
        }
        SolverState& sv = ctx_->solver;
        sv.entering = q;
        sv.leaving = ctx_->form.header[r];
        sv.leaving_pos = r;
        EXPECT_EQ(RecordPivot(ctx_, sv.entering, sv.leaving), 0);
        SwapIntoBasis(ctx_, HeaderPosition(ctx_, q), r);
        ++*sv.counter;
        return UpdateBasis(ctx_);
    }

    // The factors describe the header's basis: FTRAN(B x) = x.
    void ExpectFactorsMatchHeader() {
        const int32_t m = ctx_->model.rows;
        std::vector<int32_t> basic(ctx_->form.header, ctx_->form.header + m);
        std::vector<double> x(static_cast<size_t>(m));
        for (int32_t i = 0; i < m; ++i) x[static_cast<size_t>(i)] = std::cos(0.7 * i) + 2.0;
        std::vector<double> b = BasisTimes(spec_, basic, x);
        Solve(ctx_->inverse, b.data(), kSolveForward);
        for (int32_t i = 0; i < m; ++i) ASSERT_NEAR(b[static_cast<size_t>(i)], x[static_cast<size_t>(i)], 1e-8) << i;
    }

    // A nonbasic structural column.
    int32_t Nonbasic(int32_t from) const {
        for (int32_t j = from; j < spec_.structural; ++j)
            if ((ctx_->form.status[j] & kStatBasic) == 0) return j;
        return -1;
    }
};

TEST_F(UpdateBasisTest, UpdatesKeepTheFactorsExactUntilInvfreq) {
    Start(BandProblem(40, 80, 4));
    ctx_->options.invfreq = 1000;
    const int inversions = ctx_->solver.inversions;
    int32_t from = 0;
    for (int k = 0; k < 15; ++k) {
        const int32_t q = Nonbasic(from);
        ASSERT_GE(q, 0);
        from = q + 1;
        ASSERT_EQ(Exchange(q), 0);
        ExpectFactorsMatchHeader();
    }
    EXPECT_EQ(ctx_->solver.inversions, inversions);
    EXPECT_EQ(ctx_->solver.updates_since_inversion, 15);
    EXPECT_GE(ctx_->solver.modulus, 1.0);
}

TEST_F(UpdateBasisTest, InvfreqOneRefactorisesEveryExchangeAndRecordsIt) {
    Start(BandProblem(30, 60, 3));
    ctx_->options.invfreq = 1;
    const int inversions = ctx_->solver.inversions;
    ASSERT_EQ(Exchange(Nonbasic(0)), 0);
    EXPECT_EQ(ctx_->solver.inversions, inversions + 1);
    EXPECT_EQ(ctx_->solver.updates_since_inversion, 0);
    EXPECT_EQ(ctx_->model.pivot_history_count, 1) << "the exchange is recorded after the inversion";
    ExpectFactorsMatchHeader();
    ASSERT_EQ(Exchange(Nonbasic(10)), 0);
    EXPECT_EQ(ctx_->solver.inversions, inversions + 2);
}

TEST_F(UpdateBasisTest, FailedUpdateReportsFiftyOneAndRepairsByInversion) {
    // Column 3 is twice column 0: replacing a column other than 0's by it
    // makes the basis singular.
    ProblemSpec p;
    p.rows = 3;
    p.structural = 4;
    p.columns.resize(4);
    p.columns[0].entries = {{0, 1.0}, {1, 2.0}};
    p.columns[1].entries = {{1, 1.0}};
    p.columns[2].entries = {{2, 1.0}};
    p.columns[3].entries = {{0, 2.0}, {1, 4.0}};
    p.rhs = {1.0, 1.0, 1.0};
    Build(WithSlacks(p));
    ASSERT_EQ(SetUpEngine(ctx_), 0);
    ASSERT_EQ(OpenPivotHistory(ctx_), 0);
    SetBasis(ctx_, {0, 1, 2});
    ASSERT_EQ(Invert(ctx_), 0);
    ctx_->solver.counter = &ctx_->solver.iterations[1];
    ctx_->solver.phase = kPhase2;
    ctx_->options.invfreq = 100;
    EXPECT_EQ(Exchange(3, 1), 0);  // column 3 replaces column 1
    EXPECT_EQ(Count(51), 1);
    ASSERT_EQ(host_->messages.front().args.size(), 2u);
    EXPECT_EQ(host_->messages.front().args[0], "1");
    EXPECT_EQ(host_->messages.front().args[1], "2");
    // The repair undid the exchange.
    EXPECT_NE(ctx_->form.status[1] & kStatBasic, 0);
    EXPECT_EQ(ctx_->form.status[3] & kStatBasic, 0);
    EXPECT_TRUE(IsLeaveBanned(ctx_, 1));
    ExpectFactorsMatchHeader();
}

TEST_F(UpdateBasisTest, FailedUpdateWithoutHistoryIsSingular) {
    ProblemSpec p;
    p.rows = 2;
    p.structural = 3;
    p.columns.resize(3);
    p.columns[0].entries = {{0, 1.0}, {1, 1.0}};
    p.columns[1].entries = {{1, 1.0}};
    p.columns[2].entries = {{0, 3.0}, {1, 3.0}};
    Build(WithSlacks(p));
    ASSERT_EQ(SetUpEngine(ctx_), 0);
    SetBasis(ctx_, {0, 1});
    ASSERT_EQ(Invert(ctx_), 0);
    ctx_->solver.counter = &ctx_->solver.iterations[1];
    ctx_->options.invfreq = 100;
    EXPECT_EQ(Exchange(2, 1), kRunSingular);
    EXPECT_EQ(Count(51), 1);
}

TEST_F(UpdateBasisTest, UnstableModulusRefactorisesWhileFewerThanHundredWereSeen) {
    Start(BandProblem(30, 60, 3));
    ctx_->options.invfreq = 1000;
    ctx_->options.epsilon = 1e-30;
    const int inversions = ctx_->solver.inversions;
    ctx_->solver.unstable_count = 0;
    ASSERT_EQ(Exchange(Nonbasic(0)), 0);
    EXPECT_EQ(ctx_->solver.inversions, inversions + 1);
    // From the 100th on, an unstable update no longer refactorises.
    ctx_->solver.unstable_count = 99;
    ASSERT_EQ(Exchange(Nonbasic(5)), 0);
    EXPECT_EQ(ctx_->solver.inversions, inversions + 1);
    ExpectFactorsMatchHeader();
}

// An update routine that reports a given number of compressions.
int g_fake_compressions = 0;
double CompressingUpdate(InverseStore& s, int32_t p) {
    const double modulus = UpdateFactor(s, p);
    s.compressions += g_fake_compressions;
    return modulus;
}

TEST_F(UpdateBasisTest, StoreGrowsAfterMoreThanTenCompressionsInOneUpdate) {
    Start(BandProblem(30, 60, 3));
    ctx_->options.invfreq = 1000;
    ctx_->options.performance = 1;
    ctx_->engine.hooks.update_factor = CompressingUpdate;
    InverseStore& s = ctx_->inverse;

    g_fake_compressions = 10;
    int32_t capacity = s.capacity;
    ASSERT_EQ(Exchange(Nonbasic(0)), 0);
    EXPECT_EQ(s.capacity, capacity);
    EXPECT_EQ(s.compressions, 10);
    EXPECT_FALSE(HasNote("NOTE: Update increase."));

    g_fake_compressions = 11;
    capacity = s.capacity;
    ASSERT_EQ(Exchange(Nonbasic(5)), 0);
    EXPECT_GE(s.capacity, static_cast<int32_t>(1.2 * capacity));
    EXPECT_EQ(s.compressions, 0);
    EXPECT_TRUE(HasNote("NOTE: Update increase."));
    EXPECT_TRUE(HasNote("NOTE: Start update --- no compressions="));
    ExpectFactorsMatchHeader();
}

}  // namespace
}  // namespace enginetest
