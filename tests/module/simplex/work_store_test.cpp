// Work store: block sizing, the column cache and its overflow heap, memory
// shifts (plain and severe) and the host's memory release.
#include <cstring>

#include "engine_fixture.h"
#include "input/matrix_store.h"
#include "simplex/work_store.h"

namespace enginetest {
namespace {

using namespace tymlp;

const double* Fetch(LpContext* ctx, int32_t j, int32_t* count = nullptr, int* rc = nullptr) {
    const double* values = nullptr;
    const int32_t* rows = nullptr;
    int32_t c = 0;
    const int status = FetchColumn(ctx, j, &values, &rows, &c);
    if (count != nullptr) *count = c;
    if (rc != nullptr) *rc = status;
    return values;
}

class WorkStoreTest : public EngineTest {};

TEST_F(WorkStoreTest, SizingFollowsWorkmemoryOrTheProblem) {
    // WORKMEMORY below 16 m + the largest column: set-up fails with 9.
    Build(BandProblem(100, 20, 5));
    ctx_->options.workmemory = 1;  // 1024 bytes < 1600 + 64
    EXPECT_EQ(SetUpEngine(ctx_), kRunMemory);
    DestroyContext(ctx_);

    Build(BandProblem(100, 20, 5));
    ctx_->options.workmemory = 2;
    ASSERT_EQ(SetUpEngine(ctx_), 0);
    const WorkStore& w = ctx_->engine.store;
    EXPECT_EQ(w.block_bytes, 2048);
    EXPECT_EQ(w.reserve, matrix_block_bytes(5));
    EXPECT_EQ(w.inverse_bytes_available, w.block_bytes - w.reserve);
    EXPECT_EQ(w.cache_top, w.base + w.block_bytes);
    EXPECT_EQ(ctx_->inverse.capacity, 0);
    EXPECT_EQ(reinterpret_cast<char*>(ctx_->inverse.elements), w.base);
    DestroyContext(ctx_);

    // Without WORKMEMORY: trunc(SPARSE) * 16 * nonzeros, at least the sum of
    // the column copies.
    Build(BandProblem(100, 20, 5));
    ctx_->options.sparse = 3.9;
    ASSERT_EQ(SetUpEngine(ctx_), 0);
    EXPECT_EQ(ctx_->engine.store.block_bytes, 3 * 16 * 100);
    for (int32_t i = 0; i < 100; ++i) EXPECT_EQ(ctx_->form.row_scale[i], 1.0);
    DestroyContext(ctx_);

    // The host's remaining memory caps the block.
    Build(BandProblem(100, 20, 5));
    ctx_->options.sparse = 1000.0;
    host_->memory_limit = host_->memory_in_use + 64 * 1024;
    ASSERT_EQ(SetUpEngine(ctx_), 0);
    EXPECT_LT(ctx_->engine.store.block_bytes, 64 * 1024);
    host_->memory_limit = 0;
}

TEST_F(WorkStoreTest, FetchCachesFromTheTopAndRereadsNothing) {
    BuildReady(BandProblem(20, 10, 4));
    WorkStore& w = ctx_->engine.store;
    char* top = w.cache_top;
    int32_t count = 0;
    const double* first = Fetch(ctx_, 3, &count);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(count, 4);
    EXPECT_EQ(reinterpret_cast<const char*>(first), top - matrix_block_bytes(4));
    EXPECT_EQ(w.cache_top, reinterpret_cast<const char*>(first));
    EXPECT_EQ(Fetch(ctx_, 3), first);  // served from the cache
    EXPECT_EQ(first[0], spec_.columns[3].entries[0].second);
    const double* second = Fetch(ctx_, 4);
    EXPECT_LT(second, first);
}

TEST_F(WorkStoreTest, ColumnLargerThanTheCacheIsPinnedInTheOverflowHeap) {
    ProblemSpec p = BandProblem(40, 4, 3);
    ColumnSpec big;
    for (int32_t r = 0; r < 40; ++r) big.entries.push_back({r, 2.0 + r});
    p.columns.push_back(big);  // the largest column: it sets the reserve
    const int32_t big_j = static_cast<int32_t>(p.columns.size()) - 1;
    Build(p);
    ctx_->options.workmemory = 2;
    ASSERT_EQ(SetUpEngine(ctx_), 0);
    WorkStore& w = ctx_->engine.store;
    // The inverse store takes every byte the cache can give: the reserve is left.
    int64_t taken = w.inverse_bytes_available;
    ASSERT_EQ(MemoryShift(ctx_, &taken), 0);
    ASSERT_EQ(w.inverse_bytes_available, 0);
    ASSERT_EQ(w.cache_top - w.cache_floor, w.reserve);
    int rc = -1;
    const double* small = Fetch(ctx_, 0, nullptr, &rc);
    ASSERT_EQ(rc, 0);
    EXPECT_EQ(ctx_->model.directory[0].pinned, 0);
    // The big column no longer fits above the floor: it goes to the heap.
    const double* values = Fetch(ctx_, big_j, nullptr, &rc);
    ASSERT_EQ(rc, 0);
    ASSERT_NE(w.overflow, nullptr);
    EXPECT_EQ(ctx_->model.directory[big_j].pinned, 1);
    EXPECT_EQ(values[39], 41.0);
    EmptyCache(ctx_);
    EXPECT_EQ(ctx_->model.directory[0].cached, nullptr);
    EXPECT_EQ(ctx_->model.directory[big_j].cached, values) << "emptying the cache keeps pinned copies";
    EXPECT_NE(small, nullptr);
    EXPECT_EQ(DropOverflow(ctx_), 1);
    EXPECT_EQ(ctx_->model.directory[big_j].cached, nullptr);
    EXPECT_EQ(ctx_->model.directory[big_j].pinned, 0);
    EXPECT_EQ(DropOverflow(ctx_), 2);
    // Now the emptied cache holds it again inside the block.
    values = Fetch(ctx_, big_j, nullptr, &rc);
    ASSERT_EQ(rc, 0);
    EXPECT_EQ(ctx_->model.directory[big_j].pinned, 0);
    EXPECT_EQ(reinterpret_cast<const char*>(values), w.cache_floor);
}

TEST_F(WorkStoreTest, WithoutAnOverflowHeapTheCacheIsEmptiedOrTheFetchFails) {
    BuildReady(BandProblem(20, 10, 4));
    WorkStore& w = ctx_->engine.store;
    ASSERT_NE(Fetch(ctx_, 0), nullptr);
    w.cache_top = w.cache_floor + 8;
    // The heap cannot give anything: the cache is emptied and the copy goes
    // to the top of the block.
    host_->memory_limit = host_->memory_in_use;
    int rc = -1;
    const double* v = Fetch(ctx_, 5, nullptr, &rc);
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(reinterpret_cast<const char*>(v), w.base + w.block_bytes - matrix_block_bytes(4));
    EXPECT_EQ(ctx_->model.directory[0].cached, nullptr);
    // When even the emptied cache is too small, the fetch fails with 9.
    w.inverse_bytes_available = 0;
    w.reserve = 8;
    EmptyCache(ctx_);
    Fetch(ctx_, 6, nullptr, &rc);
    EXPECT_EQ(rc, kRunMemory);
    host_->memory_limit = 0;
}

TEST_F(WorkStoreTest, MemoryShiftGrantsFromTheCache) {
    BuildReady(BandProblem(50, 10, 4));
    WorkStore& w = ctx_->engine.store;
    ASSERT_NE(Fetch(ctx_, 0), nullptr);
    const int64_t available = w.inverse_bytes_available;
    // A request below 16 m is rounded up to 16 m.
    int64_t bytes = 64;
    ASSERT_EQ(MemoryShift(ctx_, &bytes), 0);
    EXPECT_EQ(bytes, 16 * 50);
    EXPECT_EQ(w.inverse_bytes_available, available - 16 * 50);
    EXPECT_EQ(w.cache_floor, w.base + 16 * 50);
    EXPECT_EQ(w.cache_top, w.base + w.block_bytes);
    EXPECT_EQ(ctx_->model.directory[0].cached, nullptr) << "a grant drops the cached copies";
    // When the cache holds less than 16 m but at least the request, it gives
    // the request.
    w.inverse_bytes_available = 100;
    bytes = 96;
    ASSERT_EQ(MemoryShift(ctx_, &bytes), 0);
    EXPECT_EQ(bytes, 96);
    EXPECT_EQ(w.inverse_bytes_available, 4);
}

TEST_F(WorkStoreTest, SevereShiftEnlargesTheBlockAndKeepsItsContents) {
    BuildReady(BandProblem(50, 10, 4));
    ctx_->options.performance = 1;
    WorkStore& w = ctx_->engine.store;
    int64_t bytes = w.inverse_bytes_available;
    ASSERT_EQ(MemoryShift(ctx_, &bytes), 0);
    ctx_->inverse.capacity = static_cast<int32_t>(bytes / kSlotBytes);
    for (int32_t i = 0; i < ctx_->inverse.capacity; ++i) ctx_->inverse.elements[i] = InverseSlot{i * 1.5, i, -i};
    const int64_t before = w.block_bytes;
    bytes = 4096;
    ASSERT_EQ(MemoryShift(ctx_, &bytes), 0);
    EXPECT_EQ(bytes, 4096);
    EXPECT_GE(w.block_bytes, before + 4096);
    EXPECT_EQ(reinterpret_cast<char*>(ctx_->inverse.elements), w.base);
    for (int32_t i = 0; i < ctx_->inverse.capacity; ++i) {
        ASSERT_EQ(ctx_->inverse.elements[i].value, i * 1.5);
        ASSERT_EQ(ctx_->inverse.elements[i].column, -i);
    }
    EXPECT_TRUE(HasNote("NOTE: Severe Memory Shift "));
    EXPECT_TRUE(HasNote("NOTE: Memory Shift -- workmem="));
}

TEST_F(WorkStoreTest, FailedSevereShiftLeavesTheBlockUnchanged) {
    BuildReady(BandProblem(50, 10, 4));
    WorkStore& w = ctx_->engine.store;
    int64_t bytes = w.inverse_bytes_available - 256;
    ASSERT_EQ(MemoryShift(ctx_, &bytes), 0);
    ctx_->inverse.capacity = static_cast<int32_t>(bytes / kSlotBytes);
    for (int32_t i = 0; i < ctx_->inverse.capacity; ++i) ctx_->inverse.elements[i] = InverseSlot{i + 0.5, i, i};
    int32_t count = 0;
    const double* cached = Fetch(ctx_, 7, &count);
    ASSERT_NE(cached, nullptr);
    const double first_value = cached[0];
    const int64_t block_bytes = w.block_bytes;
    const int64_t available = w.inverse_bytes_available;
    const int64_t top_offset = w.cache_top - w.base;
    host_->memory_limit = host_->memory_in_use;  // the block can come back at its old size only
    bytes = 1 << 20;
    ASSERT_EQ(MemoryShift(ctx_, &bytes), 0);
    host_->memory_limit = 0;
    EXPECT_EQ(bytes, -(1 << 20));
    EXPECT_EQ(w.block_bytes, block_bytes);
    EXPECT_EQ(w.inverse_bytes_available, available);
    EXPECT_EQ(w.cache_top - w.base, top_offset);
    EXPECT_EQ(reinterpret_cast<char*>(ctx_->inverse.elements), w.base);
    for (int32_t i = 0; i < ctx_->inverse.capacity; ++i) ASSERT_EQ(ctx_->inverse.elements[i].value, i + 0.5);
    // A cached column still reads right wherever the block now lives.
    EXPECT_EQ(Fetch(ctx_, 7)[0], first_value);
}

TEST_F(WorkStoreTest, HostReleaseDropsTheOverflowHeapAndSwitchesToLifo) {
    BuildReady(BandProblem(20, 10, 4));
    ASSERT_EQ(RegisterRelease(ctx_), 0);
    EXPECT_EQ(ctx_->handles.release_registered, 1);
    ctx_->options.performance = 1;
    WorkStore& w = ctx_->engine.store;
    w.cache_top = w.cache_floor + 8;
    ASSERT_NE(Fetch(ctx_, 1), nullptr);
    ASSERT_NE(w.overflow, nullptr);
    ctx_->bb.active_count = 3;
    ctx_->options.canselect = 3;
    FreeMemory(7, ctx_);
    EXPECT_EQ(w.overflow, nullptr);
    EXPECT_EQ(ctx_->model.directory[1].cached, nullptr);
    EXPECT_EQ(Count(62), 1);
    EXPECT_EQ(ctx_->options.canselect, 1);
    EXPECT_EQ(ctx_->options.backtrack, 1);
    EXPECT_EQ(ctx_->options.deltait, 2147483647);
    EXPECT_TRUE(HasNote("NOTE: LPFREMM -- arg=7 workmem="));
    FreeMemory(7, ctx_);
    EXPECT_EQ(Count(62), 1) << "already LIFO: no second message";
    ctx_->bb.active_count = 0;
}

}  // namespace
}  // namespace enginetest
