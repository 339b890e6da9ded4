// reader_vars.h -- the special variables of a problem data set: finding
// them by statement or by default name, checking their types, and the
// messages both readers issue about them.
//
// Every check reports its error as a numbered message and makes the
// caller's result 11, so that one run reports every problem of the
// variable lists before the run ends.
#pragma once

#include <cstdint>

#include "base/lp_context.h"

namespace tymlp {

// One variable of the data set.
struct DataVar {
    int number;                // 1-based variable number; 0 = none
    int type;                  // TYM_VAR_NUMERIC or TYM_VAR_CHAR
    int length;                // bytes of a character variable (8 for numeric)
    char name[kVarNameBytes];  // zero terminated
};

// What a resolution wants of a variable's type (0: either).
inline constexpr int kAnyType = 0;

// Message numbers (facility 202) of the variable lists.
enum VarMessage : int {
    kMsgRowCoefMismatch = 1,  // row-name and coefficient variables differ in number
    kMsgWrongType = 18,       // statement, variable, "character" | "numeric"
    kMsgNotInData = 19,       // statement, variable
    kMsgListedTwice = 20,     // variable (a warning: it is used once)
    kMsgOnlyOne = 21,         // statement
    kMsgTwoRoles = 23,        // variable
    kMsgOneId = 24,
    kMsgNoVariable = 25,      // statement, default name
    kMsgIdUnusable = 229,     // default row-name variable of the wrong type
    kMsgRewindFailed = 258,   // the data set cannot be read again from its start
    kMsgNoObservations = 303  // data set name
};

// Reads the description of variable `number`.  False when the host has none.
bool data_var(TymDataIn ds, int number, DataVar* out);

// Finds a variable by name (the host compares without regard to case).
bool find_data_var(TymDataIn ds, const char* name, DataVar* out);

// Message 18 for `var` of `statement` when its type is not `want_type`;
// returns kRunOk when the type is right, else kRunSemantic.
int check_var_type(const char* statement, const DataVar& var, int want_type);

// Resolves the names the statement of list `kind` gave: each name not in
// the data set gives message 19, each of the wrong type message 18 (both
// make the result 11); a name listed twice is used once (message 20).  The
// variables found go to out[*count ...] (room for the data set's variable
// count must be there).  Returns kRunOk or kRunSemantic.
int resolve_listed(LpContext* ctx, TymDataIn ds, VarListKind kind, const char* statement, int want_type, DataVar* out,
                   int* count);

// The roles a variable may play; each variable may play one.
struct RoleTable {
    int8_t* role;  // per variable number (index 0 unused); 0 = no role yet
    int size;      // variable count + 1
};

// Gives `var` the role `role` (> 0).  A variable that already has another
// role: message 23, result 11.  A variable claimed twice for the same role
// keeps it (0).
int claim_role(RoleTable& roles, const DataVar& var, int role);

// Opens the DATA= data set of the statement into handles.data_in.
// Returns kRunOk, or kRunIo when the host cannot open it (the host has reported why).
int open_problem_data(LpContext* ctx);

// A data set that names its variables but holds no observation and
// declares none character: every variable looks numeric (no value says
// otherwise), so the type checks would blame the wrong thing; message 303
// says what is wrong instead.  (With a declared character variable the
// readers go on: an empty problem has true messages of its own.)
// Returns kRunOk (the data set is positioned at its start again),
// kRunSemantic after message 303 (or 258 when it cannot be read again from
// its start), or kRunIo (the host has reported the read error).
int check_observations(TymDataIn ds);

// Closes the problem data set when it is open.
void close_problem_data(LpContext* ctx);

// Keeps the type variable's name for the problem summary.
void keep_type_variable(LpContext* ctx, const DataVar& var);

}  // namespace tymlp
