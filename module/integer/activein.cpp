// activein.cpp -- the ACTIVEIN reader.
#include "integer/activein.h"

#include <cmath>
#include <cstring>

#include "base/context_memory.h"
#include "base/host_link.h"
#include "input/model_records.h"
#include "input/reader_common.h"
#include "input/reader_vars.h"
#include "integer/adopt_incumbent.h"
#include "integer/branch_bound.h"
#include "integer/node_records.h"
#include "integer/node_store.h"

namespace tymlp {
namespace {

constexpr int kMsgMissingVariable = 191;
constexpr int kMsgMissingColumn = 192;
constexpr int kMsgNotBetter = 193;
constexpr int kMsgReplacesIncumbent = 194;
constexpr int kMsgUnpaired = 195;
constexpr int kMsgLpFailed = 196;
constexpr int kMaxActiveName = 32;
constexpr int kReadObservation = 0;
constexpr int64_t kMostIntegerIterations = 2147483646;

enum Field { kObjId, kRhsId, kStatus, kProb, kObject, kSinfea, kProjec, kPseudo, kFieldCount };
const char* const kNames[kFieldCount] = {"_OBJ_ID_", "_RHS_ID_", "_STATUS_", "_PROB_",
                                         "_OBJECT_", "_SINFEA_", "_PROJEC_", "_PSEUDO_"};

struct ActiveIn {
    TymDataIn ds;
    char text[3][kMaxNameLength + 1];  // _OBJ_ID_, _RHS_ID_, _STATUS_
    double number[kFieldCount];        // the numeric fields by Field
    double* values;                    // one per integer variable
    int32_t count;                     // integer variables
};

int trimmed(const char* s, int width) {
    while (width > 0 && (s[width - 1] == ' ' || s[width - 1] == '\0')) --width;
    return width;
}

bool same(const char* field, int width, const char* name, int name_width) {
    const int a = trimmed(field, width);
    const int b = trimmed(name, name_width);
    return a == b && std::memcmp(field, name, static_cast<size_t>(a)) == 0;
}

int bind(LpContext* ctx, ActiveIn& in) {
    for (int k = 0; k < kFieldCount; ++k) {
        DataVar var{};
        if (!find_data_var(in.ds, kNames[k], &var)) {
            host_message(kMsgMissingVariable);
            return kRunBadData;
        }
        const bool text = k <= kStatus;
        if (text != (var.type == TYM_VAR_CHAR)) {
            host_message(kMsgMissingVariable);
            return kRunBadData;
        }
        const int length = text ? (var.length < kMaxNameLength ? var.length : kMaxNameLength) : 8;
        void* field = text ? static_cast<void*>(in.text[k]) : static_cast<void*>(&in.number[k]);
        if (host_data_bind(in.ds, var.number, field, length) != 0) return kRunIo;
    }
    in.values = ctx_alloc_array<double>(ctx, in.count, TYM_ALLOC_STEP_ZERO);
    if (in.values == nullptr) return kRunMemory;
    int k = 0;
    for (const IntegerVariable* v = ctx->bb.variables; v != nullptr; v = v->next, ++k) {
        ColumnRecord rec{};
        char name[kMaxNameLength + 1];
        int rc = read_column(ctx, v->column, &rec, name);
        if (rc != 0) return rc;
        int length = trimmed(name, ctx->model.column_name_length);
        if (length > kMaxActiveName) length = kMaxActiveName;
        name[length] = '\0';
        DataVar var{};
        if (!find_data_var(in.ds, name, &var) || var.type != TYM_VAR_NUMERIC) {
            const TymArg args[] = {arg_int(length), arg_text(name, length)};
            host_message(kMsgMissingColumn, 2, args);
            return kRunBadData;
        }
        if (host_data_bind(in.ds, var.number, &in.values[k], 8) != 0) return kRunIo;
    }
    return 0;
}

bool is_missing(double v) { return host_missing_kind(v) != 0 || std::isnan(v); }

double sense(const LpContext* ctx) {
    const ObjectiveRecord* obj = ctx->model.current_objective;
    return obj != nullptr ? obj->sense : 1.0;
}

// Sets one bound (0 lower, 1 upper) of every integer variable from the
// observation, in the scaled units of the form.
void set_bounds(LpContext* ctx, const ActiveIn& in, int which) {
    ComputationalForm& f = ctx->form;
    int k = 0;
    for (const IntegerVariable* v = ctx->bb.variables; v != nullptr; v = v->next, ++k) {
        const int32_t j = v->column;
        const double internal = in.values[k] * f.column_scale[j];
        if (which == 0)
            f.lower[j] = internal;
        else
            f.upper[j] = internal;
    }
}

ActiveNode* new_node(LpContext* ctx, const ActiveIn& in, double objective, int32_t stamp) {
    ActiveNode* node = allocate_node(ctx);
    node->bound = objective;
    node->error = objective;
    node->projection = in.number[kProjec];
    node->estimate = in.number[kPseudo];
    node->infeasibility = in.number[kSinfea];
    node->stamp = stamp;
    return node;
}

// The best integer solution of the earlier run: its integer columns fixed,
// its LP solved with the dual phase; it becomes the incumbent.
int take_incumbent(LpContext* ctx, const ActiveIn& in, double objective) {
    BbState& bb = ctx->bb;
    if (bb.incumbent != nullptr && bb.incumbent->bound > objective) {
        host_message(kMsgNotBetter);
        return 0;
    }
    const bool had_incumbent = bb.incumbent != nullptr;
    Adoption adoption = Adoption::kFailed;
    const int rc = adopt_integer_solution(ctx, in.values, new_node(ctx, in, objective, 0), false, &adoption);
    if (rc != 0) return rc;
    if (adoption == Adoption::kFailed) {
        host_message(kMsgLpFailed);
        return kRunBadData;
    }
    if (adoption == Adoption::kAdopted) {
        if (had_incumbent)
            host_message(kMsgReplacesIncumbent);
        else
            ++bb.feasible_count;
    }
    return 0;
}

int read_observations(LpContext* ctx, ActiveIn& in) {
    BbState& bb = ctx->bb;
    const ObjectiveRecord* obj = ctx->model.current_objective;
    const ColumnListEntry* rhs = ctx->model.current_rhs;
    const double scale = bb.objective_scale != 0 ? bb.objective_scale : 1.0;
    int32_t waiting = 0;  // the stamp of a LOWERBD observation waiting for its UPPERBD (0: none)
    for (;;) {
        const int status = host_data_read_next(in.ds);
        if (status < kReadObservation) return kRunIo;
        if (status > kReadObservation) return 0;
        double objective = in.number[kObject];
        const bool has_objective = !is_missing(objective);
        if (has_objective) objective = objective * scale * sense(ctx);
        if (obj == nullptr || rhs == nullptr ||
            !same(in.text[kObjId], kMaxNameLength, objective_name(const_cast<ObjectiveRecord*>(obj)),
                  ctx->model.row_name_length) ||
            !same(in.text[kRhsId], kMaxNameLength, rhs->name, ctx->model.column_name_length))
            continue;
        const int32_t problem = is_missing(in.number[kProb]) ? 0 : static_cast<int32_t>(in.number[kProb]);
        if (std::strncmp(in.text[kStatus], "INTBEST", 7) == 0) {
            bb.iteration += problem;
            // The limit counts the new iterations; it saturates where the
            // option's range ends.
            const int64_t limit = static_cast<int64_t>(ctx->options.imaxit) + problem;
            ctx->options.imaxit = static_cast<int32_t>(limit > kMostIntegerIterations ? kMostIntegerIterations : limit);
            if (!has_objective) continue;
            const int rc = take_incumbent(ctx, in, objective);
            if (rc != 0) return rc;
        } else if (std::strncmp(in.text[kStatus], "LOWERBD", 7) == 0) {
            if (waiting != 0) {
                const TymArg args[] = {arg_text("LOWERBD"), arg_text("UPPERBD")};
                host_message(kMsgUnpaired, 2, args);
            }
            waiting = problem != 0 ? problem : 1;
            set_bounds(ctx, in, 0);
        } else {
            if (waiting != (problem != 0 ? problem : 1)) {
                const TymArg args[] = {arg_text("UPPERBD"), arg_text("LOWERBD")};
                host_message(kMsgUnpaired, 2, args);
            }
            waiting = 0;
            set_bounds(ctx, in, 1);
            ActiveNode* node = new_node(ctx, in, has_objective ? objective : bb.cutoff, problem);
            int rc = save_node(ctx, node);
            if (rc == 0) rc = add_node(ctx, node);
            if (rc != 0) return rc;
        }
    }
}

}  // namespace

int read_activein(LpContext* ctx) {
    HostHandles& h = ctx->handles;
    if (h.data_given[kDsActiveIn] == 0 || h.activein == nullptr) return 0;
    if (host_data_rewind(h.activein) != 0) return kRunIo;
    ActiveIn in{};
    in.ds = h.activein;
    for (const IntegerVariable* v = ctx->bb.variables; v != nullptr; v = v->next) ++in.count;
    int rc = bind(ctx, in);
    if (rc == 0) rc = read_observations(ctx, in);
    // The bindings point into this frame: undo them.
    const int vars = host_data_var_count(in.ds);
    for (int v = 1; v <= vars; ++v) host_data_bind(in.ds, v, nullptr, 0);
    ctx_free(ctx, in.values);
    const int restored = restore_root_node(ctx);
    return rc != 0 ? rc : restored;
}

}  // namespace tymlp
