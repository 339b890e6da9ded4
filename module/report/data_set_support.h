// data_set_support.h -- what the three solution data set writers share:
// opening a data set with its variables, the two name buffers that tell the
// blocks of the combinations apart, and the notes about which solution a
// data set holds.
#pragma once

#include <cstdint>

#include "base/lp_context.h"

namespace tymlp {

// A variable of an output data set.
struct DataSetVariable {
    const char* name;
    int type;             // TYM_VAR_NUMERIC or TYM_VAR_CHAR
    int length;           // bytes: 8 for numbers
    const char* label;
    const void* address;  // where each write takes the value from
};

// Defines one variable; returns 0, or 25 when the host refuses it.
int define_variable(TymDataOut ds, const DataSetVariable& v);

// Creates the data set named on the statement under `which` with room for
// `count` variables.  Returns 0 with *ds set, or 25 (the host has reported
// why it cannot be created).
int create_data_set(LpContext* ctx, DataSetNumber which, int count, TymDataOut* ds);

// Writes one observation; 0, or 25 after the host has reported the failure.
int write_observation(TymDataOut ds);

// Refills the _OBJ_ID_ and _RHS_ID_ buffers from the active objective row
// and the current right-hand-side column.
void fill_block_names(LpContext* ctx);

// Widths of the two kinds of names (1 .. kMaxNameLength).
int row_name_width(const LpContext* ctx);
int column_name_width(const LpContext* ctx);

// The notes of group 202 a writer issues before its observations: on an
// integer problem, which solution the data set holds (the incumbent's, the
// relaxation's, the best so far with active nodes left), then for any
// problem whether the termination code says the solution is not final.
enum class SolutionDataSet { Primal, Dual, Tableau };
void issue_solution_notes(const LpContext* ctx, SolutionDataSet which);

}  // namespace tymlp
