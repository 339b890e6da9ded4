// The sparse reader on real CSV data sets: the whole-field type table, the
// case table, the two passes, attribute rows, value columns by name, and the
// stops of an unknown type and of a row given two kinds.
#include <cstring>

#include "input/integer_vars.h"
#include "input/name_tree.h"
#include "input/sos_sets.h"
#include "input/type_keywords.h"
#include "reader_fixture.h"

namespace {

using namespace tymlp;
using readertest::Coef;
using readertest::ReaderTest;

constexpr double kInf = 1.7976931348623157e308;
const char* kHeader = "_TYPE_$8,_COL_$8,_ROW_$8,_COEF_\n";

class Sparse : public ReaderTest {};

TEST(SparseKeywords, WholeFieldComparison) {
    struct Case {
        const char* value;
        TypeKind kind;
    };
    const Case cases[] = {
        {"UPPERBD", kTypeUpper},      {"UPBDD", kTypeUpper},      {"upperbdd", kTypeUpper},
        {"UP", kTypeUnknown},         {"UPPERBDX", kTypeUnknown}, {"MAXIMUM", kTypeMax},
        {"MAXI", kTypeUnknown},       {"MINIMUM", kTypeMin},      {"", kTypeCoefficient},
        {".", kTypeCoefficient},      {"  ge", kTypeGe},          {"*anything", kTypeComment},
        {"* LE", kTypeComment},       {"SOSLE", kTypeSosLe},      {"SOSEQ12", kTypeSosEq},
        {"SOSE", kTypeUnknown},       {"RHS", kTypeRhs},          {"RHSSEN", kTypeRhsSen},
        {"RANGE", kTypeRange},        {"FREE", kTypeFree},        {"SENCOST", kTypePriceSen},
        {"UNRST", kTypeUnrestricted}, {"INTEGERS", kTypeUnknown}, {"LOWERB", kTypeLower},
    };
    for (const Case& c : cases) {
        char type[kTypeWidth];
        normalise_type(c.value, static_cast<int>(std::strlen(c.value)), type);
        EXPECT_EQ(decode_sparse_type(type), c.kind) << c.value;
    }
}

TEST_F(Sparse, ProductMixInTheSparseLayout) {
    data(std::string(kHeader) +
         "MAX,,profit,.\nLE,,wood,.\nLE,,labour,.\n"
         ",chairs,profit,30\n,chairs,wood,2\n,chairs,labour,4\n"
         ".,tables,profit,50\n,tables,wood,4\n,tables,labour,3\n"
         "RHS,_RHS_,wood,300\nRHS,_RHS_,labour,360\n");
    ASSERT_EQ(read_sparse(), 0);
    EXPECT_TRUE(messages().empty());
    const auto r = rows();
    ASSERT_EQ(r.size(), 4u);
    EXPECT_EQ(r[0].name, "PHASE_1_");
    EXPECT_EQ(r[1].name, "profit");
    EXPECT_EQ(r[1].flags, kRowObjective);
    EXPECT_EQ(r[2].coefs, (std::vector<Coef>{{0, 2}, {1, 4}}));
    const auto c = columns();
    ASSERT_EQ(c.size(), 2u);
    EXPECT_EQ(c[1].name, "tables");
    EXPECT_EQ(c[1].coefs, (std::vector<Coef>{{1, 50}, {2, 4}, {3, 3}}));
    EXPECT_EQ(values(kListRhs, 0), (std::vector<double>{0, 0, 300, 360}));
    EXPECT_EQ(ctx_->model.le_rows, 2);
    EXPECT_EQ(ctx_->model.objective_count, 2);
}

TEST_F(Sparse, UpIsUnknownAndStopsTheReaderAtOnce) {
    data(std::string(kHeader) + "MAX,,o,.\nUP,x,_U_,4\nQQ,x,o,1\n,,,\n");
    EXPECT_EQ(read_sparse(), kRunSemantic);
    EXPECT_EQ(messages(), (std::vector<int>{32}));  // nothing after the stop
    EXPECT_EQ(args(32), (std::vector<std::string>{"UP", "2"}));
}

TEST_F(Sparse, MaxiIsUnknown) {
    data(std::string(kHeader) + "MAXI,,o,.\n");
    EXPECT_EQ(read_sparse(), kRunSemantic);
    EXPECT_EQ(count(32), 1);
}

TEST_F(Sparse, BoundTypesWholeWordsAndAttributeRows) {
    data(std::string(kHeader) +
         "MINIMUM,,cost,.\nGE,,need,.\n"
         ",x,cost,1\n,x,need,1\n,y,cost,2\n,y,need,1\n,z,cost,1\n"
         "UPPERBD,x,_UP_,8\nUPBDD,x,_UP_,6\nLOWERBD,y,_LO_,1\nLOWBD,y,_LO_,3\n"
         "FIXED,z,_FX_,2\nUNRSTRCT,y,_FREE_,1\n"
         "RHS,rhs,need,4\n");
    ASSERT_EQ(read_sparse(), 0);
    const auto c = columns();
    ASSERT_EQ(c.size(), 3u);
    EXPECT_EQ(c[0].upper, 6);
    EXPECT_EQ(c[0].flags, kColUpperGiven);
    EXPECT_EQ(c[1].lower, 3);
    EXPECT_EQ(c[1].flags, kColLowerGiven | kColUnrestricted);
    EXPECT_EQ(c[2].lower, 2);
    EXPECT_EQ(c[2].upper, 2);
    EXPECT_EQ(ctx_->model.rows, 3);  // the attribute names are not rows
    EXPECT_EQ(list_name(kListRhs, 0), "rhs");
    EXPECT_EQ(count(251), 0);
}

TEST_F(Sparse, CommentsSkipWhateverFollows) {
    data(std::string(kHeader) + "MAX,,o,.\n*,x,o,1\n* QQ,,,\n*LE,y,,\n,x,o,2\n");
    ASSERT_EQ(read_sparse(), 0);
    EXPECT_EQ(columns().size(), 1u);
    EXPECT_EQ(rows()[1].coefs, (std::vector<Coef>{{0, 2}}));
}

TEST_F(Sparse, CaseTableMessagesAndResults) {
    struct Case {
        const char* line;
        int message;
        int result;
    };
    const Case cases[] = {
        {",,,.", 252, 0},       // nothing: a note
        {"LE,,,.", 253, 11},    // type only
        {"RHS,,,5", 254, 11},   // value type only
        {",,o,5", 256, 11},     // row only
        {"RHS,,o,5", 255, 11},  // a value type needs a column
        {",x,,5", 256, 11},     // column only
        {"LE,x,,5", 257, 11},   // a row type needs a row
        {"UPPER,x,,5", 0, 0},   // an attribute with a column only is accepted
    };
    for (const Case& c : cases) {
        fresh_context();
        data(std::string(kHeader) + "MAX,,o,.\n,x,o,1\n" + c.line + "\n");
        EXPECT_EQ(read_sparse(), c.result) << c.line;
        if (c.message != 0)
            EXPECT_EQ(count(c.message), 1) << c.line;
        else
            EXPECT_EQ(messages(), std::vector<int>{251}) << c.line;  // only the default right-hand side
    }
}

TEST_F(Sparse, AnAttributeWithoutARowNameTakesTheFirstValue) {
    data(std::string(kHeader) + "MAX,,o,.\n,x,o,1\nUPPER,x,,5\n");
    ASSERT_EQ(read_sparse(), 0);
    EXPECT_EQ(columns()[0].upper, 5);
}

TEST_F(Sparse, NoRightHandSideGivesAZeroRhsColumn) {
    data(std::string(kHeader) + "MAX,,o,.\nLE,,c,.\n,x,o,1\n,x,c,1\n");
    ASSERT_EQ(read_sparse(), 0);
    EXPECT_EQ(count(251), 1);
    EXPECT_EQ(list_name(kListRhs, 0), "_RHS_");
    EXPECT_EQ(values(kListRhs, 0), (std::vector<double>{0, 0, 0}));
}

TEST_F(Sparse, ARowTypedLeThenGeStopsTheReader) {
    data(std::string(kHeader) + "MAX,,o,.\nLE,,c,.\n,x,c,1\nGE,,c,.\nQQ,,,\n");
    EXPECT_EQ(read_sparse(), kRunSemantic);
    EXPECT_EQ(messages(), (std::vector<int>{167}));
    EXPECT_EQ(args(167), (std::vector<std::string>{"c", "GE", "4"}));
}

TEST_F(Sparse, AnUntypedNameTypedLaterGetsTheNextIndex) {
    data(std::string(kHeader) + ",x,late,3\nMAX,,o,.\n,x,o,1\nLE,,late,.\nGE,,other,.\n,x,other,2\n");
    ASSERT_EQ(read_sparse(), 0);
    const auto r = rows();
    ASSERT_EQ(r.size(), 4u);
    EXPECT_EQ(r[1].name, "o");
    EXPECT_EQ(r[2].name, "late");
    EXPECT_EQ(r[2].flags, kRowLessEqual);
    EXPECT_EQ(r[2].coefs, (std::vector<Coef>{{0, 3}}));
    EXPECT_EQ(r[3].name, "other");
}

TEST_F(Sparse, NamesThatNeverGetATypeBecomeFreeRows) {
    data(std::string(kHeader) + "MAX,,o,.\n,x,o,1\n,x,note1,4\n,y,note2,5\n,y,o,1\n");
    ASSERT_EQ(read_sparse(), 0);
    const auto r = rows();
    ASSERT_EQ(r.size(), 4u);
    EXPECT_EQ(r[2].name, "note1");
    EXPECT_EQ(r[2].flags, kRowFree);
    EXPECT_EQ(r[3].name, "note2");
    EXPECT_EQ(count(205), 2);
    EXPECT_EQ(args(205), (std::vector<std::string>{"note1"}));
    EXPECT_EQ(ctx_->model.free_rows, 2);
}

TEST_F(Sparse, ASecondValueForTheSamePlaceReplacesTheFirst) {
    data(std::string(kHeader) + "MAX,,o,.\nLE,,c,.\n,x,o,1\n,x,c,2\n,x,c,5\n,x,c,.\n,y,c,0\n");
    ASSERT_EQ(read_sparse(), 0);
    EXPECT_EQ(count(166), 1);
    EXPECT_EQ(args(166), (std::vector<std::string>{"x", "c", "5"}));
    EXPECT_EQ(count(162), 1);  // the missing coefficient
    const auto r = rows();
    EXPECT_EQ(r[2].coefs, (std::vector<Coef>{{0, 5}}));  // the 0 of y is dropped
    EXPECT_EQ(ctx_->model.coef_count, 2);
}

TEST_F(Sparse, IntegerBinaryBasicAndOrderedSets) {
    data(std::string(kHeader) +
         "MAX,,o,.\nLE,,c,.\n,x,o,1\n,y,o,1\n,z,o,1\n,x,c,1\n"
         "INTEGER,x,_INT_,3\nBINARY,y,_BIN_,2\nBASIC,z,_B_,7\n"
         "SOSEQ,x,s1,1\nSOSEQ,y,s1,1\nSOSEQ,x,s1,1\nSOSLE,z,s2,2\nUPPER,z,_U_,.\n");
    EXPECT_EQ(read_sparse(), kRunSemantic);  // the SOSLE mark of 2
    EXPECT_EQ(args(36), (std::vector<std::string>{"SOS", "13"}));
    EXPECT_EQ(args(163), (std::vector<std::string>{"z", "14"}));
    const auto c = columns();
    EXPECT_EQ(c[0].flags, kColInteger);
    EXPECT_EQ(integer_variable_at(ctx_, c[0].integer_record)->priority, 3);
    EXPECT_EQ(c[1].flags, kColBinary);
    EXPECT_EQ(c[1].lower, 0);
    EXPECT_EQ(c[1].upper, 1);
    EXPECT_EQ(c[2].flags, kColMarkedBasic);
    EXPECT_EQ(c[2].upper, kInf);
    ASSERT_EQ(ctx_->model.sos_count, 1);
    const SosSet* s = ctx_->model.sos_sets;
    EXPECT_EQ(s->equality, 1);
    EXPECT_EQ(std::vector<int32_t>(s->members, s->members + s->count), (std::vector<int32_t>{0, 1}));
}

TEST_F(Sparse, ValueColumnsRangesAndPriceVectorsByName) {
    data(std::string(kHeader) +
         "MAX,,o,.\nLE,,a,.\nGE,,b,.\nEQ,,e,.\nPRICESEN,,p,.\n"
         ",x,o,1\n,x,a,1\n,y,b,1\n,y,e,1\n"
         "RHS,r1,a,4\nRHS,r2,a,5\nRHS,r1,b,1\nRHSSEN,s,a,1\nRANGE,rg,a,3\nRANGE,rg,e,-2\n"
         "PRICESEN,y,p,7\n");
    ASSERT_EQ(read_sparse(), 0);
    EXPECT_EQ(ctx_->model.lists[kListRhs].count, 2);
    EXPECT_EQ(values(kListRhs, 0), (std::vector<double>{0, 0, 4, 1, 0}));
    EXPECT_EQ(values(kListRhs, 1), (std::vector<double>{0, 0, 5, 0, 0}));
    EXPECT_EQ(values(kListRhsSen, 0), (std::vector<double>{0, 0, 1, 0, 0}));
    EXPECT_EQ(values(kListRange, 0), (std::vector<double>{0, 0, 3, 0, -2}));
    const auto r = rows();
    EXPECT_EQ(r[2].flags, kRowLessEqual | kRowRange);
    EXPECT_EQ(r[4].flags, kRowEquality | kRowRange);
    EXPECT_EQ(r[4].range, -2);
    EXPECT_EQ(ctx_->model.range_rows, 2);
    EXPECT_EQ(list_name(kListPriceSen, 0), "p");
    EXPECT_EQ(values(kListPriceSen, 0), (std::vector<double>{0, 7}));
}

TEST_F(Sparse, TwoRangeColumnsAreAnError) {
    data(std::string(kHeader) + "MAX,,o,.\nLE,,a,.\n,x,a,1\nRANGE,r1,a,1\nRANGE,r2,a,2\n");
    EXPECT_EQ(read_sparse(), kRunSemantic);
    EXPECT_EQ(args(21), (std::vector<std::string>{"RANGE"}));
}

TEST_F(Sparse, TwoRowPairsPerObservationAndLongNames) {
    const std::string long_row(40, 'r');
    const std::string long_col = std::string(50, 'c') + "1";
    data(
        "_TYPE_$8,_COL_$60,_ROW1_$48,_COEF1_,_ROW2_$48,_COEF2_\n"
        "MIN,,obj,.,,.\nLE,"
        "," +
        long_row +
        ",.,,.\n"
        "," +
        long_col + ",obj,1," + long_row +
        ",2\n"
        "RHS,RHS," +
        long_row + ",9,,.\n");
    ASSERT_EQ(read_sparse(), 0);
    EXPECT_EQ(ctx_->model.row_name_length, 48);
    EXPECT_EQ(ctx_->model.column_name_length, 60);
    const auto r = rows();
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[2].name, long_row);
    EXPECT_EQ(r[2].coefs, (std::vector<Coef>{{0, 2}}));
    EXPECT_EQ(columns()[0].name, long_col);
    EXPECT_EQ(r[0].name, "PHASE_1_OBJECTIVE");
}

TEST_F(Sparse, MissingSpecialVariables) {
    data("_TYPE_,_ROW_,value\nMAX,o,1\n");
    EXPECT_EQ(read_sparse(), kRunSemantic);
    EXPECT_EQ(count(25), 2);  // no column and no coefficient variable
    fresh_context();
    data("_TYPE_$8,_COL_$8,_ROW1_$8,_ROW2_$8,_COEF1_\nMAX,,o,,.\n");
    EXPECT_EQ(read_sparse(), kRunSemantic);
    EXPECT_EQ(count(1), 1);  // two row-name variables, one coefficient variable
}

TEST_F(Sparse, AnEmptyDataSetReadsToThePhaseOneRowOnly) {
    data(kHeader);
    ASSERT_EQ(read_sparse(), 0);
    EXPECT_EQ(ctx_->model.rows, 1);
    EXPECT_EQ(ctx_->model.objective_count, 1);
}

TEST(NameTree, StaysBalancedUnderOrderedAndRandomInsertion) {
    minihost::install();
    LpContext* ctx = nullptr;
    ASSERT_EQ(create_context(&ctx), 0);
    NameTree tree;
    name_tree_init(&tree, 8);
    const int kNames = 5000;
    char name[9];
    for (int k = 0; k < kNames; ++k) {
        std::snprintf(name, sizeof name, "N%07d", k);  // ascending: the worst case of a plain tree
        bool created = false;
        NameNode* node = name_tree_insert(ctx, &tree, name, &created);
        ASSERT_NE(node, nullptr);
        EXPECT_TRUE(created);
        node->index = k;
    }
    // An AVL tree of n nodes is at most 1.44 log2(n + 2) high.
    EXPECT_LE(name_tree_height(&tree), 18);
    for (int k = kNames - 1; k >= 0; k -= 7) {
        std::snprintf(name, sizeof name, "N%07d", k);
        const NameNode* node = name_tree_find(&tree, name);
        ASSERT_NE(node, nullptr);
        EXPECT_EQ(node->index, k);
        bool created = true;
        EXPECT_EQ(name_tree_insert(ctx, &tree, name, &created), node);
        EXPECT_FALSE(created);
    }
    EXPECT_EQ(name_tree_find(&tree, "ABSENT  "), nullptr);
    // Creation order is kept.
    int k = 0;
    for (const NameNode* n = tree.first; n != nullptr; n = n->next_created) EXPECT_EQ(n->index, k++);
    EXPECT_EQ(k, kNames);
    name_tree_free(ctx, &tree);
    release_run_resources(ctx, false);
    host_heap_destroy(ctx->handles.heap);
    host_release(ctx);
    EXPECT_EQ(minihost::state().live_blocks, 0);
}

}  // namespace
