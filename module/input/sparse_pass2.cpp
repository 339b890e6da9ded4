// sparse_pass2.cpp -- the second pass: coefficients, column attributes and
// the values of the right-hand-side, RHSSEN, range and price vectors.
#include <cstring>

#include "base/context_memory.h"
#include "base/host_link.h"
#include "input/column_attributes.h"
#include "input/column_lists.h"
#include "input/infinite_values.h"
#include "input/model_records.h"
#include "input/sos_sets.h"
#include "input/sparse_state.h"

namespace tymlp {
namespace {

enum Pass2Message : int {
    kMsgMissingCoefficient = 162,  // column, row (a note)
    kMsgMissingAttribute = 163,    // column, observation (a note)
    kMsgSecondValue = 166          // column, row, observation
};

// An ordered-set member is marked with exactly this value.
constexpr double kMemberMark = 1.0;

constexpr ColumnListKind kListOfValue[kValueKinds] = {kListRhs, kListRhsSen, kListRange};

ValueKind value_kind(TypeKind kind) {
    return kind == kTypeRhs ? kValueRhs : kind == kTypeRhsSen ? kValueRhsSen : kValueRange;
}

bool is_column_attribute(TypeKind kind) {
    switch (kind) {
        case kTypeUpper:
        case kTypeLower:
        case kTypeBasic:
        case kTypeUnrestricted:
        case kTypeInteger:
        case kTypeBinary:
        case kTypeFixed: return true;
        default: return false;
    }
}

// The structural column named by the observation, created on first use.
int column_index(SparseReader& r, int32_t* j) {
    bool created = false;
    NameNode* node = name_tree_insert(r.ctx, &r.columns, r.column_name, &created);
    if (node == nullptr) return kRunMemory;
    if (created) {
        ProblemModel& m = r.ctx->model;
        const int32_t n = m.columns;
        int32_t capacity = r.col_capacity;
        int rc = grow_array(r.ctx, reinterpret_cast<void**>(&r.col_recs), sizeof(ColumnRecord), &capacity, n + 1);
        int32_t name_capacity = r.col_capacity;
        if (rc == 0)
            rc = grow_array(r.ctx, reinterpret_cast<void**>(&r.col_names), m.column_name_length, &name_capacity, n + 1);
        if (rc != 0) return rc;
        r.col_capacity = capacity < name_capacity ? capacity : name_capacity;
        r.col_recs[n] = empty_column(r.ctx, 0);
        copy_name(column_name_at(r, n), m.column_name_length, r.column_name, m.column_name_length);
        node->index = n;
        m.columns = n + 1;
    }
    *j = node->index;
    return 0;
}

// The value column of this kind named by the observation's column field,
// created (with a 0 for every row) on first use.
int value_column(SparseReader& r, ValueKind vk, ValueColumn** out) {
    const int width = r.ctx->model.column_name_length;
    for (int32_t k = 0; k < r.value_count[vk]; ++k) {
        if (std::memcmp(r.values[vk][k].entry->name, r.column_name, static_cast<size_t>(width)) == 0) {
            *out = &r.values[vk][k];
            return 0;
        }
    }
    const int32_t k = r.value_count[vk];
    int rc =
        grow_array(r.ctx, reinterpret_cast<void**>(&r.values[vk]), sizeof(ValueColumn), &r.value_capacity[vk], k + 1);
    if (rc != 0) return rc;
    ValueColumn& vc = r.values[vk][k];
    vc.values = static_cast<double*>(
        ctx_alloc(r.ctx, sizeof(double) * static_cast<size_t>(r.ctx->model.rows), TYM_ALLOC_LONG_ZERO));
    if (vc.values == nullptr) return kRunMemory;
    rc = list_append(r.ctx, kListOfValue[vk], r.column_name, width, &vc.entry);
    if (rc != 0) return rc;
    r.value_count[vk] = k + 1;
    *out = &vc;
    return 0;
}

int add_price(SparseReader& r, PriceVector* vec, int32_t j, double v) {
    if (vec == nullptr) return 0;
    const int32_t k = vec->count;
    int32_t capacity = vec->capacity;
    int rc = grow_array(r.ctx, reinterpret_cast<void**>(&vec->columns), sizeof(int32_t), &capacity, k + 1);
    int32_t value_capacity = vec->capacity;
    if (rc == 0) rc = grow_array(r.ctx, reinterpret_cast<void**>(&vec->values), sizeof(double), &value_capacity, k + 1);
    if (rc != 0) return rc;
    vec->capacity = capacity < value_capacity ? capacity : value_capacity;
    vec->columns[k] = j;
    vec->values[k] = v;
    vec->count = k + 1;
    return 0;
}

// A member of the set named by the row; the set is created on first use.
int add_member(SparseReader& r, NameNode* node, TypeKind code, int32_t j, double v) {
    if (v != kMemberMark) {
        message_text_obs(kMsgBadMark, "SOS", -1, r.observation);
        r.result = kRunSemantic;
        return 0;
    }
    auto* set = static_cast<SosSet*>(node->attached);
    if (set == nullptr) {
        set = sos_create(r.ctx, node->name, r.rows.width, code == kTypeSosEq);
        if (set == nullptr) return kRunMemory;
        node->attached = set;
    }
    return sos_add_member(r.ctx, set, j);
}

// The attribute `code` of column j with value v (node: the attribute's row
// name, when it has one).
int attribute(SparseReader& r, NameNode* node, TypeKind code, int32_t j, double v) {
    const int width = r.ctx->model.column_name_length;
    char* name = column_name_at(r, j);
    if (code == kTypeUpper || code == kTypeLower || code == kTypeFixed) v = bound_value(r.ctx, v);
    if (code == kTypePriceSen && node != nullptr && infinity_sign(v) != 0) {
        report_infinite_change(node->name, r.rows.width, name, width, r.observation);
        r.result = kRunSemantic;
        return 0;
    }
    if (is_missing(v)) {
        message_text_obs(kMsgMissingAttribute, name, width, r.observation);
        return 0;
    }
    ColumnRecord& col = r.col_recs[j];
    switch (code) {
        case kTypeUpper: apply_upper(col, v); return 0;
        case kTypeLower: apply_lower(col, v); return 0;
        case kTypeFixed: apply_fixed(col, name, width, v); return 0;
        case kTypeBasic:
            col.flags |= kColMarkedBasic;
            ++r.ctx->model.marked_basic;
            return 0;
        case kTypeUnrestricted: col.flags |= kColUnrestricted; return 0;
        case kTypeInteger: return apply_integer(r.ctx, j, col, name, width, v, &r.integer_tail);
        case kTypeBinary: return apply_binary(r.ctx, j, col, v, &r.integer_tail);
        case kTypePriceSen: return node != nullptr ? add_price(r, static_cast<PriceVector*>(node->attached), j, v) : 0;
        case kTypeSosLe:
        case kTypeSosEq: return node != nullptr ? add_member(r, node, code, j, v) : 0;
        default: return 0;
    }
}

// A coefficient of column j in the row; a second value for the same place
// replaces the first.
int coefficient(SparseReader& r, NameNode* node, int32_t j, double v) {
    const int32_t i = node->index;
    if (infinity_sign(v) != 0) {
        report_infinite_coefficient(node->name, r.rows.width, column_name_at(r, j), r.ctx->model.column_name_length,
                                    r.observation);
        r.result = kRunSemantic;
        return 0;
    }
    if (is_missing(v)) {
        const int width = r.ctx->model.column_name_length;
        const TymArg args[] = {arg_text(column_name_at(r, j), width), arg_text(node->name, r.rows.width)};
        host_message(kMsgMissingCoefficient, 2, args);
        return 0;
    }
    const int64_t existing = pair_index_find(&r.pair_index, i, j);
    if (existing >= 0) {
        const int width = r.ctx->model.column_name_length;
        const TymArg args[] = {arg_text(column_name_at(r, j), width), arg_text(node->name, r.rows.width),
                               arg_int(r.observation)};
        host_message(kMsgSecondValue, 3, args);
        return coef_window_set_value(r.ctx, &r.window, existing, v);
    }
    if (v == 0.0) return 0;
    const int64_t k = r.ctx->model.coef_count;
    const int rc = coef_window_append(r.ctx, &r.window, i, r.row_recs[i], j, r.col_recs[j], v);
    return rc != 0 ? rc : pair_index_add(r.ctx, &r.pair_index, i, j, k);
}

// CHARGE with a column: the fixed-charge row charges column j by v.
void charge(SparseReader& r, NameNode* node, int32_t j, double v) {
    apply_charge(r.col_recs[j], column_name_at(r, j), r.ctx->model.column_name_length);
    set_fixed_charge(r.row_recs[node->index], j, is_missing(v) ? 0.0 : v);
}

int value_pairs(SparseReader& r) {
    ValueColumn* vc = nullptr;
    const int rc = value_column(r, value_kind(r.kind), &vc);
    if (rc != 0) return rc;
    for (int k = 0; k < r.pairs; ++k) {
        // Right-hand sides and ranges keep .I and .M for the reader to
        // resolve once every row has its kind; other missing values give
        // nothing.
        const double v = r.coef_values[k];
        if (is_blank(r.row_values[k], r.row_vars[k].length)) continue;
        if (r.kind == kTypeRhsSen && infinity_sign(v) != 0) {
            copy_name(r.row_name, r.rows.width, r.row_values[k], r.row_vars[k].length);
            report_infinite_change(r.column_name, r.ctx->model.column_name_length, r.row_name, r.rows.width,
                                   r.observation);
            r.result = kRunSemantic;
            continue;
        }
        if (is_missing(v) && !((r.kind == kTypeRhs || r.kind == kTypeRange) && infinity_sign(v) != 0)) continue;
        copy_name(r.row_name, r.rows.width, r.row_values[k], r.row_vars[k].length);
        const NameNode* node = name_tree_find(&r.rows, r.row_name);
        if (node != nullptr && node->index >= 0) vc->values[node->index] = r.coef_values[k];
    }
    return 0;
}

}  // namespace

int sparse_pass2(SparseReader& r) {
    if (!sparse_decode(r) || r.kind == kTypeComment) return 0;
    const int fields = sparse_fields(r);
    if (!sparse_case_ok(r, fields, false)) return 0;
    if (r.kind == kTypeRhs || r.kind == kTypeRhsSen || r.kind == kTypeRange)
        return (fields & kHasColumn) != 0 ? value_pairs(r) : 0;

    int32_t j = -1;
    if ((fields & kHasColumn) != 0) {
        const int rc = column_index(r, &j);
        if (rc != 0) return rc;
    }
    if ((fields & kHasRow) == 0) {
        // A column attribute without a row name applies the first value.
        return j >= 0 && is_column_attribute(r.kind) && r.pairs > 0 ? attribute(r, nullptr, r.kind, j, r.coef_values[0])
                                                                    : 0;
    }
    for (int k = 0; k < r.pairs; ++k) {
        if (is_blank(r.row_values[k], r.row_vars[k].length) || j < 0) continue;
        copy_name(r.row_name, r.rows.width, r.row_values[k], r.row_vars[k].length);
        NameNode* node = name_tree_find(&r.rows, r.row_name);
        if (node == nullptr) continue;
        const double v = r.coef_values[k];
        int rc = 0;
        if (node->index < 0)
            rc = attribute(r, node, static_cast<TypeKind>(node->code), j, v);
        else if (r.kind == kTypeCharge && node->kind == kRowFixedCharge)
            charge(r, node, j, v);
        else
            rc = coefficient(r, node, j, v);
        if (rc != 0) return rc;
    }
    return 0;
}

}  // namespace tymlp
