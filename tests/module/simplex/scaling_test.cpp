// Scaling: power-of-two rounding, column and row factors by SCALE and
// SCALETYPE, bounds and logical columns, range problems, tiny coefficients.
#include <cmath>

#include "control/option_slots.h"
#include "engine_fixture.h"
#include "simplex/scaling.h"
#include "simplex/work_store.h"

namespace enginetest {
namespace {

using namespace tymlp;

TEST(PowerOfTwoRounding, NearestPowerTiesGoUp) {
    EXPECT_EQ(RoundToPowerOfTwo(3.0), 4.0);
    EXPECT_EQ(RoundToPowerOfTwo(6.0), 8.0);
    EXPECT_EQ(RoundToPowerOfTwo(5.0), 4.0);
    EXPECT_EQ(RoundToPowerOfTwo(0.75), 1.0);
    EXPECT_EQ(RoundToPowerOfTwo(0.3), 0.25);
    EXPECT_EQ(RoundToPowerOfTwo(0.374), 0.25);
    for (double p : {1.0, 2.0, 4.0, 1024.0, 0.5, 0.125, 1.0 / 4096}) EXPECT_EQ(RoundToPowerOfTwo(p), p) << p;
    EXPECT_EQ(RoundToPowerOfTwo(1e-300), std::ldexp(1.0, -997));
}

class ScalingTest : public EngineTest {
  protected:
    // The column as the matrix store now holds it (read past the cache).
    std::vector<double> Stored(int32_t j) {
        EmptyCache(ctx_);
        const double* v = nullptr;
        const int32_t* r = nullptr;
        int32_t c = 0;
        EXPECT_EQ(FetchColumn(ctx_, j, &v, &r, &c), 0);
        return std::vector<double>(v, v + c);
    }
};

ProblemSpec TwoByThree() {
    ProblemSpec p;
    p.rows = 2;
    p.structural = 3;
    p.columns.resize(3);
    p.columns[0].entries = {{0, 2.0}, {1, 32.0}};
    p.columns[0].lower = 1.0;
    p.columns[0].upper = 10.0;
    p.columns[1].entries = {{0, 0.5}, {1, 4.0}};
    p.columns[2].entries = {{0, 3.0}};
    p.columns[2].status = kStatInteger;
    p.rhs = {0.0, 64.0};
    return WithSlacks(p);
}

TEST_F(ScalingTest, ColumnsByLargestMagnitudeOrGeometricMean) {
    BuildReady(TwoByThree());
    ctx_->options.scale = kScaleColumns;
    ctx_->options.scaletype = kScaleEquilibrium;
    ASSERT_EQ(ScaleProblem(ctx_), 0);
    EXPECT_EQ(ctx_->form.column_scale[0], 32.0);
    EXPECT_EQ(Stored(0), (std::vector<double>{2.0 / 32, 1.0}));
    EXPECT_EQ(ctx_->form.column_scale[1], 4.0);
    EXPECT_EQ(ctx_->form.column_scale[2], 1.0) << "integer columns keep their scale";
    EXPECT_EQ(Stored(2), (std::vector<double>{3.0}));
    EXPECT_EQ(ctx_->form.lower[0], 32.0);
    EXPECT_EQ(ctx_->form.upper[0], 320.0);
    EXPECT_EQ(ctx_->form.upper[1], kInf) << "an infinite bound stays infinite";
    EXPECT_EQ(ctx_->form.row_scale[1], 1.0);
    DestroyContext(ctx_);

    minihost::install();
    BuildReady(TwoByThree());
    ctx_->options.scale = kScaleColumns;
    ctx_->options.scaletype = kScaleGeometric;
    ASSERT_EQ(ScaleProblem(ctx_), 0);
    EXPECT_EQ(ctx_->form.column_scale[0], 8.0);  // sqrt(2 * 32)
    EXPECT_EQ(ctx_->form.column_scale[1], RoundToPowerOfTwo(std::sqrt(2.0)));
    EXPECT_EQ(Stored(0), (std::vector<double>{0.25, 4.0}));
}

TEST_F(ScalingTest, RowsTakeTheRightHandSideIntoAccountAndLogicalsKeepUnitEntries) {
    ProblemSpec p = TwoByThree();
    p.rows = 3;  // row 2 is empty with a zero right-hand side
    p.rhs = {0.0, 64.0, 0.0};
    p = WithSlacks(p);
    BuildReady(p);
    ctx_->options.scale = kScaleRows;
    ctx_->options.scaletype = kScaleEquilibrium;
    ASSERT_EQ(ScaleProblem(ctx_), 0);
    const double* r = ctx_->form.row_scale;
    EXPECT_EQ(r[0], 4.0);   // largest of 0, 2, 0.5, 3 -> 3 -> 4
    EXPECT_EQ(r[1], 64.0);  // the right-hand side 64 is the largest
    EXPECT_EQ(r[2], 1.0);   // an all-zero row
    EXPECT_EQ(Stored(0), (std::vector<double>{0.5, 0.5}));
    // Slack of row 1: coefficient stays +1, its factor takes 1/64.
    EXPECT_EQ(Stored(4), (std::vector<double>{1.0}));
    EXPECT_EQ(ctx_->form.column_scale[4], 1.0 / 64);
    EXPECT_EQ(ctx_->form.column_scale[0], 1.0);
    // The right-hand side is divided where it is loaded.
    std::vector<double> b = {8.0, 64.0, 5.0};
    DivideRhsByRowScale(ctx_, b.data());
    EXPECT_EQ(b, (std::vector<double>{2.0, 1.0, 5.0}));
}

// A huge right-hand side must not shrink the row's entries below EPSILON:
// a feasible row would read as all zeros.  The factor then comes from the
// entries alone, under either scale type.
TEST_F(ScalingTest, ARightHandSideNeverMakesAnEntryVanish) {
    for (int16_t type : {kScaleEquilibrium, kScaleGeometric}) {
        ProblemSpec p;
        p.rows = 2;
        p.structural = 2;
        p.columns.resize(2);
        p.columns[0].entries = {{0, 0.001}, {1, 1.0}};
        p.columns[1].entries = {{0, 0.002}, {1, 1.0}};
        p.rhs = {1e20, 1e6};                        // row 1: the right-hand side may take part
        if (ctx_ != nullptr) DestroyContext(ctx_);  // the other scale type's run
        BuildReady(WithSlacks(p));
        ctx_->options.scale = kScaleRows;
        ctx_->options.scaletype = type;
        ASSERT_EQ(ScaleProblem(ctx_), 0);
        const double* r = ctx_->form.row_scale;
        for (double a : Stored(0)) EXPECT_GE(std::fabs(a), ctx_->options.epsilon) << "type " << type;
        EXPECT_EQ(r[0],
                  type == kScaleEquilibrium ? RoundToPowerOfTwo(0.002) : RoundToPowerOfTwo(std::sqrt(0.002 * 0.001)));
        EXPECT_EQ(r[1], type == kScaleEquilibrium ? RoundToPowerOfTwo(1e6) : RoundToPowerOfTwo(1e3));
    }
}

TEST_F(ScalingTest, BothWaysGeometricDividesByRowAndColumnFactors) {
    BuildReady(TwoByThree());
    ASSERT_EQ(ctx_->options.scale, kScaleBoth);
    ASSERT_EQ(ScaleProblem(ctx_), 0);
    const double* r = ctx_->form.row_scale;
    const double* s = ctx_->form.column_scale;
    const std::vector<double> stored = Stored(0);
    EXPECT_EQ(stored[0], 2.0 / (r[0] * s[0]));
    EXPECT_EQ(stored[1], 32.0 / (r[1] * s[0]));
}

// The passes run from the last column to the first while the rewrites reach
// the matrix store in file order afterwards: every column must end up there
// with each entry divided by its row and column factors, including columns
// whose entries changed in only one of the two passes.
TEST_F(ScalingTest, EveryScaledColumnReachesTheMatrixStore) {
    ProblemSpec p = BandProblem(12, 30, 3);
    for (size_t j = 0; j < p.columns.size(); j += 3)
        for (auto& e : p.columns[j].entries) e.second *= 64.0 * static_cast<double>(j + 1);
    p.rhs[5] = 1000.0;
    BuildReady(p);
    ASSERT_EQ(ScaleProblem(ctx_), 0);
    const double* r = ctx_->form.row_scale;
    const double* s = ctx_->form.column_scale;
    for (int32_t j = 0; j < p.structural; ++j) {
        const std::vector<double> stored = Stored(j);
        const auto& entries = p.columns[static_cast<size_t>(j)].entries;
        ASSERT_EQ(stored.size(), entries.size()) << "column " << j;
        for (size_t k = 0; k < entries.size(); ++k)
            EXPECT_EQ(stored[k], entries[k].second / (r[entries[k].first] * s[j])) << "column " << j << " entry " << k;
    }
}

// A range row is scaled like any other: its logical column keeps its unit
// entry and takes the row factor into its own, which scales the range (the
// logical's finite upper bound) with it, so the row's interval is the same
// in the user's units.
TEST_F(ScalingTest, RangeRowsAreScaledWithTheirInterval) {
    ProblemSpec p = WithSlacks(TwoByThree());
    p.columns[4].upper = 16.0;  // row 1 is ranged: [64 - 16, 64]
    BuildReady(p);
    ctx_->model.range_variables = 1;
    ctx_->options.scale = kScaleBoth;
    ctx_->options.scaletype = kScaleEquilibrium;
    ASSERT_EQ(ScaleProblem(ctx_), 0);
    EXPECT_EQ(ctx_->options.scale, kScaleBoth);
    const double r1 = ctx_->form.row_scale[1];
    EXPECT_NE(r1, 1.0);
    EXPECT_EQ(Stored(4), (std::vector<double>{1.0}));
    EXPECT_EQ(ctx_->form.column_scale[4], 1.0 / r1);
    EXPECT_EQ(ctx_->form.upper[4], 16.0 / r1);
    // Unscaled, the range is 16 again.
    EXPECT_EQ(ctx_->form.upper[4] / ctx_->form.column_scale[4], 16.0);
}

TEST_F(ScalingTest, TinyCoefficientsAreReportedUpToAHundred) {
    ProblemSpec p;
    p.rows = 120;
    p.structural = 2;
    p.columns.resize(2);
    for (int32_t i = 0; i < 105; ++i) p.columns[0].entries.push_back({i, 1e-12});
    p.columns[1].entries = {{0, 1.0}};
    BuildReady(WithSlacks(p));
    ASSERT_EQ(CheckTinyCoefficients(ctx_), 0);
    EXPECT_EQ(Count(214), 100);
    EXPECT_EQ(Count(243), 1);
    EXPECT_EQ(host_->messages.back().number, 243);
    ASSERT_EQ(host_->messages.front().args.size(), 2u);
    EXPECT_EQ(host_->messages.front().args[0], "R0");
    EXPECT_EQ(host_->messages.front().args[1], "C0");
}

TEST_F(ScalingTest, FewTinyCoefficientsGiveNoClosingMessage) {
    ProblemSpec p;
    p.rows = 3;
    p.structural = 1;
    p.columns.resize(1);
    p.columns[0].entries = {{0, 1.0}, {2, -1e-9}};
    BuildReady(WithSlacks(p));
    ctx_->options.scale = kScaleNone;
    ASSERT_EQ(ScaleProblem(ctx_), 0);
    EXPECT_EQ(Count(214), 0) << "no check without scaling";
    ASSERT_EQ(CheckTinyCoefficients(ctx_), 0);
    EXPECT_EQ(Count(214), 1);
    EXPECT_EQ(host_->messages.front().args[0], "R2");
    EXPECT_EQ(Count(243), 0);
}

}  // namespace
}  // namespace enginetest
