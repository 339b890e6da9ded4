// Row, column and coefficient records through utility files.
#include <cstring>
#include <string>
#include <vector>

#include "../control/control_fixture.h"
#include "input/model_records.h"

namespace {

using namespace tymlp;

class ModelStore : public spine_test::ContextTest {
  protected:
    void SetUp() override {
        ContextTest::SetUp();
        ASSERT_EQ(open_model_stores(ctx_), 0);
    }
    // Follows a chain from `first` through the coefficient file.
    std::vector<int> chain(int32_t first, bool by_row) {
        std::vector<int> out;
        for (int32_t k = first; k != kNoEntry && out.size() < 100;) {
            CoefEntry e{};
            EXPECT_EQ(read_coefficient(ctx_, k, &e), 0);
            out.push_back(static_cast<int>(e.value));
            k = by_row ? e.next_in_row : e.next_in_column;
        }
        return out;
    }
};

TEST_F(ModelStore, RecordLengthsHoldTheNameAndStayAligned) {
    EXPECT_EQ(row_record_length(8), 40);
    EXPECT_EQ(column_record_length(8), 48);
    EXPECT_EQ(row_record_length(33), 72);
    EXPECT_EQ(row_record_length(0), row_record_length(8));
    EXPECT_EQ(row_record_length(1000), row_record_length(64));
}

TEST_F(ModelStore, RowsAndColumnsRoundTripInAnyOrder) {
    RowRecord r = empty_row(kRowLessEqual | kRowRange);
    r.link.range = 2.5;
    r.entry_count = 3;
    ASSERT_EQ(write_row(ctx_, 5, r, "CAPACITY"), 0);
    ASSERT_EQ(write_row(ctx_, 0, empty_row(kRowObjective), "PHASE_1_"), 0);

    ColumnRecord c = empty_column(ctx_, kColInteger | kColUpperGiven);
    c.upper = 10;
    ASSERT_EQ(write_column(ctx_, 2, c, "X3      "), 0);

    RowRecord back{};
    char name[8];
    ASSERT_EQ(read_row(ctx_, 5, &back, name), 0);
    EXPECT_EQ(std::string(name, 8), "CAPACITY");
    EXPECT_EQ(back.flags, kRowLessEqual | kRowRange);
    EXPECT_EQ(back.link.range, 2.5);
    EXPECT_EQ(back.entry_count, 3);
    EXPECT_EQ(back.first_entry, kNoEntry);
    ASSERT_EQ(read_row(ctx_, 0, &back, name), 0);
    EXPECT_EQ(back.flags, kRowObjective);

    ColumnRecord cb{};
    ASSERT_EQ(read_column(ctx_, 2, &cb, name), 0);
    EXPECT_EQ(std::string(name, 8), "X3      ");
    EXPECT_EQ(cb.upper, 10);
    EXPECT_EQ(cb.lower, -ctx_->options.infinity);
    EXPECT_EQ(cb.flags, kColInteger | kColUpperGiven);
    EXPECT_EQ(cb.integer_record, -1);

    // A null name is written as blanks.
    ASSERT_EQ(write_column(ctx_, 3, c, nullptr), 0);
    ASSERT_EQ(read_column(ctx_, 3, &cb, name), 0);
    EXPECT_EQ(std::string(name, 8), "        ");
}

TEST_F(ModelStore, LongNamesUseTheirOwnRecordLength) {
    LpContext* other = nullptr;
    ASSERT_EQ(create_context(&other), 0);
    other->model.row_name_length = 20;
    ASSERT_EQ(open_model_stores(other), 0);
    const std::string n1 = "A_ROW_WITH_LONG_NAME", n2 = "ANOTHER_ROW_NAME____";
    ASSERT_EQ(write_row(other, 0, empty_row(kRowEquality), n1.c_str()), 0);
    ASSERT_EQ(write_row(other, 1, empty_row(kRowFree), n2.c_str()), 0);
    char name[20];
    RowRecord r{};
    ASSERT_EQ(read_row(other, 0, &r, name), 0);
    EXPECT_EQ(std::string(name, 20), n1);
    ASSERT_EQ(read_row(other, 1, &r, name), 0);
    EXPECT_EQ(std::string(name, 20), n2);
    EXPECT_EQ(r.flags, kRowFree);
    spine_test::destroy_context(other);
}

TEST_F(ModelStore, AppendLinksEveryEntryIntoItsRowAndColumnChains) {
    // A 2 x 3 pattern appended column by column; values number the entries.
    RowRecord rows[2] = {empty_row(kRowLessEqual), empty_row(kRowGreaterEqual)};
    ColumnRecord cols[3] = {empty_column(ctx_, 0), empty_column(ctx_, 0), empty_column(ctx_, 0)};
    const int pattern[][2] = {{0, 0}, {1, 0}, {0, 1}, {1, 2}, {0, 2}};
    for (int k = 0; k < 5; ++k) {
        const int row = pattern[k][0], col = pattern[k][1];
        ASSERT_EQ(append_coefficient(ctx_, row, rows[row], col, cols[col], k), 0);
    }
    EXPECT_EQ(ctx_->model.coef_count, 5);
    EXPECT_EQ(rows[0].entry_count, 3);
    EXPECT_EQ(rows[1].entry_count, 2);
    EXPECT_EQ(cols[2].entry_count, 2);
    EXPECT_EQ(chain(rows[0].first_entry, true), (std::vector<int>{0, 2, 4}));
    EXPECT_EQ(chain(rows[1].first_entry, true), (std::vector<int>{1, 3}));
    EXPECT_EQ(chain(cols[0].first_entry, false), (std::vector<int>{0, 1}));
    EXPECT_EQ(chain(cols[1].first_entry, false), (std::vector<int>{2}));
    EXPECT_EQ(chain(cols[2].first_entry, false), (std::vector<int>{3, 4}));
    EXPECT_EQ(rows[0].last_entry, 4);
    EXPECT_EQ(cols[2].last_entry, 4);

    CoefEntry e{};
    ASSERT_EQ(read_coefficient(ctx_, 3, &e), 0);
    EXPECT_EQ(e.row, 1);
    EXPECT_EQ(e.column, 2);
}

TEST_F(ModelStore, AStoreThatIsNotOpenFailsWith25AfterAReport) {
    LpContext* other = nullptr;
    ASSERT_EQ(create_context(&other), 0);
    RowRecord r{};
    EXPECT_EQ(read_row(other, 0, &r, nullptr), kRunIo);
    ColumnRecord c = empty_column(other, 0);
    EXPECT_EQ(append_coefficient(other, 0, r, 0, c, 1.0), kRunIo);
    EXPECT_EQ(host_->notes.size(), 2u);
    spine_test::destroy_context(other);
}

TEST_F(ModelStore, ReadingPastTheEndFails) {
    RowRecord r{};
    EXPECT_EQ(read_row(ctx_, 7, &r, nullptr), kRunIo);
}

}  // namespace
