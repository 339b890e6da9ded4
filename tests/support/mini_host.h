// mini_host.h -- a small in-process host for unit tests of module routines.
//
// It records what the module says (messages, notes, table requests, macro
// variables) so tests can assert on it, gives real memory (with an optional
// limit) and real utility files, and turns end_step into an exception the
// test can catch.  Data sets and the parser are not offered here: tests that
// need them run the real host (tests/e2e).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tym_host.h"

namespace minihost {

struct StepEnded {
    int end_code;
};

struct Message {
    int number;
    std::vector<std::string> args;  // every argument rendered as text
};

struct TableRequest {
    int code;
    std::vector<TymAttr> attrs;
};

struct State {
    std::vector<Message> messages;
    std::vector<std::string> notes;
    std::vector<TableRequest> requests;
    std::map<std::string, std::string> macros;
    std::map<std::string, std::string> settings;
    int64_t memory_limit = 0;  // 0 = none
    int64_t memory_in_use = 0;
    int live_blocks = 0;
    int open_util_files = 0;
    std::vector<std::pair<TymReleaseCallback, void*>> release_callbacks;
    int release_calls = 0;
};

// Installs a fresh mini host into the module (tymlp::attach_host) and
// returns its state.  Calling it again resets everything.
State& install();
State& state();
const TymHost* host();

// Numbers of every message issued so far, in order.
std::vector<int> message_numbers();
bool has_message(int number);

}  // namespace minihost
