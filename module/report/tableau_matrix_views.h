// tableau_matrix_views.h -- two printed views of the problem's numbers as
// labelled matrices: the current tableau, and the coefficient matrix with
// its bounds as numbers or as a picture of orders of magnitude.
#pragma once

#include <cstdint>

#include "base/lp_context.h"

namespace tymlp {

// CurrentTableau: the reduced costs and B^-1 a_j of every nonbasic column,
// with B^-1 b in front, in the user's units; rows are "R_COSTS " and the
// basic columns in basis order.  Printed at PRINTLEVEL 1 and above (the
// driver also asks for TABLEAUPRINT).  Without memory for it: message 209
// and nothing printed.  Returns 0, or 9 or 25 when a column cannot be read.
int print_current_tableau(LpContext* ctx);

// How print_matrix shows the coefficients.
enum MatrixMode : int {
    kMatrixNumbers = 0,          // numbers in the user's units
    kMatrixPicture = 1,          // picture in the user's units
    kMatrixNumbersInternal = 2,  // numbers as stored (scaled)
    kMatrixPictureInternal = 3,  // picture as stored
};

// Matrix or MatrixPicture (with MatrixPictureLegend): the listed rows (1 ..
// m-1) or all m rows (row 0 is the phase-1 objective), then UPPERBD and
// LOWERBD, by the listed columns (0-based) or all structural ones; a list
// given with no entry prints nothing.  Printed at PRINTLEVEL 1 and above.  Without
// memory: message 201.  Returns 0, or 9 or 25 when a column cannot be read.
int print_matrix(LpContext* ctx, const int32_t* rows, int32_t row_count, const int32_t* columns, int32_t column_count,
                 int mode);

// The two characters that picture a coefficient: "-" for a negative one,
// then a letter for its order of magnitude (blank below FUZZ, "1" about 1,
// Z to T below it, A to R above it, "*" from 1e18 on, "." for INFINITY).
void picture_cell(double a, double fuzz, double infinity, char out[2]);

}  // namespace tymlp
