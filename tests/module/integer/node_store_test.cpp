// node_store_test.cpp -- the active node store and the node file: ordered
// lists kept in order through long random runs of insertions and removals
// with tiny sampled indexes, and node records that restore exactly the
// bounds and status bytes saved (all-binary packing, integer widths,
// doubles, and chains that grow when a reused node's record is longer).
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <set>
#include <vector>

#include "engine_builder.h"
#include "input/integer_vars.h"
#include "integer/node_records.h"
#include "integer/node_store.h"
#include "mini_host.h"

namespace {

using namespace tymlp;

class NodeStore : public ::testing::Test {
  protected:
    void SetUp() override {
        minihost::install();
        enginetest::ProblemSpec shape;
        shape.rows = 2;
        shape.structural = 10;
        shape.columns.resize(12);
        for (int j = 0; j < 10; ++j) shape.columns[j].entries = {{j % 2, 1.0 + j}};
        shape.columns[10].entries = {{0, 1.0}};
        shape.columns[11].entries = {{1, 1.0}};
        ctx_ = enginetest::BuildContext(shape);
        ASSERT_NE(ctx_, nullptr);
        ASSERT_EQ(enginetest::SetUpEngine(ctx_), 0);
        enginetest::SetBasis(ctx_, {10, 11});
    }
    void TearDown() override { enginetest::DestroyContext(ctx_); }

    // Integer columns 0 .. count-1 with bounds [lower, upper].
    void integers(int count, double lower, double upper) {
        IntegerVariable* tail = nullptr;
        for (int j = 0; j < count; ++j) {
            ColumnRecord col{};
            col.integer_record = -1;
            ASSERT_EQ(set_integer_record(ctx_, j, col, 0, lower == 0.0 && upper == 1.0, &tail), 0);
            ctx_->form.lower[j] = lower;
            ctx_->form.upper[j] = upper;
            ctx_->form.status[j] |= kStatInteger;
        }
        ctx_->bb.all_binary = lower == 0.0 && upper == 1.0 ? 1 : 0;
    }

    // The ordered list `kind` from low to high: ascending keys and exactly
    // the active nodes.
    void expect_ordered(NodeListKind kind, const std::set<ActiveNode*>& active) {
        std::set<ActiveNode*> seen;
        double last = -1e300;
        for (ActiveNode* n = ctx_->bb.lists[kind].low; n != nullptr; n = list_neighbour(n, kind, 1)) {
            EXPECT_LE(last, node_key(n, kind));
            last = node_key(n, kind);
            seen.insert(n);
        }
        EXPECT_EQ(seen, active);
        EXPECT_EQ(ctx_->bb.active_count, static_cast<int32_t>(active.size()));
    }

    LpContext* ctx_ = nullptr;
};

TEST_F(NodeStore, OrderedListsStayInOrderThroughRandomInsertionsAndRemovals) {
    BbState& bb = ctx_->bb;
    bb.lists_in_use = (1u << kListByBound) | (1u << kListByEstimate);
    for (NodeList& list : bb.lists) {
        list.index.min_spacing = 1;
        list.index.initial_capacity = 1;
        list.index.fraction = 0.3;
    }
    std::mt19937 random(7);
    std::set<ActiveNode*> active;
    for (int step = 1; step <= 3000; ++step) {
        if (!active.empty() && random() % 3 == 0) {
            auto it = active.begin();
            std::advance(it, random() % active.size());
            discard_node(ctx_, *it);
            active.erase(it);
            continue;
        }
        ActiveNode* n = allocate_node(ctx_);
        n->stamp = step;
        n->bound = static_cast<double>(random() % 50);  // many equal keys
        n->estimate = -n->bound + static_cast<double>(random() % 7);
        ASSERT_EQ(add_node(ctx_, n), 0);
        active.insert(n);
    }
    expect_ordered(kListByBound, active);
    expect_ordered(kListByEstimate, active);
}

TEST_F(NodeStore, EqualKeysGoAfterTheNodesAlreadyThere) {
    BbState& bb = ctx_->bb;
    bb.lists_in_use = 1u << kListByBound;
    std::vector<ActiveNode*> nodes;
    for (int k = 0; k < 30; ++k) {
        ActiveNode* n = allocate_node(ctx_);
        n->stamp = k + 1;
        n->bound = k < 10 ? 1.0 : 2.0;
        ASSERT_EQ(add_node(ctx_, n), 0);
        nodes.push_back(n);
    }
    EXPECT_EQ(bb.lists[kListByBound].high, nodes.back());
    EXPECT_EQ(bb.lists[kListByBound].low, nodes.front());
    std::vector<ActiveNode*> order;
    for (ActiveNode* n = bb.lists[kListByBound].low; n != nullptr; n = list_neighbour(n, kListByBound, 1))
        order.push_back(n);
    EXPECT_EQ(order, nodes);
}

TEST_F(NodeStore, ReleasedNodesAreReusedWithTheirRecord) {
    ActiveNode* a = allocate_node(ctx_);
    a->record = 123;
    release_node(ctx_, a);
    ActiveNode* b = allocate_node(ctx_);
    EXPECT_EQ(a, b);
    EXPECT_EQ(b->record, 123);
    EXPECT_EQ(b->state, kNodeAllocated);
}

TEST_F(NodeStore, RecordsRestoreTheBoundsAndStatusesSaved) {
    for (const auto& [lower, upper] :
         std::vector<std::pair<double, double>>{{0, 1}, {-3, 100}, {-40000, 9}, {0, 1e30}}) {
        SCOPED_TRACE(upper);
        TearDown();
        SetUp();
        integers(10, lower, upper);
        ComputationalForm& f = ctx_->form;
        f.lower[3] = lower + (upper > 1 ? 1 : 0);
        f.upper[5] = lower;
        f.status[7] |= kStatAtUpper;
        std::vector<double> lo(f.lower, f.lower + 12), up(f.upper, f.upper + 12);
        std::vector<uint8_t> st(f.status, f.status + 12);
        ActiveNode* node = allocate_node(ctx_);
        node->stamp = 5;
        ASSERT_EQ(save_node(ctx_, node), 0);
        for (int j = 0; j < 10; ++j) f.lower[j] = f.upper[j] = 0.5;
        f.status[7] = 0;
        ctx_->bb.iteration = 20;  // an old node: bounds and basis from the record
        ASSERT_EQ(restore_node(ctx_, node), 0);
        EXPECT_EQ(std::vector<double>(f.lower, f.lower + 12), lo);
        EXPECT_EQ(std::vector<double>(f.upper, f.upper + 12), up);
        EXPECT_EQ(f.status[7], st[7]);
        const int32_t expected_width = upper == 1 || upper == 100 ? 1 : upper == 9 ? 4 : 8;
        EXPECT_EQ(ctx_->bb.value_width, expected_width);
    }
}

// A coder whose output grows with each call: a reused node's new record is
// longer than its old chain, which must grow by a block.
int growing_compress(LpContext*, const uint8_t* in, int32_t length, uint8_t* out, int32_t capacity,
                     int32_t* out_length) {
    static int32_t extra = 0;
    extra += 7;
    if (length + extra + 4 > capacity) return kRunMemory;
    std::memcpy(out, &length, 4);
    std::memcpy(out + 4, in, static_cast<size_t>(length));
    std::memset(out + 4 + length, 0xAB, static_cast<size_t>(extra));
    *out_length = length + extra + 4;
    return 0;
}
int growing_expand(LpContext*, const uint8_t* in, int32_t, uint8_t* out, int32_t, int32_t* out_length) {
    std::memcpy(out_length, in, 4);
    std::memcpy(out, in + 4, static_cast<size_t>(*out_length));
    return 0;
}

TEST_F(NodeStore, ReusedNodeWithALongerRecordGrowsItsChain) {
    static const NodeCoderEntries coder = {growing_compress, growing_expand};
    integers(10, -3, 9);
    ctx_->bb.node_coder_entries = &coder;
    ComputationalForm& f = ctx_->form;
    ActiveNode* node = allocate_node(ctx_);
    ASSERT_EQ(save_node(ctx_, node), 0);
    const int32_t first_record = node->record;
    ActiveNode* other = allocate_node(ctx_);  // a record behind the first one
    ASSERT_EQ(save_node(ctx_, other), 0);
    release_node(ctx_, node);
    node = allocate_node(ctx_);
    ASSERT_EQ(node->record, first_record);
    f.upper[4] = 2;
    ASSERT_EQ(save_node(ctx_, node), 0);  // longer: one more block at the file's end
    f.upper[4] = 9;
    ctx_->bb.iteration = 20;
    ASSERT_EQ(restore_node(ctx_, node), 0);
    EXPECT_EQ(f.upper[4], 2);
    ASSERT_EQ(restore_node(ctx_, other), 0);
    EXPECT_EQ(f.upper[4], 9);
}

}  // namespace
