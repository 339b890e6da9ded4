// whole_file.cpp -- report files written completely or not at all.
//
// A report (JSON, HTML, the symbols file) replaces an older one only when
// the new text is wholly on disk: it goes to a temporary file beside the
// target, which is renamed over the target after a clean close.  A target
// that exists and is not a regular file (a device, a pipe) is written in
// place, since renaming over it would replace the device itself.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "host_api.h"

namespace qmlp::host {
namespace {

namespace fs = std::filesystem;

std::string folder_of(const std::string& path) {
    const fs::path parent = fs::path(path).parent_path();
    return parent.empty() ? std::string(".") : parent.string();
}

bool write_all(int fd, std::string_view text, std::string* why) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            *why = std::strerror(n < 0 ? errno : EIO);
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

bool write_in_place(const std::string& path, std::string_view text, std::string* why) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0) {
        *why = std::strerror(errno);
        return false;
    }
    bool ok = write_all(fd, text, why);
    if (::close(fd) != 0 && ok) {
        *why = std::strerror(errno);
        ok = false;
    }
    return ok;
}

}  // namespace

bool output_target_usable(const std::string& path, std::string* why) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) {
            *why = "it is a folder";
            return false;
        }
        if (::access(path.c_str(), W_OK) != 0) {
            *why = std::strerror(errno);
            return false;
        }
        return true;
    }
    const std::string folder = folder_of(path);
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        *why = "the folder " + folder + " does not exist";
        return false;
    }
    if (::access(folder.c_str(), W_OK) != 0) {
        *why = "the folder " + folder + " is not writable (" + std::strerror(errno) + ")";
        return false;
    }
    return true;
}

bool write_whole_file(const std::string& path, std::string_view text, std::string* why) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        if (S_ISDIR(st.st_mode)) {
            *why = "it is a folder";
            return false;
        }
        return write_in_place(path, text, why);
    }
    std::string temp = folder_of(path) + "/." + fs::path(path).filename().string() + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        *why = std::strerror(errno);
        return false;
    }
    bool ok = write_all(fd, text, why);
    if (ok && ::fchmod(fd, 0644) != 0) {
        *why = std::strerror(errno);
        ok = false;
    }
    if (::close(fd) != 0 && ok) {
        *why = std::strerror(errno);
        ok = false;
    }
    if (ok && std::rename(temp.c_str(), path.c_str()) != 0) {
        *why = std::strerror(errno);
        ok = false;
    }
    if (!ok) ::unlink(temp.c_str());
    return ok;
}

}  // namespace qmlp::host
