// mps_convert.cpp -- MPS file to data set, all or nothing.
#include "mps/mps_convert.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "data/run_files.h"
#include "mps/mps_lines.h"
#include "mps/mps_model.h"
#include "mps/mps_reader.h"
#include "mps/mps_summary.h"
#include "mps/mps_writer.h"

namespace qmlp::host::mps {

namespace {

constexpr int kExitOk = 0;
constexpr int kExitError = 2;

bool ends_with_nocase(const std::string& text, const char* suffix) {
    std::size_t n = std::strlen(suffix);
    if (text.size() < n) return false;
    for (std::size_t i = 0; i < n; ++i) {
        char a = text[text.size() - n + i];
        if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
        if (a != suffix[i]) return false;
    }
    return true;
}

void report(std::FILE* err, const char* severity, const std::string& file, const Diagnostic& d) {
    if (d.line > 0) {
        std::fprintf(err, "%s: %s:%lld: %s\n", severity, file.c_str(), static_cast<long long>(d.line), d.text.c_str());
    } else {
        std::fprintf(err, "%s: %s: %s\n", severity, file.c_str(), d.text.c_str());
    }
}

// Writes the data set to a temporary file beside `target` and renames it
// over `target` only once every byte is written; on any failure the
// temporary file is removed and `error` says why.
bool write_atomically(const std::string& target, const Model& model, const WriteOptions& options, const WritePlan& plan,
                      std::string& error) {
    // A device or a pipe (for example /dev/null) is written directly: renaming
    // a temporary file over it would replace it with an ordinary file.
    struct stat target_stat;
    if (stat(target.c_str(), &target_stat) == 0 && !S_ISREG(target_stat.st_mode)) {
        if (S_ISDIR(target_stat.st_mode)) {
            error = "it is a folder";
            return false;
        }
        std::ofstream stream(target, std::ios::binary);
        bool ok = stream.is_open() && write_sparse(model, options, plan, stream);
        stream.close();
        if (!ok || stream.fail()) {
            error = std::string("write failed: ") + std::strerror(errno);
            return false;
        }
        return true;
    }
    std::string temp = target + ".tmpXXXXXX";
    int fd = mkstemp(temp.data());
    if (fd < 0) {
        error = std::string("cannot create a temporary file beside it: ") + std::strerror(errno);
        return false;
    }
    // mkstemp creates the file private; give it the usual permissions.
    mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    close(fd);
    bool ok;
    {
        std::ofstream stream(temp, std::ios::binary | std::ios::trunc);
        ok = stream.is_open() && write_sparse(model, options, plan, stream);
        stream.close();
        ok = ok && !stream.fail();
    }
    if (!ok) {
        error = std::string("write failed: ") + std::strerror(errno);
        std::remove(temp.c_str());
        return false;
    }
    if (std::rename(temp.c_str(), target.c_str()) != 0) {
        error = std::string("cannot rename the temporary file: ") + std::strerror(errno);
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

}  // namespace

std::string default_output_path(const std::string& input) {
    std::string stem = input;
    if (ends_with_nocase(stem, ".gz")) stem.resize(stem.size() - 3);
    if (ends_with_nocase(stem, ".mps")) {
        stem.resize(stem.size() - 4);
    } else if (ends_with_nocase(stem, ".lp")) {
        stem.resize(stem.size() - 3);
    }
    return stem + ".csv";
}

bool is_lp_path(const std::string& path) {
    std::string stem = path;
    if (ends_with_nocase(stem, ".gz")) stem.resize(stem.size() - 3);
    return ends_with_nocase(stem, ".lp");
}

int run_import(const ImportOptions& options, std::FILE* out, std::FILE* err) {
    const std::string& input = options.input;
    // The data set replaces its target only when it is complete, but a
    // target that is the MPS file itself would still lose the model.
    if (options.output != "-") {
        const std::string target = options.output.empty() ? default_output_path(input) : options.output;
        if (data::same_file(input, target)) {
            std::fprintf(err, "ERROR: %s: this is the MPS file being imported; name another output file.\n",
                         target.c_str());
            return kExitError;
        }
    }
    FileLineSource source;
    if (!source.open(input)) {
        std::fprintf(err, "ERROR: %s: %s\n", input.c_str(), source.error().c_str());
        return kExitError;
    }
    Model model;
    ReadReport read_report;
    const bool read_ok = options.read(source, model, read_report);
    for (const Diagnostic& w : read_report.warnings) report(err, "WARNING", input, w);
    if (!read_ok) {
        report(err, "ERROR", input, read_report.error);
        return kExitError;
    }

    WriteOptions write_options;
    write_options.drop_free_rows = options.drop_free_rows;
    const WritePlan plan = plan_names(model, write_options);
    const bool to_stdout = options.output == "-";
    const std::string target = options.output.empty() ? default_output_path(input) : options.output;
    if (to_stdout) {
        std::ostringstream text;
        write_sparse(model, write_options, plan, text);
        const std::string data = text.str();
        if (std::fwrite(data.data(), 1, data.size(), out) != data.size() || std::fflush(out) != 0) {
            std::fprintf(err, "ERROR: standard output: write failed\n");
            return kExitError;
        }
    } else {
        std::string error;
        if (!write_atomically(target, model, write_options, plan, error)) {
            std::fprintf(err, "ERROR: %s: %s\n", target.c_str(), error.c_str());
            return kExitError;
        }
    }
    const Counts counts = count_model(model, options.drop_free_rows);
    std::FILE* summary = (options.summary_to_out && !to_stdout) ? out : err;
    print_summary(summary, options.format_name, input, to_stdout ? std::string("standard output") : target, model,
                  counts, plan);
    return kExitOk;
}

}  // namespace qmlp::host::mps
