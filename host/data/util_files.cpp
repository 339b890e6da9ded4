// util_files.cpp -- utility files (vector 9): the module's scratch files.
//
// Each utility file is a real file without a name under $TMPDIR, so it
// disappears with its descriptor whatever way the program ends.  Where the
// file system cannot make unnamed files, it is made in a folder of the step
// and unlinked at once; the folder goes at the end of the step.  The module reads and writes many small records (a
// coefficient is 24 bytes; a branch-and-bound node a few hundred bytes, read
// back in no particular order), so each file keeps a cache of up to 8 MiB of
// pages in memory, the least recently used going back to the operating
// system first: a scattered read moves one page, not a large window, and the
// column and row stores of problems with hundreds of thousands of columns
// stay in memory instead of crossing the kernel at every pass.  The file itself is
// made only when a page first has to go back: a small problem's scratch
// data never leaves memory, and its run makes no file at all.
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "data/data_internal.h"
#include "data/data_log.h"
#include "data/data_status.h"
#include "data/guard.h"
#include "data/library.h"
#include "data/temp_registry.h"
#include "host_api.h"

struct TymUtil_ {
    static constexpr int64_t kPageBytes = 8 * 1024;
    static constexpr size_t kMostPages = 1024;
    struct Page {
        int64_t number = -1;  // page index in the file
        uint64_t used = 0;    // last use, for choosing the page to give up
        bool dirty = false;
        std::unique_ptr<char[]> bytes = std::make_unique<char[]>(kPageBytes);
    };
    int fd = -1;  // made when the first page goes back
    int64_t position = 0;
    int64_t size = 0;  // logical size: the file plus what dirty pages add
    std::vector<Page> pages;
    std::unordered_map<int64_t, size_t> slot_of;  // page number -> index in pages
    uint64_t clock = 0;

    ~TymUtil_() {
        if (fd >= 0) ::close(fd);
    }
};

namespace qmlp::host {
namespace data {
namespace {

constexpr int64_t kEndOfFile = -1;
using Page = TymUtil_::Page;
constexpr int64_t kPageBytes = TymUtil_::kPageBytes;

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

// Reads up to `len` bytes; what lies beyond the file's end reads as zero.
bool full_pread(int fd, char* data, size_t len, int64_t offset) {
    while (len > 0) {
        const ssize_t n = pread(fd, data, len, offset);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) {
            std::memset(data, 0, len);
            return true;
        }
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

int create_unnamed_file();

// Writes a dirty page back: the bytes of it that lie inside the file.
int flush_page(TymUtil f, Page& page) {
    if (!page.dirty) return kOk;
    const int64_t start = page.number * kPageBytes;
    const int64_t length = std::min(kPageBytes, f->size - start);
    if (length <= 0) {
        page.dirty = false;
        return kOk;
    }
    if (f->fd < 0) {
        f->fd = create_unnamed_file();
        if (f->fd < 0) return kIoFailure;
    }
    if (!full_pwrite(f->fd, page.bytes.get(), static_cast<size_t>(length), start)) return io_failure("written");
    page.dirty = false;
    return kOk;
}

// The page `number` in the cache, read from the file unless `fresh` (every
// byte of it about to be written, or none of it in the file yet).
int fetch_page(TymUtil f, int64_t number, bool fresh, Page** out) {
    if (auto it = f->slot_of.find(number); it != f->slot_of.end()) {
        *out = &f->pages[it->second];
        (*out)->used = ++f->clock;
        return kOk;
    }
    size_t slot = f->pages.size();
    if (slot < TymUtil_::kMostPages) {
        f->pages.emplace_back();
    } else {
        slot = 0;
        for (size_t k = 1; k < f->pages.size(); ++k)
            if (f->pages[k].used < f->pages[slot].used) slot = k;
        if (int rc = flush_page(f, f->pages[slot]); rc < 0) return rc;
        f->slot_of.erase(f->pages[slot].number);
    }
    Page& page = f->pages[slot];
    page.number = -1;
    const int64_t start = number * kPageBytes;
    // Without a file every page ever written is still here: the others are
    // gaps, which read as zero.
    if (fresh || start >= f->size || f->fd < 0) {
        std::memset(page.bytes.get(), 0, kPageBytes);
    } else if (!full_pread(f->fd, page.bytes.get(), static_cast<size_t>(kPageBytes), start)) {
        return io_failure("read");
    }
    page.number = number;
    page.used = ++f->clock;
    f->slot_of[number] = slot;
    *out = &page;
    return kOk;
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

// A file without a name where the file system has them (nothing to create,
// unlink or clean up); otherwise a named file in the step's folder, unlinked
// at once.
int create_unnamed_file() {
    const int fd = ::open(temp_base_folder().c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0) return fd;
    const std::string& folder = step_folder();
    if (folder.empty()) {
        data_error("The folder for utility files cannot be created in " + temp_base_folder() + ": " +
                   std::strerror(errno) + ".");
        return -1;
    }
    std::string path = folder + "/util-XXXXXX";
    const int named = mkostemp(path.data(), O_CLOEXEC);
    if (named < 0) {
        io_failure("created");
        return -1;
    }
    unlink(path.c_str());
    return named;
}

TymUtil open_util() {
    auto* f = new TymUtil_;
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
        const int64_t number = f->position / kPageBytes;
        const int64_t at = f->position % kPageBytes;
        const int64_t n = std::min(len, kPageBytes - at);
        Page* page = nullptr;
        if (int rc = fetch_page(f, number, false, &page); rc < 0) return rc;
        std::memcpy(out, page->bytes.get() + at, static_cast<size_t>(n));
        out += n;
        f->position += n;
        len -= n;
    }
    return kOk;
}

int write_util(TymUtil f, const void* buf, int64_t len) {
    if (!known(f)) return kBadHandle;
    if (len < 0 || (buf == nullptr && len > 0)) return kBadArgument;
    const char* in = static_cast<const char*>(buf);
    while (len > 0) {
        const int64_t number = f->position / kPageBytes;
        const int64_t at = f->position % kPageBytes;
        const int64_t n = std::min(len, kPageBytes - at);
        Page* page = nullptr;
        if (int rc = fetch_page(f, number, n == kPageBytes, &page); rc < 0) return rc;
        std::memcpy(page->bytes.get() + at, in, static_cast<size_t>(n));
        page->dirty = true;
        in += n;
        f->position += n;
        f->size = std::max(f->size, f->position);
        len -= n;
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
