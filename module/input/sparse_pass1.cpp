// sparse_pass1.cpp -- the observation's fields and the first pass: every
// row name gets its kind and its index, or the attribute it stands for.
#include "base/context_memory.h"
#include "base/host_link.h"
#include "input/column_lists.h"
#include "input/model_records.h"
#include "input/objectives.h"
#include "input/sparse_state.h"

namespace tymlp {
namespace {

enum SparseMessage : int {
    kMsgTwoKinds = 167,     // row, type, observation
    kMsgNameCut = 306,      // variable, width, name, observation
    kMsgNamesMerged = 307,  // earlier name, name, width, observation
    kMsgEmptyObservation = 252,
    // Each of 253 to 257 names a text and the observation.
    kMsgTypeOnly = 253,          // type
    kMsgValueTypeOnly = 254,     // type
    kMsgValueNeedsColumn = 255,  // type
    kMsgNoName = 256,            // "column" | "row"
    kMsgNeedsRow = 257           // type
};

bool is_value_kind(TypeKind kind) { return kind == kTypeRhs || kind == kTypeRhsSen || kind == kTypeRange; }

// Kinds that need a row name when a column is given.
bool needs_row(TypeKind kind) {
    switch (kind) {
        case kTypeLe:
        case kTypeEq:
        case kTypeGe:
        case kTypeMax:
        case kTypeMin:
        case kTypePriceSen:
        case kTypeFree:
        case kTypeCharge:
        case kTypeSosLe:
        case kTypeSosEq: return true;
        default: return false;
    }
}

// The case table's refusals name a text (the type, or "row" / "column")
// and the observation.
void refuse_with_text(SparseReader& r, int number, const char* text, int length) {
    message_text_obs(number, text, length, r.observation);
    r.result = kRunSemantic;
}

void refuse(SparseReader& r, int number) { refuse_with_text(r, number, r.type, kTypeWidth); }

// A row name defined by a kind with row flags: the next row index on its
// first definition, counted by kind; another kind later is an error.
int define_row(SparseReader& r, NameNode* node, uint8_t flags) {
    if (node->kind != 0) {
        if (node->kind == flags) return 0;
        const TymArg args[] = {arg_text(node->name, r.rows.width), arg_text(r.type, kTypeWidth),
                               arg_int(r.observation)};
        host_message(kMsgTwoKinds, 3, args);
        return kRunSemantic;
    }
    const int32_t i = sparse_new_row(r, flags, node->name);
    if (i < 0) return kRunMemory;
    node->kind = flags;
    node->index = i;
    ProblemModel& m = r.ctx->model;
    switch (r.kind) {
        case kTypeLe: ++m.le_rows; break;
        case kTypeGe: ++m.ge_rows; break;
        case kTypeFree: ++m.free_rows; break;
        case kTypeCharge:
            set_fixed_charge(r.row_recs[i], -1, 0.0);
            ++m.fixed_charge_rows;
            break;
        case kTypeMax:
        case kTypeMin: {
            const double sense = r.kind == kTypeMax ? kSenseMaximise : kSenseMinimise;
            ObjectiveRecord* obj = add_objective(r.ctx, i, sense, node->name);
            if (obj == nullptr) return kRunMemory;
            r.row_recs[i].link.objective = obj;
            break;
        }
        default: break;
    }
    return 0;
}

// A name first met with an attribute type stands for that attribute.
int remember_attribute(SparseReader& r, NameNode* node) {
    if (node->kind != 0 || node->code >= 0) return 0;
    if (r.kind == kTypeCoefficient || is_value_kind(r.kind)) return 0;
    node->code = static_cast<int16_t>(r.kind);
    if (r.kind != kTypePriceSen) return 0;
    auto* vec = static_cast<PriceVector*>(ctx_alloc(r.ctx, sizeof(PriceVector), TYM_ALLOC_LONG_ZERO));
    if (vec == nullptr) return kRunMemory;
    const int rc = list_append(r.ctx, kListPriceSen, node->name, r.rows.width, &vec->entry);
    if (rc != 0) return rc;
    if (r.price_last != nullptr)
        r.price_last->next = vec;
    else
        r.price_first = vec;
    r.price_last = vec;
    node->attached = vec;
    return 0;
}

}  // namespace

bool sparse_decode(SparseReader& r) {
    normalise_type(r.type_value, r.type_var.length, r.type);
    r.kind = decode_sparse_type(r.type);
    copy_name(r.column_name, r.ctx->model.column_name_length, r.column_value, r.column_var.length);
    return r.kind != kTypeUnknown;
}

int sparse_fields(SparseReader& r) {
    int fields = r.kind > kTypeCoefficient ? kHasType : 0;
    for (int k = 0; k < r.pairs; ++k) {
        if (!is_blank(r.row_values[k], r.row_vars[k].length)) {
            fields |= kHasRow;
            break;
        }
    }
    if (!is_blank(r.column_value, r.column_var.length)) fields |= kHasColumn;
    return fields;
}

bool sparse_case_ok(SparseReader& r, int fields, bool report) {
    switch (fields) {
        case 0:
            if (report) {
                const TymArg arg = arg_int(r.observation);
                host_message(kMsgEmptyObservation, 1, &arg);
            }
            return false;
        case kHasType:
            if (report) refuse(r, is_value_kind(r.kind) ? kMsgValueTypeOnly : kMsgTypeOnly);
            return false;
        case kHasRow:
            if (report) refuse_with_text(r, kMsgNoName, "column", -1);
            return false;
        case kHasType | kHasRow:
            if (!is_value_kind(r.kind)) return true;
            if (report) refuse_with_text(r, kMsgValueNeedsColumn, r.type, kTypeWidth);
            return false;
        case kHasColumn:
            if (report) refuse_with_text(r, kMsgNoName, "row", -1);
            return false;
        case kHasType | kHasColumn:
            if (!needs_row(r.kind)) return true;
            if (report) refuse_with_text(r, kMsgNeedsRow, r.type, kTypeWidth);
            return false;
        default: return true;
    }
}

int32_t sparse_new_row(SparseReader& r, uint8_t flags, const char* name) {
    ProblemModel& m = r.ctx->model;
    const int32_t i = m.rows;
    int32_t capacity = r.row_capacity;
    if (grow_array(r.ctx, reinterpret_cast<void**>(&r.row_recs), sizeof(RowRecord), &capacity, i + 1) != 0) return -1;
    int32_t name_capacity = r.row_capacity;
    if (grow_array(r.ctx, reinterpret_cast<void**>(&r.row_names), m.row_name_length, &name_capacity, i + 1) != 0)
        return -1;
    r.row_capacity = capacity < name_capacity ? capacity : name_capacity;
    r.row_recs[i] = empty_row(flags);
    copy_name(row_name_at(r, i), m.row_name_length, name, m.row_name_length);
    m.rows = i + 1;
    return i;
}

int sparse_long_name(SparseReader& r, LongNames& names, const char* field, int field_length, const char* variable) {
    const int width = names.cut.width;
    if (names.buffer == nullptr || trimmed_length(field, field_length) < width) return 0;
    if (trimmed_length(field, field_length) > width && !names.warned) {
        names.warned = true;
        const TymArg args[] = {arg_text(variable), arg_int(width), arg_text(field, field_length),
                               arg_int(r.observation)};
        host_message(kMsgNameCut, 4, args);
    }
    copy_name(names.buffer, names.whole.width, field, field_length);
    bool created = false;
    NameNode* whole = name_tree_insert(r.ctx, &names.whole, names.buffer, &created);
    if (whole == nullptr) return kRunMemory;
    if (!created) return 0;  // met before: its cut was checked then
    NameNode* cut = name_tree_insert(r.ctx, &names.cut, names.buffer, &created);
    if (cut == nullptr) return kRunMemory;
    if (created) {
        cut->attached = whole;
        return 0;
    }
    const auto* earlier = static_cast<const NameNode*>(cut->attached);
    const TymArg args[] = {arg_text(earlier->name, names.whole.width), arg_text(whole->name, names.whole.width),
                           arg_int(width), arg_int(r.observation)};
    host_message(kMsgNamesMerged, 4, args);
    r.ctx->model.data_fault_named = true;
    return kRunSemantic;
}

int sparse_pass1(SparseReader& r) {
    if (!sparse_decode(r)) {
        report_unknown_type(r.type, kTypeWidth, r.observation);
        return kRunSemantic;
    }
    if (r.kind == kTypeComment) return 0;
    if (!sparse_case_ok(r, sparse_fields(r), true)) return 0;
    int rc = sparse_long_name(r, r.long_columns, r.column_value, r.column_var.length, r.column_var.name);
    if (rc != 0) return rc;
    const uint8_t flags = type_row_flags(r.kind);
    const int width = r.rows.width;
    for (int k = 0; k < r.pairs; ++k) {
        if (is_blank(r.row_values[k], r.row_vars[k].length)) continue;
        rc = sparse_long_name(r, r.long_rows, r.row_values[k], r.row_vars[k].length, r.row_vars[k].name);
        if (rc != 0) return rc;
        copy_name(r.row_name, width, r.row_values[k], r.row_vars[k].length);
        bool created = false;
        NameNode* node = name_tree_insert(r.ctx, &r.rows, r.row_name, &created);
        if (node == nullptr) return kRunMemory;
        rc = flags != 0 ? define_row(r, node, flags) : remember_attribute(r, node);
        if (rc != 0) return rc;
    }
    return 0;
}

int sparse_untyped_rows(SparseReader& r) {
    for (NameNode* node = r.rows.first; node != nullptr; node = node->next_created) {
        if (node->kind != 0 || node->code >= 0) continue;
        const int32_t i = sparse_new_row(r, kRowFree, node->name);
        if (i < 0) return kRunMemory;
        node->kind = kRowFree;
        node->index = i;
        node->reserved = 1;  // untyped: a note after the second pass
        ++r.ctx->model.free_rows;
    }
    return 0;
}

}  // namespace tymlp
