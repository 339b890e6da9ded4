// attention.h -- user breaks (Ctrl-C) and the attention vector.
//
// The first break of a step calls the module's installed handler with its
// cookie, records a break that the next poll reports, and asks the next
// pause to read from the terminal.  A pause that reads statements has
// handled it: the next break is a first one again.  A second break with no
// pause between them, or a break outside a step, asks the program to end:
// the front notices at its next check (a poll, the clock, a statement
// boundary, a terminal read), unwinds to the program runner with
// ProgramInterrupted, flushes the output and exits with status 130.  A third
// break is not caught at all.  A break while a prompt reads a line only
// clears that line; it is no break of the run.
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

// A pause has started to read statements: the break that led there is spent.
void attention_pause_reached();

// Around the read of one line at a prompt.
void attention_prompt_begin();
void attention_prompt_end();

// True when the end was asked by a second break in a step (not by one
// outside a step).
bool attention_abort_by_second_break();

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
