// analysis_support.h -- what the post-optimal analyses share: the entry
// checks, the special missing values of infinite ends, the reduced costs and
// their rates of change along a price direction, and the interval of the
// parameter over which the current basis stays optimal (prices) or feasible
// (right-hand sides).
//
// Units.  Everything here works on the scaled problem of the solver.  The
// objective is a row of the matrix whose logical column z is basic, and the
// duals y = B^-T (sense e_z) give y_o = -sense * r_o * s_z on the objective
// row o.  Moving the objective coefficients of the scaled problem by phi * p
// (a structural entry p_j = p_user_j / (r_o s_j)) therefore moves the reduced
// cost of a nonbasic column v by phi * kappa * (p_v - w'a_v), with
// w = p_B B^-1 and kappa = sense * r_o * s_z; moving the right-hand side by
// phi * q (q_i = q_user_i / r_i) moves the basic values by phi * B^-1 q.
// Neither depends on phi while the basis stays, which is what makes the
// intervals (and the parametric walk between them) exact.
#pragma once

#include <cstdint>

#include "base/lp_context.h"
#include "output/reported_values.h"

namespace tymlp {

// Messages of the analyses (facility 202).
inline constexpr int kMsgIntegerSensitivity = 156;
inline constexpr int kMsgNoAnalysisMemory = 157;
inline constexpr int kMsgRhsWalkInfeasible = 158;
inline constexpr int kMsgNotOptimal = 174;
inline constexpr int kMsgIntegerRange = 178;
inline constexpr int kMsgPriceWalkUnbounded = 180;
inline constexpr int kMsgPreprocessed = 270;

// Catalogue texts of the sensitivity factoids (group 253).
enum AnalysisText : int {
    kTextMinimumPhi = 92,
    kTextLeavingColumn = 93,
    kTextObjectiveValue = 94,
    kTextMaximumPhi = 95,
    kTextNoMinimumPhi = 96,
    kTextNoMaximumPhi = 97,
    kTextPlusInfinity = 98,
    kTextMinusInfinity = 99,
    kTextEnteringColumn = 100
};

// The entry checks every analysis makes: it runs only when `requested` and
// PRINTLEVEL is 1 or more; it notes a preprocessed problem (270); it runs
// only on an optimal solution (174 otherwise); an integer problem gets
// `integer_message` (the analysis is of its continuous problem).  Returns
// true when the analysis may run.  The duals are then recomputed for the
// final basis, so that every analysis starts from the same y.
bool analysis_may_run(LpContext* ctx, bool requested, int integer_message);

// After a walk that kept its last basis (NOPARARESTORE): the values and
// prices of that basis for the problem as it stands, and the solver's
// feasibility and optimality flags made to describe it.  Returns true when
// it is still feasible and optimal; *rc receives 9 or 25 on a failure.
bool settle_kept_basis(LpContext* ctx, int* rc);

// The host's special missing values: ".I" (+infinity), ".M" (-infinity)
// and "." (no value).
double missing_plus_infinity();
double missing_minus_infinity();
double missing_value();

// A column the analyses never consider as entering: artificial or fixed.
bool excluded_from_entering(const LpContext* ctx, int32_t j);

// kappa: the factor by which a rate p_v - w'a_v becomes the rate of the
// stored reduced cost (see the head of this file).
double reduced_cost_rate_factor(const LpContext* ctx, const ReportBasis& b);

// c_v - y'a_v of the scaled problem for column v against the vector y
// (m entries), with c_v = `start`.  Returns 0, 9 or 25.
int price_against(LpContext* ctx, int32_t v, const double* y, double start, double* out);

// The stored reduced cost of every nonbasic column (0 for basic ones) into
// d[0 .. n), against the current duals.  Returns 0, 9 or 25.
int nonbasic_reduced_costs(LpContext* ctx, const ReportBasis& b, double* d);

// The interval [lower, upper] of phi and the columns that limit its ends
// (-1: none, the end is infinite).
struct PhiInterval {
    double lower;
    double upper;
    int32_t lower_column;
    int32_t upper_column;
    int32_t lower_position;  // header position of the limiting column
    int32_t upper_position;
};
PhiInterval unbounded_interval(const LpContext* ctx);

// Narrows the interval by the optimality of nonbasic column v (header
// position h) whose reduced cost is d + phi * rate: a column at its lower
// bound must keep d <= 0, one at its upper bound d >= 0, a free one d = 0.
// Rates of at most EPSILON in magnitude are taken as 0.  A reduced cost on
// the wrong side within the optimality tolerance counts as 0, so that the
// interval always holds the phi at which the basis was found optimal.
// Ties keep the first column met.
void narrow_by_reduced_cost(const LpContext* ctx, PhiInterval& iv, int32_t v, int32_t h, double d, double rate);

// The same for reduced costs d + (phi - at) * rate known to be optimal at
// phi = at (a parametric walk beyond its first interval).
void narrow_by_reduced_cost_at(const LpContext* ctx, PhiInterval& iv, int32_t v, int32_t h, double d, double rate,
                               double at);

// Narrows the interval by the bounds of the basic column at basis position
// k whose value is x + phi * rate, optimal (feasible) at phi = at.  Held
// columns (objective and free-row columns) have no bounds to keep.  Rates
// below `smallest` in magnitude are taken as 0.
void narrow_by_basic_value(const LpContext* ctx, PhiInterval& iv, int32_t k, double rate, double smallest, double at);

// The current objective value in the user's units.
double current_objective(const LpContext* ctx, const ReportBasis& b);

// Closes a group opened by table_open_group and clears the caller's handle;
// a null handle is ignored.
void close_output_group(LpContext* ctx, TymObject* group);

// A by-group key (name and text value) of a data object.
void add_by_group_key(LpContext* ctx, TymObject data, const char* name, const char* value, int length);

// Length of a blank-padded name without its trailing blanks.
int trimmed_name_length(const char* name, int length);

}  // namespace tymlp
