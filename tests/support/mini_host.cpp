#include "mini_host.h"

#include <chrono>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "base/host_link.h"

namespace minihost {
namespace {

State g_state;

struct Block {
    size_t size;
    size_t pad;
};

std::string render(const TymArg& a) {
    char buf[64];
    switch (a.type) {
        case TYM_ARG_INT: return std::to_string(a.v.i);
        case TYM_ARG_DOUBLE: std::snprintf(buf, sizeof buf, "%.12g", a.v.d); return buf;
        case TYM_ARG_TEXT: {
            std::string s = a.len < 0 ? std::string(a.v.s) : std::string(a.v.s, static_cast<size_t>(a.len));
            while (!s.empty() && s.back() == ' ') s.pop_back();
            return s;
        }
    }
    return "?";
}

// ---- step
void end_step(int code) { throw StepEnded{code}; }
int status_report(int, int status) {
    g_state.notes.push_back("status report " + std::to_string(status));
    return 0;
}
int io_error_report(int, int status) {
    g_state.notes.push_back("io error " + std::to_string(status));
    return 0;
}

// ---- messages
int message(int, int number, int nargs, const TymArg* args) {
    Message m{number, {}};
    for (int i = 0; i < nargs; ++i) m.args.push_back(render(args[i]));
    g_state.messages.push_back(m);
    return 0;
}
int catalogue_text(int, int number, const TymArg* arg, char* buf, int buflen) {
    std::string s = "L" + std::to_string(number);
    if (arg) s += "(" + render(*arg) + ")";
    std::snprintf(buf, static_cast<size_t>(buflen), "%s", s.c_str());
    return static_cast<int>(std::strlen(buf));
}
int note(const char* format, ...) {
    va_list ap;
    va_start(ap, format);
    const char* text = format;
    std::string line;
    if (std::strcmp(format, "%3z%s") == 0)
        line = "NOTE: " + std::string(va_arg(ap, const char*));
    else if (std::strcmp(format, "%s") == 0)
        line = va_arg(ap, const char*);
    else
        line = text;
    va_end(ap);
    g_state.notes.push_back(line);
    return 0;
}
int flush() { return 0; }

// ---- memory
void* alloc(size_t bytes, int flags) {
    if (g_state.memory_limit > 0 && g_state.memory_in_use + static_cast<int64_t>(bytes) > g_state.memory_limit) {
        for (auto& [cb, cookie] : g_state.release_callbacks) {
            ++g_state.release_calls;
            cb(1, cookie);
        }
        if (g_state.memory_in_use + static_cast<int64_t>(bytes) > g_state.memory_limit) return nullptr;
    }
    auto* b = static_cast<Block*>(std::malloc(sizeof(Block) + bytes));
    if (!b) return nullptr;
    b->size = bytes;
    if (flags & 0x4) std::memset(b + 1, 0, bytes);
    g_state.memory_in_use += static_cast<int64_t>(bytes);
    ++g_state.live_blocks;
    return b + 1;
}
int release(void* p) {
    if (!p) return 0;
    Block* b = static_cast<Block*>(p) - 1;
    g_state.memory_in_use -= static_cast<int64_t>(b->size);
    --g_state.live_blocks;
    std::free(b);
    return 0;
}
struct Heap {
    std::vector<void*> blocks;
};
TymHeap heap_create(int, int, int) { return reinterpret_cast<TymHeap>(new Heap); }
void* heap_alloc(TymHeap h, size_t bytes) {
    void* p = alloc(bytes, 0x4);
    if (p) reinterpret_cast<Heap*>(h)->blocks.push_back(p);
    return p;
}
void* heap_resize(TymHeap h, void* p, size_t bytes) {
    void* q = heap_alloc(h, bytes);
    if (!q) return nullptr;
    if (p) {
        Block* b = static_cast<Block*>(p) - 1;
        std::memcpy(q, p, std::min(bytes, b->size));
        auto& v = reinterpret_cast<Heap*>(h)->blocks;
        for (auto& x : v)
            if (x == p) {
                x = nullptr;
                break;
            }
        release(p);
    }
    return q;
}
int heap_release(TymHeap h, void* p) {
    auto& v = reinterpret_cast<Heap*>(h)->blocks;
    for (auto& x : v)
        if (x == p) {
            x = nullptr;
            release(p);
            return 0;
        }
    return -1;
}
int heap_destroy(TymHeap h) {
    auto* heap = reinterpret_cast<Heap*>(h);
    for (void* p : heap->blocks) release(p);
    delete heap;
    return 0;
}
int64_t available() {
    if (g_state.memory_limit > 0) return g_state.memory_limit - g_state.memory_in_use;
    return int64_t{1} << 34;
}
int register_release(TymReleaseCallback cb, void* cookie) {
    g_state.release_callbacks.emplace_back(cb, cookie);
    return 0;
}
int unregister_release(TymReleaseCallback cb, void* cookie) {
    auto& v = g_state.release_callbacks;
    for (auto it = v.begin(); it != v.end(); ++it)
        if (it->first == cb && it->second == cookie) {
            v.erase(it);
            return 0;
        }
    return -1;
}
int memory_report() {
    g_state.notes.push_back("memory report");
    return 0;
}

// ---- attention
int att_install(TymAttentionHandler, void*) { return 0; }
int att_remove() { return 0; }
int att_poll() { return 0; }

// ---- system
int64_t clock_ms() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
int format_int(int64_t v, int width, char* buf) {
    std::snprintf(buf, static_cast<size_t>(width) + 1, "%*lld", width, static_cast<long long>(v));
    return width;
}
int format_double(double v, int width, char* buf) {
    std::snprintf(buf, static_cast<size_t>(width) + 1, "%*.*g", width, 10, v);
    return width;
}
int format_name(const char* format, int64_t v, int width, char* buf) {
    char tmp[256];
    std::string f = format;
    auto pos = f.find("%-i");
    if (pos != std::string::npos) f.replace(pos, 3, "%lld");
    pos = f.find("%i");
    if (pos != std::string::npos) f.replace(pos, 2, "%lld");
    std::snprintf(tmp, sizeof tmp, f.c_str(), static_cast<long long>(v));
    std::snprintf(buf, static_cast<size_t>(width) + 1, "%-*s", width, tmp);
    return width;
}
int setting(const char* name, char* buf, int buflen) {
    auto it = g_state.settings.find(name);
    if (it == g_state.settings.end()) return -1;
    std::snprintf(buf, static_cast<size_t>(buflen), "%s", it->second.c_str());
    return static_cast<int>(it->second.size());
}
uint32_t to_portable(int32_t v) { return __builtin_bswap32(static_cast<uint32_t>(v)); }
int32_t from_portable(uint32_t v) { return static_cast<int32_t>(__builtin_bswap32(v)); }
double missing(char which) {
    unsigned char c = static_cast<unsigned char>(which);
    if (c == '_')
        c = '-';
    else if (c < 'A' || c > 'Z')
        c = '.';
    uint64_t bits = 0xFFFF000000000000ull | (static_cast<uint64_t>(static_cast<unsigned char>(~c)) << 40);
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}
int missing_kind(double v) {
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    if ((bits & 0x7FF0000000000000ull) != 0x7FF0000000000000ull) return 0;
    if ((bits >> 48) != 0xFFFF || (bits & 0xFFFFFFFFFFull) != 0) return '.';
    int c = static_cast<unsigned char>(~(bits >> 40));
    if (c == '-') return '_';
    if (c >= 'A' && c <= 'Z') return c;
    return '.';
}

// ---- macro
TymScope scope() { return reinterpret_cast<TymScope>(&g_state); }
int macro_set(TymScope, const char* name, int nlen, const char* value, int vlen) {
    g_state.macros[std::string(name, static_cast<size_t>(nlen))] = std::string(value, static_cast<size_t>(vlen));
    return 0;
}
int macro_get(TymScope, const char* name, int nlen, char* buf, int buflen) {
    auto it = g_state.macros.find(std::string(name, static_cast<size_t>(nlen)));
    if (it == g_state.macros.end()) return -1;
    std::snprintf(buf, static_cast<size_t>(buflen), "%s", it->second.c_str());
    return static_cast<int>(it->second.size());
}

// ---- parser: not offered
TymParser p_open(const TymGrammar*, const TymParserControl*, void*, int, int) { return nullptr; }
TymParseRecord* p_run(TymParser) { return nullptr; }
int p_read(TymParser, TymParseRecord**) { return 1; }
int p_close(TymParser) { return 0; }

// ---- data sets: not offered
TymDataIn d_open(const TymDataRef*) { return nullptr; }
int d_count(TymDataIn) { return 0; }
int d_find(TymDataIn, const char*, int) { return 0; }
int d_info(TymDataIn, int, char*, int*, int*) { return -1; }
int d_bind(TymDataIn, int, void*, int) { return -1; }
int d_read(TymDataIn) { return 1; }
int d_rewind(TymDataIn) { return -1; }
int d_close(TymDataIn) { return 0; }
int64_t d_obs(TymDataIn) { return 0; }
const char* d_name(TymDataIn) { return "?"; }
int d_findings(TymDataIn, int) { return 0; }
TymDataOut o_create(const TymDataRef*, int) { return nullptr; }
int o_define(TymDataOut, const char*, int, int, int, const char*, const void*) { return -1; }
int o_write(TymDataOut) { return -1; }
int o_close(TymDataOut, int) { return 0; }
const char* o_name(TymDataOut) { return "?"; }

// ---- utility files
TymUtil u_open() {
    FILE* f = std::tmpfile();
    if (f) ++g_state.open_util_files;
    return reinterpret_cast<TymUtil>(f);
}
int u_position(TymUtil f, int64_t off) {
    return std::fseek(reinterpret_cast<FILE*>(f), off < 0 ? 0 : off, off < 0 ? SEEK_END : SEEK_SET) == 0 ? 0 : -1;
}
int64_t u_tell(TymUtil f) { return std::ftell(reinterpret_cast<FILE*>(f)); }
int u_read(TymUtil f, void* buf, int64_t len) {
    return std::fread(buf, 1, static_cast<size_t>(len), reinterpret_cast<FILE*>(f)) == static_cast<size_t>(len) ? 0
                                                                                                                : -1;
}
int u_write(TymUtil f, const void* buf, int64_t len) {
    return std::fwrite(buf, 1, static_cast<size_t>(len), reinterpret_cast<FILE*>(f)) == static_cast<size_t>(len) ? 0
                                                                                                                 : -1;
}
int u_close(TymUtil f) {
    --g_state.open_util_files;
    return std::fclose(reinterpret_cast<FILE*>(f)) == 0 ? 0 : -1;
}

// ---- tables: record requests
TymObject output_object() { return reinterpret_cast<TymObject>(&g_state); }
int request(TymObject, int code, int nattrs, const TymAttr* attrs) {
    TableRequest r{code, std::vector<TymAttr>(attrs, attrs + nattrs)};
    for (auto& a : r.attrs)
        if (a.type == TYM_ATTR_SLOT && a.v.slot) *a.v.slot = reinterpret_cast<TymObject>(&g_state);
    g_state.requests.push_back(std::move(r));
    return 0;
}

const TymStepVector kStep{sizeof(TymStepVector), end_step, status_report, io_error_report};
const TymMessageVector kMsg{sizeof(TymMessageVector), message, catalogue_text, note, flush};
const TymMemoryVector kMem{sizeof(TymMemoryVector),
                           alloc,
                           release,
                           heap_create,
                           heap_alloc,
                           heap_resize,
                           heap_release,
                           heap_destroy,
                           available,
                           register_release,
                           unregister_release,
                           memory_report};
const TymAttentionVector kAtt{sizeof(TymAttentionVector), att_install, att_remove, att_poll};
const TymSystemVector kSys{
    sizeof(TymSystemVector), clock_ms, format_int,   format_double,       format_name, setting, to_portable,
    from_portable,           missing,  missing_kind, /*progress=*/nullptr};  // a host that shows no progress
const TymMacroVector kMac{sizeof(TymMacroVector), scope, macro_set, macro_get};
const TymParserVector kPar{sizeof(TymParserVector), p_open, p_run, p_read, p_close};
const TymDataInVector kDin{sizeof(TymDataInVector),
                           d_open,
                           d_count,
                           d_find,
                           d_info,
                           d_bind,
                           d_read,
                           d_rewind,
                           d_close,
                           d_obs,
                           d_name,
                           d_findings};
const TymDataOutVector kDout{sizeof(TymDataOutVector), o_create, o_define, o_write, o_close, o_name};
const TymUtilVector kUtil{sizeof(TymUtilVector), u_open, u_position, u_tell, u_read, u_write, u_close};
const TymTableVector kTab{sizeof(TymTableVector), output_object, request};

TymHost make_host() {
    TymHost h{};
    h.size = sizeof(TymHost);
    h.version = TYM_HOST_VERSION;
    h.vector_count = TYM_VEC_COUNT;
    h.vectors[TYM_VEC_STEP] = &kStep;
    h.vectors[TYM_VEC_MESSAGE] = &kMsg;
    h.vectors[TYM_VEC_MEMORY] = &kMem;
    h.vectors[TYM_VEC_ATTENTION] = &kAtt;
    h.vectors[TYM_VEC_SYSTEM] = &kSys;
    h.vectors[TYM_VEC_MACRO] = &kMac;
    h.vectors[TYM_VEC_PARSER] = &kPar;
    h.vectors[TYM_VEC_DATA_IN] = &kDin;
    h.vectors[TYM_VEC_DATA_OUT] = &kDout;
    h.vectors[TYM_VEC_UTIL] = &kUtil;
    h.vectors[TYM_VEC_TABLE] = &kTab;
    return h;
}
TymHost g_host = make_host();

}  // namespace

State& install() {
    g_state = State{};
    tymlp::attach_host(&g_host, 0);
    return g_state;
}
State& state() { return g_state; }
const TymHost* host() { return &g_host; }

std::vector<int> message_numbers() {
    std::vector<int> out;
    for (auto& m : g_state.messages) out.push_back(m.number);
    return out;
}
bool has_message(int number) {
    for (auto& m : g_state.messages)
        if (m.number == number) return true;
    return false;
}

}  // namespace minihost
