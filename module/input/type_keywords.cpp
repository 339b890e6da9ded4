// type_keywords.cpp -- keyword tables of the dense and the sparse layout.
#include "input/type_keywords.h"

#include <cstring>

#include "base/ctx_model.h"

namespace tymlp {
namespace {

struct DenseKeyword {
    const char* text;
    int compared;  // characters compared: the keyword's own length
    TypeKind kind;
};

// In the order they are tried: a value takes the first keyword it begins with.
constexpr DenseKeyword kDenseKeywords[] = {
    {"LE", 2, kTypeLe},
    {"<=", 2, kTypeLe},
    {"EQ", 2, kTypeEq},
    {"=", 1, kTypeEq},
    {"GE", 2, kTypeGe},
    {">=", 2, kTypeGe},
    {"UPPER", 5, kTypeUpper},
    {"UPBD", 4, kTypeUpper},
    {"LOWER", 5, kTypeLower},
    {"LOWBD", 5, kTypeLower},
    {"BASIC", 5, kTypeBasic},
    {"BASE", 4, kTypeBasic},
    {"MAX", 3, kTypeMax},
    {"SUP", 3, kTypeMax},
    {"MIN", 3, kTypeMin},
    {"INF", 3, kTypeMin},
    {"UNRS", 4, kTypeUnrestricted},
    {"PRICESEN", 8, kTypePriceSen},
    {"COSTESEN", 8, kTypePriceSen},
    {"CSEN", 4, kTypePriceSen},
    {"SEN", 3, kTypePriceSen},
    {"FR", 2, kTypeFree},
    {"INT", 3, kTypeInteger},
    {"BINARY", 6, kTypeBinary},
    {"CHARGE", 6, kTypeCharge},
    {"FIXED", 5, kTypeFixed},
    {"SOSLE", 5, kTypeSosLe},
    {"SOSEQ", 5, kTypeSosEq},
};

// How many leading characters of a sparse entry are compared.
enum SparseMatch : int { kWholeField = kTypeWidth, kFirstChar = 1, kFirstFive = 5 };

struct SparseKeyword {
    char text[kTypeWidth + 1];  // 8 characters, blank padded, and a zero byte
    int compared;
    TypeKind kind;
};

constexpr SparseKeyword kSparseKeywords[] = {
    {"        ", kWholeField, kTypeCoefficient},  {".       ", kWholeField, kTypeCoefficient},
    {"LE      ", kWholeField, kTypeLe},           {"<=      ", kWholeField, kTypeLe},
    {"EQ      ", kWholeField, kTypeEq},           {"=       ", kWholeField, kTypeEq},
    {"GE      ", kWholeField, kTypeGe},           {">=      ", kWholeField, kTypeGe},
    {"UPPERBDD", kWholeField, kTypeUpper},        {"UPPERBD ", kWholeField, kTypeUpper},
    {"UPPERB  ", kWholeField, kTypeUpper},        {"UPPER   ", kWholeField, kTypeUpper},
    {"UPBDD   ", kWholeField, kTypeUpper},        {"UPBD    ", kWholeField, kTypeUpper},
    {"LOWERBDD", kWholeField, kTypeLower},        {"LOWERBD ", kWholeField, kTypeLower},
    {"LOWERB  ", kWholeField, kTypeLower},        {"LOWER   ", kWholeField, kTypeLower},
    {"LOWBDD  ", kWholeField, kTypeLower},        {"LOWBD   ", kWholeField, kTypeLower},
    {"BASIC   ", kWholeField, kTypeBasic},        {"BASE    ", kWholeField, kTypeBasic},
    {"MAX     ", kWholeField, kTypeMax},          {"MAXIMUM ", kWholeField, kTypeMax},
    {"SUP     ", kWholeField, kTypeMax},          {"MIN     ", kWholeField, kTypeMin},
    {"MINIMUM ", kWholeField, kTypeMin},          {"INF     ", kWholeField, kTypeMin},
    {"UNRSTRCT", kWholeField, kTypeUnrestricted}, {"UNRS    ", kWholeField, kTypeUnrestricted},
    {"UNRST   ", kWholeField, kTypeUnrestricted}, {"PRICESEN", kWholeField, kTypePriceSen},
    {"COSTESEN", kWholeField, kTypePriceSen},     {"CSEN    ", kWholeField, kTypePriceSen},
    {"SENCOST ", kWholeField, kTypePriceSen},     {"SEN     ", kWholeField, kTypePriceSen},
    {"FREE    ", kWholeField, kTypeFree},         {"FR      ", kWholeField, kTypeFree},
    {"INTEGER ", kWholeField, kTypeInteger},      {"INT     ", kWholeField, kTypeInteger},
    {"BINARY  ", kWholeField, kTypeBinary},       {"CHARGE  ", kWholeField, kTypeCharge},
    {"FIXED   ", kWholeField, kTypeFixed},        {"RHSSEN  ", kWholeField, kTypeRhsSen},
    {"RHS     ", kWholeField, kTypeRhs},          {"RANGE   ", kWholeField, kTypeRange},
    {"*       ", kFirstChar, kTypeComment},       {"SOSLE   ", kFirstFive, kTypeSosLe},
    {"SOSEQ   ", kFirstFive, kTypeSosEq},
};
constexpr int kSparseKeywordCount = 49;
static_assert(sizeof kSparseKeywords / sizeof kSparseKeywords[0] == kSparseKeywordCount, "sparse type table");

char upper_ascii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

void normalise_type(const char* raw, int raw_length, char out[kTypeWidth]) {
    char field[kTypeWidth];
    std::memset(field, ' ', sizeof field);
    const int n = raw == nullptr ? 0 : (raw_length < kTypeWidth ? raw_length : kTypeWidth);
    for (int k = 0; k < n; ++k) field[k] = raw[k] == '\0' ? ' ' : upper_ascii(raw[k]);
    int first = 0;
    while (first < kTypeWidth && field[first] == ' ') ++first;
    std::memset(out, ' ', kTypeWidth);
    std::memcpy(out, field + first, static_cast<size_t>(kTypeWidth - first));
}

TypeKind decode_dense_type(const char type[kTypeWidth]) {
    for (const DenseKeyword& k : kDenseKeywords)
        if (std::memcmp(type, k.text, static_cast<size_t>(k.compared)) == 0) return k.kind;
    return kTypeUnknown;
}

TypeKind decode_sparse_type(const char type[kTypeWidth]) {
    for (const SparseKeyword& k : kSparseKeywords)
        if (std::memcmp(type, k.text, static_cast<size_t>(k.compared)) == 0) return k.kind;
    return kTypeUnknown;
}

uint8_t type_row_flags(TypeKind kind) {
    switch (kind) {
        case kTypeLe: return kRowLessEqual;
        case kTypeEq: return kRowEquality;
        case kTypeGe: return kRowGreaterEqual;
        case kTypeMax:
        case kTypeMin: return kRowObjective;
        case kTypeFree: return kRowFree;
        case kTypeCharge: return kRowFixedCharge;
        default: return 0;
    }
}

const char* type_keyword(TypeKind kind) {
    switch (kind) {
        case kTypeCoefficient: return "";
        case kTypeLe: return "LE";
        case kTypeEq: return "EQ";
        case kTypeGe: return "GE";
        case kTypeUpper: return "UPPERBD";
        case kTypeLower: return "LOWERBD";
        case kTypeBasic: return "BASIC";
        case kTypeMax: return "MAX";
        case kTypeMin: return "MIN";
        case kTypeUnrestricted: return "UNRSTRCT";
        case kTypePriceSen: return "PRICESEN";
        case kTypeFree: return "FREE";
        case kTypeInteger: return "INTEGER";
        case kTypeBinary: return "BINARY";
        case kTypeCharge: return "CHARGE";
        case kTypeFixed: return "FIXED";
        case kTypeRhsSen: return "RHSSEN";
        case kTypeRhs: return "RHS";
        case kTypeRange: return "RANGE";
        case kTypeComment: return "*";
        case kTypeSosLe: return "SOSLE";
        case kTypeSosEq: return "SOSEQ";
        default: return "";
    }
}

}  // namespace tymlp
