/*
 * tym_host.h -- the host object handed to a procedure module.
 *
 * The host hands the module one TymHost through mcn_main.  Every service the
 * module may use is an entry of one of the numbered vectors below; the module
 * reaches them through thin forwarding routines and calls nothing of the
 * operating system itself.  Each vector starts with its own size so that a
 * host and a module built at different times can check what the other side
 * knows.  Every entry returns int (or a handle / pointer where noted); none
 * of them throws into the module, except end_step, which never returns.
 *
 * Plain C so that either side may be written in any language.
 */
#ifndef TYM_HOST_H
#define TYM_HOST_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define TYM_HOST_VERSION 1

/* ---------------------------------------------------------------------------
 * Arguments of numbered messages and catalogue texts.
 * A text argument carries its own length (names are blank padded, not
 * zero terminated); the host drops trailing blanks when it prints one.
 * ------------------------------------------------------------------------- */
enum TymArgType {
    TYM_ARG_INT = 1,    /* v.i                                  */
    TYM_ARG_DOUBLE = 2, /* v.d, printed in best format          */
    TYM_ARG_TEXT = 3    /* v.s with len bytes (len < 0: strlen) */
};

typedef struct TymArg {
    int32_t type;
    int32_t len;
    union {
        int64_t i;
        double d;
        const char* s;
    } v;
} TymArg;

/* Severity of a numbered message; the catalogue fixes one per number. */
enum TymSeverity { TYM_SEV_NOTE = 0, TYM_SEV_WARNING = 1, TYM_SEV_ERROR = 2 };

/* Opaque host handles. */
typedef struct TymHeap_* TymHeap;
typedef struct TymUtil_* TymUtil;
typedef struct TymDataIn_* TymDataIn;
typedef struct TymDataOut_* TymDataOut;
typedef struct TymObject_* TymObject;
typedef struct TymParser_* TymParser;
typedef struct TymScope_* TymScope;

/* ===========================================================================
 * Vector 0: step control
 * ======================================================================== */
typedef struct TymStepVector {
    uint32_t size;
    /* End the current step with an end code (0, 1, 1008, 1016, 1020, 2000,
     * 3000).  Never returns: the host unwinds to its step runner. */
    void (*end_step)(int end_code);
    /* Report a failed host call (status as returned by the failed entry).
     * The first argument is always 0.  Returns 0. */
    int (*status_report)(int zero, int status);
    /* Report a failed utility file or data set operation. Returns 0. */
    int (*io_error_report)(int zero, int status);
} TymStepVector;

/* ===========================================================================
 * Vector 1: messages, catalogue texts, note lines
 * ======================================================================== */
typedef struct TymMessageVector {
    uint32_t size;
    /* Issue message `number` of `facility` (202) with its arguments.  The
     * catalogue gives text and severity; the log line reads
     * "NOTE: ...", "WARNING: ..." or "ERROR: ...". Returns 0. */
    int (*message)(int facility, int number, int nargs, const TymArg* args);
    /* Copy label `number` of catalogue `group` (253) into buf (zero
     * terminated, at most buflen-1 bytes), substituting `arg` when the text
     * takes one (arg may be NULL).  Returns the length, or -1 when the
     * catalogue has no such entry. */
    int (*catalogue_text)(int group, int number, const TymArg* arg, char* buf, int buflen);
    /* Write a note line to the log, printf style.  Besides the usual
     * directives (%i %d %li %g %s %c %%) the host knows "%Nz", which makes
     * the line a NOTE: line (the prefix is written once, N is ignored). */
    int (*note)(const char* format, ...);
    /* Flush log and listing so that the user sees everything so far. */
    int (*flush)(void);
} TymMessageVector;

/* ===========================================================================
 * Vector 2: memory
 * ======================================================================== */
/* Allocation flag words the module uses; bit 0x0004 asks for zero fill. */
enum TymAllocFlags {
    TYM_ALLOC_STEP = 8194,      /* lives for the step                    */
    TYM_ALLOC_STEP_ZERO = 8198, /* lives for the step, zero filled       */
    TYM_ALLOC_LONG = 12292,     /* long lived                            */
    TYM_ALLOC_LONG_ZERO = 12294 /* long lived, zero filled               */
};

/* The release callback: the host calls it with one integer argument when an
 * allocation would pass the memory limit, then retries once. */
typedef void (*TymReleaseCallback)(int64_t arg, void* cookie);

typedef struct TymMemoryVector {
    uint32_t size;
    void* (*alloc)(size_t bytes, int flags); /* NULL = out of memory */
    int (*release)(void* block);             /* NULL allowed         */
    /* Heaps: create(kind 0, block size 1024, options 2). */
    TymHeap (*heap_create)(int kind, int block_size, int options);
    void* (*heap_alloc)(TymHeap heap, size_t bytes);
    void* (*heap_resize)(TymHeap heap, void* block, size_t bytes);
    int (*heap_release)(TymHeap heap, void* block);
    int (*heap_destroy)(TymHeap heap);
    /* Bytes that may still be allocated before the memory limit. */
    int64_t (*available)(void);
    /* Register / remove a release callback (at most a few per step). */
    int (*register_release)(TymReleaseCallback cb, void* cookie);
    int (*unregister_release)(TymReleaseCallback cb, void* cookie);
    /* Write the host's memory report to the log. */
    int (*memory_report)(void);
} TymMemoryVector;

/* ===========================================================================
 * Vector 3: attention (user break)
 * ======================================================================== */
typedef void (*TymAttentionHandler)(void* cookie);

typedef struct TymAttentionVector {
    uint32_t size;
    int (*install)(TymAttentionHandler handler, void* cookie);
    int (*remove)(void);
    /* 1 when a break arrived since the last poll (and clears it). */
    int (*poll)(void);
} TymAttentionVector;

/* Where a long solve stands, for a live progress line the host may show
 * (it never goes to the log or the listing).  Values the module does not
 * know are the host's missing value. */
enum TymProgressStage {
    TYM_PROGRESS_SIMPLEX = 1, /* a simplex phase                         */
    TYM_PROGRESS_INTEGER = 2, /* branch and bound                        */
    TYM_PROGRESS_DONE = 3     /* the solve ended: the line goes away     */
};

typedef struct TymProgress {
    uint32_t size;           /* sizeof(TymProgress)                         */
    int32_t stage;           /* TymProgressStage                            */
    int32_t phase;           /* 1, 2 or 3 (the phase of the current LP)     */
    int32_t reserved;
    int64_t iterations;      /* simplex iterations of all phases so far     */
    double objective;        /* current objective value                     */
    double infeasibility;    /* sum of infeasibilities (phase 1)            */
    int64_t nodes;           /* integer iterations                          */
    int64_t active;          /* active nodes                                */
    double incumbent;        /* best integer objective, missing when none   */
    double best_bound;       /* bound of the best active node, or missing   */
} TymProgress;

/* ===========================================================================
 * Vector 4: system -- clock, formatting, settings, portable integers
 * ======================================================================== */
typedef struct TymSystemVector {
    uint32_t size;
    int64_t (*clock_ms)(void); /* milliseconds, monotonic */
    /* Format into buf (width bytes, no terminator written beyond width;
     * buf must hold width+1).  Integers right-aligned, doubles in best
     * format.  Return the width. */
    int (*format_int)(int64_t value, int width, char* buf);
    int (*format_double)(double value, int width, char* buf);
    /* Left-aligned "_OBS%-i_"-style names: format holds one %i / %-i. */
    int (*format_name)(const char* format, int64_t value, int width, char* buf);
    /* Host setting ("DEBUG", "$GENERIC"): copies the value into buf and
     * returns its length; -1 when the setting is absent. */
    int (*setting)(const char* name, char* buf, int buflen);
    /* 4-byte integers in portable (big-endian) byte order. */
    uint32_t (*int4_to_portable)(int32_t value);
    int32_t (*int4_from_portable)(uint32_t value);
    /* The host's missing values: '.' for ordinary missing, 'A'..'Z', '_'
     * for special missing (".I" infinity, ".M" minus infinity).  A missing
     * double has an all-ones exponent. */
    double (*missing)(char which);
    /* 0 when not missing, else the letter ('.', 'A'..'Z', '_'). */
    int (*missing_kind)(double value);
    /* Added later: present when `size` covers it (and not NULL).  The
     * module reports where a solve stands a few times a second at most,
     * and once with TYM_PROGRESS_DONE at its end.  Returns 0. */
    int (*progress)(const TymProgress* report);
} TymSystemVector;

/* ===========================================================================
 * Vector 5: macro variables
 * ======================================================================== */
typedef struct TymMacroVector {
    uint32_t size;
    TymScope (*scope)(void); /* the global scope */
    int (*set)(TymScope scope, const char* name, int name_len, const char* value, int value_len);
    /* Copy a value into buf; returns length or -1 when undefined. */
    int (*get)(TymScope scope, const char* name, int name_len, char* buf, int buflen);
} TymMacroVector;

/* ===========================================================================
 * Vector 6: statement parser (grammar and parse records in tym_grammar.h)
 * ======================================================================== */
struct TymGrammar;
struct TymParseRecord;
struct TymParserControl;

typedef struct TymParserVector {
    uint32_t size;
    /* A parser over the step's statements (batch) or over the terminal
     * (interactive != 0).  debug_flags: 2 syntax trace, 1 semantic trace. */
    TymParser (*open)(const struct TymGrammar* grammar, const struct TymParserControl* control, void* cookie,
                      int interactive, int debug_flags);
    /* Parse the procedure's statements of the current step, calling the
     * control's callbacks; returns the parse record of the procedure
     * statement (NULL when it had a syntax error). */
    struct TymParseRecord* (*run)(TymParser parser);
    /* Interactive: read one statement.  0 = a statement (record in *out,
     * which may carry an error word), 1 = end of input. */
    int (*read)(TymParser parser, struct TymParseRecord** out);
    int (*close)(TymParser parser);
} TymParserVector;

/* ===========================================================================
 * Vector 7: data set input
 * ======================================================================== */
/* A data set reference as the parser found it on a statement. */
typedef struct TymDataRef {
    char libref[33]; /* "" = default library; zero terminated          */
    char member[33]; /* zero terminated; empty when path is used       */
    char path[1024]; /* quoted path given instead of lib.member, or "" */
} TymDataRef;

enum TymVarType { TYM_VAR_NUMERIC = 1, TYM_VAR_CHAR = 2 };

typedef struct TymDataInVector {
    uint32_t size;
    /* Open for reading; NULL when it cannot be opened (the host has
     * already written an error naming the data set). */
    TymDataIn (*open)(const TymDataRef* ref);
    int (*var_count)(TymDataIn ds);
    /* Variable number (1-based) of a name compared case-insensitively over
     * name_len bytes (trailing blanks ignored); 0 when absent. */
    int (*find_var)(TymDataIn ds, const char* name, int name_len);
    /* Name (zero terminated, <= 32 chars), type and length of variable
     * number var (1-based). */
    int (*var_info)(TymDataIn ds, int var, char* name33, int* type, int* length);
    /* Bind variable var to a field: numeric fields are doubles, character
     * fields `length` bytes, blank padded, not terminated. */
    int (*bind)(TymDataIn ds, int var, void* field, int length);
    /* 0 = an observation was read into the bound fields; 1 = end of data;
     * negative = read error (already reported by the host). */
    int (*read_next)(TymDataIn ds);
    int (*rewind)(TymDataIn ds);
    int (*close)(TymDataIn ds);
    /* Observation number of the last observation read (1-based). */
    int64_t (*obs_number)(TymDataIn ds);
    /* Display name ("lib.member" or the path) for messages. */
    const char* (*name)(TymDataIn ds);
    /* What the host found about the values of variable var (1-based) when it
     * opened the data set: TYM_FOUND_* bits, 0 for nothing; negative for a
     * bad handle or variable.  The host has already written a WARNING for
     * each finding; the module decides whether its use of the variable
     * turns the finding into an error.  Hosts with a shorter vector lack
     * this entry (see the size). */
    int (*var_findings)(TymDataIn ds, int var);
} TymDataInVector;

enum TymVarFindings {
    /* Read as character although most of its values are numbers: a few
     * cells that are not numbers turned a column of numbers into text. */
    TYM_FOUND_STRAY_TEXT = 1,
    /* Some values are longer than the variable's declared length and are
     * read cut to it. */
    TYM_FOUND_CUT = 2,
    /* Two different values become the same value when cut. */
    TYM_FOUND_MERGED = 4
};

/* ===========================================================================
 * Vector 8: data set output
 * ======================================================================== */
typedef struct TymDataOutVector {
    uint32_t size;
    /* Create with room for var_count variables; written to a temporary file
     * that replaces the target only when closed with commit != 0. */
    TymDataOut (*create)(const TymDataRef* ref, int var_count);
    /* Define the next variable: its value is taken from `address` on every
     * write (a double for numeric, `length` bytes for character). The label
     * may be NULL. */
    int (*define)(TymDataOut ds, const char* name, int name_len, int type, int length, const char* label,
                  const void* address);
    int (*write)(TymDataOut ds);
    int (*close)(TymDataOut ds, int commit);
    const char* (*name)(TymDataOut ds);
} TymDataOutVector;

/* ===========================================================================
 * Vector 9: utility files (per-step temporary files)
 * ======================================================================== */
typedef struct TymUtilVector {
    uint32_t size;
    TymUtil (*open)(void); /* NULL on failure */
    /* Position at byte offset; -1 = end of file.  0 or negative. */
    int (*position)(TymUtil file, int64_t offset);
    int64_t (*tell)(TymUtil file);
    /* Read exactly len bytes at the position; 0 or negative. */
    int (*read)(TymUtil file, void* buf, int64_t len);
    int (*write)(TymUtil file, const void* buf, int64_t len);
    /* Close and delete. */
    int (*close)(TymUtil file);
} TymUtilVector;

/* ===========================================================================
 * Vector 10: table output
 * ======================================================================== */
enum TymAttrType {
    TYM_ATTR_INT = 1,    /* v.i                          */
    TYM_ATTR_DOUBLE = 2, /* v.d                          */
    TYM_ATTR_TEXT = 3,   /* v.s, len bytes (-1: strlen)  */
    TYM_ATTR_OBJECT = 4, /* v.o: a host object           */
    TYM_ATTR_SLOT = 5,   /* v.slot: receives an object   */
    TYM_ATTR_ADDRESS = 6 /* v.p: a column buffer         */
};

typedef struct TymAttr {
    int32_t tag;
    int32_t type;
    int32_t len;
    int32_t reserved;
    union {
        int64_t i;
        double d;
        const char* s;
        TymObject o;
        TymObject* slot;
        const void* p;
    } v;
} TymAttr;

/* Request codes. */
enum TymRequest {
    TYM_REQ_CREATE = 147,
    TYM_REQ_DEFINE_COLUMN = 338,
    TYM_REQ_END_COLUMNS = 298,
    TYM_REQ_OPEN_TABLE = 422,
    TYM_REQ_EMIT_ROW = 329,
    TYM_REQ_END_ROWS = 299,
    TYM_REQ_CLOSE_TABLE = 428,
    TYM_REQ_ADD_ENTRY = 164,
    TYM_REQ_END_ENTRIES = 300,
    TYM_REQ_RELEASE = 388,
    TYM_REQ_BY_GROUP = 316 /* by-group key of a data object: name, value */
};

/* Attribute tags. */
enum TymTag {
    TYM_TAG_HANDLE = 0,
    TYM_TAG_COLUMN_TYPE = 103,
    TYM_TAG_NAME = 138,
    TYM_TAG_FACILITY = 143,
    TYM_TAG_SLOT = 144,
    TYM_TAG_KIND = 146,
    TYM_TAG_MINUS_ONE = 148,
    TYM_TAG_ENTRY_DECIMALS = 270,
    TYM_TAG_ENTRY_WIDTH = 272,
    TYM_TAG_COLUMN_BUFFER = 285,
    TYM_TAG_ENTRY_VALUE = 287,
    TYM_TAG_COLUMN_WIDTH = 289,
    TYM_TAG_LABEL = 296,
    TYM_TAG_LOG_OPEN = 300,
    TYM_TAG_ENTRY_KEY = 311,
    TYM_TAG_TEMPLATE = 339,
    TYM_TAG_ENTRY_TEXT = 374,
    /* Column offset into its buffer, and the creation flag of a data object. */
    TYM_TAG_COLUMN_OFFSET = 104,
    TYM_TAG_CREATE_FLAG = 332,
    /* Matrix output (request 388 on an output object): the template goes in
     * tag 0 as text; values are doubles column after column; label arrays
     * hold one blank-padded name of the label width per row or column. */
    TYM_TAG_MATRIX_STYLE = 105,
    TYM_TAG_MATRIX_NOTE = 267,
    TYM_TAG_MATRIX_FORMAT = 269, /* "bestN." */
    TYM_TAG_MATRIX_FIELD = 278,
    TYM_TAG_MATRIX_OPTION = 280,
    TYM_TAG_MATRIX_FUZZ = 282,
    TYM_TAG_MATRIX_VALUES = 389,
    TYM_TAG_MATRIX_ROWS = 390,
    TYM_TAG_MATRIX_COLUMNS = 391,
    TYM_TAG_MATRIX_COLUMN_LABELS = 399,
    TYM_TAG_MATRIX_COLUMN_LABEL_WIDTH = 400,
    TYM_TAG_MATRIX_COLUMN_LABEL_WIDTH2 = 401,
    TYM_TAG_MATRIX_ROW_LABELS = 409,
    TYM_TAG_MATRIX_ROW_LABEL_WIDTH = 410,
    TYM_TAG_MATRIX_ROW_LABEL_WIDTH2 = 411,
    TYM_TAG_MATRIX_LAYOUT1 = 419,
    TYM_TAG_MATRIX_LAYOUT2 = 420
};

/* Column value types (tag 103).  The column buffer (tag 285) holds an
 * int32_t for 3, a double for 5 and `width` bytes, blank padded, for 6. */
enum TymColumnType { TYM_COL_INT = 3, TYM_COL_DOUBLE = 5, TYM_COL_CHAR = 6 };

typedef struct TymTableVector {
    uint32_t size;
    /* The host output object of the step (the root of all tables). */
    TymObject (*output_object)(void);
    /* Apply request `code` to `target` with its attributes.  Negative =
     * failure.  Objects: facility "pvs", kinds "manager", "output", "group",
     * "data", "factoid". */
    int (*request)(TymObject target, int code, int nattrs, const TymAttr* attrs);
} TymTableVector;

/* ===========================================================================
 * The host object
 * ======================================================================== */
enum TymVectorNumber {
    TYM_VEC_STEP = 0,
    TYM_VEC_MESSAGE = 1,
    TYM_VEC_MEMORY = 2,
    TYM_VEC_ATTENTION = 3,
    TYM_VEC_SYSTEM = 4,
    TYM_VEC_MACRO = 5,
    TYM_VEC_PARSER = 6,
    TYM_VEC_DATA_IN = 7,
    TYM_VEC_DATA_OUT = 8,
    TYM_VEC_UTIL = 9,
    TYM_VEC_TABLE = 10,
    TYM_VEC_COUNT = 11
};

typedef struct TymHost {
    uint32_t size;         /* sizeof(TymHost)                        */
    uint32_t version;      /* TYM_HOST_VERSION                       */
    uint32_t vector_count; /* TYM_VEC_COUNT                          */
    uint32_t reserved;
    /* vectors[k] points at the vector struct numbered k. */
    const void* vectors[TYM_VEC_COUNT];
    /* identity_word: the host's identity (its interface version), which
     * the module copies at entry; opaque_value: a host-owned value the
     * module refreshes at entry and hands back in its parser state.
     * Neither has a meaning inside the module. */
    int64_t identity_word;
    int64_t opaque_value;
    /* Slot where a module keeps its parser state record. */
    void* parser_state_slot;
} TymHost;

#ifdef __cplusplus
}
#endif

#endif /* TYM_HOST_H */
