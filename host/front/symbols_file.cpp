// symbols_file.cpp -- writing the macro variables for scripts.
#include "front/symbols_file.h"

#include "host_api.h"

namespace qmlp::front {

bool write_symbols(const std::string& path, const MacroStore& store, std::string* why) {
    std::string text;
    for (const auto& [name, value] : store.all()) {
        std::string line = value;
        for (char& c : line)
            if (c == '\n' || c == '\r') c = ' ';  // one variable, one line
        text += name + '=' + line + '\n';
    }
    return qmlp::host::write_whole_file(path, text, why);
}

}  // namespace qmlp::front
