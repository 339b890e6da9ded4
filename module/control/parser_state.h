// parser_state.h -- the record the statement parser and its callbacks share
// for the length of a run, kept in the host's slot.
#pragma once

#include <cstdint>

#include "base/lp_context.h"
#include "tym_grammar.h"

namespace tymlp {

// Bytes the record takes from the host allocator.
inline constexpr int kParserStateBytes = 220;
// The words copied from the entry into the record at initialisation, by
// their index in ParserState::entry_words.
enum ParserEntryWord : int {
    kEntryIdentityWord = 0,  // the host's word as copied at entry (ModuleGlobals::identity_word_at_entry)
    kEntryOpaqueValue = 1,   // the host's value at initialisation
    kEntryMainValue = 2,     // the value the host passed to mcn_main
    kParserEntryWords = 3
};

struct ParserState {
    LpContext* ctx;                          // the run whose statements are parsed
    TymParser parser;                        // the open parser, or none
    TymParserControl control;                // the 96-byte control block with the callbacks
    int64_t entry_words[kParserEntryWords];  // see ParserEntryWord
    int32_t syntax_debug;                    // 1: the parser traces tokens (DEBUG setting "SYN")
    int32_t semantic_debug;                  // 1: the parser traces parse results (DEBUG setting "SEM")
    uint8_t reserved[kParserStateBytes - 8 - 8 - 96 - 8 * kParserEntryWords - 8 - 4];
};
static_assert(sizeof(ParserState) <= kParserStateBytes, "parser state record");

// Parser debug flags as the host parser takes them.
inline constexpr int kParserDebugSyntax = 2;
inline constexpr int kParserDebugSemantic = 1;

// Allocates the parser state record, stores it in the host slot, copies the
// entry words and reads the DEBUG setting.  Returns kRunOk, or kRunMemory when the record
// cannot be allocated.
int module_init();

// The record of the current run, or null before module_init.
ParserState* parser_state();

// The debug flags for the host parser (kParserDebugSyntax | kParserDebugSemantic).
int parser_debug_flags();

// Returns the record to the host and clears the slot.
void release_parser_state();

}  // namespace tymlp
