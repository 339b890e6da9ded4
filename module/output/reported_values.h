// reported_values.h -- how the solver's internal numbers become the numbers
// a table or data set shows, and the type words of columns and rows.
//
// The solver works on the scaled problem: coefficients a_ij / (r_i s_j),
// column values s_j x_j, right-hand sides b_i / r_i.  Reports undo that:
//   value of column j      x_j / s_j
//   row activity, rhs      r_i times the stored value
//   dual of row i          y_i * r_obj * sense / r_i
//   reduced cost of j      d_j * s_j * sense / s_z
//   price of column j      c_j * r_obj * s_j for a structural column, else 0
// where sense is the signed sense of the active objective (+1 maximise,
// -1 minimise), r_obj the scale of its row and s_z the scale of its logical
// column.  With these, reported reduced cost = price - sum_i dual_i a_ij in
// the user's own units.  Tables then print any number below FUZZ in
// magnitude as 0; data sets keep the numbers as they are.
#pragma once

#include <cstdint>

#include "base/lp_context.h"

namespace tymlp {

// The active objective and the factors every unscaling needs.  `valid` is
// false when the form arrays or the objective do not exist yet (nothing can
// be reported then).
struct ReportBasis {
    bool valid;
    const ObjectiveRecord* objective;
    int32_t objective_row;
    int32_t objective_column;
    double sense;         // signed sense multiplier of the objective
    double row_scale;     // r_obj
    double column_scale;  // s_z
};
ReportBasis report_basis(const LpContext* ctx);

// 0 when |v| < FUZZ, else v.
double fuzz(const LpContext* ctx, double v);

// The scale of column j and of row i (1 where the problem is not scaled).
double column_scale(const LpContext* ctx, int32_t j);
double row_scale(const LpContext* ctx, int32_t i);

// Unscaled quantities (FUZZ not applied).
double column_value(const LpContext* ctx, int32_t j);
double column_lower(const LpContext* ctx, int32_t j);
double column_upper(const LpContext* ctx, int32_t j);  // INFINITY and beyond kept as they are
double row_rhs(const LpContext* ctx, int32_t i);
double row_dual(const LpContext* ctx, const ReportBasis& b, int32_t i);

// True when the problem has integer columns or special ordered sets.
bool integer_problem(const LpContext* ctx);

// Type words (8 characters, blank padded, not terminated).
// Column: binary, integer, both bounds, upper only, lower only, unrestricted,
// fixed, surplus, slack, artificial, objective, [range,] free, non-negative;
// `with_range` adds "RANGE   " for range columns (PRIMALOUT).
const char* column_type_word(uint16_t flags, bool with_range);
// Row (ConstraintSummary): range LE/GE/EQ, LE, GE, EQ, free, objective
// ("OBJECTVE" for the active one, "FREE_OBJ" when its logical column is
// held, else "FIXEDOBJ"), fixed-charge.
const char* row_type_word(uint8_t flags, bool active_objective, bool objective_held);
// Row (DUALOUT): range LE/GE/EQ, LE, GE, EQ, "OBJECT  ", "FXCHRG  ", "FREE    ".
const char* dual_row_type_word(uint8_t flags);

// Widths of the two kinds of names in tables and data sets: the length the
// model's names were read with (1 .. kMaxNameLength), else the default.
int row_name_width(const LpContext* ctx);
int column_name_width(const LpContext* ctx);

// Copies `length` bytes of a blank-padded name into dst[0 .. width), cut or
// blank padded.
void pad_name(char* dst, int width, const char* name, int length);

}  // namespace tymlp
