// symbols_file.h -- the --symbols file: every macro variable as a
// "NAME=value" line, in name order, written when the program ends.
#pragma once

#include <string>

#include "front/macro_store.h"

namespace qmlp::front {

// False with the reason in *why when the file cannot be written.
bool write_symbols(const std::string& path, const MacroStore& store, std::string* why);

}  // namespace qmlp::front
