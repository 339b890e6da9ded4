// ctx_phases.h -- the simplex phases' part of the run context: the outcome
// of the last pricing and ratio test, the pricing rule's queue and Devex
// data, the sparse-pricing copy, the dual ratio test's breakpoint free list,
// and the phase loop's bookkeeping.
//
// The context is zero-filled at creation, so every pointer starts null and
// every array is allocated the first time a phase needs it (from the block
// chain, except where noted); end_run returns them with the chain.
#pragma once

#include <cstdint>

namespace tymlp {

struct LpContext;
struct PriceTree;

// A rule entry point: prices columns and leaves the outcome in PricingState.
// Returns kRunOk, or kRunMemory when a column could not be fetched for lack of memory.
using PricingRule = int (*)(LpContext* ctx);

// Choice source of the entering column.
enum ChoiceSource : int16_t { kSourceMajor = 0, kSourceRule = 1, kSourceRandom = 2 };

// One breakpoint of the dual ratio test (linked in ascending ratio order).
struct DualBreakpoint {
    double ratio;    // |d_j / alpha_j|, at least 0
    double alpha;    // |alpha_j|
    int32_t column;  // column j
    int32_t reserved;
    DualBreakpoint* next;
    DualBreakpoint* prev;
};

struct PricingState {
    double price;            // best value of the last pricing, -INFINITY when nothing was priced
    int16_t source;          // ChoiceSource of the last choice
    int32_t major_passes;    // full (major) pricing passes in the current phase
    int32_t minor_passes;    // minor passes since the last major pass
    PricingRule saved_rule;  // the rule the degeneracy guard set aside, or none

    // Candidate queue (PRICETYPE 1 to 3): header positions, -1 = empty.
    double* queue_value;
    int32_t* queue_position;
    int32_t queue_capacity;  // slots allocated
    int32_t rotate_start;    // where the dynamic rule's next major scan starts (32-bit: n may pass 32767)

    // Devex reference weights.
    double* weight;            // n; negative = not yet updated since the last reset (full rule)
    double* devex_rows;        // k rows of m doubles (k = devex_k)
    int32_t* devex_positions;  // k basis positions, -1 = none recorded
    int32_t devex_k;           // rows allocated
    int32_t ring;              // next slot of devex_positions
    int32_t last_entered;      // column that entered last (-1 none)
    int32_t last_left;         // column that left last (-1 none)
    int16_t row_valid;         // devex_rows[0] holds the row of the last leaving position

    // Sparse pricing: stored reduced costs and the row-wise copy of the
    // nonbasic, non-artificial columns.
    double* reduced;        // n: d_j = c_j - y'a_j of the nonbasic columns
    double* pivot_row;      // n: alpha_r of the last pivot row
    double* rho;            // m: row r of B^-1
    int32_t* rho_rows;      // m: rows where rho may be nonzero (rho_count of them)
    int32_t rho_count;      // -1: rho is not described by rho_rows
    uint8_t* framework;     // n: Devex framework bytes of sparse pricing
    int32_t* touched;       // n: columns with a nonzero in pivot_row (cleared entries)
    uint8_t* touched_mark;  // n: 1 while a column is listed in `touched`
    int32_t touched_count;
    int64_t* row_start;     // m: first entry of each row's room
    int32_t* row_count;     // m: entries of each row in the copy
    int32_t* copy_columns;  // entries: column numbers
    double* copy_values;    // entries: values
    uint8_t* copy_basic;    // n: basic bit of each column as the copy knows it
    int16_t copy_built;     // the row-wise copy exists
    int16_t stored_active;  // the stored-price rule is installed
    PriceTree* price_tree;  // the stored-price rule's tournament tree (simplex/price_tree.h), or none
};

struct RatioState {
    double theta;      // step of the last primal ratio test (signed)
    double pivot;      // pivot element alpha_r of the last exchange
    double dual_step;  // signed dual step of the last dual ratio test
    double direction;  // +1 when the entering column of the last primal test rises, -1 when it falls
    // Candidate arrays of the primal tests (m entries each), kept from call
    // to call so that an iteration allocates nothing.
    int32_t* candidate_position;
    double* candidate_ratio;
    int32_t* breakpoint_position;
    double* breakpoint_ratio;
    // Basis positions where the FTRAN'd entering column in the work vector
    // may be nonzero (m entries of room), listed by the last primal ratio
    // test for the value update that follows it; work_listed says whether
    // the list still describes the work vector.
    int32_t* work_nonzero;
    int32_t work_nonzero_count;
    int16_t work_listed;
    // The work vector is zero outside the list, so the next entering column
    // clears only the listed positions instead of all m.  Every other writer
    // of the work vector sets this to 0.
    int16_t work_zero_elsewhere;
    int32_t candidate_capacity;
    DualBreakpoint* free_list;  // recycled breakpoint records (host memory, zero-filled)
    int16_t unbounded;          // phase 1 confirmed an unbounded direction
};

struct PhaseLoopState {
    uint32_t seed;             // random generator state; 0 = not yet seeded
    int16_t random_on;         // phase 1's random choice still in force
    int64_t random_tries;      // columns priced by the random choice in this phase
    int32_t degenerate_count;  // consecutive degenerate steps (degeneracy guard)
    double objective_memory;   // objective value before the iteration (PHASEMIX test)
    // The prices of one random choice's draws by header position less m,
    // valid where the stamp equals the round: nothing changes between the
    // draws of one choice, so a position drawn again is not priced again.
    double* random_prices;
    uint32_t* random_stamps;
    int32_t random_capacity;
    uint32_t random_round;
    // Writes one iteration-log row when FLOW is on; null until the log exists.
    void (*iteration_log)(LpContext* ctx);
};

struct PhaseState {
    PricingState pricing;
    RatioState ratio;
    PhaseLoopState loop;
};

}  // namespace tymlp
