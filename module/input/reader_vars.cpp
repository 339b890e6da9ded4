// reader_vars.cpp -- special variables of the problem data set.
#include "input/reader_vars.h"

#include <cstring>

#include "base/host_link.h"

namespace tymlp {
namespace {

const char* type_word(int type) { return type == TYM_VAR_CHAR ? "character" : "numeric"; }

bool listed_already(const DataVar* vars, int count, int number) {
    for (int k = 0; k < count; ++k)
        if (vars[k].number == number) return true;
    return false;
}

}  // namespace

bool data_var(TymDataIn ds, int number, DataVar* out) {
    *out = DataVar{};
    int type = 0;
    int length = 0;
    if (host_data_var_info(ds, number, out->name, &type, &length) != 0) return false;
    out->name[kVarNameBytes - 1] = '\0';
    out->number = number;
    out->type = type;
    out->length = length;
    return true;
}

bool find_data_var(TymDataIn ds, const char* name, DataVar* out) {
    const int number = host_data_find_var(ds, name, static_cast<int>(std::strlen(name)));
    if (number <= 0) {
        *out = DataVar{};
        return false;
    }
    return data_var(ds, number, out);
}

int check_var_type(const char* statement, const DataVar& var, int want_type) {
    if (want_type == kAnyType || var.type == want_type) return 0;
    const TymArg args[] = {arg_text(statement), arg_text(var.name), arg_text(type_word(want_type))};
    host_message(kMsgWrongType, 3, args);
    return kRunSemantic;
}

int resolve_listed(LpContext* ctx, TymDataIn ds, VarListKind kind, const char* statement, int want_type, DataVar* out,
                   int* count) {
    int result = 0;
    const VarList& list = ctx->varlists[kind];
    for (int32_t k = 0; k < list.count; ++k) {
        const char* name = list.names[k];
        DataVar var;
        if (!find_data_var(ds, name, &var)) {
            const TymArg args[] = {arg_text(statement), arg_text(name)};
            host_message(kMsgNotInData, 2, args);
            result = kRunSemantic;
            continue;
        }
        if (listed_already(out, *count, var.number)) {
            const TymArg arg = arg_text(var.name);
            host_message(kMsgListedTwice, 1, &arg);
            continue;
        }
        if (check_var_type(statement, var, want_type) != 0) {
            result = kRunSemantic;
            continue;
        }
        out[(*count)++] = var;
    }
    return result;
}

int claim_role(RoleTable& roles, const DataVar& var, int role) {
    if (var.number <= 0 || var.number >= roles.size) return 0;
    int8_t& held = roles.role[var.number];
    if (held == 0 || held == role) {
        held = static_cast<int8_t>(role);
        return 0;
    }
    const TymArg arg = arg_text(var.name);
    host_message(kMsgTwoRoles, 1, &arg);
    return kRunSemantic;
}

int open_problem_data(LpContext* ctx) {
    HostHandles& h = ctx->handles;
    if (h.data_in != nullptr) return 0;
    h.data_in = host_data_open(&h.data_ref[kDsData]);
    return h.data_in != nullptr ? 0 : kRunIo;
}

namespace {

// Only a header that declares a variable character ("$") fixes a type
// when no value is there to show it.
bool has_character_variable(TymDataIn ds) {
    const int count = host_data_var_count(ds);
    for (int v = 1; v <= count; ++v) {
        DataVar var;
        if (data_var(ds, v, &var) && var.type == TYM_VAR_CHAR) return true;
    }
    return false;
}

}  // namespace

int check_observations(TymDataIn ds) {
    constexpr int kEndOfData = 1;
    const int status = host_data_read_next(ds);
    if (status < 0) return kRunIo;
    if (status == kEndOfData && !has_character_variable(ds)) {
        const TymArg arg = arg_text(host_data_name(ds));
        host_message(kMsgNoObservations, 1, &arg);
        return kRunSemantic;
    }
    if (host_data_rewind(ds) == 0) return 0;
    host_message(kMsgRewindFailed);
    return kRunSemantic;
}

void close_problem_data(LpContext* ctx) {
    if (ctx->handles.data_in != nullptr) host_data_close(ctx->handles.data_in);
    ctx->handles.data_in = nullptr;
}

void keep_type_variable(LpContext* ctx, const DataVar& var) {
    char* kept = ctx->model.type_variable;
    std::memset(kept, 0, sizeof ctx->model.type_variable);
    std::strncpy(kept, var.name, sizeof ctx->model.type_variable - 1);
}

}  // namespace tymlp
