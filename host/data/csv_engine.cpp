// csv_engine.cpp -- data sets as CSV files.
//
// Input: a data set is opened by scanning its whole file once (csv_schema),
// so that every malformed row is reported at open and the module sees a
// failed open rather than a failure half way through its reading.  Reading
// then streams the rows again.
//
// Output: a data set is written to a temporary file beside its target and
// renamed over the target only at commit, so a run that fails never leaves a
// half-written data set and never spoils the one that was there before.
// Variable labels go to a side file <member>.labels ("name=label" lines)
// that is committed with the data set.
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "data/csv_scanner.h"
#include "data/csv_schema.h"
#include "data/csv_text.h"
#include "data/csv_value.h"
#include "data/data_log.h"
#include "data/data_status.h"
#include "data/engine.h"
#include "data/library.h"
#include "data/names.h"
#include "data/temp_registry.h"
#include "host_api.h"

namespace qmlp::host::data {
namespace {

void report_bad_file(const DataFile& file, const std::string& what) {
    data_error("Data set " + file.display + " cannot be read: " + file.file + ", " + what + ".");
}

class CsvReader final : public InputReader {
  public:
    CsvReader(int fd, DataFile file, CsvSchema schema)
        : fd_(fd), file_(std::move(file)), schema_(std::move(schema)), scanner_(fd), numbers_(schema_.vars.size()) {
        vars_ = schema_.vars;
        scanner_.seek(schema_.data_offset, schema_.data_line);
    }
    ~CsvReader() override { ::close(fd_); }

    int next() override {
        const int rc = scanner_.next(fields_);
        if (rc == 0) return 1;
        if (rc < 0) {
            report_bad_file(file_, scanner_.error());
            return rc;
        }
        const std::string where = "line " + std::to_string(scanner_.record_line());
        if (fields_.size() != vars_.size()) {
            report_bad_file(file_, where + ": " + row_width_mismatch(fields_.size(), vars_.size()));
            return kBadData;
        }
        for (size_t v = 0; v < vars_.size(); ++v) {
            if (vars_[v].type == TYM_VAR_CHAR) continue;
            const ValueClass kind = classify_value(fields_[v], &numbers_[v]);
            if (kind != ValueClass::Number && kind != ValueClass::Missing) {
                report_bad_file(file_, where + ": the value of the numeric variable " + vars_[v].name +
                                           " is not a number (the file changed while it was read?)");
                return kBadData;
            }
        }
        return 0;
    }
    double number(size_t var) const override { return numbers_[var]; }
    std::string_view text(size_t var) const override { return fields_[var]; }
    int rewind() override { return scanner_.seek(schema_.data_offset, schema_.data_line); }

  private:
    int fd_;
    DataFile file_;
    CsvSchema schema_;
    CsvScanner scanner_;
    std::vector<std::string> fields_;
    std::vector<double> numbers_;
};

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

class CsvWriter final : public OutputWriter {
  public:
    CsvWriter(DataFile file, std::string temp_path, int fd)
        : file_(std::move(file)), temp_path_(std::move(temp_path)), fd_(fd) {
        temp_slot_ = temp_register(temp_path_, TempKind::File);
    }
    ~CsvWriter() override {
        if (fd_ >= 0) ::close(fd_);
        unlink(temp_path_.c_str());  // after a commit it is already renamed
        temp_unregister(temp_slot_);
    }

    int start(const std::vector<OutputVar>& vars) override {
        for (size_t v = 0; v < vars.size(); ++v) {
            if (v > 0) pending_ += ',';
            pending_ += vars[v].name;
            if (vars[v].type == TYM_VAR_CHAR) {
                pending_ += '$';
                pending_ += std::to_string(vars[v].length);
            }
        }
        pending_ += '\n';
        return kOk;
    }

    int write(const std::vector<OutputVar>& vars) override {
        const size_t begin = pending_.size();
        for (size_t v = 0; v < vars.size(); ++v) {
            const OutputVar& var = vars[v];
            if (v > 0) pending_ += ',';
            if (var.type == TYM_VAR_NUMERIC) {
                double value;
                std::memcpy(&value, var.address, sizeof value);
                append_number(pending_, value);
            } else {
                append_text_field(
                    pending_, std::string_view(static_cast<const char*>(var.address), static_cast<size_t>(var.length)));
            }
        }
        // An empty line would be skipped on input: a lone empty value is quoted.
        if (pending_.size() == begin) pending_ += "\"\"";
        pending_ += '\n';
        if (pending_.size() >= kFlushBytes) return flush();
        return kOk;
    }

    int commit(const std::vector<OutputVar>& vars) override {
        if (flush() < 0) return kIoFailure;
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0) return fail_io(temp_path_);
        std::string temp_labels;
        if (write_labels(vars, temp_labels) < 0) return kIoFailure;
        if (rename(temp_path_.c_str(), file_.file.c_str()) != 0) {
            if (!temp_labels.empty()) unlink(temp_labels.c_str());
            return fail_io("renaming to " + file_.file);
        }
        if (temp_labels.empty()) {
            unlink(file_.labels.c_str());  // labels of an earlier version
        } else if (rename(temp_labels.c_str(), file_.labels.c_str()) != 0) {
            unlink(temp_labels.c_str());
            data_warning("The labels of data set " + file_.display + " could not be kept.");
        }
        if (in_work_library(file_.folder)) {
            note_work_file(file_.file);
            if (!temp_labels.empty()) note_work_file(file_.labels);
        }
        return kOk;
    }

  private:
    static constexpr size_t kFlushBytes = 64 * 1024;

    int fail_io(const std::string& what) {
        data_error("Data set " + file_.display + " cannot be written: " + what + ": " + std::strerror(errno) + ".");
        return kIoFailure;
    }

    int flush() {
        if (!write_all(fd_, pending_)) return fail_io(temp_path_);
        pending_.clear();
        return kOk;
    }

    // Writes the labels side file to a temporary file; `temp_labels` stays
    // empty when there are no labels.
    int write_labels(const std::vector<OutputVar>& vars, std::string& temp_labels) {
        std::string text;
        for (const auto& var : vars)
            if (!var.label.empty()) text += var.name + "=" + var.label + "\n";
        if (text.empty()) return kOk;
        const int fd = create_temp(file_.folder, file_.labels, temp_labels);
        if (fd < 0) return fail_io(file_.folder);
        const bool ok = write_all(fd, text);
        const bool closed = ::close(fd) == 0;
        if (!ok || !closed) {
            const int rc = fail_io(temp_labels);
            unlink(temp_labels.c_str());
            temp_labels.clear();
            return rc;
        }
        return kOk;
    }

    DataFile file_;
    std::string temp_path_;
    int temp_slot_ = -1;
    int fd_ = -1;
    std::string pending_;  // bytes not yet written to the file
};

}  // namespace

std::unique_ptr<InputReader> open_csv_input(const DataFile& file) {
    int fd;
    do {
        fd = ::open(file.file.c_str(), O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        if (errno == ENOENT)
            data_error("Data set " + file.display + " does not exist (no file " + file.file + ").");
        else
            data_error("Data set " + file.display + " cannot be opened: " + file.file + ": " + std::strerror(errno) +
                       ".");
        return nullptr;
    }
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        data_error("Data set " + file.display + " cannot be opened: " + file.file + " is not a file.");
        ::close(fd);
        return nullptr;
    }
    CsvSchema schema;
    std::string error;
    if (load_schema(fd, st, schema, error) < 0) {
        report_bad_file(file, error);
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<CsvReader>(fd, file, std::move(schema));
}

std::unique_ptr<OutputWriter> create_csv_output(const DataFile& file) {
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
    return std::make_unique<CsvWriter>(file, std::move(temp_path), fd);
}

}  // namespace qmlp::host::data
