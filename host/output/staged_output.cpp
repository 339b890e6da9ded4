// staged_output.cpp -- the log and the listing, staged beside an existing target.
#include "output/staged_output.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "data/run_files.h"
#include "data/temp_registry.h"

namespace qmlp::host::output {
namespace {

std::string temp_pattern_for(const std::string& path) {
    namespace fs = std::filesystem;
    const fs::path p(path);
    const std::string folder = p.parent_path().empty() ? std::string(".") : p.parent_path().string();
    return folder + "/." + p.filename().string() + ".XXXXXX";
}

}  // namespace

std::FILE* StagedOutput::open(const std::string& path, std::string* why) {
    abandon();
    struct stat st {};
    const bool existing_regular = ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
    if (!existing_regular) {
        file_ = std::fopen(path.c_str(), "w");
        if (file_ == nullptr) {
            *why = std::strerror(errno);
            return nullptr;
        }
        target_ = path;
        return file_;
    }
    // The temporary must be creatable where the target is, and the target
    // must be replaceable: both fail early, before the run, when they fail.
    if (::access(path.c_str(), W_OK) != 0) {
        *why = std::strerror(errno);
        return nullptr;
    }
    std::string temp = temp_pattern_for(path);
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        *why = std::strerror(errno);
        return nullptr;
    }
    ::fchmod(fd, st.st_mode & 0777);
    file_ = ::fdopen(fd, "w");
    if (file_ == nullptr) {
        *why = std::strerror(errno);
        ::close(fd);
        ::unlink(temp.c_str());
        return nullptr;
    }
    target_ = path;
    temp_ = temp;
    temp_slot_ = data::temp_register(temp_, data::TempKind::File);
    return file_;
}

bool StagedOutput::commit(const char* what, std::string* message) {
    if (file_ == nullptr) return true;
    int close_error = std::fclose(file_) != 0 ? errno : 0;
    file_ = nullptr;
    bool ok = true;
    if (close_error != 0) {
        *message = std::string("The ") + what + " could not be written completely to " + target_ + " (" +
                   std::strerror(close_error) + ").";
        ok = false;
    }
    if (!temp_.empty()) {
        data::temp_unregister(temp_slot_);
        temp_slot_ = -1;
        const std::string role =
            data::run_files_role_of(target_, data::run_file_bit(data::RunFileKind::kDataSetInput));
        if (!role.empty()) {
            *message = std::string("The ") + what + " is not written over " + target_ + ": the file is " + role +
                       ", named as input of this run. The " + what + " is kept in " + temp_ + ".";
            ok = false;
        } else if (!ok) {
            ::unlink(temp_.c_str());
        } else if (std::rename(temp_.c_str(), target_.c_str()) != 0) {
            *message = std::string("The ") + what + " could not replace " + target_ + " (" + std::strerror(errno) +
                       "); it is kept in " + temp_ + ".";
            ok = false;
        }
        temp_.clear();
    }
    target_.clear();
    return ok;
}

void StagedOutput::abandon() {
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
    if (!temp_.empty()) {
        data::temp_unregister(temp_slot_);
        ::unlink(temp_.c_str());
    }
    temp_slot_ = -1;
    temp_.clear();
    target_.clear();
}

}  // namespace qmlp::host::output
