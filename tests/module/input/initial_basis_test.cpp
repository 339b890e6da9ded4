// The starting basis of a run: bounds and statuses from the records, one
// basic column per row, artificial columns where a row has none.
#include "input/initial_basis.h"
#include "input/computational_form.h"
#include "input/matrix_store.h"
#include "reader_fixture.h"

namespace {

using namespace tymlp;
using readertest::ReaderTest;

constexpr double kInf = 1.7976931348623157e308;

class Basis : public ReaderTest {
  protected:
    void prepare(const std::string& csv) {
        data(csv);
        ASSERT_EQ(read_dense(), 0);
        ASSERT_EQ(complete_form(ctx_), 0);
        ASSERT_EQ(build_starting_basis(ctx_), 0);
    }
    std::vector<int32_t> basic_columns() {
        const ComputationalForm& f = ctx_->form;
        return std::vector<int32_t>(f.header, f.header + ctx_->model.rows);
    }
};

TEST_F(Basis, LogicalColumnsAreBasicAndEqualitiesGetArtificials) {
    // Rows: 0 phase 1, 1 obj, 2 LE, 3 GE, 4 EQ (rhs -3), 5 EQ (rhs 2).
    prepare(
        "_ID_,_TYPE_,x,y,_RHS_\n"
        "obj,MAX,1,1,.\n"
        "le,LE,1,1,4\n"
        "ge,GE,1,0,1\n"
        "eqn,EQ,1,-1,-3\n"
        "eqp,EQ,0,1,2\n");
    const ProblemModel& m = ctx_->model;
    const ComputationalForm& f = ctx_->form;
    // 2 structural + 4 logical (two objectives, slack, surplus) + 2 artificial.
    ASSERT_EQ(m.columns, 8);
    EXPECT_EQ(basic_columns(), (std::vector<int32_t>{2, 3, 4, 5, 6, 7}));
    for (int32_t j = 0; j < 2; ++j) EXPECT_EQ(f.status[j], 0) << j;
    EXPECT_EQ(f.status[2], kStatBasic | kStatHeld);  // phase-1 objective column
    EXPECT_EQ(f.status[4], kStatBasic);              // slack
    EXPECT_EQ(f.status[6], kStatBasic | kStatArtificial);
    EXPECT_EQ(f.header[6], 0);  // nonbasic after the basic ones
    // Artificial columns: +1 for a non-negative right-hand side, -1 otherwise.
    const double* values = nullptr;
    const int32_t* rows = nullptr;
    int32_t count = 0;
    ASSERT_EQ(traverse_column(ctx_, 6, &values, &rows, &count), 0);
    ASSERT_EQ(count, 1);
    EXPECT_EQ(rows[0], 4);
    EXPECT_EQ(values[0], -1.0);
    ASSERT_EQ(traverse_column(ctx_, 7, &values, &rows, &count), 0);
    EXPECT_EQ(rows[0], 5);
    EXPECT_EQ(values[0], 1.0);
    EXPECT_EQ(f.lower[6], 0.0);
    EXPECT_EQ(f.upper[6], 0.0);
    const auto c = columns();
    EXPECT_EQ(c[6].flags, kColArtificial);
    EXPECT_EQ(c[6].name, "eqn");
    EXPECT_EQ(f.rhs[4], -3.0);
}

TEST_F(Basis, StructuralBoundsAndStatusesFollowTheRecords) {
    prepare(
        "_ID_,_TYPE_,a,b,c,d,e,_RHS_\n"
        "obj,MIN,1,1,1,1,1,.\n"
        "row,GE,1,1,1,1,1,1\n"
        "up,UPPER,4,.,.,-2,.,.\n"
        "lo,LOWER,.,2,.,.,.,.\n"
        "un,UNRS,.,.,1,1,.,.\n"
        "bin,BINARY,.,.,.,.,1,.\n");
    const ComputationalForm& f = ctx_->form;
    EXPECT_EQ(f.lower[0], 0.0);  // non-negative unless the data says otherwise
    EXPECT_EQ(f.upper[0], 4.0);
    EXPECT_EQ(f.lower[1], 2.0);
    EXPECT_EQ(f.upper[1], kInf);
    EXPECT_EQ(f.lower[2], -kInf);  // unrestricted: free
    EXPECT_EQ(f.status[2], kStatHeld);
    EXPECT_EQ(f.lower[3], -kInf);  // unrestricted with an upper bound sits at it
    EXPECT_EQ(f.status[3], kStatAtUpper);
    EXPECT_EQ(f.lower[4], 0.0);
    EXPECT_EQ(f.upper[4], 1.0);
    EXPECT_EQ(f.status[4], kStatInteger);
}

TEST_F(Basis, ColumnsMarkedBasicTakeTheFirstOpenRowOfTheirChain) {
    prepare(
        "_ID_,_TYPE_,x,y,z,_RHS_\n"
        "obj,MAX,1,1,1,.\n"
        "r1,LE,1,1,0,4\n"
        "r2,EQ,1,0,1,2\n"
        "basis,BASIC,1,1,.,.\n");
    // x takes r1 (its first row after the objective), y would take r1 too but
    // it is taken; y's chain has no other row, so y stays nonbasic.  r2 has
    // no logical column: it gets an artificial one.
    const ComputationalForm& f = ctx_->form;
    EXPECT_EQ(f.status[0], kStatBasic);
    EXPECT_EQ(f.status[1], 0);
    const int32_t slack_r1 = 5;  // columns: x y z, phase-1 objective, obj objective, slack of r1
    EXPECT_EQ(f.status[slack_r1], 0);
    EXPECT_EQ(ctx_->model.columns, 7);
    EXPECT_EQ(f.status[6], kStatBasic | kStatArtificial);
    int basic = 0;
    for (int32_t j = 0; j < ctx_->model.columns; ++j) basic += (f.status[j] & kStatBasic) != 0 ? 1 : 0;
    EXPECT_EQ(basic, ctx_->model.rows);
}

}  // namespace
