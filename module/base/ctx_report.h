// ctx_report.h -- what the reports keep in the run context between calls:
// the record buffers the output data sets read on every write, and the two
// iteration logs, whose tables stay open from one line to the next.
//
// The host reads a data set's variables from the addresses given when they
// were defined, at every write, for as long as the data set is open; the
// buffers therefore live in the context (which never moves) or, for the
// tableau row whose length depends on the problem, in a block of the chain.
// Everything here starts zero-filled with the context.
#pragma once

#include <cstdint>

#include "base/ctx_model.h"
#include "tym_host.h"

namespace tymlp {

// Blank-padded words of the data sets and tables.
inline constexpr int kWordBytes = 8;

// PRIMALOUT record: the two words, then the five numbers.
struct PrimalRecord {
    char type[kWordBytes];
    char status[kWordBytes];
    double price;
    double ubound;
    double lbound;
    double value;
    double r_cost;
};
static_assert(sizeof(PrimalRecord) == 56, "PRIMALOUT record layout");

// DUALOUT record: the type word, then the five numbers.
struct DualRecord {
    char type[kWordBytes];
    double rhs;
    double l_rhs;
    double u_rhs;
    double value;
    double dual;
};
static_assert(sizeof(DualRecord) == 48, "DUALOUT record layout");

// One observation of ACTIVEOUT.
struct ActiveRecord {
    char status[8];  // "INTBEST ", "LOWERBD ", "UPPERBD "
    double problem;
    double objective;
    double infeasibility;
    double projection;
    double estimate;
    double* values;  // one per integer variable, in the order of the integer-variable list
    double nodes;    // INTBEST: the node pairs that follow; a pair: its place among them
    double check;    // the section's check value so far (integer/active_check.h)
};

struct DataSetBuffers {
    // Names shared by the three writers, refilled at every call: the active
    // objective row (row-name length) and the right-hand-side column
    // (column-name length), blank padded.
    char obj_id[kMaxNameLength];
    char rhs_id[kMaxNameLength];
    char var_name[kMaxNameLength];    // PRIMALOUT _VAR_
    char row_name[kMaxNameLength];    // DUALOUT _ROW_ID_
    char basic_name[kMaxNameLength];  // TABLEAUOUT _BASIC_
    PrimalRecord primal;
    DualRecord dual;
    double* tableau;          // TABLEAUOUT: INVB_R then one entry per column (n + 1)
    int32_t tableau_columns;  // n the tableau row was allocated for
    ActiveRecord active;      // ACTIVEOUT
};

// Width of the "Iteration" text of the iteration log.
inline constexpr int kIterationTextBytes = 9;
// Width of the condition text of the integer log.
inline constexpr int kConditionBytes = 10;

// The continuous iteration log: its table while open and the row buffers.
struct IterationLogState {
    TymObject data;
    TymObject table;
    int32_t phase;
    char iteration[kIterationTextBytes];
    char enter_var[kMaxNameLength];
    int32_t enter_col;
    char leave_var[kMaxNameLength];
    int32_t leave_col;
    double reduced_cost;
    double objective;
};

// The integer iteration log.
struct IntegerLogState {
    TymObject data;
    TymObject table;
    int32_t iteration;
    int32_t problem;
    char condition[kConditionBytes];
    double objective;
    char branch[kMaxNameLength];
    double value;
    double sum_of_infeasibilities;
    int32_t active;
    double proximity;       // the row's value (missing when it has none)
    double last_proximity;  // refreshed at every call, printed or not
};

struct ReportState {
    DataSetBuffers sets;
    IterationLogState log;
    IntegerLogState integer_log;
    double* activity;       // m: row activities recomputed for a table or DUALOUT
    int32_t activity_rows;  // m it was allocated for
    int32_t log_requests;   // > 0 while a log sends requests: a refused one does not end the run
    int64_t progress_next_ms;  // clock reading before which no progress report is sent
    int16_t progress_sent;     // a report went out since the last end of a solve
};

}  // namespace tymlp
