// Growing and compressing the slot array, and the invariant checker.
#include <gtest/gtest.h>

#include "factor/lu_check.h"
#include "factor/lu_internal.h"
#include "lu_harness.h"
#include "mini_host.h"

namespace {

using lutest::RandomBasis;
using lutest::StoreHarness;
using tymlp::InverseSlot;
using tymlp::kFreeField;

class GrowStoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        minihost::install();
        lutest::SparseMatrix none(3);
        h.Load(none, 20);
        auto& s = h.store;
        for (int i = 0; i < 20; ++i) s.elements[i] = InverseSlot{0.0, kFreeField, kFreeField};
        s.elements[19] = InverseSlot{0.5, 0, 1};  // first eta
        s.elements[18] = InverseSlot{-2.0, 2, 0};
        s.etaCount = 2;
        s.rowFree = s.colFree = 5;
    }
    void ExpectEtasAtTop() {
        const auto& s = h.store;
        EXPECT_EQ(s.elements[s.capacity - 1].value, 0.5);
        EXPECT_EQ(s.elements[s.capacity - 1].column, 1);
        EXPECT_EQ(s.elements[s.capacity - 2].value, -2.0);
        EXPECT_EQ(s.elements[s.capacity - 2].row, 2);
        for (int i = 5; i < s.capacity - 2; ++i) {
            EXPECT_EQ(s.elements[i].row, kFreeField) << i;
            EXPECT_EQ(s.elements[i].column, kFreeField) << i;
        }
    }
    StoreHarness h{3};
};

TEST_F(GrowStoreTest, GrantedSlotsGoBelowTheMovedEtaFile) {
    EXPECT_EQ(tymlp::GrowStore(h.store, 25), 0);
    EXPECT_EQ(h.store.capacity, 26);  // (25 - 20 + 1) slots asked and given
    ExpectEtasAtTop();
    EXPECT_EQ(tymlp::GrowStore(h.store, 10), 0);  // already room: no request
    EXPECT_EQ(h.shiftCalls, 1);
}

TEST_F(GrowStoreTest, RefusalAndShortGrantsAreNegative) {
    h.grant = StoreHarness::Grant::Refuse;
    EXPECT_EQ(tymlp::GrowStore(h.store, 25), -96);
    EXPECT_EQ(h.store.capacity, 20);
    ExpectEtasAtTop();

    h.grant = StoreHarness::Grant::Half;
    EXPECT_EQ(tymlp::GrowStore(h.store, 25), -96);
    EXPECT_EQ(h.store.capacity, 23);  // the three slots granted are kept
    ExpectEtasAtTop();

    h.store.memoryShift = nullptr;
    EXPECT_EQ(tymlp::GrowStore(h.store, 30), -128);
}

// Row lists 2, 0 (in that order of appearance), row 1 empty, with holes;
// the row fields carry an unrelated pattern that must not move.
class CompressTest : public ::testing::Test {
  protected:
    void SetUp() override {
        minihost::install();
        lutest::SparseMatrix none(3);
        h.Load(none, 16);
        auto& s = h.store;
        const InverseSlot slots[8] = {{0, 7, -1}, {4.0, 6, 0},  {5.0, 5, 1}, {0, 4, -1},
                                      {0, 3, -1}, {1.0, -1, 2}, {0, -1, -1}, {0, -1, -1}};
        for (int i = 0; i < 16; ++i) s.elements[i] = i < 8 ? slots[i] : InverseSlot{0, -1, -1};
        s.rowStart[2] = 1, s.rowEnd[2] = 2;
        s.rowStart[0] = 5, s.rowEnd[0] = 5;
        s.rowStart[1] = 3, s.rowEnd[1] = 2;
        s.rowFree = 6;
        s.colStart[0] = 0, s.colEnd[0] = 0;
        s.colStart[1] = 2, s.colEnd[1] = 4;
        s.colStart[2] = 6, s.colEnd[2] = 5;
        s.colFree = 5;
        s.etaCount = 0;
    }
    StoreHarness h{3};
};

TEST_F(CompressTest, RowModePacksPairsInOrderAndKeepsRowFields) {
    auto& s = h.store;
    ASSERT_EQ(tymlp::CompressStore(s, tymlp::kCompressRows), 0);
    EXPECT_EQ(s.rowFree, 3);
    EXPECT_EQ(s.rowStart[2], 0);
    EXPECT_EQ(s.rowEnd[2], 1);
    EXPECT_EQ(s.rowStart[0], 2);
    EXPECT_EQ(s.rowEnd[0], 2);
    EXPECT_LT(s.rowEnd[1], s.rowStart[1]);
    const double values[3] = {4.0, 5.0, 1.0};
    const int cols[3] = {0, 1, 2};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(s.elements[i].value, values[i]);
        EXPECT_EQ(s.elements[i].column, cols[i]);
    }
    // Slots 3..5 above the new rowFree keep stale pairs: nothing reads a
    // slot at or above the free counter before writing it.
    const int rows[8] = {7, 6, 5, 4, 3, -1, -1, -1};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(s.elements[i].row, rows[i]);
}

TEST_F(CompressTest, ColumnModePacksRowFieldsAndKeepsPairs) {
    auto& s = h.store;
    s.elements[1].row = kFreeField;  // slot 1 belongs to no pattern
    ASSERT_EQ(tymlp::CompressStore(s, tymlp::kCompressColumns), 0);
    EXPECT_EQ(s.colFree, 4);
    EXPECT_EQ(s.colStart[0], 0);
    EXPECT_EQ(s.colEnd[0], 0);
    EXPECT_EQ(s.colStart[1], 1);
    EXPECT_EQ(s.colEnd[1], 3);
    const int rows[4] = {7, 5, 4, 3};  // slot 4, above colFree, keeps a stale row number
    for (int i = 0; i < 4; ++i) EXPECT_EQ(s.elements[i].row, rows[i]);
    EXPECT_EQ(s.elements[1].value, 4.0);
    EXPECT_EQ(s.elements[5].column, 2);
}

TEST_F(CompressTest, UnknownModeChangesNothing) {
    EXPECT_EQ(tymlp::CompressStore(h.store, 'x'), 1);
    EXPECT_EQ(h.store.rowFree, 6);
}

TEST(CompressFactorMode, WholeSlotsMoveWithTheirColumnLists) {
    minihost::install();
    StoreHarness h(2);
    lutest::SparseMatrix none(2);
    h.Load(none, 8);
    auto& s = h.store;
    const InverseSlot slots[5] = {{0, -1, -1}, {3.0, 1, 1}, {0, -1, -1}, {2.0, 0, 0}, {9.0, 1, 0}};
    for (int i = 0; i < 5; ++i) s.elements[i] = slots[i];
    s.colStart[1] = 1, s.colEnd[1] = 1;
    s.colStart[0] = 3, s.colEnd[0] = 4;
    s.colFree = 5;
    s.etaCount = 0;
    ASSERT_EQ(tymlp::CompressStore(s, tymlp::kCompressFactor), 0);
    EXPECT_EQ(s.colFree, 3);
    EXPECT_EQ(s.colStart[1], 0);
    EXPECT_EQ(s.colStart[0], 1);
    EXPECT_EQ(s.colEnd[0], 2);
    EXPECT_EQ(s.elements[0].value, 3.0);
    EXPECT_EQ(s.elements[2].value, 9.0);
    EXPECT_EQ(s.elements[2].row, 1);
}

// The checker finds each kind of damage and never changes the store.
class CheckerTest : public ::testing::TestWithParam<int> {
  protected:
    void SetUp() override {
        minihost::install();
        b = RandomBasis(60, 3, 71, true);
        h = std::make_unique<StoreHarness>(b.m);
        h->Load(b);
        ASSERT_GT(h->Factor(GetParam()), 0.0);
        ASSERT_EQ(tymlp::CheckInverseStore(h->store), tymlp::kStoreOk);
    }
    lutest::SparseMatrix b;
    std::unique_ptr<StoreHarness> h;
};

TEST_P(CheckerTest, LeavesTheStoreUntouched) {
    auto& s = h->store;
    std::vector<InverseSlot> before(s.elements, s.elements + s.capacity);
    std::vector<int32_t> starts(s.rowStart, s.rowStart + s.m);
    tymlp::CheckInverseStore(s);
    EXPECT_EQ(std::memcmp(before.data(), s.elements, before.size() * sizeof(InverseSlot)), 0);
    EXPECT_EQ(std::memcmp(starts.data(), s.rowStart, starts.size() * sizeof(int32_t)), 0);
    EXPECT_EQ(minihost::state().live_blocks, 0);
}

TEST_P(CheckerTest, FindsEachKindOfDamage) {
    auto& s = h->store;
    auto expectFound = [&](int code, auto&& damage, auto&& repair) {
        damage();
        EXPECT_EQ(tymlp::CheckInverseStore(s), code);
        repair();
        EXPECT_EQ(tymlp::CheckInverseStore(s), tymlp::kStoreOk);
    };
    expectFound(
        tymlp::kStoreBadDiagonal, [&] { std::swap(s.pivotRow[0], s.pivotRow[1]); },
        [&] { std::swap(s.pivotRow[0], s.pivotRow[1]); });
    const int32_t savedCol = s.pivotCol[5];
    expectFound(
        tymlp::kStoreBadPermutation, [&] { s.pivotCol[5] = s.pivotCol[6]; }, [&] { s.pivotCol[5] = savedCol; });
    expectFound(
        tymlp::kStoreMismatch, [&] { s.uCount -= 1; }, [&] { s.uCount += 1; });
    const int32_t r = s.pivotRow[s.m - 1];
    expectFound(
        tymlp::kStoreBadRowList, [&] { s.rowStart[r] = -1 - s.rowStart[r]; },
        [&] { s.rowStart[r] = -1 - s.rowStart[r]; });
    // A pair outside every row list, just above the lists.
    const int32_t free = s.rowFree;
    ASSERT_LT(free, s.capacity - s.etaCount);
    const InverseSlot savedSlot = s.elements[free];
    expectFound(
        tymlp::kStoreStrayEntry,
        [&] {
            s.rowFree += 1;
            s.elements[free].column = 0;
        },
        [&] {
            s.rowFree -= 1;
            s.elements[free] = savedSlot;
        });
    if (s.etaCount > 0) {
        InverseSlot& eta = s.elements[s.capacity - 1];
        const int32_t t = eta.column;
        expectFound(
            tymlp::kStoreBadEta, [&] { eta.column = eta.row; }, [&] { eta.column = t; });
    }
    // An off-diagonal entry whose column was pivoted before its row.
    for (int k = 1; k < s.m; ++k) {
        const int32_t row = s.pivotRow[k];
        if (tymlp::RowLength(s, row) < 2) continue;
        InverseSlot& entry = s.elements[s.rowStart[row] + 1];
        const int32_t c = entry.column;
        expectFound(
            tymlp::kStoreNotTriangular, [&] { entry.column = s.pivotCol[0]; }, [&] { entry.column = c; });
        break;
    }
}

INSTANTIATE_TEST_SUITE_P(BothRoutines, CheckerTest, ::testing::Values(tymlp::kLuMarkowitz, tymlp::kLuLeftLooking),
                         [](const auto& info) { return info.param == 1 ? "Markowitz" : "LeftLooking"; });

}  // namespace
