// util_files.cpp -- utility files (vector 9): the module's scratch files.
//
// Each utility file is a real file in a folder of the step under $TMPDIR.
// The file is unlinked as soon as it is created, so it disappears with its
// descriptor whatever way the program ends; the folder itself goes at the
// end of the step.  The module reads and writes many small records (a
// coefficient is 24 bytes), so each file keeps one window of its bytes in
// memory and goes to the operating system only when the window moves.
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "data/data_internal.h"
#include "data/data_log.h"
#include "data/data_status.h"
#include "data/guard.h"
#include "data/library.h"
#include "data/temp_registry.h"
#include "host_api.h"

struct TymUtil_ {
    static constexpr size_t kWindowBytes = 64 * 1024;
    int fd = -1;
    int64_t position = 0;
    int64_t size = 0;  // logical size: the file plus what the window adds
    std::vector<char> window = std::vector<char>(kWindowBytes);
    int64_t window_start = 0;
    size_t window_length = 0;  // valid bytes in the window
    bool dirty = false;

    ~TymUtil_() {
        if (fd >= 0) ::close(fd);
    }
};

namespace qmlp::host {
namespace data {
namespace {

constexpr int64_t kEndOfFile = -1;

struct UtilState {
    std::set<TymUtil> files;
    std::string folder;  // the step's folder, created on first use
    int folder_slot = -1;
};

UtilState& state() {
    // Never destroyed: the clean-up at program exit still needs it.
    static auto* instance = new UtilState;
    return *instance;
}

bool known(TymUtil f) { return f != nullptr && state().files.count(f) != 0; }

bool full_pwrite(int fd, const char* data, size_t len, int64_t offset) {
    while (len > 0) {
        const ssize_t n = pwrite(fd, data, len, offset);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        len -= static_cast<size_t>(n);
        offset += n;
    }
    return true;
}

bool full_pread(int fd, char* data, size_t len, int64_t offset) {
    while (len > 0) {
        const ssize_t n = pread(fd, data, len, offset);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        len -= static_cast<size_t>(n);
        offset += n;
    }
    return true;
}

int io_failure(const char* what) {
    data_error(std::string("A utility file cannot be ") + what + ": " + std::strerror(errno) + ".");
    return kIoFailure;
}

int flush_window(TymUtil f) {
    if (!f->dirty) return kOk;
    if (!full_pwrite(f->fd, f->window.data(), f->window_length, f->window_start)) return io_failure("written");
    f->dirty = false;
    return kOk;
}

// Makes the window start at `offset` holding the file's bytes from there.
int load_window(TymUtil f, int64_t offset) {
    if (int rc = flush_window(f); rc < 0) return rc;
    f->window_start = offset;
    f->window_length = static_cast<size_t>(std::min<int64_t>(TymUtil_::kWindowBytes, f->size - offset));
    if (!full_pread(f->fd, f->window.data(), f->window_length, offset)) {
        f->window_length = 0;
        return io_failure("read");
    }
    return kOk;
}

bool in_window(TymUtil f, int64_t offset) {
    return offset >= f->window_start && offset < f->window_start + static_cast<int64_t>(f->window_length);
}

const std::string& step_folder() {
    UtilState& s = state();
    if (!s.folder.empty()) return s.folder;
    std::string pattern = temp_base_folder() + "/qmlp-step-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) return s.folder;
    s.folder = pattern;
    s.folder_slot = temp_register(s.folder, TempKind::Folder);
    return s.folder;
}

TymUtil open_util() {
    const std::string& folder = step_folder();
    if (folder.empty()) {
        data_error("The folder for utility files cannot be created in " + temp_base_folder() + ": " +
                   std::strerror(errno) + ".");
        return nullptr;
    }
    std::string path = folder + "/util-XXXXXX";
    const int fd = mkostemp(path.data(), O_CLOEXEC);
    if (fd < 0) {
        io_failure("created");
        return nullptr;
    }
    unlink(path.c_str());
    auto* f = new TymUtil_;
    f->fd = fd;
    state().files.insert(f);
    return f;
}

int position(TymUtil f, int64_t offset) {
    if (!known(f)) return kBadHandle;
    if (offset < kEndOfFile) return kBadArgument;
    f->position = offset == kEndOfFile ? f->size : offset;
    return kOk;
}

int64_t tell(TymUtil f) { return known(f) ? f->position : int64_t{kBadHandle}; }

int read_util(TymUtil f, void* buf, int64_t len) {
    if (!known(f)) return kBadHandle;
    if (len < 0 || (buf == nullptr && len > 0)) return kBadArgument;
    if (len > f->size - f->position) return kPastEnd;
    char* out = static_cast<char*>(buf);
    while (len > 0) {
        if (!in_window(f, f->position)) {
            if (len >= static_cast<int64_t>(TymUtil_::kWindowBytes)) {
                // A long read goes straight to the file.
                if (int rc = flush_window(f); rc < 0) return rc;
                if (!full_pread(f->fd, out, static_cast<size_t>(len), f->position)) return io_failure("read");
                f->position += len;
                return kOk;
            }
            if (int rc = load_window(f, f->position); rc < 0) return rc;
        }
        const size_t at = static_cast<size_t>(f->position - f->window_start);
        const size_t n = std::min(static_cast<size_t>(len), f->window_length - at);
        std::memcpy(out, f->window.data() + at, n);
        out += n;
        f->position += static_cast<int64_t>(n);
        len -= static_cast<int64_t>(n);
    }
    return kOk;
}

int write_util(TymUtil f, const void* buf, int64_t len) {
    if (!known(f)) return kBadHandle;
    if (len < 0 || (buf == nullptr && len > 0)) return kBadArgument;
    const char* in = static_cast<const char*>(buf);
    while (len > 0) {
        const int64_t window_end = f->window_start + static_cast<int64_t>(f->window_length);
        const bool appendable = f->position == window_end && f->window_length < TymUtil_::kWindowBytes;
        if (!in_window(f, f->position) && !appendable) {
            if (int rc = flush_window(f); rc < 0) return rc;
            if (len >= static_cast<int64_t>(TymUtil_::kWindowBytes)) {
                if (!full_pwrite(f->fd, in, static_cast<size_t>(len), f->position)) return io_failure("written");
                f->position += len;
                f->size = std::max(f->size, f->position);
                return kOk;
            }
            // Start an empty window here; it fills as the writes go on.
            f->window_start = f->position;
            f->window_length = 0;
        }
        const size_t at = static_cast<size_t>(f->position - f->window_start);
        const size_t n = std::min(static_cast<size_t>(len), TymUtil_::kWindowBytes - at);
        std::memcpy(f->window.data() + at, in, n);
        f->window_length = std::max(f->window_length, at + n);
        f->dirty = true;
        in += n;
        f->position += static_cast<int64_t>(n);
        f->size = std::max(f->size, f->position);
        len -= static_cast<int64_t>(n);
    }
    return kOk;
}

int close_util(TymUtil f) {
    if (!known(f)) return kBadHandle;
    state().files.erase(f);
    delete f;
    return kOk;
}

const TymUtilVector kUtilVector = {
    sizeof(TymUtilVector),
    []() { return guarded(nullptr, open_util); },
    position,
    tell,
    read_util,
    write_util,
    close_util,
};

}  // namespace

void close_all_util_files() {
    UtilState& s = state();
    for (TymUtil f : s.files) delete f;
    s.files.clear();
    if (!s.folder.empty()) {
        rmdir(s.folder.c_str());
        temp_unregister(s.folder_slot);
        s.folder.clear();
        s.folder_slot = -1;
    }
}

int open_util_count() { return static_cast<int>(state().files.size()); }

}  // namespace data

const TymUtilVector* util_vector() { return &data::kUtilVector; }

}  // namespace qmlp::host
