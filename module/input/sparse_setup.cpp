// sparse_setup.cpp -- the sparse reader's special variables, name lengths,
// stores and bindings.
#include <cctype>
#include <cstring>

#include "base/host_link.h"
#include "input/model_records.h"
#include "input/sparse_state.h"

namespace tymlp {
namespace {

// Roles a variable of the sparse layout may play (one each).
enum SparseRole : int { kRoleType = 1, kRoleRow = 2, kRoleColumn = 3, kRoleCoefficient = 4 };

// Default row-name variables: names beginning with "_ROW" of at most this length.
constexpr size_t kRowPrefixMaxName = 6;
constexpr int64_t kKilobyte = 1024;
constexpr int kNumericBytes = static_cast<int>(sizeof(double));

constexpr int kMsgNamesMerged = 302;  // variable, length

struct Setup {
    SparseReader& r;
    RoleTable roles;
    DataVar* scratch;
    int var_count;
};

void fail(SparseReader& r) { r.result = kRunSemantic; }

bool begins_with(const char* name, const char* prefix) {
    for (; *prefix != '\0'; ++name, ++prefix)
        if (std::toupper(static_cast<unsigned char>(*name)) != *prefix) return false;
    return true;
}

void no_variable(const char* statement, const char* default_name) {
    const TymArg args[] = {arg_text(statement), arg_text(default_name)};
    host_message(kMsgNoVariable, 2, args);
}

void only_one(const char* statement) {
    const TymArg arg = arg_text(statement);
    host_message(kMsgOnlyOne, 1, &arg);
}

// A name variable whose values the host cut to its length so that two
// different names became one: the problem would silently merge two rows or
// two columns.  The host's WARNING has named both values.
bool names_merged(const SparseReader& r, const DataVar& var) {
    if ((host_data_var_findings(r.ds, var.number) & TYM_FOUND_MERGED) == 0) return false;
    const TymArg args[] = {arg_text(var.name), arg_int(var.length)};
    host_message(kMsgNamesMerged, 2, args);
    r.ctx->model.data_fault_named = true;
    return true;
}

// Data set variables whose names begin with `prefix` (and are at most
// `max_name` long when it is not 0), in data set order; each must have
// `want_type`.  Returns how many were kept in out[]; *seen counts every
// variable with the prefix, kept or refused for its type.
int by_prefix(Setup& s, const char* prefix, size_t max_name, const char* statement, int want_type, DataVar* out,
              int* seen) {
    int count = 0;
    for (int v = 1; v <= s.var_count; ++v) {
        DataVar var;
        if (!data_var(s.r.ds, v, &var) || !begins_with(var.name, prefix)) continue;
        if (max_name != 0 && std::strlen(var.name) > max_name) continue;
        ++*seen;
        if (check_var_type(statement, var, want_type) != 0) {
            fail(s.r);
            continue;
        }
        out[count++] = var;
    }
    return count;
}

// A statement's one variable, else the exact default name, else the first
// variable with the default prefix.
bool resolve_single(Setup& s, VarListKind kind, const char* statement, const char* default_name, const char* prefix,
                    DataVar* out) {
    SparseReader& r = s.r;
    int count = 0;
    int seen = 0;  // variables found that the messages have refused
    if (r.ctx->varlists[kind].count > 0) {
        if (resolve_listed(r.ctx, r.ds, kind, statement, TYM_VAR_CHAR, s.scratch, &count) != 0) fail(r);
        if (count > 1) {
            only_one(statement);
            fail(r);
        }
    } else if (find_data_var(r.ds, default_name, &s.scratch[0])) {
        if (check_var_type(statement, s.scratch[0], TYM_VAR_CHAR) == 0)
            count = 1;
        else
            fail(r);
        seen = 1;
    } else if (prefix != nullptr) {
        count = by_prefix(s, prefix, 0, statement, TYM_VAR_CHAR, s.scratch, &seen) > 0 ? 1 : 0;
    }
    if (count == 0) {
        // "No variable found" only when none was: a variable of the wrong
        // type has had its own message.
        if (!r.ctx->varlists[kind].count && seen == 0) no_variable(statement, default_name);
        fail(r);
        return false;
    }
    *out = s.scratch[0];
    return true;
}

// Row-name variables: the ROW statement, else the ID statement, else the
// "_ROW" variables, else the "_ID" ones.
int resolve_rows(Setup& s, DataVar* out) {
    SparseReader& r = s.r;
    LpContext* ctx = r.ctx;
    int count = 0;
    if (ctx->varlists[kVarRow].count > 0) {
        if (resolve_listed(ctx, r.ds, kVarRow, "ROW", TYM_VAR_CHAR, out, &count) != 0) fail(r);
    } else if (ctx->varlists[kVarId].count > 0) {
        if (resolve_listed(ctx, r.ds, kVarId, "ID", TYM_VAR_CHAR, out, &count) != 0) fail(r);
    } else {
        int seen = 0;
        count = by_prefix(s, "_ROW", kRowPrefixMaxName, "ROW", TYM_VAR_CHAR, out, &seen);
        if (count == 0) count = by_prefix(s, "_ID", 0, "ROW", TYM_VAR_CHAR, out, &seen);
        if (count == 0 && seen == 0) no_variable("ROW", "_ROW_");
    }
    if (count == 0) fail(r);
    return count;
}

int resolve_coefficients(Setup& s, DataVar* out) {
    SparseReader& r = s.r;
    int count = 0;
    if (r.ctx->varlists[kVarCoefficient].count > 0) {
        if (resolve_listed(r.ctx, r.ds, kVarCoefficient, "COEFFICIENT", TYM_VAR_NUMERIC, out, &count) != 0) fail(r);
    } else {
        int seen = 0;
        count = by_prefix(s, "_COEF", 0, "COEFFICIENT", TYM_VAR_NUMERIC, out, &seen);
        if (count == 0 && seen == 0) no_variable("COEFFICIENT", "_COEF_");
    }
    if (count == 0) fail(r);
    return count;
}

// Returns 0, 9, or 11 when reading cannot start.
int resolve_variables(Setup& s) {
    SparseReader& r = s.r;
    const bool has_type = resolve_single(s, kVarType, "TYPE", "_TYPE_", nullptr, &r.type_var);
    const bool has_column = resolve_single(s, kVarColumn, "COLUMN", "_COL_", "_COL", &r.column_var);

    auto* rows =
        static_cast<DataVar*>(reader_alloc(r.ctx, r.blocks, sizeof(DataVar) * static_cast<size_t>(s.var_count + 1)));
    auto* coefs =
        static_cast<DataVar*>(reader_alloc(r.ctx, r.blocks, sizeof(DataVar) * static_cast<size_t>(s.var_count + 1)));
    if (rows == nullptr || coefs == nullptr) return kRunMemory;
    const int row_count = resolve_rows(s, rows);
    const int coef_count = resolve_coefficients(s, coefs);
    if (row_count != coef_count && row_count > 0 && coef_count > 0) {
        host_message(kMsgRowCoefMismatch);
        fail(r);
    }
    r.pairs = row_count < coef_count ? row_count : coef_count;
    r.row_vars = rows;
    r.coef_vars = coefs;

    if (has_type && claim_role(s.roles, r.type_var, kRoleType) != 0) fail(r);
    if (has_column && claim_role(s.roles, r.column_var, kRoleColumn) != 0) fail(r);
    for (int k = 0; k < row_count; ++k)
        if (claim_role(s.roles, rows[k], kRoleRow) != 0) fail(r);
    for (int k = 0; k < coef_count; ++k)
        if (claim_role(s.roles, coefs[k], kRoleCoefficient) != 0) fail(r);
    // Merged names stop the reader before it reads: every observation after
    // would only repeat the merge as duplicate coefficients.
    bool merged = has_column && names_merged(r, r.column_var);
    for (int k = 0; k < row_count; ++k)
        if (names_merged(r, rows[k])) merged = true;
    if (merged) fail(r);
    if (has_type) keep_type_variable(r.ctx, r.type_var);
    return has_type && has_column && r.pairs > 0 && !merged ? 0 : kRunSemantic;
}

int clamp_name_length(int length) {
    if (length < kDefaultNameLength) return kDefaultNameLength;
    return length > kMaxNameLength ? kMaxNameLength : length;
}

// Names are as long as the variables that carry them (8 at least, 64 at most).
void choose_name_lengths(SparseReader& r) {
    int rows = 0;
    for (int k = 0; k < r.pairs; ++k)
        if (r.row_vars[k].length > rows) rows = r.row_vars[k].length;
    ProblemModel& m = r.ctx->model;
    m.row_name_length = clamp_name_length(rows);
    m.column_name_length = clamp_name_length(r.column_var.length);
}

// Long names are kept whole only when a variable can hold more than the
// width; otherwise the check has nothing to do (no buffer).
bool long_names_init(SparseReader& r, LongNames& names, int width, int variable_length) {
    names = LongNames{};
    name_tree_init(&names.cut, width);
    name_tree_init(&names.whole, variable_length > width ? variable_length : width);
    if (variable_length <= width) return true;
    names.buffer = static_cast<char*>(reader_alloc(r.ctx, r.blocks, static_cast<size_t>(variable_length)));
    return names.buffer != nullptr;
}

int bind_failure() {
    host_status_report(-1);
    return kRunIo;
}

int bind_fields(SparseReader& r) {
    LpContext* ctx = r.ctx;
    r.type_value = static_cast<char*>(reader_alloc(ctx, r.blocks, static_cast<size_t>(r.type_var.length)));
    r.column_value = static_cast<char*>(reader_alloc(ctx, r.blocks, static_cast<size_t>(r.column_var.length)));
    r.row_values = static_cast<char**>(reader_alloc(ctx, r.blocks, sizeof(char*) * static_cast<size_t>(r.pairs)));
    r.coef_values = static_cast<double*>(reader_alloc(ctx, r.blocks, sizeof(double) * static_cast<size_t>(r.pairs)));
    int64_t row_bytes = 0;
    for (int k = 0; k < r.pairs; ++k) row_bytes += r.row_vars[k].length;
    char* row_fields = static_cast<char*>(reader_alloc(ctx, r.blocks, static_cast<size_t>(row_bytes)));
    if (r.type_value == nullptr || r.column_value == nullptr || r.row_values == nullptr || r.coef_values == nullptr ||
        row_fields == nullptr)
        return kRunMemory;
    if (host_data_bind(r.ds, r.type_var.number, r.type_value, r.type_var.length) != 0) return bind_failure();
    if (host_data_bind(r.ds, r.column_var.number, r.column_value, r.column_var.length) != 0) return bind_failure();
    for (int k = 0; k < r.pairs; ++k) {
        r.row_values[k] = row_fields;
        row_fields += r.row_vars[k].length;
        if (host_data_bind(r.ds, r.row_vars[k].number, r.row_values[k], r.row_vars[k].length) != 0)
            return bind_failure();
        if (host_data_bind(r.ds, r.coef_vars[k].number, &r.coef_values[k], kNumericBytes) != 0) return bind_failure();
    }
    return 0;
}

// Row 0 is the phase-1 objective.
int create_phase1(SparseReader& r) {
    RowRecord rec;
    char name[kMaxNameLength];
    int rc = make_phase1_objective(r.ctx, &rec, name);
    if (rc != 0) return rc;
    r.ctx->model.rows = 0;
    if (sparse_new_row(r, kRowObjective, name) < 0) return kRunMemory;
    r.row_recs[0] = rec;
    return 0;
}

}  // namespace

int sparse_setup(SparseReader& r) {
    LpContext* ctx = r.ctx;
    const int var_count = host_data_var_count(r.ds);
    Setup s{r, RoleTable{}, nullptr, var_count > 0 ? var_count : 0};
    s.roles.size = s.var_count + 1;
    s.roles.role = static_cast<int8_t*>(reader_alloc(ctx, r.blocks, static_cast<size_t>(s.roles.size)));
    s.scratch = static_cast<DataVar*>(reader_alloc(ctx, r.blocks, sizeof(DataVar) * static_cast<size_t>(s.roles.size)));
    if (s.roles.role == nullptr || s.scratch == nullptr) return kRunMemory;
    const int resolved = resolve_variables(s);
    if (resolved != 0) return resolved;

    choose_name_lengths(r);
    name_tree_init(&r.rows, ctx->model.row_name_length);
    name_tree_init(&r.columns, ctx->model.column_name_length);
    int longest_row = 0;
    for (int k = 0; k < r.pairs; ++k)
        if (r.row_vars[k].length > longest_row) longest_row = r.row_vars[k].length;
    if (!long_names_init(r, r.long_rows, ctx->model.row_name_length, longest_row) ||
        !long_names_init(r, r.long_columns, ctx->model.column_name_length, r.column_var.length))
        return kRunMemory;
    int rc = open_model_stores(ctx);
    if (rc == 0) rc = create_phase1(r);
    if (rc == 0) {
        const int64_t window =
            static_cast<int64_t>(ctx->options.readmemory) * kKilobyte / static_cast<int64_t>(sizeof(CoefEntry)) + 1;
        rc = coef_window_open(ctx, &r.window, window);
    }
    if (rc == 0) rc = bind_fields(r);
    return rc;
}

}  // namespace tymlp
