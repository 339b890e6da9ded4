// ctx_options.h -- the statement options as the run uses them.
//
// Every field is named after its option.  create_context fills each from the
// option table (control/option_table.cpp); the option check overwrites the
// ones a statement gives with valid values.  "Not given" is marked where the
// run must tell a default from a user's value: by the host missing value for
// doubles, by a sentinel noted at the field for integers.
#pragma once

#include <cstdint>

namespace tymlp {

// Keyword values of the choice options.
enum NodeRule : int16_t {
    kNodeLifo = 1,
    kNodeFifo = 2,
    kNodeObj = 3,
    kNodeProject = 4,
    kNodePseudoc = 5,
    kNodeError = 6
};
enum VarRule : int16_t { kVarClose = 1, kVarFar = 2, kVarPenalty = 3, kVarPrior = 4, kVarPseudoc = 5, kVarPrice = 6,
                         kVarPenaltySum = 7, kVarReliable = 8 };
enum ScaleMode : int16_t { kScaleNone = 0, kScaleColumns = 1, kScaleRows = 2, kScaleBoth = 3 };
enum ScaleType : int16_t { kScaleEquilibrium = 0, kScaleGeometric = 1 };
// PRICETYPE: 0 full pricing (COMPLETE; NONE, as in "no candidate queue"),
// 1 queue whose slot of the entering column follows the leaving one, 2 queue
// whose slot is emptied (PARTIAL), 3 dynamic queue (DYNAMIC), 4 lowest index.
enum PriceType : int16_t {
    kPriceFull = 0,
    kPriceQueueFollow = 1,
    kPricePartial = 2,
    kPriceDynamic = 3,
    kPriceLowestIndex = 4
};

// ALGORITHM (an extension): the primal phases (the default), the dual
// simplex path, or the dual path unless a PRIMALIN basis is given.
enum Algorithm : int16_t { kAlgorithmPrimal = 0, kAlgorithmDual = 1, kAlgorithmAuto = 2 };

// INVTYPE (an extension): when the factors are renewed outside the integer
// search.  COUNT every INVFREQ updates (the default); AUTO when the work the
// updates have added to the solves since the last factorisation outweighs a
// fresh one (simplex/refactor_rule.h).
enum InvType : int16_t { kInvTypeCount = 0, kInvTypeAuto = 1 };

struct LpOptions {
    // ---- valued options (order of the option table) ----
    int32_t penaltydepth;    // branching penalty depth, 1..2^31-1; 0 = branch and bound sets it
    int16_t debug;           // checker level, 1..10; 0 = no checking
    double epsilon;          // optimality/feasibility tolerance, (0, DBL_MAX]
    double repsilon;         // smallest acceptable pivot, (0, DBL_MAX]
    double infinity;         // magnitude that stands for an absent bound, (0, DBL_MAX]
    int32_t maxit1;          // phase-1 iteration limit, >= 0
    int32_t maxit2;          // phase-2 iteration limit, >= 0
    int32_t maxit3;          // phase-3 (dual, integer) iteration limit, >= 0
    int32_t invfreq;         // factor updates between refactorisations, >= 1
    int32_t maxit;           // limit for every phase; 2147483647 = not given
    double time;             // time limit in seconds, [0, 2147483647]
    int16_t price;           // pricing queue size, 1..32766; 0 = not given
    double sparse;           // work-store sizing factor, (0, DBL_MAX)
    double fuzz;             // printed values below this are printed as 0, (0, DBL_MAX)
    double small;            // drop tolerance of the factors, (0, DBL_MAX)
    double u;                // threshold pivoting factor, (EPSILON, 1)
    double invtol;           // largest acceptable factor growth, (0, DBL_MAX)
    int16_t canselect;       // node selection: 1 LIFO 2 FIFO 3 OBJ 4 PROJECT 5 PSEUDOC 6 ERROR
    int16_t backtrack;       // backtracking rule, same numbers as canselect
    int16_t varselect;       // branching variable: 1 CLOSE 2 FAR 3 PENALTY 4 PRIOR 5 PSEUDOC 6 PRICE 7 PENSUM 8 RELIABLE
    int32_t imaxit;          // integer iteration limit, 1..2^31-2
    int16_t printlevel;      // -2..1: how much of the summaries is printed
    double iobjective;       // initial cutoff (objective units); missing = not given
    double dobjective;       // absolute gap for the cutoff, >= 0; missing = not given
    double pobjective;       // relative gap for the cutoff, >= 0; missing = not given
    double wobjective;       // target objective; missing = not given
    int32_t pause;           // pause every so many simplex iterations; 2147483647 = never
    int32_t ipause;          // pause every so many integer iterations
    int32_t ifeasiblepause;  // pause after so many integer-feasible solutions
    double pricephi;         // price parametric limit
    double rhsphi;           // right-hand-side parametric limit
    int16_t scale;           // 0 NONE, 1 COLUMN, 2 ROW, 3 BOTH
    int16_t scaletype;       // 0 EQUILIBRIUM (largest magnitude), 1 GEOMETRIC (sqrt(min*max))
    int16_t pricetype;       // 0 full (COMPLETE, NONE), 1 and 2 queue rules (PARTIAL = 2), 3 DYNAMIC, 4 lowest index
    int32_t printfreq;       // iteration log line every so many iterations, >= 1
    double iepsilon;         // integrality tolerance, (0, DBL_MAX)
    int32_t workmemory;      // work store size in kilobytes; 0 = chosen from the problem
    int16_t performance;     // 0..2: diagnostic note lines
    int32_t readmemory;      // coefficient window of the dense reader, in rows
    double refreshq;         // dynamic pricing: share of minor passes, [0, 1]
    double qchecksize;       // dynamic pricing: attractive columns per major pass / PRICE
    double qepsilon;         // dynamic pricing: attractiveness threshold
    double quratio;          // dynamic pricing: grow the queue above this major ratio, (0, 1)
    double qlratio;          // dynamic pricing: shrink the queue below this major ratio, (0, 1)
    double phasemix;         // weight of the true objective in phase 1, [0, 1]
    int32_t deltait;         // integer iterations between cutoff updates; 2147483647 = not given
    double pwobjective;      // proximity weight, [0, 1]
    double proximitypause;   // pause when the proximity falls below this, >= 0
    int32_t lifotype;        // LIFO variant, 0..3
    double bepsilon;         // starting ratio-test tolerance, (0, 1e-6]
    double randompricemult;  // share of random choices in phase 1, >= 0
    int32_t treetype;        // node record compression, 0..3
    double pepsilon;         // preprocessing tolerance, (0, DBL_MAX]
    int32_t pmaxit;          // preprocessing passes, >= 1
    double cpercent;         // sampled index fraction, (0, 1)
    int32_t clength;         // sampled index minimum spacing, >= 1
    int32_t csize;           // sampled index initial capacity, >= 1
    int16_t preprocess;      // 1 = preprocess the problem (flag PREPROCESS / value PREPROCESS=)
    int16_t postprocess;     // 1 = postprocess integer columns
    int32_t auto_first;      // AUTO first value; 0 = not given (branch and bound: 20000)
    int32_t auto_second;     // AUTO second value; 0 = not given (branch and bound: 250000)
    double control;          // node selection mixing value, [0, 1]; missing = not given
    int32_t lu;              // factorisation routine: 1 Markowitz, 2 left-looking
    int16_t algorithm;       // Algorithm: 0 primal phases, 1 dual simplex path, 2 automatic
    int32_t heuristics;      // primal heuristics: 0 none, 1 rounding at every node, 2 and dives
    int32_t divefreq;        // a dive at every DIVEFREQ-th integer iteration (HEURISTICS=2)
    int32_t reliability;     // VARSELECT=RELIABLE: branchings a pseudocost needs before it is trusted
    int32_t cutpasses;       // rounds of cutting planes at the root of an integer search; 0 = none
    int32_t cutcheck;        // 1 = every cut is checked against the PRIMALIN integer solution
    int16_t invtype;         // InvType: refactorisation by count or by measured cost

    // ---- keyword-only flags (0 off, 1 on) ----
    int16_t devex;              // Devex reference weights in pricing
    int16_t endpause;           // pause after each combination's solve
    int16_t flow;               // iteration log of the simplex phases
    int16_t paraprint;          // print every parametric step
    int16_t pararestore;        // restore the starting basis after parametric programming
    int16_t tableauprint;       // print the current tableau
    int16_t feasiblepause;      // pause at the first feasible solution
    int16_t sparsedata;         // the problem data set has the sparse layout
    int16_t rangeprice;         // price range summary
    int16_t rangerhs;           // right-hand-side range summary
    int16_t goalprogram;        // fix each solved objective at its value
    int16_t readpause;          // pause after reading (1 = with message 179)
    int16_t binfst;             // branch on binary columns first
    int16_t auto_select;        // automatic node selection (AUTO / NOAUTO)
    uint8_t sparsepricing;      // sparse pricing (byte flag)
    uint8_t blandsrule;         // lowest-index anti-cycling rule (byte flag)
    uint8_t blandsrule_in_use;  // set by the degeneracy guard of phase 1; NOBLANDSRULE clears it

    // ---- derived ----
    int16_t node_coder_type;  // coder of node records chosen by TREETYPE: 0 none, 1, 3 or 5
};

}  // namespace tymlp
