// macro_store.h -- the program's macro variables and "&name" references.
//
// Names are case-insensitive and kept upper-case: a letter or "_" followed
// by letters, digits and "_", at most 32 characters.  There is one global
// scope; values live until the program ends.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "tym_host.h"

namespace qmlp::front {

constexpr size_t kMacroNameMax = 32;
// Longest value a macro variable holds; longer values are refused.
constexpr size_t kMacroValueMax = 65534;

bool valid_macro_name(std::string_view name);

class MacroStore {
  public:
    // False when the name is not valid or the value too long.
    bool set(std::string_view name, std::string_view value);
    // Nullptr when undefined.
    const std::string* get(std::string_view name) const;
    // Every variable in name order.
    const std::map<std::string, std::string>& all() const { return vars_; }
    void clear() { vars_.clear(); }
    // How many values were set so far: a caller that notes it before a
    // step tells whether the step set anything, even the value it had.
    uint64_t set_count() const { return set_count_; }

  private:
    std::map<std::string, std::string> vars_;
    uint64_t set_count_ = 0;
};

// The program's store (the one the macro vector serves).
MacroStore& macros();

// Replaces every "&name" (and "&name.", whose "." only ends the name) by the
// variable's value.  References inside single-quoted strings are left alone;
// double-quoted strings are resolved.  A reference to an undefined variable
// stays as written and its name (upper-case) is added to *undefined.
// Replaced values are not scanned again.
std::string resolve_macros(std::string_view text, const MacroStore& store,
                           std::vector<std::string>* undefined = nullptr);

// Resolves and writes one WARNING per undefined reference.
std::string resolve_and_warn(std::string_view text, const MacroStore& store);

// The macro vector (number 5) of the host object.
const TymMacroVector* macro_vector();

}  // namespace qmlp::front
