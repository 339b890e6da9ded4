// change_walk.h -- one change vector followed through its parameter phi:
// the price vector p (objective coefficients c + phi p) or the right-hand
// side vector q (b + phi q).  The first interval around phi = 0 is the
// sensitivity analysis; PRICEPHI and RHSPHI continue beyond it, one basis
// change per breakpoint, towards their target.
//
// Neither the matrix nor the right-hand side is ever changed.  For a fixed
// basis the reduced costs and the basic values are linear in phi, so the
// walk keeps those of phi = 0 and their rates: d(phi) = d + phi * rate for a
// price vector, x_B(phi) = x_B + phi * w for a right-hand side vector.  A
// price step lets the column whose reduced cost turns attractive enter (a
// primal step: the basic values do not depend on the prices); a right-hand
// side step lets the basic column that reaches its bound leave (a dual step:
// the reduced costs do not depend on the right-hand side).
#pragma once

#include <cstdint>

#include "analysis/analysis_support.h"
#include "base/lp_context.h"

namespace tymlp {

// The row buffers of the parametric log, read by the host at every line.
struct WalkLogLine {
    char leave[kMaxNameLength];
    int32_t leave_col;
    char enter[kMaxNameLength];
    int32_t enter_col;
    double objective;
    double phi;
};

struct ChangeWalk {
    bool price;        // a PRICESEN vector (else an RHSSEN vector)
    const char* name;  // the vector's name, blank padded
    int name_length;   // without trailing blanks
    double target;     // PRICEPHI or RHSPHI
    double* change;    // price: n entries (p, internal scale); RHS: m entries (q)
    double* w;         // m: p_B B^-1 (price) or B^-1 q (RHS) of the current basis
    double* reduced;   // n: stored reduced costs of the nonbasic columns at phi = 0
    double* rate;      // n: price: their rates; RHS: unused
    double phi;        // where the walk stands
    PhiInterval interval;
    int stop;             // 0 while the walk may go on; 6 infeasible or 7 unbounded beyond phi
    int32_t pass;         // groups opened so far
    int32_t entering;     // the column of the last step (shown in the logs), -1 before one
    int32_t leaving;      //
    TymObject group;      // the open "Vector" group
    TymObject log_data;   // the parametric log while it is open
    TymObject log_table;  //
    ReportBasis basis;
    int32_t* position;  // n: header position of every column (kept by the reports)
    int32_t* rhs_rows;  // m: the rows that are not objective rows, in index order
    int32_t rhs_row_count;
    WalkLogLine log_line;
};

// The interval of the current basis around walk.phi (and w, reduced, rate
// for it).  Returns 0, 9 or 25.
int walk_interval(LpContext* ctx, ChangeWalk& walk);

// The objective value in the user's units at phi for the current basis.
double walk_objective(const LpContext* ctx, const ChangeWalk& walk, double phi);

// One step at the end of the interval towards the target.  Returns 0 (the
// walk goes on, or walk.stop tells why it cannot), 9 or 1 (the update of the
// factors failed), 25.
int walk_step(LpContext* ctx, ChangeWalk& walk);

// Reports (sensitivity_tables.cpp): the summary factoid and activities table
// of the first interval, and the report at one phi.
void report_sensitivity(LpContext* ctx, ChangeWalk& walk);
void report_at_phi(LpContext* ctx, ChangeWalk& walk, double phi);
// One line of the parametric log (opened at its first line) and its end.
void log_breakpoint(LpContext* ctx, ChangeWalk& walk);
void close_breakpoint_log(LpContext* ctx, ChangeWalk& walk);

}  // namespace tymlp
