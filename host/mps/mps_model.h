// mps_model.h -- the problem as an MPS file states it, before it is written
// out in the sparse layout.
//
// The reader fills this record section by section; the writer and the summary
// only read it.  Names are kept exactly as the file gives them (trimmed);
// indexes follow the order in which the file first declares each row, column
// and right-hand-side set, which is the order the sparse layout preserves.
#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <unordered_map>
#include <vector>

namespace qmlp::host::mps {

inline constexpr double kInfinity = std::numeric_limits<double>::infinity();

// Bound values whose magnitude reaches this are read as "no bound", the
// customary way MPS files write an infinite bound.
inline constexpr double kInfiniteBound = 1e30;

// Longest row, column or set name accepted; the procedure keeps names in
// fields of at most this many characters.
inline constexpr std::size_t kMaxNameLength = 64;

enum class RowKind : char { Free = 'N', LessEqual = 'L', GreaterEqual = 'G', Equal = 'E' };

struct Row {
    std::string name;
    RowKind kind = RowKind::Equal;
    bool has_range = false;
    double range = 0.0;  // the RANGES value as written (sign kept)
};

struct Entry {
    int32_t index = 0;  // row index (coefficients, right-hand sides)
    double value = 0.0;
};

struct Column {
    std::string name;
    bool integer = false;
    double lower = 0.0;
    double upper = kInfinity;
    bool lower_given = false;    // an explicit lower bound was read (LO, MI, FX, FR, BV, LI)
    uint16_t bounds_seen = 0;    // one bit per bound kind already read (duplicate check)
    std::vector<Entry> entries;  // coefficients as read, zeros included
};

struct RhsSet {
    std::string name;  // empty when the file leaves the set name blank
    std::vector<Entry> entries;
};

// A special ordered set: at most one member (SOSLE) or exactly one member
// (SOSEQ) may be nonzero.  Members are kept in the order that ranks them,
// which is the order the data set lists them in.
struct SosSet {
    std::string name;
    bool exactly_one = false;
    std::vector<int32_t> members;  // column indexes
};

struct Model {
    std::string problem_name;    // text of the NAME line
    bool maximize = false;       // OBJSENSE MAX
    std::string objective_name;  // OBJNAME, empty when absent
    int32_t objective = -1;      // index of the objective row (first N row, or OBJNAME)

    std::vector<Row> rows;
    std::vector<Column> columns;
    std::vector<RhsSet> rhs_sets;
    bool has_range_set = false;
    std::string range_set_name;
    std::string bound_set_name;
    bool has_bound_set = false;

    std::vector<SosSet> sos_sets;

    std::unordered_map<std::string, int32_t> row_index;
    std::unordered_map<std::string, int32_t> column_index;

    // -1 when the name is not known.
    int32_t find_row(const std::string& name) const;
    int32_t find_column(const std::string& name) const;
};

// How a column's final bounds classify it.  The classes partition the
// columns: integer columns are counted as Integer or Binary whatever their
// bounds, continuous columns by their bounds.
enum class ColumnClass {
    NonNegative,     // [0, +inf)
    LowerOnly,       // [l, +inf), l finite and not 0
    UpperOnly,       // [0, u]
    BothBounds,      // [l, u], l not 0, l < u
    UpperUnbounded,  // (-inf, u]
    Fixed,           // l = u
    Free,            // (-inf, +inf)
    Integer,         // integer, not binary
    Binary           // integer with bounds exactly [0, 1]
};

inline constexpr int kColumnClassCount = static_cast<int>(ColumnClass::Binary) + 1;

ColumnClass classify_column(const Column& column);

// Counts the summary reports; a test recounts them independently from the
// MPS text and from the written data set.
struct Counts {
    int32_t objective_rows = 0;
    int32_t less_equal = 0;
    int32_t greater_equal = 0;
    int32_t equal = 0;
    int32_t ranged = 0;        // rows among the three above that carry a range
    int32_t free_rows = 0;     // further N rows kept as free rows
    int32_t dropped_rows = 0;  // further N rows left out (--drop-free-rows)
    int32_t columns = 0;
    int32_t by_class[kColumnClassCount] = {};  // indexed by ColumnClass
    int32_t integer_total = 0;                 // Integer + Binary
    int64_t nonzeros = 0;                      // nonzero coefficients written (objective row included)
    int64_t objective_nonzeros = 0;
    int32_t rhs_sets = 0;
    bool objective_constant = false;  // some RHS set gives the objective row a value
    int32_t sos_sets = 0;
};

// A zero range on an L or G row leaves only rhs in the row's interval; the
// layout cannot say "range 0", so such a row is written as an equality row.
RowKind written_kind(const Row& row);

Counts count_model(const Model& model, bool drop_free_rows);

}  // namespace qmlp::host::mps
