// dense_rows.cpp -- one observation of the dense layout: its row name, its
// type, and what the type does (a row, bounds, marks, a vector, a set).
#include <cstring>

#include "base/host_link.h"
#include "input/column_attributes.h"
#include "input/column_lists.h"
#include "input/dense_state.h"
#include "input/infinite_values.h"
#include "input/model_records.h"
#include "input/objectives.h"
#include "input/sos_sets.h"
#include "input/type_keywords.h"

namespace tymlp {
namespace {

// Row names of observations without a row-name variable.
constexpr const char* kObservationName = "_OBS%-i_";
// A mark (BASIC, UNRS, SOS members) must be exactly this value.
constexpr double kMarkValue = 1.0;

void fail(DenseReader& r) { r.result = kRunSemantic; }

bool present(double v) { return !is_missing(v); }

double value_or_zero(double v) { return is_missing(v) ? 0.0 : v; }

void observation_message(DenseReader& r, int number, const char* text) {
    message_text_obs(number, text, -1, r.observation);
}

void row_name(DenseReader& r) {
    const int width = r.ctx->model.row_name_length;
    if (r.has_id) {
        copy_name(r.row_name, width, r.id_value, r.id_var.length);
        return;
    }
    char buf[kMaxNameLength + 1];
    host_format_name(kObservationName, r.observation, width, buf);
    copy_name(r.row_name, width, buf, width);
}

// Which values of the observation a new row takes into its value columns.
enum RowValues : int {
    kValuesNone = 0,  // fixed-charge rows: 0 everywhere
    kValuesRhs = 1,   // objective rows: their right-hand sides only
    kValuesAll = 3    // constraint rows: right-hand sides and RHS sensitivities
};

// The value columns of a new row: right-hand sides and RHS sensitivities
// (0 when missing or not taken) and the range.
int write_row_values(DenseReader& r, int32_t row, RowValues taken, double range) {
    const bool rhs = (taken & kValuesRhs) != 0;
    const bool rhssen = taken == kValuesAll;
    int rc = 0;
    for (int k = 0; rc == 0 && k < r.rhs_count; ++k) {
        const double v = rhs ? value_or_zero(r.rhs[k].value) : 0.0;
        rc = list_write_values(r.rhs[k].entry, row, &v, 1);
    }
    for (int k = 0; rc == 0 && k < r.rhssen_count; ++k) {
        if (rhssen && infinity_sign(r.rhssen[k].value) != 0) {
            const DataVar& var = r.rhssen[k].var;
            report_infinite_change(var.name, static_cast<int>(std::strlen(var.name)), r.row_name,
                                   r.ctx->model.row_name_length, r.observation);
            fail(r);
        }
        const double v = rhssen ? value_or_zero(r.rhssen[k].value) : 0.0;
        rc = list_write_values(r.rhssen[k].entry, row, &v, 1);
    }
    if (rc == 0 && r.has_range) rc = list_write_values(r.range.entry, row, &range, 1);
    return rc;
}

// Every value present and not 0 becomes a coefficient of the row; an
// infinite one is an error of the data.
int add_coefficients(DenseReader& r, int32_t row, RowRecord& rec) {
    for (int32_t j = 0; j < r.structural; ++j) {
        const double v = r.col_values[j];
        if (infinity_sign(v) != 0) {
            report_infinite_coefficient(r.row_name, r.ctx->model.row_name_length, dense_column_name(r, j),
                                        r.ctx->model.column_name_length, r.observation);
            fail(r);
            continue;
        }
        if (!present(v) || v == 0.0) continue;
        const int rc = coef_window_append(r.ctx, &r.window, row, rec, j, r.cols[j], v);
        if (rc != 0) return rc;
    }
    return 0;
}

// What infinite right-hand sides make of a row of this kind: a row that
// does not bind becomes a free row; one that could never hold is an error.
TypeKind infinite_rhs_kind(DenseReader& r, TypeKind kind) {
    int plus = 0, minus = 0, finite = 0;
    for (int k = 0; k < r.rhs_count; ++k) {
        const int sign = infinity_sign(r.rhs[k].value);
        plus += sign > 0 ? 1 : 0;
        minus += sign < 0 ? 1 : 0;
        finite += sign == 0 ? 1 : 0;
    }
    const InfiniteRhs outcome = classify_rhs(type_row_flags(kind), plus, minus, finite);
    if (report_infinite_rhs(outcome, r.row_name, r.ctx->model.row_name_length)) fail(r);
    return outcome == InfiniteRhs::kNotBinding ? kTypeFree : kind;
}

// LE, EQ, GE and FR rows.
int constraint_row(DenseReader& r, TypeKind kind) {
    ProblemModel& m = r.ctx->model;
    const int32_t i = m.rows;
    kind = infinite_rhs_kind(r, kind);
    RowRecord rec = empty_row(type_row_flags(kind));
    int rc = add_coefficients(r, i, rec);
    if (rc != 0) return rc;

    double range = 0.0;
    if (kind == kTypeEq && r.has_range && report_infinite_range(r.range.value, r.row_name, m.row_name_length))
        fail(r);
    if (kind != kTypeFree && r.has_range && present(r.range.value) && r.range.value != 0.0) {
        range = r.range.value;
        rec.link.range = range;
        rec.flags |= kRowRange;
        ++m.range_rows;
    }
    rc = write_row(r.ctx, i, rec, r.row_name);
    if (rc == 0) rc = write_row_values(r, i, kValuesAll, range);
    if (rc != 0) return rc;
    ++m.rows;
    if (kind == kTypeLe) ++m.le_rows;
    if (kind == kTypeGe) ++m.ge_rows;
    if (kind == kTypeFree) ++m.free_rows;
    if (rec.entry_count == 0) message_text_obs(kMsgEmptyRow, r.row_name, m.row_name_length, r.observation);
    return 0;
}

// MAX and MIN rows: an objective record and the row.
int objective_row(DenseReader& r, TypeKind kind) {
    ProblemModel& m = r.ctx->model;
    const int32_t i = m.rows;
    RowRecord rec = empty_row(kRowObjective);
    infinite_rhs_kind(r, kind);  // an objective's constant is never infinite
    ObjectiveRecord* obj = add_objective(r.ctx, i, kind == kTypeMax ? kSenseMaximise : kSenseMinimise, r.row_name);
    if (obj == nullptr) return kRunMemory;
    rec.link.objective = obj;
    int rc = add_coefficients(r, i, rec);
    if (rc == 0) rc = write_row(r.ctx, i, rec, r.row_name);
    if (rc == 0) rc = write_row_values(r, i, kValuesRhs, 0.0);
    if (rc != 0) return rc;
    ++m.rows;
    if (rec.entry_count == 0) observation_message(r, kMsgNoUsableValue, type_keyword(kind));
    return 0;
}

// UPPER, LOWER, FIXED, INT and BINARY: for every column whose value is present.
int column_values(DenseReader& r, TypeKind kind) {
    const int width = r.ctx->model.column_name_length;
    int used = 0;
    const bool bound = kind == kTypeUpper || kind == kTypeLower || kind == kTypeFixed;
    for (int32_t j = 0; j < r.structural; ++j) {
        const double v = bound ? bound_value(r.ctx, r.col_values[j]) : r.col_values[j];
        if (!present(v)) continue;
        ++used;
        ColumnRecord& col = r.cols[j];
        int rc = 0;
        switch (kind) {
            case kTypeUpper: apply_upper(col, v); break;
            case kTypeLower: apply_lower(col, v); break;
            case kTypeFixed: apply_fixed(col, dense_column_name(r, j), width, v); break;
            case kTypeInteger:
                rc = apply_integer(r.ctx, j, col, dense_column_name(r, j), width, v, &r.integer_tail);
                break;
            case kTypeBinary: rc = apply_binary(r.ctx, j, col, v, &r.integer_tail); break;
            default: break;
        }
        if (rc != 0) return rc;
    }
    if (used == 0) observation_message(r, kMsgNoUsableValue, type_keyword(kind));
    return 0;
}

// BASIC and UNRS: a column whose value is present and not 0 gets the mark;
// a mark must be 1.
void column_marks(DenseReader& r, TypeKind kind) {
    const uint16_t flag = kind == kTypeBasic ? kColMarkedBasic : kColUnrestricted;
    bool bad = false;
    int used = 0;
    for (int32_t j = 0; j < r.structural; ++j) {
        const double v = r.col_values[j];
        if (!present(v) || v == 0.0) continue;
        ++used;
        r.cols[j].flags |= flag;
        if (v != kMarkValue) bad = true;
    }
    if (bad) {
        observation_message(r, kMsgBadMark, type_keyword(kind));
        fail(r);
    }
    if (used == 0) observation_message(r, kMsgNoUsableValue, type_keyword(kind));
    if (kind == kTypeBasic) ++r.ctx->model.marked_basic;
}

// PRICESEN: a price-sensitivity vector of one value per structural column.
int price_vector(DenseReader& r) {
    ColumnListEntry* entry = nullptr;
    int rc = list_append(r.ctx, kListPriceSen, r.row_name, r.ctx->model.row_name_length, &entry);
    for (int32_t j = 0; rc == 0 && j < r.structural; ++j) {
        if (infinity_sign(r.col_values[j]) != 0) {
            report_infinite_change(r.row_name, r.ctx->model.row_name_length, dense_column_name(r, j),
                                   r.ctx->model.column_name_length, r.observation);
            fail(r);
        }
        const double v = value_or_zero(r.col_values[j]);
        rc = list_write_values(entry, j, &v, 1);
    }
    return rc;
}

// CHARGE: a fixed-charge row for every column whose value is present.  The
// row is named after its column and keeps the column and the charge.
int charge_rows(DenseReader& r) {
    ProblemModel& m = r.ctx->model;
    const int width = m.column_name_length;
    int used = 0;
    for (int32_t j = 0; j < r.structural; ++j) {
        const double v = r.col_values[j];
        if (!present(v)) continue;
        ++used;
        apply_charge(r.cols[j], dense_column_name(r, j), width);
        const int32_t i = m.rows;
        RowRecord rec = empty_row(kRowFixedCharge);
        set_fixed_charge(rec, j, v);
        char name[kMaxNameLength];
        copy_name(name, m.row_name_length, dense_column_name(r, j), width);
        int rc = write_row(r.ctx, i, rec, name);
        if (rc == 0) rc = write_row_values(r, i, kValuesNone, 0.0);
        if (rc != 0) return rc;
        ++m.rows;
        ++m.fixed_charge_rows;
    }
    if (used == 0) observation_message(r, kMsgNoUsableValue, type_keyword(kTypeCharge));
    return 0;
}

// SOSLE and SOSEQ: a set of the columns marked with 1.
int ordered_set(DenseReader& r, TypeKind kind) {
    SosSet* set = sos_create(r.ctx, r.row_name, r.ctx->model.row_name_length, kind == kTypeSosEq);
    if (set == nullptr) return kRunMemory;
    bool bad = false;
    for (int32_t j = 0; j < r.structural; ++j) {
        const double v = r.col_values[j];
        if (!present(v) || v == 0.0) continue;
        if (v != kMarkValue) bad = true;
        const int rc = sos_add_member(r.ctx, set, j);
        if (rc != 0) return rc;
    }
    if (bad) {
        observation_message(r, kMsgBadMark, type_keyword(kind));
        fail(r);
    }
    if (set->count == 0) observation_message(r, kMsgNoUsableValue, type_keyword(kind));
    return 0;
}

}  // namespace

int dense_observation(DenseReader& r) {
    row_name(r);
    char type[kTypeWidth];
    normalise_type(r.type_value, r.type_var.length, type);
    const TypeKind kind = decode_dense_type(type);
    switch (kind) {
        case kTypeLe:
        case kTypeEq:
        case kTypeGe:
        case kTypeFree: return constraint_row(r, kind);
        case kTypeMax:
        case kTypeMin: return objective_row(r, kind);
        case kTypeUpper:
        case kTypeLower:
        case kTypeFixed:
        case kTypeInteger:
        case kTypeBinary: return column_values(r, kind);
        case kTypeBasic:
        case kTypeUnrestricted: column_marks(r, kind); return 0;
        case kTypePriceSen: return price_vector(r);
        case kTypeCharge: return charge_rows(r);
        case kTypeSosLe:
        case kTypeSosEq: return ordered_set(r, kind);
        default:
            if (++r.unknown_types <= kListedUnknownTypes) report_unknown_type(type, kTypeWidth, r.observation);
            fail(r);
            return 0;
    }
}

void close_unknown_types(DenseReader& r) {
    if (r.unknown_types <= kListedUnknownTypes) return;
    const TymArg args[] = {arg_int(r.unknown_types), arg_int(kListedUnknownTypes)};
    host_message(kMsgMoreUnknownTypes, 2, args);
}

}  // namespace tymlp
