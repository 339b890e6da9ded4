// attention.h -- user breaks (Ctrl-C) and the attention vector.
//
// The first break of a step calls the module's installed handler with its
// cookie, records a break that the next poll reports, and asks the next
// pause to read from the terminal.  A second break in the same step, or any
// break outside a step, asks the program to end: the front notices at its
// next check (a poll, the clock, a statement boundary, a terminal read),
// unwinds to the program runner with ProgramInterrupted, flushes the output
// and exits with status 130.  A third break is not caught at all.
#pragma once

#include "tym_host.h"

namespace qmlp::front {

// Thrown (host-private) when the program must end after a second break.
struct ProgramInterrupted {};

// Exit status of a program ended by breaks.
constexpr int kExitInterrupted = 130;

// Installs the SIGINT handler; only the qmlp command does this.
void attention_install_signal_handler();

// Step boundaries: a step starts with no break and no installed handler.
void attention_step_begin();
void attention_step_end();

// What the signal handler does for one break (tests call it directly).
void attention_raise_break();

// True after a break asked the next pause to read from the terminal.
bool attention_terminal_requested();
void attention_clear_terminal_request();

// True when the program must end; check_interrupt() throws then.
bool attention_abort_requested();
void check_interrupt();
// Forgets every break (start of a program run).
void attention_reset();

const TymAttentionVector* attention_vector();

}  // namespace qmlp::front
