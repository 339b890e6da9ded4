// The allocator: zero fill, the limit and the release callbacks, heaps,
// clean-up at the end of a step.
#include <cstring>

#include "data_fixture.h"

namespace datatest {
namespace {

constexpr int64_t kLimit = 1 << 20;

class Memory : public ::testing::Test {
  protected:
    void SetUp() override {
        qmlp::host::HostConfig config;
        config.memsize = kLimit;
        qmlp::host::data_configure(config);
        qmlp::host::data_step_begin();
        m_ = qmlp::host::memory_vector();
    }
    void TearDown() override { qmlp::host::data_step_end(); }
    const TymMemoryVector* m_ = nullptr;
};

struct Releaser {
    const TymMemoryVector* m;
    void* hoard;
    int calls = 0;
    int64_t arg = 0;
};

void give_back(int64_t arg, void* cookie) {
    auto* r = static_cast<Releaser*>(cookie);
    ++r->calls;
    r->arg = arg;
    r->m->release(r->hoard);
    r->hoard = nullptr;
}

TEST_F(Memory, ZeroFillFlagAndAvailable) {
    auto* p = static_cast<unsigned char*>(m_->alloc(4096, TYM_ALLOC_STEP_ZERO));
    ASSERT_NE(p, nullptr);
    for (int i = 0; i < 4096; ++i) ASSERT_EQ(p[i], 0);
    EXPECT_EQ(m_->available(), kLimit - 4096);
    EXPECT_EQ(m_->release(p), 0);
    EXPECT_EQ(m_->available(), kLimit);
    EXPECT_EQ(m_->release(nullptr), 0);
    int on_stack;
    EXPECT_LT(m_->release(&on_stack), 0);  // never given out
}

TEST_F(Memory, LimitCallsEachCallbackOnceThenRetries) {
    Releaser r{m_, m_->alloc(800 * 1024, TYM_ALLOC_LONG)};
    ASSERT_NE(r.hoard, nullptr);
    ASSERT_EQ(m_->register_release(give_back, &r), 0);
    void* p = m_->alloc(500 * 1024, TYM_ALLOC_STEP);  // passes the limit unless r gives back
    EXPECT_NE(p, nullptr);
    EXPECT_EQ(r.calls, 1);
    EXPECT_EQ(r.arg, 1);
    // Nothing left to give: one more call, then failure.
    EXPECT_EQ(m_->alloc(700 * 1024, TYM_ALLOC_STEP), nullptr);
    EXPECT_EQ(r.calls, 2);
    EXPECT_EQ(m_->unregister_release(give_back, &r), 0);
    EXPECT_LT(m_->unregister_release(give_back, &r), 0);
    EXPECT_EQ(m_->alloc(700 * 1024, TYM_ALLOC_STEP), nullptr);
    EXPECT_EQ(r.calls, 2);                                    // unregistered: not called
    EXPECT_EQ(m_->alloc(SIZE_MAX, TYM_ALLOC_STEP), nullptr);  // no overflow
}

TEST_F(Memory, HeapResizeKeepsContentsAndZeroesGrowth) {
    TymHeap h = m_->heap_create(0, 1024, 2);
    ASSERT_NE(h, nullptr);
    auto* p = static_cast<char*>(m_->heap_alloc(h, 100));
    ASSERT_NE(p, nullptr);
    for (int i = 0; i < 100; ++i) p[i] = static_cast<char>(i + 1);
    auto* q = static_cast<char*>(m_->heap_resize(h, p, 100000));
    ASSERT_NE(q, nullptr);
    for (int i = 0; i < 100; ++i) ASSERT_EQ(q[i], static_cast<char>(i + 1));
    for (int i = 100; i < 100000; ++i) ASSERT_EQ(q[i], 0);
    q = static_cast<char*>(m_->heap_resize(h, q, 10));
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(q[9], 10);
    EXPECT_EQ(m_->heap_resize(h, q, 2 * kLimit), nullptr);  // over the limit: old block stays
    EXPECT_EQ(q[0], 1);
    // A block belongs to its heap only.
    TymHeap other = m_->heap_create(0, 1024, 2);
    EXPECT_LT(m_->heap_release(other, q), 0);
    EXPECT_LT(m_->release(q), 0);
    EXPECT_EQ(m_->heap_release(h, q), 0);
    void* r = m_->heap_resize(h, nullptr, 64);  // resize of nothing allocates
    EXPECT_NE(r, nullptr);
    EXPECT_EQ(m_->heap_destroy(h), 0);
    EXPECT_LT(m_->heap_destroy(h), 0);
    EXPECT_EQ(m_->heap_alloc(h, 8), nullptr);
    EXPECT_EQ(m_->available(), kLimit);
}

TEST_F(Memory, StepEndFreesEverythingTheStepTook) {
    for (int i = 0; i < 50; ++i) ASSERT_NE(m_->alloc(1000, TYM_ALLOC_STEP), nullptr);
    TymHeap h = m_->heap_create(0, 1024, 2);
    for (int i = 0; i < 50; ++i) ASSERT_NE(m_->heap_alloc(h, 1000), nullptr);
    Releaser r{m_, nullptr};
    m_->register_release(give_back, &r);
    EXPECT_LT(m_->available(), kLimit - 100000 + 1);
    qmlp::host::data_step_end();
    EXPECT_EQ(m_->available(), kLimit);
    EXPECT_LT(m_->heap_destroy(h), 0);  // the heap is gone
    qmlp::host::data_step_begin();
    EXPECT_EQ(m_->alloc(2 * kLimit, TYM_ALLOC_STEP), nullptr);
    EXPECT_EQ(r.calls, 0);  // callbacks of the earlier step are forgotten
}

TEST_F(Memory, ReportNamesInUsePeakAndLimit) {
    std::vector<std::string> lines;
    qmlp::host::data::set_log_observer([&](qmlp::host::Severity, const std::string& text) { lines.push_back(text); });
    void* p = m_->alloc(512 * 1024, TYM_ALLOC_STEP);
    m_->release(p);
    EXPECT_EQ(m_->memory_report(), 0);
    qmlp::host::data::set_log_observer({});
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "Memory: 0 bytes in use, peak 512.0 KB, limit 1.0 MB.");
}

}  // namespace
}  // namespace datatest
