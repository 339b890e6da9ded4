// cut_rows.cpp -- rows reserved for the cutting planes of the root.
#include "input/cut_rows.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "input/column_lists.h"
#include "input/model_records.h"
#include "input/reader_common.h"

namespace tymlp {
namespace {

// Rows one round may fill, and the most any run reserves: each reserved row
// costs a slot in the factors and a status byte in every node record.
constexpr int32_t kFewestPerRound = 10;
constexpr int32_t kMostPerRound = 200;
constexpr int32_t kMostReserved = 2000;
constexpr int64_t kFewestReserved = 50;

}  // namespace

int32_t cut_rows_wanted(const LpContext* ctx) {
    const ProblemModel& pm = ctx->model;
    if (ctx->options.cutpasses <= 0 || pm.integer_count <= 0) return 0;
    if (pm.objective_count != 2 || pm.lists[kListRhs].count > 1 || ctx->options.goalprogram != 0) return 0;
    const int32_t per_round = std::clamp(pm.integer_count, kFewestPerRound, kMostPerRound);
    const int64_t wanted = static_cast<int64_t>(per_round) * ctx->options.cutpasses;
    // Every reserved row is a row of every node LP, filled or not: no more
    // of them than the problem has rows of its own (twice, at least 50).
    const int64_t room = std::max<int64_t>(kFewestReserved, 2 * static_cast<int64_t>(pm.rows));
    return static_cast<int32_t>(std::min<int64_t>({wanted, room, kMostReserved}));
}

int reserve_cut_rows(LpContext* ctx) {
    ProblemModel& pm = ctx->model;
    CutState& cuts = ctx->cuts;
    const int32_t count = cut_rows_wanted(ctx);
    if (count == 0) return kRunOk;
    const int32_t first = pm.rows;
    char name[kMaxNameLength];
    for (int32_t k = 0; k < count; ++k) {
        char text[24];
        std::snprintf(text, sizeof text, "_CUT%d", static_cast<int>(k + 1));
        copy_name(name, pm.row_name_length, text, -1);
        const int rc = write_row(ctx, first + k, empty_row(kRowFree), name);
        if (rc != 0) return rc;
    }
    // Every row-indexed list file gets zeros for the new rows.
    const ColumnListKind row_lists[] = {kListRhs, kListRange, kListRhsSen};
    for (ColumnListKind kind : row_lists)
        for (ColumnListEntry* e = pm.lists[kind].first; e != nullptr; e = e->next) {
            const int rc = write_zeros(e, first, count);
            if (rc != 0) return rc;
        }
    pm.rows = first + count;
    cuts.first_row = first;
    cuts.row_count = count;
    cuts.used_rows = 0;
    return kRunOk;
}

int locate_cut_columns(LpContext* ctx) {
    CutState& cuts = ctx->cuts;
    if (cuts.row_count == 0) return kRunOk;
    RowRecord first{};
    RowRecord last{};
    int rc = read_row(ctx, cuts.first_row, &first, nullptr);
    if (rc == 0) rc = read_row(ctx, cuts.first_row + cuts.row_count - 1, &last, nullptr);
    if (rc != 0) return rc;
    cuts.first_column = first.logical_column;
    // Anything but one block of logical columns is not the layout the cuts
    // rely on: the rows stay inert and no cut is made.
    cuts.usable = first.logical_column >= 0 && last.logical_column == first.logical_column + cuts.row_count - 1;
    return kRunOk;
}

}  // namespace tymlp
