// ctx_varlists.h -- the names of the variable-list statements of a step
// (TYPE, ID, RHS, RANGE, RHSSEN, VAR, ROW, COLUMN, COEFFICIENT), kept for the
// readers, which resolve their special variables from them.
#pragma once

#include <cstdint>

namespace tymlp {

enum VarListKind : int {
    kVarType = 0,
    kVarId = 1,
    kVarRhs = 2,
    kVarRange = 3,
    kVarRhsSen = 4,
    kVarVar = 5,
    kVarRow = 6,
    kVarColumn = 7,
    kVarCoefficient = 8,
    kVarListKinds = 9
};

// Longest variable name of a data set, plus its terminator.
inline constexpr int kVarNameBytes = 33;

struct VarList {
    int16_t given;                 // 1 when the statement appeared (even without names)
    int32_t count;                 // names kept
    int32_t capacity;              // names the block holds
    char (*names)[kVarNameBytes];  // zero-terminated names in statement order
};

}  // namespace tymlp
