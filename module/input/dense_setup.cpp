// dense_setup.cpp -- the dense reader's setup: special variables,
// structural columns, stores, value columns and the phase-1 objective.
#include <cctype>
#include <cstring>

#include "base/host_link.h"
#include "input/column_lists.h"
#include "input/dense_state.h"
#include "input/model_records.h"

namespace tymlp {
namespace {

enum DenseSetupMessage : int {
    kMsgColumnReadAsText = 300,  // variable
    kMsgIdBecomesColumn = 301    // variable
};

// Roles a variable of the dense layout may play (one each).
enum DenseRole : int { kRoleType = 1, kRoleId = 2, kRoleRhs = 3, kRoleRange = 4, kRoleRhsSen = 5, kRoleVar = 6 };

// Longest variable name of a data set.
constexpr int kMaxVarName = kVarNameBytes - 1;
constexpr int64_t kCoefEntryBytes = static_cast<int64_t>(sizeof(CoefEntry));
constexpr int64_t kKilobyte = 1024;

struct Setup {
    DenseReader& r;
    RoleTable roles;
    DataVar* scratch;  // room for every variable of the data set
    int var_count;
};

void fail(DenseReader& r, int rc) {
    if (rc != 0 && r.result == 0) r.result = rc;
}

// A statement that lists variables, or the default variable when it does not.
bool list_given(const LpContext* ctx, VarListKind kind) { return ctx->varlists[kind].count > 0; }

// The type variable: the TYPE statement's one variable, else "_TYPE_".
void resolve_type(Setup& s) {
    DenseReader& r = s.r;
    int count = 0;
    if (list_given(r.ctx, kVarType)) {
        fail(r, resolve_listed(r.ctx, r.ds, kVarType, "TYPE", TYM_VAR_CHAR, s.scratch, &count));
        if (count > 1) {
            const TymArg arg = arg_text("TYPE");
            host_message(kMsgOnlyOne, 1, &arg);
            fail(r, kRunSemantic);
        }
    } else if (find_data_var(r.ds, "_TYPE_", &s.scratch[0])) {
        if (check_var_type("TYPE", s.scratch[0], TYM_VAR_CHAR) == 0)
            count = 1;
        else
            fail(r, kRunSemantic);
    } else {
        const TymArg args[] = {arg_text("TYPE"), arg_text("_TYPE_")};
        host_message(kMsgNoVariable, 2, args);
        fail(r, kRunSemantic);
    }
    if (count >= 1) {
        r.has_type = true;
        r.type_var = s.scratch[0];
        fail(r, claim_role(s.roles, r.type_var, kRoleType));
    }
}

// Names the dense reader looks for, in this order, when no ID statement
// names the row-name variable.
constexpr const char* kDefaultIdNames[] = {"_ID_", "_ROW_"};

bool same_name(const char* a, const char* b) {
    for (; *a != '\0' && *b != '\0'; ++a, ++b)
        if (std::toupper(static_cast<unsigned char>(*a)) != std::toupper(static_cast<unsigned char>(*b))) return false;
    return *a == *b;
}

bool is_default_id_name(const char* name) {
    for (const char* id : kDefaultIdNames)
        if (same_name(name, id)) return true;
    return false;
}

// A default row-name variable: usable when it is character, otherwise
// message 229 and rows are named by observation number.
bool default_id(DenseReader& r, const char* name, DataVar* out) {
    if (!find_data_var(r.ds, name, out)) return false;
    if (out->type == TYM_VAR_CHAR) return true;
    const TymArg arg = arg_text(name);
    host_message(kMsgIdUnusable, 1, &arg);
    return false;
}

void resolve_id(Setup& s) {
    DenseReader& r = s.r;
    int count = 0;
    if (list_given(r.ctx, kVarId)) {
        fail(r, resolve_listed(r.ctx, r.ds, kVarId, "ID", TYM_VAR_CHAR, s.scratch, &count));
        if (count > 1) {
            host_message(kMsgOneId);
            fail(r, kRunSemantic);
        }
    } else if (default_id(r, kDefaultIdNames[0], &s.scratch[0]) || default_id(r, kDefaultIdNames[1], &s.scratch[0])) {
        count = 1;
    }
    if (count >= 1) {
        r.has_id = true;
        r.id_var = s.scratch[0];
        fail(r, claim_role(s.roles, r.id_var, kRoleId));
    }
}

// Numeric variables of a list statement, or its default variable.  Returns
// the count kept in out[].
int resolve_numeric(Setup& s, VarListKind kind, const char* statement, const char* default_name, DataVar* out) {
    DenseReader& r = s.r;
    int count = 0;
    if (list_given(r.ctx, kind)) {
        fail(r, resolve_listed(r.ctx, r.ds, kind, statement, TYM_VAR_NUMERIC, out, &count));
    } else if (find_data_var(r.ds, default_name, &out[0])) {
        if (check_var_type(statement, out[0], TYM_VAR_NUMERIC) == 0)
            count = 1;
        else
            fail(r, kRunSemantic);
    }
    return count;
}

// Copies variables into bound values and claims their role.
BoundValue* bound_values(Setup& s, const DataVar* vars, int count, int role) {
    DenseReader& r = s.r;
    auto* out =
        static_cast<BoundValue*>(reader_alloc(r.ctx, r.blocks, sizeof(BoundValue) * static_cast<size_t>(count)));
    if (out == nullptr) return nullptr;
    for (int k = 0; k < count; ++k) {
        out[k].var = vars[k];
        fail(r, claim_role(s.roles, vars[k], role));
    }
    return out;
}

int resolve_values(Setup& s) {
    DenseReader& r = s.r;
    int count = resolve_numeric(s, kVarRhs, "RHS", "_RHS_", s.scratch);
    r.rhs = bound_values(s, s.scratch, count, kRoleRhs);
    r.rhs_count = count;
    if (r.rhs == nullptr) return kRunMemory;

    count = resolve_numeric(s, kVarRange, "RANGE", "_RANGE_", s.scratch);
    if (count > 1) {
        const TymArg arg = arg_text("RANGE");
        host_message(kMsgOnlyOne, 1, &arg);
        fail(r, kRunSemantic);
    }
    if (count >= 1) {
        r.has_range = true;
        r.range.var = s.scratch[0];
        fail(r, claim_role(s.roles, r.range.var, kRoleRange));
    }

    count = resolve_numeric(s, kVarRhsSen, "RHSSEN", "_RHSSEN_", s.scratch);
    r.rhssen = bound_values(s, s.scratch, count, kRoleRhsSen);
    r.rhssen_count = count;
    return r.rhssen == nullptr ? kRunMemory : 0;
}

// Structural columns: the VAR list, else every numeric variable that plays
// no other role.
int resolve_columns(Setup& s) {
    DenseReader& r = s.r;
    int count = 0;
    if (list_given(r.ctx, kVarVar)) {
        fail(r, resolve_listed(r.ctx, r.ds, kVarVar, "VAR", TYM_VAR_NUMERIC, s.scratch, &count));
    } else {
        for (int v = 1; v < s.var_count + 1; ++v) {
            DataVar var;
            if (!data_var(r.ds, v, &var) || s.roles.role[v] != 0) continue;
            if (var.type != TYM_VAR_NUMERIC) {
                // A column of numbers turned into text by a few stray cells
                // would silently drop a column from the problem.
                if ((host_data_var_findings(r.ds, v) & TYM_FOUND_STRAY_TEXT) != 0) {
                    const TymArg arg = arg_text(var.name);
                    host_message(kMsgColumnReadAsText, 1, &arg);
                    r.ctx->model.data_fault_named = true;
                    fail(r, kRunSemantic);
                }
                continue;
            }
            if (is_default_id_name(var.name)) {
                // Named like a row-name variable but not one (numeric:
                // message 229, or another variable names the rows): that
                // it counts as a column must not pass unsaid.
                const TymArg arg = arg_text(var.name);
                host_message(kMsgIdBecomesColumn, 1, &arg);
            }
            s.scratch[count++] = var;
        }
    }
    r.col_vars = static_cast<DataVar*>(reader_alloc(r.ctx, r.blocks, sizeof(DataVar) * static_cast<size_t>(count)));
    if (r.col_vars == nullptr) return kRunMemory;
    for (int k = 0; k < count; ++k) {
        r.col_vars[k] = s.scratch[k];
        fail(r, claim_role(s.roles, s.scratch[k], kRoleVar));
    }
    r.structural = count;
    if (count == 0) {
        host_message(kMsgNoStructural);
        fail(r, kRunSemantic);
    }
    return 0;
}

// Name lengths: rows from the row-name variable, columns wide enough for
// the longest column variable's name.
void choose_name_lengths(DenseReader& r) {
    ProblemModel& m = r.ctx->model;
    if (r.has_id) m.row_name_length = r.id_var.length < kMaxNameLength ? r.id_var.length : kMaxNameLength;
    if (m.row_name_length < 1) m.row_name_length = kDefaultNameLength;
    int longest = kDefaultNameLength;
    for (int32_t j = 0; j < r.structural; ++j) {
        const int len = static_cast<int>(std::strlen(r.col_vars[j].name));
        if (len > longest) longest = len;
    }
    m.column_name_length = longest < kMaxVarName ? longest : kMaxVarName;
}

int create_columns(DenseReader& r) {
    LpContext* ctx = r.ctx;
    const int32_t s = r.structural;
    const int width = ctx->model.column_name_length;
    r.cols = static_cast<ColumnRecord*>(reader_alloc(ctx, r.blocks, sizeof(ColumnRecord) * static_cast<size_t>(s)));
    r.col_values = static_cast<double*>(reader_alloc(ctx, r.blocks, sizeof(double) * static_cast<size_t>(s)));
    r.col_names = static_cast<char*>(reader_alloc(ctx, r.blocks, static_cast<size_t>(s) * static_cast<size_t>(width)));
    if (r.cols == nullptr || r.col_values == nullptr || r.col_names == nullptr) return kRunMemory;
    for (int32_t j = 0; j < s; ++j) {
        r.cols[j] = empty_column(ctx, 0);
        copy_name(dense_column_name(r, j), width, r.col_vars[j].name, -1);
    }
    return 0;
}

int create_value_columns(DenseReader& r) {
    LpContext* ctx = r.ctx;
    for (int k = 0; k < r.rhs_count; ++k) {
        const int rc = list_append(ctx, kListRhs, r.rhs[k].var.name, static_cast<int>(std::strlen(r.rhs[k].var.name)),
                                   &r.rhs[k].entry);
        if (rc != 0) return rc;
    }
    for (int k = 0; k < r.rhssen_count; ++k) {
        const int rc = list_append(ctx, kListRhsSen, r.rhssen[k].var.name,
                                   static_cast<int>(std::strlen(r.rhssen[k].var.name)), &r.rhssen[k].entry);
        if (rc != 0) return rc;
    }
    if (r.has_range) {
        const int rc = list_append(ctx, kListRange, r.range.var.name, static_cast<int>(std::strlen(r.range.var.name)),
                                   &r.range.entry);
        if (rc != 0) return rc;
        ++ctx->model.range_variables;
    }
    return 0;
}

// The window holds 24 x s^2 bytes of entries, at most READMEMORY kilobytes.
int64_t window_entries(const LpContext* ctx, int32_t s) {
    const double wanted = static_cast<double>(kCoefEntryBytes) * static_cast<double>(s) * static_cast<double>(s);
    const double cap = static_cast<double>(ctx->options.readmemory) * static_cast<double>(kKilobyte);
    const double bytes = wanted < cap ? wanted : cap;
    return static_cast<int64_t>(bytes) / kCoefEntryBytes + 1;
}

int bind_failure() {
    host_status_report(-1);
    return kRunIo;
}

int bind_fields(DenseReader& r) {
    TymDataIn ds = r.ds;
    if (r.has_type) {
        r.type_value = static_cast<char*>(reader_alloc(r.ctx, r.blocks, static_cast<size_t>(r.type_var.length)));
        if (r.type_value == nullptr) return kRunMemory;
        if (host_data_bind(ds, r.type_var.number, r.type_value, r.type_var.length) != 0) return bind_failure();
    }
    if (r.has_id) {
        r.id_value = static_cast<char*>(reader_alloc(r.ctx, r.blocks, static_cast<size_t>(r.id_var.length)));
        if (r.id_value == nullptr) return kRunMemory;
        if (host_data_bind(ds, r.id_var.number, r.id_value, r.id_var.length) != 0) return bind_failure();
    }
    const int kNumericBytes = static_cast<int>(sizeof(double));
    for (int k = 0; k < r.rhs_count; ++k)
        if (host_data_bind(ds, r.rhs[k].var.number, &r.rhs[k].value, kNumericBytes) != 0) return bind_failure();
    for (int k = 0; k < r.rhssen_count; ++k)
        if (host_data_bind(ds, r.rhssen[k].var.number, &r.rhssen[k].value, kNumericBytes) != 0) return bind_failure();
    if (r.has_range && host_data_bind(ds, r.range.var.number, &r.range.value, kNumericBytes) != 0)
        return bind_failure();
    for (int32_t j = 0; j < r.structural; ++j)
        if (host_data_bind(ds, r.col_vars[j].number, &r.col_values[j], kNumericBytes) != 0) return bind_failure();
    return 0;
}

// The phase-1 objective is row 0, with a 0 in every value column.
int create_phase1(DenseReader& r) {
    RowRecord rec;
    char name[kMaxNameLength];
    int rc = make_phase1_objective(r.ctx, &rec, name);
    if (rc == 0) rc = write_row(r.ctx, 0, rec, name);
    const double zero = 0.0;
    for (int k = 0; rc == 0 && k < r.rhs_count; ++k) rc = list_write_values(r.rhs[k].entry, 0, &zero, 1);
    for (int k = 0; rc == 0 && k < r.rhssen_count; ++k) rc = list_write_values(r.rhssen[k].entry, 0, &zero, 1);
    if (rc == 0 && r.has_range) rc = list_write_values(r.range.entry, 0, &zero, 1);
    return rc;
}

}  // namespace

int dense_setup(DenseReader& r) {
    LpContext* ctx = r.ctx;
    const int var_count = host_data_var_count(r.ds);
    Setup s{r, RoleTable{}, nullptr, var_count > 0 ? var_count : 0};
    s.roles.size = s.var_count + 1;
    s.roles.role = static_cast<int8_t*>(reader_alloc(ctx, r.blocks, static_cast<size_t>(s.roles.size)));
    s.scratch = static_cast<DataVar*>(reader_alloc(ctx, r.blocks, sizeof(DataVar) * static_cast<size_t>(s.roles.size)));
    if (s.roles.role == nullptr || s.scratch == nullptr) return kRunMemory;

    resolve_type(s);
    resolve_id(s);
    int rc = resolve_values(s);
    if (rc == 0) rc = resolve_columns(s);
    if (rc != 0) return rc;
    if (r.has_type) keep_type_variable(ctx, r.type_var);

    choose_name_lengths(r);
    rc = open_model_stores(ctx);
    if (rc == 0) rc = create_columns(r);
    if (rc == 0) rc = create_value_columns(r);
    if (rc == 0) rc = coef_window_open(ctx, &r.window, window_entries(ctx, r.structural));
    if (rc == 0) rc = create_phase1(r);
    if (rc == 0) rc = bind_fields(r);
    if (rc != 0) return rc;
    return r.result;
}

}  // namespace tymlp
