// primalin.cpp -- reading a starting basis back from a PRIMALIN data set.
#include "input/primalin.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "base/host_link.h"
#include "input/model_records.h"
#include "input/reader_common.h"
#include "input/reader_vars.h"

namespace tymlp {
namespace {

// The character variables every PRIMALIN observation needs, in the order
// they are looked up.
enum RequiredVar : int { kObjId = 0, kRhsId, kVarName, kTypeWord, kStatusWord, kRequiredCount };
constexpr const char* kRequiredNames[kRequiredCount] = {"_OBJ_ID_", "_RHS_ID_", "_VAR_", "_TYPE_", "_STATUS_"};

// Status words are compared over their first 7 bytes ("_BASIC_ " and
// "_BASIC_" alike).
constexpr int kStatusWordBytes = 7;
constexpr int kNumericBytes = 8;
constexpr int kEndOfData = 1;
constexpr int32_t kNoColumn = -1;

struct PrimalinFields {
    char* text[kRequiredCount];  // blank-padded values (null: a numeric variable, read as blanks)
    int length[kRequiredCount];
    double numeric_sink[kRequiredCount];
    double lbound;
    double ubound;
    bool has_lbound;
    bool has_ubound;
};

bool same_name(const char* a, int a_length, const char* b, int b_length) {
    const int la = trimmed_length(a, a_length);
    const int lb = trimmed_length(b, b_length);
    return la == lb && std::memcmp(a, b, static_cast<size_t>(la)) == 0;
}

bool word_is(const char* field, int length, const char* word) {
    return field != nullptr && length >= kStatusWordBytes && std::memcmp(field, word, kStatusWordBytes) == 0;
}

int bind_failure() {
    host_status_report(-1);
    return kRunIo;
}

// Opens the data set on the first call and rewinds it on later ones.
int ready_data_set(LpContext* ctx) {
    HostHandles& h = ctx->handles;
    if (h.primalin != nullptr) return host_data_rewind(h.primalin) == 0 ? kRunOk : kRunIo;
    h.primalin = host_data_open(&h.data_ref[kDsPrimalIn]);
    if (h.primalin == nullptr) return kRunBadData;  // the host has named the data set and why
    if (ctx->model.marked_basic > 0) host_message(kMsgPrimalinReplacesMarked);
    return kRunOk;
}

int bind_fields(LpContext* ctx, ReaderBlocks& blocks, PrimalinFields* fields) {
    TymDataIn ds = ctx->handles.primalin;
    for (int k = 0; k < kRequiredCount; ++k) {
        DataVar var{};
        if (!find_data_var(ds, kRequiredNames[k], &var)) {
            host_message(kMsgPrimalinMissingVariable);
            return kRunBadData;
        }
        fields->text[k] = nullptr;
        fields->length[k] = 0;
        if (var.type != TYM_VAR_CHAR) {
            if (host_data_bind(ds, var.number, &fields->numeric_sink[k], kNumericBytes) != 0) return bind_failure();
            continue;
        }
        const int length = var.length > 0 ? var.length : 1;
        fields->text[k] = static_cast<char*>(reader_alloc(ctx, blocks, static_cast<size_t>(length)));
        if (fields->text[k] == nullptr) return kRunMemory;
        fields->length[k] = length;
        if (host_data_bind(ds, var.number, fields->text[k], length) != 0) return bind_failure();
    }
    DataVar var{};
    fields->has_lbound = find_data_var(ds, "_LBOUND_", &var) && var.type == TYM_VAR_NUMERIC;
    if (fields->has_lbound && host_data_bind(ds, var.number, &fields->lbound, kNumericBytes) != 0)
        return bind_failure();
    fields->has_ubound = find_data_var(ds, "_UBOUND_", &var) && var.type == TYM_VAR_NUMERIC;
    if (fields->has_ubound && host_data_bind(ds, var.number, &fields->ubound, kNumericBytes) != 0)
        return bind_failure();
    return kRunOk;
}

// The data set outlives this call; its fields do not.
void unbind_all(LpContext* ctx) {
    TymDataIn ds = ctx->handles.primalin;
    if (ds == nullptr) return;
    const int count = host_data_var_count(ds);
    for (int v = 1; v <= count; ++v) host_data_bind(ds, v, nullptr, 0);
}

// Every column's name, column_name_length bytes each.
int read_column_names(LpContext* ctx, ReaderBlocks& blocks, char** names) {
    const int32_t n = ctx->model.columns;
    const int width = ctx->model.column_name_length;
    *names = static_cast<char*>(reader_alloc(ctx, blocks, static_cast<size_t>(n) * static_cast<size_t>(width)));
    if (*names == nullptr) return kRunMemory;
    char name[kMaxNameLength];
    for (int32_t j = 0; j < n; ++j) {
        ColumnRecord rec{};
        const int rc = read_column(ctx, j, &rec, name);
        if (rc != 0) return rc;
        std::memcpy(*names + static_cast<size_t>(j) * width, name, static_cast<size_t>(width));
    }
    return kRunOk;
}

// Nonbasic everywhere: at the upper bound only where it is the one finite bound.
void clear_statuses(LpContext* ctx) {
    ComputationalForm& f = ctx->form;
    const double inf = ctx->options.infinity;
    for (int32_t j = 0; j < ctx->model.columns; ++j) {
        uint8_t s = static_cast<uint8_t>(f.status[j] & ~(kStatBasic | kStatAtUpper));
        if (f.lower[j] <= -inf && f.upper[j] < inf) s |= kStatAtUpper;
        f.status[j] = s;
    }
}

struct Marking {
    LpContext* ctx;
    char* names;  // column names
    int width;    // bytes of each
    int32_t phase1_column;
    int32_t last_match;
    int32_t basic_count;
};

int32_t find_column(Marking& mk, const char* name, int length) {
    const int32_t n = mk.ctx->model.columns;
    const int cut = length < mk.width ? length : mk.width;
    if (trimmed_length(name + cut, length - cut) != 0) return kNoColumn;  // longer than any column name
    for (int32_t step = 0; step < n; ++step) {
        const int32_t j = (mk.last_match + 1 + step) % n;
        if (same_name(mk.names + static_cast<size_t>(j) * mk.width, mk.width, name, cut)) return j;
    }
    return kNoColumn;
}

void report_column(int number, const char* name, int width) {
    const TymArg arg = arg_text(name, trimmed_length(name, width));
    host_message(number, 1, &arg);
}

bool finite(const LpContext* ctx, double v) {
    return !is_missing(v) && v < ctx->options.infinity && v > -ctx->options.infinity;
}

void mark_upper(Marking& mk, const PrimalinFields& fields, int32_t j) {
    LpContext* ctx = mk.ctx;
    ComputationalForm& f = ctx->form;
    const char* name = mk.names + static_cast<size_t>(j) * mk.width;
    if (j == mk.phase1_column) {
        if (fields.has_ubound && finite(ctx, fields.ubound)) {
            const double scale = f.column_scale != nullptr ? f.column_scale[j] : 1.0;
            f.upper[j] = fields.ubound * scale;
            f.status[j] = static_cast<uint8_t>(f.status[j] | kStatAtUpper);
        } else {
            report_column(kMsgPrimalinNoFiniteUpper, name, mk.width);
        }
        return;
    }
    if ((f.status[j] & kStatArtificial) != 0) {
        // Its bounds are both 0: any other upper bound is not taken.
        if (fields.has_ubound && !is_missing(fields.ubound) && fields.ubound != f.lower[j]) {
            const TymArg args[] = {arg_text(name, trimmed_length(name, mk.width)), arg_double(fields.ubound)};
            host_message(kMsgPrimalinArtificialUpper, 2, args);
        }
        f.status[j] = static_cast<uint8_t>(f.status[j] & ~kStatAtUpper);
        return;
    }
    if (f.upper[j] < ctx->options.infinity) {
        f.status[j] = static_cast<uint8_t>(f.status[j] | kStatAtUpper);
        return;
    }
    report_column(kMsgPrimalinNoFiniteUpper, name, mk.width);
}

// An integer problem's PRIMALIN holds the bounds of the node its solution
// came from (the branching narrowed them): the solution is measured with
// them.  The caller puts the problem's own bounds back afterwards.
// They narrow the problem's bounds and may never widen them: a solution
// measured with wider bounds could lie outside the problem.
int take_integer_bounds(Marking& mk, const PrimalinFields& fields, int32_t j) {
    LpContext* ctx = mk.ctx;
    ComputationalForm& f = ctx->form;
    if (ctx->model.integer_count == 0 && ctx->model.sos_count == 0) return kRunOk;
    if (j == mk.phase1_column || (f.status[j] & (kStatArtificial | kStatHeld)) != 0) return kRunOk;
    const double scale = f.column_scale != nullptr ? f.column_scale[j] : 1.0;
    const double inf = ctx->options.infinity;
    double lower = f.lower[j];
    double upper = f.upper[j];
    if (fields.has_lbound && !is_missing(fields.lbound) && fields.lbound > -inf) lower = fields.lbound * scale;
    if (fields.has_ubound && !is_missing(fields.ubound) && fields.ubound < inf) upper = fields.ubound * scale;
    const double eps = ctx->options.epsilon;
    const bool inside = lower >= f.lower[j] - eps * (1.0 + std::fabs(f.lower[j])) &&
                        upper <= f.upper[j] + eps * (1.0 + std::fabs(f.upper[j])) && lower <= upper;
    if (!inside) {
        char text[kMaxNameLength + 96];
        const char* name = mk.names + static_cast<size_t>(j) * mk.width;
        const int length = std::snprintf(text, sizeof text, "the bounds of %.*s lie outside the problem's bounds",
                                         trimmed_length(name, mk.width), name);
        const TymArg arg = arg_text(text, length < static_cast<int>(sizeof text) ? length : -1);
        host_message(kMsgPrimalinBadData, 1, &arg);
        return kRunBadData;
    }
    f.lower[j] = lower;
    f.upper[j] = upper;
    return kRunOk;
}

// One observation of the current combination.
int mark_observation(Marking& mk, const PrimalinFields& fields) {
    ComputationalForm& f = mk.ctx->form;
    const char* var = fields.text[kVarName];
    const int var_length = fields.length[kVarName];
    const int32_t j = var != nullptr ? find_column(mk, var, var_length) : kNoColumn;
    if (j == kNoColumn) {
        const int length = var != nullptr ? trimmed_length(var, var_length) : 0;
        const TymArg args[] = {arg_int(length), arg_text(var != nullptr ? var : "", length)};
        host_message(kMsgPrimalinUnknownColumn, 2, args);
        return kRunBadData;
    }
    mk.last_match = j;
    const char* status = fields.text[kStatusWord];
    const int status_length = fields.length[kStatusWord];
    if (word_is(status, status_length, "_BASIC_") || word_is(status, status_length, "_DEGEN_")) {
        if ((f.status[j] & kStatBasic) != 0) {
            // A basis names each column once: the data set is not one.
            report_column(kMsgPrimalinBasicTwice, mk.names + static_cast<size_t>(j) * mk.width, mk.width);
            return kRunBadData;
        }
        f.status[j] = static_cast<uint8_t>((f.status[j] | kStatBasic) & ~kStatAtUpper);
        ++mk.basic_count;
        return kRunOk;
    }
    if ((f.status[j] & kStatBasic) != 0) {
        f.status[j] = static_cast<uint8_t>(f.status[j] & ~kStatBasic);
        --mk.basic_count;
    }
    if (word_is(status, status_length, "_UPPER_")) {
        mark_upper(mk, fields, j);
    } else {
        f.status[j] = static_cast<uint8_t>(f.status[j] & ~kStatAtUpper);
    }
    return take_integer_bounds(mk, fields, j);
}

bool of_this_combination(LpContext* ctx, const PrimalinFields& fields) {
    ProblemModel& pm = ctx->model;
    if (fields.text[kObjId] == nullptr || fields.text[kRhsId] == nullptr) return false;
    if (pm.current_objective == nullptr) return false;
    const char* obj = objective_name(pm.current_objective);
    if (!same_name(fields.text[kObjId], fields.length[kObjId], obj, pm.row_name_length)) return false;
    const char* rhs = pm.current_rhs != nullptr ? pm.current_rhs->name : "";
    const int rhs_length = pm.current_rhs != nullptr ? pm.column_name_length : 0;
    return same_name(fields.text[kRhsId], fields.length[kRhsId], rhs, rhs_length);
}

int read_basis(LpContext* ctx, ReaderBlocks& blocks) {
    PrimalinFields fields{};
    int rc = bind_fields(ctx, blocks, &fields);
    Marking mk{ctx, nullptr, ctx->model.column_name_length, kNoColumn, -1, 0};
    if (rc == 0) rc = read_column_names(ctx, blocks, &mk.names);
    if (rc != 0) return rc;
    const ObjectiveRecord* p1 =
        ctx->model.phase1_objective != nullptr ? ctx->model.phase1_objective : ctx->model.objectives;
    if (p1 != nullptr) mk.phase1_column = p1->column;

    clear_statuses(ctx);
    // The rows reserved for cutting planes are no rows of the user's
    // problem, and empty: their logical columns are basic in any basis.
    const CutState& cuts = ctx->cuts;
    for (int32_t k = 0; k < cuts.row_count && cuts.usable != 0; ++k) {
        ctx->form.status[cuts.first_column + k] |= kStatBasic;
        ++mk.basic_count;
    }
    TymDataIn ds = ctx->handles.primalin;
    for (;;) {
        const int status = host_data_read_next(ds);
        if (status < 0) return kRunIo;
        if (status == kEndOfData) break;
        if (!of_this_combination(ctx, fields)) continue;
        rc = mark_observation(mk, fields);
        if (rc != 0) return rc;
    }
    if (mk.basic_count != ctx->model.rows) {
        host_message(kMsgPrimalinBasisSize);
        return kRunBadData;
    }
    return kRunOk;
}

}  // namespace

int mark_primalin_basis(LpContext* ctx) {
    int rc = ready_data_set(ctx);
    if (rc != 0) return rc;
    ReaderBlocks blocks{};
    rc = read_basis(ctx, blocks);
    unbind_all(ctx);
    reader_free_all(ctx, blocks);
    return rc;
}

}  // namespace tymlp
