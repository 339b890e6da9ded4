// ctx_bb.h -- branch-and-bound state kept in the run context: the node and
// integer-variable records, the active node lists with their sampled
// indexes, the node-record file, the selection rules' state, the
// reduced-cost fixings, and the counters the status macro variable reports.
//
// Everything is in internal objective units: z = s * (objective activity)
// in the scaled units of the objective's column, s = +1 for a maximisation
// and -1 for a minimisation, so a larger z is always better.
//
// The context starts zero filled; create_context sets the few fields whose
// zero is not their start (branch_column, condition, the sampled-index
// parameters), and the integer phase (integer/branch_bound.h) initialises
// the rest once per combination.
#pragma once

#include <cstdint>

namespace tymlp {

struct LpContext;
struct IntegerVariable;

// A node of the search tree (allocated from the host, reused via a free list).
struct ActiveNode {
    int32_t record;           // position of the saved record in the node file; -1 in a new node
    int32_t stamp;            // creation iteration: > 0 down branch, < 0 up branch, 0 root
    int16_t state;            // NodeState
    ActiveNode* next;         // free list and set-aside list
    ActiveNode* creation[2];  // creation-order links: older, newer
    ActiveNode* by_bound[2];  // bound list links: lower, higher
    ActiveNode* by_projection[2];
    ActiveNode* by_estimate[2];
    ActiveNode* by_error[2];
    double bound;                      // z of the parent's LP less the branching penalty
    double projection;                 // bound - w * infeasibility
    double estimate;                   // bound - the parent's pseudocost estimates
    double error;                      // (incumbent z - estimate) / (bound - incumbent z)
    double infeasibility;              // sum of integer infeasibilities of the parent's LP solution
    IntegerVariable* branch_variable;  // variable whose rounding created the node, or none
    double change;                     // how far the branch moved that variable
    double parent_z;                   // z of the parent's LP solution
    ActiveNode* everyone;              // chain of every node allocated in the run (for the reset)
};

enum NodeState : int16_t { kNodeSetAside = -1, kNodeCurrent = 0, kNodeAllocated = 1 };

// One integer or binary column.
struct IntegerVariable {
    int32_t column;
    int16_t flags;  // kIntegerBinary
    double up_pseudocost;
    double down_pseudocost;
    int32_t up_count;  // losses the up pseudocost has been measured from (branchings, strong branching)
    int32_t down_count;
    double price;      // objective coefficient rounded up
    int32_t priority;  // branching priority from the data
    IntegerVariable* next;
};

inline constexpr int16_t kIntegerBinary = 0x100;

// One sample of a sampled index.
struct SampleEntry {
    ActiveNode* node;
    int32_t stamp;  // the node's stamp when sampled (stale when it differs)
};

// The index that speeds insertion into an ordered node list.
struct SampledIndex {
    SampleEntry* entries;      // samples in list order
    int32_t min_spacing;       // CLENGTH (default 10)
    int32_t spacing;           // list steps between samples
    int32_t count;             // entries in use
    int32_t max_count;         // recomputed at each insertion
    int32_t initial_capacity;  // CSIZE (default 10)
    int32_t capacity;          // entries allocated; 0 until the first insertion into a non-empty list
    double fraction;           // CPERCENT (default 0.02)
};

// The four ordered node lists (ascending key, high end = largest key).
enum NodeListKind : int {
    kListByBound = 0,
    kListByProjection = 1,
    kListByEstimate = 2,
    kListByError = 3,
    kNodeListKinds = 4
};

struct NodeList {
    ActiveNode* low;
    ActiveNode* high;
    SampledIndex index;
};

// The coder of compressed node records (TREETYPE 1 to 3).  The layer that
// holds the coders installs it; with none, node records are stored raw.
// Each routine codes `length` bytes of `in` into `out` (room for `capacity`
// bytes) and leaves the coded length in *out_length; it returns 0, or 9
// when memory is lacking.
struct NodeCoderEntries {
    int (*compress)(LpContext* ctx, const uint8_t* in, int32_t length, uint8_t* out, int32_t capacity,
                    int32_t* out_length);
    int (*expand)(LpContext* ctx, const uint8_t* in, int32_t length, uint8_t* out, int32_t capacity,
                  int32_t* out_length);
};

// Node selection mixed by AUTO and CONTROL: three phases (picks from the
// CANSELECT list, dives, picks from the worst-bound end), each with a quota.
struct MixState {
    int16_t phase;             // 0, 1 or 2
    int32_t picks[3];          // picks made in each phase since it began
    int32_t dive_depth;        // depth of the current dive
    int32_t dive_depth_limit;  // deepest dive of phase 1
    int32_t quota[3];          // CANSELECT picks, dives, worst-bound picks
    int32_t runs;              // constant 100: picks per run of the pure rules
    int32_t dive_scale;        // constant 5 * integer count
    int32_t depth_scale;       // constant integer count / 2 + 1
    double control;            // the control value last given to set_mix
};

// Reduced-cost fixing (POSTPROCESS): the continuous optimum's values and
// reduced costs, and the columns recorded so far with the value each is
// fixed at whenever a node has been selected.
struct FixingState {
    double continuous_z;  // z of the continuous optimum
    double* saved_value;  // n: values of the continuous optimum
    double* saved_cost;   // n: its reduced costs (internal objective per scaled unit)
    int32_t* nonbasic;    // its nonbasic columns
    int32_t nonbasic_count;
    int32_t* fixed_column;  // recorded columns, in the order recorded
    double* fixed_value;    // the value each is fixed at
    int32_t fixed_count;
    uint8_t* recorded;  // n: bit 0 recorded, bit 1 at its upper bound in the continuous optimum
    int16_t prepared;   // the arrays hold this combination's optimum
};

// A row-wise copy of the matrix and the sparse row of the tableau the
// penalties read: with it a penalty costs the nonzeros of the rows where the
// row of the basis inverse is nonzero, not those of the whole matrix.
struct PenaltyRows {
    int32_t* start;    // m + 1: where each row's entries begin
    int32_t* columns;  // the column of each entry, ascending within a row
    double* values;
    double* alpha;      // n: the tableau row, nonzero only at `touched`
    int32_t* touched;   // the columns the row reaches
    uint8_t* mark;      // n: 1 for a column in `touched`
    int32_t* position;  // n: a basic column's place in the basis, as last recorded
    int32_t touched_count;
    int16_t built;
};

struct BbState {
    ActiveNode* current;    // node being solved
    ActiveNode* root;       // the root's record holds the continuous optimum's basis and the original bounds
    ActiveNode* incumbent;  // best integer-feasible node, or none
    ActiveNode* oldest;     // creation-order list ends
    ActiveNode* newest;
    NodeList lists[kNodeListKinds];
    uint8_t lists_in_use;  // bit k: list k is kept (bit 0, the bound list, always)
    ActiveNode* free_list;
    ActiveNode* set_aside;
    ActiveNode* all_nodes;     // every node allocated in the run, chained through `everyone`
    int32_t active_count;      // active nodes
    int32_t iteration;         // integer iteration number
    int32_t feasible_count;    // integer-feasible solutions found
    int32_t branch_column;     // branching column of the current node; -1 when none
    double infeasibility_sum;  // integer infeasibility of the current LP solution
    double estimate_sum;       // pseudocost estimates of the current LP solution
    double cutoff;             // internal objective a node must beat
    double target;
    double projection_weight;  // 0 at the start
    int16_t improved;          // an evaluation found a better integer solution
    int16_t all_binary;
    int16_t integral_objective;
    int16_t evaluated;               // the current node's LP was evaluated (read by the driver)
    int16_t last_evaluation;         // result of the last evaluation (0, 6, 15, 17)
    int16_t parent_basis_in_memory;  // basis and bounds in memory are the node branched last (fast restore)
    int16_t node_in_lp;              // the current node's LP is being solved: the node is in no list
    int32_t deltait_counter;
    char condition[10];          // condition text of the current iteration, blank filled
    int32_t ipause_count;        // integer iterations since the last pause
    int32_t ifeasible_count;     // integer-feasible solutions since the last pause
    IntegerVariable* variables;  // the integer-variable list
    double* primalin_values;     // a feasible integer solution PRIMALIN gave (user units, list order), or none
    int16_t primalin_solution;   // primalin_values holds one for this combination
    double objective_scale;      // scale factor of the objective's column (1 when unscaled)
    uint64_t problem_digest;     // the sense, integer columns' bounds and prices (integer/active_check.h)

    // The node file (model.node_file) and its records.
    int32_t value_width;                         // 1, 2, 4 or 8 bytes per bound; 0 until the first save chooses it
    uint8_t* record_buffer;                      // 2 * record_room bytes: raw record, then coded record
    int32_t record_room;                         // bytes of each half
    void* node_coder;                            // state of the node-record coder, or none
    const NodeCoderEntries* node_coder_entries;  // TREETYPE's coder, or none (raw records)
    int64_t records_saved;                       // node records written in the run
    int64_t record_bytes;                        // their bytes as stored (coded when a coder is installed)

    // Work arrays of the evaluation (allocated once per run).
    double* rho;      // m: a row of the basis inverse
    double* reduced;  // n: reduced costs of the node's LP
    PenaltyRows penalty_rows;

    MixState mix;
    FixingState fixing;

    // VARSELECT=RELIABLE: the fractional candidates of the node being
    // evaluated, with their fractional parts.
    IntegerVariable** reliable_candidates;  // integer count
    double* reliable_down;                  // integer count
    int32_t reliable_count;

    // Integral node LPs whose solution failed the check in the user's units
    // even on fresh factors: their subtrees were not searched, so a search
    // that ends with none of them beaten has proven nothing.
    int32_t unverified_count;
    double unverified_bound;  // the best internal objective among them
};

}  // namespace tymlp
