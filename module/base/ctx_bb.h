// ctx_bb.h -- branch-and-bound state kept in the run context: the node and
// integer-variable records, the active node lists with their sampled
// indexes, and the counters the status macro variable reports.
//
// Branch and bound fills these; the spine only creates them with their
// defaults, lets the option check set the sampled-index parameters, and
// reads the counters when it sets the status macro variable.
#pragma once

#include <cstdint>

namespace tymlp {

struct IntegerVariable;

// A node of the search tree (allocated from the host, reused via a free list).
struct ActiveNode {
    int32_t record;           // position of the saved record in the node file; -1 in a new node
    int32_t stamp;            // creation iteration: > 0 down branch, < 0 up branch, 0 root
    int16_t state;            // 1 allocated, 0 current or released, -1 set aside (singular basis)
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
};

// One integer or binary column.
struct IntegerVariable {
    int32_t column;
    int16_t flags;  // 0x100: binary
    double up_pseudocost;
    double down_pseudocost;
    double price;      // objective coefficient rounded up
    int32_t priority;  // branching priority from the data
    IntegerVariable* next;
};

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

struct BbState {
    ActiveNode* current;  // node being solved
    ActiveNode* root;
    ActiveNode* incumbent;  // best integer-feasible node, or none
    ActiveNode* oldest;     // creation-order list ends
    ActiveNode* newest;
    NodeList lists[kNodeListKinds];
    ActiveNode* free_list;
    ActiveNode* set_aside;
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
    int32_t deltait_counter;
    char condition[10];          // condition text of the current iteration, blank filled
    int32_t ipause_count;        // integer iterations since the last pause
    int32_t ifeasible_count;     // integer-feasible solutions since the last pause
    IntegerVariable* variables;  // the integer-variable list
    void* node_coder;            // coder of node records (TREETYPE > 0), created by the node store
};

}  // namespace tymlp
