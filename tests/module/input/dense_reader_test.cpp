// The dense reader on real CSV data sets: keywords, row kinds, column
// attributes, value columns, messages and their result codes.
#include <cmath>
#include <cstddef>
#include <cstring>

#include "input/integer_vars.h"
#include "input/sos_sets.h"
#include "input/type_keywords.h"
#include "reader_fixture.h"

namespace {

using namespace tymlp;
using readertest::ReaderTest;

constexpr double kInf = 1.7976931348623157e308;

class Dense : public ReaderTest {};

TEST(DenseKeywords, ComparedOverTheKeywordsOwnLengthInTableOrder) {
    struct Case {
        const char* value;
        TypeKind kind;
    };
    const Case cases[] = {
        {"UPPERBD", kTypeUpper},
        {"UPPER", kTypeUpper},
        {"UPBD", kTypeUpper},
        {"UP", kTypeUnknown},
        {"INTEGER", kTypeInteger},
        {"  le", kTypeLe},
        {"<=", kTypeLe},
        {"=", kTypeEq},
        {"EQUAL", kTypeEq},
        {">=", kTypeGe},
        {"MAXIMUM", kTypeMax},
        {"sup", kTypeMax},
        {"INF", kTypeMin},
        {"UNRSTRCT", kTypeUnrestricted},
        {"SENCOST", kTypePriceSen},
        {"COSTESEN", kTypePriceSen},
        {"FREE", kTypeFree},
        {"BASE", kTypeBasic},
        {"LOWBD", kTypeLower},
        {"BINARY", kTypeBinary},
        {"CHARGE", kTypeCharge},
        {"FIXED", kTypeFixed},
        {"SOSLE", kTypeSosLe},
        {"SOSEQ1", kTypeSosEq},
        {"", kTypeUnknown},
        {"*", kTypeUnknown},
        {"RHS", kTypeUnknown},
    };
    for (const Case& c : cases) {
        char type[kTypeWidth];
        normalise_type(c.value, static_cast<int>(std::strlen(c.value)), type);
        EXPECT_EQ(decode_dense_type(type), c.kind) << c.value;
    }
}

TEST(DenseKeywords, OnlyTheFirstEightCharactersCount) {
    char type[kTypeWidth];
    normalise_type("PRICESENSITIVITY", 16, type);
    EXPECT_EQ(std::string(type, kTypeWidth), "PRICESEN");
    normalise_type("   MAXIMISE", 11, type);  // the first 8 characters are "   MAXIM"
    EXPECT_EQ(std::string(type, kTypeWidth), "MAXIM   ");
    EXPECT_EQ(decode_dense_type(type), kTypeMax);
}

TEST_F(Dense, ProductMixRowsColumnsCoefficientsAndRightHandSide) {
    data(
        "_ID_,_TYPE_,chairs,tables,desks,_RHS_\n"
        "profit,MAX,30,50,40,.\n"
        "wood,LE,2,4,3,300\n"
        "labour,le,4,3,5,360\n"
        "finishing,LE,1,2,1,120\n");
    ASSERT_EQ(read_dense(), 0);
    EXPECT_TRUE(messages().empty());
    const auto r = rows();
    ASSERT_EQ(r.size(), 5u);
    EXPECT_EQ(r[0].name, "PHASE_1_O");  // cut to the row-name length: _ID_ is 9 long ("finishing")
    EXPECT_EQ(r[0].flags, kRowObjective);
    EXPECT_EQ(r[1].name, "profit");
    EXPECT_EQ(r[1].flags, kRowObjective);
    EXPECT_EQ(r[2].flags, kRowLessEqual);
    EXPECT_EQ(r[3].coefs, (std::vector<readertest::Coef>{{0, 4}, {1, 3}, {2, 5}}));
    const auto c = columns();
    ASSERT_EQ(c.size(), 3u);
    EXPECT_EQ(c[1].name, "tables");
    EXPECT_EQ(c[1].coefs, (std::vector<readertest::Coef>{{1, 50}, {2, 4}, {3, 3}, {4, 2}}));
    EXPECT_EQ(c[0].lower, -kInf);
    EXPECT_EQ(c[0].upper, kInf);
    EXPECT_EQ(ctx_->model.objective_count, 2);
    EXPECT_EQ(ctx_->model.le_rows, 3);
    EXPECT_EQ(ctx_->model.coef_count, 12);
    EXPECT_EQ(values(kListRhs, 0), (std::vector<double>{0, 0, 300, 360, 120}));
    EXPECT_EQ(list_name(kListRhs, 0), "_RHS_");
    EXPECT_STREQ(ctx_->model.type_variable, "_TYPE_");
}

TEST_F(Dense, WithoutAnIdTheFifthRowIsNamedByItsObservationNumber) {
    data("_TYPE_,x,y,_RHS_\nMAX,1,1,.\nLE,1,0,4\nLE,0,1,4\nGE,1,1,1\nEQ,1,-1,0\n");
    ASSERT_EQ(read_dense(), 0);
    const auto r = rows();
    ASSERT_EQ(r.size(), 6u);
    EXPECT_EQ(r[5].name, "_OBS5_");
    EXPECT_EQ(r[5].flags, kRowEquality);
    EXPECT_EQ(r[4].flags, kRowGreaterEqual);
    EXPECT_EQ(ctx_->model.ge_rows, 1);
}

TEST_F(Dense, UpperAndLowerRowsKeepTheTighterBoundAndMissingLeavesAColumnAlone) {
    data(
        "_ID_,_TYPE_,x,y,z,_RHS_\n"
        "obj,MIN,1,1,1,.\n"
        "u1,UPPERBD,5,8,.,.\n"
        "u2,UPPER,7,3,.,.\n"
        "l1,LOWER,1,.,.,.\n"
        "l2,LOWBD,2,.,.,.\n"
        "c,GE,1,1,1,2\n");
    ASSERT_EQ(read_dense(), 0);
    const auto c = columns();
    EXPECT_EQ(c[0].upper, 5);
    EXPECT_EQ(c[1].upper, 3);
    EXPECT_EQ(c[2].upper, kInf);
    EXPECT_EQ(c[0].lower, 2);
    EXPECT_EQ(c[0].flags, kColUpperGiven | kColLowerGiven);
    EXPECT_EQ(c[2].flags, 0);
    EXPECT_EQ(ctx_->model.rows, 3);  // bound rows are not rows
}

TEST_F(Dense, UpIsAnUnknownTypeAndEveryBadObservationIsReported) {
    data("_ID_,_TYPE_,x,_RHS_\no,MAX,1,.\nu,UP,4,.\nc,LE,1,3\nq,QQ,1,.\nb,BASIC,2,.\n");
    EXPECT_EQ(read_dense(), kRunSemantic);
    EXPECT_EQ(count(32), 2);
    EXPECT_EQ(args(32), (std::vector<std::string>{"UP", "2"}));
    EXPECT_EQ(count(36), 1);
    EXPECT_EQ(args(36), (std::vector<std::string>{"BASIC", "5"}));
    EXPECT_EQ(ctx_->model.rows, 3);  // the good rows still stand
}

TEST_F(Dense, IntegerRowsMakeZeroValuedColumnsIntegerButNotMissingOnes) {
    data(
        "_ID_,_TYPE_,x,y,z,_RHS_\n"
        "o,MAX,1,1,1,.\n"
        "i,INTEGER,0,3.7,.,.\n"
        "i2,INT,1,.,.,.\n"
        "b,BINARY,.,.,2,.\n"
        "c,LE,1,1,1,5\n");
    ASSERT_EQ(read_dense(), 0);
    const auto c = columns();
    EXPECT_EQ(c[0].flags & kColInteger, kColInteger);
    EXPECT_EQ(c[1].flags & kColInteger, kColInteger);
    EXPECT_EQ(c[2].flags & kColInteger, 0);
    EXPECT_EQ(c[2].flags & kColBinary, kColBinary);
    EXPECT_EQ(c[2].lower, 0);
    EXPECT_EQ(c[2].upper, 1);
    EXPECT_EQ(ctx_->model.integer_count, 3);
    EXPECT_EQ(ctx_->model.binary_count, 1);
    // x was declared integer twice: a note, not an error.
    EXPECT_EQ(count(26), 1);
    EXPECT_EQ(args(26)[1], "INTEGER");
    IntegerVariable* x = integer_variable_at(ctx_, c[0].integer_record);
    IntegerVariable* y = integer_variable_at(ctx_, c[1].integer_record);
    IntegerVariable* z = integer_variable_at(ctx_, c[2].integer_record);
    ASSERT_NE(x, nullptr);
    EXPECT_EQ(x->column, 0);
    EXPECT_EQ(x->priority, 1);  // the second row's value
    EXPECT_EQ(y->priority, 3);  // truncated
    EXPECT_EQ(z->flags & 0x100, 0x100);
}

TEST_F(Dense, ARowWithoutCoefficientsIsKeptWithANote) {
    data("_ID_,_TYPE_,x,y,_RHS_\no,MAX,1,1,.\nempty,LE,0,.,7\nc,LE,1,1,4\n");
    ASSERT_EQ(read_dense(), 0);
    EXPECT_EQ(count(28), 1);
    EXPECT_EQ(args(28), (std::vector<std::string>{"empty", "2"}));
    EXPECT_EQ(rows()[2].coefs.size(), 0u);
    EXPECT_EQ(values(kListRhs, 0)[2], 7);
}

TEST_F(Dense, RangesRhsSensitivityAndPriceVectors) {
    data(
        "_ID_,_TYPE_,x,y,_RHS_,_RANGE_,_RHSSEN_\n"
        "o,MAX,3,2,.,.,.\n"
        "a,LE,1,1,4,2,1\n"
        "b,EQ,1,-1,0,-3,.\n"
        "f,FR,1,0,.,5,.\n"
        "p,PRICESEN,1,.,.,.,.\n");
    ASSERT_EQ(read_dense(), 0);
    const auto r = rows();
    ASSERT_EQ(r.size(), 5u);
    EXPECT_EQ(r[2].flags, kRowLessEqual | kRowRange);
    EXPECT_EQ(r[2].range, 2);
    EXPECT_EQ(r[3].flags, kRowEquality | kRowRange);
    EXPECT_EQ(r[3].range, -3);
    EXPECT_EQ(r[4].flags, kRowFree);  // a free row takes no range
    EXPECT_EQ(ctx_->model.range_rows, 2);
    EXPECT_EQ(ctx_->model.free_rows, 1);
    EXPECT_EQ(values(kListRhsSen, 0), (std::vector<double>{0, 0, 1, 0, 0}));
    EXPECT_EQ(values(kListRange, 0), (std::vector<double>{0, 0, 2, -3, 0}));
    EXPECT_EQ(list_name(kListPriceSen, 0), "p");
    EXPECT_EQ(values(kListPriceSen, 0), (std::vector<double>{1, 0}));
}

TEST_F(Dense, ChargesMarksAndOrderedSets) {
    data(
        "_ID_,_TYPE_,x,y,z,_RHS_\n"
        "o,MIN,1,1,1,.\n"
        "c,GE,1,1,1,1\n"
        "k,CHARGE,10,.,.,.\n"
        "s,SOSEQ,1,1,.,.\n"
        "t,SOSLE,0,1,1,.\n"
        "b,BASIC,1,0,.,.\n"
        "u,UNRS,.,.,1,.\n"
        "f,FIXED,.,4,.,.\n");
    ASSERT_EQ(read_dense(), 0);
    const auto r = rows();
    ASSERT_EQ(r.size(), 4u);
    EXPECT_EQ(r[3].flags, kRowFixedCharge);
    EXPECT_EQ(r[3].name, "x");
    EXPECT_EQ(r[3].charged, 0);
    EXPECT_EQ(ctx_->model.fixed_charge_rows, 1);
    const auto c = columns();
    EXPECT_EQ(c[0].flags, kColFixedCharge | kColMarkedBasic);
    EXPECT_EQ(c[1].flags, kColFixed);
    EXPECT_EQ(c[1].lower, 4);
    EXPECT_EQ(c[1].upper, 4);
    EXPECT_EQ(c[2].flags, kColUnrestricted);
    EXPECT_EQ(ctx_->model.marked_basic, 1);
    ASSERT_EQ(ctx_->model.sos_count, 2);
    const SosSet* s = ctx_->model.sos_sets;
    EXPECT_EQ(s->equality, 1);
    EXPECT_EQ(std::vector<int32_t>(s->members, s->members + s->count), (std::vector<int32_t>{0, 1}));
    EXPECT_EQ(s->next->equality, 0);
    EXPECT_EQ(std::vector<int32_t>(s->next->members, s->next->members + s->next->count), (std::vector<int32_t>{1, 2}));
}

TEST_F(Dense, AnOrderedSetMarkOtherThanOneIsAnError) {
    data("_ID_,_TYPE_,x,y,_RHS_\no,MIN,1,1,.\nc,GE,1,1,1\ns,SOSLE,1,2,.\n");
    EXPECT_EQ(read_dense(), kRunSemantic);
    EXPECT_EQ(args(36), (std::vector<std::string>{"SOSLE", "3"}));
}

TEST_F(Dense, SpecialVariablesByStatementAndTheirErrors) {
    data("name,kind,a,b,c,r1,r2\no,MAX,1,1,1,.,.\nrow,LE,1,1,1,3,4\n");
    list(kVarType, {"kind"});
    list(kVarId, {"name"});
    list(kVarRhs, {"r1", "r2", "r1"});
    list(kVarVar, {"a", "b"});
    ASSERT_EQ(read_dense(), 0);
    EXPECT_EQ(count(20), 1);  // r1 listed twice is used once
    EXPECT_EQ(ctx_->model.structural_count, 2);
    EXPECT_EQ(ctx_->model.lists[kListRhs].count, 2);
    EXPECT_EQ(values(kListRhs, 1), (std::vector<double>{0, 0, 4}));
    EXPECT_STREQ(ctx_->model.type_variable, "kind");
}

TEST_F(Dense, StatementErrorsAreCollected) {
    data("_ID_,kind,a,t2,_RHS_\no,MAX,1,x,.\nrow,LE,1,y,3\n");
    list(kVarType, {"kind", "t2"});
    list(kVarRange, {"nothere"});
    list(kVarVar, {"a", "kind"});
    EXPECT_EQ(read_dense(), kRunSemantic);
    EXPECT_EQ(count(21), 1);  // TYPE lists two variables
    EXPECT_EQ(count(19), 1);  // RANGE names a variable the data set lacks
    EXPECT_EQ(count(18), 1);  // VAR lists a character variable
}

TEST_F(Dense, NoStructuralColumnAndTwoIdVariablesAreErrors) {
    data("_ID_,_TYPE_,other,_RHS_\no,MAX,x,.\nc,LE,y,3\n");
    list(kVarId, {"_ID_", "other"});
    EXPECT_EQ(read_dense(), kRunSemantic);
    EXPECT_EQ(count(24), 1);
    EXPECT_EQ(count(27), 1);
    EXPECT_EQ(ctx_->model.rows, 3);  // the rows are still read
}

TEST_F(Dense, AVariableInTwoRolesIsAnError) {
    data("_ID_,_TYPE_,x,_RHS_\no,MAX,1,.\nc,LE,1,3\n");
    list(kVarVar, {"x", "_RHS_"});
    EXPECT_EQ(read_dense(), kRunSemantic);
    EXPECT_EQ(args(23), (std::vector<std::string>{"_RHS_"}));
}

TEST_F(Dense, WithoutATypeVariableNothingIsRead) {
    data("_ID_,x,_RHS_\no,1,.\n");
    EXPECT_EQ(read_dense(), kRunSemantic);
    EXPECT_EQ(args(25), (std::vector<std::string>{"TYPE", "_TYPE_"}));
}

TEST_F(Dense, ANumericIdIsNotUsedForNames) {
    data("_ID_,_TYPE_,x,_RHS_\n1,MAX,1,.\n2,LE,1,3\n");
    ASSERT_EQ(read_dense(), 0);
    EXPECT_EQ(args(229), (std::vector<std::string>{"_ID_"}));
    EXPECT_EQ(rows()[2].name, "_OBS2_");
}

TEST_F(Dense, WithoutRightHandSideVariableAZeroColumnIsMade) {
    data("_ID_,_TYPE_,x\no,MAX,1\nc,LE,1\n");
    ASSERT_EQ(read_dense(), 0);
    EXPECT_EQ(count(251), 1);
    EXPECT_EQ(list_name(kListRhs, 0), "_RHS_");
    EXPECT_EQ(values(kListRhs, 0), (std::vector<double>{0, 0, 0}));
}

// A window of a few entries forces links into entries already written out:
// the chains must come out exactly as with a window that holds everything.
TEST_F(Dense, ATinyCoefficientWindowGivesTheSameChains) {
    std::string csv = "_ID_,_TYPE_,a,b,c,d,e,f,g,h,_RHS_\nobj,MAX,1,2,3,4,5,6,7,8,.\n";
    for (int i = 0; i < 120; ++i) {
        csv += "r" + std::to_string(i) + ",LE";
        for (int j = 0; j < 8; ++j) csv += "," + std::to_string((i * 7 + j * 3) % 5);
        csv += "," + std::to_string(i) + "\n";
    }
    data(csv);
    ASSERT_EQ(read_dense(), 0);
    const auto wide_rows = rows();
    const auto wide_cols = columns();
    fresh_context();
    data(csv);
    ctx_->options.readmemory = 1;  // 1 KB: 43 entries
    ASSERT_EQ(read_dense(), 0);
    EXPECT_EQ(ctx_->model.coef_count, static_cast<int64_t>(wide_rows.size() > 0 ? ctx_->model.coef_count : 0));
    const auto narrow_rows = rows();
    const auto narrow_cols = columns();
    ASSERT_EQ(narrow_rows.size(), wide_rows.size());
    for (size_t i = 0; i < wide_rows.size(); ++i) EXPECT_EQ(narrow_rows[i].coefs, wide_rows[i].coefs) << i;
    for (size_t j = 0; j < wide_cols.size(); ++j) EXPECT_EQ(narrow_cols[j].coefs, wide_cols[j].coefs) << j;
}

TEST_F(Dense, UnreadableDataSetIsAnInputOutputFailure) {
    ctx_->handles.data_ref[kDsData] = TymDataRef{};
    std::snprintf(ctx_->handles.data_ref[kDsData].path, sizeof ctx_->handles.data_ref[kDsData].path, "%s",
                  (dir_ / "absent.csv").c_str());
    EXPECT_EQ(read_dense(), kRunIo);
}

}  // namespace

namespace {

// A column of numbers with one stray cell: an error with a host that can say
// so, the old reading (the variable is not a column) with a host whose data
// vector ends before the entry.
TEST_F(Dense, AStrayTextColumnIsAnErrorOnlyWhenTheHostCanSaySo) {
    const char* csv =
        "_ID_,_TYPE_,x,y,_RHS_\n"
        "o,MAX,1,2,.\n"
        "c1,LE,1,1,4\n"
        "c2,LE,nan,3,6\n";
    data(csv);
    EXPECT_EQ(read_dense(), tymlp::kRunSemantic);
    EXPECT_EQ(count(300), 1);
    EXPECT_EQ(args(300).at(0), "x");

    TymDataInVector older = *qmlp::host::data_in_vector();
    older.size = static_cast<uint32_t>(offsetof(TymDataInVector, var_findings));
    composed_.vectors[TYM_VEC_DATA_IN] = &older;
    fresh_context();
    data(csv);
    EXPECT_EQ(read_dense(), 0);
    EXPECT_EQ(count(300), 0);
    EXPECT_EQ(ctx_->model.structural_count, 1);  // y only
}

}  // namespace
