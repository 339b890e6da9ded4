// host_statements.h -- the statements the host itself carries out:
//
//   LIBNAME name 'folder';   assigns a library name to a folder
//   %LET name = value;       sets a macro variable (value trimmed, its own
//                            references resolved first)
//   %PUT text;               writes the text to the log, references resolved
//
// Any of them ends an LP step.  They are also accepted at the terminal
// during a pause.
#pragma once

#include <string>

#include "front/statement_splitter.h"

namespace qmlp::front {

enum class HostStatementKind { None, Libname, Let, Put };

// The statement's keyword, upper-case, with a leading "%" kept ("%PUT");
// empty when it does not start with a word.
std::string statement_keyword(const Statement& s);

HostStatementKind host_statement_kind(const Statement& s);

// Carries out a host statement; false after an ERROR line (a bad LIBNAME or
// a malformed %LET), which the caller counts as a program error.
bool execute_host_statement(const Statement& s, HostStatementKind kind);

// "Line N: " for messages about a statement of the program.
std::string line_prefix(const Statement& s);

}  // namespace qmlp::front
