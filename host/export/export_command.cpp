// export_command.cpp -- the command line of `qmlp export`.
#include "export/export_command.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "data/engine.h"
#include "export/dataset_problem.h"
#include "lp/problem_text_writers.h"
#include "mps/mps_fields.h"

namespace qmlp::host {

namespace {

constexpr int kExitOk = 0;
constexpr int kExitError = 2;
constexpr int kExitUsage = 64;

void usage(std::FILE* to) {
    std::fputs(
        "usage: qmlp export DATA.csv -o OUT.lp|OUT.mps|- [--format lp|mps] [--sparse | --dense]\n"
        "  Writes a problem data set (a CSV file in the dense or the sparse layout) as an LP or MPS file.\n"
        "  -o OUT             output file; its suffix .lp or .mps chooses the format ('-' = standard output)\n"
        "  --format lp|mps    the format, whatever the output's name (needed with -o -)\n"
        "  --sparse, --dense  the layout (default: sparse when the data set has _COL and _COEF variables)\n",
        to);
}

bool ends_with_nocase(const std::string& text, const char* suffix) {
    const std::size_t n = std::strlen(suffix);
    return text.size() >= n && mps::upper(text.substr(text.size() - n)) == mps::upper(suffix);
}

// The text goes to a temporary file beside `target`, renamed over it once
// complete, so that a failure leaves no partial file under the name.
bool write_file(const std::string& target, const std::string& text, std::string& error) {
    struct stat target_stat;
    if (stat(target.c_str(), &target_stat) == 0 && !S_ISREG(target_stat.st_mode)) {
        if (S_ISDIR(target_stat.st_mode)) {
            error = "it is a folder";
            return false;
        }
        std::ofstream stream(target, std::ios::binary);
        stream << text;
        stream.close();
        if (!stream) {
            error = std::string("write failed: ") + std::strerror(errno);
            return false;
        }
        return true;
    }
    std::string temp = target + ".tmpXXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0) {
        error = std::string("cannot create a temporary file beside it: ") + std::strerror(errno);
        return false;
    }
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    std::size_t done = 0;
    bool ok = true;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ok = false;
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    ok = (::close(fd) == 0) && ok;
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

int export_command(int argc, char** argv) {
    std::string input, output, format;
    exporting::Layout layout = exporting::Layout::Detect;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-h" || arg == "--help") {
            usage(stdout);
            return kExitOk;
        }
        if (arg == "-o" || arg == "--output" || arg == "--format") {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "ERROR: %s needs a value\n", arg.c_str());
                usage(stderr);
                return kExitUsage;
            }
            (arg == "--format" ? format : output) = argv[++i];
        } else if (arg == "--sparse") {
            layout = exporting::Layout::Sparse;
        } else if (arg == "--dense") {
            layout = exporting::Layout::Dense;
        } else if (arg.size() > 1 && arg[0] == '-') {
            std::fprintf(stderr, "ERROR: unknown option %s\n", arg.c_str());
            usage(stderr);
            return kExitUsage;
        } else if (!input.empty()) {
            std::fprintf(stderr, "ERROR: more than one data set (%s)\n", arg.c_str());
            usage(stderr);
            return kExitUsage;
        } else {
            input = arg;
        }
    }
    if (input.empty() || output.empty()) {
        std::fputs(input.empty() ? "ERROR: no data set given\n" : "ERROR: no output file given (-o)\n", stderr);
        usage(stderr);
        return kExitUsage;
    }
    format = mps::upper(format);
    if (format.empty()) {
        if (ends_with_nocase(output, ".lp")) format = "LP";
        if (ends_with_nocase(output, ".mps")) format = "MPS";
    }
    if (format != "LP" && format != "MPS") {
        std::fputs("ERROR: the format is not known: name the output FILE.lp or FILE.mps, or give --format lp|mps\n",
                   stderr);
        return kExitUsage;
    }

    data::DataFile file;
    file.engine = data::Engine::Csv;
    file.display = input;
    file.file = input;
    file.folder = std::filesystem::path(input).parent_path().string();
    std::unique_ptr<data::InputReader> reader = data::open_csv_input(file);
    if (!reader) return kExitError;
    mps::Model model;
    exporting::DatasetReport report;
    const bool read_ok = exporting::read_problem_dataset(*reader, layout, model, report);
    for (const std::string& w : report.warnings) std::fprintf(stderr, "WARNING: %s: %s\n", input.c_str(), w.c_str());
    if (!read_ok) {
        std::fprintf(stderr, "ERROR: %s: %s\n", input.c_str(), report.error.c_str());
        return kExitError;
    }
    model.problem_name = std::filesystem::path(input).stem().string();

    std::ostringstream text;
    lp::TextWriteResult result;
    const bool written =
        format == "LP" ? lp::write_lp_text(model, text, result) : lp::write_mps_text(model, text, result);
    if (!written) {
        std::fprintf(stderr, "ERROR: %s: %s\n", input.c_str(),
                     result.error.empty() ? "the text could not be built" : result.error.c_str());
        return kExitError;
    }
    // Renamings are told, the first few by name: a large model may rename
    // thousands of rows the same way.
    constexpr std::size_t kNotesShown = 10;
    for (std::size_t k = 0; k < result.notes.size() && k < kNotesShown; ++k)
        std::fprintf(stderr, "NOTE: %s\n", result.notes[k].c_str());
    if (result.notes.size() > kNotesShown)
        std::fprintf(stderr, "NOTE: ... and %zu more names written in a legal form\n",
                     result.notes.size() - kNotesShown);
    const std::string data = text.str();
    if (output == "-") {
        if (std::fwrite(data.data(), 1, data.size(), stdout) != data.size() || std::fflush(stdout) != 0) {
            std::fputs("ERROR: standard output: write failed\n", stderr);
            return kExitError;
        }
        return kExitOk;
    }
    std::string error;
    if (!write_file(output, data, error)) {
        std::fprintf(stderr, "ERROR: %s: %s\n", output.c_str(), error.c_str());
        return kExitError;
    }
    std::fprintf(stderr, "NOTE: %s written as %s (%s, %zu rows, %zu columns)\n", input.c_str(), output.c_str(),
                 format.c_str(), model.rows.size(), model.columns.size());
    return kExitOk;
}

}  // namespace qmlp::host
