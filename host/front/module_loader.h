// module_loader.h -- loading the procedure module and finding its entry.
//
// The library is opened with dlopen, its one export mcn_main is called with
// the host object and the value 0, and the image-information block it
// returns is checked: the tag "TYM_Image_Information=" with two zero bytes,
// the magic number, the count 8 and level "001".  The module-table word
// leads to the module table, whose header must be 0 / 0xFFFF and whose
// module name must be "tymlp   "; its entry is the procedure driver.
#pragma once

#include <string>

#include "tym_image.h"

namespace qmlp::front {

using ProcedureEntry = void (*)();

struct LoadedModule {
    void* handle = nullptr;
    const TymImageInfo* info = nullptr;
    ProcedureEntry entry = nullptr;
};

// Loads `path`; false with the reason in *why (the caller logs it).
bool load_module(const std::string& path, const TymHost* host, LoadedModule& out, std::string* why);

// Checks an image block as load_module does; false with the reason.
bool check_image(const TymImageInfo* info, ProcedureEntry* entry, std::string* why);

void unload_module(LoadedModule& module);

// The default module: libtymlp.so in the folder of the running program.
std::string default_module_path();

}  // namespace qmlp::front
