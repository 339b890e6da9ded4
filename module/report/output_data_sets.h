// output_data_sets.h -- the solution data sets PRIMALOUT (one observation
// per column), DUALOUT (one per row) and TABLEAUOUT (the reduced costs and
// the rows of the simplex tableau B^-1 A).
//
// Each writer opens its data set and defines its variables on its first
// call only and keeps the handle in the run context, so that the reporting
// step of every later combination appends to the same data set; _OBJ_ID_
// and _RHS_ID_ tell the blocks apart.  end_run closes the data sets (and
// keeps them for end codes 0 and 1).  A writer whose data set was not named
// on the statement does nothing.  Numbers are unscaled (reported_values.h)
// but not rounded by FUZZ: a data set read back gives the values bit for bit.
//
// On an integer problem each writer first notes in the log which solution
// it holds; any writer notes a termination code above 0 (a solution that is
// not final).  Each returns 0; 9 when memory or a column fetch fails; 25
// when the data set cannot be created or written (the host has reported
// it).  Observations already written stay written.
#pragma once

#include "base/lp_context.h"

namespace tymlp {

// PRIMALOUT: _OBJ_ID_, _RHS_ID_, _VAR_, _TYPE_, _STATUS_, _LBOUND_, _VALUE_,
// _UBOUND_, _PRICE_, _R_COST_ for every column of the model in index order,
// skipping artificial columns that are not basic.
int write_primalout(LpContext* ctx);

// DUALOUT: _OBJ_ID_, _RHS_ID_, _ROW_ID_, _TYPE_, _RHS_, _L_RHS_, _VALUE_,
// _U_RHS_, _DUAL_ for rows 1 to m-1.
int write_dualout(LpContext* ctx);

// TABLEAUOUT: _OBJ_ID_, _RHS_ID_, _BASIC_, INVB_R and one variable per
// column of the model.  The first observation ("R_COSTS ") holds the reduced
// costs with a missing INVB_R; then one observation per basis position k:
// the basic column's name, (B^-1 b)_k and row k of B^-1 A, in the user's
// units.  When the basis has no usable factorisation (the run ended
// singular or unstable) only the reduced-cost observation is written.
int write_tableauout(LpContext* ctx);

// ACTIVEOUT: the state of branch and bound, so that a later run can go on
// with the search (ACTIVEIN): an "INTBEST " observation with the iteration
// number and the best integer solution (or the current values), then for
// every set-aside and active node whose bound beats the cutoff by EPSILON a
// "LOWERBD " and an "UPPERBD " observation with its bounds of the integer
// variables.  Nothing without ACTIVEOUT or before branch and bound.
// Returns 0, 1 (a saved basis is singular), 9 or 25.
int write_activeout(LpContext* ctx);

}  // namespace tymlp
