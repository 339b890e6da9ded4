// type_keywords.h -- the values of the type variable and what they mean.
//
// Both layouts name the kind of an observation with a keyword in the type
// variable.  The dense layout compares a keyword over its own length only,
// so that "UPPERBD" is an upper-bound row; the sparse layout compares the
// whole 8-character field, so that it can tell a type from a longer word.
#pragma once

#include <cstdint>

namespace tymlp {

// Width of the type value both readers examine.
inline constexpr int kTypeWidth = 8;

// Kinds of observation.  The numbers are the sparse layout's type codes;
// the dense layout uses the same kinds (its SOSLE and SOSEQ map to 20, 21).
enum TypeKind : int {
    kTypeUnknown = -1,
    kTypeCoefficient = 0,  // blank or ".": a coefficient only (sparse)
    kTypeLe = 1,
    kTypeEq = 2,
    kTypeGe = 3,
    kTypeUpper = 4,
    kTypeLower = 5,
    kTypeBasic = 6,
    kTypeMax = 7,
    kTypeMin = 8,
    kTypeUnrestricted = 9,
    kTypePriceSen = 10,
    kTypeFree = 11,
    kTypeInteger = 12,
    kTypeBinary = 13,
    kTypeCharge = 14,
    kTypeFixed = 15,
    kTypeRhsSen = 16,   // sparse only
    kTypeRhs = 17,      // sparse only
    kTypeRange = 18,    // sparse only
    kTypeComment = 19,  // "*": the observation is skipped (sparse only)
    kTypeSosLe = 20,
    kTypeSosEq = 21
};

// The type value as both readers compare it: the first 8 characters of
// `raw` (raw_length bytes, blank padded when shorter), upper-cased and
// moved left over leading blanks, blank padded.
void normalise_type(const char* raw, int raw_length, char out[kTypeWidth]);

// Dense keyword decision: the first keyword (in table order) that the value
// begins with.  kTypeUnknown when none does.
TypeKind decode_dense_type(const char type[kTypeWidth]);

// Sparse keyword decision: whole-field comparison with the 49 entries, "*"
// on the first character and "SOSLE"/"SOSEQ" on the first five.
TypeKind decode_sparse_type(const char type[kTypeWidth]);

// Row flags a kind gives the row it names (0 for kinds that do not define a
// row): LE 0x80, EQ 0x40, GE 0x20, MAX and MIN 0x08, FREE 0x10, CHARGE 0x02.
uint8_t type_row_flags(TypeKind kind);

// The keyword that stands for a kind in messages ("UPPERBD", "UNRSTRCT", ...).
const char* type_keyword(TypeKind kind);

}  // namespace tymlp
