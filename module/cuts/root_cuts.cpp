// root_cuts.cpp -- rounds of cutting planes at the root of an integer search.
#include "cuts/root_cuts.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "base/context_memory.h"
#include "base/host_link.h"
#include "cuts/cut_families.h"
#include "cuts/cut_rows_lp.h"
#include "integer/bb_internal.h"
#include "simplex/phases.h"
#include "simplex/work_store.h"

namespace tymlp {
namespace {

constexpr int kMsgRootBound = 440;
constexpr int kMsgCutCounts = 441;
constexpr int kMsgCutRefuted = 442;
constexpr int kMsgRoundUndone = 443;
constexpr int kMsgStrengthenedRows = 444;

// A cut slack by more than this (relative to its right-hand side) is
// taken out again after its round.
constexpr double kRetireSlack = 1e-6;
// The bound has stalled when a round moves it by less than this share.
constexpr double kStallShare = 1e-5;
constexpr int kStalledRoundsToStop = 2;
// How far the known solution may violate a cut before the cut is refused.
constexpr double kCheckTolerance = 1e-6;

const char* family_name(int32_t family) {
    int32_t count = 0;
    const CutSeparator* const* table = cut_separators(&count);
    for (int32_t k = 0; k < count; ++k)
        if (table[k]->family == family) return table[k]->name;
    return "cut";
}

// The dual phase on the LP with the new rows: its prices stay feasible (the
// new logical columns are basic and cost nothing), only the cut rows are
// violated.  No cutoff may stop it: it is no node of a search.
int resolve_with_cuts(LpContext* ctx) {
    const double cutoff = ctx->bb.cutoff;
    ctx->bb.cutoff = -ctx->options.infinity;
    EnterPhase(ctx, kPhase3, false);
    int code = RunPhase(ctx, DualPhase);
    if (code == kStopNestedFailed) code = ctx->solver.run_status;
    ctx->solver.run_status = kRunOk;
    ctx->bb.cutoff = cutoff;
    return code;
}

// The logical coefficient v of a reserved row (its logical column's only
// entry), for the known solution's value of that column.
double logical_coefficient(LpContext* ctx, int32_t column) {
    const double* values = nullptr;
    const int32_t* rows = nullptr;
    int32_t count = 0;
    if (FetchColumn(ctx, column, &values, &rows, &count) != 0 || count < 1) return 0.0;
    return values[0];
}

// Whether the known integer solution keeps the cut; a cut it violates is
// said and refused.
bool refuted_by_known_point(LpContext* ctx, const CutCandidate& cut) {
    const double* point = ctx->cuts.known_point;
    if (point == nullptr) return false;
    const double violation = cut_violation(cut, point);
    if (!(violation > kCheckTolerance * std::max(1.0, std::fabs(cut.rhs)))) return false;
    ++ctx->cuts.rejected_by_check;
    const TymArg args[] = {arg_text(family_name(cut.family)), arg_double(violation)};
    host_message(kMsgCutRefuted, 2, args);
    return true;
}

// The known solution's value of the new row's logical column.
void extend_known_point(LpContext* ctx, const CutCandidate& cut, int32_t row) {
    CutState& cuts = ctx->cuts;
    if (cuts.known_point == nullptr) return;
    const int32_t s = cuts.first_column + (row - cuts.first_row);
    const double v = logical_coefficient(ctx, s);
    cuts.known_point[s] = v != 0.0 ? -cut_violation(cut, cuts.known_point) / v : 0.0;
}

// The round's cuts taken out again and the basis before them restored.
int undo_round(LpContext* ctx, const std::vector<uint8_t>& status_before, int32_t first_row, int stop_code) {
    CutState& cuts = ctx->cuts;
    std::memcpy(ctx->form.status, status_before.data(), status_before.size());
    for (int32_t r = first_row; r < cuts.first_row + cuts.used_rows; ++r) {
        retire_cut(ctx, r);
        --cuts.retired;
    }
    const TymArg arg = arg_int(stop_code);
    host_message(kMsgRoundUndone, 1, &arg);
    const int rc = refresh_after_cuts(ctx);
    if (rc != 0) return rc;
    resolve_with_cuts(ctx);
    return 0;
}

// One round: separate, choose, install, solve.  *go_on says whether
// another round may follow.
int cut_round(LpContext* ctx, int32_t limit, bool* go_on) {
    CutState& cuts = ctx->cuts;
    *go_on = false;
    CutPool pool;
    int32_t count = 0;
    const CutSeparator* const* table = cut_separators(&count);
    for (int32_t k = 0; k < count; ++k) {
        const int rc = table[k]->separate(ctx, pool);
        if (rc != 0) return rc;
    }
    const std::vector<const CutCandidate*> chosen = select_cuts(pool, limit);
    const int32_t n = ctx->model.columns;
    const std::vector<uint8_t> status_before(ctx->form.status, ctx->form.status + n);
    const int32_t first_row = cuts.first_row + cuts.used_rows;
    int32_t added[kCutFamilies] = {};
    int32_t installed = 0;
    for (const CutCandidate* cut : chosen) {
        if (refuted_by_known_point(ctx, *cut)) continue;
        int32_t row = -1;
        const int rc = install_cut(ctx, *cut, &row);
        if (rc != 0) return rc;
        if (row < 0) break;
        extend_known_point(ctx, *cut, row);
        ++added[cut->family];
        ++installed;
    }
    if (installed == 0) return 0;
    int rc = refresh_after_cuts(ctx);
    if (rc == kRunMemory || rc == kRunIo) return rc;
    const int code = rc == 0 ? resolve_with_cuts(ctx) : rc;
    if (code != kStopFinished) return undo_round(ctx, status_before, first_row, code);
    for (int32_t f = 0; f < kCutFamilies; ++f) cuts.added[f] += added[f];
    ++cuts.rounds;
    retire_slack_cuts(ctx, kRetireSlack);
    *go_on = cuts.used_rows < cuts.row_count;
    return 0;
}

void report_rounds(LpContext* ctx) {
    const CutState& cuts = ctx->cuts;
    // In the user's units: the objective column's scale taken out, the
    // sense put back.
    const ObjectiveRecord* obj = ctx->model.current_objective;
    const double sense = obj != nullptr ? obj->sense : 1.0;
    const double column_scale = obj != nullptr && obj->column >= 0 ? ctx->form.column_scale[obj->column] : 1.0;
    const double scale = column_scale > 0.0 ? column_scale : 1.0;
    const TymArg bounds[] = {arg_int(cuts.rounds), arg_double(cuts.root_bound_before * sense / scale),
                             arg_double(cuts.root_bound_after * sense / scale)};
    host_message(kMsgRootBound, 3, bounds);
    const TymArg counts[] = {arg_int(cuts.added[kCutGomory]), arg_int(cuts.added[kCutKnapsackCover]),
                             arg_int(cuts.added[kCutMixedRounding]), arg_int(cuts.retired)};
    host_message(kMsgCutCounts, 4, counts);
    if (cuts.added[kCutStrengthenedRow] > 0) {
        const TymArg strengthened = arg_int(cuts.added[kCutStrengthenedRow]);
        host_message(kMsgStrengthenedRows, 1, &strengthened);
    }
}

}  // namespace

int keep_known_point(LpContext* ctx) {
    CutState& cuts = ctx->cuts;
    if (ctx->options.cutcheck == 0 || !cut_rows_reserved(cuts)) return 0;
    const int32_t n = ctx->model.columns;
    if (cuts.known_point == nullptr) cuts.known_point = ctx_alloc_array<double>(ctx, n);
    if (cuts.known_point == nullptr) return kRunMemory;
    std::copy(ctx->form.value, ctx->form.value + n, cuts.known_point);
    return 0;
}

int run_root_cuts(LpContext* ctx) {
    CutState& cuts = ctx->cuts;
    if (!cut_rows_reserved(cuts) || cuts.usable == 0 || ctx->options.cutpasses <= 0) return 0;
    int rc = prepare_cut_rows(ctx);
    if (rc != 0) return rc;
    if (cuts.root_status == nullptr) cuts.root_status = ctx_alloc_array<uint8_t>(ctx, ctx->model.columns);
    if (cuts.root_status == nullptr) return kRunMemory;
    std::memcpy(cuts.root_status, ctx->form.status, static_cast<size_t>(ctx->model.columns));
    cuts.root_bound_before = current_z(ctx);
    const int32_t per_round = std::max<int32_t>(1, cuts.row_count / std::max(1, ctx->options.cutpasses));
    double last = cuts.root_bound_before;
    int stalled = 0;
    for (int32_t round = 0; round < ctx->options.cutpasses; ++round) {
        bool go_on = false;
        const int32_t room = cuts.row_count - cuts.used_rows;
        rc = cut_round(ctx, std::min(per_round, room), &go_on);
        if (rc != 0) return rc;
        if (!go_on) break;
        const double z = current_z(ctx);
        stalled = last - z <= kStallShare * std::max(1.0, std::fabs(z)) ? stalled + 1 : 0;
        last = z;
        if (stalled >= kStalledRoundsToStop) break;
    }
    cuts.root_bound_after = current_z(ctx);
    report_rounds(ctx);
    return 0;
}

}  // namespace tymlp
