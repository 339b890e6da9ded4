// keyword_table.h -- the vocabulary of the procedure's statements.
//
// The keyword table hands the host parser every word it may meet: a list of
// length-prefixed words ended by a zero length byte.  The first entries name
// the parser's token classes (names, quoted strings, integers, numbers,
// date/time literals, data set names, five reserved classes); the
// punctuation and the words follow in ascending byte order; "$$$" closes the
// vocabulary.  A trailing "$" marks an experimental keyword: it is accepted
// like any other (the parser matches the word without its mark) but left
// out of the documented vocabulary, and options named by it may change.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tymlp {

inline constexpr std::array<std::string_view, 212> kKeywords = {
    "NAMEX", "QS", "INT", "NBR", "COMPOUND", "FMT", "DATE", "TIME", "DATETIME", "MISSING", "VLITERAL",
    "CATNAME", "TYMDS", "RESERVED1", "RESERVED2", "RESERVED3", "RESERVED4", "RESERVED5", "(", ")", ",", "-",
    "/", ":", "=", "ACTIVEIN", "ACTIVEOUT", "AIN", "AOUT", "AUTO", "BACKTRACK", "BEPSILON$", "BEST",
    "BINFST", "BLANDSRULE$", "BOTH", "CANSELECT", "CHAR", "CHARACTER", "CLENGTH$", "CLOSE", "COEF",
    "COEFFICIENT", "COL", "COLUMN", "COMPLETE", "CONTROL", "COSTPHI$", "CPERCENT$", "CSIZE$", "CSTSENOUT$",
    "CURRENT", "DATA", "DEBUG$", "DELTAIT", "DEVEX", "DOBJECTIVE", "DOUT", "DUAL", "DUALOUT", "DYNAMIC",
    "ENDPAUSE", "EPS", "EPSILON", "EQUILIBRIUM", "ERROR", "FAR", "FEASIBLEPAUSE", "FIFO", "FLOW", "FUZZ",
    "GEOMETRIC", "GOALPROGRAM", "ID", "IEPS", "IEPSILON", "IFEASIBLEPAUSE", "IMAXIT", "INF", "INFINITY",
    "INTEGER", "INTEGER_NONZEROS", "INTEGER_ZEROS", "INTOBJECTIVE$", "INVFREQ", "INVTOL", "IOBJECTIVE",
    "IPAUSE", "IPIVOT", "LIFO", "LIFOTYPE", "LOWER", "LP", "LU", "MATRIX", "MAXIT", "MAXIT1", "MAXIT2",
    "MAXIT3", "NOAUTO", "NOBINFST", "NOBLANDSRULE$", "NODEVEX", "NOENDPAUSE", "NOFEASIBLEPAUSE", "NOFLOW",
    "NONE", "NONINTEGER", "NONINTEGER_NONZEROS", "NONZEROS", "NOPARAPRINT", "NOPARARESTORE", "NOPOSTPROCESS",
    "NOPREPROCESS", "NOPRINT", "NORANGEPRICE", "NORANGERHS", "NOSPARSEPRICING$", "NOTABLEAUPRINT", "NUMERIC",
    "OBJ", "OBJECTIVE", "OPTIONS", "PARAPRINT", "PARARESTORE", "PARTIAL", "PAUSE", "PENALTY", "PENALTYDEPTH",
    "PEPS", "PEPSILON", "PERFORMANCE$", "PHASEMIX", "PICTURE", "PIN", "PIVOT", "PMAXIT", "POBJECTIVE",
    "POSTPROCESS", "POUT", "PREPROCESS", "PRICE", "PRICEPHI", "PRICESEN", "PRICETYPE", "PRICING$", "PRIMAL",
    "PRIMALIN", "PRIMALOUT", "PRINT", "PRINTFREQ", "PRINTLEVEL", "PRIOR", "PROJECT", "PROXIMITYPAUSE",
    "PSEUDOC", "PWOBJECTIVE", "QCHECKSIZE$", "QEPSILON$", "QLRATIO$", "QUIT", "QURATIO$", "RANDOMPRICEMULT",
    "RANGE", "RANGEPRICE", "RANGERHS", "READMEMORY$", "READPAUSE", "REFRESHQ$", "REPS", "REPSILON", "RESET",
    "RHS", "RHSPHI", "RHSSEN", "RHSSENOUT$", "ROW", "RUN", "SAVE", "SCALE", "SCALETYPE$", "SEN",
    "SENSITIVITY", "SET", "SHOW", "SMALL", "SOLUTION", "SPARSE$", "SPARSEDATA", "SPARSEPRICING$",
    "STARTPHASE$", "STATUS", "SUBOPT", "TABLEAU", "TABLEAUOUT", "TABLEAUPRINT", "TIME", "TOUT", "TREETYPE",
    "TYPE", "U", "UPPER", "VAR", "VARSELECT", "WOBJECTIVE", "WORKMEMORY$", "ZEROS", "_ALL_", "_CHARACTER_",
    "_CHAR_", "_NUMERIC_", "$$$",};

inline constexpr int kKeywordCount = static_cast<int>(kKeywords.size());
// Index of "(", the first entry of the ascending part.
inline constexpr int kFirstOrderedKeyword = 18;
// The closing entry.
inline constexpr std::string_view kKeywordEnd = "$$$";
// The mark of an experimental keyword.
inline constexpr char kExperimentalMark = '$';

namespace detail {
// Reached only when a name is not in the table: not constexpr, so the
// lookup below fails to compile.
inline int keyword_not_in_table() { return -1; }
}  // namespace detail

// Index of a word of the ascending part, matched without its "$" mark.
// Evaluated at compile time: a misspelt word does not compile.
consteval uint16_t kw(std::string_view word) {
    for (int i = kFirstOrderedKeyword; i < kKeywordCount; ++i) {
        std::string_view entry = kKeywords[static_cast<size_t>(i)];
        if (!entry.empty() && entry.back() == kExperimentalMark && entry != kKeywordEnd)
            entry.remove_suffix(1);
        if (entry == word) return static_cast<uint16_t>(i);
    }
    return static_cast<uint16_t>(detail::keyword_not_in_table());
}

// The table as the parser reads it: length byte, word bytes, ..., zero byte.
const uint8_t* keyword_bytes();
// Its length in bytes, the closing zero included.
size_t keyword_bytes_size();

}  // namespace tymlp
