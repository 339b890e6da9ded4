// column_attributes.cpp -- attribute rows applied to a column record.
#include "input/column_attributes.h"

#include "base/host_link.h"
#include "input/integer_vars.h"
#include "input/reader_common.h"

namespace tymlp {
namespace {

void declared_again(const char* name, int name_length, const char* keyword) {
    const TymArg args[] = {arg_text(name, name_length), arg_text(keyword)};
    host_message(kMsgAlreadyDeclared, 2, args);
}

}  // namespace

void apply_upper(ColumnRecord& col, double v) {
    col.flags |= kColUpperGiven;
    if (v < col.upper) col.upper = v;
}

void apply_lower(ColumnRecord& col, double v) {
    col.flags |= kColLowerGiven;
    if (v > col.lower) col.lower = v;
}

void apply_fixed(ColumnRecord& col, const char* name, int name_length, double v) {
    if ((col.flags & kColFixed) != 0) declared_again(name, name_length, "FIXED");
    col.flags |= kColFixed;
    col.lower = v;
    col.upper = v;
}

int apply_integer(LpContext* ctx, int32_t j, ColumnRecord& col, const char* name, int name_length, double v,
                  IntegerVariable** tail) {
    if ((col.flags & kColInteger) != 0) declared_again(name, name_length, "INTEGER");
    col.flags |= kColInteger;
    return set_integer_record(ctx, j, col, priority_from_value(v), false, tail);
}

int apply_binary(LpContext* ctx, int32_t j, ColumnRecord& col, double v, IntegerVariable** tail) {
    col.flags |= kColBinary;
    col.lower = 0.0;
    col.upper = 1.0;
    return set_integer_record(ctx, j, col, priority_from_value(v), true, tail);
}

void apply_charge(ColumnRecord& col, const char* name, int name_length) {
    if ((col.flags & kColFixedCharge) != 0) declared_again(name, name_length, "CHARGE");
    col.flags |= kColFixedCharge;
}

}  // namespace tymlp
