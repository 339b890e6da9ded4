#include "data/library.h"

#include <dirent.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <optional>
#include <system_error>

#include "data/data_log.h"
#include "data/engine.h"
#include "data/names.h"
#include "data/temp_registry.h"

namespace qmlp::host {
namespace data {
namespace {

namespace fs = std::filesystem;

struct Libraries {
    std::string default_folder = ".";
    std::map<std::string, std::string> folders;  // upper-case libref -> folder
    std::map<std::string, std::string> sqlite;   // upper-case libref -> database
    std::string work_folder;                     // created on first use
    int work_slot = -1;
    std::map<std::string, int> work_files;  // file -> registry slot
    std::optional<TymDataRef> last;
};

Libraries& libs() {
    // Never destroyed: the clean-up at program exit still needs it.
    static auto* instance = new Libraries;
    return *instance;
}

bool is_folder(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string absolute_folder(std::string_view folder) {
    std::error_code ec;
    fs::path p = fs::absolute(fs::path(folder), ec);
    if (ec) return std::string(folder);
    return p.lexically_normal().string();
}

// The WORK folder, created on first use; empty (after an ERROR) on failure.
const std::string& work_folder() {
    Libraries& l = libs();
    if (!l.work_folder.empty()) return l.work_folder;
    std::string pattern = temp_base_folder() + "/qmlp-work-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        data_error("The WORK library cannot be created in " + temp_base_folder() + ".");
        return l.work_folder;
    }
    l.work_folder = pattern;
    l.work_slot = temp_register(pattern, TempKind::Folder);
    return l.work_folder;
}

// The folder of a library; nullopt (after an ERROR) when it has none.
std::optional<std::string> library_folder(std::string_view libref) {
    Libraries& l = libs();
    if (libref.empty()) return l.default_folder;
    const std::string key = to_upper(libref);
    if (auto it = l.folders.find(key); it != l.folders.end()) return it->second;
    if (auto it = l.sqlite.find(key); it != l.sqlite.end()) {
        const std::string parent = fs::path(it->second).parent_path().string();
        return parent.empty() ? std::string(".") : parent;
    }
    if (key == kWorkLibrary) {
        const std::string& folder = work_folder();
        if (folder.empty()) return std::nullopt;
        return folder;
    }
    data_error("The library " + key + " is not assigned.");
    return std::nullopt;
}

// A file in `folder` named `wanted` up to case, or "" when there is none.
std::string find_ignoring_case(const std::string& folder, const std::string& wanted) {
    std::string found;
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return found;
    while (dirent* entry = readdir(dir)) {
        if (equal_ignore_case(entry->d_name, wanted)) {
            found = folder + "/" + entry->d_name;
            break;
        }
    }
    closedir(dir);
    return found;
}

std::string labels_path_for(const std::string& file) {
    const std::string ext = kDataExtension;
    if (file.size() > ext.size() && equal_ignore_case(file.substr(file.size() - ext.size()), ext))
        return file.substr(0, file.size() - ext.size()) + kLabelsExtension;
    return file + kLabelsExtension;
}

}  // namespace

void library_configure(const HostConfig& config) {
    Libraries& l = libs();
    l.default_folder = config.default_lib.empty() ? "." : config.default_lib;
    l.folders.clear();
    l.sqlite.clear();
    for (const auto& [lib, folder] : config.libnames) l.folders[to_upper(lib)] = absolute_folder(folder);
    l.last.reset();
}

std::string temp_base_folder() {
    const char* tmp = getenv("TMPDIR");
    if (tmp != nullptr && *tmp != '\0' && is_folder(tmp)) return tmp;
    return "/tmp";
}

bool resolve_data_file(const TymDataRef& ref, bool for_input, DataFile& out) {
    out = DataFile{};
    out.display = dataset_display_name(ref);
    const std::string_view path = fixed_field(ref.path);
    const std::string_view member = fixed_field(ref.member);
    const std::string_view libref = fixed_field(ref.libref);
    if (!path.empty()) {
        out.file = path;
        fs::path parent = fs::path(out.file).parent_path();
        out.folder = parent.empty() ? "." : parent.string();
        out.labels = labels_path_for(out.file);
        return true;
    }
    if (!is_valid_name(member)) {
        data_error("\"" + std::string(member) + "\" is not a valid data set name.");
        return false;
    }
    if (!libref.empty() && !is_valid_name(libref)) {
        data_error("\"" + std::string(libref) + "\" is not a valid library name.");
        return false;
    }
    std::optional<std::string> folder = library_folder(libref);
    if (!folder) return false;
    const std::string base = to_lower(member);
    if (auto db = libs().sqlite.find(to_upper(libref)); db != libs().sqlite.end()) {
        out.engine = Engine::Sqlite;
        out.file = db->second;
        out.folder = *folder;
        out.table = base;
        return true;
    }
    out.folder = *folder;
    out.file = out.folder + "/" + base + kDataExtension;
    out.labels = out.folder + "/" + base + kLabelsExtension;
    if (for_input) {
        struct stat st;
        if (stat(out.file.c_str(), &st) != 0) {
            std::string other = find_ignoring_case(out.folder, base + kDataExtension);
            if (!other.empty()) out.file = other;
        }
    }
    return true;
}

void library_shutdown() {
    Libraries& l = libs();
    if (l.work_folder.empty()) return;
    std::error_code ec;
    fs::remove_all(l.work_folder, ec);
    for (const auto& [file, slot] : l.work_files) temp_unregister(slot);
    l.work_files.clear();
    temp_unregister(l.work_slot);
    l.work_slot = -1;
    l.work_folder.clear();
}

namespace {
bool g_record_commits = false;
std::vector<TymDataRef>& commits() {
    static std::vector<TymDataRef> list;
    return list;
}
}  // namespace

void set_last_dataset(const TymDataRef& ref) {
    libs().last = ref;
    if (g_record_commits) commits().push_back(ref);
}

void note_work_file(const std::string& path) {
    Libraries& l = libs();
    if (l.work_files.count(path) == 0) l.work_files[path] = temp_register(path, TempKind::File);
}

bool in_work_library(const std::string& folder) { return !libs().work_folder.empty() && folder == libs().work_folder; }

}  // namespace data

void data_record_commits(bool on) {
    data::g_record_commits = on;
    if (!on) data::commits().clear();
}

std::vector<TymDataRef> data_take_commits() {
    std::vector<TymDataRef> taken;
    taken.swap(data::commits());
    return taken;
}

bool libname_assign(std::string_view libref, std::string_view folder) {
    using namespace data;
    if (!is_valid_name(libref)) {
        data_error("\"" + std::string(libref) + "\" is not a valid library name.");
        return false;
    }
    const std::string path = absolute_folder(folder);
    if (!is_folder(path)) {
        data_error("The folder \"" + std::string(folder) + "\" of library " + to_upper(libref) + " does not exist.");
        return false;
    }
    libs().sqlite.erase(to_upper(libref));
    libs().folders[to_upper(libref)] = path;
    data_note("Library " + to_upper(libref) + " refers to the folder " + path + ".");
    return true;
}

bool libname_assign_engine(std::string_view libref, std::string_view engine, std::string_view path) {
    using namespace data;
    const std::string kind = to_upper(engine);
    if (kind == "CSV") return libname_assign(libref, path);
    if (kind != "SQLITE") {
        data_error("The library engine " + std::string(engine) + " is not known; the engines are CSV and SQLITE.");
        return false;
    }
    if (!is_valid_name(libref)) {
        data_error("\"" + std::string(libref) + "\" is not a valid library name.");
        return false;
    }
    if (to_upper(libref) == kWorkLibrary) {
        data_error("The library WORK cannot be assigned to a database.");
        return false;
    }
    const std::string file = absolute_folder(path);
    std::string why;
    if (!sqlite_path_usable(file, &why)) {
        data_error("The database \"" + std::string(path) + "\" of library " + to_upper(libref) +
                   " cannot be used: " + why + ".");
        return false;
    }
    libs().folders.erase(to_upper(libref));
    libs().sqlite[to_upper(libref)] = file;
    data_note("Library " + to_upper(libref) + " refers to the SQLite database " + file + ".");
    return true;
}

std::optional<TymDataRef> last_dataset() { return data::libs().last; }

std::string dataset_display_name(const TymDataRef& ref) {
    using namespace data;
    const std::string_view path = fixed_field(ref.path);
    if (!path.empty()) return std::string(path);
    const std::string member = to_upper(fixed_field(ref.member));
    const std::string_view libref = fixed_field(ref.libref);
    if (libref.empty()) return member;
    return to_upper(libref) + "." + member;
}

}  // namespace qmlp::host
