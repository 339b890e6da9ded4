// data_set_support.h -- what the three solution data set writers share: when
// a writer has anything to write, opening its data set from a table of
// variables behind the two that tell the blocks of the combinations apart
// (_OBJ_ID_, _RHS_ID_), and writing an observation.
//
// Every writer runs the same way:
//     ReportBasis b{};
//     if (!solution_data_set_due(ctx, which, &b)) return 0;
//     ... anything the writer needs before its data set exists ...
//     rc = ready_solution_data_set(ctx, which, open_the_writers_data_set);
//     ... fill its buffers, write_observation, for each observation ...
// where open_the_writers_data_set calls open_solution_data_set with the
// writer's own variables.
#pragma once

#include <cstdint>
#include <span>

#include "base/lp_context.h"
#include "output/reported_values.h"

namespace tymlp {

// Bytes of a numeric variable.
inline constexpr int kDataSetNumberBytes = 8;

// A variable of an output data set.
struct DataSetVariable {
    const char* name;
    int type;    // TYM_VAR_NUMERIC or TYM_VAR_CHAR
    int length;  // bytes: kDataSetNumberBytes for numbers
    const char* label;
    const void* address;  // where each write takes the value from
};

// Defines one variable; returns 0, or 25 when the host refuses it.
int define_variable(TymDataOut ds, const DataSetVariable& v);

// Writes one observation; 0, or 25 after the host has reported the failure.
int write_observation(TymDataOut ds);

enum class SolutionDataSet { Primal, Dual, Tableau, Active };

// Whether a writer has anything to write at this call: its data set was
// named on the statement and there is a basis to report (*basis, which is
// valid then).  When there is, the notes of group 202 about the solution the
// data set holds have been issued: on an integer problem which solution it
// is (the incumbent's, the relaxation's, the best so far with active nodes
// left), then for any problem whether the termination code says the
// solution is not final.
bool solution_data_set_due(LpContext* ctx, SolutionDataSet which, ReportBasis* basis);

// Opens solution data set `which` from the writer's table of variables:
// creates it with room for _OBJ_ID_, _RHS_ID_, the variables of `vars` and
// `defined_later` more that the writer defines itself afterwards, keeps the
// handle in the run context (end_run closes it whatever happens next), then
// defines _OBJ_ID_ (row-name width), _RHS_ID_ (column-name width) and every
// variable of `vars` in order.  Returns 0, or 25 (the host has reported why
// the data set cannot be created or a variable defined).
int open_solution_data_set(LpContext* ctx, SolutionDataSet which, std::span<const DataSetVariable> vars,
                           int defined_later = 0);

// Opens the data set through `open` on the writer's first call (while the
// run context keeps no handle for it), so that every later combination
// appends to it, then refills the _OBJ_ID_ and _RHS_ID_ buffers from the
// active objective row and the current right-hand-side column.  Returns 0,
// or what a failed `open` returned (the names are not refilled then).
int ready_solution_data_set(LpContext* ctx, SolutionDataSet which, int (*open)(LpContext* ctx));

}  // namespace tymlp
