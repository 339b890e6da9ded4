// reader_common.h -- small pieces both problem readers share: missing
// values, blank-padded names, the phase-1 objective, and the fields of a
// fixed-charge row.
#pragma once

#include <cstdint>
#include <cstring>

#include "base/lp_context.h"

namespace tymlp {

// The row every problem starts with.
inline constexpr const char* kPhase1Name = "PHASE_1_OBJECTIVE";
inline constexpr double kSenseMaximise = 1.0;
inline constexpr double kSenseMinimise = -1.0;

// Message numbers both readers issue about observations.
enum ReaderMessage : int {
    kMsgAlreadyDeclared = 26,  // column, keyword (a note)
    kMsgNoStructural = 27,
    kMsgEmptyRow = 28,          // row, observation (a note)
    kMsgNoUsableValue = 31,     // keyword, observation
    kMsgUnknownType = 32,       // type, observation
    kMsgBadMark = 36,           // keyword, observation
    kMsgDefaultRhs = 251,       // no right-hand side given: "_RHS_" of zeros
    kMsgBlankType = 304,        // observation
    kMsgMoreUnknownTypes = 305  // count of observations, count listed
};

// Observations with an unrecognised type that are listed one by one; a data
// set of the other layout would otherwise give one line per observation.
inline constexpr int64_t kListedUnknownTypes = 100;

// A host missing value: a double whose exponent is all ones.
inline bool is_missing(double v) {
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    constexpr uint64_t kExponent = 0x7FF0000000000000ull;
    return (bits & kExponent) == kExponent;
}

// Copies `src` (src_length bytes, or up to its zero byte when negative) into
// dst[0 .. width), cut or blank padded.
void copy_name(char* dst, int width, const char* src, int src_length);

// Bytes of a blank-padded name without its trailing blanks.
int trimmed_length(const char* name, int width);

// True when every byte of the field is a blank (or a zero byte).
bool is_blank(const char* field, int width);

// The phase-1 objective: its objective record (sense -1, row 0) and, in
// *rec and name[0 .. row-name length), its row record (objective flag,
// linked to the record).  Row and objective counts become 1.  Returns kRunOk or kRunMemory.
int make_phase1_objective(LpContext* ctx, RowRecord* rec, char* name);

// A fixed-charge row keeps its charged column in the reserved word and the
// charge in the link.
inline int32_t fixed_charge_column(const RowRecord& rec) { return rec.reserved; }
inline void set_fixed_charge(RowRecord& rec, int32_t column, double charge) {
    rec.reserved = column;
    rec.link.range = charge;
}

// Issues a message whose arguments are a text of `length` bytes and an
// observation number (28, 31, 32, 36, 163 ...).
void message_text_obs(int number, const char* text, int length, int64_t observation);

// Message 32 for a type that is not recognised, or 304 when it is blank (a
// blank would print as nothing between two spaces).
void report_unknown_type(const char* type, int length, int64_t observation);

}  // namespace tymlp

namespace tymlp {

// Blocks a reader takes for the length of its run; all are returned at its
// end (anything left goes with the block chain at end_run).
struct ReaderBlocks {
    static constexpr int kMaxBlocks = 48;
    void* block[kMaxBlocks];
    int count;
};

// Zero-filled bytes kept in `blocks`, or null (no memory, or too many blocks).
void* reader_alloc(LpContext* ctx, ReaderBlocks& blocks, size_t bytes);

// Returns every block of `blocks`.
void reader_free_all(LpContext* ctx, ReaderBlocks& blocks);

}  // namespace tymlp

namespace tymlp {

// When the data gave no right-hand-side column: one named "_RHS_" whose
// file holds a 0 for each of the m rows, and message 251.  Returns kRunOk, kRunMemory, kRunIo.
int add_default_rhs(LpContext* ctx);

// Writes `count` zeros from element `first` on into a value column's file.
int write_zeros(ColumnListEntry* entry, int64_t first, int64_t count);

}  // namespace tymlp

namespace tymlp {

// Grows an array taken with ctx_alloc to hold at least `need` elements of
// `element_bytes` (doubling, new elements zero filled); *capacity follows.
// Returns kRunOk, or kRunMemory with the array unchanged.
int grow_array(LpContext* ctx, void** array, int64_t element_bytes, int32_t* capacity, int32_t need);

}  // namespace tymlp
