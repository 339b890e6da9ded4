// primalin.h -- the starting basis of a combination from a PRIMALIN data set
// (the layout PRIMALOUT writes).
#pragma once

#include "base/lp_context.h"

namespace tymlp {

// Message numbers (facility 202) about a PRIMALIN data set.
enum PrimalinMessage : int {
    kMsgPrimalinBasicTwice = 181,       // column
    kMsgPrimalinNoFiniteUpper = 182,    // column
    kMsgPrimalinBasisSize = 183,        //
    kMsgPrimalinUnknownColumn = 184,    // name length, name
    kMsgPrimalinMissingVariable = 185,  //
    kMsgPrimalinReplacesMarked = 190,   //
    kMsgPrimalinArtificialUpper = 215,  // column, upper bound
    kMsgPrimalinBadData = 394           // what is wrong
};

// Sets the status bytes of every column for the current objective row and
// right-hand side from the PRIMALIN data set, which is opened on the first
// call of the run (message 190 when the problem data marked BASIC columns)
// and read again from its start on later calls.  Observations of other
// combinations are skipped.  By the first 7 bytes of _STATUS_: "_BASIC_"
// and "_DEGEN_" make the column basic,
// "_UPPER_" nonbasic at its upper bound (182 without a finite one; the
// phase-1 objective column takes _UBOUND_ as its bound; 215 for an
// artificial column with an upper bound other than 0), anything else
// nonbasic at its lower bound.  Columns not named stay nonbasic (at their
// upper bound only when that is their one finite bound).  Only the status
// bytes change, and the phase-1 objective column's upper bound.
// Returns kRunOk; kRunBadData for a data set that cannot be opened (the
// host has said why), one that lacks a required variable (185), a column
// not in the problem (184), a column named basic twice (181), an integer
// problem's _LBOUND_ or _UBOUND_ outside the problem's bounds of its column
// (364) or a basic count other than the row count (183);
// kRunMemory; kRunIo for a failed read.
int mark_primalin_basis(LpContext* ctx);

}  // namespace tymlp
