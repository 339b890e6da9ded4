// host_link.h -- the module's only way to the host.
//
// One forwarding routine per entry of the host vectors (tym_host.h).  Module
// code calls these and nothing of the operating system.  The host object is
// recorded by mcn_main (or by a test through attach_host).
#pragma once

#include <cstddef>
#include <cstdint>

#include "tym_grammar.h"
#include "tym_host.h"

namespace tymlp {

// The host object and the value passed with it to mcn_main; the host's word
// as it stood when the module was entered (the host may change it later).
struct ModuleGlobals {
    const TymHost* host = nullptr;
    int64_t value = 0;
    int64_t identity_word_at_entry = 0;
};
ModuleGlobals& module_globals();
void attach_host(const TymHost* host, int64_t value);

// Step control
[[noreturn]] void host_end_step(int end_code);
int host_status_report(int status);
int host_io_error_report(int status);

// Messages, catalogue, notes
int host_message(int number, int nargs = 0, const TymArg* args = nullptr);      // facility 202
int host_catalogue_text(int number, const TymArg* arg, char* buf, int buflen);  // group 253
int host_note(const char* format, ...);  // printf style; a leading "%Nz" makes a NOTE: line
int host_flush();

// Message argument builders
inline TymArg arg_int(int64_t v) {
    TymArg a{};
    a.type = TYM_ARG_INT;
    a.v.i = v;
    return a;
}
inline TymArg arg_double(double v) {
    TymArg a{};
    a.type = TYM_ARG_DOUBLE;
    a.v.d = v;
    return a;
}
inline TymArg arg_text(const char* s, int len = -1) {
    TymArg a{};
    a.type = TYM_ARG_TEXT;
    a.len = len;
    a.v.s = s;
    return a;
}

// Memory
void* host_alloc(size_t bytes, int flags);
int host_release(void* block);
TymHeap host_heap_create(int kind, int block_size, int options);
void* host_heap_alloc(TymHeap heap, size_t bytes);
void* host_heap_resize(TymHeap heap, void* block, size_t bytes);
int host_heap_release(TymHeap heap, void* block);
int host_heap_destroy(TymHeap heap);
int64_t host_memory_available();
int host_register_release(TymReleaseCallback cb, void* cookie);
int host_unregister_release(TymReleaseCallback cb, void* cookie);
int host_memory_report();

// Attention
int host_attention_install(TymAttentionHandler handler, void* cookie);
int host_attention_remove();
int host_attention_poll();

// System
int64_t host_clock_ms();
int host_format_int(int64_t value, int width, char* buf);
int host_format_double(double value, int width, char* buf);
int host_format_name(const char* format, int64_t value, int width, char* buf);
int host_setting(const char* name, char* buf, int buflen);
uint32_t host_int4_to_portable(int32_t value);
int32_t host_int4_from_portable(uint32_t value);
double host_missing(char which);
int host_missing_kind(double value);
// Where a solve stands, for the host's progress line; does nothing with a
// host that does not take such reports.
int host_progress(const TymProgress* report);

// Macro variables
TymScope host_macro_scope();
int host_macro_set(TymScope scope, const char* name, int name_len, const char* value, int value_len);

// Parser
TymParser host_parser_open(const TymGrammar* grammar, const TymParserControl* control, void* cookie, int interactive,
                           int debug_flags);
TymParseRecord* host_parser_run(TymParser parser);
int host_parser_read(TymParser parser, TymParseRecord** out);
int host_parser_close(TymParser parser);

// Data set input
TymDataIn host_data_open(const TymDataRef* ref);
int host_data_var_count(TymDataIn ds);
int host_data_find_var(TymDataIn ds, const char* name, int name_len);
int host_data_var_info(TymDataIn ds, int var, char* name33, int* type, int* length);
int host_data_bind(TymDataIn ds, int var, void* field, int length);
int host_data_read_next(TymDataIn ds);
int host_data_rewind(TymDataIn ds);
int host_data_close(TymDataIn ds);
int64_t host_data_obs_number(TymDataIn ds);
const char* host_data_name(TymDataIn ds);
// TYM_FOUND_* bits the host found about a variable's values (0 from a host
// that cannot say).
int host_data_var_findings(TymDataIn ds, int var);

// Data set output
TymDataOut host_out_create(const TymDataRef* ref, int var_count);
int host_out_define(TymDataOut ds, const char* name, int name_len, int type, int length, const char* label,
                    const void* address);
int host_out_write(TymDataOut ds);
int host_out_close(TymDataOut ds, int commit);
const char* host_out_name(TymDataOut ds);

// Utility files
TymUtil host_util_open();
int host_util_position(TymUtil file, int64_t offset);
int64_t host_util_tell(TymUtil file);
int host_util_read(TymUtil file, void* buf, int64_t len);
int host_util_write(TymUtil file, const void* buf, int64_t len);
int host_util_close(TymUtil file);

// Table output
TymObject host_output_object();
int host_table_request(TymObject target, int code, int nattrs, const TymAttr* attrs);

}  // namespace tymlp
