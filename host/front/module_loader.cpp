// module_loader.cpp -- dlopen, mcn_main and the image checks.
#include "front/module_loader.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string_view>

namespace qmlp::front {
namespace {

constexpr char kModuleName[] = "tymlp   ";
constexpr char kImageLevel[] = "001";
constexpr uint16_t kTableHeader0 = TYM_TABLE_HEADER0;
constexpr uint16_t kTableHeader1 = TYM_TABLE_HEADER1;
constexpr size_t kTagChars = sizeof(TYM_IMAGE_TAG) - 1;  // without its zero byte

std::string hex(uint32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08X", v);
    return buf;
}

// Printable form of a fixed field for messages.
std::string shown(const char* p, size_t n) {
    std::string s;
    for (size_t i = 0; i < n; ++i) s += (p[i] >= 32 && p[i] < 127) ? p[i] : '?';
    return "\"" + s + "\"";
}

}  // namespace

bool check_image(const TymImageInfo* info, ProcedureEntry* entry, std::string* why) {
    if (!info) {
        *why = "mcn_main returned no image-information block";
        return false;
    }
    if (std::memcmp(info->tag, TYM_IMAGE_TAG, kTagChars) != 0 || info->tag[kTagChars] != 0 ||
        info->tag[kTagChars + 1] != 0) {
        *why = "the image-information block has the tag " + shown(info->tag, sizeof info->tag) + ", expected \"" +
               TYM_IMAGE_TAG + "\" and two zero bytes";
        return false;
    }
    if (info->magic != TYM_IMAGE_MAGIC) {
        *why = "the image-information block has the magic number " + hex(info->magic) + ", expected " +
               hex(TYM_IMAGE_MAGIC);
        return false;
    }
    if (info->count != TYM_IMAGE_COUNT) {
        *why = "the image-information block has the count " + std::to_string(info->count) + ", expected " +
               std::to_string(TYM_IMAGE_COUNT);
        return false;
    }
    if (std::memcmp(info->level, kImageLevel, sizeof kImageLevel) != 0) {
        *why = "the image-information block has the level " + shown(info->level, sizeof info->level) +
               ", expected \"001\"";
        return false;
    }
    if (!info->module_table || !*info->module_table) {
        *why = "the image-information block leads to no module table";
        return false;
    }
    const TymModuleTable* table = *info->module_table;
    if (table->header0 != kTableHeader0 || table->header1 != kTableHeader1) {
        *why = "the module table has the header " + std::to_string(table->header0) + "/" + hex(table->header1) +
               ", expected 0/0x0000FFFF";
        return false;
    }
    if (std::memcmp(table->name, kModuleName, sizeof table->name) != 0) {
        *why = "the module table names the module " + shown(table->name, sizeof table->name) + ", expected \"" +
               kModuleName + "\"";
        return false;
    }
    if (!table->entry) {
        *why = "the module table has no procedure entry";
        return false;
    }
    *entry = table->entry;
    return true;
}

bool load_module(const std::string& path, const TymHost* host, LoadedModule& out, std::string* why) {
    out = LoadedModule{};
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* err = ::dlerror();
        *why = std::string("it cannot be loaded: ") + (err ? err : "unknown reason");
        return false;
    }
    ::dlerror();
    void* sym = ::dlsym(handle, TYM_MAIN_SYMBOL);
    if (!sym) {
        *why = "it does not export " TYM_MAIN_SYMBOL;
        ::dlclose(handle);
        return false;
    }
    TymMainEntry main_entry = reinterpret_cast<TymMainEntry>(sym);
    const TymImageInfo* info = nullptr;
    try {
        info = main_entry(host, 0);
    } catch (...) {  // a module that ends a step while it is being loaded
        *why = TYM_MAIN_SYMBOL " did not return";
        ::dlclose(handle);
        return false;
    }
    ProcedureEntry entry = nullptr;
    if (!check_image(info, &entry, why)) {
        ::dlclose(handle);
        return false;
    }
    out.handle = handle;
    out.info = info;
    out.entry = entry;
    return true;
}

void unload_module(LoadedModule& module) {
    if (module.handle) ::dlclose(module.handle);
    module = LoadedModule{};
}

std::string default_module_path() {
    char buf[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    std::string dir = ".";
    if (n > 0) {
        std::string_view exe(buf, static_cast<size_t>(n));
        const size_t slash = exe.rfind('/');
        if (slash != std::string_view::npos) dir = std::string(exe.substr(0, slash == 0 ? 1 : slash));
    }
    if (dir.back() != '/') dir += '/';
    return dir + QMLP_MODULE_NAME;
}

}  // namespace qmlp::front
