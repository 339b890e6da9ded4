// .I and .M where the data gives numbers of the problem, bounds that leave
// a column no value, and the blank padding of long character values: what
// both readers make of them.
#include <string>

#include "input/bound_check.h"
#include "input/infinite_values.h"
#include "input/model_records.h"
#include "input/reader_common.h"
#include "reader_fixture.h"

namespace {

using namespace tymlp;
using readertest::ReaderTest;

TEST(InfiniteRhs, TheOpenSideFreesTheRowTheBoundSideNeverHolds) {
    // plus, minus, finite: the counts of .I, .M and other values.
    EXPECT_EQ(classify_rhs(kRowLessEqual, 0, 0, 2), InfiniteRhs::kFinite);
    EXPECT_EQ(classify_rhs(kRowLessEqual, 1, 0, 0), InfiniteRhs::kNotBinding);
    EXPECT_EQ(classify_rhs(kRowGreaterEqual, 0, 1, 0), InfiniteRhs::kNotBinding);
    EXPECT_EQ(classify_rhs(kRowLessEqual, 0, 1, 0), InfiniteRhs::kNeverHolds);
    EXPECT_EQ(classify_rhs(kRowGreaterEqual, 1, 0, 0), InfiniteRhs::kNeverHolds);
    EXPECT_EQ(classify_rhs(kRowEquality, 1, 0, 0), InfiniteRhs::kNeverHolds);
    EXPECT_EQ(classify_rhs(kRowEquality, 0, 1, 0), InfiniteRhs::kNeverHolds);
    EXPECT_EQ(classify_rhs(kRowObjective, 1, 0, 0), InfiniteRhs::kNeverHolds);
    EXPECT_EQ(classify_rhs(kRowLessEqual | kRowRange, 1, 0, 0), InfiniteRhs::kNotBinding);
    // Open in one right-hand-side column, finite in another.
    EXPECT_EQ(classify_rhs(kRowLessEqual, 1, 0, 1), InfiniteRhs::kMixed);
    // Bound in one column wins over open in another.
    EXPECT_EQ(classify_rhs(kRowLessEqual, 1, 1, 0), InfiniteRhs::kNeverHolds);
    // A free row binds nothing whatever its right-hand side.
    EXPECT_EQ(classify_rhs(kRowFree, 1, 1, 1), InfiniteRhs::kNotBinding);
}

TEST(TrimmedLength, PassesOverLongPaddingAsTheByteLoopWould) {
    for (int width : {0, 1, 7, 8, 9, 15, 16, 17, 64, 32767}) {
        for (int used : {0, 1, 7, 8, 9, 31}) {
            if (used > width) continue;
            std::string field(static_cast<size_t>(width), ' ');
            for (int k = 0; k < used; ++k) field[static_cast<size_t>(k)] = k == 3 ? ' ' : 'a';  // an inner blank
            if (width > used + 2) field[static_cast<size_t>(used + 1)] = '\0';             // zero bytes count as blank
            int expected = used;
            while (expected > 0 && field[static_cast<size_t>(expected - 1)] == ' ') --expected;
            EXPECT_EQ(trimmed_length(field.data(), width), expected) << width << " " << used;
        }
    }
    // A byte that only differs from a blank in its 0x20 bit is not blank.
    std::string tricky(16, ' ');
    tricky[10] = '\x60';
    EXPECT_EQ(trimmed_length(tricky.data(), 16), 11);
}

class InfiniteValues : public ReaderTest {};

TEST_F(InfiniteValues, BothLayoutsFreeAnOpenRowAndRefuseInfiniteCoefficients) {
    data("_ID_,_TYPE_,x,y,_RHS_\nobj,MAX,1,1,.\nc1,LE,1,1,.I\nc2,GE,1,0,.M\nc3,LE,0,1,4\n");
    ASSERT_EQ(read_dense(), 0);
    auto r = rows();
    EXPECT_EQ(r[2].flags, kRowFree);
    EXPECT_EQ(r[3].flags, kRowFree);
    EXPECT_EQ(r[4].flags, kRowLessEqual);
    EXPECT_EQ(ctx_->model.free_rows, 2);
    EXPECT_EQ(ctx_->model.le_rows, 1);
    EXPECT_EQ(ctx_->model.ge_rows, 0);
    EXPECT_EQ(values(kListRhs, 0), (std::vector<double>{0, 0, 0, 0, 4}));
    EXPECT_EQ(count(kMsgRowNotBinding), 2);

    fresh_context();
    data("_TYPE_,_COL_,_ROW_,_COEF_\nMAX,,obj,.\nLE,,c1,.\nGE,,c2,.\n,x,obj,1\n,x,c1,1\n,x,c2,1\n"
         "RHS,_RHS_,c1,.I\nRHS,_RHS_,c2,.M\n");
    ASSERT_EQ(read_sparse(), 0);
    r = rows();
    EXPECT_EQ(r[2].flags, kRowFree);
    EXPECT_EQ(r[3].flags, kRowFree);
    EXPECT_EQ(ctx_->model.free_rows, 2);
    EXPECT_EQ(ctx_->model.le_rows + ctx_->model.ge_rows, 0);
    EXPECT_EQ(values(kListRhs, 0), (std::vector<double>{0, 0, 0, 0}));

    fresh_context();
    data("_ID_,_TYPE_,x,y,_RHS_\nobj,MAX,.I,1,.\nc1,LE,1,.M,4\n");
    EXPECT_EQ(read_dense(), kRunSemantic);
    EXPECT_EQ(count(kMsgInfiniteCoefficient), 2);
    EXPECT_EQ(args(kMsgInfiniteCoefficient), (std::vector<std::string>{"obj", "x", "1"}));

    fresh_context();
    data("_TYPE_,_COL_,_ROW_,_COEF_\nMAX,,obj,.\nLE,,c1,.\n,x,obj,.M\n,x,c1,1\nRHS,_RHS_,c1,4\n");
    EXPECT_EQ(read_sparse(), kRunSemantic);
    EXPECT_EQ(args(kMsgInfiniteCoefficient), (std::vector<std::string>{"obj", "x", "3"}));
}

TEST_F(InfiniteValues, BoundsThatLeaveNoValueAreCountedAndNamedInBothLayouts) {
    data("_ID_,_TYPE_,x,y,z,w,_RHS_\nobj,MAX,1,1,1,1,.\nc1,LE,1,1,1,1,4\n"
         "lo,LOWERBD,5,.M,.I,2,.\nup,UPPERBD,1,3,.,2,.\n");
    ASSERT_EQ(read_dense(), 0);
    ASSERT_EQ(check_column_bounds(ctx_), 0);
    EXPECT_EQ(ctx_->model.contradicting_bounds, 2);  // x crossed, z at +infinity; y free below, w fixed
    EXPECT_EQ(count(kMsgContradictingBounds), 2);
    EXPECT_EQ(args(kMsgContradictingBounds), (std::vector<std::string>{"x", "5", "1"}));
    double lower = 0, upper = 0;
    ColumnRecord y{};
    ASSERT_EQ(read_column(ctx_, 1, &y, nullptr), 0);
    effective_bounds(ctx_, y, &lower, &upper);
    EXPECT_EQ(lower, -ctx_->options.infinity);
    EXPECT_EQ(upper, 3.0);

    fresh_context();
    data("_TYPE_,_COL_,_ROW_,_COEF_\nMAX,,obj,.\nLE,,c1,.\n,x,obj,1\n,x,c1,1\n,y,obj,1\n,y,c1,1\n"
         "RHS,_RHS_,c1,4\nUPPERBD,y,up,-1\nUPPERBD,x,up,.M\n");
    ASSERT_EQ(read_sparse(), 0);
    ASSERT_EQ(check_column_bounds(ctx_), 0);
    EXPECT_EQ(ctx_->model.contradicting_bounds, 2);  // the default lower bound 0 above -1, and -infinity
}

}  // namespace
