// run_files.cpp -- the files a run reads and writes.
#include "data/run_files.h"

#include <sys/stat.h>

#include <filesystem>
#include <system_error>
#include <vector>

namespace qmlp::host::data {
namespace {

// What a path names, as far as sameness goes.
struct Identity {
    enum class Kind { kRegular, kNew, kOther } kind = Kind::kOther;
    dev_t dev = 0;
    ino_t ino = 0;
    std::string path;  // kNew: the absolute path
};

Identity identity_of(const std::string& path) {
    Identity id;
    if (path.empty()) return id;
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode)) return id;  // devices, pipes, folders
        id.kind = Identity::Kind::kRegular;
        id.dev = st.st_dev;
        id.ino = st.st_ino;
        return id;
    }
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::weakly_canonical(std::filesystem::absolute(path, ec), ec);
    if (ec) return id;
    id.kind = Identity::Kind::kNew;
    id.path = absolute.lexically_normal().string();
    return id;
}

bool same(const Identity& a, const Identity& b) {
    if (a.kind != b.kind || a.kind == Identity::Kind::kOther) return false;
    if (a.kind == Identity::Kind::kRegular) return a.dev == b.dev && a.ino == b.ino;
    return a.path == b.path;
}

struct RunFile {
    std::string path;
    RunFileKind kind;
    std::string role;
};

std::vector<RunFile>& files() {
    static auto* list = new std::vector<RunFile>;  // never destroyed: exit handlers may still ask
    return *list;
}

}  // namespace

void run_files_reset() { files().clear(); }

void run_files_note(const std::string& path, RunFileKind kind, const std::string& role) {
    if (!path.empty()) files().push_back({path, kind, role});
}

std::string run_files_role_of(const std::string& path, unsigned kinds) {
    const Identity id = identity_of(path);
    if (id.kind == Identity::Kind::kOther) return {};
    // Identities are taken now: a file recorded before it existed may exist
    // by now (the log, once opened).
    for (const RunFile& f : files())
        if ((kinds & run_file_bit(f.kind)) != 0 && same(id, identity_of(f.path))) return f.role;
    return {};
}

bool same_file(const std::string& a, const std::string& b) { return same(identity_of(a), identity_of(b)); }

}  // namespace qmlp::host::data
