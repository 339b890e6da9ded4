// ctx_model.h -- the problem model: row, column and objective records, the
// coefficient file, the right-hand-side/range/sensitivity column lists, the
// matrix store, and the counts the readers keep.
//
// Rows and columns live in host utility files as fixed-length records: the
// fixed part below followed by the blank-padded name.  Row 0 is the phase-1
// objective; logical columns follow the structural ones.
#pragma once

#include <cstdint>

#include "tym_host.h"

namespace tymlp {

// Longest row or column name the model keeps.
inline constexpr int kMaxNameLength = 64;
// Name length of rows and columns unless a reader chooses another.
inline constexpr int kDefaultNameLength = 8;
// End of a coefficient chain.
inline constexpr int32_t kNoEntry = -1;

// Row flags (exactly one type bit; 0x01 combines with 0x20, 0x40, 0x80).
enum RowFlag : uint8_t {
    kRowRange = 0x01,
    kRowFixedCharge = 0x02,
    kRowObjective = 0x08,
    kRowFree = 0x10,
    kRowGreaterEqual = 0x20,
    kRowEquality = 0x40,
    kRowLessEqual = 0x80
};

// Column flags.
enum ColumnFlag : uint16_t {
    kColFixedCharge = 0x0002,
    kColArtificial = 0x0004,
    kColObjective = 0x0008,
    kColUnrestricted = 0x0010,
    kColInteger = 0x0020,
    kColMarkedBasic = 0x0040,
    kColBinary = 0x0100,
    kColRange = 0x0001,  // logical column of an equality row with a range
    kColSlack = 0x0400,
    kColSurplus = 0x0800,
    kColLowerGiven = 0x1000,
    kColUpperGiven = 0x2000,
    kColFixed = 0x4000,
    kColFree = 0x8000
};

struct ObjectiveRecord;
struct SosSet;

// Fixed part of a row record (32 bytes); the name follows in the file.
struct RowRecord {
    union {
        ObjectiveRecord* objective;  // objective row: its objective record
        double range;                // range row: the range value
        int64_t raw;
    } link;
    int32_t logical_column;  // the row's logical column once the form is complete; -1 before
    int32_t reserved;
    int32_t entry_count;  // coefficients of the row read so far
    int32_t first_entry;  // first coefficient in the coefficient file, or kNoEntry
    int32_t last_entry;   // last coefficient in the coefficient file, or kNoEntry
    uint8_t flags;        // RowFlag bits
    uint8_t pad[3];
};
static_assert(sizeof(RowRecord) == 32, "row record layout");

// Fixed part of a column record (40 bytes); the name follows in the file.
struct ColumnRecord {
    double upper;            // starts at +INFINITY; an upper-bound row lowers it
    double lower;            // starts at -INFINITY; a lower-bound row raises it
    int32_t integer_record;  // index of the IntegerVariable of an integer or binary column, else -1
    int32_t entry_count;     // coefficients of the column
    int32_t first_entry;     // first coefficient, or kNoEntry
    int32_t last_entry;      // last coefficient, or kNoEntry
    uint16_t flags;          // ColumnFlag bits
    uint16_t reserved;
    int32_t logical_row;  // for a logical column, the row it belongs to; else -1
};
static_assert(sizeof(ColumnRecord) == 40, "column record layout");

// One objective row (allocated from the context's heap, linked in input
// order).  The blank-padded name (row-name length) follows the record in
// the same block: objective_name().
struct ObjectiveRecord {
    double sense;  // +1.0 maximise, -1.0 minimise (phase 1: -1.0)
    int32_t reserved0;
    int32_t column;          // the objective row's logical column; -1 before the form is complete
    int32_t basis_position;  // basis position of `column`, -1 when nonbasic (kept by the basis exchange)
    int32_t* order_keys;     // one key per right-hand-side column; ascending key = visiting order
    int32_t row;             // index of the objective row
    ObjectiveRecord* next;   // next objective record in input order
};
inline char* objective_name(ObjectiveRecord* rec) { return reinterpret_cast<char*>(rec + 1); }

// One coefficient (24 bytes, entry k at byte 24 * k of the coefficient file).
struct CoefEntry {
    double value;
    int32_t next_in_column;  // next entry of the same column, or kNoEntry
    int32_t row;
    int32_t next_in_row;  // next entry of the same row, or kNoEntry
    int32_t column;
};
static_assert(sizeof(CoefEntry) == 24, "coefficient entry layout");

// A right-hand-side, range, RHSSEN or PRICESEN column: its values live in
// a utility file, one double per row (per column for PRICESEN) in order.
struct ColumnListEntry {
    ColumnListEntry* next;
    TymUtil file;
    char name[kMaxNameLength];  // blank padded
};

enum ColumnListKind : int { kListRhs = 0, kListRange = 1, kListRhsSen = 2, kListPriceSen = 3, kListKinds = 4 };

struct ColumnList {
    ColumnListEntry* first;
    ColumnListEntry* last;
    int32_t count;
};

// One item of the matrix store directory.
struct ColumnDirItem {
    double* cached;    // cached copy (count values, then count int32 rows, padded to 8), or none
    int64_t position;  // byte position of the column in the matrix store file; -1 = not written
    int32_t count;     // nonzero count
    int16_t pinned;    // 1 when the cached copy lives in the overflow heap
    int16_t reserved;
};

struct ProblemModel {
    // Stores (host utility files; none until opened).
    TymUtil row_store;
    int32_t row_record_length;  // bytes per row record (fixed part + name, multiple of 8)
    TymUtil column_store;
    int32_t column_record_length;  // bytes per column record
    TymUtil coef_file;
    TymUtil matrix_store;
    ColumnDirItem* directory;     // one item per column (n), from the block chain
    int32_t directory_size;       // items allocated
    double* traverse_buffer;      // buffer of the matrix traversal for uncached columns
    int64_t traverse_capacity;    // its size in bytes
    TymUtil pivot_history;        // pivot history file (16-byte records)
    int32_t pivot_history_count;  // records in it
    TymUtil node_file;            // active node records (opened by the node store)

    ColumnList lists[kListKinds];  // right-hand-side, range, RHSSEN, PRICESEN columns

    // Counts.
    int32_t structural_count;  // structural columns
    int32_t rows;              // m, including the phase-1 objective
    int32_t columns;           // n, structural and logical columns
    int32_t objective_count;   // objective rows including the phase-1 objective
    int32_t free_rows;
    int32_t fixed_charge_rows;
    int32_t le_rows;
    int32_t ge_rows;
    int32_t range_rows;
    int32_t range_variables;  // range variables the readers met (turns scaling off)
    int64_t coef_count;       // coefficients in the coefficient file
    int32_t integer_count;    // integer and binary columns
    int32_t binary_count;
    int32_t sos_count;                       // special ordered sets
    SosSet* sos_sets;                        // the special ordered sets in creation order (input/sos_sets.h)
    char type_variable[kMaxNameLength + 1];  // the reader's type variable, zero terminated (ProblemSummary)
    bool data_fault_named;                   // a reader named a fault of the data that no layout would mend
    int32_t contradicting_bounds;            // columns whose bounds leave no value: the problem is infeasible
    int32_t marked_basic;                    // columns marked basic by the data
    int32_t basic_assigned;                  // basic columns assigned so far
    int32_t row_name_length;                 // 8 unless the dense reader takes its ID variable's length
    int32_t column_name_length;              // 8 unless a reader chooses another

    // Objective state.
    ObjectiveRecord* objectives;  // all objective records, phase-1 objective first
    ObjectiveRecord* phase1_objective;
    ObjectiveRecord* current_objective;
    ObjectiveRecord* saved_objective;  // the real objective, set aside during phase 1
    ColumnListEntry* current_rhs;
    int32_t rhs_index;        // current right-hand-side column (0-based)
    int32_t objective_index;  // current objective (1-based; 0 is phase 1)
};

}  // namespace tymlp
