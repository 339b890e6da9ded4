// sensitivity.cpp -- the drivers of the price and right-hand side change
// vectors: reading each vector into the scale of the solver, the pass loop
// through the breakpoints, the final report and the restore of the basis.
#include "analysis/sensitivity.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "analysis/change_walk.h"
#include "analysis/scratch_array.h"
#include "base/host_link.h"
#include "input/column_lists.h"
#include "input/model_records.h"
#include "output/table_output.h"
#include "simplex/invert.h"
#include "simplex/pricing_vector.h"
#include "simplex/primal_values.h"

namespace tymlp {
namespace {

enum GroupLabel : int { kPriceGroup = 430, kPriceVector = 431, kRhsGroup = 470, kRhsVector = 471 };

// A walk that makes no progress for this many steps per row and column of
// the problem is cycling between bases of one breakpoint.
constexpr int64_t kStepsPerDimension = 4;

struct Buffers {
    ScratchArray<double> change, w, reduced, rate;
    ScratchArray<int32_t> position, rhs_rows;
    ScratchArray<uint8_t> saved_status;
    Buffers(size_t n, size_t m, bool save)
        : change(n > m ? n : m), w(m), reduced(n), rate(n), position(n), rhs_rows(m), saved_status(save ? n : 1) {}
    bool ok() const {
        return change.ok() && w.ok() && reduced.ok() && rate.ok() && position.ok() && rhs_rows.ok() &&
               saved_status.ok();
    }
};

// The vector in the scale of the solver: a price entry p_j becomes
// p_j / (s_j r_o), a right-hand side entry q_i becomes q_i / r_i.
int read_vector(LpContext* ctx, ChangeWalk& walk, ColumnListEntry* entry) {
    const int32_t n = ctx->model.columns;
    const int32_t m = ctx->model.rows;
    std::memset(walk.change, 0, static_cast<size_t>(walk.price ? n : m) * sizeof(double));
    if (walk.price) {
        const int32_t structural = ctx->model.structural_count;
        const int rc = list_read_values(entry, 0, walk.change, structural);
        if (rc != 0) return rc;
        const double r_o = row_scale(ctx, walk.basis.objective_row);
        for (int32_t j = 0; j < structural; ++j) walk.change[j] /= column_scale(ctx, j) * r_o;
        return 0;
    }
    const int rc = list_read_values(entry, 0, walk.change, m);
    if (rc != 0) return rc;
    for (int32_t i = 0; i < m; ++i) walk.change[i] /= row_scale(ctx, i);
    return 0;
}

// Each pass of a vector has a group of its own, labelled with the vector's
// name and the pass counter, so that the breakpoints of a walk can be told
// apart.
void open_vector_group(LpContext* ctx, ChangeWalk& walk) {
    ++walk.pass;
    char text[kMaxNameLength + 32];
    std::snprintf(text, sizeof text, "%.*s, pass %d", walk.name_length, walk.name, static_cast<int>(walk.pass));
    const TymArg arg = arg_text(text);
    const Label label = catalogue_label(walk.price ? kPriceVector : kRhsVector, &arg);
    walk.group = table_open_group(ctx, "Vector", label.text);
}

// The optimal basis of the solve again: the saved status bytes, the header
// rebuilt from them, fresh factors and values.
int restore_basis(LpContext* ctx, const uint8_t* saved) {
    std::memcpy(ctx->form.status, saved, static_cast<size_t>(ctx->model.columns));
    RebuildHeader(ctx);
    int rc = Invert(ctx);
    if (rc == 0) rc = RecomputePrimal(ctx);
    if (rc == 0) PricingVector(ctx);
    return rc;
}

// The passes of one vector: the sensitivity interval, then with a target
// one step per breakpoint until the target lies inside the interval.
int walk_vector(LpContext* ctx, ChangeWalk& walk, const uint8_t* saved) {
    const int64_t step_limit = kStepsPerDimension * (static_cast<int64_t>(ctx->model.rows) + ctx->model.columns);
    const bool upward = walk.target >= 0.0;
    int64_t steps = 0;
    int32_t next_column = -1;
    bool first = true;
    int rc = 0;
    while (std::fabs(walk.phi) <= std::fabs(walk.target) && walk.stop == 0) {
        rc = walk_interval(ctx, walk);
        if (rc != 0) break;
        if (walk.group == nullptr) open_vector_group(ctx, walk);
        if (first) {
            report_sensitivity(ctx, walk);
            close_output_group(ctx, &walk.group);
            first = false;
        } else if (ctx->options.paraprint != 0) {
            report_at_phi(ctx, walk, walk.phi);
            close_output_group(ctx, &walk.group);
        } else {
            log_breakpoint(ctx, walk);
        }
        const PhiInterval& iv = walk.interval;
        walk.phi = upward ? iv.upper : iv.lower;
        next_column = upward ? iv.upper_column : iv.lower_column;
        if (std::fabs(walk.target) <= std::fabs(walk.phi)) break;
        rc = walk_step(ctx, walk);
        if (rc != 0) break;
        if (++steps > step_limit) break;
    }
    close_breakpoint_log(ctx, walk);
    close_output_group(ctx, &walk.group);
    if (rc != 0 || walk.target == 0.0) return rc;

    open_vector_group(ctx, walk);
    const double phi = walk.phi;
    rc = walk_interval(ctx, walk);
    walk.phi = phi;
    if (rc == 0) {
        if (std::fabs(phi) < ctx->options.infinity && next_column >= 0) {
            if (walk.price)
                walk.entering = next_column;
            else
                walk.leaving = next_column;
        }
        report_at_phi(ctx, walk, phi);
        if (ctx->options.pararestore != 0) rc = restore_basis(ctx, saved);
    }
    close_output_group(ctx, &walk.group);
    return rc;
}

int analyse_vectors(LpContext* ctx, bool price) {
    const ColumnList& list = ctx->model.lists[price ? kListPriceSen : kListRhsSen];
    if (!analysis_may_run(ctx, list.count > 0, kMsgIntegerSensitivity)) return 0;
    const int32_t n = ctx->model.columns;
    const int32_t m = ctx->model.rows;
    const double target = price ? ctx->options.pricephi : ctx->options.rhsphi;
    TymObject group = table_open_group(ctx, price ? "PriceSensitivityGroup" : "RhsSensitivityGroup",
                                       catalogue_label(price ? kPriceGroup : kRhsGroup).text);
    Buffers buf(static_cast<size_t>(n), static_cast<size_t>(m), target != 0.0);
    if (!buf.ok()) {
        host_message(kMsgNoAnalysisMemory);
        close_output_group(ctx, &group);
        return 0;
    }
    if (target != 0.0) std::memcpy(buf.saved_status.get(), ctx->form.status, static_cast<size_t>(n));
    int32_t rhs_row_count = 0;
    int rc = 0;
    for (int32_t i = 0; i < m && rc == 0; ++i) {
        RowRecord row{};
        rc = read_row(ctx, i, &row, nullptr);
        if (rc == 0 && i > 0 && (row.flags & kRowObjective) == 0)
            buf.rhs_rows[static_cast<size_t>(rhs_row_count++)] = i;
    }
    for (ColumnListEntry* e = list.first; e != nullptr && rc == 0; e = e->next) {
        ChangeWalk walk{};
        walk.price = price;
        walk.name = e->name;
        walk.name_length = trimmed_name_length(e->name, kMaxNameLength);
        walk.target = target;
        walk.change = buf.change.get();
        walk.w = buf.w.get();
        walk.reduced = buf.reduced.get();
        walk.rate = buf.rate.get();
        walk.position = buf.position.get();
        walk.rhs_rows = buf.rhs_rows.get();
        walk.rhs_row_count = rhs_row_count;
        walk.entering = walk.leaving = -1;
        walk.basis = report_basis(ctx);
        rc = read_vector(ctx, walk, e);
        if (rc == 0) rc = walk_vector(ctx, walk, buf.saved_status.get());
        // A kept basis is optimal for the prices or right-hand sides of its
        // last breakpoint; the next vector starts from it only while it is
        // optimal for the problem as it stands.
        if (rc == 0 && target != 0.0 && ctx->options.pararestore == 0 && !settle_kept_basis(ctx, &rc)) {
            if (rc == 0 && e->next != nullptr) host_message(kMsgNotOptimal);
            break;
        }
    }
    close_output_group(ctx, &group);
    return rc;
}

}  // namespace

int print_rhs_sensitivity(LpContext* ctx) { return analyse_vectors(ctx, false); }

int print_price_sensitivity(LpContext* ctx) { return analyse_vectors(ctx, true); }

}  // namespace tymlp
