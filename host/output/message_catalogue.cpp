// message_catalogue.cpp -- texts of the numbered messages of facility 202.
//
// Severity follows the meaning of a message: ERROR for a failure that ends
// the run or rejects the statement or the data, WARNING for a result the
// user should look at (limits, numerical trouble, suspicious data), NOTE for
// information.  Keep the table sorted by number; a unit test checks it.
#include <algorithm>

#include "output/catalogue.h"

namespace qmlp::host::output {
namespace {

constexpr Severity N = Severity::Note;
constexpr Severity W = Severity::Warning;
constexpr Severity E = Severity::Error;

constexpr MessageEntry kMessages[] = {
    // ---- statement and variable lists
    {1, E, "",
     "The ROW and COEFFICIENT statements list different numbers of variables; "
     "row-name and coefficient variables are paired in order, so the counts must agree."},
    {15, N, "s",
     "%1 sets a cutoff for branch and bound: nodes that cannot beat it are not explored, "
     "so integer solutions worse than the cutoff are not found."},
    {18, E, "sss", "The variable %2 listed in the %1 statement must be %3."},
    {19, E, "ss", "The variable %2 listed in the %1 statement is not in the data set."},
    {20, W, "s", "The variable %1 is listed more than once; it is used once."},
    {21, E, "s", "The %1 statement may list only one variable."},
    {23, E, "s", "The variable %1 is given more than one role by the statements."},
    {24, E, "", "The ID statement may list only one variable."},
    {25, E, "ss",
     "No %1 variable was found: the %1 statement is absent and the data set has no "
     "variable %2."},
    {26, W, "ss", "The column %1 is declared %2 more than once; the last declaration is used."},
    {27, E, "",
     "The problem has no structural columns: the VAR statement lists none and the data "
     "set has no other numeric variable."},
    {28, N, "si", "The row %1 (observation %2) has no nonzero coefficient."},
    {31, W, "si", "The %1 observation %2 has no usable value."},
    {32, E, "si", "The type %1 of observation %2 is not recognised."},
    {33, E, "", "The problem has no objective row: the data has no MAX or MIN observation."},
    {35, E, "", "The problem has no rows."},
    {36, E, "si",
     "Observation %2 of type %1 has a value other than 1; only 1 may mark a column "
     "in such an observation."},

    // ---- how a solve stopped while a phase was running
    {49, N, "", "The current solution is the best integer solution found (the incumbent)."},
    {50, N, "", "The current solution is optimal."},
    {51, W, "ii",
     "The basis factorisation could not be updated at iteration %1 of phase %2; the "
     "basis is factorised again."},
    {52, W, "", "The current solution is not feasible."},
    {53, W, "", "The current solution is feasible but not optimal."},
    {54, W, "",
     "The problem is unbounded: the phase found a direction in which the objective "
     "improves without limit."},
    {55, W, "",
     "The problem is infeasible: the phase found no solution that satisfies every "
     "constraint."},
    {56, N, "", "The objective of the node passed the cutoff; the node is fathomed."},
    {57, W, "",
     "The basis could not be factorised again at the end of the phase; the solution "
     "is numerically unstable."},
    {58, W, "", "The time limit (TIME=) was reached."},
    {59, E, "", "There is not enough memory to continue the phase."},
    {60, W, "", "The integer iteration limit (IMAXIT=) was reached."},
    {61, W, "ii", "Phase %1 stopped at its iteration limit (MAXIT%2=)."},
    {62, W, "",
     "Memory is short: node selection switches to LIFO and active nodes that cannot "
     "beat the cutoff are released."},
    {65, N, "i", "The solve stopped in phase %1."},

    // ---- how a solve ended
    {147, W, "", "The problem is infeasible."},
    {148, W, "", "The problem is unbounded."},
    {149, W, "",
     "The basis could not be factorised again after a phase; the solution is "
     "numerically unstable."},
    {150, W, "", "The basis matrix is singular; the solve stopped."},
    {151, W, "", "The time limit (TIME=) was reached; the solve stopped."},
    {152, E, "", "There is not enough memory; the solve stopped."},
    {154, W, "",
     "The integer iteration limit (IMAXIT=) was reached; the best solution so far is "
     "reported."},
    {155, W, "ii",
     "The solve ended because phase %1 reached its iteration limit; a larger MAXIT%2= allows more "
     "iterations."},
    {156, N, "",
     "The problem has integer columns or special ordered sets: the sensitivity "
     "analysis applies to the final continuous problem."},
    {157, E, "", "There is not enough memory for the sensitivity analysis."},
    {158, N, "sd",
     "Parametric programming of the right-hand-side vector %1 stops at phi = %2: no "
     "basis stays feasible beyond it."},
    {159, E, "", "Branch and bound ran out of memory; the solve stopped."},
    {160, N, "i", "Branch and bound has found %1 integer solution(s); active nodes remain."},
    {161, W, "", "No integer solution has been found yet; active nodes remain."},
    {162, N, "ss", "The coefficient of column %1 in row %2 is missing; it is taken as 0."},
    {163, N, "si", "The value for column %1 in observation %2 is missing; the attribute is not set."},
    {166, W, "ssi",
     "A second value for column %1 in row %2 was found in observation %3; the "
     "later value is used."},
    {167, E, "ssi",
     "The row %1 is given the type %2 in observation %3, but it already has another "
     "type."},
    {169, N, "", "The solve of this combination has ended; pausing (ENDPAUSE)."},
    {170, N, "", "The requested pivot was done; pausing."},
    {171, N, "", "The requested integer iterations were done; pausing."},
    {172, N, "", "The PAUSE= iteration count was reached; pausing."},
    {173, N, "", "An integer-feasible solution was found; pausing (IFEASIBLEPAUSE=)."},
    {174, W, "", "The solution is not optimal; the sensitivity and range analyses are not done."},
    {175, N, "",
     "PRIMALOUT holds the solution of the continuous relaxation: no integer solution "
     "has been found."},
    {176, N, "", "PRIMALOUT holds the best integer solution found so far; active nodes remain."},
    {177, W, "",
     "PRIMALOUT holds a solution that is not final: the solve stopped before it was "
     "optimal."},
    {178, N, "",
     "The problem has integer columns or special ordered sets: the range analysis "
     "applies to the final continuous problem."},
    {179, N, "", "The problem has been read; pausing (READPAUSE)."},
    {180, N, "sd",
     "Parametric programming of the price vector %1 stops at phi = %2: the problem "
     "is unbounded beyond it."},
    {181, E, "s", "PRIMALIN marks the column %1 basic more than once."},
    {182, W, "s",
     "PRIMALIN puts the column %1 at its upper bound, but the column has no finite "
     "upper bound."},
    {183, E, "", "The PRIMALIN basis does not have exactly one basic column per row."},
    {184, E, "ns", "PRIMALIN names the column %2, which is not in the problem."},
    {185, E, "",
     "The PRIMALIN data set lacks one of the variables _OBJ_ID_, _RHS_ID_, _VAR_, "
     "_TYPE_ and _STATUS_."},
    {186, W, "",
     "The integer solution in PRIMALIN is not integer feasible; it is not used as "
     "the incumbent."},
    {187, E, "nsns",
     "The PRIMALIN basis for the objective %2 and the right-hand side %4 cannot "
     "be factorised."},
    {188, E, "",
     "The starting basis marked by the BASIC observations of the problem data cannot "
     "be factorised."},
    {189, E, "", "The starting basis cannot be factorised."},
    {190, N, "", "The PRIMALIN basis replaces the basis marked by the BASIC observations."},
    {191, E, "", "The ACTIVEIN data set lacks one of its required variables."},
    {192, E, "ns", "The ACTIVEIN data set has no variable for the integer column %2."},
    {193, N, "", "An integer solution in ACTIVEIN is not better than the incumbent; it is skipped."},
    {194, N, "",
     "ACTIVEIN holds more than one integer solution; the better one becomes the "
     "incumbent."},
    {195, W, "ss", "An ACTIVEIN %1 observation is not preceded by its %2 observation."},
    {196, E, "", "The linear program of an ACTIVEIN integer solution could not be solved."},

    // ---- numerics and memory
    {201, E, "", "There is not enough memory to print the matrix."},
    {202, W, "d", "The basis factorisation is numerically unstable (modulus %1)."},
    {204, W, "", "There is not enough memory for Devex weights; pricing goes on without them."},
    {205, N, "s", "The row %1 has no type; it becomes a free row."},
    {206, N, "", "The user asked for a break; pausing."},
    {207, N, "",
     "The current solution is that of the node just solved, not the best integer "
     "solution."},
    {208, W, "", "The problem has no integer solution: branch and bound ended without finding one."},
    {209, W, "", "There is not enough memory to print the current tableau."},
    {210, E, "s",
     "The problem data set could not be read. If it is in the %1 layout, add or remove "
     "the SPARSEDATA option to match."},
    {211, E, "s", "An option value is not valid; it must satisfy %1.", "An option value is not valid."},
    {212, N, "", "A feasible solution was found; pausing (FEASIBLEPAUSE)."},
    {214, W, "ss", "The coefficient of column %2 in row %1 is smaller than EPSILON in magnitude."},
    {215, W, "sd",
     "PRIMALIN puts the artificial column %1 at an upper bound of %2 that differs "
     "from its lower bound."},
    {216, W, "s",
     "The constraint %1 is violated by more than EPSILON in the optimal solution; "
     "scaling may have cost accuracy (SCALE=NONE avoids it)."},
    {217, N, "", "IPIVOT applies only to problems with integer columns or special ordered sets."},
    {224, W, "ii",
     "The basis was repaired at iteration %1 of phase %2: a column that had left it "
     "was brought back after a singular factorisation."},
    {225, E, "",
     "No solution was found from the starting basis marked by the BASIC observations; "
     "check them."},
    {226, E, "",
     "No solution was found from the starting basis given by PRIMALIN; check the "
     "data set."},
    {227, W, "ns",
     "INVTOL= times the machine precision exceeds %2; factorisations may be reported "
     "as unstable."},
    {228, W, "",
     "GOALPROGRAM cannot fix the objective: branch and bound found no integer "
     "solution."},
    {229, W, "s",
     "The row-name variable %1 is not a character variable; rows are named by observation "
     "number instead."},
    {231, W, "i", "A node basis was singular at integer iteration %1; the node is set aside."},
    {235, N, "ddd",
     "Proximity %1: the incumbent objective is %2 and the best bound of the active "
     "nodes is %3."},
    {236, N, "", "The proximity is within PROXIMITYPAUSE=; pausing."},
    {237, N, "",
     "DUALOUT holds the duals of the continuous relaxation: no integer solution has "
     "been found."},
    {238, N, "",
     "DUALOUT holds the duals at the best integer solution found so far; active nodes "
     "remain."},
    {239, W, "", "DUALOUT holds the duals of a solution that is not final."},
    {240, N, "",
     "TABLEAUOUT holds the tableau of the continuous relaxation: no integer solution "
     "has been found."},
    {241, N, "", "TABLEAUOUT holds the tableau at the best integer solution."},
    {242, W, "", "TABLEAUOUT holds the tableau of a solution that is not final."},
    {243, W, "",
     "More than 100 coefficients are smaller than EPSILON in magnitude; no more are "
     "reported."},
    {244, W, "",
     "The basis factorisation was unstable 100 times; later instabilities are not "
     "reported."},
    {245, W, "s", "The constraint %1 is violated by more than EPSILON in the optimal solution."},
    {246, W, "",
     "Phase 1 found an unbounded direction: if the problem is feasible, it is "
     "unbounded."},
    {247, N, "", "PRIMALOUT holds the optimal integer solution."},
    {248, N, "", "DUALOUT holds the duals at the optimal integer solution."},
    {249, E, "", "GOALPROGRAM needs a single right-hand-side column."},
    {250, W, "ii", "Column names longer than %1 characters are cut to %2 characters in ACTIVEOUT."},

    // ---- sparse layout
    {251, N, "",
     "The data gives no right-hand side; a right-hand-side column _RHS_ of zeros is "
     "used."},
    {252, N, "i", "Observation %1 is empty and is ignored."},
    {253, E, "si", "The %1 observation %2 gives neither a row nor a column."},
    {254, E, "si", "The %1 observation %2 needs a row or a column name."},
    {255, E, "si", "The %1 observation %2 needs a column name as well as a row name."},
    {256, E, "si", "Observation %2 has no type and lacks a %1 name."},
    {257, E, "si", "The %1 observation %2 needs a row name."},
    {258, E, "", "The data set could not be read again from its start."},

    // ---- preprocessing
    {259, E, "", "Preprocessing needs a single right-hand-side column."},
    {260, E, "s", "Preprocessing found the constraint %1 infeasible."},
    {261, N, "s", "Preprocessing eliminated the constraint %1."},
    {262, N, "sd", "Preprocessing raised the lower bound of %1 to %2."},
    {263, N, "sd", "Preprocessing lowered the upper bound of %1 to %2."},
    {264, N, "sd", "Preprocessing fixed %1 at %2."},
    {265, N, "ssd", "Preprocessing reduced the coefficient of %2 in row %1 to %3."},
    {266, N, "sdsd", "Preprocessing reduced row %1: right-hand side %2, coefficient of %3 %4."},
    {269, N, "ins", "Preprocessing: %1 %3."},
    {270, N, "", "Preprocessing was on: the analysis applies to the preprocessed problem."},
    {280, N, "i", "Preprocessing pass %1."},
    {281, N, "", "Preprocessing was interrupted by the user; the changes so far are kept."},
    {282, N, "", "Preprocessing is complete."},
    {283, W, "sd",
     "The infeasible ending does not hold in extended precision: no certificate of infeasibility was found (the "
     "best one fails at column %1 by %2 relative to its terms). The problem is not reported as infeasible."},
    {284, W, "ssd",
     "The unbounded ending does not hold in extended precision: its ray fails at %1 %2 by %3 relative to its "
     "terms. The problem is not reported as unbounded."},
    {285, N, "",
     "The infeasible ending of phase 1 has no certificate yet: a column it passed over as too flat would still "
     "reduce the infeasibility; phase 1 goes on with a smaller tolerance."},
    {286, N, "",
     "The unbounded ending does not hold in extended precision: a column with a finite bound moves along its ray "
     "at a rate below REPSILON; phase 2 goes on and may pivot on it."},
    {287, N, "d",
     "The optimal ending does not hold in extended precision: a basic column lies outside its bounds by %1; the "
     "dual phase goes on with a feasibility tolerance below that."},
    {288, N, "sd",
     "The optimal ending does not hold in exact arithmetic: %1 by %2; the solve goes on from this basis with a "
     "smaller tolerance."},
    {289, W, "ss",
     "The basis of the solution is not %1 in exact arithmetic (column %2 fails). The solution is not reported as "
     "optimal."},
    // ---- checked endings
    {290, N, "d",
     "The optimal ending was checked on fresh factors and does not hold: a column still has a price of %1; "
     "phase 2 goes on."},
    {291, N, "d",
     "The optimal ending was checked on fresh factors and does not hold: the basic values are outside their "
     "bounds by %1 in all; phase 1 runs again."},
    {292, N, "", "The unbounded ending was checked on fresh factors and does not hold; phase 2 goes on."},
    {293, W, "ssd",
     "The solution does not pass its check in the problem's own units: %1 %2 is off by %3 relative to the size "
     "of its terms. The solution is not reported as optimal."},
    {294, W, "i", "The optimal ending still did not hold after %1 checks. The solution is not reported as optimal."},
    {295, W, "",
     "The unbounded direction is doubtful: a basic column moves towards a finite bound at a rate below REPSILON; "
     "phase 2 takes that step with the small pivot."},
    {296, N, "", "The infeasible ending of phase 1 was checked on fresh factors and does not hold; phase 1 goes on."},
    {297, W, "",
     "The solution is numerically unstable: it did not pass the checks of its ending, so it is not reported as "
     "optimal."},
    {298, N, "", "The infeasible ending of the dual phase was checked on fresh factors and does not hold; it goes on."},
    {299, N, "dd",
     "The optimal ending was checked: a column priced %1, within EPSILON, lies on an edge long enough to change the "
     "objective by %2; phase 2 goes on with a smaller tolerance for that step."},

    // ---- data that would silently change the problem
    {300, E, "s",
     "The variable %1 would be a structural column, but a few of its values are not numbers, so it is read as "
     "character (see the WARNING above); correct those values, or leave the variable out with a VAR statement."},
    {301, W, "s",
     "The numeric variable %1 is not used to name the rows; it becomes a structural column of the problem."},
    {302, E, "si",
     "Different values of the name variable %1 become one name when cut to its length %2 (see the WARNING "
     "above), which would merge rows or columns; give the variable a larger length."},
    {303, E, "s", "The data set %1 has no observations: it names its variables but holds no problem."},
    {304, E, "i", "Observation %1 has a blank type; every observation of this layout needs a type."},
    {305, E, "ii", "%1 observations in all have a type that is not recognised; only the first %2 are listed."},
    {306, W, "sisi",
     "Names longer than %2 characters are cut to that length: the %1 value %3 of observation %4 is the first "
     "(later ones are not listed)."},
    {307, E, "ssii",
     "The names %1 and %2 (observation %4) agree in their first %3 characters, which is all a name keeps; they "
     "would become one row or column."},

    // ---- pauses: SHOW and PRINT
    {330, N, "", "The options in force follow, one per line."},
    {331, N, "ss", "  %1=%2."},
    {332, N, "s", "Where the run stands: %1."},
    {333, N, "", "There is no solution to print yet: the problem has not been solved."},
    {334, W, "s", "PRINT: no column or row is named or numbered %1; it is left out."},
    {335, N, "s", "PRINT %1 is not available in a pause yet."},
    {336, N, "iii", "Branch and bound saved %1 node records in %2 bytes (TREETYPE=%3)."},
    {337, N, "", "PRINT BEST: no integer solution has been found yet."},
    {338, N, "d", "The integer solution in PRIMALIN is the first incumbent (objective %1)."},
    {339, W, "s", "The integer solution in PRIMALIN is not used as the incumbent: %1."},

    // ---- pauses: what a statement does there
    {360, N, "",
     "A pause looks without changing the run: each parametric walk ends with the basis it started from "
     "(NOPARARESTORE applies to the analyses at the end of the solve)."},
    {361, E, "", "PRINT: there is not enough memory to keep the run as it is while printing; nothing is printed."},
    {362, W, "s", "%1 looks at a run in a pause; before RUN there is none, so it does nothing here."},

    // ---- infinite and contradicting values of the data
    {370, W, "sdd",
     "The column %1 has the lower bound %2 above its upper bound %3: no value satisfies both, so the problem "
     "is infeasible."},
    {371, N, "s",
     "The right-hand side of row %1 is infinite on the side the row leaves open, so the row does not bind; it "
     "is solved as a free row."},
    {372, E, "s",
     "The right-hand side of row %1 is infinite on a side the row bounds (or the row is an objective): no "
     "solution could satisfy it; give a finite value."},
    {373, E, "s",
     "The row %1 has an infinite right-hand side in some right-hand-side columns and a finite one in others; "
     "a row that binds in one combination and not in another cannot be solved; give it a finite value."},
    {374, E, "ssi",
     "The coefficient of column %2 in row %1 (observation %3) is infinite; a coefficient or cost must be a "
     "finite number."},
    {375, W, "ii", "%1 columns in all have bounds that leave them no value; only the first %2 are listed."},
    {376, E, "sdd", "The value %2 of %1 is too large: %1 may be at most %3."},
    {377, E, "s",
     "The equality row %1 has an infinite range, which would leave it open on one side; make it a LE or GE "
     "row instead."},
    {378, E, "ssi",
     "The sensitivity vector %1 has an infinite value for %2 (observation %3); a price or right-hand-side "
     "sensitivity vector must hold finite numbers."},

    // ---- integer bounds, ACTIVEIN and PRIMALIN checked against the problem
    {390, W, "s",
     "The integer column %1 has no whole number between its bounds: the problem has "
     "no integer solution."},
    {391, N, "i", "The fractional bounds of %1 integer columns were rounded to the whole numbers inside them."},
    {392, E, "s", "The ACTIVEIN data set cannot be used: %1."},
    {393, W, "",
     "The ACTIVEIN data set does not say how many nodes it holds (an older layout): its "
     "nodes are not used, and the search starts again from the root with its integer "
     "solution."},
    {394, E, "s", "The PRIMALIN data set cannot be used: %1."},
    {395, W, "s", "The integer solution in ACTIVEIN is not used as the incumbent: %1."},
    {396, W, "id",
     "%1 integral node solutions of the search did not pass their check in the problem's own units, and the best "
     "of them (objective %2) is better than every integer solution kept: their subtrees were not searched, so "
     "the search proves no optimum."},
    {420, N, "sdi", "The %1 heuristic found an integer solution (objective %2) at integer iteration %3."},
    {421, N, "ii", "The heuristics found %1 integer solutions; their dives took %2 iterations."},
    // ---- cutting planes at the root (extension)
    {440, N, "idd", "Cutting planes at the root: %1 rounds; objective bound %2 before the cuts, %3 after."},
    {441, N, "iiii",
     "Cuts put into the root LP: %1 Gomory mixed-integer, %2 knapsack cover, %3 mixed-integer rounding; "
     "%4 taken out again when slack."},
    {442, W, "sd", "A %1 cut would cut off the PRIMALIN integer solution (by %2); it is not used."},
    {443, W, "i",
     "The last round of cutting planes was undone: the LP with its cuts ended with stop code %1. "
     "The search starts from the cuts before it."},
    {444, N, "i",
     "Rows with binary columns strengthened (their coefficients tightened) and put into the root LP as cuts: %1."},
};

}  // namespace

std::span<const MessageEntry> message_table() { return kMessages; }

const MessageEntry* find_message(int number) {
    const auto it = std::lower_bound(std::begin(kMessages), std::end(kMessages), number,
                                     [](const MessageEntry& e, int n) { return e.number < n; });
    if (it == std::end(kMessages) || it->number != number) return nullptr;
    return &*it;
}

}  // namespace qmlp::host::output
