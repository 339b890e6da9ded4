/*
 * tym_grammar.h -- the grammar a module hands to the host's statement parser,
 * and the parse records the parser hands back.
 *
 * The host parser is generic: it knows the lexical rules of the program
 * language (words, numbers, quoted strings, punctuation, comments) and reads
 * everything procedure-specific from the grammar descriptor below.
 *
 * Statement syntax the parser accepts:
 *
 *   statement  := NAME item* ';'
 *   item       := option | varname            (varname: variable-list statements)
 *   option     := KEYWORD                     (FLAG, FLAG_VALUE, FLAG_PAIR, LIST)
 *               | KEYWORD '=' number          (NUMBER, FLAG_VALUE, CHOICE)
 *               | KEYWORD '=' KEYWORD         (CHOICE: a value keyword)
 *               | KEYWORD '=' '(' n ',' n ')' (PAIR, FLAG_PAIR; the comma optional)
 *               | KEYWORD '=' dsname          (DATASET: member, lib.member, 'path')
 *               | KEYWORD '(' listitem* ')'   (LIST)
 *   listitem   := name | name '-' name | number | number '-' number
 *
 * Keywords and names are case-insensitive.  An option keyword must be one
 * of the statement's options; any other word is a syntax error reported by
 * the host with the statement text and the offending word.
 */
#ifndef TYM_GRAMMAR_H
#define TYM_GRAMMAR_H

#include <stdint.h>

#include "tym_host.h"

#ifdef __cplusplus
extern "C" {
#endif

/* ---------------------------------------------------------------------------
 * Grammar tables
 * ------------------------------------------------------------------------- */

/* Statement kinds. */
enum TymStatementKind {
    TYM_STMT_OPTIONS = 1, /* NAME option* ;                                 */
    TYM_STMT_VARLIST = 2  /* NAME varname* ; -> the variable-list callback  */
};

typedef struct TymStatementDef {
    uint16_t keyword;      /* keyword-table index of the statement name   */
    uint16_t kind;         /* TymStatementKind                            */
    uint16_t number;       /* statement number passed in the parse record */
    uint16_t first_option; /* options allowed: [first, first + count)     */
    uint16_t option_count;
    uint16_t flags; /* TYM_STMT_PROCEDURE: starts a step           */
} TymStatementDef;

#define TYM_STMT_PROCEDURE 0x0001

/* Option kinds. */
enum TymOptionKind {
    TYM_OPT_FLAG = 1,       /* sets flag bit `bit`                          */
    TYM_OPT_NUMBER = 2,     /* number into value slot `slot`                */
    TYM_OPT_CHOICE = 3,     /* value keyword (or number) into slot `slot`   */
    TYM_OPT_PAIR = 4,       /* two numbers into slots `slot`, `slot`+1      */
    TYM_OPT_DATASET = 5,    /* data set reference number `slot` (0..7)      */
    TYM_OPT_FLAG_VALUE = 6, /* flag bit, and an optional =number into slot  */
    TYM_OPT_FLAG_PAIR = 7,  /* flag bit, and an optional =(a,b) into slots  */
    TYM_OPT_LIST = 8        /* flag bit, optional ( items ) into list `slot`*/
};

typedef struct TymOptionDef {
    uint16_t keyword;      /* keyword-table index (aliases: one def each)  */
    uint8_t kind;          /* TymOptionKind                                */
    uint8_t bit;           /* flag bit number (0..39)                      */
    uint16_t slot;         /* value slot, data set number or list number   */
    uint16_t choice_first; /* CHOICE: allowed value keywords               */
    uint16_t choice_count;
    uint16_t reserved;
} TymOptionDef;

typedef struct TymChoiceDef {
    uint16_t keyword; /* keyword-table index of the value word */
    int16_t value;    /* the number it stands for             */
} TymChoiceDef;

/*
 * The grammar descriptor: 22 pairs of 4-byte words (176 bytes), read as 22
 * pointer-sized entries.  Entry meanings:
 */
enum TymGrammarEntry {
    TYM_GR_MAGIC = 0,         /* (intptr) TYM_GRAMMAR_MAGIC                  */
    TYM_GR_KEYWORDS = 1,      /* const uint8_t*: length-prefixed words,     */
                              /* ascending, ended by a zero length byte     */
    TYM_GR_KEYWORD_COUNT = 2, /* (intptr)                                   */
    TYM_GR_STATEMENTS = 3,    /* const TymStatementDef*                     */
    TYM_GR_STATEMENT_COUNT = 4,
    TYM_GR_OPTIONS = 5, /* const TymOptionDef*                        */
    TYM_GR_OPTION_COUNT = 6,
    TYM_GR_CHOICES = 7, /* const TymChoiceDef*                        */
    TYM_GR_CHOICE_COUNT = 8,
    TYM_GR_SLOT_COUNT = 9, /* value slots a record of this grammar has   */
    TYM_GR_ENTRY_COUNT = 22
};

#define TYM_GRAMMAR_MAGIC 0x47524D31 /* "GRM1" */

typedef struct TymGrammar {
    const void* entry[TYM_GR_ENTRY_COUNT];
} TymGrammar;

/* ---------------------------------------------------------------------------
 * Parse records
 * ------------------------------------------------------------------------- */

typedef struct TymValueSlot {
    uint8_t given; /* 1 when the option was given                 */
    uint8_t reserved[7];
    double value; /* keyword values arrive as their number       */
} TymValueSlot;   /* 16 bytes */

#define TYM_MAX_SLOTS 96
#define TYM_MAX_DATASETS 8
#define TYM_MAX_LISTS 4
#define TYM_FLAG_BYTES 5

typedef struct TymListItem {
    const char* first; /* a name or a number's text                     */
    const char* last;  /* the end of an a-b range, or NULL              */
} TymListItem;

typedef struct TymList {
    int32_t given; /* 1 when the keyword was given (with or without items) */
    int32_t count;
    const TymListItem* items;
} TymList;

typedef struct TymParseRecord {
    int32_t statement;             /* statement number of the grammar                */
    int32_t error;                 /* non-zero: the statement had an error           */
    uint8_t flags[TYM_FLAG_BYTES]; /* bit b: flags[b / 8] & (1 << b % 8) */
    uint8_t pad[3];
    TymValueSlot values[TYM_MAX_SLOTS];
    /* Data set references by number; NULL when not given.  Reference 0 of
     * the procedure statement (DATA) is filled with the most recently
     * created data set when the statement does not name one. */
    const TymDataRef* data[TYM_MAX_DATASETS];
    TymList lists[TYM_MAX_LISTS];
    const char* text; /* the statement text, for messages              */
} TymParseRecord;

static inline int tym_flag(const TymParseRecord* r, int bit) { return (r->flags[bit / 8] >> (bit % 8)) & 1; }

/* ---------------------------------------------------------------------------
 * Parser control block (96 bytes) with the module's callbacks
 * ------------------------------------------------------------------------- */
typedef struct TymParserControl {
    uint32_t flags; /* 0x20: call the statement callback per statement */
    uint32_t reserved0;
    /* Each complete statement (error-free or not: check rec->error).
     * Return 0 to go on. */
    int (*statement)(void* cookie, TymParseRecord* rec);
    /* A variable-list statement: the names after expansion of a-b ranges
     * and _NUMERIC_ / _CHARACTER_ / _ALL_ against the DATA data set. */
    int (*varlist)(void* cookie, int statement, int count, const char* const* names);
    /* Called once when the step's statements are used up. */
    int (*end)(void* cookie);
    uint8_t reserved[96 - 32];
} TymParserControl;

#define TYM_PARSER_PER_STATEMENT 0x20

#ifdef __cplusplus
}
#endif

#endif /* TYM_GRAMMAR_H */
