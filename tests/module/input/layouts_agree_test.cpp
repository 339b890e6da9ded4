// A dense and a sparse data set that describe the same problem give the
// same stores: rows, columns, coefficients, bounds, value columns, integer
// records.
#include "input/integer_vars.h"
#include "reader_fixture.h"

namespace {

using namespace tymlp;
using readertest::ColumnInfo;
using readertest::ReaderTest;
using readertest::RowInfo;

struct Stores {
    std::vector<RowInfo> rows;
    std::vector<ColumnInfo> columns;
    std::vector<std::vector<double>> rhs;
    std::vector<std::string> rhs_names;
    std::vector<double> range;
    std::vector<double> senses;
    std::vector<int32_t> priorities;
    int32_t integer_count = 0;
    int32_t binary_count = 0;
    int64_t coefficients = 0;
};

class Layouts : public ReaderTest {
  protected:
    Stores stores() {
        Stores s;
        s.rows = rows();
        s.columns = columns();
        for (int k = 0; k < ctx_->model.lists[kListRhs].count; ++k) {
            s.rhs.push_back(values(kListRhs, k));
            s.rhs_names.push_back(list_name(kListRhs, k));
        }
        if (ctx_->model.lists[kListRange].count > 0) s.range = values(kListRange, 0);
        for (ObjectiveRecord* o = ctx_->model.objectives; o != nullptr; o = o->next) s.senses.push_back(o->sense);
        for (const ColumnInfo& c : s.columns) {
            IntegerVariable* v = integer_variable_at(ctx_, c.integer_record);
            s.priorities.push_back(v != nullptr ? v->priority : -1);
        }
        s.integer_count = ctx_->model.integer_count;
        s.binary_count = ctx_->model.binary_count;
        s.coefficients = ctx_->model.coef_count;
        return s;
    }
};

TEST_F(Layouts, DenseAndSparseGiveIdenticalStores) {
    data(
        "_ID_$8,_TYPE_,x,y,z,w,rhs1,rhs2,_RANGE_\n"
        "profit,MAX,3,2,0,1,.,.,.\n"
        "cost,MIN,1,1,1,.,.,.,.\n"
        "cap,LE,1,1,0,2,10,12,4\n"
        "need,GE,1,.,1,0,2,3,.\n"
        "bal,EQ,1,-1,0,0,0,1,-3\n"
        "note,FR,0,1,1,1,.,.,.\n"
        "up,UPPER,8,.,5,.,.,.,.\n"
        "lo,LOWER,.,1,.,.,.,.,.\n"
        "fx,FIXED,.,.,.,2,.,.,.\n"
        "int,INTEGER,4,.,.,.,.,.,.\n"
        "bin,BINARY,.,.,1,.,.,.,.\n"
        "un,UNRS,.,1,.,.,.,.,.\n");
    list(kVarRhs, {"rhs1", "rhs2"});
    ASSERT_EQ(read_dense(), 0);
    const Stores dense = stores();

    fresh_context();
    data(
        "_TYPE_$8,_COL_$8,_ROW_$8,_COEF_\n"
        "MAX,,profit,.\nMIN,,cost,.\nLE,,cap,.\nGE,,need,.\nEQ,,bal,.\nFREE,,note,.\n"
        ",x,profit,3\n,x,cost,1\n,x,cap,1\n,x,need,1\n,x,bal,1\n"
        ",y,profit,2\n,y,cost,1\n,y,cap,1\n,y,bal,-1\n,y,note,1\n"
        ",z,cost,1\n,z,need,1\n,z,note,1\n"
        ",w,profit,1\n,w,cap,2\n,w,note,1\n"
        "RHS,rhs1,cap,10\nRHS,rhs1,need,2\nRHS,rhs2,cap,12\nRHS,rhs2,need,3\nRHS,rhs2,bal,1\n"
        "RANGE,_RANGE_,cap,4\nRANGE,_RANGE_,bal,-3\n"
        "UPPERBD,x,up,8\nUPPERBD,z,up,5\nLOWERBD,y,lo,1\nFIXED,w,fx,2\n"
        "INTEGER,x,int,4\nBINARY,z,bin,1\nUNRSTRCT,y,un,1\n",
        "sparse.csv");
    ASSERT_EQ(read_sparse(), 0);
    const Stores sparse = stores();

    ASSERT_EQ(dense.rows.size(), sparse.rows.size());
    for (size_t i = 0; i < dense.rows.size(); ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        EXPECT_EQ(dense.rows[i].name, sparse.rows[i].name);
        EXPECT_EQ(dense.rows[i].flags, sparse.rows[i].flags);
        EXPECT_EQ(dense.rows[i].range, sparse.rows[i].range);
        EXPECT_EQ(dense.rows[i].coefs, sparse.rows[i].coefs);
    }
    ASSERT_EQ(dense.columns.size(), sparse.columns.size());
    for (size_t j = 0; j < dense.columns.size(); ++j) {
        SCOPED_TRACE("column " + dense.columns[j].name);
        EXPECT_EQ(dense.columns[j].name, sparse.columns[j].name);
        EXPECT_EQ(dense.columns[j].flags, sparse.columns[j].flags);
        EXPECT_EQ(dense.columns[j].lower, sparse.columns[j].lower);
        EXPECT_EQ(dense.columns[j].upper, sparse.columns[j].upper);
        EXPECT_EQ(dense.columns[j].coefs, sparse.columns[j].coefs);
    }
    EXPECT_EQ(dense.rhs, sparse.rhs);
    EXPECT_EQ(dense.rhs_names, sparse.rhs_names);
    EXPECT_EQ(dense.range, sparse.range);
    EXPECT_EQ(dense.senses, sparse.senses);
    EXPECT_EQ(dense.priorities, sparse.priorities);
    EXPECT_EQ(dense.integer_count, sparse.integer_count);
    EXPECT_EQ(dense.binary_count, sparse.binary_count);
    EXPECT_EQ(dense.coefficients, sparse.coefficients);
    EXPECT_EQ(dense.rows.size(), 7u);
    EXPECT_EQ(dense.coefficients, 16);
}

}  // namespace
