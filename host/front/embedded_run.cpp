// embedded_run.cpp -- the program runner driven from another process's code,
// with the run's output collected in memory.
#include "front/embedded_run.h"

#include <signal.h>
#include <stdlib.h>

#include <cerrno>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>

#include "data/run_files.h"
#include "front/attention.h"
#include "front/exit_status.h"
#include "front/front_services.h"
#include "front/host_object.h"
#include "front/lexer.h"
#include "front/macro_store.h"
#include "front/module_loader.h"
#include "front/program_runner.h"
#include "front/solve_command.h"
#include "front/system_vector.h"
#include "host_api.h"

namespace qmlp::host {
namespace {

namespace fs = std::filesystem;
using namespace qmlp::front;

std::mutex g_run_lock;

std::string whole_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

size_t file_size_or_zero(const std::string& path) {
    std::error_code ec;
    const auto size = fs::file_size(path, ec);
    return ec ? 0 : static_cast<size_t>(size);
}

// The folder that takes the log, the listing and the table document; it is
// removed whatever happens in between.
class PrivateFolder {
  public:
    bool create() {
        const char* env = std::getenv("TMPDIR");
        std::string pattern = (env != nullptr && *env != '\0' ? std::string(env) : std::string("/tmp")) +
                              "/qmlp-embedded-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) return false;
        path_ = pattern;
        return true;
    }
    ~PrivateFolder() {
        if (path_.empty()) return;
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    std::string file(const char* name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

// Puts back the caller's SIGINT action: during the run a break goes to the
// procedure (a second one ends the program), afterwards to the caller again.
class InterruptScope {
  public:
    InterruptScope() {
        sigaction(SIGINT, nullptr, &saved_);
        attention_reset();
        attention_install_signal_handler();
    }
    ~InterruptScope() { sigaction(SIGINT, &saved_, nullptr); }
    InterruptScope(const InterruptScope&) = delete;
    InterruptScope& operator=(const InterruptScope&) = delete;

  private:
    struct sigaction saved_ {};
};

EmbeddedDataSet read_data_set(const TymDataRef& ref) {
    EmbeddedDataSet out;
    out.name = dataset_display_name(ref);
    const TymDataInVector* in = data_in_vector();
    TymDataIn ds = in->open(&ref);
    if (ds == nullptr) {
        out.readable = false;
        return out;
    }
    const int count = in->var_count(ds);
    std::vector<double> numbers(static_cast<size_t>(count > 0 ? count : 0));
    std::vector<std::string> texts(numbers.size());
    for (int var = 1; var <= count; ++var) {
        char name[33] = {};
        int type = 0, length = 0;
        EmbeddedColumn column;
        if (in->var_info(ds, var, name, &type, &length) == 0) {
            column.name = name;
            column.numeric = type != TYM_VAR_CHAR;
        }
        const size_t k = static_cast<size_t>(var - 1);
        if (column.numeric) {
            in->bind(ds, var, &numbers[k], static_cast<int>(sizeof(double)));
        } else {
            texts[k].assign(static_cast<size_t>(length > 0 ? length : 1), ' ');
            in->bind(ds, var, texts[k].data(), static_cast<int>(texts[k].size()));
        }
        out.columns.push_back(std::move(column));
    }
    int rc = 0;
    while ((rc = in->read_next(ds)) == 0) {
        for (size_t k = 0; k < out.columns.size(); ++k) {
            EmbeddedColumn& column = out.columns[k];
            if (column.numeric) {
                column.numbers.push_back(numbers[k]);
            } else {
                const size_t end = texts[k].find_last_not_of(' ');
                column.texts.push_back(end == std::string::npos ? std::string() : texts[k].substr(0, end + 1));
            }
        }
    }
    if (rc < 0) out.readable = false;
    in->close(ds);
    return out;
}

// The data sets a step committed, each once (the last version of it).
std::vector<EmbeddedDataSet> read_commits(const std::vector<TymDataRef>& commits) {
    std::vector<EmbeddedDataSet> sets;
    for (size_t i = 0; i < commits.size(); ++i) {
        const std::string name = dataset_display_name(commits[i]);
        bool later = false;
        for (size_t j = i + 1; j < commits.size() && !later; ++j) later = dataset_display_name(commits[j]) == name;
        if (!later) sets.push_back(read_data_set(commits[i]));
    }
    return sets;
}

int run_locked(const EmbeddedRequest& request, EmbeddedRun& run, const PrivateFolder& folder) {
    HostConfig config;
    config.program_dir = request.program_dir.empty() ? "." : request.program_dir;
    config.default_lib = request.default_lib.empty() ? config.program_dir : request.default_lib;
    for (const auto& [lib, path] : request.libnames) config.libnames[to_upper(lib)] = path;
    config.memsize = request.memsize;
    config.log_file = folder.file("log");
    config.listing_file = folder.file("listing");
    config.json_file = folder.file("tables.json");
    config.module_path = request.module_path;

    // Each run starts clean: the files and a lost commit of an earlier run
    // in this process are not this run's.
    data::run_files_reset();
    (void)data_output_lost();
    data_configure(config);
    if (!output_configure(config)) {
        output_close_files();
        return kExitIo;
    }
    set_host_settings(config.settings);
    macros().clear();
    data_record_commits(request.read_outputs);

    ExitStatus status;
    for (const auto& [lib, path] : request.sqlite_libraries)
        if (!libname_assign_engine(lib, "SQLITE", path)) status.program_error();
    if (status.value() != kExitOk) return status.value();

    for (const std::string& option : request.options) {
        std::string why;
        if (request.source != EmbeddedSource::Program && !solve_option_acceptable(option, &why)) {
            log_error(why);
            return kExitUsage;
        }
    }

    std::string text;
    // Declared before the module, so the imported data set outlives the run.
    ImportedProblem imported;
    switch (request.source) {
        case EmbeddedSource::Program: text = request.program; break;
        case EmbeddedSource::SolveFile:
            if (int rc = imported.import(request.problem_path); rc != 0) return rc;
            text = solve_program(imported.data_path(), request.options);
            break;
        case EmbeddedSource::SolveData: text = solve_program(request.problem_path, request.options, request.sparse); break;
    }

    InterruptScope interrupts;
    LoadedModule module;
    ProgramSettings settings;
    settings.load_procedure = [&]() -> ProcedureEntry {
        std::string why;
        if (!load_module(config.module_path, host_object(), module, &why)) {
            log_error("Cannot use the procedure module " + config.module_path + ": " + why + ".");
            return nullptr;
        }
        return module.entry;
    };
    uint64_t sets_before = 0;
    size_t log_before = 0;
    settings.step_starting = [&](int) {
        output_flush();
        sets_before = macros().set_count();
        log_before = file_size_or_zero(config.log_file);
        data_take_commits();  // host statements before the step wrote none; start clean
    };
    settings.step_finished = [&](int number, int end_code) {
        output_flush();
        EmbeddedStep step;
        step.number = number;
        step.end_code = end_code;
        step.exit_status = exit_status_for_end_code(end_code);
        step.status_set = macros().set_count() != sets_before;
        if (const std::string* value = macros().get("_QMLP_"); value != nullptr && step.status_set)
            step.status_macro = *value;
        step.log_begin = log_before;
        if (request.read_outputs) step.outputs = read_commits(data_take_commits());
        output_flush();
        step.log_end = file_size_or_zero(config.log_file);
        run.steps.push_back(std::move(step));
    };
    status.raise(run_program(text, settings));
    unload_module(module);
    if (data_output_lost()) status.raise(kExitIo);
    return status.value();
}

}  // namespace

int run_embedded(const EmbeddedRequest& request, EmbeddedRun& run) {
    std::lock_guard<std::mutex> lock(g_run_lock);
    run = EmbeddedRun{};
    PrivateFolder folder;
    if (!folder.create()) {
        run.log = std::string("ERROR: Cannot create a temporary folder for the run's output: ") + std::strerror(errno) +
                  ".\n";
        run.exit_status = kExitIo;
        return run.exit_status;
    }
    ExitStatus status;
    try {
        status.raise(run_locked(request, run, folder));
        if (output_finish() != 0) status.raise(kExitIo);
    } catch (const std::exception& e) {
        log_line(Severity::Error, std::string("The run failed unexpectedly: ") + e.what());
        status.raise(kExitProgramError);
    }
    run.macros = macros().all();
    data_record_commits(false);
    data_program_end();
    // The log and the listing go back to the standard streams, untouched, and
    // the table document is dropped; then the files can be read and removed.
    output_configure(HostConfig{});
    run.log = whole_file(folder.file("log"));
    run.listing = whole_file(folder.file("listing"));
    run.tables_json = whole_file(folder.file("tables.json"));
    run.exit_status = status.value();
    return run.exit_status;
}

}  // namespace qmlp::host
