// Value-column lists, the matrix store, the objective order and the
// block chain.
#include <cstring>
#include <string>
#include <vector>

#include "../control/control_fixture.h"
#include "base/context_memory.h"
#include "input/column_lists.h"
#include "input/matrix_store.h"
#include "input/objectives.h"

namespace {

using namespace tymlp;

class Lists : public spine_test::ContextTest {};

TEST_F(Lists, EntriesKeepNamesOrderAndValues) {
    ColumnListEntry* a = nullptr;
    ColumnListEntry* b = nullptr;
    ASSERT_EQ(list_append(ctx_, kListRhs, "_RHS_", 5, &a), 0);
    ASSERT_EQ(list_append(ctx_, kListRhs, "SECOND_RHS", 10, &b), 0);
    EXPECT_EQ(ctx_->model.lists[kListRhs].count, 2);
    EXPECT_EQ(list_entry(ctx_, kListRhs, 0), a);
    EXPECT_EQ(list_entry(ctx_, kListRhs, 1), b);
    EXPECT_EQ(list_entry(ctx_, kListRhs, 2), nullptr);
    EXPECT_EQ(list_entry(ctx_, kListRhs, -1), nullptr);
    EXPECT_EQ(std::string(a->name, 6), "_RHS_ ");

    const double values[4] = {0, 1.5, -2, 1e300};
    ASSERT_EQ(list_write_values(b, 0, values, 4), 0);
    const double patch = 7;
    ASSERT_EQ(list_write_values(b, 2, &patch, 1), 0);
    double back[4] = {};
    ASSERT_EQ(list_read_values(b, 0, back, 4), 0);
    EXPECT_EQ(back[1], 1.5);
    EXPECT_EQ(back[2], 7);
    EXPECT_EQ(back[3], 1e300);
    EXPECT_EQ(list_read_values(a, 0, back, 1), kRunIo);  // nothing written yet

    list_close_all(ctx_);
    EXPECT_EQ(host_->open_util_files, 0);
    EXPECT_EQ(list_read_values(b, 0, back, 1), kRunIo);
}

TEST_F(Lists, LongNamesAreCut) {
    const std::string name(100, 'N');
    ColumnListEntry* e = nullptr;
    ASSERT_EQ(list_append(ctx_, kListRhsSen, name.c_str(), 100, &e), 0);
    EXPECT_EQ(std::string(e->name, sizeof e->name), std::string(kMaxNameLength, 'N'));
}

class Matrix : public spine_test::ContextTest {};

TEST_F(Matrix, ColumnsRoundTripThroughTheFileAndTheCache) {
    ASSERT_EQ(open_matrix_store(ctx_, 3), 0);
    const double v0[] = {1.5, -2};
    const int32_t r0[] = {0, 3};
    const double v1[] = {4, 5, 6};
    const int32_t r1[] = {1, 2, 4};
    ASSERT_EQ(matrix_write_column(ctx_, 1, v1, r1, 3), 0);
    ASSERT_EQ(matrix_write_column(ctx_, 0, v0, r0, 2), 0);
    ASSERT_EQ(matrix_write_column(ctx_, 2, nullptr, nullptr, 0), 0);
    EXPECT_EQ(ctx_->model.directory[1].position, 0);
    EXPECT_EQ(ctx_->model.directory[0].position, matrix_block_bytes(3));
    EXPECT_EQ(matrix_block_bytes(3), 24 + 16);

    const double* values;
    const int32_t* rows;
    int32_t count;
    ASSERT_EQ(traverse_column(ctx_, 0, &values, &rows, &count), 0);
    ASSERT_EQ(count, 2);
    EXPECT_EQ(values[1], -2);
    EXPECT_EQ(rows[1], 3);
    ASSERT_EQ(traverse_column(ctx_, 1, &values, &rows, &count), 0);
    ASSERT_EQ(count, 3);
    EXPECT_EQ(values[2], 6);
    EXPECT_EQ(rows[2], 4);
    ASSERT_EQ(traverse_column(ctx_, 2, &values, &rows, &count), 0);
    EXPECT_EQ(count, 0);

    // Rewriting in place (as scaling does) changes what the next traversal reads.
    const double scaled[] = {2, 2.5, 3};
    ASSERT_EQ(matrix_rewrite_column(ctx_, 1, scaled, r1), 0);
    ASSERT_EQ(traverse_column(ctx_, 1, &values, &rows, &count), 0);
    EXPECT_EQ(values[0], 2);
    EXPECT_EQ(rows[0], 1);

    // A cached copy is returned without reading the file.
    double cached[4] = {9, 8, 0, 0};
    const int32_t cached_rows[2] = {5, 6};
    std::memcpy(&cached[2], cached_rows, sizeof cached_rows);
    ctx_->model.directory[0].cached = cached;
    ASSERT_EQ(traverse_column(ctx_, 0, &values, &rows, &count), 0);
    EXPECT_EQ(values, cached);
    EXPECT_EQ(rows[1], 6);
    ctx_->model.directory[0].cached = nullptr;

    EXPECT_EQ(traverse_column(ctx_, 3, &values, &rows, &count), kRunIo);
}

TEST_F(Matrix, TraversalWithoutBufferMemoryGivesNine) {
    ASSERT_EQ(open_matrix_store(ctx_, 1), 0);
    std::vector<double> v(1000, 1.0);
    std::vector<int32_t> r(1000, 0);
    ASSERT_EQ(matrix_write_column(ctx_, 0, v.data(), r.data(), 1000), 0);
    host_->memory_limit = host_->memory_in_use + 100;
    const double* values;
    const int32_t* rows;
    int32_t count;
    EXPECT_EQ(traverse_column(ctx_, 0, &values, &rows, &count), kRunMemory);
}

class Objectives : public spine_test::ContextTest {};

TEST_F(Objectives, PhaseOneComesFirstAndKeysOrderTheRest) {
    ASSERT_NE(add_objective(ctx_, 0, -1.0, "PHASE_1_"), nullptr);
    ObjectiveRecord* a = add_objective(ctx_, 1, 1.0, "PROFIT  ");
    ObjectiveRecord* b = add_objective(ctx_, 2, -1.0, "COST    ");
    ObjectiveRecord* c = add_objective(ctx_, 3, 1.0, nullptr);
    ASSERT_TRUE(a && b && c);
    EXPECT_EQ(ctx_->model.objective_count, 4);
    EXPECT_EQ(ctx_->model.phase1_objective->row, 0);
    EXPECT_EQ(std::string(objective_name(b), 8), "COST    ");
    EXPECT_EQ(std::string(objective_name(c), 8), "        ");
    EXPECT_EQ(a->column, -1);

    ASSERT_EQ(ensure_order_keys(ctx_), 0);
    const int blocks = host_->live_blocks;
    ObjectiveRecord* got = nullptr;
    // All keys equal: input order.
    for (int j = 1; j <= 3; ++j) {
        ASSERT_EQ(select_objective(ctx_, j, &got), 0);
        EXPECT_EQ(got->row, j);
    }
    // Keys 5, 1, 5: b first, then a and c in input order.
    a->order_keys[0] = 5;
    b->order_keys[0] = 1;
    c->order_keys[0] = 5;
    ASSERT_EQ(select_objective(ctx_, 1, &got), 0);
    EXPECT_EQ(got, b);
    ASSERT_EQ(select_objective(ctx_, 2, &got), 0);
    EXPECT_EQ(got, a);
    ASSERT_EQ(select_objective(ctx_, 3, &got), 0);
    EXPECT_EQ(got, c);
    EXPECT_EQ(select_objective(ctx_, 0, &got), kRunBadData);
    EXPECT_EQ(select_objective(ctx_, 4, &got), kRunBadData);
    EXPECT_EQ(host_->live_blocks, blocks);  // the sort buffers went back
}

class BlockChain : public spine_test::ContextTest {};

TEST_F(BlockChain, BlocksLeaveTheChainInAnyOrder) {
    const int base = host_->live_blocks;
    void* a = ctx_alloc(ctx_, 16, TYM_ALLOC_LONG_ZERO);
    void* b = ctx_alloc(ctx_, 1 << 20, TYM_ALLOC_LONG);
    void* c = ctx_alloc(ctx_, 1, TYM_ALLOC_LONG_ZERO);
    ASSERT_TRUE(a && b && c);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(a) % 16, 0u);
    EXPECT_EQ(static_cast<unsigned char*>(c)[0], 0);
    EXPECT_EQ(ctx_->handles.block_count, 3);
    ctx_free(ctx_, b);  // middle
    ctx_free(ctx_, c);  // newest
    ctx_free(ctx_, nullptr);
    EXPECT_EQ(ctx_->handles.block_count, 1);
    EXPECT_EQ(host_->live_blocks, base + 1);
    ctx_alloc(ctx_, 8, TYM_ALLOC_LONG);
    ctx_free_all(ctx_);
    EXPECT_EQ(ctx_->handles.block_count, 0);
    EXPECT_EQ(ctx_->handles.blocks, nullptr);
    EXPECT_EQ(host_->live_blocks, base);
    host_->memory_limit = host_->memory_in_use;
    EXPECT_EQ(ctx_alloc(ctx_, 8, TYM_ALLOC_LONG), nullptr);
    EXPECT_EQ(ctx_->handles.block_count, 0);
}

}  // namespace
