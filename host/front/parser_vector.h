// parser_vector.h -- the statement parser vector (number 6) of the host
// object.
//
// open(grammar, control, cookie, interactive, debug) checks the grammar and
// returns a parser over the running step's statements; NULL after an ERROR
// when the grammar is malformed.
//
// run() parses the procedure statement and the statements after it, up to
// and including the first RUN or QUIT, or to the end of the step.  For every
// statement it calls control->varlist (variable-list statements without
// error, names expanded) and then control->statement (with flag 0x20 for
// every statement, otherwise for the procedure statement only); a non-zero
// return of a callback stops the run.  When the step's statements are used
// up, and the program is not run with --interactive, control->end is called
// once per step.  Returns the procedure statement's record, NULL when it
// had an error.
//
// read() delivers the step's remaining statements one by one, then, for a
// parser opened as interactive while the program runs with --interactive or
// after a break, statements typed at the terminal (host statements typed
// there are carried out at once).  Returns 0 with the record, 1 at the end.
//
// Records and their strings stay valid until the next run, read or close of
// the same parser.  Parsers still open when the step ends are closed then.
#pragma once

#include "tym_host.h"

namespace qmlp::front {

const TymParserVector* parser_vector();
// Frees every parser the step left open.
void close_all_parsers();

}  // namespace qmlp::front
