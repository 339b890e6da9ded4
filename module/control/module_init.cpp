// module_init.cpp -- the parser state record and the DEBUG setting.
#include <cctype>
#include <cstring>

#include "base/host_link.h"
#include "control/parser_state.h"

namespace tymlp {
namespace {

// Settings up to this length are examined on the stack.
constexpr int kSettingStackBytes = 200;

TymHost* mutable_host() { return const_cast<TymHost*>(module_globals().host); }

// Sets the debug flags from the upper-cased setting text.
void scan_debug(ParserState* state, char* text, int length) {
    for (int i = 0; i < length; ++i) text[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[i])));
    text[length] = '\0';
    state->syntax_debug = std::strstr(text, "SYN") != nullptr ? 1 : 0;
    state->semantic_debug = std::strstr(text, "SEM") != nullptr ? 1 : 0;
}

bool all_blank(const char* text, int length) {
    for (int i = 0; i < length; ++i)
        if (text[i] != ' ') return false;
    return true;
}

void read_debug_setting(ParserState* state) {
    char local[kSettingStackBytes + 1];
    const int length = host_setting("DEBUG", local, sizeof local);
    if (length <= 0) return;
    if (length <= kSettingStackBytes) {
        if (!all_blank(local, length)) scan_debug(state, local, length);
        return;
    }
    // A long setting: read it whole into a block of its own.
    auto* text = static_cast<char*>(host_alloc(static_cast<size_t>(length) + 1, TYM_ALLOC_STEP));
    if (text == nullptr) return;
    const int again = host_setting("DEBUG", text, length + 1);
    if (again == length && !all_blank(text, length)) scan_debug(state, text, length);
    host_release(text);
}

}  // namespace

ParserState* parser_state() {
    const TymHost* host = module_globals().host;
    return host != nullptr ? static_cast<ParserState*>(host->parser_state_slot) : nullptr;
}

int module_init() {
    auto* state = static_cast<ParserState*>(host_alloc(kParserStateBytes, TYM_ALLOC_STEP_ZERO));
    if (state == nullptr) return kRunMemory;
    const ModuleGlobals& g = module_globals();
    state->entry_words[kEntryIdentityWord] = g.identity_word_at_entry;
    state->entry_words[kEntryOpaqueValue] = g.host->opaque_value;
    state->entry_words[kEntryMainValue] = g.value;
    read_debug_setting(state);
    mutable_host()->parser_state_slot = state;
    return 0;
}

int parser_debug_flags() {
    const ParserState* state = parser_state();
    if (state == nullptr) return 0;
    return (state->syntax_debug != 0 ? kParserDebugSyntax : 0) |
           (state->semantic_debug != 0 ? kParserDebugSemantic : 0);
}

void release_parser_state() {
    ParserState* state = parser_state();
    if (state == nullptr) return;
    mutable_host()->parser_state_slot = nullptr;
    host_release(state);
}

}  // namespace tymlp
