// run_command.cpp -- the qmlp command from its arguments to its exit status.
#include <cerrno>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <sstream>

#include "export/export_command.h"
#include "front/attention.h"
#include "front/command_line.h"
#include "front/exit_status.h"
#include "front/front_services.h"
#include "front/host_object.h"
#include "front/macro_store.h"
#include "front/module_loader.h"
#include "front/program_runner.h"
#include "front/solve_command.h"
#include "front/symbols_file.h"
#include "front/system_vector.h"
#include "front/terminal.h"
#include "host_api.h"
#include "lp/lp_import.h"
#include "mps/mps_import.h"

namespace qmlp::host {
namespace {

using namespace qmlp::front;

bool read_program(const CommandLine& cl, std::string& text) {
    if (cl.from_stdin) {
        text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
        if (std::cin.bad()) {
            log_error("Cannot read the program from standard input.");
            return false;
        }
        return true;
    }
    std::error_code ec;
    if (std::filesystem::is_directory(cl.program, ec)) {
        log_error("Cannot read the program file " + cl.program + ": it is a folder.");
        return false;
    }
    std::ifstream in(cl.program, std::ios::binary);
    if (!in) {
        log_error("Cannot read the program file " + cl.program + ": " + std::strerror(errno) + ".");
        return false;
    }
    std::ostringstream buf;
    buf << in.rdbuf();
    if (in.bad()) {
        log_error("Cannot read the program file " + cl.program + ".");
        return false;
    }
    text = buf.str();
    return true;
}

int run_configured(const CommandLine& cl) {
    const HostConfig& config = cl.config;
    set_host_settings(config.settings);
    macros().clear();
    attention_reset();
    attention_install_signal_handler();

    std::string text;
    // Declared before the module, so the imported data set outlives the run.
    ImportedProblem imported;
    if (cl.solve) {
        if (int rc = imported.import(cl.mps_file); rc != 0) return rc;
        text = solve_program(imported.data_path(), cl.solve_options);
        const std::string path = solve_default_options(cl.solve_options);
        if (!path.empty())
            log_line(Severity::Note, "qmlp solve uses " + path +
                                         ": the dual simplex path, the fastest measured (the primal phases from a "
                                         "PRIMALIN basis); give ALGORITHM=PRIMAL for the primal phases.");
    } else if (!read_program(cl, text)) {
        return kExitIo;
    }

    TerminalReader terminal(make_terminal_source(cl.from_stdin));
    LoadedModule module;
    ProgramSettings settings;
    settings.interactive = config.interactive;
    settings.terminal = &terminal;
    settings.load_procedure = [&]() -> ProcedureEntry {
        std::string why;
        if (!load_module(config.module_path, host_object(), module, &why)) {
            log_error("Cannot use the procedure module " + config.module_path + ": " + why + ".");
            return nullptr;
        }
        return module.entry;
    };
    ExitStatus status;
    status.raise(run_program(text, settings));
    // A solve ends with the status of its one step, the last line of the log.
    if (cl.solve) {
        if (const std::string* value = macros().get("_QMLP_")) log_raw("_QMLP_: " + *value);
    }

    if (!config.symbols_file.empty()) {
        std::string why;
        if (!write_symbols(config.symbols_file, macros(), &why)) {
            log_error("Cannot write the symbols file " + config.symbols_file + ": " + why + ".");
            status.raise(kExitIo);
        }
    }
    unload_module(module);
    return status.value();
}

}  // namespace

int run_command(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "import-mps") == 0) return mps_import_command(argc - 1, argv + 1);
    if (argc > 1 && std::strcmp(argv[1], "import-lp") == 0) return lp_import_command(argc - 1, argv + 1);
    if (argc > 1 && std::strcmp(argv[1], "export") == 0) return export_command(argc - 1, argv + 1);

    CommandLine cl;
    if (int rc = parse_command_line(argc, argv, cl, std::cout, std::cerr); rc >= 0) return rc;
    try {
        data_configure(cl.config);
        // Nothing runs when the log, the listing or a report cannot be
        // written: what the run printed would be lost.
        if (!output_configure(cl.config)) return kExitIo;
        if (!cl.config.symbols_file.empty()) {
            std::string why;
            if (!output_target_usable(cl.config.symbols_file, &why)) {
                log_error("Cannot write the symbols file " + cl.config.symbols_file + ": " + why + ".");
                return kExitIo;
            }
        }
        ExitStatus status;
        status.raise(run_configured(cl));
        if (data_output_lost()) status.raise(kExitIo);
        if (output_finish() != 0) status.raise(kExitIo);
        return status.value();
    } catch (const std::exception& e) {
        std::cerr << "qmlp: " << e.what() << "\n";
        return kExitProgramError;
    }
}

}  // namespace qmlp::host
