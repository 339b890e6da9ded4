// macro_store.cpp -- macro variables, reference resolution and the macro
// vector.
#include "front/macro_store.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "front/front_services.h"
#include "front/lexer.h"

namespace qmlp::front {

bool valid_macro_name(std::string_view name) {
    if (name.empty() || name.size() > kMacroNameMax || !is_name_start(name[0])) return false;
    for (char c : name)
        if (!is_name_char(c)) return false;
    return true;
}

bool MacroStore::set(std::string_view name, std::string_view value) {
    if (!valid_macro_name(name) || value.size() > kMacroValueMax) return false;
    vars_[to_upper(name)] = std::string(value);
    ++set_count_;
    return true;
}

const std::string* MacroStore::get(std::string_view name) const {
    auto it = vars_.find(to_upper(name));
    return it == vars_.end() ? nullptr : &it->second;
}

MacroStore& macros() {
    static MacroStore store;
    return store;
}

std::string resolve_macros(std::string_view text, const MacroStore& store, std::vector<std::string>* undefined) {
    std::string out;
    out.reserve(text.size());
    bool in_single = false;
    bool in_double = false;
    size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '\'' && !in_double) in_single = !in_single;
        if (c == '"' && !in_single) in_double = !in_double;
        if (c != '&' || in_single || i + 1 >= text.size() || !is_name_start(text[i + 1])) {
            out += c;
            ++i;
            continue;
        }
        size_t j = i + 1;
        while (j < text.size() && is_name_char(text[j])) ++j;
        std::string_view name = text.substr(i + 1, j - i - 1);
        const std::string* value = name.size() <= kMacroNameMax ? store.get(name) : nullptr;
        if (!value) {
            if (undefined) undefined->push_back(to_upper(name));
            out.append(text.substr(i, j - i));
            i = j;
            continue;
        }
        out += *value;
        i = j;
        if (i < text.size() && text[i] == '.') ++i;  // "&name." : the dot ends the name
    }
    return out;
}

std::string resolve_and_warn(std::string_view text, const MacroStore& store) {
    std::vector<std::string> undefined;
    std::string out = resolve_macros(text, store, &undefined);
    for (const std::string& name : undefined)
        log_warning("Macro variable " + name + " is not defined; the reference &" + name + " is left as written.");
    return out;
}

namespace {

struct ScopeTag {};
ScopeTag g_global_scope;

TymScope macro_scope() { return reinterpret_cast<TymScope>(&g_global_scope); }

std::string_view view_of(const char* s, int len) {
    if (!s) return {};
    return len < 0 ? std::string_view(s) : std::string_view(s, static_cast<size_t>(len));
}

// Names may arrive blank padded.
std::string_view trim_name(std::string_view name) {
    while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
    return name;
}

int macro_set(TymScope scope, const char* name, int name_len, const char* value, int value_len) {
    if (scope != macro_scope() || !name) return -1;
    try {
        return macros().set(trim_name(view_of(name, name_len)), view_of(value, value_len)) ? 0 : -1;
    } catch (const std::bad_alloc&) {
        return -1;
    }
}

// Copies at most buflen - 1 bytes and a terminating zero; returns the full
// length of the value so that a caller can see it was cut.
int macro_get(TymScope scope, const char* name, int name_len, char* buf, int buflen) {
    if (scope != macro_scope() || !name) return -1;
    const std::string* value = macros().get(trim_name(view_of(name, name_len)));
    if (!value) return -1;
    if (buf && buflen > 0) {
        size_t n = std::min(value->size(), static_cast<size_t>(buflen - 1));
        std::memcpy(buf, value->data(), n);
        buf[n] = '\0';
    }
    return static_cast<int>(value->size());
}

const TymMacroVector kMacroVector = {sizeof(TymMacroVector), macro_scope, macro_set, macro_get};

}  // namespace

const TymMacroVector* macro_vector() { return &kMacroVector; }

}  // namespace qmlp::front
