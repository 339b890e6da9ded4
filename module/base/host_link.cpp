// host_link.cpp -- one-line forwarders from the module to the host vectors.
#include "base/host_link.h"

#include <cstdarg>
#include <cstddef>
#include <cstdio>

namespace tymlp {
namespace {

template <typename V>
const V* vec(int number) {
    return static_cast<const V*>(module_globals().host->vectors[number]);
}
const TymStepVector* step() { return vec<TymStepVector>(TYM_VEC_STEP); }
const TymMessageVector* msg() { return vec<TymMessageVector>(TYM_VEC_MESSAGE); }
const TymMemoryVector* mem() { return vec<TymMemoryVector>(TYM_VEC_MEMORY); }
const TymAttentionVector* att() { return vec<TymAttentionVector>(TYM_VEC_ATTENTION); }
const TymSystemVector* sys() { return vec<TymSystemVector>(TYM_VEC_SYSTEM); }
const TymMacroVector* mac() { return vec<TymMacroVector>(TYM_VEC_MACRO); }
const TymParserVector* par() { return vec<TymParserVector>(TYM_VEC_PARSER); }
const TymDataInVector* din() { return vec<TymDataInVector>(TYM_VEC_DATA_IN); }
const TymDataOutVector* dout() { return vec<TymDataOutVector>(TYM_VEC_DATA_OUT); }
const TymUtilVector* utl() { return vec<TymUtilVector>(TYM_VEC_UTIL); }
const TymTableVector* tab() { return vec<TymTableVector>(TYM_VEC_TABLE); }

}  // namespace

ModuleGlobals& module_globals() {
    static ModuleGlobals globals;
    return globals;
}

void attach_host(const TymHost* host, int64_t value) {
    module_globals().host = host;
    module_globals().value = value;
    module_globals().identity_word_at_entry = host ? host->identity_word : 0;
}

void host_end_step(int end_code) {
    step()->end_step(end_code);
    __builtin_unreachable();
}
int host_status_report(int status) { return step()->status_report(0, status); }
int host_io_error_report(int status) { return step()->io_error_report(0, status); }

int host_message(int number, int nargs, const TymArg* args) { return msg()->message(202, number, nargs, args); }
int host_catalogue_text(int number, const TymArg* arg, char* buf, int buflen) {
    return msg()->catalogue_text(253, number, arg, buf, buflen);
}
int host_note(const char* format, ...) {
    // The module hands the host one finished line.  A leading "%Nz" marks a
    // line the host prefixes with "NOTE: "; it is passed on as a marker
    // because it is not a directive vsnprintf knows.
    const char* body = format;
    bool marked = false;
    if (body[0] == '%') {
        const char* p = body + 1;
        while (*p >= '0' && *p <= '9') ++p;
        if (*p == 'z') {
            marked = true;
            body = p + 1;
        }
    }
    char line[1024];
    va_list ap;
    va_start(ap, format);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    std::vsnprintf(line, sizeof line, body, ap);
#pragma GCC diagnostic pop
    va_end(ap);
    return marked ? msg()->note("%3z%s", line) : msg()->note("%s", line);
}
int host_flush() { return msg()->flush(); }

void* host_alloc(size_t bytes, int flags) { return mem()->alloc(bytes, flags); }
int host_release(void* block) { return mem()->release(block); }
TymHeap host_heap_create(int kind, int block_size, int options) {
    return mem()->heap_create(kind, block_size, options);
}
void* host_heap_alloc(TymHeap heap, size_t bytes) { return mem()->heap_alloc(heap, bytes); }
void* host_heap_resize(TymHeap heap, void* block, size_t bytes) { return mem()->heap_resize(heap, block, bytes); }
int host_heap_release(TymHeap heap, void* block) { return mem()->heap_release(heap, block); }
int host_heap_destroy(TymHeap heap) { return mem()->heap_destroy(heap); }
int64_t host_memory_available() { return mem()->available(); }
int host_register_release(TymReleaseCallback cb, void* cookie) { return mem()->register_release(cb, cookie); }
int host_unregister_release(TymReleaseCallback cb, void* cookie) { return mem()->unregister_release(cb, cookie); }
int host_memory_report() { return mem()->memory_report(); }

int host_attention_install(TymAttentionHandler handler, void* cookie) { return att()->install(handler, cookie); }
int host_attention_remove() { return att()->remove(); }
int host_attention_poll() { return att()->poll(); }

int64_t host_clock_ms() { return sys()->clock_ms(); }
int host_format_int(int64_t value, int width, char* buf) { return sys()->format_int(value, width, buf); }
int host_format_double(double value, int width, char* buf) { return sys()->format_double(value, width, buf); }
int host_format_name(const char* format, int64_t value, int width, char* buf) {
    return sys()->format_name(format, value, width, buf);
}
int host_setting(const char* name, char* buf, int buflen) { return sys()->setting(name, buf, buflen); }
uint32_t host_int4_to_portable(int32_t value) { return sys()->int4_to_portable(value); }
int32_t host_int4_from_portable(uint32_t value) { return sys()->int4_from_portable(value); }
double host_missing(char which) { return sys()->missing(which); }
int host_missing_kind(double value) { return sys()->missing_kind(value); }
int host_progress(const TymProgress* report) {
    // A host built before the entry existed has a shorter vector.
    const TymSystemVector* v = sys();
    if (v->size < offsetof(TymSystemVector, progress) + sizeof v->progress || v->progress == nullptr) return 0;
    return v->progress(report);
}

TymScope host_macro_scope() { return mac()->scope(); }
int host_macro_set(TymScope scope, const char* name, int name_len, const char* value, int value_len) {
    return mac()->set(scope, name, name_len, value, value_len);
}

TymParser host_parser_open(const TymGrammar* grammar, const TymParserControl* control, void* cookie, int interactive,
                           int debug_flags) {
    return par()->open(grammar, control, cookie, interactive, debug_flags);
}
TymParseRecord* host_parser_run(TymParser parser) { return par()->run(parser); }
int host_parser_read(TymParser parser, TymParseRecord** out) { return par()->read(parser, out); }
int host_parser_close(TymParser parser) { return par()->close(parser); }

TymDataIn host_data_open(const TymDataRef* ref) { return din()->open(ref); }
int host_data_var_count(TymDataIn ds) { return din()->var_count(ds); }
int host_data_find_var(TymDataIn ds, const char* name, int name_len) { return din()->find_var(ds, name, name_len); }
int host_data_var_info(TymDataIn ds, int var, char* name33, int* type, int* length) {
    return din()->var_info(ds, var, name33, type, length);
}
int host_data_bind(TymDataIn ds, int var, void* field, int length) { return din()->bind(ds, var, field, length); }
int host_data_read_next(TymDataIn ds) { return din()->read_next(ds); }
int host_data_rewind(TymDataIn ds) { return din()->rewind(ds); }
int host_data_close(TymDataIn ds) { return din()->close(ds); }
int64_t host_data_obs_number(TymDataIn ds) { return din()->obs_number(ds); }
const char* host_data_name(TymDataIn ds) { return din()->name(ds); }
int host_data_var_findings(TymDataIn ds, int var) {
    // A host built before the entry existed offers a shorter vector.
    constexpr size_t kNeeded = offsetof(TymDataInVector, var_findings) + sizeof(TymDataInVector::var_findings);
    const TymDataInVector* v = din();
    if (v->size < kNeeded || v->var_findings == nullptr) return 0;
    const int found = v->var_findings(ds, var);
    return found > 0 ? found : 0;
}

TymDataOut host_out_create(const TymDataRef* ref, int var_count) { return dout()->create(ref, var_count); }
int host_out_define(TymDataOut ds, const char* name, int name_len, int type, int length, const char* label,
                    const void* address) {
    return dout()->define(ds, name, name_len, type, length, label, address);
}
int host_out_write(TymDataOut ds) { return dout()->write(ds); }
int host_out_close(TymDataOut ds, int commit) { return dout()->close(ds, commit); }
const char* host_out_name(TymDataOut ds) { return dout()->name(ds); }

TymUtil host_util_open() { return utl()->open(); }
int host_util_position(TymUtil file, int64_t offset) { return utl()->position(file, offset); }
int64_t host_util_tell(TymUtil file) { return utl()->tell(file); }
int host_util_read(TymUtil file, void* buf, int64_t len) { return utl()->read(file, buf, len); }
int host_util_write(TymUtil file, const void* buf, int64_t len) { return utl()->write(file, buf, len); }
int host_util_close(TymUtil file) { return utl()->close(file); }

TymObject host_output_object() { return tab()->output_object(); }
int host_table_request(TymObject target, int code, int nattrs, const TymAttr* attrs) {
    return tab()->request(target, code, nattrs, attrs);
}

}  // namespace tymlp
