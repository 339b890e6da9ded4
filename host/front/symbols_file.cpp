// symbols_file.cpp -- writing the macro variables for scripts.
#include "front/symbols_file.h"

#include <cerrno>
#include <cstring>
#include <fstream>

namespace qmlp::front {

bool write_symbols(const std::string& path, const MacroStore& store, std::string* why) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) {
        *why = std::strerror(errno);
        return false;
    }
    for (const auto& [name, value] : store.all()) {
        std::string line = value;
        for (char& c : line)
            if (c == '\n' || c == '\r') c = ' ';  // one variable, one line
        out << name << '=' << line << '\n';
    }
    out.flush();
    if (!out) {
        *why = "the file could not be written completely";
        return false;
    }
    return true;
}

}  // namespace qmlp::front
