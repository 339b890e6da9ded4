// data_out.cpp -- data set output (vector 8): create, define, write, close.
//
// An output data set is written to a temporary file beside its target and
// renamed over the target only when the module closes it with commit, so a
// run that fails, or a step that ends without closing, never leaves a
// half-written data set and never spoils the one that was there before.
// Variable labels go to a side file <member>.labels ("name=label" lines)
// that is committed with the data set.
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "data/csv_schema.h"
#include "data/csv_text.h"
#include "data/csv_value.h"
#include "data/data_internal.h"
#include "data/data_log.h"
#include "data/data_status.h"
#include "data/guard.h"
#include "data/library.h"
#include "data/names.h"
#include "data/temp_registry.h"
#include "host_api.h"

struct TymDataOut_ {
    struct Var {
        std::string name;
        int type = TYM_VAR_NUMERIC;
        int length = 8;
        std::string label;
        const void* address = nullptr;
    };
    TymDataRef ref{};
    qmlp::host::data::DataFile file;
    std::string temp_path;
    int temp_slot = -1;
    int fd = -1;
    int capacity = 0;
    std::vector<Var> vars;
    bool header_written = false;
    bool failed = false;
    std::string pending;  // bytes not yet written to the file
    int renamed = 0;      // names that had to be made valid
    std::string first_rename;
};

namespace qmlp::host {
namespace data {
namespace {

constexpr size_t kFlushBytes = 64 * 1024;

std::set<TymDataOut>& open_outputs() {
    // Never destroyed: the clean-up at program exit still needs it.
    static auto* instance = new std::set<TymDataOut>;
    return *instance;
}

bool known(TymDataOut ds) { return ds != nullptr && open_outputs().count(ds) != 0; }

bool is_folder(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Creates a temporary file beside `target` (mode as for a new file);
// returns the descriptor or -1 with errno set.
int create_temp(const std::string& folder, const std::string& target, std::string& temp_path) {
    std::string base = target.substr(target.find_last_of('/') + 1);
    temp_path = folder + "/." + base + ".tmp-XXXXXX";
    const int fd = mkostemp(temp_path.data(), O_CLOEXEC);
    if (fd < 0) return -1;
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    return fd;
}

bool write_all(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

int fail_io(TymDataOut ds, const std::string& what) {
    if (!ds->failed)
        data_error("Data set " + ds->file.display + " cannot be written: " + what + ": " + std::strerror(errno) + ".");
    ds->failed = true;
    return kIoFailure;
}

int flush_pending(TymDataOut ds) {
    if (ds->failed) return kIoFailure;
    if (!write_all(ds->fd, ds->pending)) return fail_io(ds, ds->temp_path);
    ds->pending.clear();
    return kOk;
}

void write_header(TymDataOut ds) {
    for (size_t v = 0; v < ds->vars.size(); ++v) {
        if (v > 0) ds->pending += ',';
        ds->pending += ds->vars[v].name;
        if (ds->vars[v].type == TYM_VAR_CHAR) ds->pending += "$" + std::to_string(ds->vars[v].length);
    }
    ds->pending += '\n';
    ds->header_written = true;
    if (ds->renamed > 0)
        data_note(std::to_string(ds->renamed) + " variable name(s) of data set " + ds->file.display +
                  " were not valid names and were changed (the first: " + ds->first_rename + ").");
}

// Removes the temporary file and forgets the handle.
void discard(TymDataOut ds) {
    if (ds->fd >= 0) ::close(ds->fd);
    unlink(ds->temp_path.c_str());
    temp_unregister(ds->temp_slot);
    open_outputs().erase(ds);
    delete ds;
}

TymDataOut create(const TymDataRef* ref, int var_count) {
    if (ref == nullptr) return nullptr;
    DataFile file;
    if (!resolve_data_file(*ref, false, file)) return nullptr;
    if (var_count < 0) {
        data_error("Data set " + file.display + " cannot be created with " + std::to_string(var_count) + " variables.");
        return nullptr;
    }
    if (!is_folder(file.folder)) {
        data_error("Data set " + file.display + " cannot be created: the folder " + file.folder + " does not exist.");
        return nullptr;
    }
    if (is_folder(file.file)) {
        data_error("Data set " + file.display + " cannot be created: " + file.file + " is a folder.");
        return nullptr;
    }
    // The finished data set is renamed over its target; renaming over a
    // device, a pipe or a socket would replace it with an ordinary file.
    struct stat target_stat;
    if (lstat(file.file.c_str(), &target_stat) == 0 && !S_ISREG(target_stat.st_mode)) {
        data_error("Data set " + file.display + " cannot be created: " + file.file +
                   " exists and is not a regular file.");
        return nullptr;
    }
    std::string temp_path;
    const int fd = create_temp(file.folder, file.file, temp_path);
    if (fd < 0) {
        data_error("Data set " + file.display + " cannot be created: the folder " + file.folder + " is not writable (" +
                   std::strerror(errno) + ").");
        return nullptr;
    }
    auto* ds = new TymDataOut_;
    ds->ref = *ref;
    ds->file = std::move(file);
    ds->temp_path = std::move(temp_path);
    ds->temp_slot = temp_register(ds->temp_path, TempKind::File);
    ds->fd = fd;
    ds->capacity = var_count;
    open_outputs().insert(ds);
    return ds;
}

// The name under which a variable is written: valid and unique.
std::string output_name(TymDataOut ds, std::string_view wanted) {
    std::string name = make_valid_name(wanted);
    const auto taken = [&](const std::string& candidate) {
        for (const auto& v : ds->vars)
            if (equal_ignore_case(v.name, candidate)) return true;
        return false;
    };
    for (int k = 2; taken(name); ++k) {
        const std::string suffix = "_" + std::to_string(k);
        std::string base = make_valid_name(wanted);
        base.resize(std::min(base.size(), static_cast<size_t>(kMaxNameLength) - suffix.size()));
        name = base + suffix;
    }
    if (name != wanted) {
        if (ds->renamed++ == 0) ds->first_rename = "\"" + std::string(wanted) + "\" became " + name;
    }
    return name;
}

std::string clean_label(const char* label) {
    if (label == nullptr) return {};
    std::string text(label);
    for (char& c : text)
        if (c == '\n' || c == '\r') c = ' ';
    text.resize(trim_right_blanks(text).size());
    return text;
}

int define(TymDataOut ds, const char* name, int name_len, int type, int length, const char* label,
           const void* address) {
    if (!known(ds)) return kBadHandle;
    if (ds->header_written) return kWrongState;
    if (name == nullptr || address == nullptr) return kBadArgument;
    if (static_cast<int>(ds->vars.size()) >= ds->capacity) {
        data_error("Data set " + ds->file.display + " was created for " + std::to_string(ds->capacity) +
                   " variables; no more can be defined.");
        return kBadArgument;
    }
    if (type != TYM_VAR_NUMERIC && type != TYM_VAR_CHAR) return kBadArgument;
    if (type == TYM_VAR_CHAR && (length < 1 || length > kMaxCharLength)) return kBadArgument;
    const size_t len = name_len < 0 ? std::strlen(name) : static_cast<size_t>(name_len);
    const std::string_view wanted = trim_right_blanks(std::string_view(name, len));
    if (wanted.empty()) return kBadArgument;
    TymDataOut_::Var var;
    var.name = output_name(ds, wanted);
    var.type = type;
    var.length = type == TYM_VAR_CHAR ? length : kNumericLength;
    var.label = clean_label(label);
    var.address = address;
    ds->vars.push_back(std::move(var));
    return kOk;
}

int write_record(TymDataOut ds) {
    if (!known(ds)) return kBadHandle;
    if (ds->failed) return kIoFailure;
    if (ds->vars.empty()) return kWrongState;
    if (!ds->header_written) write_header(ds);
    const size_t start = ds->pending.size();
    for (size_t v = 0; v < ds->vars.size(); ++v) {
        const TymDataOut_::Var& var = ds->vars[v];
        if (v > 0) ds->pending += ',';
        if (var.type == TYM_VAR_NUMERIC) {
            double value;
            std::memcpy(&value, var.address, sizeof value);
            append_number(ds->pending, value);
        } else {
            append_text_field(ds->pending,
                              std::string_view(static_cast<const char*>(var.address), static_cast<size_t>(var.length)));
        }
    }
    // An empty line would be skipped on input: a lone empty value is quoted.
    if (ds->pending.size() == start) ds->pending += "\"\"";
    ds->pending += '\n';
    if (ds->pending.size() >= kFlushBytes) return flush_pending(ds);
    return kOk;
}

// Writes the labels side file to a temporary file; "" when there are no
// labels, the temporary path otherwise (or an error).
int write_labels(TymDataOut ds, std::string& temp_labels) {
    std::string text;
    for (const auto& var : ds->vars)
        if (!var.label.empty()) text += var.name + "=" + var.label + "\n";
    if (text.empty()) return kOk;
    const int fd = create_temp(ds->file.folder, ds->file.labels, temp_labels);
    if (fd < 0) return fail_io(ds, ds->file.folder);
    const bool ok = write_all(fd, text);
    const bool closed = ::close(fd) == 0;
    if (!ok || !closed) {
        const int rc = fail_io(ds, temp_labels);
        unlink(temp_labels.c_str());
        temp_labels.clear();
        return rc;
    }
    return kOk;
}

int commit(TymDataOut ds) {
    if (ds->vars.empty()) {
        data_error("Data set " + ds->file.display + " has no variables and is not written.");
        return kWrongState;
    }
    if (!ds->header_written) write_header(ds);
    if (flush_pending(ds) < 0) return kIoFailure;
    const int fd = ds->fd;
    ds->fd = -1;
    if (::close(fd) != 0) return fail_io(ds, ds->temp_path);
    std::string temp_labels;
    if (write_labels(ds, temp_labels) < 0) return kIoFailure;
    if (rename(ds->temp_path.c_str(), ds->file.file.c_str()) != 0) {
        if (!temp_labels.empty()) unlink(temp_labels.c_str());
        return fail_io(ds, "renaming to " + ds->file.file);
    }
    if (temp_labels.empty()) {
        unlink(ds->file.labels.c_str());  // labels of an earlier version
    } else if (rename(temp_labels.c_str(), ds->file.labels.c_str()) != 0) {
        unlink(temp_labels.c_str());
        data_warning("The labels of data set " + ds->file.display + " could not be kept.");
    }
    if (in_work_library(ds->file.folder)) {
        note_work_file(ds->file.file);
        if (!temp_labels.empty()) note_work_file(ds->file.labels);
    }
    set_last_dataset(ds->ref);
    return kOk;
}

int close_output(TymDataOut ds, int do_commit) {
    if (!known(ds)) return kBadHandle;
    int rc = kOk;
    if (do_commit) {
        rc = ds->failed ? kIoFailure : commit(ds);
        if (rc < 0)
            data_error("Data set " + ds->file.display + " was not written; an earlier version, if any, is kept.");
    }
    discard(ds);  // after a commit the temporary file is already renamed
    return rc;
}

const char* output_name_of(TymDataOut ds) { return known(ds) ? ds->file.display.c_str() : ""; }

const TymDataOutVector kDataOutVector = {
    sizeof(TymDataOutVector),
    [](const TymDataRef* ref, int count) { return guarded(nullptr, create, ref, count); },
    [](TymDataOut ds, const char* name, int len, int type, int length, const char* label, const void* address) {
        return guarded(kNoMemory, define, ds, name, len, type, length, label, address);
    },
    [](TymDataOut ds) { return guarded(kNoMemory, write_record, ds); },
    [](TymDataOut ds, int do_commit) { return guarded(kNoMemory, close_output, ds, do_commit); },
    output_name_of,
};

}  // namespace

void discard_all_outputs() {
    while (!open_outputs().empty()) discard(*open_outputs().begin());
}

int open_output_count() { return static_cast<int>(open_outputs().size()); }

}  // namespace data

const TymDataOutVector* data_out_vector() { return &data::kDataOutVector; }

}  // namespace qmlp::host
