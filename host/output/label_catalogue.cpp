// label_catalogue.cpp -- texts of catalogue group 253: table titles, entry
// labels of the summaries, subtitle words and the matrix picture legend.
//
// "%1" stands for the one argument a label may take (a name or a phase
// number).  The legend lines 106 to 120 are laid out in a 54-character line
// that the picture cuts into eight fields at fixed offsets (0-based 1, 7,
// 15, 18, 25, 27, 33, 45 with widths 6, 7, 2, 6, 1, 6, 7, 9): symbol, from,
// "to", up to, separator, and the same again for a second symbol.  Keep the
// table sorted by number; a unit test checks it.
#include <algorithm>

#include "output/catalogue.h"

namespace qmlp::host::output {
namespace {

constexpr LabelEntry kLabels[] = {
    // ---- problem summary
    {36, "Maximize %1"},
    {37, "Minimize %1"},
    {38, "%1"},
    {39, "%1"},
    {40, "Problem Density (%)"},
    {41, "Structural Variables"},
    {42, "Constraints"},
    {43, "Non-negative"},
    {44, "Unrestricted"},
    {45, "Lower Bounded"},
    {46, "Upper Bounded"},
    {47, "Upper and Lower Bounded"},
    {48, "Integer"},
    {49, "Binary"},
    {50, "Fixed Charge"},
    {51, "Fixed"},
    {52, "Slack"},
    {53, "Surplus"},
    {54, "Total"},
    {55, "Logical"},
    {56, "Less Than or Equal (LE)"},
    {57, "Equality (EQ)"},
    {58, "Greater Than or Equal (GE)"},
    {59, "Free (FR)"},
    {60, "Objective"},
    // ---- solution summary: subtitle words
    {61, "Paused"},
    {62, "Phase %1"},
    {63, "Fathomed"},
    {64, "Optimal"},
    {65, "Unbounded"},
    {66, "Infeasible"},
    {67, "Unstable"},
    {68, "Singular Basis"},
    {69, "Time Limit Reached"},
    {70, "Out of Memory"},
    {71, "No Integer Solution"},
    {72, "Integer Iteration Limit Reached"},
    {73, "Phase %1 Iteration Limit Reached"},
    {74, "Out of Memory in Branch and Bound"},
    {75, "Active Nodes Remain"},
    {76, "Relaxed Solution"},
    // ---- solution summary: entries
    {77, "Objective Value"},
    {78, "Phase %1 Iterations"},
    {79, "Integer Iterations"},
    {80, "Integer Solutions"},
    {81, "Columns Marked Basic in the Data"},
    {82, "Time Used (seconds)"},
    {83, "Time Used (milliseconds)"},
    {84, "Number of Inversions"},
    {85, "Epsilon"},
    {86, "Infinity"},
    {87, "Maximum Phase %1 Iterations"},
    {88, "Time Limit (seconds)"},
    {89, "Integer Tolerance"},
    {90, "Integer Optimal"},
    {91, "Integer Feasible"},
    // ---- sensitivity and parametric summaries
    {92, "Minimum Phi"},
    {93, "Leaving Variable"},
    {94, "Objective Value"},
    {95, "Maximum Phi"},
    {96, "Minimum Phi"},
    {97, "Maximum Phi"},
    {98, "INFINITY"},
    {99, "-INFINITY"},
    {100, "Entering Variable"},
    // ---- matrix and picture legend
    {104, "The rows UPPERBD and LOWERBD give the upper and lower bounds of the columns."},
    {106, "  blank      0 to FUZZ   |      G    1E6     to 1E7"},
    {107, "      Z   FUZZ to 1E-6   |      H    1E7     to 1E8"},
    {108, "      Y   1E-6 to 1E-5   |      I    1E8     to 1E9"},
    {109, "      X   1E-5 to 1E-4   |      J    1E9     to 1E10"},
    {110, "      W   1E-4 to 0.001  |      K   1E10     to 1E11"},
    {111, "      V  0.001 to 0.01   |      L   1E11     to 1E12"},
    {112, "      U   0.01 to 0.1    |      M   1E12     to 1E13"},
    {113, "      T    0.1 to 1      |      N   1E13     to 1E14"},
    {114, "      1  about    1      |      O   1E14     to 1E15"},
    {115, "      A      1 to 10     |      P   1E15     to 1E16"},
    {116, "      B     10 to 100    |      Q   1E16     to 1E17"},
    {117, "      C    100 to 1E3    |      R   1E17     to 1E18"},
    {118, "      D    1E3 to 1E4    |      *   1E18     and more"},
    {119, "      E    1E4 to 1E5    |      .exactly     INFINITY"},
    {120, "      F    1E5 to 1E6    |"},
    {122, "Maximum Integer Iterations"},
    // ---- table titles
    {210, "Problem Summary"},
    {220, "Solution Summary"},
    {230, "Variable Summary Data"},
    {231, "Variable Summary"},
    {250, "Constraint Summary Data"},
    {251, "Constraint Summary"},
    {270, "Iteration Log Data"},
    {271, "Iteration Log"},
    {291, "Integer Iteration Log"},
    {310, "Infeasible Constraints"},
    {311, "Infeasible Constraint Activity Data"},
    {312, "Infeasible Constraint"},
    {313, "Constraint %1"},
    {314, "Activity of the Columns in the Constraint"},
    {330, "Infeasible Columns"},
    {331, "Infeasible Column %1"},
    {350, "Matrix Picture"},
    {351, "Matrix Picture Data"},
    {352, "Matrix Picture"},
    {353, "Coefficient Matrix"},
    {354, "Matrix Picture Legend Data"},
    {355, "Legend of the Matrix Picture (a leading - marks a negative coefficient)"},
    {370, "Current Tableau"},
    {390, "RHS Range Analysis Data"},
    {391, "RHS Range Analysis"},
    {410, "Price Range Analysis Data"},
    {411, "Price Range Analysis"},
    {430, "Price Sensitivity Analysis"},
    {431, "Price Change Vector %1"},
    {440, "Price Sensitivity Summary"},
    {441, "Price Activities Data"},
    {442, "Price Activities"},
    {443, "Price Parametric Log Data"},
    {444, "Price Parametric Log"},
    {445, "Price Activity Data"},
    {446, "Price Activity"},
    {470, "RHS Sensitivity Analysis"},
    {471, "RHS Change Vector %1"},
    {480, "RHS Sensitivity Summary"},
    {481, "RHS Activities Data"},
    {482, "RHS Activities"},
    {483, "RHS Parametric Log Data"},
    {484, "RHS Parametric Log"},
    {485, "RHS Activity Data"},
    {486, "RHS Activity"},
    // ---- factoid entry labels
    {500, "Objective Function"},
    {501, "RHS Variable"},
    {502, "Type Variable"},
    {503, "Variables"},
    {504, "Constraints"},
    {510, "Constraint"},
    {511, "Activity"},
    {512, "Type"},
    {513, "Right-Hand Side"},
    {520, "Column"},
    {521, "Type"},
    {522, "Activity"},
    {523, "Lower Bound"},
    {524, "Upper Bound"},
};

}  // namespace

std::span<const LabelEntry> label_table() { return kLabels; }

const LabelEntry* find_label(int number) {
    const auto it = std::lower_bound(std::begin(kLabels), std::end(kLabels), number,
                                     [](const LabelEntry& e, int n) { return e.number < n; });
    if (it == std::end(kLabels) || it->number != number) return nullptr;
    return &*it;
}

}  // namespace qmlp::host::output
